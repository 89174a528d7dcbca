// Search and login against the simulator.
#include <cstring>
#include <thread>

#include "library_fixture.h"

namespace netsdk_test {
namespace {

std::string Text(const std::vector<unsigned char>& block, int offset) {
  return reinterpret_cast<const char*>(block.data() + offset);
}

std::string SerialAt(int index) {
  std::vector<unsigned char> block(IPC_INFO_SIZE, 0);
  if (IP_NET_DVR_GetIPCInfo(index, block.data()) != 0) return "";
  return Text(block, IPC_INFO_SERIAL);
}

class SearchTest : public LibraryTest {};

TEST_F(SearchTest, ResultsComeInAnswerOrderAndRepeatedAnswersUpdateInPlace) {
  camsim::Scenario scenario;
  // Declared in another order than they answer.
  scenario.devices.push_back(Camera("SN03", "192.168.1.13"));
  scenario.devices.push_back(Camera("SN01", "192.168.1.11"));
  scenario.devices.push_back(Camera("SN02", "192.168.1.12"));
  scenario.devices[0].timings.searchMs = 600;
  scenario.devices[1].timings.searchMs = 100;
  scenario.devices[2].timings.searchMs = 350;
  Start(scenario);

  IP_NET_DVR_StartSearchIPC();
  int lastCount = 0;
  while (IP_NET_DVR_GetSearchIPCCount() < 3) {
    const int count = IP_NET_DVR_GetSearchIPCCount();
    ASSERT_GE(count, lastCount) << "the count never shrinks during a search";
    lastCount = count;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(SerialAt(0), "SN01");
  EXPECT_EQ(SerialAt(1), "SN02");
  EXPECT_EQ(SerialAt(2), "SN03");

  // Several more probe rounds: every device answers again, and is still listed once, in place.
  const std::size_t probes = Sim().GetJournal().Entries().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(3000 / kScale)));
  EXPECT_EQ(probes, Sim().GetJournal().Entries().size()) << "probes are not journaled";
  EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 3);
  EXPECT_EQ(SerialAt(0), "SN01");
  EXPECT_EQ(SerialAt(2), "SN03");

  // Stopped: still readable. A new search starts empty.
  IP_NET_DVR_StopSearchIPC();
  EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 3);
  EXPECT_EQ(SerialAt(1), "SN02");
  IP_NET_DVR_StartSearchIPC();
  EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 0);
  EXPECT_TRUE(SearchFor(3));
}

TEST_F(SearchTest, BlockCarriesEveryPublishedFieldAtItsOffset) {
  camsim::Scenario scenario;
  camsim::DeviceConfig device = Camera("SN-BLOCK-7", "10.1.2.3");
  device.deviceType = "IPC-R8D";
  device.user = "installer";
  device.password = "p@ss word";
  device.channel = 3;
  device.port = 8123;
  device.mac = "02:52:44:00:00:07";
  device.mask = "255.255.0.0";
  device.gateway = "10.1.0.1";
  device.allNetSupport = 0xFF;
  device.allNetState = 1;
  scenario.devices.push_back(device);
  Start(scenario);
  ASSERT_TRUE(SearchFor(1));

  std::vector<unsigned char> block(IPC_INFO_SIZE, 0xAA);
  ASSERT_EQ(IP_NET_DVR_GetIPCInfo(0, block.data()), 0);
  EXPECT_EQ(Text(block, IPC_INFO_SERIAL), "SN-BLOCK-7");
  EXPECT_EQ(Text(block, IPC_INFO_DEVICE_TYPE), "IPC-R8D");
  EXPECT_EQ(Text(block, IPC_INFO_USER), "installer");
  EXPECT_EQ(Text(block, IPC_INFO_PASSWORD), "p@ss word");
  std::int32_t channel = 0;
  std::uint16_t port = 0;
  std::memcpy(&channel, block.data() + IPC_INFO_CHANNEL, sizeof channel);
  std::memcpy(&port, block.data() + IPC_INFO_PORT, sizeof port);
  EXPECT_EQ(channel, 3);
  EXPECT_EQ(port, 8123);
  EXPECT_EQ(Text(block, IPC_INFO_MAC), "02:52:44:00:00:07");
  EXPECT_EQ(Text(block, IPC_INFO_IP), "10.1.2.3");
  EXPECT_EQ(Text(block, IPC_INFO_MASK), "255.255.0.0");
  EXPECT_EQ(Text(block, IPC_INFO_GATEWAY), "10.1.0.1");
  EXPECT_EQ(block[IPC_INFO_ALLNET_SUPPORT], 0xFF);
  EXPECT_EQ(block[IPC_INFO_ALLNET_STATE], 1);
  // The whole block is the library's: nothing of the caller's filling survives.
  EXPECT_EQ(block[IPC_INFO_PASSWORD + IPC_INFO_PASSWORD_SIZE], 0);
}

