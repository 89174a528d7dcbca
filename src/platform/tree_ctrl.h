// A tree view in the shape of the Win32 tree control: items inserted last under their parent,
// one pointer-sized item data per item, expand and select by item, a fixed item height, and a
// selection-changed notification that also follows a programmatic selection.
#pragma once

#include <QString>
#include <QTreeWidget>

namespace platform {

class TreeCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TreeCtrl(QWidget* parent = nullptr);

  // Inserts text as the last child of parent, or as the last root item when parent is nullptr.
  QTreeWidgetItem* InsertItem(const QString& text, QTreeWidgetItem* parent = nullptr);
  void DeleteAllItems();

  void SetItemData(QTreeWidgetItem* item, void* data);
  // nullptr for an item without data or no item.
  void* GetItemData(const QTreeWidgetItem* item) const;
  QString GetItemText(const QTreeWidgetItem* item) const;

  bool Expand(QTreeWidgetItem* item);
  bool SelectItem(QTreeWidgetItem* item);
  QTreeWidgetItem* GetSelectedItem() const { return currentItem(); }

  // Every row is this many pixels high.
  void SetItemHeight(int pixels);
  int GetItemHeight() const { return m_itemHeight; }

 signals:
  // The selection moved to item (nullptr when nothing is selected any more).
  void SelChanged(QTreeWidgetItem* item);

 private:
  int m_itemHeight = 0;
};

}  // namespace platform
