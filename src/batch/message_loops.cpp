#include "batch/message_loops.h"

#include "batch/batch_login.h"
#include "batch/engine.h"
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

// Owned items are adopted even when no upgrade is plugged in, so that they are freed.
void Dispatch(UpgradeSteps* steps, const platform::MSG& msg) {
  const auto handle = static_cast<int>(msg.wParam);
  switch (msg.message) {
    case kMsgUpgradeDevice:
      if (steps != nullptr && msg.wParam != 0) {
        steps->OnUpgradeDevice(*reinterpret_cast<discovery::DeviceRecord*>(msg.wParam));
      }
      break;
    case kMsgLoginEnded: {
      auto request = AdoptFromMessage<LoginRequest>(msg.wParam);
      if (steps != nullptr) steps->OnLoginEnded(std::move(request));
      break;
    }
    case kMsgVersionQueryEnded: {
      auto query = AdoptFromMessage<VersionQuery>(msg.wParam);
      if (steps != nullptr) steps->OnVersionQueryEnded(std::move(query));
      break;
    }
    case kMsgUploadEnded: {
      auto request = AdoptFromMessage<UploadRequest>(msg.wParam);
      if (steps != nullptr) steps->OnUploadEnded(std::move(request));
      break;
    }
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
    if (!BatchLogin(engine, stop)) return;
    if (BatchOperations* operations = engine.Operations()) RunOperation(*operations, msg, stop);
    if (stop.StopRequested()) return;
  }
}

void RunUpgradeCoordinator(Engine& engine, const platform::StopToken& stop) {
  platform::MSG msg;
  while (platform::GetMessage(&msg)) {
    Dispatch(engine.Upgrade(), msg);
    if (stop.StopRequested()) return;
  }
}

}  // namespace batch
