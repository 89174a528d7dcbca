// The firmware upgrade against the simulator: ten devices at once, each meeting another end of
// the course, one file chosen with "浏览", and a second run over upgraded rows.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <set>

#include "batch/messages.h"
#include "operations/upgrade.h"
#include "operations_fixture.h"
#include "platform/dialog_service.h"
#include "text/text.h"
#include "wire/firmware.h"

namespace optest {
namespace {

const std::string kOldVersion = "V5.6.0 build 2026";
const std::string kNewVersion = "V5.7.0 build 2027";
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Counts the window messages 2129 and 2126 as the window takes them.
class MessageWatch : public QObject {
 public:
  std::map<UINT, int> counts;
  bool eventFilter(QObject*, QEvent* event) override {
    const auto type = static_cast<UINT>(event->type());
    if (type == batch::kMsgUpgradeFinished || type == batch::kMsgRowStatus) ++counts[type];
    return false;
  }
};

class Upgrading : public OperationsTest {
 protected:
  std::string WriteFirmware(const std::string& name) {
    const std::string path = m_files.filePath(QString::fromStdString(name)).toStdString();
    std::vector<std::uint8_t> payload(1024 * 1024);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
    const auto bytes = wire::BuildFirmware(kNewVersion, "", payload);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // "浏览" with the file picked in the dialog.
  void Choose(const std::string& path) {
    dialogs().QueueFile(QString::fromStdString(path));
    Click(1006);
  }
  QTemporaryDir m_files;
};

TEST_F(Upgrading, EveryDeviceEndsItsOwnWayAndTheInstructionEndsOnce) {
  camsim::Scenario scenario = testsupport::Cameras(10);
  for (auto& device : scenario.devices) device.version = kOldVersion;
  scenario.devices[2].faults.failAtPercent = 50;        // event 15
  scenario.devices[3].faults.keepVersion = true;        // same version after the restart
  scenario.devices[4].faults.refuseFirmware = true;     // 1009 failed
  scenario.devices[5].timings.checkMs = 250000;         // 1009 after 240 s
  scenario.devices[6].faults.stallAtPercent = 30;       // no progress
  scenario.devices[7].faults.ignoreCodes.insert(1012);  // no version answer
  scenario.devices[8].faults.refuseLogin = true;
  scenario.devices[9].timings.upgradeRestartMs = 1e9;  // never comes back
  StartWith(scenario);
  MessageWatch watch;
  window().installEventFilter(&watch);
  FindDevices(10);
  OperationsTest::Choose({batch::kRowUpgrade});
  Choose(WriteFirmware("new.bin"));
  ClickRun();
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("正在升级"));
  ASSERT_TRUE(WaitForRunEnd(120000));

  const std::map<std::string, QString> ends = {
      {"SN1000", QStringLiteral("升级成功")},
      {"SN1001", QStringLiteral("升级成功")},
      {"SN1002", QStringLiteral("上传文件失败")},
      {"SN1003", QStringLiteral("版本号一致，升级失败")},
      {"SN1004", QStringLiteral("该文件不能升级")},
      {"SN1005", QStringLiteral("校验文件超时，升级失败")},
      {"SN1006", QStringLiteral("获取上传文件进度失败")},
      {"SN1007", QStringLiteral("获取版本号失败")},
      {"SN1008", QStringLiteral("登录失败")},
      {"SN1009", QStringLiteral("登录失败")},
  };
  for (const auto& [serial, text] : ends) EXPECT_EQ(StatusOf(serial), text) << serial;
  for (const char* serial : {"SN1000", "SN1001"}) {
    const int row = RowOf(serial);
    EXPECT_EQ(Cell(row, 4), QString::fromStdString(kOldVersion));
    EXPECT_EQ(Cell(row, 5), QString::fromStdString(kNewVersion));
    EXPECT_EQ(list().GetItemTextColor(row, 5), kGreen);
  }
  EXPECT_EQ(Cell(RowOf("SN1003"), 5), QString::fromStdString(kOldVersion));
  EXPECT_EQ(list().GetItemTextColor(RowOf("SN1003"), 5), kRed);
  EXPECT_EQ(window().GetDlgItemText(1026), QStringLiteral("2"));
  EXPECT_EQ(window().GetDlgItemText(1027), QStringLiteral("8"));
  EXPECT_EQ(watch.counts[batch::kMsgUpgradeFinished], 1);
  EXPECT_EQ(ShownTexts(), std::vector<QString>{QStringLiteral(
                              "升级完成, 总共:10, 成功:2, 失败:8。是否播放视频来找出这些设备?")});

