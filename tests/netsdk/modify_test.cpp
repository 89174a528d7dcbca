// ModifyIPC: the device is the one at the search index, wherever the block now says it is.
#include <cstring>
#include <thread>

#include "library_fixture.h"

namespace netsdk_test {
namespace {

void SetText(std::vector<unsigned char>& block, int offset, const char* text) {
  std::memset(block.data() + offset, 0, 256);
  std::strcpy(reinterpret_cast<char*>(block.data() + offset), text);
}

std::string IpOf(const std::vector<unsigned char>& block) {
  return reinterpret_cast<const char*>(block.data() + IPC_INFO_IP);
}

class ModifyTest : public LibraryTest {
 protected:
  void SetUp() override {
    camsim::Scenario scenario;
    scenario.devices.push_back(Camera("SN01", "192.168.1.64"));
    scenario.devices.push_back(Camera("SN02", "192.168.1.65"));
    scenario.devices[1].timings.searchMs = 200;
    scenario.devices.push_back(Camera("SN03", "192.168.1.66"));
    scenario.devices[2].timings.searchMs = 300;
    scenario.devices[2].faults.rejectModify = true;
    scenario.devices[2].allNetSupport = 0xFF;
    Start(scenario);
    ASSERT_TRUE(SearchFor(3));
    IP_NET_DVR_StopSearchIPC();
  }
};

TEST_F(ModifyTest, NewAddressIsWhereTheDeviceAnswersAfterwards) {
  std::vector<unsigned char> block;
  const int index = FindResult("SN02", &block);
  ASSERT_GE(index, 0);
  // As the program does it: the new address is written into the block before the call.
  SetText(block, IPC_INFO_IP, "192.168.1.3");
  SetText(block, IPC_INFO_GATEWAY, "192.168.1.254");
  ASSERT_EQ(IP_NET_DVR_ModifyIPC(index, block.data()), 0);
  const auto journal = Sim().GetJournal().Find("SN02", 1003);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_NE(journal[0].text.find("IP=192.168.1.3"), std::string::npos);

  // A second change of the same result still finds the device, now at its new address.
  SetText(block, IPC_INFO_IP, "192.168.1.4");
  ASSERT_EQ(IP_NET_DVR_ModifyIPC(index, block.data()), 0);

  ASSERT_TRUE(SearchFor(3));
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(2000 / kScale)));
  ASSERT_GE(FindResult("SN02", &block), 0);
  EXPECT_EQ(IpOf(block), "192.168.1.4");
  EXPECT_STREQ(reinterpret_cast<const char*>(block.data() + IPC_INFO_GATEWAY), "192.168.1.254");
  for (int i = 0; i < IP_NET_DVR_GetSearchIPCCount(); ++i) {
    std::vector<unsigned char> other(IPC_INFO_SIZE, 0);
    ASSERT_EQ(IP_NET_DVR_GetIPCInfo(i, other.data()), 0);
    EXPECT_NE(IpOf(other), "192.168.1.65") << "no device is left at the old address";
  }
  const int oldAddress = IP_NET_DVR_Login("192.168.1.65", 9000, "admin", "Admin123", nullptr);
  EXPECT_TRUE(WaitStatus(oldAddress, NETSDK_EVENT_LOGIN_FAILED));
  EXPECT_GT(LoginAt("192.168.1.4", 9000, "admin", "Admin123"), 0);
}

TEST_F(ModifyTest, RefusedChangeLeavesTheDeviceWhereItWas) {
  std::vector<unsigned char> block;
  const int index = FindResult("SN03", &block);
  SetText(block, IPC_INFO_IP, "192.168.1.9");
  EXPECT_NE(IP_NET_DVR_ModifyIPC(index, block.data()), 0);
  EXPECT_EQ(Sim().Device("SN03")->ip, "192.168.1.66");

  // An address that is no address is refused by the device too.
  const int other = FindResult("SN01", &block);
  SetText(block, IPC_INFO_IP, "192.168.1.300");
  EXPECT_NE(IP_NET_DVR_ModifyIPC(other, block.data()), 0);
  EXPECT_EQ(Sim().Device("SN01")->ip, "192.168.1.64");
}

TEST_F(ModifyTest, AllNetworkStateFollowsTheBlockWhereSupported) {
  std::vector<unsigned char> block;
  const int supported = FindResult("SN03", &block);
  ASSERT_EQ(block[IPC_INFO_ALLNET_SUPPORT], 0xFF);
  block[IPC_INFO_ALLNET_STATE] = 1;
  // SN03 refuses address changes in this scenario; SN01 has no all-network function.
  EXPECT_NE(IP_NET_DVR_ModifyIPC(supported, block.data()), 0);
  const int unsupported = FindResult("SN01", &block);
  block[IPC_INFO_ALLNET_STATE] = 1;
  EXPECT_EQ(IP_NET_DVR_ModifyIPC(unsupported, block.data()), 0);
  EXPECT_EQ(Sim().Device("SN01")->allNetState, 0);
  ASSERT_EQ(IP_NET_DVR_GetIPCInfo(unsupported, block.data()), 0);
  EXPECT_EQ(block[IPC_INFO_ALLNET_STATE], 0);
}

TEST_F(ModifyTest, BadIndexOrBlockIsRefusedWithoutContactingAnyDevice) {
  std::vector<unsigned char> block(IPC_INFO_SIZE, 0);
  ASSERT_EQ(IP_NET_DVR_GetIPCInfo(0, block.data()), 0);
  EXPECT_EQ(IP_NET_DVR_ModifyIPC(3, block.data()), -1);
  EXPECT_EQ(IP_NET_DVR_ModifyIPC(-1, block.data()), -1);
  EXPECT_EQ(IP_NET_DVR_ModifyIPC(0, nullptr), -1);
  std::memset(block.data() + IPC_INFO_IP, 'x', 256);  // no terminator in the address field
  EXPECT_EQ(IP_NET_DVR_ModifyIPC(0, block.data()), -1);
  // A block of an earlier search handed in with an index that names another device now.
  std::vector<unsigned char> stale;
  const int sn01 = FindResult("SN01", &stale);
  const int sn02 = FindResult("SN02", &block);
  ASSERT_GE(sn01, 0);
  ASSERT_GE(sn02, 0);
  SetText(stale, IPC_INFO_IP, "192.168.1.99");
  EXPECT_EQ(IP_NET_DVR_ModifyIPC(sn02, stale.data()), -1);
  EXPECT_EQ(Sim().Device("SN02")->ip, "192.168.1.65");
  for (const char* serial : {"SN01", "SN02", "SN03"}) {
    EXPECT_TRUE(Sim().GetJournal().Find(serial, 1003).empty());
  }
}

}  // namespace
}  // namespace netsdk_test
