// Check marks, counters and the click guard, on rows from a short search.
#include <gtest/gtest.h>

#include <QTest>

#include "platform/dialog_service.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "table_harness.h"

namespace {

using testsupport::RunUntil;

class CheckMarks : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetDialogService(&dialogs);
    network = std::make_unique<testsupport::SimNetwork>(testsupport::Cameras(4));
    harness.expected = 4;
    harness.table().StartSearch();
    ASSERT_TRUE(RunUntil([&] { return harness.completed == 1; }, 30000));
    harness.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&harness));
  }
  void TearDown() override {
    network.reset();
    platform::SetDialogService(nullptr);
  }

  std::vector<bool> Marks() {
    std::vector<bool> marks;
    for (int row = 0; row < harness.list().GetItemCount(); ++row)
      marks.push_back(harness.list().GetCheck(row));
    return marks;
  }

  QPoint CheckBoxPoint(int row) {
    CReportCtrl& list = harness.list();
    const QRect cell = list.visualItemRect(list.item(row, 0));
    for (int x = cell.left(); x <= cell.right(); ++x) {
      unsigned flags = 0;
      if (list.HitTest(QPoint(x, cell.center().y()), &flags) == row && flags == ui::kHitOnStateIcon)
        return QPoint(x + 2, cell.center().y());
    }
    ADD_FAILURE() << "no check box in row " << row;
    return {};
  }

  platform::ScriptedDialogs dialogs;
  testsupport::TableHarness harness;
  std::unique_ptr<testsupport::SimNetwork> network;
};

TEST_F(CheckMarks, UncheckingARowLowersTheCountAndInvertTwiceRestoresIt) {
  harness.list().SetCheck(1, false);
  EXPECT_EQ(harness.table().CheckedCount(), 3);
  EXPECT_EQ(harness.GetDlgItemText(ids::IDC_CHECKED), QStringLiteral("3"));
  const std::vector<bool> before = Marks();
  harness.table().Invert();
  EXPECT_EQ(harness.table().CheckedCount(), 1);
  EXPECT_EQ(Marks(), std::vector<bool>({false, true, false, false}));
  harness.table().Invert();
  EXPECT_EQ(Marks(), before);
  EXPECT_EQ(harness.table().CheckedCount(), 3);
}

TEST_F(CheckMarks, CheckAllAndSetAllByState) {
  harness.table().SetAllChecks(false);
  EXPECT_EQ(harness.table().CheckedCount(), 0);
  EXPECT_EQ(harness.GetDlgItemText(ids::IDC_CHECKED), QStringLiteral("0"));
  harness.list().SetCheck(2, true);
  harness.table().CheckAll();
  EXPECT_EQ(harness.table().CheckedCount(), 4);
  EXPECT_EQ(harness.table().CheckedRecords().size(), 4u);
}

TEST_F(CheckMarks, WhileABatchRunsACheckBoxClickChangesNothingButSelects) {
  harness.batchRunning = true;
  QTest::mouseClick(harness.list().viewport(), Qt::LeftButton, {}, CheckBoxPoint(1));
  EXPECT_TRUE(harness.list().GetCheck(1));
  EXPECT_EQ(harness.table().CheckedCount(), 4);
  const QPoint label = harness.list().visualItemRect(harness.list().item(2, 3)).center();
  QTest::mouseClick(harness.list().viewport(), Qt::LeftButton, {}, label);
  EXPECT_TRUE(harness.list().IsSelected(2));

  harness.batchRunning = false;
  QTest::mouseClick(harness.list().viewport(), Qt::LeftButton, {}, CheckBoxPoint(1));
  EXPECT_FALSE(harness.list().GetCheck(1));
  EXPECT_EQ(harness.table().CheckedCount(), 3);
}

TEST_F(CheckMarks, ClearingFreesTheRowsAndZeroesTheCounters) {
  harness.table().Clear();
  EXPECT_EQ(harness.list().GetItemCount(), 0);
  EXPECT_EQ(harness.list().OwnedBlockCount(), 0u);
  EXPECT_EQ(harness.table().TotalCount(), 0);
  EXPECT_EQ(harness.table().CheckedCount(), 0);
  EXPECT_EQ(harness.table().RecordAt(0), nullptr);
  EXPECT_TRUE(harness.table().CheckedRecords().empty());
}

}  // namespace
