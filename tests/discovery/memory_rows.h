// Rows kept in memory, as a list control keeps them: a new row is unchecked, and a changed check
// mark is reported to the table it is attached to.
#pragma once

#include <array>
#include <vector>

#include "discovery/device_rows.h"
#include "discovery/device_table.h"

namespace testsupport {

class MemoryRows : public discovery::DeviceRows {
 public:
  void Attach(discovery::DeviceTable& table) { m_table = &table; }

  int RowCount() const override { return static_cast<int>(m_rows.size()); }
  int AppendRow(const QString& ip) override {
    m_rows.push_back({});
    m_rows.back().texts[discovery::kColumnIp] = ip;
    return RowCount() - 1;
  }
  void DeleteAllRows() override { m_rows.clear(); }
  void SetText(int row, discovery::DeviceColumn column, const QString& text) override {
    m_rows.at(static_cast<std::size_t>(row)).texts[column] = text;
  }
  discovery::DeviceRecord* RecordAt(int row) const override {
    return Has(row) ? m_rows[static_cast<std::size_t>(row)].record : nullptr;
  }
  void SetRecord(int row, discovery::DeviceRecord* record) override {
    m_rows.at(static_cast<std::size_t>(row)).record = record;
  }
  bool IsChecked(int row) const override {
    return Has(row) && m_rows[static_cast<std::size_t>(row)].checked;
  }
  void SetChecked(int row, bool checked) override {
    Row& shown = m_rows.at(static_cast<std::size_t>(row));
    if (shown.checked == checked) return;
    shown.checked = checked;
    if (m_table != nullptr) m_table->OnCheckChanged(checked);
  }

  QString Text(int row, int column) const {
    return m_rows.at(static_cast<std::size_t>(row)).texts[static_cast<std::size_t>(column)];
  }

 private:
  struct Row {
    std::array<QString, discovery::kColumnCount> texts;
    discovery::DeviceRecord* record = nullptr;
    bool checked = false;
  };

  bool Has(int row) const { return row >= 0 && row < RowCount(); }

  discovery::DeviceTable* m_table = nullptr;
  std::vector<Row> m_rows;
};

}  // namespace testsupport
