// Storage formatting against the simulator: storage query, format, the counting wait with its
// time-out, the row texts of every outcome and the summaries between SD1 and SD2.
#include <QComboBox>
#include <QRegularExpression>

#include "operations_fixture.h"
#include "platform/dialog_service.h"

namespace optest {
namespace {

class Formatting : public OperationsTest {
 protected:
  void SetTimeoutMinutes(int index) {
    window().DlgItem<QComboBox>(1038)->setCurrentIndex(index);
    window().OnSelchangeFormatTimeout();
  }
};

TEST_F(Formatting, RowsCountTheSecondsUntilTheAnswerOrTheTimeOut) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  for (auto& device : scenario.devices) device.sd1 = 30436;
  scenario.devices[1].faults.ignoreCodes.insert(1017);
  scenario.devices[2].faults.failFormat = true;
  StartWith(scenario);
  SetTimeoutMinutes(0);  // "1"
  FindDevices(3);
  Choose({batch::kRowFormatSd1});
  ClickRun();
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("正在格式化SD1"));

  const QRegularExpression counting(QStringLiteral("^SD1正在格式化\\((\\d+)s\\)$"));
  std::vector<int> seconds;
  ASSERT_TRUE(RunUntil(
      [&] {
        const auto match = counting.match(StatusOf("SN1001"));
        if (match.hasMatch() && (seconds.empty() || seconds.back() != match.captured(1).toInt()))
          seconds.push_back(match.captured(1).toInt());
        return !window().Runs().IsRunning();
      },
      60000));
  ASSERT_GE(seconds.size(), 10u);
  EXPECT_TRUE(std::is_sorted(seconds.begin(), seconds.end()));
  EXPECT_GE(seconds.back(), 55);
  EXPECT_LE(seconds.back(), 60);
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("SD1格式化成功"));
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("SD1格式化超时"));
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("SD1格式化失败"));
  EXPECT_EQ(Journal("SN1000", 1017).at(0).text, "disk=0");
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("SD1 格式化完成, 总共:3，成功:1 失败:2。")});
}

TEST_F(Formatting, AnAbsentMediumOrAFailedLoginIsNeverFormattedAndTheWaitEndsAtOnce) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  scenario.devices[0].sd1 = 30436;  // SD2 absent
  scenario.devices[1].faults.refuseLogin = true;
  StartWith(scenario);
  FindDevices(2);
  Choose({batch::kRowFormatSd2});
  ClickRun();
  bool everCounting = false;
  ASSERT_TRUE(RunUntil(
      [&] {
        everCounting = everCounting || StatusOf("SN1000").contains(QStringLiteral("正在格式化"));
        return !window().Runs().IsRunning();
      },
      60000));
  EXPECT_FALSE(everCounting);
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("SD2 未挂载"));
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("登录失败"));
  EXPECT_TRUE(Journal("SN1000", 1017).empty());
  EXPECT_EQ(Journal("SN1000", 1014).size(), 1u);
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("SD2 格式化完成, 总共:2，成功:0 失败:2。")});
}

TEST_F(Formatting, AStorageAnswerAfterTheQueryTimedOutChangesNeitherTheRowNorTheTotals) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  for (auto& device : scenario.devices) device.sd1 = 30436;
  // Its storage answer comes 4 s after the 8 s query wait, while the other device formats.
  scenario.devices[1].timings.answerMs = 12000;
  StartWith(scenario);
  FindDevices(2);
  Choose({batch::kRowFormatSd1});
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("SD1格式化成功"));
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("获取存储设备信息失败"));
  EXPECT_TRUE(Journal("SN1001", 1017).empty());
  const discovery::DeviceRecord& late = *window().Devices().RecordAt(RowOf("SN1001"));
  EXPECT_EQ(late.storageInfoReceived, 0);
  EXPECT_EQ(late.sd1Total, 0);
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("SD1 格式化完成, 总共:2，成功:1 失败:1。")});
}

TEST_F(Formatting, Sd2StartsAfterTheSd1PromptAndALateSd1AnswerIsNotSd2s) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  for (auto& device : scenario.devices) device.sd1 = device.sd2 = 30436;
  scenario.devices[1].faults.failFormat = true;
  StartWith(scenario);
  FindDevices(2);
  Choose({batch::kRowFormatSd1, batch::kRowFormatSd2});
  dialogs().QueueAnswer(platform::IDYES);
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(
      ShownTexts(),
      (std::vector<QString>{QStringLiteral("SD1 格式化完成, 总共:2，成功:1 失败:1。是否继续操作？"),
                            QStringLiteral("SD2 格式化完成, 总共:2，成功:1 失败:1。")}));
  const auto formats = Journal("SN1000", 1017);
  ASSERT_EQ(formats.size(), 2u);
  EXPECT_EQ(formats[0].text, "disk=0");
  EXPECT_EQ(formats[1].text, "disk=1");
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("SD2格式化成功"));
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("SD2格式化失败"));
}

}  // namespace
}  // namespace optest
