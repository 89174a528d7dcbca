// Every function's failure result for bad arguments, unknown handles and calls outside
// Init..Cleanup, the endpoint rule, and Init again after Cleanup.
#include <atomic>
#include <limits>
#include <thread>
#include <vector>

#include <stdlib.h>

#include "library_fixture.h"

namespace netsdk_test {
namespace {

unsigned char g_block[IPC_INFO_SIZE];

// Every handle-taking call with a handle; all must give -1 for one that is not open.
void ExpectUnknownHandle(int handle) {
  SCOPED_TRACE(handle);
  EXPECT_EQ(IP_NET_DVR_SetAutoReconnect(handle, 1), -1);
  EXPECT_EQ(IP_NET_DVR_Logout(handle), -1);
  EXPECT_EQ(IP_NET_DVR_RebootDVR(handle), -1);
  EXPECT_EQ(IP_NET_DVR_RestoreConfig(handle), -1);
  EXPECT_EQ(IP_NET_DVR_FormatDisk(handle, 0), -1);
  EXPECT_EQ(IP_NET_DVR_Upgrade(handle, "/dev/null"), -1);
  EXPECT_EQ(IP_NET_DVR_GetUpgradeState(handle), -1);
  EXPECT_EQ(IP_NET_DVR_GetUpgradeProgress(handle), -1);
  EXPECT_EQ(IP_NET_DVR_SystemControl(handle, 1012, 0, "RESPONSE_PARAM"), -1);
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(handle, 223, 0, "<A/>", 5), -1);
}

TEST(ApiContract, EverythingFailsBeforeInitAndAfterCleanup) {
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(IP_NET_DVR_StartSearchIPC(), -1);
    EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), -1);
    EXPECT_EQ(IP_NET_DVR_GetIPCInfo(0, g_block), -1);
    EXPECT_EQ(IP_NET_DVR_StopSearchIPC(), -1);
    EXPECT_EQ(IP_NET_DVR_ModifyIPC(0, g_block), -1);
    EXPECT_EQ(IP_NET_DVR_Login("192.168.1.64", 9000, "admin", "x", nullptr), -1);
    ExpectUnknownHandle(1);
    ASSERT_EQ(IP_NET_DVR_Init(), 0);
    EXPECT_EQ(IP_NET_DVR_Init(), 0) << "a second Init changes nothing";
    EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 0);
    EXPECT_EQ(IP_NET_DVR_Cleanup(), 0);
  }
  EXPECT_EQ(IP_NET_DVR_Cleanup(), 0) << "Cleanup without Init is harmless";
}

TEST(ApiContract, EndpointMustBeLoopbackAndTimeScalePositive) {
  for (const char* good : {"127.0.0.1:29120", "127.1.2.3:1"}) {
    EXPECT_EQ(IP_NET_DVR_SetEndpoint(good), 0) << good;
  }
  for (const char* bad : {"192.168.1.64:9000", "10.0.0.1:29120", "0.0.0.0:29120", "127.0.0.1",
                          "127.0.0.1:0", "127.0.0.1:70000", "localhost:29120", "127.0.0.1:-5",
                          "127.0.0.01:80", "", " 127.0.0.1:80"}) {
    EXPECT_EQ(IP_NET_DVR_SetEndpoint(bad), -1) << bad;
  }
  EXPECT_EQ(IP_NET_DVR_SetEndpoint(nullptr), -1);
  EXPECT_EQ(IP_NET_DVR_SetTimeScale(0), -1);
  EXPECT_EQ(IP_NET_DVR_SetTimeScale(-3), -1);
  EXPECT_EQ(IP_NET_DVR_SetTimeScale(std::numeric_limits<double>::infinity()), -1);
  EXPECT_EQ(IP_NET_DVR_SetTimeScale(40), 0);
  EXPECT_EQ(IP_NET_DVR_Cleanup(), 0);
}

std::atomic<int> g_loginsAccepted{0};

int CountLogins(int, int event, int, void*) {
  if (event == NETSDK_EVENT_LOGIN_OK) ++g_loginsAccepted;
  return 0;
}

