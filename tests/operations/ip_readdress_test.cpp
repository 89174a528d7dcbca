// IP re-addressing against the simulator: the addresses handed out, the row texts during and
// after the pass, the re-search with its verification, and the failures that end the run.
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "config/config_file.h"
#include "config/config_set.h"
#include "operations/ip_readdress.h"
#include "operations/operations.h"
#include "operations/start_address_dlg.h"
#include "operations_fixture.h"
#include "platform/ip_address_ctrl.h"

namespace optest {
namespace {

const QString kVerified = QStringLiteral("修改IP成功");
const QString kNotVerified = QStringLiteral("修改IP失败");
const QString kStops = QStringLiteral("设备IP修改失败，升级停止");

class IpReaddressing : public OperationsTest {
 protected:
  void UseStartAddress(const char* start, const char* mask, const char* gateway) {
    config::ConfigSet& set = config::ProcessConfigSet();
    set.Set(config::kStartAddressEnable, 1);
    set.Set(config::kStartAddressIP, QString::fromLatin1(start));
    set.Set(config::kStartAddressNetmask, QString::fromLatin1(mask));
    set.Set(config::kStartAddressGateway, QString::fromLatin1(gateway));
  }

  std::string ModifyText(const std::string& serial) {
    const auto entries = Journal(serial, 1003);
    return entries.empty() ? std::string() : entries.back().text;
  }
};

TEST_F(IpReaddressing, ChecksDevicesGetConsecutiveFreeAddressesAndAreVerifiedAtThem) {
  camsim::Scenario scenario = testsupport::Cameras(4);
  scenario.devices[1].ip = "192.168.1.5";  // listed, not checked: its address is not free
  StartWith(scenario);
  FindDevices(4);
  list().SetCheck(RowOf("SN1001"), false);
  Choose({batch::kRowModifyIp});
  ClickRun();
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("正在修改IP"));
  // Each device shows its new address as soon as it has it.
  ASSERT_TRUE(RunUntil([&] { return StatusOf("SN1000") == QStringLiteral("新IP:192.168.1.4"); }));
  ASSERT_TRUE(WaitForRunEnd());

  EXPECT_EQ(ModifyText("SN1000"), "IP=192.168.1.4 Mask=255.255.255.0 Gateway=192.168.1.1 AllNet=0");
  EXPECT_EQ(ModifyText("SN1002"), "IP=192.168.1.6 Mask=255.255.255.0 Gateway=192.168.1.1 AllNet=0");
  EXPECT_EQ(ModifyText("SN1003"), "IP=192.168.1.7 Mask=255.255.255.0 Gateway=192.168.1.1 AllNet=0");
  EXPECT_TRUE(Journal("SN1001", 1003).empty());
  for (const char* serial : {"SN1000", "SN1002", "SN1003"}) {
    EXPECT_EQ(StatusOf(serial), kVerified) << serial;
    EXPECT_TRUE(list().GetCheck(RowOf(serial))) << serial;
  }
  // The re-search checks again only what was checked before the pass.
  EXPECT_FALSE(list().GetCheck(RowOf("SN1001")));
  EXPECT_TRUE(StatusOf("SN1001").isEmpty());
  EXPECT_EQ(Cell(RowOf("SN1002"), kColumnIp), QStringLiteral("192.168.1.6"));
  EXPECT_EQ(window().Instructions().Readdressing().ModifyIpMap().size(), 3u);
  EXPECT_TRUE(dialogs().shown().empty());
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("执行结束"));
}

TEST_F(IpReaddressing, StartAddressModeWritesTheStoredMaskAndGateway) {
  UseStartAddress("10.0.0.250", "255.0.0.0", "10.0.0.1");
  FindDevices(3);
  Choose({batch::kRowModifyIp});
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  for (int i = 0; i < 3; ++i) {
    const std::string serial = "SN100" + std::to_string(i);
    EXPECT_EQ(ModifyText(serial),
              "IP=10.0.0." + std::to_string(250 + i) + " Mask=255.0.0.0 Gateway=10.0.0.1 AllNet=0");
    EXPECT_EQ(StatusOf(serial), kVerified);
  }
  EXPECT_TRUE(dialogs().shown().empty());
}

