// The device table drawn by the list control: check marks that a click may not change, and rows
// that stay paired with their devices through sorts and refreshes. Against the camera simulator.
#include <gtest/gtest.h>

#include <QTest>

#include "support/event_loop.h"
#include "support/sim_network.h"
#include "support/table_harness.h"
#include "ui/device_list_view.h"
#include "ui/report_ctrl.h"

namespace {

using testsupport::RunUntil;

class DeviceListOnScreen : public testing::Test {
 protected:
  DeviceListOnScreen() {
    for (int column = 0; column < discovery::kColumnCount; ++column)
      list.InsertColumn(column, QString::number(column), ui::kAlignCenter, 100);
    list.resize(900, 300);
    rows.Attach(harness.table());
  }

  void SearchFour() {
    harness.expected = 4;
    harness.table().StartSearch();
    ASSERT_TRUE(RunUntil([&] { return harness.completed == 1; }, 30000));
  }

  QPoint CheckBoxPoint(int row) {
    const QRect cell = list.visualItemRect(list.item(row, 0));
    for (int x = cell.left(); x <= cell.right(); ++x) {
      unsigned flags = 0;
      if (list.HitTest(QPoint(x, cell.center().y()), &flags) == row && flags == ui::kHitOnStateIcon)
        return QPoint(x + 2, cell.center().y());
    }
    ADD_FAILURE() << "no check box in row " << row;
    return {};
  }

  void Click(const QPoint& pos) { QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, pos); }

  testsupport::SimNetwork network{testsupport::Cameras(4)};
  CReportCtrl list;
  ui::DeviceListView rows{list};
  testsupport::TableHarness harness{rows};
};

TEST_F(DeviceListOnScreen, WhileABatchRunsOrTheTableIsBusyACheckBoxClickOnlySelects) {
  SearchFour();
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  for (const bool batch : {true, false}) {
    SCOPED_TRACE(batch ? "batch running" : "table busy");
    harness.batchRunning = batch;
    harness.table().SetBusy(!batch);
    Click(CheckBoxPoint(1));
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_EQ(harness.table().CheckedCount(), 4);
    Click(list.visualItemRect(list.item(2, 3)).center());
    EXPECT_TRUE(list.IsSelected(2));
  }

  harness.batchRunning = false;
  harness.table().SetBusy(false);
  Click(CheckBoxPoint(1));
  EXPECT_FALSE(list.GetCheck(1));
  EXPECT_EQ(harness.table().CheckedCount(), 3);
  EXPECT_EQ(harness.counters[discovery::Counter::kChecked], 3);
}

TEST_F(DeviceListOnScreen, AfterASortRefreshesStillPairEachRowWithItsDeviceAndClearFreesTheRows) {
  harness.expected = 4;
  harness.table().StartSearch();
  ASSERT_TRUE(RunUntil([&] { return list.GetItemCount() >= 2; }, 30000));
  list.SortItems(discovery::kColumnSerial, false);
  ASSERT_TRUE(RunUntil([&] { return harness.completed == 1; }, 30000));
  list.SortItems(discovery::kColumnSerial, false);
  harness.table().Refresh();
  for (int row = 0; row < 4; ++row) {
    const discovery::DeviceRecord* record = harness.table().RecordAt(row);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->rowIndex, row);
    EXPECT_EQ(list.GetItemText(row, discovery::kColumnSerial).toStdString(), record->info.Serial());
    EXPECT_EQ(list.GetItemText(row, discovery::kColumnIp).toStdString(), record->info.Ip());
  }
  EXPECT_EQ(list.GetItemText(0, discovery::kColumnSerial), QStringLiteral("SN1003"));

  harness.table().Clear();
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.OwnedBlockCount(), 0u);
  EXPECT_EQ(harness.table().CheckedCount(), 0);
}

}  // namespace
