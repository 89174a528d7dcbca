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

// The record's states. Each is a 32-bit value read and written without a lock, as the other
// single fields are.
enum LoginState : std::int32_t { kLoginUnknown = 0, kLoginConfirmed = 1, kLoginRefused = -1 };

enum UpgradeResult : std::int32_t {
  kUpgradeNone = 0,
  kUpgradeSucceeded = 1,
  kUpgradeFailed = 2,
  // Failed as well: the device came back from its restart with the version it had.
  kUpgradeKeptOldVersion = 3
};
constexpr bool UpgradeFailed(UpgradeResult result) {
  return result == kUpgradeFailed || result == kUpgradeKeptOldVersion;
}

// Where a device was seen again after a factory restore.
enum RefoundState : std::int32_t {
  kRefoundNotSeen = 0,
  kRefoundAtDefaultAddress = 1,
  kRefoundElsewhere = 2,
  kRefoundNotLoggedIn = 3
};

// What the workers are doing with the device; it tells the login worker which wait applies.
enum WorkPhase : std::int32_t {
  kPhaseNone = 0,
  kPhaseUpgradeBeforeTransfer = 2,
  kPhaseUpgradeRestarting = 3,
  kPhaseBatchLogin = 4
};
constexpr bool IsUpgradePhase(WorkPhase phase) {
  return phase == kPhaseUpgradeBeforeTransfer || phase == kPhaseUpgradeRestarting;
}

// A format's or a time sync's state.
enum JobState : std::int32_t { kStateWaiting = 0, kStateDone = 1, kStateFailed = 2 };

// The device's check of an uploaded firmware file: its answer (taken or refused) and the
// watcher's time-out each end it, whichever comes first.
enum FileCheckState : std::int32_t {
  kFileCheckRunning = 0,
  kFileCheckTaken = 1,
  kFileCheckRefused = 2,
  kFileCheckTimedOut = 3
};

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
  std::atomic<LoginState> loginState{kLoginUnknown};
  std::atomic<UpgradeResult> upgradeResult{kUpgradeNone};
  std::atomic<RefoundState> refoundState{kRefoundNotSeen};

  // The workers' fields.
  std::array<char, kVersionTextBytes> versionBefore{};
  std::array<char, kVersionTextBytes> versionAfter{};
  std::atomic<JobState> formatState{kStateWaiting};
  AtomicInt diskIndex{0};
  AtomicInt storageInfoReceived{0};
  AtomicInt sd1Total{0};
  AtomicInt sd2Total{0};
  AtomicInt usbTotal{0};
  std::atomic<WorkPhase> workPhase{kPhaseNone};
  std::atomic<FileCheckState> fileCheckState{kFileCheckRunning};
  std::atomic<std::uint32_t> verifyStartTime{0};
  std::atomic<JobState> timeSyncState{kStateWaiting};

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
