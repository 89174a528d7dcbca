// The ONVIF backend against the simulator's ONVIF devices on loopback, and the calls whose
// contract both backends share run on both.
#include <cstring>
#include <thread>

#include "library_fixture.h"
#include "wire/firmware.h"

namespace netsdk_test {
namespace {

using camsim::Protocol;

std::string Field(const std::vector<unsigned char>& block, std::size_t offset) {
  return reinterpret_cast<const char*>(block.data() + offset);
}

std::uint16_t PortOf(const std::vector<unsigned char>& block) {
  std::uint16_t port = 0;
  std::memcpy(&port, block.data() + IPC_INFO_PORT, sizeof port);
  return port;
}

std::size_t JournalSize(camsim::Simulator& sim) {
  return sim.GetJournal().Entries().size();
}

class BothBackendsTest : public LibraryTest, public ::testing::WithParamInterface<Protocol> {};

TEST_P(BothBackendsTest, SearchLoginVersionTimeRebootAndRestoreKeepTheirContract) {
  camsim::Scenario scenario = Cameras(3);
  camsim::DeviceConfig nvr = Camera("NV01", "192.168.1.40");
  nvr.deviceType = "NVR";
  scenario.devices.push_back(nvr);
  scenario.devices[2].timings.rebootMs = 2000;
  scenario.devices[2].timings.restoreMs = 2000;
  Start(scenario, kScale, GetParam());
  ASSERT_TRUE(SearchFor(4));

  std::vector<unsigned char> block;
  ASSERT_GE(FindResult("SN02", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_DEVICE_TYPE), "IPC-R2M");
  EXPECT_EQ(Field(block, IPC_INFO_IP), "192.168.1.12");
  EXPECT_EQ(Field(block, IPC_INFO_MASK), "255.255.255.0");
  EXPECT_EQ(Field(block, IPC_INFO_GATEWAY), "192.168.1.1");
  EXPECT_EQ(Field(block, IPC_INFO_MAC), "02:00:00:00:00:02");
  EXPECT_EQ(Field(block, IPC_INFO_USER), "admin");
  EXPECT_EQ(Field(block, IPC_INFO_PASSWORD), "Admin123");
  ASSERT_GE(FindResult("NV01", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_DEVICE_TYPE), "NVR");

  const int handle = LoginTo("SN03");
  ASSERT_GT(handle, 0);
  ASSERT_EQ(IP_NET_DVR_SystemControl(handle, NETSDK_CMD_GET_VERSION, 0, "RESPONSE_PARAM"), 0);
  ResponseEvent version{};
  ASSERT_TRUE(WaitResponse(handle, NETSDK_CMD_GET_VERSION, &version));
  EXPECT_NE(version.text.find("FileSystemVersion=\"V5.6.0 build 2026\""), std::string::npos)
      << version.text;
  ASSERT_EQ(IP_NET_DVR_SystemControl(handle, NETSDK_CMD_SET_TIME, 0,
                                     "<REQUEST_PARAM\r\nTime=\"20261208 18:30:00\"\r\n"
                                     "TimeZone=\"4800\"\n/>"),
            0);
  ASSERT_TRUE(WaitResponse(handle, NETSDK_CMD_SET_TIME));
  EXPECT_TRUE(Eventually([&] { return !Sim().Device("SN03")->clock.empty(); }));

  // A wrong password is refused on both.
  const int wrong = IP_NET_DVR_Login("192.168.1.11", PortOf(block), "admin", "nope", nullptr);
  ASSERT_GT(wrong, 0);
  StatusEvent refused{};
  ASSERT_TRUE(WaitStatus(wrong, NETSDK_EVENT_LOGIN_FAILED, &refused));
  EXPECT_EQ(refused.value, NETSDK_VALUE_REFUSED);

  // No format over ONVIF: refused at once; the framed backend sends it.
  EXPECT_EQ(IP_NET_DVR_FormatDisk(handle, 0) == 0, GetParam() == Protocol::kFramed);

  // The reboot takes the device away and auto-reconnect brings the login back.
  ASSERT_EQ(IP_NET_DVR_SetAutoReconnect(handle, 1), 0);
  ASSERT_EQ(IP_NET_DVR_RebootDVR(handle), 0);
  ASSERT_TRUE(WaitStatus(handle, NETSDK_EVENT_DISCONNECTED));
  ASSERT_TRUE(WaitUntil([&] {
    for (const StatusEvent& status : m_statuses) {
      if (status.handle == handle && status.event == NETSDK_EVENT_LOGIN_OK &&
          status.value == NETSDK_VALUE_RECONNECTED) {
        return true;
      }
    }
    return false;
  }));
  ASSERT_EQ(IP_NET_DVR_RestoreConfig(handle), 0);
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN03")->ip == "192.168.1.123"; }));
}

INSTANTIATE_TEST_SUITE_P(Backends, BothBackendsTest,
                         ::testing::Values(Protocol::kFramed, Protocol::kOnvif),
                         [](const auto& info) {
                           return info.param == Protocol::kFramed ? "Framed" : "Onvif";
                         });

class OnvifTest : public LibraryTest {
 protected:
  std::uint16_t ServicePort() const { return const_cast<OnvifTest*>(this)->Sim().Port(); }
};

TEST_F(OnvifTest, ManyDevicesBehindOneTargetAreEachListedOnceWhateverTheyAnnounce) {
  using Types = camsim::OnvifSettings::Types;
  camsim::Scenario scenario = Cameras(12);
  scenario.devices[0].onvif.types = Types::kTransmitter;
  scenario.devices[1].onvif.types = Types::kDevice;  // announces no transmitter: a recorder
  scenario.devices[2].onvif.lanXAddr = true;         // its LAN address first, then loopback
  scenario.devices[3].onvif.serviceHost = "lan";     // advertises services on its LAN address
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(12));
  // Every device answers both probes of every round (one a second, 50 ms here): a few more
  // rounds of duplicates change nothing.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 12);
  std::vector<unsigned char> block;
  ASSERT_GE(FindResult("SN01", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_DEVICE_TYPE), "IPC-R2M");
  ASSERT_GE(FindResult("SN02", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_DEVICE_TYPE), "NVR");
  ASSERT_GE(FindResult("SN03", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_IP), "192.168.1.13");
  EXPECT_EQ(PortOf(block), Sim().Port()) << "the loopback address was taken, not the LAN one";
  for (const char* serial : {"SN03", "SN04", "SN12"}) EXPECT_GT(LoginTo(serial), 0) << serial;
}

TEST_F(OnvifTest, EveryAuthenticationModeAndClockDeviationLogsIn) {
  using Auth = camsim::OnvifSettings::Auth;
  camsim::Scenario scenario = Cameras(9);
  scenario.devices[0].onvif.auth = Auth::kDigest;
  scenario.devices[0].onvif.digestSha256 = false;  // MD5 only
  scenario.devices[1].onvif.auth = Auth::kDigest;
  scenario.devices[1].onvif.digestMd5 = false;  // SHA-256 only
  scenario.devices[2].onvif.auth = Auth::kToken;
  scenario.devices[3].onvif.auth = Auth::kToken;
  scenario.devices[3].onvif.clockSkewS = 3600;
  scenario.devices[4].onvif.auth = Auth::kToken;
  scenario.devices[4].onvif.utcIsLocal = true;
  scenario.devices[4].onvif.timeZone = "CST-8";
  scenario.devices[5].onvif.timeNeedsLogin = true;
  scenario.devices[6].password = kOddPassword;
  scenario.devices[6].onvif.auth = Auth::kDigest;
  scenario.devices[7].password = kOddPassword;
  scenario.devices[7].onvif.auth = Auth::kToken;
  // No credential of the library's list opens this one: never listed.
  scenario.devices[8].password = "unknown";
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(8));
  for (const char* serial : {"SN01", "SN02", "SN03", "SN04", "SN05", "SN06", "SN07", "SN08"}) {
    EXPECT_GT(LoginTo(serial), 0) << serial;
  }
  std::vector<unsigned char> block;
  ASSERT_GE(FindResult("SN07", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_PASSWORD), kOddPassword) << "the credential that worked";
  EXPECT_LT(FindResult("SN09"), 0);
}

