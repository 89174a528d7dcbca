// The other-settings window: its tree and page map, which page is visible, showing and hiding the
// window, and the keys that must not close, hide or save anything.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "config/pages/other_set_tree_dlg.h"
#include "config/pages/settings_page.h"
#include "pages_fixture.h"

namespace pagetest {
namespace {

struct PageEntry {
  const char* category;
  const char* label;
  int templateId;
};
const PageEntry kPages[15] = {
    {"网络参数", "网络设置", 135},     {"网络参数", "云平台设置", 149},
    {"网络参数", "FTP帐号设置", 136},  {"网络参数", "SMTP帐号设置", 137},
    {"网络参数", "流媒体设置", 145},   {"网络参数", "平台接入设置", 138},
    {"媒体设置", "视频采集设置", 140}, {"媒体设置", "时间和标题", 141},
    {"媒体设置", "视频编码", 142},     {"媒体设置", "音频编码", 143},
    {"告警设置", "移动侦测", 144},     {"系统设置", "帐号管理", 139},
    {"系统设置", "时钟设置", 146},     {"系统设置", "定时维护", 147},
    {"系统设置", "设备语言", 148},
};

class OtherSettingsWindow : public PagesTest {
 protected:
  // The templates of the pages not hidden inside the window.
  std::vector<int> ShownPages() {
    std::vector<int> shown;
    for (const PageEntry& entry : kPages)
      if (!PageOf(entry.templateId).isHidden()) shown.push_back(entry.templateId);
    return shown;
  }
  void ClickNode(const QString& label) {
    QTreeWidgetItem* node = Node(label);
    ASSERT_NE(node, nullptr) << label.toStdString();
    Tree()->scrollToItem(node);
    const QRect rect = Tree()->visualItemRect(node);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, rect.center());
    Settle();
  }
};

TEST_F(OtherSettingsWindow, StartsHiddenWithNetworkExpandedEthernetSelectedAndItsPageShown) {
  Settle();
  EXPECT_TRUE(OtherSet().isHidden());
  EXPECT_EQ(OtherSet().windowTitle(), QStringLiteral("其它设置"));
  EXPECT_EQ(OtherSet().objectName(), QStringLiteral("132"));

  // Four categories, each page last under its own, with the node records of the tree.
  QTreeWidget* tree = Tree();
  ASSERT_NE(tree, nullptr);
  ASSERT_EQ(tree->topLevelItemCount(), 4);
  int pageIndex = 0;
  for (int c = 0; c < 4; ++c) {
    QTreeWidgetItem* category = tree->topLevelItem(c);
    auto* record = static_cast<config::TreeNodeRecord*>(
        reinterpret_cast<void*>(category->data(0, Qt::UserRole).value<quintptr>()));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->pageNode, 0);
    EXPECT_EQ(record->selectable, 0);
    EXPECT_EQ(record->pageIndex, -1);
    EXPECT_EQ(category->isExpanded(), c == 0) << c;
    for (int child = 0; child < category->childCount(); ++child, ++pageIndex) {
      ASSERT_LT(pageIndex, 15);
      const PageEntry& entry = kPages[pageIndex];
      EXPECT_EQ(category->text(0), QString::fromUtf8(entry.category));
      QTreeWidgetItem* node = category->child(child);
      EXPECT_EQ(node->text(0), QString::fromUtf8(entry.label));
      record = static_cast<config::TreeNodeRecord*>(
          reinterpret_cast<void*>(node->data(0, Qt::UserRole).value<quintptr>()));
      ASSERT_NE(record, nullptr);
      EXPECT_EQ(record->pageNode, 1);
      EXPECT_EQ(record->selectable, 1);
      EXPECT_EQ(record->pageIndex, pageIndex);
      EXPECT_EQ(static_cast<platform::Dialog*>(OtherSet().Page(pageIndex)),
                &PageOf(entry.templateId));
    }
  }
  EXPECT_EQ(pageIndex, 15);
  EXPECT_EQ(tree->currentItem(), Node(QStringLiteral("网络设置")));
  EXPECT_EQ(tree->visualItemRect(tree->topLevelItem(0)).height(), 29);
  EXPECT_EQ(ShownPages(), std::vector<int>{135});

