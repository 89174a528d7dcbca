// The rows the device table draws into: one per listed device, each with its record, the texts of
// its columns and its check mark. The main window's list control provides them; the table tells
// it what to show and hears back from it when the user changes a check mark or sorts the rows.
#pragma once

#include <QString>

#include "discovery/device_record.h"

namespace discovery {

class DeviceRows {
 public:
  virtual ~DeviceRows() = default;

  virtual int RowCount() const = 0;
  // Appends a row showing the device's address; its index, or -1 when the list cannot take one.
  virtual int AppendRow(const QString& ip) = 0;
  virtual void DeleteAllRows() = 0;
  virtual void SetText(int row, DeviceColumn column, const QString& text) = 0;

  // The record the row shows; null for a row without one (or no such row).
  virtual DeviceRecord* RecordAt(int row) const = 0;
  // Pairs the row with its record; null lets go of it.
  virtual void SetRecord(int row, DeviceRecord* record) = 0;

  virtual bool IsChecked(int row) const = 0;
  virtual void SetChecked(int row, bool checked) = 0;
};

}  // namespace discovery