TEST_F(OnvifTest, RefusedCredentialIsNeverSentAgainAndLanAddressesAreNeverContacted) {
  camsim::Scenario scenario = Cameras(1);
  scenario.devices[0].onvif.lockout = 3;
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(1));
  for (int round = 0; round < 3; ++round) {
    const std::size_t before = JournalSize(Sim());
    const int handle = IP_NET_DVR_Login("192.168.1.11", ServicePort(), "admin", "guess", nullptr);
    StatusEvent failed{};
    ASSERT_TRUE(WaitStatus(handle, NETSDK_EVENT_LOGIN_FAILED, &failed));
    EXPECT_EQ(failed.value, NETSDK_VALUE_REFUSED);
    if (round > 0) {
      EXPECT_EQ(JournalSize(Sim()), before) << "round " << round;
    }
  }
  // The account is not locked: the right credential still works.
  EXPECT_GT(LoginTo("SN01"), 0);

  // Nobody found there: the default service address is on the LAN, refused with nothing sent.
  const std::size_t before = JournalSize(Sim());
  const int lan = IP_NET_DVR_Login("192.168.7.7", 80, "admin", "Admin123", nullptr);
  StatusEvent unreachable{};
  ASSERT_TRUE(WaitStatus(lan, NETSDK_EVENT_LOGIN_FAILED, &unreachable));
  EXPECT_EQ(unreachable.value, NETSDK_VALUE_UNREACHABLE);
  EXPECT_EQ(JournalSize(Sim()), before);
  // Too long for the information block, or not an address: refused at once.
  EXPECT_EQ(
      IP_NET_DVR_Login("192.168.1.11", ServicePort(), std::string(40, 'u').c_str(), "x", nullptr),
      -1);
  EXPECT_EQ(IP_NET_DVR_Login("camera.local", ServicePort(), "admin", "Admin123", nullptr), -1);
}

