// CReportCtrl: the report-style list that shows the device table. Every row carries a control
// block with the application's row pointer and a text and background colour per cell; a header
// click sorts by that column with a type-aware comparison; a click that changes a row's check box
// leaves that row the only selected one; Space never toggles a check box.
#pragma once

#include <QPoint>
#include <QString>
#include <QTableWidget>
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/win_types.h"
#include "ui/report_types.h"

class QKeyEvent;
class QMouseEvent;

namespace ui::detail {
class CellColorDelegate;
}

class CReportCtrl : public QTableWidget {
  Q_OBJECT

 public:
  explicit CReportCtrl(QWidget* parent = nullptr);
  ~CReportCtrl() override;

  // Inserts a column (format kAlignLeft, kAlignRight or kAlignCenter; width in pixels) and the
  // default colour pair at that index in every row's block. Returns the new column's index, or -1
  // when col is negative.
  int InsertColumn(int col, const QString& heading, int format, int width);
  bool SetHeaderText(int col, const QString& text);

  // Inserts a row with a row control block holding a null row pointer and the default colours.
  // A row past the end is appended. Returns the new row's index, or -1 when row is negative or
  // the list has no column. Marks the list unsorted.
  int InsertItem(int row, const QString& text);
  // Deletes one row and frees its control block.
  bool DeleteItem(int row);
  // Deletes every row and frees every control block the list made. Returns the rows deleted.
  int DeleteAllItems();
  int GetItemCount() const { return rowCount(); }

  // Marks the list unsorted, then sets the text.
  bool SetItemText(int row, int col, const QString& text);
  QString GetItemText(int row, int col) const;

  // Colours of cells. A row or column out of range stands for all rows or all columns; the list
  // is redrawn at once.
  void SetItemTextColor(int row, int col, COLORREF color);
  void SetItemBkColor(int row, int col, COLORREF color);
  COLORREF GetItemTextColor(int row, int col) const;
  COLORREF GetItemBkColor(int row, int col) const;
  // The colours a new cell starts with: the palette's window text and base colours.
  COLORREF DefaultTextColor() const;
  COLORREF DefaultBkColor() const;

  // The row's control block (null for no row); ->rowPointer is the application's record.
  ui::RowControlBlock* GetItemData(int row) const;
  // Stores the item data again, which raises item-changed (kChangedParam). The list keeps owning
  // the blocks it made; a block from elsewhere stays the caller's.
  bool SetItemData(int row, ui::RowControlBlock* block);

  bool GetCheck(int row) const;
  bool SetCheck(int row, bool checked);
  // Row state bits (ui::kStateFocused, kStateSelected, kStateImageMask) under mask. SetItemState
  // with row -1 sets every row.
  unsigned GetItemState(int row, unsigned mask) const;
  bool SetItemState(int row, unsigned state, unsigned mask);
  bool IsSelected(int row) const;
  bool HasFocus(int row) const;

  // The row under pos (viewport coordinates, as the click notifications give them), or -1; flags
  // gets ui::kHitOnStateIcon on a check box, kHitOnLabel elsewhere on a row, kHitNowhere off the
  // rows.
  int HitTest(const QPoint& pos, unsigned* flags) const;

  // Sorts the rows by the texts of col. Nothing happens (false) when col is not a header column,
  // the header is hidden or its sections are not clickable. Each row's state, item data, texts
  // and images move with it; item-changed is raised with every row's new index.
  bool SortItems(int col, bool ascending);
  // Header clicks sort only while sortable: ascending, unless the column is the last sorted one
  // and that sort was ascending.
  void SetSortable(bool sortable) { m_sortable = sortable; }
  bool IsSortable() const { return m_sortable; }
  // -1 when the list is not known to be sorted.
  int SortColumn() const { return m_sortColumn; }
  bool SortAscending() const { return m_sortAscending; }

  // The sort comparison of two texts: negative, zero or positive (ascending).
  static int Compare(const QString& a, const QString& b);

  // The number of row control blocks the list owns now.
  std::size_t OwnedBlockCount() const { return m_blocks.size(); }

  // Notifications to the parent, the item-changed and click notifications of a Win32 list.
  // After every change of a row's state bits or item data.
  std::function<void(const ui::ItemChange&)> onItemChanged;
  // On a left click, before a check box under it changes; a nonzero result keeps the check box.
  std::function<int(const QPoint& listPos)> onClick;
  // On a left double click (row -1 off the rows); a nonzero result keeps a check box under it.
  std::function<int(int row, const QPoint& listPos)> onDoubleClick;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  struct RowSnapshot;

  void OnColumnClick(int col);
  void HandleClick(QMouseEvent* event, bool doubleClick);
  void MarkUnsorted();
  std::unique_ptr<QTableWidgetItem> MakeItem(int col, const QString& text) const;
  QTableWidgetItem* CellItem(int row, int col);
  unsigned CurrentState(int row) const;
  void NotifyStateChange(int row);
  void NotifyAllStateChanges();
  using ColorArray = std::vector<COLORREF> ui::RowControlBlock::*;
  void ApplyColor(int row, int col, COLORREF color, ColorArray colors);
  COLORREF ColorOf(int row, int col, ColorArray colors, COLORREF fallback) const;
  std::vector<RowSnapshot> TakeSnapshots(const std::vector<int>& order) const;
  void WriteSnapshot(int row, const RowSnapshot& snapshot);

  bool m_sortable = false;
  int m_sortColumn = -1;
  bool m_sortAscending = true;
  std::vector<int> m_columnFormats;
  std::unordered_map<const ui::RowControlBlock*, std::unique_ptr<ui::RowControlBlock>> m_blocks;
  ui::detail::CellColorDelegate* m_delegate;  // child of the list
  int m_notifyLock = 0;                       // > 0: no item-changed notifications
};
