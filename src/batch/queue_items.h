// The four kinds of queue item. Each is a heap object, zero-filled on creation, owned by exactly
// one list or thread at a time: a std::unique_ptr in the owning list; when an item travels in a
// thread message's wParam, the sender releases it and the receiver adopts it again.
//
// Fields that another thread writes while the item sits in its list (a callback's login result,
// a version answer's state, a progress watch's end state) are atomics; the rest belong to the
// thread working the list. Every item holds a table borrow for as long as it lives, so that the
// record it names outlives it even when the table has let go of that record.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "batch/table_borrow.h"
#include "discovery/device_record.h"
#include "platform/win_types.h"

namespace batch {

// Login time-outs: after an upgrade the device needs far longer to come back.
constexpr DWORD kLoginTimeoutMs = 18000;
constexpr DWORD kLoginTimeoutAfterUpgradeMs = 180000;
// After an upgrade the first login attempt waits this long after the request was first seen.
constexpr DWORD kFirstLoginAfterUpgradeMs = 15000;
constexpr DWORD kVersionQueryTimeoutMs = 80000;

// Login result, set from the status events.
constexpr int kLoginPending = 0;
constexpr int kLoginSucceeded = 1;
constexpr int kLoginFailed = -1;

// Version query state.
constexpr int kQueryNotSent = 0;
constexpr int kQuerySent = 1;
constexpr int kQueryAnswered = 2;

// Upload request result.
constexpr int kUploadPending = 0;
constexpr int kUploadAccepted = 1;
constexpr int kUploadGivenUp = 2;

// Progress watch end state.
constexpr int kTransferRunning = 0;
constexpr int kTransferFinished = 1;
constexpr int kTransferFailed = 2;

constexpr std::size_t kResponseTextBytes = 256;

struct LoginRequest {
  discovery::DeviceRecord* record = nullptr;
  std::atomic<std::int32_t> loginHandle{0};
  std::atomic<std::int32_t> loginResult{kLoginPending};
  DWORD firstSeenTime = 0;
  DWORD lastAttemptTime = 0;
  DWORD timeoutMs = 0;
  TableBorrow borrow;
};

struct VersionQuery {
  discovery::DeviceRecord* record = nullptr;
  // The device's answer, at most 255 bytes and always terminated.
  std::array<char, kResponseTextBytes> responseText{};
  std::int32_t phase = 0;
  std::atomic<std::int32_t> state{kQueryNotSent};
  DWORD firstSeenTime = 0;
  DWORD timeoutMs = kVersionQueryTimeoutMs;
  TableBorrow borrow;
};

struct UploadRequest {
  discovery::DeviceRecord* record = nullptr;
  std::int32_t attempts = 0;
  std::int32_t result = kUploadPending;
  TableBorrow borrow;
};

struct ProgressWatch {
  discovery::DeviceRecord* record = nullptr;
  std::int32_t lastProgress = 0;
  DWORD lastChangeTime = 0;
  std::atomic<std::int32_t> endState{kTransferRunning};
  TableBorrow borrow;
};

// Whether the item's record has been let go by the table; an item without a record (a progress
// watch the coordinator has taken its record from) has nothing to let go.
template <typename Item>
bool RecordRetired(const Item& item) {
  return item.record != nullptr && item.record->retired.load();
}

// The receiver of a message that carries an item owns it again.
template <typename Item>
std::unique_ptr<Item> AdoptFromMessage(WPARAM wParam) {
  return std::unique_ptr<Item>(reinterpret_cast<Item*>(wParam));
}

}  // namespace batch
