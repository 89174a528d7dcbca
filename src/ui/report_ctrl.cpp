#include "ui/report_ctrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <numeric>
#include <set>
#include <unordered_set>

#include "ui/color_ref.h"
#include "ui/detail/cell_color_delegate.h"
#include "ui/detail/quick_sort.h"
#include "ui/sort_key.h"

namespace {

// Column 0's item carries the row's control block and the state last reported to the parent.
constexpr int kBlockRole = Qt::UserRole;
constexpr int kNotifiedStateRole = Qt::UserRole + 1;

Qt::Alignment AlignmentOf(int format) {
  switch (format) {
    case ui::kAlignRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ui::kAlignCenter:
      return Qt::AlignCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QVariant BlockValue(ui::RowControlBlock* block) {
  return QVariant::fromValue(reinterpret_cast<quintptr>(block));
}

}  // namespace

struct CReportCtrl::RowSnapshot {
  unsigned state = 0;
  ui::RowControlBlock* block = nullptr;
  std::vector<QString> texts;
  std::vector<QVariant> images;
};

CReportCtrl::CReportCtrl(QWidget* parent)
    : QTableWidget(parent), m_delegate(new ui::detail::CellColorDelegate(this)) {
  setItemDelegate(m_delegate);
  setSelectionBehavior(SelectRows);
  setSelectionMode(ExtendedSelection);
  setEditTriggers(NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setHorizontalScrollMode(ScrollPerPixel);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);

  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CReportCtrl::OnColumnClick);
  connect(
      model(), &QAbstractItemModel::dataChanged, this,
      [this](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
        if (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole)) return;
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row) NotifyStateChange(row);
      });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            std::set<int> rows;
            for (const QItemSelection* selection : {&selected, &deselected}) {
              for (const QItemSelectionRange& range : *selection) {
                for (int row = range.top(); row <= range.bottom(); ++row) rows.insert(row);
              }
            }
            for (int row : rows) NotifyStateChange(row);
          });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            NotifyStateChange(previous.row());
            NotifyStateChange(current.row());
          });
}

CReportCtrl::~CReportCtrl() {
  // The base classes tear the model down after this object's members are gone: nothing may reach
  // them or the parent from there.
  disconnect(model(), nullptr, this, nullptr);
  disconnect(selectionModel(), nullptr, this, nullptr);
  disconnect(horizontalHeader(), nullptr, this, nullptr);
  onItemChanged = nullptr;
  onClick = nullptr;
  onDoubleClick = nullptr;
  DeleteAllItems();
}

int CReportCtrl::InsertColumn(int col, const QString& heading, int format, int width) {
  if (col < 0) return -1;
  col = std::min(col, columnCount());
  insertColumn(col);
  auto header = std::make_unique<QTableWidgetItem>(heading);
  header->setTextAlignment(AlignmentOf(format));
  setHorizontalHeaderItem(col, header.release());
  setColumnWidth(col, width);
  m_columnFormats.insert(m_columnFormats.begin() + std::min<qsizetype>(col, m_columnFormats.size()),
                         format);

  std::unordered_set<ui::RowControlBlock*> widened;
  for (int row = 0; row < rowCount(); ++row) {
    auto cell = MakeItem(col, QString());
    // A new first column takes over the check box, the block and the state from the old one.
    if (col == 0 && columnCount() > 1) {
      if (QTableWidgetItem* old = item(row, 1)) {
        for (int role : {kBlockRole, kNotifiedStateRole, static_cast<int>(Qt::CheckStateRole)}) {
          cell->setData(role, old->data(role));
        }
        old->setData(Qt::CheckStateRole, QVariant());
        old->setData(kBlockRole, QVariant());
        old->setFlags(old->flags() & ~Qt::ItemIsUserCheckable);
      }
    }
    setItem(row, col, cell.release());
    ui::RowControlBlock* block = GetItemData(row);
    if (block && widened.insert(block).second) {
      block->textColors.insert(
          block->textColors.begin() + std::min<qsizetype>(col, block->textColors.size()),
          DefaultTextColor());
      block->backColors.insert(
          block->backColors.begin() + std::min<qsizetype>(col, block->backColors.size()),
          DefaultBkColor());
    }
  }
  return col;
}

