#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QRadioButton>

#include "support/app_fixture.h"
#include "ui/main_dialog_ids.h"
#include "ui/report_ctrl.h"

namespace {

using Language = testsupport::AppFixture;

QString Heading(CRavendockDlg& window, int column) {
  return window.DeviceList().horizontalHeaderItem(column)->text();
}

TEST_F(Language, EnglishRetitlesTheTableControlsAndColumnsZeroToSix) {
  window().DlgItem<QRadioButton>(1064)->click();
  EXPECT_EQ(window().LanguageIndex(), 1);
  const char* headings[] = {"IP Address",      "MAC Address", "SN",         "Device Type",
                            "Current Version", "New Version", "Status Info"};
  for (int column = 0; column < 7; ++column)
    EXPECT_EQ(Heading(window(), column), QString::fromUtf8(headings[column]));
  EXPECT_EQ(Heading(window(), 7), QStringLiteral("全网通"));
  EXPECT_EQ(window().GetDlgItemText(1014), QStringLiteral("Enter"));
  EXPECT_EQ(window().GetDlgItemText(1065), QStringLiteral("Num of Cameras:"));
  EXPECT_EQ(window().GetDlgItemText(1006), QStringLiteral("Upgrade"));
  EXPECT_EQ(window().GetDlgItemText(1072), QStringLiteral("Current Action:"));
  EXPECT_EQ(window().GetDlgItemText(1068), QStringLiteral("Device Info"));
  EXPECT_EQ(window().GetDlgItemText(1071), QStringLiteral("Upgrade Information"));
  // Never re-titled.
  EXPECT_EQ(window().GetDlgItemText(1046), QStringLiteral("其它设置"));
  EXPECT_EQ(window().GetDlgItemText(1215), QStringLiteral("开启全网通"));
  EXPECT_EQ(window().GetDlgItemText(1054), QStringLiteral("播放勾选设备"));
  EXPECT_EQ(window().GetDlgItemText(1073), QStringLiteral("其它设置"));
  EXPECT_EQ(window().GetDlgItemText(1002), QStringLiteral("搜索"));
}

TEST_F(Language, TheLanguageInForceRetitlesNothing) {
  window().DlgItem<QRadioButton>(1063)->click();
  EXPECT_EQ(window().LanguageIndex(), 0);
  // The template captions that differ from the table stay.
  EXPECT_EQ(window().GetDlgItemText(1014), QStringLiteral("批量执行"));
  EXPECT_EQ(window().GetDlgItemText(1065), QStringLiteral("设备升级数目"));
  EXPECT_EQ(window().GetDlgItemText(1041), QStringLiteral("升级固件"));
  EXPECT_EQ(window().GetDlgItemText(1007), QStringLiteral("升级文件："));
}

TEST_F(Language, BackToChineseShowsTheTableTexts) {
  window().SetLanguage(1);
  window().SetLanguage(0);
  EXPECT_EQ(window().GetDlgItemText(1014), QStringLiteral("执行"));
  EXPECT_EQ(window().GetDlgItemText(1065), QStringLiteral("设备升级数目:"));
  EXPECT_EQ(window().GetDlgItemText(1041), QStringLiteral("升级"));
  EXPECT_EQ(window().GetDlgItemText(1007), QStringLiteral("升级文件"));
  EXPECT_EQ(Heading(window(), 0), QStringLiteral("IP地址"));
}

TEST_F(Language, AnIndexOutsideBothLanguagesRetitlesNothing) {
  window().SetLanguage(7);
  EXPECT_EQ(window().GetDlgItemText(1014), QStringLiteral("批量执行"));
  EXPECT_EQ(Heading(window(), 0), QStringLiteral("IP地址"));
}

}  // namespace

namespace {

QAction* MenuItem(CRavendockDlg& window, unsigned id) {
  for (QAction* action : window.SystemMenu()->actions())
    if (!action->isSeparator() && action->data().toUInt() == id) return action;
  return nullptr;
}

TEST_F(Language, TheSystemMenuChoosesTheLanguageAsTheHiddenRadiosDo) {
  QAction* english = MenuItem(window(), ids::IDM_LANGUAGE_ENGLISH);
  QAction* chinese = MenuItem(window(), ids::IDM_LANGUAGE_CHINESE);
  ASSERT_NE(english, nullptr);
  ASSERT_NE(chinese, nullptr);
  EXPECT_FALSE(window().DlgItem<QRadioButton>(1064)->isVisible());
  english->trigger();
  EXPECT_EQ(window().LanguageIndex(), 1);
  EXPECT_TRUE(window().IsDlgButtonChecked(1064));
  EXPECT_EQ(Heading(window(), 0), QStringLiteral("IP Address"));
  EXPECT_EQ(window().GetDlgItemText(1014), QStringLiteral("Enter"));
  emit window().SystemMenu()->aboutToShow();
  EXPECT_TRUE(english->isChecked());
  EXPECT_FALSE(chinese->isChecked());
  chinese->trigger();
  EXPECT_EQ(window().LanguageIndex(), 0);
  EXPECT_TRUE(window().IsDlgButtonChecked(1063));
  EXPECT_EQ(Heading(window(), 0), QStringLiteral("IP地址"));
  // Not stored: the next start is in Chinese again.
  english->trigger();
  OpenWindow();
  EXPECT_EQ(window().LanguageIndex(), 0);
}

}  // namespace