TEST_F(OnvifTest, ModifyMovesTheDeviceAndANewSearchFindsItOnlyThere) {
  camsim::Scenario scenario = Cameras(2);
  scenario.devices[1].onvif.rebootNeeded = true;
  scenario.devices[1].timings.rebootMs = 1000;
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(2));
  for (const auto& [serial, address] :
       {std::pair{"SN01", "192.168.5.21"}, std::pair{"SN02", "192.168.5.22"}}) {
    std::vector<unsigned char> block;
    const int index = FindResult(serial, &block);
    ASSERT_GE(index, 0);
    std::strcpy(reinterpret_cast<char*>(block.data() + IPC_INFO_IP), address);
    std::strcpy(reinterpret_cast<char*>(block.data() + IPC_INFO_GATEWAY), "192.168.5.1");
    const std::size_t before = JournalSize(Sim());
    std::vector<unsigned char> bad = block;
    std::strcpy(reinterpret_cast<char*>(bad.data() + IPC_INFO_MASK), "255.0.255.0");
    EXPECT_EQ(IP_NET_DVR_ModifyIPC(index, bad.data()), -1);
    EXPECT_EQ(JournalSize(Sim()), before) << "a bad mask is refused with nothing sent";
    EXPECT_EQ(IP_NET_DVR_ModifyIPC(index, block.data()), 0) << serial;
    EXPECT_TRUE(Eventually([&] { return Sim().Device(serial)->ip == address; })) << serial;
  }
  IP_NET_DVR_StopSearchIPC();
  ASSERT_TRUE(SearchFor(2));
  std::vector<unsigned char> block;
  ASSERT_GE(FindResult("SN02", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_IP), "192.168.5.22");
  EXPECT_GT(LoginTo("SN02"), 0);
  const int old = IP_NET_DVR_Login("192.168.1.12", ServicePort(), "admin", "Admin123", nullptr);
  EXPECT_TRUE(WaitStatus(old, NETSDK_EVENT_LOGIN_FAILED));
}

TEST_F(OnvifTest, ConfigurationGroupsMapOrAnswerNotAvailableWithoutTraffic) {
  Start(Cameras(1), kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(1));
  const int handle = LoginTo("SN01");
  ASSERT_GT(handle, 0);
  auto push = [&](int code, const std::string& document) {
    {
      std::lock_guard lock(m_mutex);
      m_responses.clear();
    }
    EXPECT_EQ(IP_NET_DVR_SetDVRConfig(handle, code, 0, document.c_str(),
                                      static_cast<int>(document.size() + 1)),
              0);
    ResponseEvent answer{};
    EXPECT_TRUE(WaitUntil([&] {
      for (const ResponseEvent& response : m_responses) {
        if ((response.code & NETSDK_RESPONSE_CODE_MASK) == static_cast<std::uint32_t>(code)) {
          answer = response;
          return true;
        }
      }
      return false;
    }));
    return answer;
  };
  // The account: the device takes the new password, and the login goes on with it.
  ResponseEvent answer = push(223,
                              "<UserConfig><Account Username=\"admin\" Password=\"N3w&amp;pw\" "
                              "Group=\"Administrator\" Status=\"Enable\"/></UserConfig>");
  EXPECT_EQ(answer.code, 223u) << answer.text;
  EXPECT_EQ(Sim().Device("SN01")->password, "N3w&pw");
  ASSERT_EQ(IP_NET_DVR_SystemControl(handle, NETSDK_CMD_GET_VERSION, 0, "RESPONSE_PARAM"), 0);
  ASSERT_TRUE(WaitResponse(handle, NETSDK_CMD_GET_VERSION)) << "authenticated with the new one";

  answer = push(620,
                "<MediaStreamConfig><StreamAccess Auth=\"1\" VideoPort=\"8554\" "
                "RTPOverRTSP=\"1\" PTZPort=\"0\" WEBPort=\"8080\"/></MediaStreamConfig>");
  EXPECT_EQ(answer.code, 620u) << answer.text;
  answer = push(222,
                "<TimeConfig TimeMode=\"NTP\" TimeZone=\"480\"><NTPConfig "
                "ServerIP=\"10.1.2.3\" ServerPort=\"123\" RefreshInterval=\"60\"/></TimeConfig>");
  EXPECT_EQ(answer.code, 222u) << answer.text;
  const std::size_t before = JournalSize(Sim());
  answer = push(227, "<MiscConfig Language=\"en_us\"/>");
  EXPECT_EQ(answer.code, 227u | NETSDK_RESPONSE_FAILED);
  EXPECT_EQ(answer.text, "not available over ONVIF");
  EXPECT_EQ(JournalSize(Sim()), before);
  EXPECT_EQ(IP_NET_DVR_FormatDisk(handle, 0), -1);
  EXPECT_EQ(JournalSize(Sim()), before);
}

