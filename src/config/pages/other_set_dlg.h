// The other-settings window (dialog 132, "其它设置"): the page tree on the left and, right of it,
// the fifteen settings pages, of which exactly one is visible. Created once, hidden, at start-up;
// shown by the main window's IDC_OTHER_SETTINGS and hidden again by its close button, never modal.
#pragma once

#include <array>
#include <unordered_map>

#include "config/pages/page_table.h"
#include "platform/dialog.h"

namespace config {

class COtherSetTreeDlg;
class SettingsPage;

constexpr int IDD_OTHER_SET = 132;
// Shows the selected page; wParam is the selected tree node's record.
constexpr UINT kMsgShowSelectedPage = 0x407;  // 1031
// The page area begins this many pixels right of the client area's left edge.
constexpr int kPageAreaLeft = 200;

class COtherSetDlg : public platform::Dialog {
 public:
  explicit COtherSetDlg(QWidget* parent);
  ~COtherSetDlg() override;

  // The one window of the process, set by its initialisation; nullptr before it and after it.
  static COtherSetDlg* Instance();

  // Creates the tree and the fifteen pages; page 0 is the visible one.
  BOOL OnInitDialog();

  // IDC_OTHER_SETTINGS: shows the window centred over its owner, with the page and edits as they
  // were.
  void ShowWindow();

  // Right after config.dat has been read: every page shows its group, in page order, and the set
  // then holds what the pages show.
  void LoadAllPages();
  // Every page writes what it shows into the set (after the defaults were written, the pages'
  // initial state is what a push must send).
  void StoreShownValues();

  int SelectedPage() const { return m_selectedPage; }
  void SetSelectedPage(int index) { m_selectedPage = index; }
  // The page of index 0..14 from the page map, or nullptr.
  SettingsPage* Page(int index) const;
  COtherSetTreeDlg* TreeDialog() const { return m_treeDlg; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  SettingsPage* CreatePage(int index);
  void OnShowSelectedPage();

  int m_selectedPage = 0;
  std::unordered_map<int, SettingsPage*> m_pageMap;
  // Owned by the window as its children, like every control.
  std::array<SettingsPage*, kPageCount> m_pages{};
  COtherSetTreeDlg* m_treeDlg = nullptr;
};

}  // namespace config
