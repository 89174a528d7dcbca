// The engine's lists and login event for the engine's own parts in src/batch — its workers, the
// library callbacks, the batch login — and for their tests. Everything else speaks to the engine
// in its verbs.
#pragma once

#include "batch/engine.h"

namespace batch {

class EngineParts {
 public:
  static LoginQueue& Logins(Engine& engine) { return engine.Logins(); }
  static ItemQueue<VersionQuery>& VersionQueue(Engine& engine) { return engine.VersionQueue(); }
  static ItemQueue<UploadRequest>& UploadQueue(Engine& engine) { return engine.UploadQueue(); }
  static ItemQueue<ProgressWatch>& ProgressWatches(Engine& engine) {
    return engine.ProgressWatches();
  }
  static RecordList& BatchDevices(Engine& engine) { return engine.BatchDevices(); }
  static RecordList& UpgradeDevices(Engine& engine) { return engine.UpgradeDevices(); }
  static RecordList& VerifyList(Engine& engine) { return engine.VerifyList(); }
  static RecordList& StoragePending(Engine& engine) { return engine.StoragePending(); }
  static RecordList& FormatPending(Engine& engine) { return engine.FormatPending(); }
  static RecordList& TimeSyncPending(Engine& engine) { return engine.TimeSyncPending(); }
  static RecordList& RestorePending(Engine& engine) { return engine.RestorePending(); }
  static ConfigPushList& PushList(Engine& engine) { return engine.PushList(); }
  static platform::AutoResetEvent& LoginEvent(const Engine& engine) { return engine.LoginEvent(); }
};

}  // namespace batch
