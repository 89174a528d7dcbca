// Check marks and counters, on rows from a short search.
#include <gtest/gtest.h>

#include "memory_rows.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "support/table_harness.h"

namespace {

using discovery::Counter;
using testsupport::RunUntil;

class CheckMarks : public testing::Test {
 protected:
  void SetUp() override {
    rows.Attach(harness.table());
    network = std::make_unique<testsupport::SimNetwork>(testsupport::Cameras(4));
    harness.expected = 4;
    harness.table().StartSearch();
    ASSERT_TRUE(RunUntil([&] { return harness.completed == 1; }, 30000));
  }

  std::vector<bool> Marks() const {
    std::vector<bool> marks;
    for (int row = 0; row < rows.RowCount(); ++row) marks.push_back(rows.IsChecked(row));
    return marks;
  }

  testsupport::MemoryRows rows;
  testsupport::TableHarness harness{rows};
  std::unique_ptr<testsupport::SimNetwork> network;
};

TEST_F(CheckMarks, UncheckingARowLowersTheCountAndInvertTwiceRestoresIt) {
  rows.SetChecked(1, false);
  EXPECT_EQ(harness.table().CheckedCount(), 3);
  EXPECT_EQ(harness.counters[Counter::kChecked], 3);
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
  EXPECT_EQ(harness.counters[Counter::kChecked], 0);
  EXPECT_TRUE(harness.table().CheckedRecords().empty());
  rows.SetChecked(2, true);
  EXPECT_EQ(harness.table().CheckedRecords(),
            std::vector<discovery::DeviceRecord*>{harness.table().RecordAt(2)});
  harness.table().CheckAll();
  EXPECT_EQ(harness.table().CheckedCount(), 4);
  EXPECT_EQ(harness.table().CheckedRecords().size(), 4u);
}

TEST_F(CheckMarks, ClearingLetsGoOfTheRowsAndZeroesTheCounters) {
  harness.table().Clear();
  EXPECT_EQ(rows.RowCount(), 0);
  EXPECT_EQ(harness.table().TotalCount(), 0);
  EXPECT_EQ(harness.table().CheckedCount(), 0);
  EXPECT_EQ(harness.counters[Counter::kTotal], 0);
  EXPECT_EQ(harness.counters[Counter::kChecked], 0);
  EXPECT_EQ(harness.table().RecordAt(0), nullptr);
  EXPECT_EQ(harness.table().RetiredCount(), 0u);
  EXPECT_TRUE(harness.table().CheckedRecords().empty());
}

}  // namespace
