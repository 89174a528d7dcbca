#include "batch/polling_workers.h"

#include <algorithm>
#include <vector>

#include "batch/engine.h"
#include "platform/clock.h"

namespace batch {
namespace {

// Rounds over a copy of the list. An entry of the copy that has left the list since the copy
// was taken is an empty slot and costs emptySlotPauseMs.
template <typename List, typename Work>
void PollList(const platform::StopToken& stop, List& list, DWORD emptySlotPauseMs, Work work) {
  while (!stop.StopRequested()) {
    const auto copy = list.Snapshot();
    if (copy.empty()) {
      if (!stop.Sleep(kEmptyListPauseMs)) return;
      continue;
    }
    const DWORD roundStart = platform::GetTickCount();
    for (auto* entry : copy) {
      if (!list.Contains(entry)) {
        if (emptySlotPauseMs > 0 && !stop.Sleep(emptySlotPauseMs)) return;
        continue;
      }
      work(entry, roundStart);
      if (stop.StopRequested()) return;
    }
    if (!stop.Sleep(kRoundPauseMs)) return;
  }
}

}  // namespace

void RunVersionQueryWorker(Engine& engine, const platform::StopToken& stop) {
  ItemQueue<VersionQuery>& queue = engine.VersionQueue();
  PollList(stop, queue, 0, [&](VersionQuery* query, DWORD) {
    int handle = 0;
    {
      // The response callback takes answered queries out under this lock and hands them on, so
      // the query is touched only while it is still in the queue.
      platform::CriticalSectionLock lock(queue.Lock());
      if (!queue.Contains(query)) return;
      const DWORD now = std::max<DWORD>(platform::GetTickCount(), 1);
      if (query->firstSeenTime == 0) query->firstSeenTime = now;
      if (now - query->firstSeenTime > query->timeoutMs) {
        engine.HandToCoordinator(kMsgVersionQueryEnded, queue.Take(query));
        return;
      }
      if (query->state.load() != kQueryNotSent) return;
      handle = query->record->loginHandle.load();
    }
    const int sent =
        engine.Library().systemControl(handle, sdk::kCmdGetVersion, 0, sdk::kVersionRequest);
    if (sent != 0 || stop.StopRequested()) return;
    platform::CriticalSectionLock lock(queue.Lock());
    if (queue.Contains(query) && query->state.load() == kQueryNotSent) {
      query->state.store(kQuerySent);
    }
  });
}

void RunUploadWorker(Engine& engine, const platform::StopToken& stop) {
  ItemQueue<UploadRequest>& queue = engine.UploadQueue();
  PollList(stop, queue, kEmptySlotPauseMs, [&](UploadRequest* request, DWORD) {
    UpgradeSteps* steps = engine.Upgrade();
    if (steps != nullptr && steps->StepUpload(*request) == StepOutcome::kKeep) return;
    engine.HandToCoordinator(kMsgUploadEnded, queue.Take(request));
  });
}

void RunProgressPoller(Engine& engine, const platform::StopToken& stop) {
  ItemQueue<ProgressWatch>& list = engine.ProgressWatches();
  PollList(stop, list, kEmptySlotPauseMs, [&](ProgressWatch* watch, DWORD) {
    UpgradeSteps* steps = engine.Upgrade();
    if (steps != nullptr && steps->StepProgressWatch(*watch) == StepOutcome::kKeep) return;
    list.Take(watch);
  });
}

void RunVerifyWatcher(Engine& engine, const platform::StopToken& stop) {
  RecordList& list = engine.VerifyList();
  PollList(stop, list, 0, [&](discovery::DeviceRecord* record, DWORD now) {
    UpgradeSteps* steps = engine.Upgrade();
    if (steps != nullptr && steps->StepVerify(*record, now) == StepOutcome::kKeep) return;
    list.Remove(record);
  });
}

}  // namespace batch
