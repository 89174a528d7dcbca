#include "discovery/device_table.h"

#include <algorithm>

#include "discovery/search_host.h"
#include "platform/ansi_text.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/dialog_service.h"
#include "sdk/sdk.h"
#include "text/fixed_texts.h"
#include "text/text.h"
#include "ui/main_dialog_ids.h"
#include "ui/report_ctrl.h"

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

DeviceTable::DeviceTable(platform::Dialog& window, CReportCtrl& list, SearchHost& host)
    : m_window(window), m_list(list), m_host(host) {}

DeviceTable::~DeviceTable() = default;

void DeviceTable::StartSearch() {
  m_checkOnly.reset();
  m_checkedCount = 0;
  ShowCount(ids::IDC_CHECKED, 0);
  ShowCount(ids::IDC_SUCCESS, 0);
  ShowCount(ids::IDC_FAILURE, 0);
  m_window.SetDlgItemText(ids::IDC_ACTION,
                          texts::Text(texts::kTextSearching, m_host.LanguageIndex()));
  Clear();
  m_host.OnSearchStarting();
  IP_NET_DVR_StartSearchIPC();
  m_window.EnableDlgItem(ids::IDC_SEARCH, false);
  BeginSearchWindow();
  m_window.SetTimer(kTimerSearch, kSearchTimerPeriodMs);
}

void DeviceTable::Clear() {
  // No queued row status may reach a record that is about to go.
  m_window.RemovePendingMessages(kMsgRowStatus);
  // Marked before the lists are emptied, so that no list takes one of them back meanwhile.
  for (const auto& record : m_records) record->retired = true;
  m_host.DetachRecords();
  for (int row = 0; row < m_list.GetItemCount(); ++row) {
    ui::RowControlBlock* block = m_list.GetItemData(row);
    if (block == nullptr || block->rowPointer == nullptr) continue;
    auto* record = static_cast<DeviceRecord*>(block->rowPointer);
    if (record->loginHandle > 0) {
      IP_NET_DVR_Logout(record->loginHandle);
      record->loginHandle = 0;
      record->loginState = kLoginUnknown;
    }
    block->rowPointer = nullptr;
    m_list.SetItemData(row, block);
  }
  for (auto& record : m_records) m_retired.push_back(std::move(record));
  m_records.clear();
  FreeRetiredRecords();
  m_resultTaken.clear();
  m_list.DeleteAllItems();
  m_totalCount = 0;
  m_checkedCount = 0;
  ShowCount(ids::IDC_TOTAL, 0);
  ShowCount(ids::IDC_CHECKED, 0);
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
  if (platform::AskYesNo(&m_window, question)) {
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
  m_window.repaint();
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
    m_list.SetItemData(row, m_list.GetItemData(row));
  }

  AppendNewResults(resultCount);
  m_totalCount = m_list.GetItemCount();
  ShowCount(ids::IDC_TOTAL, m_totalCount);
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
    const int row = m_list.GetItemCount();
    if (row >= m_host.ExpectedCount()) break;
    auto record = std::make_unique<DeviceRecord>();
    if (m_list.InsertItem(row, ScreenText(block.Ip())) < 0) break;
    SetRowTexts(row, block);
    record->ResetFrom(block);
    record->rowIndex = row;
    record->searchIndex = index;
    ui::RowControlBlock* rowBlock = m_list.GetItemData(row);
    rowBlock->rowPointer = record.get();
    m_records.push_back(std::move(record));
    m_resultTaken[index] = true;
    m_list.SetItemData(row, rowBlock);
    m_list.SetCheck(row, !m_checkOnly || m_checkOnly->count(block.Serial()) > 0);
  }
}

void DeviceTable::SetRowTexts(int row, const sdk::DeviceInfoBlock& block) {
  m_list.SetItemText(row, kColumnIp, ScreenText(block.Ip()));
  m_list.SetItemText(row, kColumnMac, ScreenText(block.Mac()));
  m_list.SetItemText(row, kColumnSerial, ScreenText(block.Serial()));
  m_list.SetItemText(row, kColumnType, ScreenText(block.DeviceType()));
  m_list.SetItemText(row, kColumnAllNetwork, AllNetworkText(block));
}

void DeviceTable::CheckAll() {
  SetAllChecks(true);
}

void DeviceTable::Invert() {
  for (int row = 0; row < m_list.GetItemCount(); ++row) m_list.SetCheck(row, !m_list.GetCheck(row));
}

void DeviceTable::SetAllChecks(bool checked) {
  for (int row = 0; row < m_list.GetItemCount(); ++row) m_list.SetCheck(row, checked);
}

void DeviceTable::OnItemChanged(const ui::ItemChange& change) {
  const unsigned oldImage = ui::StateImage(change.oldState);
  const unsigned newImage = ui::StateImage(change.newState);
  if (oldImage == ui::kStateImageUnchecked && newImage == ui::kStateImageChecked) {
    ShowCount(ids::IDC_CHECKED, ++m_checkedCount);
  } else if (oldImage == ui::kStateImageChecked && newImage == ui::kStateImageUnchecked) {
    ShowCount(ids::IDC_CHECKED, --m_checkedCount);
  } else if (DeviceRecord* record = RecordAt(change.row)) {
    // A sort rewrites every row's item data; this keeps each record's row index in step.
    record->rowIndex = change.row;
  }
}

int DeviceTable::OnClick(const QPoint& listPos) const {
  if (!m_host.IsBatchRunning() && !m_busy) return 0;
  unsigned flags = 0;
  const int row = m_list.HitTest(listPos, &flags);
  return row >= 0 && (flags & ui::kHitOnStateIcon) != 0 ? 1 : 0;
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
  const ui::RowControlBlock* block = m_list.GetItemData(row);
  return block != nullptr ? static_cast<DeviceRecord*>(block->rowPointer) : nullptr;
}

void DeviceTable::ShowAllNetworkState(int row) {
  if (const DeviceRecord* record = RecordAt(row))
    m_list.SetItemText(row, kColumnAllNetwork, AllNetworkText(record->info));
}

bool DeviceTable::Lists(const DeviceRecord* record) const {
  return std::any_of(
      m_records.begin(), m_records.end(),
      [record](const std::unique_ptr<DeviceRecord>& own) { return own.get() == record; });
}

std::vector<DeviceRecord*> DeviceTable::CheckedRecords() const {
  std::vector<DeviceRecord*> records;
  for (int row = 0; row < m_list.GetItemCount(); ++row)
    if (m_list.GetCheck(row))
      if (DeviceRecord* record = RecordAt(row)) records.push_back(record);
  return records;
}

void DeviceTable::ShowCount(int controlId, int value) {
  m_window.SetDlgItemText(controlId, QString::asprintf("%d", value));
}

}  // namespace discovery
