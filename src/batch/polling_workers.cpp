#include "batch/polling_workers.h"

#include <algorithm>
#include <vector>

#include "batch/engine.h"
#include "batch/engine_parts.h"
#include "batch/table_borrow.h"
#include "platform/clock.h"

namespace batch {
namespace {

bool LetGo(const discovery::DeviceRecord* record) {
  return record->retired.load();
}
template <typename Item>
bool LetGo(const Item* item) {
  return RecordRetired(*item);
}

void Drop(RecordList& list, const discovery::DeviceRecord* record) {
  list.Remove(record);
}
template <typename Item>
void Drop(ItemQueue<Item>& list, const Item* item) {
  list.Take(item);  // freed here
}

// Rounds over a copy of the list. An entry of the copy that has left the list since the copy
// was taken is an empty slot and costs emptySlotPauseMs; an entry whose record the table has
// let go of leaves the list unworked. A round holds a table borrow, since its copy outlives
// the list's lock.
template <typename List, typename Work>
void PollList(const platform::StopToken& stop, List& list, DWORD emptySlotPauseMs, Work work) {
  while (!stop.StopRequested()) {
    bool hadEntries = false;
    {
      TableBorrow borrow;
      const auto copy = list.Snapshot();
      hadEntries = !copy.empty();
      if (hadEntries) {
        const DWORD roundStart = platform::GetTickCount();
        for (auto* entry : copy) {
          bool present = false;
          {
            platform::CriticalSectionLock lock(list.Lock());
            present = list.Contains(entry);
            if (present && LetGo(entry)) {
              Drop(list, entry);
              continue;
            }
          }
          if (!present) {
            if (emptySlotPauseMs > 0 && !stop.Sleep(emptySlotPauseMs)) return;
            continue;
          }
          work(entry, roundStart);
          if (stop.StopRequested()) return;
        }
      }
    }
    if (!stop.Sleep(hadEntries ? kRoundPauseMs : kEmptyListPauseMs)) return;
  }
}

}  // namespace

void RunVersionQueryWorker(Engine& engine, const platform::StopToken& stop) {
  ItemQueue<VersionQuery>& queue = EngineParts::VersionQueue(engine);
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
  ItemQueue<UploadRequest>& queue = EngineParts::UploadQueue(engine);
  PollList(stop, queue, kEmptySlotPauseMs, [&](UploadRequest* request, DWORD) {
    UpgradeSteps* steps = engine.Upgrade();
    if (steps != nullptr && steps->StepUpload(*request) == StepOutcome::kKeep) return;
    engine.HandToCoordinator(kMsgUploadEnded, queue.Take(request));
  });
}

void RunProgressPoller(Engine& engine, const platform::StopToken& stop) {
  ItemQueue<ProgressWatch>& list = EngineParts::ProgressWatches(engine);
  PollList(stop, list, kEmptySlotPauseMs, [&](ProgressWatch* watch, DWORD) {
    UpgradeSteps* steps = engine.Upgrade();
    if (steps != nullptr && steps->StepProgressWatch(*watch) == StepOutcome::kKeep) return;
    list.Take(watch);
  });
}

void RunVerifyWatcher(Engine& engine, const platform::StopToken& stop) {
  RecordList& list = EngineParts::VerifyList(engine);
  PollList(stop, list, 0, [&](discovery::DeviceRecord* record, DWORD now) {
    UpgradeSteps* steps = engine.Upgrade();
    if (steps != nullptr && steps->StepVerify(*record, now) == StepOutcome::kKeep) return;
    list.Remove(record);
  });
}

}  // namespace batch
