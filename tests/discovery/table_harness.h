// A window holding a device list and its device table, with a host whose batch hand-overs and
// restore pending list the tests can see and set.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <vector>

#include "discovery/device_table.h"
#include "discovery/search_host.h"
#include "platform/dialog.h"
#include "ui/main_dialog_ids.h"
#include "ui/report_ctrl.h"

namespace testsupport {

class TableHarness : public platform::Dialog, public discovery::SearchHost {
 public:
  TableHarness() : Dialog(102), m_list(new CReportCtrl(this)), m_table(*this, *m_list, *this) {
    SetControlId(m_list, ids::IDC_DEVICE_LIST);
    for (int id :
         {ids::IDC_TOTAL, ids::IDC_CHECKED, ids::IDC_SUCCESS, ids::IDC_FAILURE, ids::IDC_ACTION})
      SetControlId(new QLabel(this), id);
    SetControlId(new QPushButton(this), ids::IDC_SEARCH);
    for (int column = 0; column < 8; ++column)
      m_list->InsertColumn(column, QString::number(column), ui::kAlignCenter, 100);
    m_list->resize(1200, 600);
    m_list->onItemChanged = [this](const ui::ItemChange& change) { m_table.OnItemChanged(change); };
    m_list->onClick = [this](const QPoint& pos) { return m_table.OnClick(pos); };
  }

  CReportCtrl& list() { return *m_list; }
  discovery::DeviceTable& table() { return m_table; }

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

  int language = 0;
  int expected = 3;
  bool batchRunning = false;
  int recordsDetached = 0;
  bool retiredUnreachable = true;
  int completed = 0;
  int abandoned = 0;
  std::vector<discovery::DeviceRecord*> restorePending;

 protected:
  void OnTimer(UINT id) override {
    if (id == discovery::kTimerSearch) m_table.OnSearchTimer();
    if (id == discovery::kTimerRefound) m_table.OnRefoundTimer();
  }

 private:
  CReportCtrl* m_list;
  discovery::DeviceTable m_table;
};

}  // namespace testsupport
