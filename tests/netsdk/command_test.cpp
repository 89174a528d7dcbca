// Commands of a login and their answers, with the failure bit where the device refuses.
#include <thread>

#include "library_fixture.h"

namespace netsdk_test {
namespace {

constexpr std::uint32_t kFailed = NETSDK_RESPONSE_FAILED;
constexpr const char* kTimeRequest =
    "<REQUEST_PARAM\r\nTime=\"20260314 09:26:53\"\r\nTimeZone=\"4800\"\n/>";

class CommandTest : public LibraryTest {
 protected:
  void StartOne(camsim::DeviceConfig device) {
    camsim::Scenario scenario;
    scenario.devices.push_back(std::move(device));
    Start(scenario);
    m_handle = LoginAt(scenario.devices[0].ip, 9000, "admin", "Admin123");
    ASSERT_GT(m_handle, 0);
  }

  std::string Answer(std::uint32_t code) {
    ResponseEvent response{};
    EXPECT_TRUE(WaitResponse(m_handle, code, &response)) << "no answer with code " << code;
    return response.text;
  }

  int m_handle = 0;
};

TEST_F(CommandTest, ControlCommandsAreAnsweredWithTheirCodeAndText) {
  StartOne(Camera("SN01", "192.168.1.11"));
  EXPECT_EQ(IP_NET_DVR_SystemControl(m_handle, 1012, 0, "RESPONSE_PARAM"), 0);
  EXPECT_NE(Answer(1012).find("FileSystemVersion=\"V5.6.0 build 2026\""), std::string::npos);

  EXPECT_EQ(IP_NET_DVR_SystemControl(m_handle, 1014, 0, ""), 0);
  const std::string storage = Answer(1014);
  const std::size_t sd1 = storage.find("Total=\"30436\"");
  const std::size_t sd2 = storage.find("Total=\"0\"");
  const std::size_t usb = storage.find("Total=\"15258\"");
  ASSERT_NE(usb, std::string::npos) << storage;
  EXPECT_LT(sd1, sd2);
  EXPECT_LT(sd2, usb);

  EXPECT_EQ(IP_NET_DVR_SystemControl(m_handle, 1005, 0, kTimeRequest), 0);
  Answer(1005);
  EXPECT_EQ(Sim().Device("SN01")->clock, "20260314 09:26:53");
  const auto journal = Sim().GetJournal().Find("SN01", 1005);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].text, kTimeRequest);
  EXPECT_EQ(journal[0].kind, "control");

  // A malformed time and an unknown control code are refused: failure bit, code in the low bits.
  EXPECT_EQ(IP_NET_DVR_SystemControl(m_handle, 1005, 0, "<REQUEST_PARAM Time=\"yesterday\"/>"), 0);
  Answer(1005 | kFailed);
  EXPECT_EQ(IP_NET_DVR_SystemControl(m_handle, 4242, 0, ""), 0);
  Answer(4242 | kFailed);
}

TEST_F(CommandTest, ConfigurationDocumentsAreStoredAndAcknowledgedWithTheirCode) {
  camsim::DeviceConfig device = Camera("SN01", "192.168.1.11");
  device.faults.refuseCodes.insert(822);
  device.faults.refuseCodeTimes[524] = 1;
  StartOne(device);
  const std::string document = "<Encode Channel=\"1\" Bitrate=\"4096\"/>";
  // The length counts the terminator, as the program passes it.
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(m_handle, 523, 0, document.c_str(),
                                    static_cast<int>(document.size()) + 1),
            0);
  Answer(523);
  EXPECT_EQ(Sim().Device("SN01")->configs.at(523), document);

  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(m_handle, 822, 0, "<Motion/>", 10), 0);
  Answer(822 | kFailed);
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(m_handle, 999, 0, "<Unknown/>", 11), 0);
  Answer(999 | kFailed);
  EXPECT_EQ(Sim().Device("SN01")->configs.count(822), 0u);

  // A document cut short, or one whose root belongs to another command, is refused and
  // journaled as refused.
  for (const std::string& wrong :
       {std::string("<Encode Channel=\"1\""), std::string("<Capture/>")}) {
    EXPECT_EQ(IP_NET_DVR_SetDVRConfig(m_handle, 523, 0, wrong.c_str(),
                                      static_cast<int>(wrong.size()) + 1),
              0);
    Answer(523 | kFailed);
  }
  for (int wait = 0; wait < 500 && Sim().GetJournal().Find("SN01", 523).size() < 3; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto journal = Sim().GetJournal().Find("SN01", 523);
  ASSERT_EQ(journal.size(), 3u);
  EXPECT_EQ(journal[0].kind, "config");
  EXPECT_EQ(journal[1].kind, "refused config");
  EXPECT_EQ(journal[2].kind, "refused config");
  EXPECT_EQ(Sim().Device("SN01")->configs.at(523), document);

  // Refused the first time only.
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(m_handle, 524, 0, "<Capture />", 12), 0);
  Answer(524 | kFailed);
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(m_handle, 524, 0, "<Capture />", 12), 0);
  Answer(524);
}

