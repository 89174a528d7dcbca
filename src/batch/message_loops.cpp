#include "batch/message_loops.h"

#include "batch/batch_login.h"
#include "batch/engine.h"
#include "batch/table_borrow.h"
#include "platform/thread_queue.h"

namespace batch {
namespace {

bool IsBatchMessage(UINT message) {
  return message == kMsgReboot || message == kMsgRestore || message == kMsgSetTime ||
         message == kMsgStorageFormat;
}

void RunOperation(BatchOperations& operations, const platform::MSG& msg,
                  const platform::StopToken& stop) {
  switch (msg.message) {
    case kMsgReboot:
      operations.Reboot(stop);
      break;
    case kMsgRestore:
      operations.RestoreFactorySettings(stop);
      break;
    case kMsgSetTime:
      operations.SetTime(stop);
      break;
    case kMsgStorageFormat:
      operations.StorageAndFormat(stop, static_cast<int>(msg.wParam));
      break;
    default:
      break;
  }
}

// Owned items are adopted even when no upgrade is plugged in, so that they are freed; so is an
// item whose record the table has let go of while it travelled.
template <typename Item>
std::unique_ptr<Item> Adopt(UpgradeSteps* steps, WPARAM wParam) {
  auto item = AdoptFromMessage<Item>(wParam);
  if (steps == nullptr || !item || RecordRetired(*item)) return nullptr;
  return item;
}

void Dispatch(UpgradeSteps* steps, const platform::MSG& msg) {
  const auto handle = static_cast<int>(msg.wParam);
  switch (msg.message) {
    case kMsgUpgradeDevice: {
      auto* record = reinterpret_cast<discovery::DeviceRecord*>(msg.wParam);
      if (steps != nullptr && record != nullptr && !record->retired.load()) {
        steps->OnUpgradeDevice(*record);
      }
      TableBorrow::Release();  // held by Engine::PostUpgradeDevice
      break;
    }
    case kMsgLoginEnded:
      if (auto request = Adopt<LoginRequest>(steps, msg.wParam)) {
        steps->OnLoginEnded(std::move(request));
      }
      break;
    case kMsgVersionQueryEnded:
      if (auto query = Adopt<VersionQuery>(steps, msg.wParam)) {
        steps->OnVersionQueryEnded(std::move(query));
      }
      break;
    case kMsgUploadEnded:
      if (auto request = Adopt<UploadRequest>(steps, msg.wParam)) {
        steps->OnUploadEnded(std::move(request));
      }
      break;
    case kMsgFileTransferred:
      if (steps != nullptr) steps->OnFileTransferred(handle);
      break;
    case kMsgTransferFailed:
      if (steps != nullptr) steps->OnTransferFailed(handle);
      break;
    case kMsgFirmwareTaken:
      if (steps != nullptr) steps->OnFirmwareTaken(handle);
      break;
    case kMsgFirmwareRefused:
      if (steps != nullptr) steps->OnFirmwareRefused(handle);
      break;
    default:
      break;
  }
}

}  // namespace

void RunBatchWorker(Engine& engine, const platform::StopToken& stop) {
  platform::MSG msg;
  while (platform::GetMessage(&msg)) {
    if (!IsBatchMessage(msg.message)) continue;
    // The batch device list is read into copies all through the operation.
    TableBorrow borrow;
    if (!BatchLogin(engine, stop)) return;
    if (BatchOperations* operations = engine.Operations()) RunOperation(*operations, msg, stop);
    if (stop.StopRequested()) return;
  }
}

void RunUpgradeCoordinator(Engine& engine, const platform::StopToken& stop) {
  platform::MSG msg;
  for (;;) {
    UpgradeSteps* steps = engine.Upgrade();
    const DWORD wait = steps != nullptr ? steps->MsUntilNextStep() : platform::INFINITE;
    const platform::MessageWait got = platform::GetMessage(&msg, wait);
    if (got == platform::MessageWait::kQuit || stop.StopRequested()) return;
    TableBorrow borrow;
    if (got == platform::MessageWait::kMessage) Dispatch(steps, msg);
    if (steps != nullptr) steps->RunDueSteps();
  }
}

}  // namespace batch