  // The course of a good device in the journal: version, file, check, login again, version.
  const auto time = [&](std::uint32_t code, std::size_t nth) {
    return Journal("SN1000", code).at(nth).timeMs;
  };
  ASSERT_EQ(Journal("SN1000", 1012).size(), 2u);
  ASSERT_EQ(Journal("SN1000", 1004).size(), 2u);
  EXPECT_LT(time(1012, 0), time(1008, 0));
  EXPECT_LT(time(1008, 0), time(1009, 0));
  EXPECT_LT(time(1009, 0), time(1004, 1));
  // The first login after the restart comes 15 s after the request.
  EXPECT_GE(time(1004, 1) - time(1009, 0), 15000.0);
  EXPECT_LT(time(1004, 1), time(1012, 1));
  EXPECT_EQ(sim().Device("SN1000")->version, kNewVersion);
  // A late 1009 after the check timed out changed nothing; failed devices stay logged in.
  EXPECT_EQ(sim().Device("SN1005")->logins, 1);
  EXPECT_EQ(window().Devices().RecordAt(RowOf("SN1005"))->fileCheckState,
            discovery::kFileCheckTimedOut);
}

// A verdict that lands while the transfer goes on (as a transfer-failed event does, between the
// progress poller's reading and its text) is the row's last word: no later round of the poller
// writes "上传文件 N%" over it.
TEST_F(Upgrading, AVerdictIsNeverOverwrittenByTheProgressOfATransferStillUnderWay) {
  camsim::Scenario scenario = testsupport::Cameras(1);
  scenario.devices[0].version = kOldVersion;
  scenario.devices[0].timings.rateKiBps = 8;  // about two minutes of device time for the file
  StartWith(scenario);
  FindDevices(1);
  OperationsTest::Choose({batch::kRowUpgrade});
  Choose(WriteFirmware("slow.bin"));
  ClickRun();
  const QString uploading = QStringLiteral("上传文件");
  ASSERT_TRUE(RunUntil([&] { return StatusOf("SN1000").startsWith(uploading); }, 60000));

  discovery::DeviceRecord& record = *window().Devices().RecordAt(RowOf("SN1000"));
  const QString verdict = QStringLiteral("上传文件失败");
  discovery::UpgradeResult none = discovery::kUpgradeNone;
  ASSERT_TRUE(record.upgradeResult.compare_exchange_strong(none, discovery::kUpgradeFailed));
  window().Engine().ShowStatus(record, verdict);
  window().Engine().CheckUpgradeCompletion();
  ASSERT_TRUE(WaitForRunEnd());

  // Many poller rounds while the file keeps flowing.
  std::set<QString> seen;
  RunUntil(
      [&] {
        seen.insert(StatusOf("SN1000"));
        return false;
      },
      2000);
  EXPECT_EQ(seen, std::set<QString>{verdict});
  EXPECT_EQ(record.StatusText(), verdict);
}

TEST_F(Upgrading, ADeviceWhoseNextStepCannotBeQueuedFailsAndEveryRunStillEndsOnce) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  for (auto& device : scenario.devices) device.version = kOldVersion;
  StartWith(scenario);
  MessageWatch watch;
  window().installEventFilter(&watch);
  FindDevices(2);
  OperationsTest::Choose({batch::kRowUpgrade});
  Choose(WriteFirmware("new.bin"));
  // The first version query after a login and the first upload after a version answer cannot
  // be created: each device fails at another step, and neither is the last to succeed.
  batch::Engine& engine = window().Engine();
  engine.FailNextAllocationsForTesting(batch::ItemKind::kVersionQuery, 1);
  engine.FailNextAllocationsForTesting(batch::ItemKind::kUpload, 1);
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd(120000));
  const auto ends = [&] { return std::multiset<QString>{StatusOf("SN1000"), StatusOf("SN1001")}; };
  EXPECT_EQ(ends(), (std::multiset<QString>{QStringLiteral("内存申请失败"),
                                            QStringLiteral("上传文件内存申请失败")}));
  EXPECT_EQ(watch.counts[batch::kMsgUpgradeFinished], 1);
  const QString allFailed =
      QStringLiteral("升级完成, 总共:2, 成功:0, 失败:2。是否播放视频来找出这些设备?");
  EXPECT_EQ(ShownTexts(), std::vector<QString>{allFailed});