TEST_F(SearchTest, NvrIsListedLikeAnyDevice) {
  Start(camsim::DefaultFleet(6));
  ASSERT_TRUE(SearchFor(7));
  std::vector<unsigned char> block;
  ASSERT_GE(FindResult("RD26N000001", &block), 0);
  EXPECT_EQ(Text(block, IPC_INFO_DEVICE_TYPE), "NVR");
}

class LoginTest : public LibraryTest {};

// After a factory restore several devices answer at one factory address: the search lists each
// of them by its serial number, and a login to that address reaches one of them (the first of
// the scenario), as on a LAN where they would fight over it.
TEST_F(LoginTest, SeveralDevicesAtOneAddressAreEachFoundButOneTakesTheLogin) {
  camsim::Scenario scenario;
  for (const char* serial : {"SN01", "SN02", "SN03"})
    scenario.devices.push_back(Camera(serial, "192.168.1.123"));
  Start(scenario);
  ASSERT_TRUE(SearchFor(3));
  std::vector<unsigned char> block;
  for (const char* serial : {"SN01", "SN02", "SN03"}) {
    ASSERT_GE(FindResult(serial, &block), 0) << serial;
    EXPECT_EQ(Text(block, IPC_INFO_IP), "192.168.1.123");
  }
  EXPECT_GT(LoginAt("192.168.1.123", 9000, "admin", "Admin123"), 0);
  EXPECT_EQ(Sim().GetJournal().Find("SN01", 1004).size(), 1u);
  EXPECT_TRUE(Sim().GetJournal().Find("SN02", 1004).empty());
  EXPECT_TRUE(Sim().GetJournal().Find("SN03", 1004).empty());
}

TEST_F(LoginTest, AcceptedRefusedAndUnreachableLoginsEachGiveTheirEvent) {
  camsim::Scenario scenario = Cameras(2);
  scenario.devices[1].faults.refuseLogin = true;
  Start(scenario);

  const int accepted = IP_NET_DVR_Login("192.168.1.11", 9000, "admin", "Admin123", nullptr);
  const int wrongPassword = IP_NET_DVR_Login("192.168.1.11", 9000, "admin", "wrong", nullptr);
  const int refused = IP_NET_DVR_Login("192.168.1.12", 9000, "admin", "Admin123", nullptr);
  const int nobody = IP_NET_DVR_Login("192.168.1.99", 9000, "admin", "Admin123", nullptr);
  const int wrongPort = IP_NET_DVR_Login("192.168.1.11", 9001, "admin", "Admin123", nullptr);
  for (int handle : {accepted, wrongPassword, refused, nobody, wrongPort}) EXPECT_GT(handle, 0);

  EXPECT_TRUE(WaitStatus(accepted, NETSDK_EVENT_LOGIN_OK));
  StatusEvent event{};
  EXPECT_TRUE(WaitStatus(wrongPassword, NETSDK_EVENT_LOGIN_FAILED, &event));
  EXPECT_EQ(event.value, NETSDK_VALUE_REFUSED);
  EXPECT_TRUE(WaitStatus(refused, NETSDK_EVENT_LOGIN_FAILED, &event));
  EXPECT_EQ(event.value, NETSDK_VALUE_REFUSED);
  EXPECT_TRUE(WaitStatus(nobody, NETSDK_EVENT_LOGIN_FAILED, &event));
  EXPECT_EQ(event.value, NETSDK_VALUE_UNREACHABLE);
  EXPECT_TRUE(WaitStatus(wrongPort, NETSDK_EVENT_LOGIN_FAILED, &event));
  for (const StatusEvent& status : Statuses()) {
    const int expected =
        status.handle == accepted ? NETSDK_EVENT_LOGIN_OK : NETSDK_EVENT_LOGIN_FAILED;
    EXPECT_EQ(status.event, expected) << "handle " << status.handle;
  }
  EXPECT_EQ(Sim().GetJournal().Find("SN02", 1004).size(), 1u);
}

TEST_F(LoginTest, EndpointWithoutSimulatorMakesEveryLoginFail) {
  Start({});
  Sim().Stop();
  const int handle = IP_NET_DVR_Login("192.168.1.11", 9000, "admin", "Admin123", nullptr);
  StatusEvent event{};
  EXPECT_TRUE(WaitStatus(handle, NETSDK_EVENT_LOGIN_FAILED, &event));
  EXPECT_EQ(event.value, NETSDK_VALUE_UNREACHABLE);
}

