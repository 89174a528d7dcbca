// Firmware upgrade: the transfer and its progress, events 14 and 15, the device's check (1009),
// the restart and the version afterwards.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>

#include "library_fixture.h"
#include "wire/firmware.h"

namespace netsdk_test {
namespace {

constexpr std::uint32_t kChecked = NETSDK_CMD_UPGRADE_CHECKED;

std::vector<std::uint8_t> Payload(std::size_t size) {
  std::vector<std::uint8_t> payload(size);
  for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
  return payload;
}

class UpgradeTest : public LibraryTest {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::path(::testing::TempDir()) /
            ("netsdk_upgrade_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    LibraryTest::TearDown();
    std::filesystem::remove_all(m_dir);
  }

  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::string Firmware(const std::string& version, const std::string& type = "",
                       std::size_t payload = 256 * 1024) {
    return WriteFile(version + type + ".bin", wire::BuildFirmware(version, type, Payload(payload)));
  }

  std::string ReadVersion(int handle) {
    {
      std::lock_guard lock(m_mutex);
      m_responses.clear();
    }
    if (IP_NET_DVR_SystemControl(handle, NETSDK_CMD_GET_VERSION, 0, "RESPONSE_PARAM") != 0) {
      return "";
    }
    ResponseEvent answer{};
    if (!WaitResponse(handle, NETSDK_CMD_GET_VERSION, &answer)) return "";
    const std::string marker = "FileSystemVersion=\"";
    const std::size_t start = answer.text.find(marker) + marker.size();
    return answer.text.substr(start, answer.text.find('"', start) - start);
  }

