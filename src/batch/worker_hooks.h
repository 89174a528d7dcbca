// What the device operations plug into the worker threads. The engine owns the threads, lists,
// periods and the hand-over of items; the operations supply the work of each message and of
// each item. Hooks run on the worker threads; a long wait inside one should sleep on the stop
// token so that closing the window is not held up.
#pragma once

#include <memory>

#include "batch/queue_items.h"
#include "discovery/device_record.h"
#include "platform/worker_thread.h"

namespace batch {

// The batch worker's operations over the batch device list (messages 1025, 1026, 1027, 1029).
// Each is called after the batch login that starts every batch worker message.
class BatchOperations {
 public:
  virtual ~BatchOperations() = default;
  virtual void Reboot(const platform::StopToken& stop) = 0;
  virtual void RestoreFactorySettings(const platform::StopToken& stop) = 0;
  virtual void SetTime(const platform::StopToken& stop) = 0;
  virtual void StorageAndFormat(const platform::StopToken& stop, int diskIndex) = 0;
};

// What a polling worker's step decided for one item.
enum class StepOutcome {
  kKeep,  // stays in its list for the next round
  kDone,  // leaves its list (see each step for where it goes)
};

// The firmware upgrade: the upgrade coordinator's message handlers and the per-item steps of
// three polling workers. Items handed to a handler are the handler's to free (dropping the
// pointer frees them).
class UpgradeSteps {
 public:
  virtual ~UpgradeSteps() = default;

  virtual void OnUpgradeDevice(discovery::DeviceRecord& record) = 0;          // 2127
  virtual void OnLoginEnded(std::unique_ptr<LoginRequest> request) = 0;       // 2025
  virtual void OnVersionQueryEnded(std::unique_ptr<VersionQuery> query) = 0;  // 2027
  virtual void OnUploadEnded(std::unique_ptr<UploadRequest> request) = 0;     // 2030
  virtual void OnFileTransferred(int loginHandle) = 0;                        // 2034
  virtual void OnTransferFailed(int loginHandle) = 0;                         // 2035
  virtual void OnFirmwareTaken(int loginHandle) = 0;                          // 2036
  virtual void OnFirmwareRefused(int loginHandle) = 0;                        // 2037

  // Upload worker, once per request and round. kDone: the request leaves the upload queue and
  // goes to the coordinator as 2030.
  virtual StepOutcome StepUpload(UploadRequest& request) = 0;
  // Progress poller, once per watch and round. kDone: the watch leaves the progress watch list
  // and is freed.
  virtual StepOutcome StepProgressWatch(ProgressWatch& watch) = 0;
  // Verify watcher, once per record and round, with the round's tick count. kDone: the record
  // leaves the verify list.
  virtual StepOutcome StepVerify(discovery::DeviceRecord& record, DWORD now) = 0;

  // The coordinator's own timed steps (one device's pause must not hold up the others): how
  // many clock milliseconds until the next one is due (INFINITE when none is), and running
  // those that are due. Both on the coordinator, between its messages.
  virtual DWORD MsUntilNextStep() = 0;
  virtual void RunDueSteps() = 0;
};

}  // namespace batch