TEST_F(IpReaddressing, ARefusingDeviceKeepsItsAddressAndTheRunEndsAfterTheReSearch) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[1].faults.rejectModify = true;
  StartWith(scenario);
  FindDevices(3);
  Choose({batch::kRowModifyIp, batch::kRowReboot});
  ClickRun();
  ASSERT_TRUE(RunUntil([&] { return StatusOf("SN1001") == QStringLiteral("修改失败"); }));
  ASSERT_TRUE(WaitForRunEnd());
  // The refused device's number went to the next one.
  EXPECT_EQ(ModifyText("SN1002"), "IP=192.168.1.5 Mask=255.255.255.0 Gateway=192.168.1.1 AllNet=0");
  EXPECT_EQ(StatusOf("SN1000"), kVerified);
  EXPECT_EQ(StatusOf("SN1001"), kNotVerified);
  EXPECT_EQ(StatusOf("SN1002"), kVerified);
  EXPECT_EQ(Cell(RowOf("SN1001"), kColumnIp), QStringLiteral("192.168.1.11"));
  EXPECT_EQ(ShownTexts(), std::vector<QString>{kStops});
  EXPECT_TRUE(Journal("SN1000", 1001).empty()) << "the reboot must not run";
}

TEST_F(IpReaddressing, APassThatCanChangeNothingFailsWithoutASearch) {
  FindDevices(3);
  Choose({batch::kRowModifyIp});
  // A start address that is no address, and a PC whose address cannot be had.
  UseStartAddress("10.0.0.256", "255.0.0.0", "10.0.0.1");
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  config::ProcessConfigSet().Set(config::kStartAddressEnable, 0);
  platform::SetPcAddressForTesting("");
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());

  EXPECT_EQ(ShownTexts(), (std::vector<QString>{kStops, kStops}));
  for (int i = 0; i < 3; ++i) {
    const std::string serial = "SN100" + std::to_string(i);
    EXPECT_TRUE(Journal(serial, 1003).empty());
    ASSERT_TRUE(RunUntil([&] { return StatusOf(serial) == kNotVerified; })) << serial;
  }
  // No re-search: the rows are still the ones of the first search.
  EXPECT_EQ(window().Devices().RetiredCount(), 0u);
  EXPECT_EQ(list().GetItemCount(), 3);
}

TEST_F(IpReaddressing, DevicesBeyondTheLastFreeNumberCountAsFailedAfterTheReSearch) {
  UseStartAddress("10.0.0.254", "255.0.0.0", "10.0.0.1");
  FindDevices(3);
  Choose({batch::kRowModifyIp});
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(ModifyText("SN1000"), "IP=10.0.0.254 Mask=255.0.0.0 Gateway=10.0.0.1 AllNet=0");
  EXPECT_TRUE(Journal("SN1001", 1003).empty());
  EXPECT_TRUE(Journal("SN1002", 1003).empty());
  EXPECT_EQ(StatusOf("SN1000"), kVerified);
  EXPECT_EQ(StatusOf("SN1001"), kNotVerified);
  EXPECT_EQ(StatusOf("SN1002"), kNotVerified);
  EXPECT_EQ(ShownTexts(), std::vector<QString>{kStops});
}

// A device logged in by an earlier run is logged out before its address changes; the re-search
// that does not find the expected count asks after its window, Yes waits a whole window more and
// asks again, No stops the search and ends the run.
TEST_F(IpReaddressing, LoggedInDevicesAreLoggedOutFirstAndTheReSearchAsksUntilNo) {
  FindDevices(3);
  Choose({batch::kRowSetTime});
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd());
  const int loginHandle = window().Devices().RecordAt(RowOf("SN1000"))->loginHandle;
  ASSERT_GT(loginHandle, 0);
  ASSERT_EQ(sim().Device("SN1000")->logins, 1);

  SetExpectedCount(4);
  Choose({batch::kRowModifyIp});
  dialogs().QueueAnswer(platform::IDYES);
  dialogs().QueueAnswer(platform::IDNO);
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd(120000));

  const QString question = QStringLiteral("搜索到的IPC数量与设备升级数量不一致，是否继续搜索？");
  EXPECT_EQ(ShownTexts(), (std::vector<QString>{question, question}));
  EXPECT_EQ(IP_NET_DVR_Logout(loginHandle), -1) << "the handle was the library's still";
  EXPECT_EQ(ModifyText("SN1000"), "IP=192.168.1.4 Mask=255.255.255.0 Gateway=192.168.1.1 AllNet=0");
  // The search stopped with the No: the table keeps the three found at their new addresses.
  EXPECT_EQ(list().GetItemCount(), 3);
  EXPECT_EQ(Cell(RowOf("SN1002"), kColumnIp), QStringLiteral("192.168.1.6"));
  EXPECT_FALSE(window().Devices().IsBusy());
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("执行结束"));
  EXPECT_TRUE(window().IsDlgItemEnabled(1014));
}

