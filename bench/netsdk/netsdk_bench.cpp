// Figures of the device library with 250 devices at speed 1: search, logins, one 16 MiB firmware
// file to every device at once, and the library's idle CPU with all logins open. The simulator runs
// as a separate camsim process, so that memory and CPU figures are the library's own. With --onvif
// the devices are ONVIF cameras and the library uses its ONVIF backend.
//   netsdk_bench [DEVICES] [--onvif]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "netsdk.h"
#include "support/bench_process.h"
#include "wire/firmware.h"

namespace {

using Clock = std::chrono::steady_clock;

std::mutex g_mutex;
std::set<int> g_loggedIn;
std::set<int> g_transferred;
std::set<int> g_transferFailed;

int OnStatus(int handle, int event, int, void*) {
  std::lock_guard lock(g_mutex);
  if (event == NETSDK_EVENT_LOGIN_OK) g_loggedIn.insert(handle);
  if (event == NETSDK_EVENT_UPGRADE_TRANSFERRED) g_transferred.insert(handle);
  if (event == NETSDK_EVENT_UPGRADE_TRANSFER_FAILED) g_transferFailed.insert(handle);
  return 0;
}

std::size_t Count(const std::set<int>& events) {
  std::lock_guard lock(g_mutex);
  return events.size();
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Waits until done() or limit seconds; the elapsed seconds, or -1.
template <typename Done>
double Until(Done done, double limit) {
  const auto start = Clock::now();
  while (!done()) {
    if (Seconds(start) > limit) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return Seconds(start);
}

using benchsupport::CpuSeconds;
using benchsupport::RssKiB;

// Sends the file to the devices of handles and reports time, throughput and memory growth.
void Upgrade(const std::vector<int>& handles, const std::string& path, std::uintmax_t fileBytes) {
  {
    std::lock_guard lock(g_mutex);
    g_transferred.clear();
    g_transferFailed.clear();
  }
  const long rssBefore = RssKiB();
  std::atomic<long> rssPeak{rssBefore};
  std::atomic<bool> sampling{true};
  std::thread sampler([&] {
    while (sampling) {
      rssPeak = std::max(rssPeak.load(), RssKiB());
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  int refused = 0;
  for (int handle : handles) refused += IP_NET_DVR_Upgrade(handle, path.c_str()) != 0;
  const double seconds = Until(
      [&] { return Count(g_transferred) + Count(g_transferFailed) + refused >= handles.size(); },
      600);
  sampling = false;
  sampler.join();
  const double megabytes =
      static_cast<double>(fileBytes) * static_cast<double>(handles.size()) / (1024.0 * 1024.0);
  std::printf(
      "upgrade, %zu devices, one %.1f MiB file: %zu transferred, %zu failed, %d refused "
      "in %.2f s; loopback throughput %.0f MiB/s; library RSS grew by %.1f MiB\n",
      handles.size(), static_cast<double>(fileBytes) / (1024.0 * 1024.0), Count(g_transferred),
      Count(g_transferFailed), refused, seconds, seconds > 0 ? megabytes / seconds : 0.0,
      static_cast<double>(rssPeak.load() - rssBefore) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int devices = argc > 1 ? std::atoi(argv[1]) : 250;
  const bool onvif = argc > 2 && std::strcmp(argv[2], "--onvif") == 0;
  const auto dir =
      std::filesystem::temp_directory_path() / ("netsdk_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string scenario = (dir / "lan.txt").string();
  // Devices that take the file as fast as loopback carries it, and check it only long after the
  // transfer has been measured.
  std::ofstream(scenario) << "defaults rate_kib=0 check_ms=600000\nfleet count=" << devices
                          << " nvr=0\n";
  const std::string firmware = (dir / "fw.bin").string();
  {
    const auto file =
        wire::BuildFirmware("V5.7.0 build 2027", "", std::vector<std::uint8_t>(16u << 20, 0x5A));
    std::ofstream(firmware, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
  }

  const std::string endpoint = "127.0.0.1:" + std::to_string(benchsupport::FreePort());
  const std::string credentials = (dir / "credentials").string();
  std::ofstream(credentials) << "admin:Admin123\n";
  const pid_t simulator = benchsupport::StartCamsim(scenario, endpoint, onvif);
  if (simulator == 0) {
    std::fprintf(stderr, "cannot start camsim\n");
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  if (onvif) {
    IP_NET_DVR_SetOption("backend", "onvif");
    IP_NET_DVR_SetOption("probe", endpoint.c_str());
    IP_NET_DVR_SetOption("credentials", credentials.c_str());
  }
  IP_NET_DVR_Init();
  IP_NET_DVR_SetEndpoint(endpoint.c_str());
  IP_NET_DVR_SetStatusEventCallBack(&OnStatus, nullptr);
  std::printf("netsdk bench: %d %s devices, speed 1, simulator pid %d on %s\n", devices,
              onvif ? "ONVIF" : "framed", static_cast<int>(simulator), endpoint.c_str());

  IP_NET_DVR_StartSearchIPC();
  double seconds = Until([&] { return IP_NET_DVR_GetSearchIPCCount() >= devices; }, 30);
  std::printf("search: %d devices listed %.3f s after StartSearchIPC\n",
              IP_NET_DVR_GetSearchIPCCount(), seconds);
  IP_NET_DVR_StopSearchIPC();

  std::vector<int> handles;
  for (int i = 0; i < devices; ++i) {
    unsigned char block[IPC_INFO_SIZE] = {};
    if (IP_NET_DVR_GetIPCInfo(i, block) != 0) continue;
    std::uint16_t port = 0;
    std::memcpy(&port, block + IPC_INFO_PORT, sizeof port);
    handles.push_back(IP_NET_DVR_Login(reinterpret_cast<char*>(block + IPC_INFO_IP), port,
                                       reinterpret_cast<char*>(block + IPC_INFO_USER),
                                       reinterpret_cast<char*>(block + IPC_INFO_PASSWORD),
                                       nullptr));
  }
  // An ONVIF login counts the device as restarting once it took a whole image, and logs in again.
  for (int handle : handles) IP_NET_DVR_SetAutoReconnect(handle, 1);
  seconds = Until([&] { return Count(g_loggedIn) >= handles.size(); }, 30);
  std::printf("logins: %zu of %zu confirmed (event 4) %.3f s after the first Login\n",
              Count(g_loggedIn), handles.size(), seconds);

  const double idleStart = CpuSeconds();
  const auto idleWall = Clock::now();
  // Long enough for the ONVIF logins' keep-alive queries (one every 10 s) to count.
  std::this_thread::sleep_for(std::chrono::seconds(onvif ? 30 : 5));
  std::printf("idle: library CPU %.2f %% of one core with %zu logins open\n",
              100.0 * (CpuSeconds() - idleStart) / Seconds(idleWall), handles.size());

  const std::uintmax_t fileBytes = std::filesystem::file_size(firmware);
  const std::size_t few = std::min<std::size_t>(25, handles.size());
  Upgrade(std::vector<int>(handles.begin(), handles.begin() + static_cast<long>(few)), firmware,
          fileBytes);
  // An ONVIF upgrade stays open until the device's verdict on its file (long after this bench),
  // so the first devices take no second one: the others get the file, all at once.
  Upgrade(
      onvif ? std::vector<int>(handles.begin() + static_cast<long>(few), handles.end()) : handles,
      firmware, fileBytes);

  IP_NET_DVR_Cleanup();
  benchsupport::StopCamsim(simulator);
  std::filesystem::remove_all(dir);
  return 0;
}
