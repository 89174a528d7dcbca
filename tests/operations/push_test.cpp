// The configuration push against the simulator: logins, the order with Ethernet last, retries,
// acknowledgement and restart waits, and the groups that must never be sent.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <future>

#include "batch/library_calls.h"
#include "batch/table_borrow.h"
#include "config/config_fields.h"
#include "config/config_set.h"
#include "config/pages/other_set_dlg.h"
#include "config/pages/settings_page.h"
#include "config/push/push_groups.h"
#include "config/requests/group_requests.h"
#include "operations_fixture.h"
#include "platform/ip_address_ctrl.h"

namespace optest {
namespace {

class Pushing : public OperationsTest {
 protected:
  void Enable(std::initializer_list<config::Int32Field> flags) {
    config::ConfigSet& set = config::ProcessConfigSet();
    for (config::Int32Field flag :
         {config::kEthernetGroupFlag, config::kCloudGroupFlag, config::kFtpGroupFlag,
          config::kSmtpGroupFlag, config::kStreamingGroupFlag, config::kPlatformGroupFlag,
          config::kVideoCaptureGroupFlag, config::kTimeTitleGroupFlag,
          config::kVideoEncodeGroupFlag, config::kAudioEncodeGroupFlag, config::kMotionGroupFlag,
          config::kAccountGroupFlag, config::kClockGroupFlag, config::kMaintenanceGroupFlag,
          config::kDeviceLanguageGroupFlag})
      set.Set(flag, 0);
    for (config::Int32Field flag : flags) set.Set(flag, 1);
  }
  // Pushes with button 1014 and waits for the run's end; the texts a row showed meanwhile.
  std::vector<QString> Push(const std::string& serial) {
    Choose({batch::kRowOtherSettings});
    ClickRun();
    EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("其它设置"));
    std::vector<QString> seen;
    EXPECT_TRUE(RunUntil(
        [&] {
          const QString text = StatusOf(serial);
          if (seen.empty() || seen.back() != text) seen.push_back(text);
          return !window().Runs().IsRunning();
        },
        120000));
    return seen;
  }
  static bool Shown(const std::vector<QString>& seen, const QString& text) {
    return std::find(seen.begin(), seen.end(), text) != seen.end();
  }
};

TEST_F(Pushing, RetriesRefusalsOnceEditsReachTheRetryAndUnsendableGroupsFailWithoutACall) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  scenario.devices[0].faults.refuseCodes.insert(335);   // cloud, both attempts
  scenario.devices[0].faults.refuseCodeTimes[422] = 1;  // SMTP, the first attempt
  scenario.devices[0].faults.ignoreCodes.insert(421);   // FTP, never answered
  scenario.devices[1].faults.refuseLogin = true;
  StartWith(scenario);
  FindDevices(2);
  Enable({config::kCloudGroupFlag, config::kFtpGroupFlag, config::kSmtpGroupFlag,
          config::kAccountGroupFlag, config::kEthernetGroupFlag});
  config::ConfigSet& set = config::ProcessConfigSet();
  set.Set(config::kAccountPassword, QStringLiteral("secret1"));
  set.Set(config::kAccountPasswordConfirm, QStringLiteral("secret2"));
  set.Set(config::kEthernetIPAddress, QStringLiteral("192.168.1.77"));

  Choose({batch::kRowOtherSettings});
  ClickRun();
  // Between the two cloud attempts the operator turns the cloud on.
  ASSERT_TRUE(RunUntil([&] { return Journal("SN1000", 335).size() == 1; }, 60000));
  set.Set(config::kCloudEnable, 1);
  ASSERT_TRUE(WaitForRunEnd(120000));

