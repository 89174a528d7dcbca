// The device table: one row per device found by the library's LAN search, each row owning its
// device record. Starts and merges the search (timer 1000), keeps the total and checked counters,
// the check marks, and the re-found check that a factory restore relies on (timer 1008).
#pragma once

#include <QPoint>
#include <atomic>
#include <memory>
#include <vector>

#include "discovery/device_record.h"
#include "platform/win_types.h"
#include "ui/report_types.h"

class CReportCtrl;

namespace platform {
class Dialog;
}

namespace discovery {

class SearchHost;

constexpr UINT kTimerSearch = 1000;
constexpr UINT kTimerRefound = 1008;
constexpr DWORD kSearchTimerPeriodMs = 1500;
constexpr DWORD kRefoundTimerPeriodMs = 1500;
constexpr DWORD kSearchWindowMs = 20000;
// A refresh does nothing once the table holds more rows than this.
constexpr int kMaxRefreshRows = 253;

// The device type whose results are never listed.
constexpr char kNvrType[] = "NVR";
// The addresses a device comes back at after a factory restore.
constexpr char kFactoryAddress0[] = "192.168.0.123";
constexpr char kFactoryAddress1[] = "192.168.1.123";

class DeviceTable {
 public:
  DeviceTable(platform::Dialog& window, CReportCtrl& list, SearchHost& host);
  ~DeviceTable();
  DeviceTable(const DeviceTable&) = delete;
  DeviceTable& operator=(const DeviceTable&) = delete;

  // Button 1002 and the search instruction.
  void StartSearch();
  // Logs out every logged-in device, frees every record and deletes every row.
  void Clear();
  // Timer 1000.
  void OnSearchTimer();
  // Merges the library's results into the table (timers 1000 and 1007).
  void Refresh();

  // Check marks: 1036; 1037 and 1022; 1003.
  void CheckAll();
  void Invert();
  void SetAllChecks(bool checked);

  // Notifications of list 1000.
  void OnItemChanged(const ui::ItemChange& change);
  // Returns 1 to keep a row's check mark while a batch runs.
  int OnClick(const QPoint& listPos) const;

  // Timer 1008; the factory-restore worker resets the cursor before it starts the timer.
  void OnRefoundTimer();
  void ResetSearchCursor() { m_searchCursor = 0; }

  DeviceRecord* RecordAt(int row) const;
  int TotalCount() const { return m_totalCount; }
  int CheckedCount() const { return m_checkedCount; }
  // The records of the checked rows, in row order.
  std::vector<DeviceRecord*> CheckedRecords() const;

 private:
  void SetRowTexts(int row, const sdk::DeviceInfoBlock& block);
  void AppendNewResults(int resultCount);
  void ShowCount(int controlId, int value);

  platform::Dialog& m_window;
  CReportCtrl& m_list;
  SearchHost& m_host;

  // Every record of the table; rows point into it. Freed only by Clear.
  std::vector<std::unique_ptr<DeviceRecord>> m_records;
  // Which library results have been listed or set aside (an "NVR"); a result whose lookup failed
  // stays open and is tried again on the next refresh.
  std::vector<bool> m_resultTaken;

  int m_totalCount = 0;
  int m_checkedCount = 0;
  DWORD m_searchStartTick = 0;
  // Search results already examined by the re-found check.
  std::atomic<int> m_searchCursor{0};
};

}  // namespace discovery