bool CReportCtrl::SetHeaderText(int col, const QString& text) {
  if (col < 0 || col >= columnCount()) return false;
  QTableWidgetItem* header = horizontalHeaderItem(col);
  if (!header) {
    auto created = std::make_unique<QTableWidgetItem>();
    header = created.get();
    setHorizontalHeaderItem(col, created.release());
  }
  header->setText(text);
  return true;
}

int CReportCtrl::InsertItem(int row, const QString& text) {
  MarkUnsorted();
  if (row < 0 || columnCount() == 0) return -1;
  row = std::min(row, rowCount());
  insertRow(row);
  for (int col = 0; col < columnCount(); ++col) {
    setItem(row, col, MakeItem(col, col == 0 ? text : QString()).release());
  }
  auto block = std::make_unique<ui::RowControlBlock>();
  block->textColors.assign(static_cast<std::size_t>(columnCount()), DefaultTextColor());
  block->backColors.assign(static_cast<std::size_t>(columnCount()), DefaultBkColor());
  ui::RowControlBlock* raw = block.get();
  m_blocks.emplace(raw, std::move(block));
  SetItemData(row, raw);
  return row;
}

bool CReportCtrl::DeleteItem(int row) {
  if (row < 0 || row >= rowCount()) return false;
  ui::RowControlBlock* block = GetItemData(row);
  ++m_notifyLock;
  removeRow(row);
  --m_notifyLock;
  bool stillUsed = false;
  for (int other = 0; other < rowCount() && !stillUsed; ++other) {
    stillUsed = GetItemData(other) == block;
  }
  if (!stillUsed) m_blocks.erase(block);
  // The removal may have moved the focus or the selection to a neighbour.
  NotifyAllStateChanges();
  return true;
}

int CReportCtrl::DeleteAllItems() {
  const int count = rowCount();
  const bool updates = updatesEnabled();
  setUpdatesEnabled(false);
  ++m_notifyLock;
  for (int row = 0; row < count; ++row) {
    if (QTableWidgetItem* first = item(row, 0)) first->setData(kBlockRole, QVariant());
  }
  // Every block the list made goes, including any a row no longer refers to.
  m_blocks.clear();
  setRowCount(0);
  --m_notifyLock;
  setUpdatesEnabled(updates);
  return count;
}

bool CReportCtrl::SetItemText(int row, int col, const QString& text) {
  MarkUnsorted();
  if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return false;
  CellItem(row, col)->setText(text);
  return true;
}

QString CReportCtrl::GetItemText(int row, int col) const {
  const QTableWidgetItem* cell = item(row, col);
  return cell ? cell->text() : QString();
}

void CReportCtrl::SetItemTextColor(int row, int col, COLORREF color) {
  ApplyColor(row, col, color, &ui::RowControlBlock::textColors);
}

void CReportCtrl::SetItemBkColor(int row, int col, COLORREF color) {
  ApplyColor(row, col, color, &ui::RowControlBlock::backColors);
}

COLORREF CReportCtrl::GetItemTextColor(int row, int col) const {
  return ColorOf(row, col, &ui::RowControlBlock::textColors, DefaultTextColor());
}

COLORREF CReportCtrl::GetItemBkColor(int row, int col) const {
  return ColorOf(row, col, &ui::RowControlBlock::backColors, DefaultBkColor());
}

COLORREF CReportCtrl::DefaultTextColor() const {
  return ui::ToColorRef(palette().color(QPalette::WindowText));
}

