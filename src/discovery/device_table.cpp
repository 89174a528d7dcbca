#include "discovery/device_table.h"

#include <algorithm>

#include "discovery/device_rows.h"
#include "discovery/search_host.h"
#include "discovery/table_window.h"
#include "platform/ansi_text.h"
#include "platform/clock.h"
#include "sdk/sdk.h"
#include "text/fixed_texts.h"
#include "text/text.h"

namespace discovery {
namespace {

// Screen text of a block field: GBK, at most 256 characters.
QString ScreenText(const std::string& ansi) {
  return platform::FromAnsi(ansi).left(256);
}

QString AllNetworkText(const sdk::DeviceInfoBlock& block) {
  if (block.AllNetSupport() != sdk::DeviceInfoBlock::kAllNetSupported)
    return QString::fromUtf16(texts::kAllNetworkUnsupported);
  return QString::fromUtf16(block.AllNetState() != 0 ? texts::kAllNetworkEnabled
                                                     : texts::kAllNetworkDisabled);
}

bool IsFactoryAddress(const std::string& ip) {
  return ip == kFactoryAddress0 || ip == kFactoryAddress1;
}

// Fetches result index into block; false when the library has no such result.
bool FetchResult(int index, sdk::DeviceInfoBlock& block) {
  block.Clear();
  return IP_NET_DVR_GetIPCInfo(index, block.data()) == 0;
}

}  // namespace

DeviceTable::DeviceTable(TableWindow& window, DeviceRows& rows, SearchHost& host)
    : m_window(window), m_rows(rows), m_host(host) {}

DeviceTable::~DeviceTable() = default;

void DeviceTable::StartSearch() {
  m_checkOnly.reset();
  m_checkedCount = 0;
  m_window.ShowCounter(Counter::kChecked, 0);
  m_window.ShowCounter(Counter::kSuccess, 0);
  m_window.ShowCounter(Counter::kFailure, 0);
  m_window.ShowAction(texts::Text(texts::kTextSearching, m_host.LanguageIndex()));
  Clear();
  m_host.OnSearchStarting();
  IP_NET_DVR_StartSearchIPC();
  m_window.EnableSearchButton(false);
  BeginSearchWindow();
  m_window.SetTimer(kTimerSearch, kSearchTimerPeriodMs);
}

void DeviceTable::Clear() {
  // No queued row status may reach a record that is about to go.
  m_window.DropPendingRowStatus();
  // Marked before the lists are emptied, so that no list takes one of them back meanwhile.
  for (const auto& record : m_records) record->retired = true;
  m_host.DetachRecords();
  for (int row = 0; row < m_rows.RowCount(); ++row) {
    DeviceRecord* record = m_rows.RecordAt(row);
    if (record == nullptr) continue;
    if (record->loginHandle > 0) {
      IP_NET_DVR_Logout(record->loginHandle);
      record->loginHandle = 0;
      record->loginState = kLoginUnknown;
    }
    m_rows.SetRecord(row, nullptr);
  }
  for (auto& record : m_records) m_retired.push_back(std::move(record));
  m_records.clear();
  FreeRetiredRecords();
  m_resultTaken.clear();
  m_rows.DeleteAllRows();
  m_totalCount = 0;
  m_checkedCount = 0;
  m_window.ShowCounter(Counter::kTotal, 0);
  m_window.ShowCounter(Counter::kChecked, 0);
}

void DeviceTable::FreeRetiredRecords() {
  if (!m_retired.empty() && m_host.RetiredRecordsUnreachable()) m_retired.clear();
}

void DeviceTable::BeginSearchWindow() {
  m_searchStartTick = platform::GetTickCount();
}

DeviceTable::SearchWindow DeviceTable::CheckSearchWindow(UINT timerId) {
  if (platform::GetTickCount() - m_searchStartTick <= kSearchWindowMs) return SearchWindow::kOpen;
  m_window.KillTimer(timerId);
  const QString question = texts::Text(texts::kTextAskContinueSearch, m_host.LanguageIndex());
  if (m_window.AskYesNo(question)) {
    BeginSearchWindow();
    m_window.SetTimer(timerId, kSearchTimerPeriodMs);
    return SearchWindow::kExtended;
  }
  IP_NET_DVR_StopSearchIPC();
  return SearchWindow::kAbandoned;
}

void DeviceTable::CheckOnlySerials(std::set<std::string> serials) {
  m_checkOnly = std::move(serials);
}

void DeviceTable::OnSearchTimer() {
  switch (CheckSearchWindow(kTimerSearch)) {
    case SearchWindow::kOpen:
      break;
    case SearchWindow::kExtended:
      return;
    case SearchWindow::kAbandoned:
      m_host.OnSearchAbandoned();
      return;
  }
  Refresh();
  m_window.Repaint();
  if (ReachedExpectedCount()) {
    m_window.KillTimer(kTimerSearch);
    IP_NET_DVR_StopSearchIPC();
    m_host.OnSearchComplete();
  }
}

void DeviceTable::Refresh() {
  FreeRetiredRecords();
  if (m_totalCount > kMaxRefreshRows) return;
  const int resultCount = IP_NET_DVR_GetSearchIPCCount();
  if (resultCount <= 0) return;

  // Existing rows: each record is refreshed from the result the library knows it by, in whatever
  // row a sort has moved it to.
  sdk::DeviceInfoBlock block;
  for (const auto& record : m_records) {
    const int index = record->searchIndex;
    if (!FetchResult(index, block) || block.DeviceType() == kNvrType) continue;
    const int row = record->rowIndex;
    SetRowTexts(row, block);
    record->ResetFrom(block);
    record->rowIndex = row;
    record->searchIndex = index;
    m_rows.SetRecord(row, record.get());
  }

  AppendNewResults(resultCount);
  m_totalCount = m_rows.RowCount();
  m_window.ShowCounter(Counter::kTotal, m_totalCount);
}

void DeviceTable::AppendNewResults(int resultCount) {
  if (static_cast<int>(m_resultTaken.size()) < resultCount)
    m_resultTaken.resize(resultCount, false);
  sdk::DeviceInfoBlock block;
  for (int index = 0; index < resultCount; ++index) {
    if (m_resultTaken[index]) continue;
    if (!FetchResult(index, block)) continue;
    if (block.DeviceType() == kNvrType) {
      m_resultTaken[index] = true;
      continue;
    }
    if (m_rows.RowCount() >= m_host.ExpectedCount()) break;
    auto record = std::make_unique<DeviceRecord>();
    const int row = m_rows.AppendRow(ScreenText(block.Ip()));
    if (row < 0) break;
    SetRowTexts(row, block);
    record->ResetFrom(block);
    record->rowIndex = row;
    record->searchIndex = index;
    DeviceRecord* listed = record.get();
    m_records.push_back(std::move(record));
    m_resultTaken[index] = true;
    m_rows.SetRecord(row, listed);
    m_rows.SetChecked(row, !m_checkOnly || m_checkOnly->count(block.Serial()) > 0);
  }
}

void DeviceTable::SetRowTexts(int row, const sdk::DeviceInfoBlock& block) {
  m_rows.SetText(row, kColumnIp, ScreenText(block.Ip()));
  m_rows.SetText(row, kColumnMac, ScreenText(block.Mac()));
  m_rows.SetText(row, kColumnSerial, ScreenText(block.Serial()));
  m_rows.SetText(row, kColumnType, ScreenText(block.DeviceType()));
  m_rows.SetText(row, kColumnAllNetwork, AllNetworkText(block));
}

void DeviceTable::CheckAll() {
  SetAllChecks(true);
}

void DeviceTable::Invert() {
  for (int row = 0; row < m_rows.RowCount(); ++row) m_rows.SetChecked(row, !m_rows.IsChecked(row));
}

void DeviceTable::SetAllChecks(bool checked) {
  for (int row = 0; row < m_rows.RowCount(); ++row) m_rows.SetChecked(row, checked);
}

void DeviceTable::OnCheckChanged(bool checked) {
  m_window.ShowCounter(Counter::kChecked, checked ? ++m_checkedCount : --m_checkedCount);
}

void DeviceTable::OnRowMoved(int row) {
  if (DeviceRecord* record = RecordAt(row)) record->rowIndex = row;
}

bool DeviceTable::KeepsCheckMarks() const {
  return m_host.IsBatchRunning() || m_busy;
}

bool DeviceTable::CanOpenPreview() const {
  return !m_busy && !m_window.IsTimerRunning(kTimerSearch);
}

bool DeviceTable::ReachedExpectedCount() const {
  return m_totalCount >= m_host.ExpectedCount();
}

void DeviceTable::OnRefoundTimer() {
  m_window.KillTimer(kTimerRefound);
  const int resultCount = IP_NET_DVR_GetSearchIPCCount();
  sdk::DeviceInfoBlock block;
  for (int index = m_searchCursor; index < resultCount; ++index) {
    if (FetchResult(index, block)) {
      const std::string serial = block.Serial();
      const RefoundState state =
          IsFactoryAddress(block.Ip()) ? kRefoundAtDefaultAddress : kRefoundElsewhere;
      m_host.VisitRestorePending([&](DeviceRecord& record) {
        if (record.info.Serial() != serial) return false;
        record.refoundState = state;
        return true;
      });
    }
    m_searchCursor = index + 1;
  }
  m_window.SetTimer(kTimerRefound, kRefoundTimerPeriodMs);
}

DeviceRecord* DeviceTable::RecordAt(int row) const {
  return m_rows.RecordAt(row);
}

void DeviceTable::ShowAllNetworkState(int row) {
  if (const DeviceRecord* record = RecordAt(row))
    m_rows.SetText(row, kColumnAllNetwork, AllNetworkText(record->info));
}

bool DeviceTable::Lists(const DeviceRecord* record) const {
  return std::any_of(
      m_records.begin(), m_records.end(),
      [record](const std::unique_ptr<DeviceRecord>& own) { return own.get() == record; });
}

std::vector<DeviceRecord*> DeviceTable::CheckedRecords() const {
  std::vector<DeviceRecord*> records;
  for (int row = 0; row < m_rows.RowCount(); ++row)
    if (m_rows.IsChecked(row))
      if (DeviceRecord* record = RecordAt(row)) records.push_back(record);
  return records;
}

}  // namespace discovery
