#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/ravendock_dlg.h"
#include "support/app_fixture.h"
#include "ui/report_ctrl.h"

namespace {

struct Expected {
  int id;
  const char* kind;
  const char16_t* caption;  // nullptr: no caption to check
  bool visible;
};

// The main window's control table: ID, kind, template caption and visibility.
const Expected kControls[] = {
    {1000, "CReportCtrl", nullptr, true},
    {1068, "QGroupBox", u"设备信息", true},
    {1036, "QPushButton", u"全选", true},
    {1037, "QPushButton", u"反选", true},
    {1016, "QLabel", u"总数:", true},
    {1017, "QLabel", u"0", true},
    {1018, "QLabel", u"已选:", true},
    {1019, "QLabel", u"0", true},
    {1065, "QLabel", u"设备升级数目", true},
    {1020, "QComboBox", nullptr, true},
    {1066, "QLabel", u"成功:", true},
    {1026, "QLabel", u"0", true},
    {1067, "QLabel", u"失败:", true},
    {1027, "QLabel", u"0", true},
    {1002, "QPushButton", u"搜索", false},
    {1003, "QCheckBox", u"全选", false},
    {1022, "QCheckBox", u"反选", false},
    {1063, "QRadioButton", u"中文", false},
    {1064, "QRadioButton", u"English", false},
    {1069, "QGroupBox", u"固件升级", true},
    {1007, "QLabel", u"升级文件：", true},
    {1005, "QLineEdit", u"", true},
    {1006, "QPushButton", u"浏览", true},
    {1070, "QGroupBox", u"升级指令", true},
    {1059, "QCheckBox", u"搜索", true},
    {1039, "QCheckBox", u"修改IP", true},
    {1215, "QCheckBox", u"开启全网通", true},
    {1216, "QCheckBox", u"关闭全网通", true},
    {1041, "QCheckBox", u"升级固件", true},
    {1040, "QCheckBox", u"同步时间", true},
    {1042, "QCheckBox", u"格式化SD1", true},
    {1043, "QCheckBox", u"格式化SD2", true},
    {1044, "QCheckBox", u"格式化USB", true},
    {1045, "QCheckBox", u"恢复设置", true},
    {1060, "QCheckBox", u"重启设备", true},
    {1046, "QCheckBox", u"其它设置", true},
    {1211, "QPushButton", u"设定IP", true},
    {1061, "QLabel", u"格式化超时时间(分钟)", true},
    {1038, "QComboBox", nullptr, true},
    {1073, "QPushButton", u"其它设置", true},
    {1014, "QPushButton", u"批量执行", true},
    {1054, "QPushButton", u"播放勾选设备", true},
    {1071, "QGroupBox", u"升级信息", true},
    {1072, "QLabel", u"当前动作:", true},
    {1062, "QLabel", u"", true},
    {1029, "QPushButton", u"修改IP", false},
    {1030, "QPushButton", u"格式化SD1", false},
    {1031, "QPushButton", u"格式化SD2", false},
    {1032, "QPushButton", u"格式化USB", false},
    {1033, "QPushButton", u"恢复设置", false},
    {1034, "QPushButton", u"重启设备", false},
    {1035, "QPushButton", u"同步时间", false},
};

using MainWindow = testsupport::AppFixture;

TEST_F(MainWindow, EveryControlExistsWithItsIdKindCaptionAndVisibility) {
  window().show();
  for (const Expected& expected : kControls) {
    QWidget* control = window().GetDlgItem(expected.id);
    ASSERT_NE(control, nullptr) << expected.id;
    EXPECT_TRUE(control->inherits(expected.kind)) << expected.id;
    EXPECT_EQ(control->isVisible(), expected.visible) << expected.id;
    if (expected.caption != nullptr) {
      EXPECT_EQ(window().GetDlgItemText(expected.id), QString::fromUtf16(expected.caption))
          << expected.id;
    }
  }
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Ravendock_V2.0.1"));
  EXPECT_EQ(window().font().family(), QStringLiteral("Arial"));
  EXPECT_TRUE(window().windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(window().IsDlgButtonChecked(1063));
}

TEST_F(MainWindow, VisibleControlsLieInsideTheWindowAndDoNotOverlap) {
  window().show();
  std::vector<QWidget*> placed;
  for (const Expected& expected : kControls) {
    QWidget* control = window().GetDlgItem(expected.id);
    if (!expected.visible || control->inherits("QGroupBox")) continue;
    EXPECT_TRUE(window().rect().contains(control->geometry())) << expected.id;
    for (QWidget* other : placed)
      EXPECT_FALSE(control->geometry().intersects(other->geometry()))
          << expected.id << " overlaps " << other->objectName().toStdString();
    placed.push_back(control);
  }
}

TEST_F(MainWindow, CombosHoldTheirItemsInOrder) {
  auto* expected = window().DlgItem<QComboBox>(1020);
  ASSERT_EQ(expected->count(), 250);
  for (int i = 0; i < 250; ++i) ASSERT_EQ(expected->itemText(i), QString::number(i + 1));
  auto* timeout = window().DlgItem<QComboBox>(1038);
  const QStringList minutes = {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8", "9",
                               "10", "12", "14", "16", "18", "20", "25", "30"};
  ASSERT_EQ(timeout->count(), minutes.size());
  for (int i = 0; i < minutes.size(); ++i) EXPECT_EQ(timeout->itemText(i), minutes[i]);
}

TEST_F(MainWindow, FormatTimeoutIsTheChosenMinutesNotTheIndex) {
  auto* timeout = window().DlgItem<QComboBox>(1038);
  timeout->setCurrentIndex(15);  // "25"
  window().OnSelchangeFormatTimeout();
  EXPECT_EQ(window().FormatTimeoutMs(), 25 * 60000);
}

TEST_F(MainWindow, DeviceListHasEightCentredColumnsWithHeadingsAndWidths) {
  CReportCtrl& list = window().DeviceList();
  const std::pair<const char16_t*, int> columns[] = {
      {u"IP地址", 125},       {u"物理地址", 125},     {u"序列号", 135},   {u"设备类型", 115},
      {u"升级前版本号", 180}, {u"升级后版本号", 180}, {u"状态信息", 240}, {u"全网通", 60}};
  ASSERT_EQ(list.columnCount(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(list.horizontalHeaderItem(i)->text(), QString::fromUtf16(columns[i].first)) << i;
    EXPECT_EQ(list.columnWidth(i), columns[i].second) << i;
    EXPECT_TRUE(list.horizontalHeaderItem(i)->textAlignment() & Qt::AlignHCenter) << i;
  }
  EXPECT_TRUE(list.IsSortable());
}

TEST_F(MainWindow, EscapeLeavesTheWindowOpen) {
  window().show();
  QTest::keyClick(&window(), Qt::Key_Escape);
  QTest::keyClick(window().GetDlgItem(1005), Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window().isVisible());
}

TEST_F(MainWindow, AboutIsTheLastSystemMenuItemAfterASeparator) {
  const QList<QAction*> actions = window().SystemMenu()->actions();
  ASSERT_GE(actions.size(), 2);
  EXPECT_EQ(actions.last()->text(), QStringLiteral("about Ravendock(&A)..."));
  EXPECT_EQ(actions.last()->data().toUInt(), 16u);
  EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
}

TEST_F(MainWindow, AltSpaceAndARightClickOpenTheSystemMenu) {
  window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
  QTest::keyClick(window().GetDlgItem(1005), Qt::Key_Space, Qt::AltModifier);
  EXPECT_TRUE(window().SystemMenu()->isVisible());
  window().SystemMenu()->hide();
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                               window().mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(&window(), &rightClick);
  EXPECT_TRUE(window().SystemMenu()->isVisible());
  window().SystemMenu()->hide();
}

}  // namespace