COLORREF CReportCtrl::DefaultBkColor() const {
  return ui::ToColorRef(palette().color(QPalette::Base));
}

ui::RowControlBlock* CReportCtrl::GetItemData(int row) const {
  const QTableWidgetItem* first = row >= 0 && row < rowCount() ? item(row, 0) : nullptr;
  if (!first) return nullptr;
  return reinterpret_cast<ui::RowControlBlock*>(first->data(kBlockRole).value<quintptr>());
}

bool CReportCtrl::SetItemData(int row, ui::RowControlBlock* block) {
  if (row < 0 || row >= rowCount() || columnCount() == 0) return false;
  CellItem(row, 0)->setData(kBlockRole, BlockValue(block));
  viewport()->update();  // the colours of every cell of the row come from the block
  if (m_notifyLock == 0 && onItemChanged) onItemChanged({row, 0, 0, ui::kChangedParam});
  return true;
}

bool CReportCtrl::GetCheck(int row) const {
  const QTableWidgetItem* first = row >= 0 && row < rowCount() ? item(row, 0) : nullptr;
  return first && first->checkState() == Qt::Checked;
}

bool CReportCtrl::SetCheck(int row, bool checked) {
  return SetItemState(
      row, ui::IndexToStateImageMask(checked ? ui::kStateImageChecked : ui::kStateImageUnchecked),
      ui::kStateImageMask);
}

unsigned CReportCtrl::GetItemState(int row, unsigned mask) const {
  if (row < 0 || row >= rowCount()) return 0;
  return CurrentState(row) & mask;
}

