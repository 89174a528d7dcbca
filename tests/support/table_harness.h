// A device table over the rows a test gives it, with a window the test reads (counters, action
// line, search button, numbered timers, the questions asked) and a host whose batch hand-overs and
// restore pending list the test can see and set. Questions are answered from a queue; No once it
// is empty.
#pragma once

#include <QString>
#include <deque>
#include <map>
#include <vector>

#include "discovery/device_table.h"
#include "discovery/search_host.h"
#include "discovery/table_window.h"
#include "platform/window_timers.h"

namespace testsupport {

class TableHarness : public discovery::TableWindow, public discovery::SearchHost {
 public:
  explicit TableHarness(discovery::DeviceRows& rows)
      : m_timers([this](UINT id) { OnTimer(id); }), m_table(*this, rows, *this) {}

  discovery::DeviceTable& table() { return m_table; }

  // TableWindow.
  void ShowCounter(discovery::Counter counter, int value) override { counters[counter] = value; }
  void ShowAction(const QString& text) override { action = text; }
  void EnableSearchButton(bool enable) override { searchEnabled = enable; }
  void SetTimer(UINT id, DWORD periodMs) override { m_timers.SetTimer(id, periodMs); }
  void KillTimer(UINT id) override { m_timers.KillTimer(id); }
  bool IsTimerRunning(UINT id) const override { return m_timers.IsTimerRunning(id); }
  void DropPendingRowStatus() override {}
  void Repaint() override {}
  bool AskYesNo(const QString& question) override {
    questions.push_back(question);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }

  // SearchHost.
  int LanguageIndex() const override { return language; }
  int ExpectedCount() const override { return expected; }
  bool IsBatchRunning() const override { return batchRunning; }
  void OnSearchStarting() override {}
  void DetachRecords() override { ++recordsDetached; }
  bool RetiredRecordsUnreachable() const override { return retiredUnreachable; }
  void OnSearchComplete() override { ++completed; }
  void OnSearchAbandoned() override { ++abandoned; }
  void VisitRestorePending(const std::function<bool(discovery::DeviceRecord&)>& visit) override {
    for (discovery::DeviceRecord* record : restorePending)
      if (visit(*record)) return;
  }

  std::map<discovery::Counter, int> counters;
  QString action;
  bool searchEnabled = true;
  std::deque<bool> answers;
  std::vector<QString> questions;

  int language = 0;
  int expected = 3;
  bool batchRunning = false;
  int recordsDetached = 0;
  bool retiredUnreachable = true;
  int completed = 0;
  int abandoned = 0;
  std::vector<discovery::DeviceRecord*> restorePending;

 private:
  void OnTimer(UINT id) {
    if (id == discovery::kTimerSearch) m_table.OnSearchTimer();
    if (id == discovery::kTimerRefound) m_table.OnRefoundTimer();
  }

  platform::WindowTimers m_timers;
  discovery::DeviceTable m_table;
};

}  // namespace testsupport
