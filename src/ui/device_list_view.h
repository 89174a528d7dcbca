// The device table's rows as the main window's list control draws them: each row's record rides
// in the row's control block, so it moves with the row when a header click sorts the list. The
// list's item-changed and click notifications go back to the table.
#pragma once

#include "discovery/device_rows.h"

class CReportCtrl;

namespace discovery {
class DeviceTable;
}

namespace ui {

class DeviceListView : public discovery::DeviceRows {
 public:
  explicit DeviceListView(CReportCtrl& list) : m_list(list) {}

  // Routes the list's notifications to table: check marks and moved rows, and the clicks that
  // may not change a check mark. Before the table's first row.
  void Attach(discovery::DeviceTable& table);

  int RowCount() const override;
  int AppendRow(const QString& ip) override;
  void DeleteAllRows() override;
  void SetText(int row, discovery::DeviceColumn column, const QString& text) override;
  discovery::DeviceRecord* RecordAt(int row) const override;
  void SetRecord(int row, discovery::DeviceRecord* record) override;
  bool IsChecked(int row) const override;
  void SetChecked(int row, bool checked) override;

 private:
  CReportCtrl& m_list;
};

}  // namespace ui