bool CReportCtrl::SetItemState(int row, unsigned state, unsigned mask) {
  if (row == -1) {
    for (int each = 0; each < rowCount(); ++each) SetItemState(each, state, mask);
    return true;
  }
  if (row < 0 || row >= rowCount() || columnCount() == 0) return false;
  const unsigned changing = (CurrentState(row) ^ state) & mask;
  if (changing == 0) return true;
  const int previousFocus = currentIndex().row();
  const QModelIndex index = model()->index(row, 0);

  // Reported as one change of the row (and one of the row that loses the focus).
  ++m_notifyLock;
  if (changing & ui::kStateImageMask) {
    const bool checked = ui::StateImage(state) == ui::kStateImageChecked;
    CellItem(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
  if (changing & ui::kStateSelected) {
    selectionModel()->select(index, ((state & ui::kStateSelected) ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::Deselect) |
                                        QItemSelectionModel::Rows);
  }
  if (changing & ui::kStateFocused) {
    selectionModel()->setCurrentIndex((state & ui::kStateFocused) ? index : QModelIndex(),
                                      QItemSelectionModel::NoUpdate);
  }
  --m_notifyLock;
  NotifyStateChange(row);
  if (previousFocus != row) NotifyStateChange(previousFocus);
  return true;
}

bool CReportCtrl::IsSelected(int row) const {
  return GetItemState(row, ui::kStateSelected) != 0;
}

bool CReportCtrl::HasFocus(int row) const {
  return GetItemState(row, ui::kStateFocused) != 0;
}

int CReportCtrl::HitTest(const QPoint& pos, unsigned* flags) const {
  unsigned hit = ui::kHitNowhere;
  int row = -1;
  const QModelIndex index = indexAt(pos);
  if (index.isValid()) {
    row = index.row();
    hit = ui::kHitOnLabel;
    if (index.column() == 0) {
      QStyleOptionViewItem option;
      initViewItemOption(&option);
      option.rect = visualRect(index);
      if (m_delegate->CheckIndicatorRect(option, index).contains(pos)) hit = ui::kHitOnStateIcon;
    }
  }
  if (flags) *flags = hit;
  return row;
}

bool CReportCtrl::SortItems(int col, bool ascending) {
  const QHeaderView* header = horizontalHeader();
  if (col < 0 || col >= header->count() || header->isHidden() || !header->sectionsClickable()) {
    return false;
  }
  m_sortColumn = col;
  m_sortAscending = ascending;

  const int count = rowCount();
  std::vector<ui::SortKey> keys;
  keys.reserve(static_cast<std::size_t>(count));
  for (int row = 0; row < count; ++row) keys.push_back(ui::MakeSortKey(GetItemText(row, col)));
  std::vector<int> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  ui::detail::QuickSort(order, [&keys, ascending](int a, int b) {
    const int result =
        ui::CompareSortKeys(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
    return ascending ? result : -result;
  });

  // Writing every row's item data again is what tells the parent each row's new index.
  const std::vector<RowSnapshot> snapshots = TakeSnapshots(order);
  for (int row = 0; row < count && row < rowCount(); ++row) {
    WriteSnapshot(row, snapshots[static_cast<std::size_t>(row)]);
  }
  viewport()->update();
  return true;
}

int CReportCtrl::Compare(const QString& a, const QString& b) {
  return ui::CompareItemTexts(a, b);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
  // The keyboard never toggles a check box (nor selects with Space).
  if (event->key() == Qt::Key_Space) {
    event->accept();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
  HandleClick(event, false);
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  HandleClick(event, true);
}

void CReportCtrl::HandleClick(QMouseEvent* event, bool doubleClick) {
  const QPoint pos = event->position().toPoint();
  unsigned flags = 0;
  const int row = HitTest(pos, &flags);
  const bool wasChecked = GetCheck(row);

  if (doubleClick) {
    QTableWidget::mouseDoubleClickEvent(event);
  } else {
    QTableWidget::mousePressEvent(event);
  }
  if (event->button() == Qt::LeftButton) {
    int result = 0;
    if (doubleClick) {
      if (onDoubleClick) result = onDoubleClick(row, pos);
    } else if (onClick) {
      result = onClick(pos);
    }
    // The notification may have opened a window and changed the rows meanwhile.
    if (result == 0 && (flags & ui::kHitOnStateIcon) && row < rowCount()) {
      SetCheck(row, !GetCheck(row));
    }
  }
  if (row >= 0 && row < rowCount() && GetCheck(row) != wasChecked) {
    clearSelection();
    SetItemState(row, ui::kStateSelected | ui::kStateFocused,
                 ui::kStateSelected | ui::kStateFocused);
  }
}

void CReportCtrl::OnColumnClick(int col) {
  if (!m_sortable) return;
  SortItems(col, !(col == m_sortColumn && m_sortAscending));
}

void CReportCtrl::MarkUnsorted() {
  m_sortColumn = -1;
  m_sortAscending = true;
}

std::unique_ptr<QTableWidgetItem> CReportCtrl::MakeItem(int col, const QString& text) const {
  auto cell = std::make_unique<QTableWidgetItem>(text);
  Qt::ItemFlags itemFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (col == 0) {
    itemFlags |= Qt::ItemIsUserCheckable;
    cell->setCheckState(Qt::Unchecked);
    cell->setData(kNotifiedStateRole, ui::IndexToStateImageMask(ui::kStateImageUnchecked));
  }
  cell->setFlags(itemFlags);
  const std::size_t index = static_cast<std::size_t>(col);
  cell->setTextAlignment(
      AlignmentOf(index < m_columnFormats.size() ? m_columnFormats[index] : ui::kAlignLeft));
  return cell;
}

QTableWidgetItem* CReportCtrl::CellItem(int row, int col) {
  QTableWidgetItem* cell = item(row, col);
  if (!cell) {
    setItem(row, col, MakeItem(col, QString()).release());
    cell = item(row, col);
  }
  return cell;
}

unsigned CReportCtrl::CurrentState(int row) const {
  unsigned state =
      ui::IndexToStateImageMask(GetCheck(row) ? ui::kStateImageChecked : ui::kStateImageUnchecked);
  const QModelIndex current = currentIndex();
  if (current.isValid() && current.row() == row) state |= ui::kStateFocused;
  if (columnCount() > 0 && selectionModel()->isSelected(model()->index(row, 0))) {
    state |= ui::kStateSelected;
  }
  return state;
}

// Reports a row whose state differs from the one last reported. Changes made while reports are
// locked are reported at the row's next check.
void CReportCtrl::NotifyStateChange(int row) {
  if (m_notifyLock > 0 || row < 0 || row >= rowCount()) return;
  QTableWidgetItem* first = item(row, 0);
  if (!first) return;
  const unsigned newState = CurrentState(row);
  const unsigned oldState = first->data(kNotifiedStateRole).toUInt();
  if (newState == oldState) return;
  first->setData(kNotifiedStateRole, newState);
  if (onItemChanged) onItemChanged({row, oldState, newState, ui::kChangedState});
}

void CReportCtrl::NotifyAllStateChanges() {
  for (int row = 0; row < rowCount(); ++row) NotifyStateChange(row);
}

void CReportCtrl::ApplyColor(int row, int col, COLORREF color, ColorArray colors) {
  const bool oneRow = row >= 0 && row < rowCount();
  const bool oneCol = col >= 0 && col < columnCount();
  const int firstRow = oneRow ? row : 0;
  const int lastRow = oneRow ? row : rowCount() - 1;
  const std::size_t firstCol = oneCol ? static_cast<std::size_t>(col) : 0;
  const std::size_t lastCol = oneCol ? static_cast<std::size_t>(col) : columnCount() - 1u;
  for (int r = firstRow; r <= lastRow; ++r) {
    ui::RowControlBlock* block = GetItemData(r);
    if (!block) continue;
    std::vector<COLORREF>& array = block->*colors;
    for (std::size_t c = firstCol; c <= lastCol && c < array.size(); ++c) array[c] = color;
  }
  viewport()->repaint();
}

COLORREF CReportCtrl::ColorOf(int row, int col, ColorArray colors, COLORREF fallback) const {
  const ui::RowControlBlock* block = GetItemData(row);
  if (!block || col < 0) return fallback;
  const std::vector<COLORREF>& array = block->*colors;
  const std::size_t index = static_cast<std::size_t>(col);
  return index < array.size() ? array[index] : fallback;
}

std::vector<CReportCtrl::RowSnapshot> CReportCtrl::TakeSnapshots(
    const std::vector<int>& order) const {
  std::vector<RowSnapshot> snapshots;
  snapshots.reserve(order.size());
  for (int row : order) {
    RowSnapshot snapshot;
    snapshot.state = CurrentState(row);
    snapshot.block = GetItemData(row);
    for (int col = 0; col < columnCount(); ++col) {
      const QTableWidgetItem* cell = item(row, col);
      snapshot.texts.push_back(cell ? cell->text() : QString());
      snapshot.images.push_back(cell ? cell->data(Qt::DecorationRole) : QVariant());
    }
    snapshots.push_back(std::move(snapshot));
  }
  return snapshots;
}

void CReportCtrl::WriteSnapshot(int row, const RowSnapshot& snapshot) {
  // The block goes in first, unannounced: a parent that answers the state change by writing the
  // row's index into the row's record must reach the record that now lives in this row, not the
  // one that moved away (and already has its new index).
  CellItem(row, 0)->setData(kBlockRole, BlockValue(snapshot.block));
  SetItemState(row, snapshot.state, ui::kStateAll);
  SetItemData(row, snapshot.block);
  for (int col = 0; col < columnCount() && static_cast<std::size_t>(col) < snapshot.texts.size();
       ++col) {
    QTableWidgetItem* cell = CellItem(row, col);
    cell->setData(Qt::DecorationRole, snapshot.images[static_cast<std::size_t>(col)]);
    cell->setText(snapshot.texts[static_cast<std::size_t>(col)]);
  }
}
