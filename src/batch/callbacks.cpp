#include "batch/callbacks.h"

#include "batch/config_response_codes.h"
#include "batch/engine.h"
#include "batch/engine_parts.h"
#include "batch/response_text.h"
#include "batch/table_borrow.h"

namespace batch {
namespace {

void SettleLogin(Engine& engine, int loginHandle, int result, discovery::LoginState loginState) {
  EngineParts::Logins(engine).ApplyOutcome(loginHandle, result);
  EngineParts::LoginEvent(engine).Set();
  if (discovery::DeviceRecord* record = EngineParts::PushList(engine).FindByHandle(loginHandle)) {
    record->loginState.store(loginState);
  }
}

void OnConfigAnswer(Engine& engine, int loginHandle, int flagIndex, bool succeeded) {
  if (discovery::DeviceRecord* record = EngineParts::PushList(engine).FindByHandle(loginHandle)) {
    record->responseFlags[static_cast<std::size_t>(flagIndex)].store(succeeded ? 1 : -1);
  }
}

void OnTimeAnswer(Engine& engine, int loginHandle, bool succeeded) {
  RecordList& pending = EngineParts::TimeSyncPending(engine);
  platform::CriticalSectionLock lock(pending.Lock());
  if (discovery::DeviceRecord* record = pending.FindByHandle(loginHandle)) {
    record->timeSyncState.store(succeeded ? discovery::kStateDone : discovery::kStateFailed);
  }
}

void OnVersionAnswer(Engine& engine, int loginHandle, const char* text) {
  ItemQueue<VersionQuery>& queue = EngineParts::VersionQueue(engine);
  // The coordinator gets the query before the lock is left, so the version query worker never
  // sees an answered query still queued.
  platform::CriticalSectionLock lock(queue.Lock());
  VersionQuery* query = queue.FindFirst([loginHandle](const VersionQuery& queued) {
    return queued.record != nullptr && queued.record->loginHandle.load() == loginHandle;
  });
  if (query == nullptr) return;
  CopyAnswer(query->responseText, AnswerText(text, kResponseTextBytes - 1));
  query->state.store(kQueryAnswered);
  engine.HandToCoordinator(kMsgVersionQueryEnded, queue.Take(query));
}

void OnStorageAnswer(Engine& engine, int loginHandle, const char* text) {
  RecordList& pending = EngineParts::StoragePending(engine);
  platform::CriticalSectionLock lock(pending.Lock());
  discovery::DeviceRecord* record = pending.FindByHandle(loginHandle);
  if (record == nullptr) return;
  const StorageTotals totals = ParseStorageTotals(AnswerText(text));
  record->sd1Total.store(totals.sd1);
  record->sd2Total.store(totals.sd2);
  record->usbTotal.store(totals.usb);
  // Last: the batch worker reads the totals without a lock once it sees this flag.
  record->storageInfoReceived.store(1);
  pending.Remove(record);
}

void OnFormatAnswer(Engine& engine, int loginHandle, bool succeeded, const char* text) {
  RecordList& pending = EngineParts::FormatPending(engine);
  platform::CriticalSectionLock lock(pending.Lock());
  discovery::DeviceRecord* record = pending.FindByHandle(loginHandle);
  if (record == nullptr) return;
  // A late answer for the disk formatted before this one says nothing about this one.
  const int disk = FormatAnswerDisk(AnswerText(text));
  if (disk != 0 && disk != record->diskIndex.load()) return;
  record->formatState.store(succeeded ? discovery::kStateDone : discovery::kStateFailed);
  pending.Remove(record);
}

}  // namespace

// Both callbacks hold a table borrow: the push list is searched without a lock, so a record
// found there must outlive the table letting go of it meanwhile.
int StatusCallback(int loginHandle, int eventCode, int /*value*/, void* user) {
  auto* engine = static_cast<Engine*>(user);
  if (engine == nullptr || loginHandle <= 0) return 0;
  TableBorrow borrow;
  switch (eventCode) {
    case sdk::kEventLoginOk:
      SettleLogin(*engine, loginHandle, kLoginSucceeded, discovery::kLoginConfirmed);
      break;
    case sdk::kEventLoginFailed:
      SettleLogin(*engine, loginHandle, kLoginFailed, discovery::kLoginRefused);
      break;
    case sdk::kEventUpgradeTransferred:
      engine->PostToCoordinator(kMsgFileTransferred, static_cast<WPARAM>(loginHandle));
      break;
    case sdk::kEventUpgradeTransferFailed:
      engine->PostToCoordinator(kMsgTransferFailed, static_cast<WPARAM>(loginHandle));
      break;
    default:
      break;
  }
  return 0;
}

int ResponseCallback(int loginHandle, std::uint32_t code, const char* text, void* user) {
  auto* engine = static_cast<Engine*>(user);
  if (engine == nullptr || loginHandle <= 0) return 0;
  TableBorrow borrow;
  const int normalised = sdk::NormaliseResponseCode(code);
  const bool succeeded = normalised > 0;
  const int command = succeeded ? normalised : -normalised;
  if (const int flagIndex = ConfigFlagIndex(command); flagIndex >= 0) {
    OnConfigAnswer(*engine, loginHandle, flagIndex, succeeded);
    return 0;
  }
  switch (command) {
    case sdk::kCmdSetTime:
      OnTimeAnswer(*engine, loginHandle, succeeded);
      break;
    case sdk::kCmdUpgradeChecked:
      engine->PostToCoordinator(succeeded ? kMsgFirmwareTaken : kMsgFirmwareRefused,
                                static_cast<WPARAM>(loginHandle));
      break;
    case sdk::kCmdGetVersion:
      if (succeeded) OnVersionAnswer(*engine, loginHandle, text);
      break;
    case sdk::kCmdGetStorage:
      if (succeeded) OnStorageAnswer(*engine, loginHandle, text);
      break;
    case sdk::kCmdFormatDisk:
      OnFormatAnswer(*engine, loginHandle, succeeded, text);
      break;
    default:
      break;
  }
  return 0;
}

void RegisterCallbacks(Engine& engine) {
  IP_NET_DVR_SetStatusEventCallBack(StatusCallback, &engine);
  IP_NET_DVR_SetAUXResponseCallBack(ResponseCallback, &engine);
}

}  // namespace batch
