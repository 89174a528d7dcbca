// What the device table needs from the rest of the program: the window's settings and the
// hand-overs to the batch. The main window implements it.
#pragma once

#include <functional>

namespace discovery {

struct DeviceRecord;

class SearchHost {
 public:
  virtual ~SearchHost() = default;

  virtual int LanguageIndex() const = 0;
  // The expected device count, 1..250.
  virtual int ExpectedCount() const = 0;
  virtual bool IsBatchRunning() const = 0;

  // A search of the table is about to start, the table already cleared: the moment at which
  // settings chosen since may reach the device library.
  virtual void OnSearchStarting() = 0;

  // Clearing the table, after it has marked every record retired: takes the records out of
  // every list and queue of the workers (the login list among them), before any is freed.
  virtual void DetachRecords() = 0;
  // True when nothing outside the table can reach a retired record any more: the table may free
  // them.
  virtual bool RetiredRecordsUnreachable() const = 0;

  // The search reached the expected count: the batch goes on after the search instruction.
  virtual void OnSearchComplete() = 0;
  // The user gave up waiting for more devices: the batch ends.
  virtual void OnSearchAbandoned() = 0;

  // Runs visit on each record of the restore pending list while holding the restore lock; visit
  // returns true to stop.
  virtual void VisitRestorePending(const std::function<bool(DeviceRecord&)>& visit) = 0;
};

}  // namespace discovery
