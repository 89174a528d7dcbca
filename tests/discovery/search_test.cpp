// The search against the camera simulator on loopback, clock sped up.
#include <gtest/gtest.h>

#include <set>

#include "memory_rows.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "support/table_harness.h"
#include "text/fixed_texts.h"

namespace {

using testsupport::Cameras;
using testsupport::RunUntil;
using testsupport::SimNetwork;

class Search : public testing::Test {
 protected:
  Search() { rows.Attach(harness.table()); }

  // Runs a search until it hands over or gives up.
  bool SearchToTheEnd() {
    harness.table().StartSearch();
    return RunUntil([&] { return harness.completed + harness.abandoned > 0; }, 30000);
  }

  std::set<std::string> ListedSerials() {
    std::set<std::string> serials;
    for (int row = 0; row < rows.RowCount(); ++row) serials.insert(rows.Text(row, 2).toStdString());
    return serials;
  }

  testsupport::MemoryRows rows;
  testsupport::TableHarness harness{rows};
};

TEST_F(Search, StopsAtTheExpectedCountWithEveryRowChecked) {
  SimNetwork network(Cameras(5));
  harness.expected = 3;
  ASSERT_TRUE(SearchToTheEnd());
  EXPECT_EQ(harness.completed, 1);
  EXPECT_EQ(rows.RowCount(), 3);
  EXPECT_EQ(harness.table().TotalCount(), 3);
  EXPECT_EQ(harness.table().CheckedCount(), 3);
  EXPECT_EQ(harness.counters[discovery::Counter::kTotal], 3);
  EXPECT_EQ(harness.counters[discovery::Counter::kChecked], 3);
  EXPECT_EQ(harness.action, QStringLiteral("正在搜索"));
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(rows.IsChecked(row));
    const discovery::DeviceRecord* record = harness.table().RecordAt(row);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->rowIndex, row);
    EXPECT_EQ(rows.Text(row, 0).toStdString(), record->info.Ip());
    EXPECT_EQ(rows.Text(row, 1).toStdString(), record->info.Mac());
    EXPECT_EQ(rows.Text(row, 3).toStdString(), record->info.DeviceType());
  }
  EXPECT_TRUE(harness.questions.empty());
  EXPECT_FALSE(harness.IsTimerRunning(discovery::kTimerSearch));
  EXPECT_FALSE(harness.searchEnabled);
}

TEST_F(Search, TooFewDevicesAskAfterTwentySecondsAndYesGivesTwentyMore) {
  SimNetwork network(Cameras(2));
  harness.expected = 5;
  harness.answers = {true, false};
  const DWORD start = platform::GetTickCount();
  ASSERT_TRUE(SearchToTheEnd());
  const DWORD elapsed = platform::GetTickCount() - start;
  EXPECT_EQ(harness.abandoned, 1);
  EXPECT_EQ(harness.completed, 0);
  ASSERT_EQ(harness.questions.size(), 2u);
  for (const QString& question : harness.questions)
    EXPECT_EQ(question, QStringLiteral("搜索到的IPC数量与设备升级数量不一致，是否继续搜索？"));
  EXPECT_GE(elapsed, 40000u);
  EXPECT_EQ(rows.RowCount(), 2);
  EXPECT_FALSE(harness.IsTimerRunning(discovery::kTimerSearch));
}

TEST_F(Search, TheQuestionIsInTheLanguageInForce) {
  SimNetwork network(Cameras(1));
  harness.expected = 2;
  harness.language = 1;
  ASSERT_TRUE(SearchToTheEnd());
  ASSERT_EQ(harness.questions.size(), 1u);
  EXPECT_EQ(
      harness.questions[0],
      QStringLiteral("The selected number of cameras have not been found,continue searching?"));
  EXPECT_EQ(harness.action, QStringLiteral("Searching"));
}

// Results answer in the order of their search delays; NVRs first and in the middle.
camsim::Scenario WithNvrs() {
  camsim::Scenario scenario = Cameras(5);
  scenario.devices[0].deviceType = "NVR";
  scenario.devices[2].deviceType = "NVR";
  return scenario;
}

TEST_F(Search, NvrsAreNeverListedAndEachRecordKeepsTheLibrarysIndex) {
  SimNetwork network(WithNvrs());
  harness.expected = 3;
  ASSERT_TRUE(SearchToTheEnd());
  ASSERT_EQ(rows.RowCount(), 3);
  EXPECT_EQ(ListedSerials(), (std::set<std::string>{"SN1001", "SN1003", "SN1004"}));
  for (int row = 0; row < 3; ++row) {
    const discovery::DeviceRecord* record = harness.table().RecordAt(row);
    EXPECT_NE(rows.Text(row, 3), QStringLiteral("NVR"));
    sdk::DeviceInfoBlock block;
    ASSERT_EQ(IP_NET_DVR_GetIPCInfo(record->searchIndex, block.data()), 0);
    EXPECT_EQ(block.Serial(), record->info.Serial()) << "row " << row;
  }
  // Rows follow the results' order.
  EXPECT_EQ(rows.Text(0, 2), QStringLiteral("SN1001"));
  EXPECT_EQ(rows.Text(2, 2), QStringLiteral("SN1004"));
}