  // Failed devices stay logged in, so the next run asks each for its version on 2127 itself.
  engine.FailNextAllocationsForTesting(batch::ItemKind::kVersionQuery, 2);
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd(120000));
  EXPECT_EQ(ends(), (std::multiset<QString>{QStringLiteral("内存申请失败"),
                                            QStringLiteral("内存申请失败")}));
  EXPECT_EQ(watch.counts[batch::kMsgUpgradeFinished], 2);
  EXPECT_EQ(ShownTexts(), (std::vector<QString>{allFailed, allFailed}));
  EXPECT_EQ(Journal("SN1000", 1012).size() + Journal("SN1001", 1012).size(), 1u);
  EXPECT_TRUE(Journal("SN1000", 1008).empty());
  EXPECT_TRUE(Journal("SN1001", 1008).empty());
}

TEST_F(Upgrading, OverOnvifTheUploadsStatusAndTheVersionAfterTheRestartJudgeEachDevice) {
  camsim::Scenario scenario = testsupport::Cameras(6);
  for (auto& device : scenario.devices) device.version = kOldVersion;
  scenario.devices[2].faults.keepVersion = true;        // same version after the restart
  scenario.devices[3].faults.refuseFirmware = true;     // the POST answers 415
  scenario.devices[4].onvif.httpUpgrade = false;        // StartFirmwareUpgrade is refused
  scenario.devices[5].onvif.rebootBeforeStatus = true;  // takes the file, restarts, no status
  m_protocol = camsim::Protocol::kOnvif;
  StartWith(scenario);
  FindDevices(6);
  OperationsTest::Choose({batch::kRowUpgrade});
  Choose(WriteFirmware("new.bin"));
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd(120000));

  const std::map<std::string, QString> ends = {
      {"SN1000", QStringLiteral("升级成功")},
      {"SN1001", QStringLiteral("升级成功")},
      {"SN1002", QStringLiteral("版本号一致，升级失败")},
      {"SN1003", QStringLiteral("该文件不能升级")},
      {"SN1004", QStringLiteral("上传文件失败")},
      {"SN1005", QStringLiteral("升级成功")},  // no status: its new version decides
  };
  for (const auto& [serial, text] : ends) {
    EXPECT_EQ(StatusOf(serial), text) << serial;
  }
  EXPECT_EQ(Cell(RowOf("SN1000"), 5), QString::fromStdString(kNewVersion));
  EXPECT_EQ(sim().Device("SN1000")->version, kNewVersion);
  EXPECT_EQ(sim().Device("SN1003")->version, kOldVersion);
  EXPECT_EQ(window().GetDlgItemText(1026), QStringLiteral("3"));
}

TEST_F(Upgrading, ARunOverUpgradedRowsClearsTheirVersionsAndAFileGoneAfterTheChoiceFails) {
  StartWith(testsupport::Cameras(2));
  FindDevices(2);
  OperationsTest::Choose({batch::kRowUpgrade});
  // Cancel in the file dialog changes nothing.
  Click(1006);
  EXPECT_TRUE(window().GetDlgItemText(1005).isEmpty());
  const std::string path = WriteFirmware("again.bin");
  Choose(path);
  EXPECT_EQ(window().GetDlgItemText(1005), QString::fromStdString(path));
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd(120000));
  ASSERT_EQ(StatusOf("SN1001"), QStringLiteral("升级成功"));

  ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
  ClickRun();
  for (int row = 0; row < 2; ++row) {
    EXPECT_TRUE(Cell(row, 4).isEmpty());
    EXPECT_TRUE(Cell(row, 5).isEmpty());
  }
  ASSERT_TRUE(WaitForRunEnd(120000));
  for (const char* serial : {"SN1000", "SN1001"}) {
    EXPECT_EQ(StatusOf(serial), QStringLiteral("提交上传文件失败"));
    // The version before was read again, and no file went out.
    EXPECT_EQ(Journal(serial, 1012).size(), 3u);
    EXPECT_EQ(Journal(serial, 1008).size(), 1u);
    EXPECT_EQ(Cell(RowOf(serial), 4), QString::fromStdString(kNewVersion));
  }
  EXPECT_EQ(window().GetDlgItemText(1027), QStringLiteral("2"));
}

}  // namespace
}  // namespace optest
