// Clearing the device table while the devices still answer: every late answer finds nothing,
// and the records the table let go of are freed once nothing can reach them. Run under
// AddressSanitizer, a late answer that reached a freed record would end the test.
#include "batch/engine.h"
#include "batch/engine_parts.h"
#include "batch/table_borrow.h"
#include "operations_fixture.h"

namespace optest {
namespace {

using RecordLifetime = OperationsTest;

TEST_F(RecordLifetime, ANewSearchWhileTimeAnswersAndVersionQueriesAreOutstanding) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  for (auto& device : scenario.devices) {
    device.timings.answerMs = 14000;  // the time answers come after the instruction's wait
    device.faults.ignoreCodes.insert(1012);
  }
  StartWith(scenario);
  FindDevices(3);
  Choose({batch::kRowSetTime});
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  ASSERT_EQ(batch::EngineParts::TimeSyncPending(window().Engine()).Size(), 3u);
  // Queued version queries too, sent and never answered: items that name the records.
  for (discovery::DeviceRecord* record : window().Devices().CheckedRecords())
    ASSERT_EQ(window().Engine().QueueVersionQuery(*record, discovery::kPhaseUpgradeBeforeTransfer),
              0);
  ASSERT_TRUE(RunUntil([&] { return Journal("SN1002", 1012).size() == 1; }));

  window().Devices().StartSearch();
  EXPECT_EQ(window().Devices().RetiredCount(), 3u);
  EXPECT_EQ(batch::EngineParts::TimeSyncPending(window().Engine()).Size(), 0u);
  // The late time answers arrive now, and the version queries are dropped by their worker.
  const DWORD cleared = platform::GetTickCount();
  ASSERT_TRUE(RunUntil([&] {
    window().Devices().FreeRetiredRecords();
    return window().Devices().RetiredCount() == 0 && platform::GetTickCount() - cleared > 8000;
  }));
  EXPECT_EQ(batch::EngineParts::VersionQueue(window().Engine()).Size(), 0u);
  ASSERT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(window().Devices().RecordAt(row)->timeSyncState, discovery::kStateWaiting);
}

}  // namespace
}  // namespace optest
