// Reboot, factory restore, time sync and the all-network switch against the simulator: who is
// contacted, the row texts, the counts of the summaries and the waits of the restore.
#include <cstdio>
#include <regex>

#include "batch/messages.h"
#include "operations_fixture.h"
#include "platform/clock.h"

namespace optest {
namespace {

using BatchCommands = OperationsTest;

// The instructions whose course and texts are the same on either backend.
using BothBackends = BackendTest;

std::string LocalTimeText() {
  platform::SYSTEMTIME now{};
  platform::GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  return text;
}

TEST_F(BatchCommands, RebootCountsADeviceThatIsNotLoggedInAsAFailure) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[2].faults.refuseLogin = true;
  StartWith(scenario);
  FindDevices(3);
  Choose({batch::kRowReboot});
  ClickRun();
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("正在重启设备"));
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("重启设备成功"));
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("重启设备成功"));
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("登录失败"));
  EXPECT_EQ(Journal("SN1001", 1001).size(), 1u);
  EXPECT_TRUE(Journal("SN1002", 1001).empty());
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("重启设备完成, 总共:3，成功:2 失败:1。")});
}

// Over ONVIF a device that refuses the login is never listed (its details need the login), so
// the refusal here is of the reboot itself.
TEST_P(BothBackends, RebootCountsADeviceThatRefusesItAsAFailure) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[2].faults.refuseCodes.insert(1001);
  StartWith(scenario);
  FindDevices(3);
  Choose({batch::kRowReboot});
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("重启设备成功"));
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("重启设备失败"));
  EXPECT_EQ(Journal("SN1001", 1001).size(), 1u);
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("重启设备完成, 总共:3，成功:2 失败:1。")});
}

TEST_P(BothBackends, RestoreCountsOnlyDevicesBackAtAFactoryAddressAndWaitsWithinItsBounds) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[1].faults.restoreIp = scenario.devices[1].ip;  // back where it was
  scenario.devices[2].faults.vanishAfterRestore = true;
  StartWith(scenario);
  FindDevices(3);
  Choose({batch::kRowRestore});
  ClickRun();
  ASSERT_TRUE(RunUntil([&] { return Journal("SN1000", 1002).size() == 1; }));
  const DWORD commanded = platform::GetTickCount();
  ASSERT_TRUE(WaitForRunEnd());
  const DWORD lasted = platform::GetTickCount() - commanded;
  // 10 s for the restart and 2 s for the search before the wait, which ends at its 14 s bound
  // for the device that never comes back; a generous margin above for a loaded machine.
  EXPECT_GE(lasted, 10000u + 2000u + 14000u);
  EXPECT_LE(lasted, 10000u + 2000u + 14000u + 1000u + 1500u + 12000u);
  EXPECT_EQ(sim().Device("SN1000")->ip, "192.168.1.123");
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("恢复出厂设置成功"));
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("恢复出厂设置失败"));
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("正在恢复出厂设置"));
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("恢复出厂设置完成, 总共:3，成功:1 失败:2。")});
  EXPECT_FALSE(window().IsTimerRunning(1008));
}

TEST_F(BatchCommands, TimeSyncSendsTheLocalTimeAndALateAnswerIsRecordedButNotCounted) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[1].faults.refuseCodes.insert(1005);
  scenario.devices[2].timings.answerMs = 15000;  // after the 2 s + 8 s wait
  StartWith(scenario);
  FindDevices(3);
  Choose({batch::kRowSetTime});
  const std::string before = LocalTimeText();
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  const std::string after = LocalTimeText();

  const auto sent = Journal("SN1000", 1005);
  ASSERT_EQ(sent.size(), 1u);
  const std::regex shape(
      "<REQUEST_PARAM\r\nTime=\"(\\d{8} \\d{2}:\\d{2}:\\d{2})\"\r\n"
      "TimeZone=\"4800\"\n/>");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(sent[0].text, match, shape)) << sent[0].text;
  EXPECT_GE(match[1].str(), before);
  EXPECT_LE(match[1].str(), after);
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("同步时间成功"));
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("同步时间失败"));
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("同步时间失败"));
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("同步时间完成, 总共:3，成功:1 失败:2。")});
  discovery::DeviceRecord* late = window().Devices().RecordAt(RowOf("SN1002"));
  ASSERT_TRUE(RunUntil([&] { return late->timeSyncState == discovery::kStateDone; }));
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("同步时间失败"));
}

TEST_F(BatchCommands, AllNetworkSwitchReachesOnlySupportingDevicesAndShowsTheirState) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[0].allNetSupport = 0xFF;
  scenario.devices[2].allNetSupport = 0xFF;
  scenario.devices[2].faults.rejectModify = true;
  StartWith(scenario);
  FindDevices(3);
  Choose({batch::kRowAllNetworkOn});
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  ASSERT_EQ(Journal("SN1000", 1003).size(), 1u);
  EXPECT_NE(Journal("SN1000", 1003)[0].text.find("AllNet=1"), std::string::npos);
  EXPECT_EQ(sim().Device("SN1000")->allNetState, 1);
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("修改成功"));
  EXPECT_EQ(Cell(RowOf("SN1000"), kColumnAllNetwork), QStringLiteral("已启用"));

  EXPECT_TRUE(Journal("SN1001", 1003).empty());
  EXPECT_TRUE(StatusOf("SN1001").isEmpty());
  EXPECT_EQ(Cell(RowOf("SN1001"), kColumnAllNetwork), QStringLiteral("不支持"));

  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("修改失败"));
  EXPECT_EQ(Cell(RowOf("SN1002"), kColumnAllNetwork), QStringLiteral("未启用"));
  EXPECT_EQ(window().Devices().RecordAt(RowOf("SN1002"))->info.AllNetState(), 0);
  EXPECT_TRUE(dialogs().shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, BothBackends, kBothBackends, BackendName);

}  // namespace
}  // namespace optest