class OnvifUpgradeTest : public OnvifTest {
 protected:
  std::string Firmware(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return m_files.Write(name, bytes);
  }

  TestFiles m_files;
};

TEST_F(OnvifUpgradeTest, HappyPathBadFileNoHttpUpgradeRebootBeforeTheStatusAndAStall) {
  camsim::Scenario scenario = Cameras(5);
  for (auto& device : scenario.devices) device.timings.upgradeRestartMs = 2000;
  scenario.devices[2].onvif.httpUpgrade = false;
  scenario.devices[3].onvif.rebootBeforeStatus = true;
  scenario.devices[4].faults.stallAtPercent = 1;  // stops reading the body
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(5));
  const std::string good =
      Firmware("good.bin",
               wire::BuildFirmware("V5.7.0 build 2027", "", std::vector<std::uint8_t>(300000, 7)));
  const std::string bad = Firmware("bad.bin", std::vector<std::uint8_t>(5000, 1));
  // More than the socket buffers on both sides hold, so that the stall is seen by the sender.
  const std::string large =
      Firmware("large.bin",
               wire::BuildFirmware("V5.7.0 build 2027", "", std::vector<std::uint8_t>(48u << 20)));
  const int happy = LoginTo("SN01");
  const int refused = LoginTo("SN02");
  const int noHttp = LoginTo("SN03");
  const int early = LoginTo("SN04");
  const int stalled = LoginTo("SN05");
  ASSERT_GT(stalled, 0);
  ASSERT_GT(happy, 0);
  ASSERT_GT(refused, 0);
  ASSERT_GT(noHttp, 0);
  ASSERT_GT(early, 0);
  ASSERT_EQ(IP_NET_DVR_Upgrade(happy, good.c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_Upgrade(refused, bad.c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_Upgrade(noHttp, good.c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_Upgrade(early, good.c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_Upgrade(stalled, large.c_str()), 0);

  ResponseEvent checked{};
  ASSERT_TRUE(WaitStatus(happy, NETSDK_EVENT_UPGRADE_TRANSFERRED));
  ASSERT_TRUE(WaitResponse(happy, NETSDK_CMD_UPGRADE_CHECKED, &checked));
  EXPECT_EQ(IP_NET_DVR_GetUpgradeProgress(happy), 100);
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN01")->version == "V5.7.0 build 2027"; }));

  ASSERT_TRUE(WaitResponse(refused, NETSDK_CMD_UPGRADE_CHECKED | NETSDK_RESPONSE_FAILED, &checked));
  EXPECT_NE(checked.text.find("415"), std::string::npos) << checked.text;
  EXPECT_TRUE(WaitStatus(noHttp, NETSDK_EVENT_UPGRADE_TRANSFER_FAILED));
  EXPECT_FALSE(HasStatus(noHttp, NETSDK_EVENT_UPGRADE_TRANSFERRED));
  // No status after the last byte: the check goes on, the version after the restart decides.
  ASSERT_TRUE(WaitResponse(early, NETSDK_CMD_UPGRADE_CHECKED, &checked));
  EXPECT_NE(checked.text.find("Unconfirmed"), std::string::npos) << checked.text;
  // No progress for the stall time-out: the transfer has failed, and no check follows.
  ASSERT_TRUE(WaitStatus(stalled, NETSDK_EVENT_UPGRADE_TRANSFER_FAILED));
  EXPECT_FALSE(HasStatus(stalled, NETSDK_EVENT_UPGRADE_TRANSFERRED));
  EXPECT_LT(IP_NET_DVR_GetUpgradeProgress(stalled), 100);
  EXPECT_FALSE(HasResponse(stalled, NETSDK_CMD_UPGRADE_CHECKED));
  EXPECT_FALSE(HasResponse(stalled, NETSDK_CMD_UPGRADE_CHECKED | NETSDK_RESPONSE_FAILED));
}

}  // namespace
}  // namespace netsdk_test
