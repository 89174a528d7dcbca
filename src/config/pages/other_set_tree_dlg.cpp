#include "config/pages/other_set_tree_dlg.h"

#include "config/pages/escape_filter.h"
#include "config/pages/other_set_dlg.h"
#include "config/pages/page_table.h"
#include "platform/tree_ctrl.h"

namespace config {
namespace {

constexpr int kTreeDialogWidth = 122;
constexpr int kTreeDialogHeight = 328;

}  // namespace

COtherSetTreeDlg::COtherSetTreeDlg(QWidget* parent) : Dialog(IDD_OTHER_SET_TREE, parent) {
  setWindowFlags(Qt::Widget);
  resize(DialogUnitsToPixels(0, 0, kTreeDialogWidth, kTreeDialogHeight).size());
  m_tree = new platform::TreeCtrl(this);
  SetControlId(m_tree, IDC_PAGE_TREE);
  m_tree->setGeometry(DialogUnitsToPixels(7, 7, 108, 314));
  connect(m_tree, &platform::TreeCtrl::SelChanged, this,
          [this](QTreeWidgetItem* item) { OnSelchangedTree(item); });
  EscapeFilter::Install(this);
}

COtherSetTreeDlg::~COtherSetTreeDlg() = default;

BOOL COtherSetTreeDlg::OnInitDialog() {
  m_tree->SetItemHeight(kTreeItemHeight);
  m_tree->DeleteAllItems();
  m_categoryNodes.clear();
  m_pageNodes.assign(kPageCount, nullptr);
  for (const TreeCategory& category : kTreeCategories) {
    QTreeWidgetItem* node = InsertNode(category.label, nullptr, -1);
    m_categoryNodes.push_back(node);
    for (int page = category.firstPage; page < category.firstPage + category.pageCount; ++page)
      m_pageNodes[static_cast<std::size_t>(page)] = InsertNode(kPageLabels[page], node, page);
  }
  m_tree->Expand(m_categoryNodes.front());
  m_tree->SelectItem(PageNode(kPageEthernet));
  return TRUE;
}

QTreeWidgetItem* COtherSetTreeDlg::InsertNode(const char16_t* label, QTreeWidgetItem* parent,
                                              int pageIndex) {
  const std::int32_t isPage = pageIndex >= 0 ? 1 : 0;
  m_records.push_back(std::make_unique<TreeNodeRecord>(TreeNodeRecord{isPage, isPage, pageIndex}));
  QTreeWidgetItem* node = m_tree->InsertItem(QString::fromUtf16(label), parent);
  m_tree->SetItemData(node, m_records.back().get());
  return node;
}

QTreeWidgetItem* COtherSetTreeDlg::PageNode(int pageIndex) const {
  if (pageIndex < 0 || pageIndex >= static_cast<int>(m_pageNodes.size())) return nullptr;
  return m_pageNodes[static_cast<std::size_t>(pageIndex)];
}

QTreeWidgetItem* COtherSetTreeDlg::CategoryNode(int category) const {
  if (category < 0 || category >= static_cast<int>(m_categoryNodes.size())) return nullptr;
  return m_categoryNodes[static_cast<std::size_t>(category)];
}

void COtherSetTreeDlg::OnSelchangedTree(QTreeWidgetItem* item) {
  const auto* record = static_cast<const TreeNodeRecord*>(m_tree->GetItemData(item));
  if (record == nullptr || record->selectable == 0) return;
  if (record->pageIndex < 0 || record->pageIndex >= kPageCount) return;
  COtherSetDlg* window = COtherSetDlg::Instance();
  if (window == nullptr) return;
  window->SetSelectedPage(record->pageIndex);
  window->PostMessage(kMsgShowSelectedPage, reinterpret_cast<WPARAM>(record), 0);
}

}  // namespace config
