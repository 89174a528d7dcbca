#include "ui/device_list_view.h"

#include "discovery/device_table.h"
#include "ui/report_ctrl.h"

namespace ui {

void DeviceListView::Attach(discovery::DeviceTable& table) {
  m_list.onItemChanged = [&table](const ItemChange& change) {
    const unsigned oldImage = StateImage(change.oldState);
    const unsigned newImage = StateImage(change.newState);
    if (oldImage == kStateImageUnchecked && newImage == kStateImageChecked) {
      table.OnCheckChanged(true);
    } else if (oldImage == kStateImageChecked && newImage == kStateImageUnchecked) {
      table.OnCheckChanged(false);
    } else {
      // A sort stores every row's item data again, each at the row it moved to.
      table.OnRowMoved(change.row);
    }
  };
  // The second click of a double click is a click too.
  m_list.onClick = [this, &table](const QPoint& listPos) {
    if (!table.KeepsCheckMarks()) return 0;
    unsigned flags = 0;
    const int row = m_list.HitTest(listPos, &flags);
    return row >= 0 && (flags & kHitOnStateIcon) != 0 ? 1 : 0;
  };
}

int DeviceListView::RowCount() const {
  return m_list.GetItemCount();
}

int DeviceListView::AppendRow(const QString& ip) {
  return m_list.InsertItem(m_list.GetItemCount(), ip);
}

void DeviceListView::DeleteAllRows() {
  m_list.DeleteAllItems();
}

void DeviceListView::SetText(int row, discovery::DeviceColumn column, const QString& text) {
  m_list.SetItemText(row, column, text);
}

discovery::DeviceRecord* DeviceListView::RecordAt(int row) const {
  const RowControlBlock* block = m_list.GetItemData(row);
  return block != nullptr ? static_cast<discovery::DeviceRecord*>(block->rowPointer) : nullptr;
}

void DeviceListView::SetRecord(int row, discovery::DeviceRecord* record) {
  RowControlBlock* block = m_list.GetItemData(row);
  if (block == nullptr) return;
  block->rowPointer = record;
  m_list.SetItemData(row, block);
}

bool DeviceListView::IsChecked(int row) const {
  return m_list.GetCheck(row);
}

void DeviceListView::SetChecked(int row, bool checked) {
  m_list.SetCheck(row, checked);
}

}  // namespace ui
