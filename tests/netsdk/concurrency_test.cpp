// Many threads calling the library at once while its callbacks run and call back into it. Meant to
// be run under ThreadSanitizer as well.
#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "library_fixture.h"

namespace netsdk_test {
namespace {

constexpr int kDevices = 8;
constexpr int kRequests = 25;

class ConcurrencyTest : public LibraryTest {};

TEST_F(ConcurrencyTest, ParallelLoginsCommandsAndSearchesKeepEveryAnswerWithItsLogin) {
  camsim::Scenario scenario;
  std::set<std::string> serials;
  for (int i = 0; i < kDevices; ++i) {
    const std::string serial = "SN" + std::to_string(10 + i);
    scenario.devices.push_back(Camera(serial, "192.168.1." + std::to_string(10 + i)));
    scenario.devices.back().version = "V" + std::to_string(i);
    serials.insert(serial);
  }
  Start(scenario);
  // Callbacks call into the library too, as the program's do.
  {
    std::lock_guard lock(m_mutex);
    m_onStatus = [](const StatusEvent& event) {
      IP_NET_DVR_GetUpgradeProgress(event.handle);
      IP_NET_DVR_GetSearchIPCCount();
    };
  }

  std::atomic<bool> searching{true};
  std::atomic<int> tornBlocks{0};
  std::thread searcher([&] {
    std::vector<unsigned char> block(IPC_INFO_SIZE);
    while (searching) {
      IP_NET_DVR_StartSearchIPC();
      for (int round = 0; round < 50 && searching; ++round) {
        const int count = IP_NET_DVR_GetSearchIPCCount();
        for (int i = 0; i < count; ++i) {
          if (IP_NET_DVR_GetIPCInfo(i, block.data()) != 0) continue;
          const std::string serial(reinterpret_cast<const char*>(block.data()));
          if (serials.count(serial) == 0) ++tornBlocks;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(300));
      }
      IP_NET_DVR_StopSearchIPC();
    }
  });

  std::vector<int> handles(kDevices, 0);
  std::vector<std::thread> workers;
  for (int i = 0; i < kDevices; ++i) {
    workers.emplace_back([&, i] {
      const std::string ip = "192.168.1." + std::to_string(10 + i);
      // A login that is dropped at once, then the one that is used.
      const int dropped = IP_NET_DVR_Login(ip.c_str(), 9000, "admin", "Admin123", nullptr);
      IP_NET_DVR_SetAutoReconnect(dropped, 1);
      IP_NET_DVR_Logout(dropped);
      const int handle = IP_NET_DVR_Login(ip.c_str(), 9000, "admin", "Admin123", nullptr);
      handles[i] = handle;
      IP_NET_DVR_SetAutoReconnect(handle, 1);
      if (!WaitStatus(handle, NETSDK_EVENT_LOGIN_OK)) return;
      for (int r = 0; r < kRequests; ++r) {
        EXPECT_EQ(IP_NET_DVR_SystemControl(handle, 1012, 0, "RESPONSE_PARAM"), 0);
        EXPECT_EQ(IP_NET_DVR_SetDVRConfig(handle, 228, 0, "<Maintain/>", 12), 0);
        IP_NET_DVR_GetUpgradeState(handle);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();

  EXPECT_TRUE(WaitUntil([&] {
    std::map<int, int> answers;
    for (const ResponseEvent& response : m_responses) ++answers[response.handle];
    for (int handle : handles) {
      if (answers[handle] != 2 * kRequests) return false;
    }
    return true;
  }));
  searching = false;
  searcher.join();
  EXPECT_EQ(tornBlocks.load(), 0);

  std::lock_guard lock(m_mutex);
  m_onStatus = nullptr;
  for (int i = 0; i < kDevices; ++i) {
    int loginEvents = 0;
    for (const StatusEvent& status : m_statuses) {
      if (status.handle == handles[i]) {
        EXPECT_EQ(status.event, NETSDK_EVENT_LOGIN_OK);
        ++loginEvents;
      }
    }
    EXPECT_EQ(loginEvents, 1) << "handle " << handles[i];
    const std::string version = "FileSystemVersion=\"V" + std::to_string(i) + "\"";
    for (const ResponseEvent& response : m_responses) {
      if (response.handle == handles[i] && response.code == 1012) {
        EXPECT_NE(response.text.find(version), std::string::npos) << response.text;
      }
    }
  }
}

}  // namespace
}  // namespace netsdk_test
