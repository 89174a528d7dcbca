// Draws every cell of a CReportCtrl in the text and background colour its row control block
// holds for it, and leaves check boxes to the list's own click handling.
#pragma once

#include <QRect>
#include <QStyledItemDelegate>

class CReportCtrl;

namespace ui::detail {

class CellColorDelegate : public QStyledItemDelegate {
 public:
  explicit CellColorDelegate(CReportCtrl* list);

  // Where the check box of the cell is drawn, in the coordinates of option.rect.
  QRect CheckIndicatorRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

  // The list toggles check boxes itself (after its click notification) and never edits in place.
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  CReportCtrl* m_list;
};

}  // namespace ui::detail