  const auto cloud = Journal("SN1000", 335);
  ASSERT_EQ(cloud.size(), 2u);
  EXPECT_EQ(cloud[0].text, "<P2PConfig Enable=\"0\" SyncTime=\"0\" />");
  EXPECT_EQ(cloud[1].text, "<P2PConfig Enable=\"1\" SyncTime=\"0\" />");
  // An attempt that is never answered: 1 s before the call, 30 s of waiting, 1 s after, then
  // the 15 s pause.
  const auto ftp = Journal("SN1000", 421);
  ASSERT_EQ(ftp.size(), 2u);
  EXPECT_GE(ftp[1].timeMs - ftp[0].timeMs, 1000.0 + 30000.0 + 1000.0 + 15000.0);
  EXPECT_EQ(Journal("SN1000", 422).size(), 2u);
  EXPECT_EQ(sim().Device("SN1000")->configs.count(422), 1u);
  // The account's password differs from its confirmation; Ethernet would give both devices one
  // address: neither is ever sent.
  EXPECT_TRUE(Journal("SN1000", 223).empty());
  EXPECT_TRUE(Journal("SN1000", 325).empty());
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("设置以太网失败"));
  // The device whose login failed gets nothing.
  EXPECT_EQ(StatusOf("SN1001"), QStringLiteral("登录设备失败"));
  for (std::uint32_t code : {335u, 421u, 422u, 223u, 325u})
    EXPECT_TRUE(Journal("SN1001", code).empty()) << code;
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("执行结束"));
}

TEST_F(Pushing, OneDeviceGetsEthernetLastAndALoggedInDeviceIsNotLoggedInAgain) {
  StartWith(testsupport::Cameras(1));
  FindDevices(1);
  Enable({});
  const std::vector<QString> first = Push("SN1000");
  EXPECT_TRUE(Shown(first, QStringLiteral("登录设备")));
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("登录设备成功"));  // no group: login only
  EXPECT_EQ(Journal("SN1000", 1004).size(), 1u);

  Enable({config::kEthernetGroupFlag, config::kVideoEncodeGroupFlag, config::kCloudGroupFlag});
  config::ProcessConfigSet().Set(config::kEthernetIPAddress, QStringLiteral("192.168.1.77"));
  config::ProcessConfigSet().Set(config::kEthernetNetmask, QStringLiteral("255.255.255.0"));
  config::ProcessConfigSet().Set(config::kEthernetGateway, QStringLiteral("192.168.1.1"));
  const std::vector<QString> second = Push("SN1000");
  EXPECT_FALSE(Shown(second, QStringLiteral("登录设备")));
  EXPECT_EQ(Journal("SN1000", 1004).size(), 1u);
  // The video encoding restarts the device's process: 1 to 20; the cloud does not.
  EXPECT_TRUE(Shown(second, QStringLiteral("设置视频编码成功")));
  EXPECT_TRUE(Shown(second, QStringLiteral("设置视频编码完成,进程重启...20s")));
  for (const QString& text : second)
    EXPECT_FALSE(text.startsWith(QStringLiteral("设置云平台完成"))) << text.toStdString();
  const double cloud = Journal("SN1000", 335).at(0).timeMs;
  const double encoding = Journal("SN1000", 523).at(0).timeMs;
  const double ethernet = Journal("SN1000", 325).at(0).timeMs;
  EXPECT_LT(cloud, encoding);
  EXPECT_LT(encoding, ethernet);
  EXPECT_EQ(StatusOf("SN1000"), QStringLiteral("设置以太网成功"));
  EXPECT_EQ(sim().Device("SN1000")->ip, "192.168.1.77");
}

TEST_F(Pushing, ClosingTheWindowDuringAPushStopsItsThreads) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  for (auto& device : scenario.devices) device.faults.ignoreCodes.insert(335);
  StartWith(scenario);
  FindDevices(2);
  Enable({config::kCloudGroupFlag});
  Choose({batch::kRowOtherSettings});
  ClickRun();
  ASSERT_TRUE(RunUntil([&] { return Journal("SN1001", 335).size() == 1; }, 60000));
  // Both threads wait for an answer that never comes; the close does not wait for them.
  EXPECT_TRUE(window().DestroyWindow());
  EXPECT_EQ(window().Devices().RecordAt(0)->pushDone, 0);
}