  std::filesystem::path m_dir;
};

TEST_F(UpgradeTest, HappyPathProgressThenTransferredThenCheckedThenNewVersion) {
  camsim::DeviceConfig device = Camera("SN01", "192.168.1.11");
  device.timings.rateKiBps = 128;  // 256 KiB take two seconds of device time
  device.timings.upgradeRestartMs = 6000;
  Start({{device}});
  const int handle = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(handle, 0);
  EXPECT_EQ(IP_NET_DVR_GetUpgradeState(handle), -1) << "no upgrade yet";
  const std::string path = Firmware("V5.7.1 build 2027");

  std::atomic<int> progressAtTransferred{-1};
  {
    std::lock_guard lock(m_mutex);
    m_onStatus = [&](const StatusEvent& event) {
      if (event.event == NETSDK_EVENT_UPGRADE_TRANSFERRED) {
        progressAtTransferred = IP_NET_DVR_GetUpgradeProgress(event.handle);
      }
    };
  }
  ASSERT_EQ(IP_NET_DVR_Upgrade(handle, path.c_str()), 0);
  EXPECT_EQ(IP_NET_DVR_Upgrade(handle, path.c_str()), -1) << "one transfer per login at a time";

  std::vector<int> samples;
  while (!HasStatus(handle, NETSDK_EVENT_UPGRADE_TRANSFERRED)) {
    ASSERT_EQ(IP_NET_DVR_GetUpgradeState(handle), 0);
    const int progress = IP_NET_DVR_GetUpgradeProgress(handle);
    if (samples.empty() || samples.back() != progress) samples.push_back(progress);
    ASSERT_FALSE(HasStatus(handle, NETSDK_EVENT_UPGRADE_TRANSFER_FAILED));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(std::is_sorted(samples.begin(), samples.end()));
  EXPECT_GE(samples.size(), 3u) << "progress rises in steps";
  EXPECT_EQ(progressAtTransferred.load(), 100);
  {
    std::lock_guard lock(m_mutex);
    m_onStatus = nullptr;
  }
  EXPECT_FALSE(HasResponse(handle, kChecked)) << "the check comes after the transfer";

  ResponseEvent checked{};
  ASSERT_TRUE(WaitResponse(handle, kChecked, &checked));
  EXPECT_NE(checked.text.find("V5.7.1 build 2027"), std::string::npos);
  EXPECT_TRUE(WaitStatus(handle, NETSDK_EVENT_DISCONNECTED)) << "the device restarts";
  EXPECT_EQ(Sim().Device("SN01")->version, "V5.6.0 build 2026") << "not before it is back";

  IP_NET_DVR_Logout(handle);
  ASSERT_TRUE(Eventually([&] { return Sim().Device("SN01")->online; }));
  const int again = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(again, 0);
  EXPECT_EQ(ReadVersion(again), "V5.7.1 build 2027");
  const auto check = Sim().GetJournal().Find("SN01", kChecked);
  ASSERT_EQ(check.size(), 1u);
  EXPECT_EQ(check[0].text, "accepted V5.7.1 build 2027");
}

TEST_F(UpgradeTest, DevicesRefuseFilesThatAreNotTheirFirmware) {
  camsim::Scenario scenario = Cameras(5);
  scenario.devices[3].faults.refuseFirmware = true;
  scenario.devices[4].faults.keepVersion = true;
  scenario.devices[4].timings.upgradeRestartMs = 3000;
  Start(scenario);

  std::vector<std::uint8_t> corrupt = wire::BuildFirmware("V9", "", Payload(100000));
  corrupt[5000] ^= 0x40;
  const std::string files[] = {WriteFile("corrupt.bin", corrupt),
                               WriteFile("plain.bin", Payload(70000)), Firmware("V9", "NVR"),
                               Firmware("V9"), Firmware("V9")};
  int handles[5];
  for (int i = 0; i < 5; ++i) {
    handles[i] = LoginAt(scenario.devices[i].ip, 9000, "admin", "Admin123");
    ASSERT_GT(handles[i], 0);
    ASSERT_EQ(IP_NET_DVR_Upgrade(handles[i], files[i].c_str()), 0);
  }
  const char* reasons[] = {"checksum mismatch", "not a firmware file",
                           "firmware for another device type", "refused by the device"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(WaitStatus(handles[i], NETSDK_EVENT_UPGRADE_TRANSFERRED));
    EXPECT_TRUE(WaitResponse(handles[i], kChecked | NETSDK_RESPONSE_FAILED)) << reasons[i];
    EXPECT_EQ(Sim().GetJournal().Find(scenario.devices[i].serial, kChecked).at(0).text, reasons[i]);
  }
  // Accepted, restarted, and still the old version.
  EXPECT_TRUE(WaitResponse(handles[4], kChecked));
  EXPECT_TRUE(WaitStatus(handles[4], NETSDK_EVENT_DISCONNECTED));
  ASSERT_TRUE(Eventually([&] { return Sim().Device("SN05")->online; }));
  EXPECT_EQ(Sim().Device("SN05")->version, "V5.6.0 build 2026");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Sim().Device(scenario.devices[i].serial)->online);
}

TEST_F(UpgradeTest, StalledAbandonedOrDroppedTransfersEndInEvent15) {
  camsim::Scenario scenario = Cameras(3);
  scenario.devices[0].faults.stallAtPercent = 40;
  scenario.devices[1].faults.failAtPercent = 30;
  scenario.devices[2].faults.dropSteps["transfer"] = 60;
  Start(scenario);
  const std::string path = Firmware("V6", "", 1024 * 1024);
  int handles[3];
  for (int i = 0; i < 3; ++i) {
    handles[i] = LoginAt(scenario.devices[i].ip, 9000, "admin", "Admin123");
    ASSERT_GT(handles[i], 0);
    ASSERT_EQ(IP_NET_DVR_Upgrade(handles[i], path.c_str()), 0);
  }
  EXPECT_TRUE(WaitStatus(handles[1], NETSDK_EVENT_UPGRADE_TRANSFER_FAILED));
  EXPECT_TRUE(WaitStatus(handles[2], NETSDK_EVENT_UPGRADE_TRANSFER_FAILED));
  EXPECT_TRUE(WaitStatus(handles[2], NETSDK_EVENT_DISCONNECTED));
  // The stalled one: no progress past the stall, then the library gives up on its own.
  EXPECT_TRUE(WaitStatus(handles[0], NETSDK_EVENT_UPGRADE_TRANSFER_FAILED));
  EXPECT_LT(IP_NET_DVR_GetUpgradeProgress(handles[0]), 40);
  for (int handle : handles) {
    EXPECT_FALSE(HasStatus(handle, NETSDK_EVENT_UPGRADE_TRANSFERRED));
    EXPECT_FALSE(HasResponse(handle, kChecked));
  }
  // After a failed transfer a new one may start.
  EXPECT_EQ(IP_NET_DVR_Upgrade(handles[1], path.c_str()), 0);
}

TEST_F(UpgradeTest, UnreadablePathsAreRefusedAtOnce) {
  Start({{Camera("SN01", "192.168.1.11")}});
  const int handle = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(handle, 0);
  EXPECT_NE(IP_NET_DVR_Upgrade(handle, (m_dir / "missing.bin").c_str()), 0);
  EXPECT_NE(IP_NET_DVR_Upgrade(handle, m_dir.c_str()), 0);
  EXPECT_NE(IP_NET_DVR_Upgrade(handle, ""), 0);
  EXPECT_NE(IP_NET_DVR_Upgrade(handle, nullptr), 0);
  EXPECT_NE(IP_NET_DVR_Upgrade(handle + 1000, Firmware("V7").c_str()), 0);
  EXPECT_EQ(IP_NET_DVR_GetUpgradeState(handle), -1);
  EXPECT_TRUE(Sim().GetJournal().Find("SN01", 1008).empty());
  // Not GBK at all: a lead byte without its second byte.
  EXPECT_NE(IP_NET_DVR_Upgrade(handle, (m_dir.string() + "/\x81.bin").c_str()), 0);
}

// The path comes in GBK, as every text of the library; the file system names it in UTF-8.
TEST_F(UpgradeTest, AChinesePathInTheAnsiCodePageFindsItsFile) {
  Start({{Camera("SN01", "192.168.1.11")}});
  const int handle = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(handle, 0);
  std::filesystem::create_directories(m_dir / "固件");
  const std::string utf8 = (m_dir / "固件" / "a.bin").string();
  {
    const auto bytes = wire::BuildFirmware("V8", "", Payload(4096));
    std::ofstream(utf8, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  // "固件" in GBK.
  const std::string gbk = m_dir.string() + "/\xB9\xCC\xBC\xFE/a.bin";
  EXPECT_NE(IP_NET_DVR_Upgrade(handle, utf8.c_str()), 0) << "UTF-8 bytes are not a GBK path";
  EXPECT_EQ(IP_NET_DVR_Upgrade(handle, gbk.c_str()), 0);
}

}  // namespace
}  // namespace netsdk_test