TEST_F(LoginTest, DeviceThatNeverAnswersTheLoginGivesNoEvent) {
  camsim::Scenario scenario = Cameras(2);
  scenario.devices[1].faults.ignoreLogin = true;
  Start(scenario);

  const int silent = IP_NET_DVR_Login("192.168.1.12", 9000, "admin", "Admin123", nullptr);
  ASSERT_GT(silent, 0);
  ASSERT_TRUE(Eventually([&] { return !Sim().GetJournal().Find("SN02", 1004).empty(); }));
  // Well past the library's connect time-out: a device that took the connection but never
  // answers is left to the caller's own time-out.
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(12000 / kScale)));
  EXPECT_GT(LoginAt("192.168.1.11", 9000, "admin", "Admin123"), 0);
  EXPECT_FALSE(HasStatus(silent, NETSDK_EVENT_LOGIN_OK));
  EXPECT_FALSE(HasStatus(silent, NETSDK_EVENT_LOGIN_FAILED));
}

TEST_F(LoginTest, AutoReconnectLogsInAgainAfterTheDeviceRestarts) {
  camsim::Scenario scenario = Cameras(2);
  Start(scenario);
  const int reconnecting = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  const int plain = LoginAt("192.168.1.12", 9000, "admin", "Admin123");
  ASSERT_GT(reconnecting, 0);
  ASSERT_GT(plain, 0);
  ASSERT_EQ(IP_NET_DVR_SetAutoReconnect(reconnecting, 1), 0);

  EXPECT_EQ(IP_NET_DVR_RebootDVR(reconnecting), 0);
  EXPECT_EQ(IP_NET_DVR_RebootDVR(plain), 0);
  EXPECT_TRUE(WaitStatus(reconnecting, NETSDK_EVENT_DISCONNECTED));
  EXPECT_TRUE(WaitStatus(plain, NETSDK_EVENT_DISCONNECTED));
  EXPECT_FALSE(Sim().Device("SN01")->online);
  EXPECT_EQ(IP_NET_DVR_SystemControl(reconnecting, 1012, 0, "RESPONSE_PARAM"), -1)
      << "no command goes out while the device is away";

  // Back after its reboot time: the login is taken again, and commands work.
  EXPECT_TRUE(WaitUntil([&] {
    for (const StatusEvent& status : m_statuses) {
      if (status.handle == reconnecting && status.event == NETSDK_EVENT_LOGIN_OK &&
          status.value == NETSDK_VALUE_RECONNECTED) {
        return true;
      }
    }
    return false;
  }));
  EXPECT_EQ(IP_NET_DVR_SystemControl(reconnecting, 1012, 0, "RESPONSE_PARAM"), 0);
  EXPECT_TRUE(WaitResponse(reconnecting, 1012));
  EXPECT_EQ(IP_NET_DVR_SystemControl(plain, 1012, 0, "RESPONSE_PARAM"), -1);
}

TEST_F(LoginTest, ConnectionDroppedAtLoginIsRetriedByAutoReconnect) {
  camsim::Scenario scenario = Cameras(1);
  scenario.devices[0].faults.dropSteps["login"] = 0;
  Start(scenario);
  const int handle = IP_NET_DVR_Login("192.168.1.11", 9000, "admin", "Admin123", nullptr);
  ASSERT_EQ(IP_NET_DVR_SetAutoReconnect(handle, 1), 0);
  StatusEvent failed{};
  EXPECT_TRUE(WaitStatus(handle, NETSDK_EVENT_LOGIN_FAILED, &failed));
  EXPECT_EQ(failed.value, NETSDK_VALUE_UNREACHABLE);
  // The device drops only its first login; the library's next attempt gets in.
  EXPECT_TRUE(WaitStatus(handle, NETSDK_EVENT_LOGIN_OK));
  EXPECT_EQ(Sim().GetJournal().Find("SN01", 1004).size(), 2u);
}

TEST_F(LoginTest, LogoutEndsTheLoginAndItsEvents) {
  camsim::Scenario scenario;
  scenario.devices.push_back(Camera("SN01", "192.168.1.11"));
  scenario.devices[0].timings.formatMs = 2000;
  Start(scenario);
  const int handle = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(handle, 0);
  ASSERT_EQ(IP_NET_DVR_FormatDisk(handle, 0), 0);
  ASSERT_EQ(IP_NET_DVR_Logout(handle), 0);
  EXPECT_EQ(IP_NET_DVR_Logout(handle), -1);
  EXPECT_EQ(IP_NET_DVR_SystemControl(handle, 1012, 0, "RESPONSE_PARAM"), -1);
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN01")->logins == 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(3000 / kScale)));
  EXPECT_FALSE(HasResponse(handle, 1017));
}

}  // namespace
}  // namespace netsdk_test