  // Button 1073 shows the window over the main window; the page area starts 200 pixels in.
  window().show();
  window().DlgItem<QAbstractButton>(1073)->click();
  Settle();
  EXPECT_TRUE(OtherSet().isVisible());
  EXPECT_FALSE(OtherSet().isModal());
  EXPECT_TRUE(PageOf(135).isVisible());
  EXPECT_EQ(PageOf(135).geometry().left(), 200);
  EXPECT_EQ(PageOf(135).geometry().right(), OtherSet().rect().right());
  EXPECT_LE(
      (OtherSet().frameGeometry().center() - window().frameGeometry().center()).manhattanLength(),
      2);
}

TEST_F(OtherSettingsWindow, PageNodesSwitchThePageCategoriesAndStrayIndexesDoNot) {
  window().DlgItem<QAbstractButton>(1073)->click();
  Settle();
  ClickNode(QStringLiteral("FTP帐号设置"));
  EXPECT_EQ(OtherSet().SelectedPage(), 2);
  EXPECT_EQ(ShownPages(), std::vector<int>{136});

  // A category selects nothing: the page stays.
  ClickNode(QStringLiteral("网络参数"));
  EXPECT_EQ(ShownPages(), std::vector<int>{136});
  Tree()->expandAll();
  ClickNode(QStringLiteral("移动侦测"));
  EXPECT_EQ(ShownPages(), std::vector<int>{144});
  ClickNode(QStringLiteral("媒体设置"));
  EXPECT_EQ(OtherSet().SelectedPage(), 10);
  EXPECT_EQ(ShownPages(), std::vector<int>{144});

  // The show message with an index outside 0..14 only hides.
  for (int stray : {15, -1}) {
    OtherSet().SetSelectedPage(stray);
    OtherSet().PostMessage(1031, 0, 0);
    Settle();
    EXPECT_TRUE(ShownPages().empty()) << stray;
  }
  ClickNode(QStringLiteral("设备语言"));
  EXPECT_EQ(ShownPages(), std::vector<int>{148});
}

TEST_F(OtherSettingsWindow, ClosingKeepsPageAndEditsAndEscapeOrEnterCloseHideOrSaveNothing) {
  window().show();
  window().DlgItem<QAbstractButton>(1073)->click();
  Settle();
  ClickNode(QStringLiteral("SMTP帐号设置"));
  auto* server = Control<QLineEdit>(137, 1127);
  Type(server, QStringLiteral("smtp.example.org"));
  const QByteArray before = FileBytes();

  // Escape on a field, the tree, a page and the window; Enter in fields of two pages.
  QTest::keyClick(server, Qt::Key_Escape);
  QTest::keyClick(Tree(), Qt::Key_Escape);
  QTest::keyClick(&PageOf(137), Qt::Key_Escape);
  QTest::keyClick(OtherSet().TreeDialog(), Qt::Key_Escape);
  QTest::keyClick(&OtherSet(), Qt::Key_Escape);
  QTest::keyClick(server, Qt::Key_Return);
  QTest::keyClick(Control<QLineEdit>(136, 1111), Qt::Key_Enter);
  QTest::keyClick(&OtherSet(), Qt::Key_Return);
  Settle();
  EXPECT_TRUE(OtherSet().isVisible());
  EXPECT_TRUE(OtherSet().TreeDialog()->isVisible());
  EXPECT_EQ(ShownPages(), std::vector<int>{137});
  EXPECT_TRUE(dialogs().shown().empty());
  EXPECT_EQ(FileBytes(), before);
  for (QPushButton* button : OtherSet().findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
  }

  // The close button hides; 1073 shows the same page with the unsaved edit.
  OtherSet().close();
  Settle();
  EXPECT_TRUE(OtherSet().isHidden());
  EXPECT_TRUE(window().isVisible());
  window().DlgItem<QAbstractButton>(1073)->click();
  Settle();
  EXPECT_TRUE(OtherSet().isVisible());
  EXPECT_EQ(ShownPages(), std::vector<int>{137});
  EXPECT_EQ(server->text(), QStringLiteral("smtp.example.org"));
  EXPECT_EQ(SetText(6292), "smtp.example.org");
  EXPECT_EQ(FileBytes(), before);
}

}  // namespace
}  // namespace pagetest