// Ethernet moves the device to its new address; the account changes its password.
TEST_F(CommandTest, EthernetAndAccountDocumentsChangeTheDevice) {
  StartOne(Camera("SN01", "192.168.1.11"));
  const std::string account =
      "<UserConfig><Account Username=\"admin\" Password=\"n3w\" Group=\"Administrator\" "
      "Status=\"Enable\" /></UserConfig>";
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(m_handle, 223, 0, account.c_str(),
                                    static_cast<int>(account.size()) + 1),
            0);
  Answer(223);
  const std::string lan =
      "<LANConfig IPAddress=\"192.168.1.20\" Netmask=\"255.255.255.0\" "
      "Gateway=\"192.168.1.1\" DNS1=\"8.8.8.8\" DNS2=\"\" />";
  EXPECT_EQ(
      IP_NET_DVR_SetDVRConfig(m_handle, 325, 0, lan.c_str(), static_cast<int>(lan.size()) + 1), 0);
  Answer(325);
  ASSERT_TRUE(Sim().Device("SN01").has_value());
  EXPECT_EQ(Sim().Device("SN01")->ip, "192.168.1.20");
  EXPECT_EQ(Sim().Device("SN01")->password, "n3w");
  EXPECT_GT(LoginAt("192.168.1.20", 9000, "admin", "n3w"), 0);
}

TEST_F(CommandTest, ShortStorageAnswerHoldsOnlyTwoTotals) {
  camsim::DeviceConfig device = Camera("SN01", "192.168.1.11");
  device.faults.shortStorage = true;
  StartOne(device);
  EXPECT_EQ(IP_NET_DVR_SystemControl(m_handle, 1014, 0, ""), 0);
  const std::string storage = Answer(1014);
  std::size_t totals = 0;
  for (std::size_t at = storage.find("Total=\""); at != std::string::npos;
       at = storage.find("Total=\"", at + 1)) {
    ++totals;
  }
  EXPECT_EQ(totals, 2u) << storage;
}

TEST_F(CommandTest, FormatAnswersAfterItsFormatTimeOrFails) {
  camsim::DeviceConfig device = Camera("SN01", "192.168.1.11");
  device.timings.formatMs = 4000;
  StartOne(device);
  const double sent = Sim().NowMs();
  EXPECT_EQ(IP_NET_DVR_FormatDisk(m_handle, 0), 0);
  Answer(1017);
  EXPECT_GE(Sim().NowMs() - sent, 4000);
  // SD2 is absent on this device.
  EXPECT_EQ(IP_NET_DVR_FormatDisk(m_handle, 1), 0);
  Answer(1017 | kFailed);
  EXPECT_EQ(Sim().GetJournal().Find("SN01", 1017).back().text, "disk=1");
}

TEST_F(CommandTest, FailingFormatAndUnansweredCodes) {
  camsim::DeviceConfig device = Camera("SN01", "192.168.1.11");
  device.faults.failFormat = true;
  device.faults.ignoreCodes.insert(1012);
  device.faults.ignoreCodes.insert(1001);
  StartOne(device);
  EXPECT_EQ(IP_NET_DVR_FormatDisk(m_handle, 2), 0);
  Answer(1017 | kFailed);

  EXPECT_EQ(IP_NET_DVR_SystemControl(m_handle, 1012, 0, "RESPONSE_PARAM"), 0);
  // A reboot the device never answers fails after the library's command time-out.
  EXPECT_EQ(IP_NET_DVR_RebootDVR(m_handle), -1);
  EXPECT_FALSE(HasResponse(m_handle, 1012));
  EXPECT_TRUE(Sim().Device("SN01")->online);
}

TEST_F(CommandTest, RebootTakesTheDeviceAwayForItsRestartTime) {
  camsim::DeviceConfig device = Camera("SN01", "192.168.1.11");
  device.timings.rebootMs = 6000;
  StartOne(device);
  EXPECT_EQ(IP_NET_DVR_RebootDVR(m_handle), 0);
  EXPECT_TRUE(WaitStatus(m_handle, NETSDK_EVENT_DISCONNECTED));
  EXPECT_FALSE(Sim().Device("SN01")->online);
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN01")->online; }));
  EXPECT_GT(LoginAt("192.168.1.11", 9000, "admin", "Admin123"), 0);
}

TEST_F(CommandTest, RestoreBringsTheDeviceBackAtTheFactoryAddress) {
  camsim::DeviceConfig device = Camera("SN01", "10.0.0.5");
  device.user = "changed";
  device.password = "changed";
  device.timings.restoreMs = 5000;
  camsim::Scenario scenario;
  scenario.devices.push_back(device);
  scenario.devices.push_back(Camera("SN02", "10.0.0.6"));
  scenario.devices[1].faults.restoreIp = "10.0.0.77";
  scenario.devices.push_back(Camera("SN03", "10.0.0.7"));
  scenario.devices[2].faults.vanishAfterRestore = true;
  Start(scenario);
  const int restored = LoginAt("10.0.0.5", 9000, "changed", "changed");
  const int elsewhere = LoginAt("10.0.0.6", 9000, "admin", "Admin123");
  const int vanished = LoginAt("10.0.0.7", 9000, "admin", "Admin123");
  for (int handle : {restored, elsewhere, vanished}) {
    ASSERT_GT(handle, 0);
    EXPECT_EQ(IP_NET_DVR_RestoreConfig(handle), 0);
  }

  ASSERT_TRUE(SearchFor(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(3000 / kScale)));
  std::vector<unsigned char> block;
  ASSERT_GE(FindResult("SN01", &block), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(block.data() + IPC_INFO_IP), "192.168.1.123");
  EXPECT_STREQ(reinterpret_cast<const char*>(block.data() + IPC_INFO_USER), "admin");
  ASSERT_GE(FindResult("SN02", &block), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(block.data() + IPC_INFO_IP), "10.0.0.77");
  EXPECT_EQ(FindResult("SN03"), -1);
  EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 2);
  EXPECT_GT(LoginAt("192.168.1.123", 9000, "admin", "Admin123"), 0);
}

}  // namespace
}  // namespace netsdk_test
