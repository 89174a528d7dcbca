#include "ui/detail/cell_color_delegate.h"

#include <QApplication>
#include <QStyle>

#include "ui/color_ref.h"
#include "ui/report_ctrl.h"

namespace ui::detail {

CellColorDelegate::CellColorDelegate(CReportCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

QRect CellColorDelegate::CheckIndicatorRect(const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
  QStyleOptionViewItem viewOption(option);
  initStyleOption(&viewOption, index);
  if (!(viewOption.features & QStyleOptionViewItem::HasCheckIndicator)) return {};
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  return style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &viewOption, widget);
}

bool CellColorDelegate::editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&,
                                    const QModelIndex&) {
  return false;
}

QWidget* CellColorDelegate::createEditor(QWidget*, const QStyleOptionViewItem&,
                                         const QModelIndex&) const {
  return nullptr;
}

void CellColorDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  // Selected rows keep the selection colours, as a list view's default drawing does.
  option->palette.setColor(QPalette::Text,
                           ToQColor(m_list->GetItemTextColor(index.row(), index.column())));
  option->backgroundBrush = ToQColor(m_list->GetItemBkColor(index.row(), index.column()));
}

}  // namespace ui::detail