TEST_F(Search, ASecondSearchLogsOutEveryDeviceAndEmptiesTheTableFirst) {
  SimNetwork network(Cameras(3));
  harness.expected = 3;
  ASSERT_TRUE(SearchToTheEnd());
  for (int row = 0; row < 3; ++row) {
    discovery::DeviceRecord* record = harness.table().RecordAt(row);
    record->loginHandle =
        IP_NET_DVR_Login(record->info.Ip().c_str(), record->info.Port(),
                         record->info.User().c_str(), record->info.Password().c_str(), nullptr);
    ASSERT_GT(record->loginHandle, 0);
  }
  ASSERT_TRUE(RunUntil([&] {
    for (const auto& device : network.simulator().Devices())
      if (device.logins != 1) return false;
    return true;
  }));

  harness.completed = 0;
  harness.table().StartSearch();
  EXPECT_EQ(rows.RowCount(), 0);
  EXPECT_EQ(harness.table().TotalCount(), 0);
  EXPECT_EQ(harness.counters[discovery::Counter::kTotal], 0);
  EXPECT_EQ(harness.recordsDetached, 2);
  ASSERT_TRUE(RunUntil([&] {
    for (const auto& device : network.simulator().Devices())
      if (device.logins != 0) return false;
    return true;
  }));
  ASSERT_TRUE(RunUntil([&] { return harness.completed == 1; }, 30000));
  EXPECT_EQ(rows.RowCount(), 3);
}

TEST_F(Search, TheAllNetworkColumnShowsSupportAndState) {
  camsim::Scenario scenario = Cameras(3);
  scenario.devices[0].allNetSupport = 0xFF;
  scenario.devices[0].allNetState = 1;
  scenario.devices[1].allNetSupport = 0xFF;
  scenario.devices[1].allNetState = 0;
  scenario.devices[2].allNetSupport = 0;
  scenario.devices[2].allNetState = 1;
  SimNetwork network(scenario);
  harness.expected = 3;
  ASSERT_TRUE(SearchToTheEnd());
  EXPECT_EQ(rows.Text(0, 7), QString::fromUtf16(texts::kAllNetworkEnabled));
  EXPECT_EQ(rows.Text(1, 7), QString::fromUtf16(texts::kAllNetworkDisabled));
  EXPECT_EQ(rows.Text(2, 7), QString::fromUtf16(texts::kAllNetworkUnsupported));
}

TEST_F(Search, TheRefoundCheckTellsTheFactoryAddressFromAnyOther) {
  camsim::Scenario scenario = Cameras(3);
  scenario.devices[0].ip = "192.168.1.123";
  scenario.devices[1].ip = "192.168.0.123";
  scenario.devices[2].ip = "192.168.1.77";
  SimNetwork network(scenario);
  std::vector<std::unique_ptr<discovery::DeviceRecord>> pending;
  for (const char* serial : {"SN1000", "SN1001", "SN1002", "SN9999"}) {
    sdk::DeviceInfoBlock block;
    std::strcpy(reinterpret_cast<char*>(block.data()), serial);
    pending.push_back(std::make_unique<discovery::DeviceRecord>());
    pending.back()->ResetFrom(block);
    harness.restorePending.push_back(pending.back().get());
  }
  IP_NET_DVR_StartSearchIPC();
  harness.table().ResetSearchCursor();
  harness.SetTimer(discovery::kTimerRefound, discovery::kRefoundTimerPeriodMs);
  ASSERT_TRUE(RunUntil(
      [&] {
        return pending[2]->refoundState != discovery::kRefoundNotSeen &&
               pending[0]->refoundState != discovery::kRefoundNotSeen &&
               pending[1]->refoundState != discovery::kRefoundNotSeen;
      },
      30000));
  harness.KillTimer(discovery::kTimerRefound);
  EXPECT_EQ(pending[0]->refoundState, discovery::kRefoundAtDefaultAddress);
  EXPECT_EQ(pending[1]->refoundState, discovery::kRefoundAtDefaultAddress);
  EXPECT_EQ(pending[2]->refoundState, discovery::kRefoundElsewhere);
  EXPECT_EQ(pending[3]->refoundState, discovery::kRefoundNotSeen);
}

}  // namespace