TEST(ApiContract, EnvironmentNamesEndpointAndScaleUnlessSetExplicitly) {
  camsim::Simulator sim(Cameras(1));
  sim.SetTimeScale(kScale);
  std::string error;
  ASSERT_TRUE(sim.Start("127.0.0.1:0", &error)) << error;
  IP_NET_DVR_SetStatusEventCallBack(&CountLogins, nullptr);
  auto loginAccepted = [] {
    g_loginsAccepted = 0;
    IP_NET_DVR_Login("192.168.1.11", 9000, "admin", "Admin123", nullptr);
    for (int i = 0; i < 2000 && g_loginsAccepted == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return g_loginsAccepted > 0;
  };

  ::setenv("NETSDK_ENDPOINT", sim.Endpoint().c_str(), 1);
  ::setenv("NETSDK_TIME_SCALE", "20", 1);
  ASSERT_EQ(IP_NET_DVR_Init(), 0);
  EXPECT_TRUE(loginAccepted()) << "the environment's endpoint";
  EXPECT_EQ(IP_NET_DVR_Cleanup(), 0);

  // An explicit endpoint wins over the environment's. Cleanup forgot the callback.
  ::setenv("NETSDK_ENDPOINT", "127.0.0.1:9", 1);
  ASSERT_EQ(IP_NET_DVR_SetEndpoint(sim.Endpoint().c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_Init(), 0);
  IP_NET_DVR_SetStatusEventCallBack(&CountLogins, nullptr);
  EXPECT_TRUE(loginAccepted());
  ::unsetenv("NETSDK_ENDPOINT");
  ::unsetenv("NETSDK_TIME_SCALE");
  EXPECT_EQ(IP_NET_DVR_Cleanup(), 0);
}

class ApiArgumentsTest : public LibraryTest {};

TEST_F(ApiArgumentsTest, BadArgumentsGiveTheFailureResult) {
  Start({{Camera("SN01", "192.168.1.11")}});
  EXPECT_EQ(IP_NET_DVR_Login(nullptr, 9000, "admin", "Admin123", nullptr), -1);
  EXPECT_EQ(IP_NET_DVR_Login("192.168.1.11", 9000, nullptr, "Admin123", nullptr), -1);
  EXPECT_EQ(IP_NET_DVR_Login("192.168.1.11", 9000, "admin", nullptr, nullptr), -1);
  EXPECT_EQ(IP_NET_DVR_Login("192.168.1.11", 0, "admin", "Admin123", nullptr), -1);
  EXPECT_EQ(IP_NET_DVR_Login("192.168.1.11", 65536, "admin", "Admin123", nullptr), -1);
  const std::string endless(100000, 'x');
  EXPECT_EQ(IP_NET_DVR_Login(endless.c_str(), 9000, "admin", "Admin123", nullptr), -1);
  for (int handle : {0, -1, 12345}) ExpectUnknownHandle(handle);

  ASSERT_TRUE(SearchFor(1));
  EXPECT_EQ(IP_NET_DVR_GetIPCInfo(0, nullptr), -1);
  EXPECT_EQ(IP_NET_DVR_GetIPCInfo(1, g_block), -1);
  EXPECT_EQ(IP_NET_DVR_GetIPCInfo(-1, g_block), -1);
  EXPECT_EQ(IP_NET_DVR_GetIPCInfo(0, g_block), 0);

  const int handle = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(handle, 0);
  EXPECT_EQ(IP_NET_DVR_FormatDisk(handle, 3), -1);
  EXPECT_EQ(IP_NET_DVR_FormatDisk(handle, -1), -1);
  EXPECT_EQ(IP_NET_DVR_SystemControl(handle, 1012, 0, nullptr), -1);
  EXPECT_EQ(IP_NET_DVR_SystemControl(handle, 0, 0, ""), -1);
  EXPECT_EQ(IP_NET_DVR_SystemControl(handle, -1012, 0, ""), -1);
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(handle, 223, 0, nullptr, 5), -1);
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(handle, 223, 0, "<A/>", 0), -1);
  // A document is read up to its length or its terminator, whichever comes first.
  const char unterminated[13] = {'<', 'U', 's', 'e', 'r', 'C', 'o', 'n', 'f', 'i', 'g', '/', '>'};
  EXPECT_EQ(IP_NET_DVR_SetDVRConfig(handle, 223, 0, unterminated, 13), 0);
  EXPECT_TRUE(WaitResponse(handle, 223));
  EXPECT_EQ(Sim().Device("SN01")->configs.at(223), "<UserConfig/>");

  NETSDK_PREVIEW_INFO preview{1, 1, 1, 0, nullptr};
  EXPECT_EQ(
      IP_NET_DVR_RealPlayEx(handle, "192.168.1.11", "admin", "Admin123", nullptr, &preview, 0), -1);
  EXPECT_EQ(IP_NET_DVR_StopRealPlay(1), -1);
}

TEST_F(ApiArgumentsTest, CleanupInsideACallbackIsRefused) {
  Start({{Camera("SN01", "192.168.1.11")}});
  std::atomic<int> result{1};
  {
    std::lock_guard lock(m_mutex);
    m_onStatus = [&](const StatusEvent&) { result = IP_NET_DVR_Cleanup(); };
  }
  EXPECT_GT(LoginAt("192.168.1.11", 9000, "admin", "Admin123"), 0);
  EXPECT_EQ(result.load(), -1);
  std::lock_guard lock(m_mutex);
  m_onStatus = nullptr;
}

TEST_F(ApiArgumentsTest, InitAgainAfterCleanupWorksFromAFreshState) {
  Start({{Camera("SN01", "192.168.1.11")}});
  ASSERT_TRUE(SearchFor(1));
  const int first = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(first, 0);
  ASSERT_EQ(IP_NET_DVR_Cleanup(), 0);
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN01")->logins == 0; }))
      << "Cleanup closes every login";

  Start({{Camera("SN02", "192.168.1.12")}});
  EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 0);
  ExpectUnknownHandle(first);
  const int second = LoginAt("192.168.1.12", 9000, "admin", "Admin123");
  EXPECT_GT(second, first) << "handles are not reused";
}

}  // namespace
}  // namespace netsdk_test
