#include "platform/tree_ctrl.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

namespace platform {
namespace {

constexpr int kItemDataRole = Qt::UserRole;

// Gives every row the tree's fixed height while keeping the style's width.
class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  FixedHeightDelegate(const TreeCtrl& tree, QObject* parent)
      : QStyledItemDelegate(parent), m_tree(tree) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (m_tree.GetItemHeight() > 0) size.setHeight(m_tree.GetItemHeight());
    return size;
  }

 private:
  const TreeCtrl& m_tree;
};

}  // namespace

TreeCtrl::TreeCtrl(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new FixedHeightDelegate(*this, this));
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { emit SelChanged(current); });
}

QTreeWidgetItem* TreeCtrl::InsertItem(const QString& text, QTreeWidgetItem* parent) {
  auto* item = new QTreeWidgetItem(QStringList{text});
  if (parent != nullptr) {
    parent->addChild(item);
  } else {
    addTopLevelItem(item);
  }
  return item;
}

void TreeCtrl::DeleteAllItems() {
  clear();
}

void TreeCtrl::SetItemData(QTreeWidgetItem* item, void* data) {
  if (item != nullptr)
    item->setData(0, kItemDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(data)));
}

void* TreeCtrl::GetItemData(const QTreeWidgetItem* item) const {
  if (item == nullptr) return nullptr;
  return reinterpret_cast<void*>(item->data(0, kItemDataRole).value<quintptr>());
}

QString TreeCtrl::GetItemText(const QTreeWidgetItem* item) const {
  return item != nullptr ? item->text(0) : QString();
}

bool TreeCtrl::Expand(QTreeWidgetItem* item) {
  if (item == nullptr) return false;
  item->setExpanded(true);
  return true;
}

bool TreeCtrl::SelectItem(QTreeWidgetItem* item) {
  if (item == nullptr) return false;
  setCurrentItem(item);
  return true;
}

void TreeCtrl::SetItemHeight(int pixels) {
  m_itemHeight = pixels;
  // The view caches row heights; a relayout takes the new one.
  doItemsLayout();
}

}  // namespace platform