// In start-address mode a blank mask or a malformed gateway refuses the run before any control
// is disabled, naming the field, from button 1014 and from the hidden button alike.
TEST_F(IpReaddressing, ABadMaskOrGatewayRefusesTheRunBeforeItStartsNamingTheField) {
  FindDevices(3);
  Choose({batch::kRowModifyIp, batch::kRowReboot});
  UseStartAddress("10.0.0.250", "", "10.0.0.1");
  ClickRun();
  EXPECT_FALSE(window().Runs().IsRunning());
  UseStartAddress("10.0.0.250", "255.0.0.0", "10.0.0");
  window().SetLanguage(1);
  window().DlgItem<QPushButton>(1029)->click();
  EXPECT_FALSE(window().Runs().IsRunning());

  EXPECT_EQ(
      ShownTexts(),
      (std::vector<QString>{
          QStringLiteral("修改IP起始地址的子网掩码无效，请在“设定IP”中重新填写。"),
          QStringLiteral(
              "The gateway for the start address is not valid; enter it again under “设定IP”.")}));
  EXPECT_TRUE(window().IsDlgItemEnabled(1014));
  EXPECT_TRUE(window().IsDlgItemEnabled(1211));
  EXPECT_FALSE(window().Devices().IsBusy());
  for (int i = 0; i < 3; ++i) {
    const std::string serial = "SN100" + std::to_string(i);
    EXPECT_TRUE(Journal(serial, 1003).empty()) << serial;
    EXPECT_TRUE(Journal(serial, 1001).empty()) << serial;
    EXPECT_TRUE(StatusOf(serial).isEmpty()) << serial;
  }
}

TEST_F(IpReaddressing, TheHiddenButtonRunsThePassAloneInEnglishAndHoldsTheTableMeanwhile) {
  FindDevices(3);
  Choose({batch::kRowReboot});
  window().SetLanguage(1);
  window().DlgItem<QPushButton>(1029)->click();
  EXPECT_TRUE(window().Runs().IsRunning());
  EXPECT_TRUE(window().Devices().IsBusy());
  EXPECT_FALSE(window().IsDlgItemEnabled(1211));
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("Modifying IP"));
  ASSERT_TRUE(RunUntil([&] { return StatusOf("SN1000") == QStringLiteral("new IP:192.168.1.4"); }));
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_FALSE(window().Devices().IsBusy());
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("modify IP OK"));
  EXPECT_TRUE(Journal("SN1000", 1001).empty()) << "a hidden button runs only its instruction";
}

TEST_F(IpReaddressing, TheStartAddressDialogStoresOnlyWithOk) {
  UseStartAddress("10.1.2.3", "255.255.0.0", "10.1.0.1");
  config::StoreConfig();
  operations::CSettingIPDlg dialog(&window());
  dialog.OnInitDialog();
  dialog.show();
  EXPECT_TRUE(dialog.IsDlgButtonChecked(1059));
  EXPECT_EQ(dialog.GetDlgItemText(1212), QStringLiteral("10.1.2.3"));
  EXPECT_EQ(dialog.GetDlgItemText(1213), QStringLiteral("255.255.0.0"));
  EXPECT_EQ(dialog.GetDlgItemText(1214), QStringLiteral("10.1.0.1"));

  // Typed into the last field of 1212 and the box unchecked: in memory at once, not on disk.
  auto* address = dialog.DlgItem<platform::IpAddressCtrl>(1212);
  address->SetField(3, 0);
  QWidget* last = address->findChildren<QLineEdit*>().at(3);
  last->setFocus();
  QTest::keyClicks(last, QStringLiteral("77"));
  dialog.DlgItem<QCheckBox>(1059)->click();
  EXPECT_EQ(config::ProcessConfigSet().Get(config::kStartAddressIP), QStringLiteral("10.1.2.77"));
  EXPECT_EQ(config::ProcessConfigSet().Get(config::kStartAddressEnable), 0);
  dialog.DlgItem<QPushButton>(2)->click();
  config::ConfigSet stored;
  ASSERT_EQ(config::LoadConfigSet(stored, directory()), 0);
  EXPECT_EQ(stored.Get(config::kStartAddressIP), QStringLiteral("10.1.2.3"));
  EXPECT_EQ(stored.Get(config::kStartAddressEnable), 1);

  operations::CSettingIPDlg again(&window());
  again.OnInitDialog();
  EXPECT_FALSE(again.IsDlgButtonChecked(1059));
  EXPECT_EQ(again.GetDlgItemText(1212), QStringLiteral("10.1.2.77"));
  again.DlgItem<QPushButton>(1)->click();
  ASSERT_EQ(config::LoadConfigSet(stored, directory()), 0);
  EXPECT_EQ(stored.Get(config::kStartAddressIP), QStringLiteral("10.1.2.77"));
  EXPECT_EQ(stored.Get(config::kStartAddressEnable), 0);
}

}  // namespace
}  // namespace optest