// A push thread still inside a library call when the window closes is left behind; the window,
// its engine and the push runner are then destroyed, and the call returns: the thread must end
// without touching any of them (AddressSanitizer watches).
TEST_F(Pushing, AThreadLeftInALibraryCallReturnsAfterTheWindowIsGoneAndTouchesNothing) {
  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  batch::LibraryCalls library;
  library.login = [&entered, released](const char*, int, const char*, const char*) {
    entered.set_value();
    released.wait();
    return -1;
  };
  SetLibraryCalls(library);
  StartWith(testsupport::Cameras(1));
  FindDevices(1);
  Enable({config::kCloudGroupFlag});
  Choose({batch::kRowOtherSettings});
  ClickRun();
  entered.get_future().wait();

  EXPECT_FALSE(window().DestroyWindow()) << "the thread is in its call";
  CloseWindow();
  release.set_value();
  EXPECT_TRUE(RunUntil([] { return !batch::TableBorrow::AnyOutstanding(); }));
  EXPECT_TRUE(Journal("SN1000", 335).empty());
}

// What the operator sets on the pages is what the device gets: every group ticked on its page, a
// few values chosen and typed, saved, and pushed to one device (so Ethernet goes too).
TEST_F(Pushing, PagesEditedAndSavedReachTheDeviceAsTheDocumentsTheyDescribe) {
  StartWith(testsupport::Cameras(1));
  FindDevices(1);
  config::COtherSetDlg& settings = window().OtherSettings();
  // The groups' boxes, page by page in tree order.
  constexpr int kEnableBoxes[config::kPushGroupCount] = {
      1059, 1039, 1110, 1126, 1139, 1146, 1153, 1169, 1175, 1186, 1191, 1198, 1059, 1203, 1200};
  for (int page = 0; page < config::kPushGroupCount; ++page) {
    auto* box = settings.Page(page)->DlgItem<QCheckBox>(kEnableBoxes[page]);
    ASSERT_NE(box, nullptr) << page;
    if (!box->isChecked()) box->click();
  }
  auto* resolution = settings.Page(8)->DlgItem<QComboBox>(1178);
  ASSERT_NE(resolution, nullptr);
  resolution->setCurrentIndex(resolution->findText(QStringLiteral("256x192")));
  auto* address = settings.Page(0)->DlgItem<platform::IpAddressCtrl>(1080);
  ASSERT_NE(address, nullptr);
  address->SetText(QStringLiteral("192.168.1.76"));
  address->SetField(3, 77);  // an edit of the last field stores the whole address
  emit address->FieldChanged(3, 77);
  settings.Page(0)->DlgItem<QPushButton>(1105)->click();
  EXPECT_EQ(ShownTexts().back(), QStringLiteral("保存成功!"));
  for (const config::PushGroupEntry& entry : config::kPushOrder)
    ASSERT_EQ(config::ProcessConfigSet().Get(entry.enableFlag), 1)
        << QString::fromUtf16(entry.statusName).toStdString();

  Push("SN1000");
  const config::ConfigSet pushed(config::ProcessConfigSet());
  for (int index = 0; index < config::kPushGroupCount; ++index) {
    const auto group = static_cast<config::PushGroup>(index);
    const auto code = static_cast<std::uint32_t>(config::CommandOf(group));
    const auto sent = Journal("SN1000", code);
    ASSERT_EQ(sent.size(), 1u) << code;
    EXPECT_EQ(sent[0].kind, "config") << code;
    EXPECT_EQ(sent[0].text, config::BuildGroupRequest(group, pushed).value_or("")) << code;
  }
  // The page shows "256x192"; the document names resolutions with an uppercase X.
  EXPECT_NE(Journal("SN1000", 523)[0].text.find("\"256X192\""), std::string::npos)
      << Journal("SN1000", 523)[0].text;
  EXPECT_EQ(Journal("SN1000", 325)[0].text.rfind("<LANConfig IPAddress=\"192.168.1.77\"", 0), 0u);
  EXPECT_EQ(sim().Device("SN1000")->ip, "192.168.1.77");
}

}  // namespace
}  // namespace optest
