// The device table: one row per device found by the library's LAN search, each row owning its
// device record. Starts and merges the search (kTimerSearch), keeps the total and checked counters,
// the check marks, and the re-found check that a factory restore relies on (kTimerRefound). It
// holds the records and decides what the rows show; the window's list control draws them.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "discovery/device_record.h"
#include "platform/win_types.h"

namespace discovery {

class DeviceRows;
class SearchHost;
class TableWindow;

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
  DeviceTable(TableWindow& window, DeviceRows& rows, SearchHost& host);
  ~DeviceTable();
  DeviceTable(const DeviceTable&) = delete;
  DeviceTable& operator=(const DeviceTable&) = delete;

  // IDC_SEARCH and the search instruction.
  void StartSearch();
  // Logs out every logged-in device, lets go of every record and deletes every row. The records
  // are retired: freed once nothing outside the table can reach them any more (at once when
  // nothing does).
  void Clear();
  // kTimerSearch.
  void OnSearchTimer();
  // Merges the library's results into the table (kTimerSearch and the IP re-search's
  // kTimerModifyIpSearch).
  void Refresh();

  // The 20-second window of a search that timer timerId refreshes. BeginSearchWindow opens it.
  // CheckSearchWindow on each tick: kOpen while it lasts; once it is over the timer stops and
  // the operator is asked whether to go on searching: Yes opens a new window on the same timer
  // (kExtended), No stops the library's search (kAbandoned).
  enum class SearchWindow { kOpen, kExtended, kAbandoned };
  void BeginSearchWindow();
  SearchWindow CheckSearchWindow(UINT timerId);

  // Rows added from now on are checked only when their serial number is one of these (the
  // re-search after IP re-addressing); the next StartSearch checks every row again.
  void CheckOnlySerials(std::set<std::string> serials);

  // Check marks: IDC_SELECT_ALL; IDC_INVERT and IDC_INVERT_HIDDEN; IDC_CHECK_ALL_BY_STATE.
  void CheckAll();
  void Invert();
  void SetAllChecks(bool checked);

  // What the rows report back. The user (or SetAllChecks, Invert) changed a row's check mark.
  void OnCheckChanged(bool checked);
  // A sort moved a row: the record shown there now sits at row.
  void OnRowMoved(int row);
  // While a batch runs or the table is busy a click on a check box keeps the mark as it is.
  bool KeepsCheckMarks() const;

  // While IP re-addressing owns the table (from its first device to the end of its
  // verification) no click may change a check mark and nothing may open a record: the pass
  // lets go of every record when it searches again.
  void SetBusy(bool busy) { m_busy = busy; }
  bool IsBusy() const { return m_busy; }

  // A preview window borrows records of the table: none opens while the table may be cleared
  // (the IP pass, a search), and while one is open the IP pass holds back its re-search.
  bool CanOpenPreview() const;
  void SetPreviewOpen(bool open) { m_previewOpen = open; }
  bool IsPreviewOpen() const { return m_previewOpen; }

  // Whether the table holds the expected device count (the end of a search).
  bool ReachedExpectedCount() const;

  // kTimerRefound; the factory-restore worker resets the cursor before it starts the timer.
  void OnRefoundTimer();
  void ResetSearchCursor() { m_searchCursor = 0; }

  // Column 7 from the all-network bytes of the row's record.
  void ShowAllNetworkState(int row);

  DeviceRecord* RecordAt(int row) const;
  // Whether the record is one of the table's own (not retired); never reads the record.
  bool Lists(const DeviceRecord* record) const;
  // Records let go of by Clear that something may still reach.
  std::size_t RetiredCount() const { return m_retired.size(); }
  // Frees the retired records once nothing can reach them; every refresh tries again.
  void FreeRetiredRecords();
  int TotalCount() const { return m_totalCount; }
  int CheckedCount() const { return m_checkedCount; }
  // The records of the checked rows, in row order.
  std::vector<DeviceRecord*> CheckedRecords() const;

 private:
  void SetRowTexts(int row, const sdk::DeviceInfoBlock& block);
  void AppendNewResults(int resultCount);
  TableWindow& m_window;
  DeviceRows& m_rows;
  SearchHost& m_host;

  // Every record of the table; rows point into it. Let go of only by Clear.
  std::vector<std::unique_ptr<DeviceRecord>> m_records;
  std::vector<std::unique_ptr<DeviceRecord>> m_retired;
  std::optional<std::set<std::string>> m_checkOnly;
  // Which library results have been listed or set aside (an "NVR"); a result whose lookup failed
  // stays open and is tried again on the next refresh.
  std::vector<bool> m_resultTaken;

  int m_totalCount = 0;
  int m_checkedCount = 0;
  bool m_previewOpen = false;
  bool m_busy = false;
  DWORD m_searchStartTick = 0;
  // Search results already examined by the re-found check.
  std::atomic<int> m_searchCursor{0};
};

}  // namespace discovery
