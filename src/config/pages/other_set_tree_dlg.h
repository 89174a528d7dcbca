// The page tree of the other-settings window (dialog 133): four categories with their pages.
// Selecting a page node makes its page the visible one; category nodes do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dialog.h"

class QTreeWidgetItem;

namespace platform {
class TreeCtrl;
}

namespace config {

constexpr int IDD_OTHER_SET_TREE = 133;
constexpr int IDC_PAGE_TREE = 1074;
constexpr int kTreeItemHeight = 29;

// The record every tree node carries, for the life of the process.
struct TreeNodeRecord {
  std::int32_t pageNode;    // 1 for a page node, 0 for a category
  std::int32_t selectable;  // 1 for a page node, 0 for a category
  std::int32_t pageIndex;   // 0..14, or -1 for a category
};

class COtherSetTreeDlg : public platform::Dialog {
 public:
  explicit COtherSetTreeDlg(QWidget* parent);
  ~COtherSetTreeDlg() override;

  // Fills the tree, expands "网络参数" and selects "网络设置".
  BOOL OnInitDialog();

  platform::TreeCtrl& Tree() const { return *m_tree; }
  // The node of page index, or nullptr.
  QTreeWidgetItem* PageNode(int pageIndex) const;
  QTreeWidgetItem* CategoryNode(int category) const;

 private:
  QTreeWidgetItem* InsertNode(const char16_t* label, QTreeWidgetItem* parent, int pageIndex);
  void OnSelchangedTree(QTreeWidgetItem* item);

  platform::TreeCtrl* m_tree = nullptr;
  std::vector<std::unique_ptr<TreeNodeRecord>> m_records;
  std::vector<QTreeWidgetItem*> m_categoryNodes;
  std::vector<QTreeWidgetItem*> m_pageNodes;
};

}  // namespace config
