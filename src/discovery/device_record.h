// The device record: the heap record behind each row of the device table. It starts with a copy
// of the device information block and continues with the row bookkeeping, the workers' fields
// and the configuration push fields. The row owns its record; workers, callbacks and windows
// borrow it.
//
// Single int32 fields are written by one thread and read by others without a lock (each has
// one writer at any phase of a run), so they are atomics: the C++ form of those plain reads and
// writes. The status text is written by the thread that then posts kMsgRowStatus and read by the
// window when the message arrives; a worker may already write the next text meanwhile, so the
// text has a small lock of its own and is never seen half-written.
#pragma once

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "sdk/device_info_block.h"

namespace discovery {

// Window message: show the record's status text in a column of its row (wParam = the record,
// lParam = the column 4, 5 or 6).
constexpr unsigned kMsgRowStatus = 2126;

// The columns of the device table, in their order.
enum DeviceColumn : int {
  kColumnIp,
  kColumnMac,
  kColumnSerial,
  kColumnType,
  kColumnVersionBefore,
  kColumnVersionAfter,
  kColumnStatus,
  kColumnAllNetwork,
  kColumnCount
};

// Number of configuration groups whose answers a push waits for.
constexpr int kConfigGroupCount = 15;

// Login state.
constexpr int kLoginUnknown = 0;
constexpr int kLoginConfirmed = 1;
constexpr int kLoginRefused = -1;

// Upgrade result.
constexpr int kUpgradeNone = 0;
constexpr int kUpgradeSucceeded = 1;
constexpr int kUpgradeFailed = 2;
// Failed as well: the device came back from its restart with the version it had.
constexpr int kUpgradeKeptOldVersion = 3;
constexpr bool UpgradeFailed(int result) {
  return result == kUpgradeFailed || result == kUpgradeKeptOldVersion;
}

// Re-found state after a factory restore.
constexpr int kRefoundNotSeen = 0;
constexpr int kRefoundAtDefaultAddress = 1;
constexpr int kRefoundElsewhere = 2;
constexpr int kRefoundNotLoggedIn = 3;

// Work phase.
constexpr int kPhaseNone = 0;
constexpr int kPhaseUpgradeBeforeTransfer = 2;
constexpr int kPhaseUpgradeRestarting = 3;
constexpr int kPhaseBatchLogin = 4;

// Format and time-sync states.
constexpr int kStateWaiting = 0;
constexpr int kStateDone = 1;
constexpr int kStateFailed = 2;

constexpr std::size_t kStatusTextUnits = 256;
constexpr std::size_t kVersionTextBytes = 256;

using AtomicInt = std::atomic<std::int32_t>;

struct DeviceRecord {
  // Zero-filled, as every record is on allocation.
  DeviceRecord() = default;
  DeviceRecord(const DeviceRecord&) = delete;
  DeviceRecord& operator=(const DeviceRecord&) = delete;

  // Zeroes every field, then copies the block in (a refresh re-stores a row's record this way).
  void ResetFrom(const sdk::DeviceInfoBlock& block);

  // The status text, at most 255 UTF-16 units.
  void SetStatusText(const QString& text);
  QString StatusText() const;
  // An upgrade's in-progress text: written only while the upgrade has no result, checked under
  // the text's lock. A verdict's text, written after its result is set, therefore always comes
  // after it. False when a result was there.
  bool SetProgressText(const QString& text);

  // Version texts, 8-bit, at most 255 bytes.
  static void CopyVersion(std::array<char, kVersionTextBytes>& field, const char* text);

  sdk::DeviceInfoBlock info;

  // Row bookkeeping.
  AtomicInt rowIndex{0};
  AtomicInt searchIndex{0};
  AtomicInt loginHandle{0};
  AtomicInt loginState{0};
  AtomicInt upgradeResult{0};
  AtomicInt refoundState{0};

  // The workers' fields.
  std::array<char, kVersionTextBytes> versionBefore{};
  std::array<char, kVersionTextBytes> versionAfter{};
  AtomicInt formatState{0};
  AtomicInt diskIndex{0};
  AtomicInt storageInfoReceived{0};
  AtomicInt sd1Total{0};
  AtomicInt sd2Total{0};
  AtomicInt usbTotal{0};
  AtomicInt workPhase{0};
  AtomicInt upgradeState{0};
  std::atomic<std::uint32_t> verifyStartTime{0};
  AtomicInt timeSyncState{0};

  // Set when the table lets go of the record (a new search, IP re-addressing): from then on no
  // list takes it again and every worker drops what it still holds of it. The record itself is
  // freed only once nothing can reach it any more.
  std::atomic<bool> retired{false};

  // The configuration push fields.
  std::atomic<void*> ownerWindow{nullptr};
  std::atomic<void*> pushThread{nullptr};
  AtomicInt pushDone{0};
  std::array<AtomicInt, kConfigGroupCount> responseFlags{};

 private:
  // Under m_statusLock.
  void WriteStatusText(const QString& text);

  mutable std::mutex m_statusLock;
  std::array<char16_t, kStatusTextUnits> m_statusText{};
};

}  // namespace discovery
