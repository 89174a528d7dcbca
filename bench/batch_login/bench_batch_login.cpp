// What the batch engine costs at real speed: the seven workers idling, and one batch login of
// 250 devices against the camera simulator on loopback. Prints its figures.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "batch/callbacks.h"
#include "batch/engine.h"
#include "engine_harness.h"
#include "sim/simulator.h"

namespace {

constexpr int kDevices = 250;
constexpr double kIdleSeconds = 5.0;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void MeasureIdleWorkers() {
  batchtest::WindowRecorder window;
  std::atomic<int> language{0};
  batch::Engine engine(window.Link(), language);
  engine.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const double cpuBefore = CpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(kIdleSeconds));
  const double cpu = CpuSeconds() - cpuBefore;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  std::printf("idle workers: %.4f s of CPU in %.2f s = %.3f %% of one core\n", cpu, wall,
              100.0 * cpu / wall);
  engine.Stop(batchtest::kJoinMs);
}

bool MeasureBatchLogin() {
  const camsim::Scenario scenario = camsim::DefaultFleet(kDevices, false);
  std::vector<std::unique_ptr<discovery::DeviceRecord>> records;
  std::vector<discovery::DeviceRecord*> devices;
  for (const camsim::DeviceConfig& device : scenario.devices) {
    records.push_back(batchtest::MakeRecord(device));
    devices.push_back(records.back().get());
  }
  camsim::Simulator simulator(scenario);
  std::string error;
  if (!simulator.Start("127.0.0.1:0", &error)) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return false;
  }
  IP_NET_DVR_SetEndpoint(simulator.Endpoint().c_str());
  IP_NET_DVR_Init();

  std::mutex mutex;
  std::vector<DWORD> loginCalls;
  batch::LibraryCalls calls;
  calls.login = [&](const char* ip, int port, const char* user, const char* password) {
    {
      std::lock_guard lock(mutex);
      loginCalls.push_back(platform::GetTickCount());
    }
    return IP_NET_DVR_Login(ip, port, user, password, nullptr);
  };
  batchtest::WindowRecorder window;
  batchtest::RecordingOperations operations;
  std::atomic<int> language{0};
  bool ok = false;
  {
    batch::Engine engine(window.Link(), language, calls);
    engine.SetBatchOperations(&operations);
    batch::RegisterCallbacks(engine);
    engine.Start();

    const DWORD start = platform::GetTickCount();
    engine.SetBatchDevices(devices);
    engine.PostToBatchWorker(batch::kMsgReboot);
    auto confirmed = [&] {
      return static_cast<int>(std::count_if(devices.begin(), devices.end(), [](const auto* record) {
        return record->loginState.load() == discovery::kLoginConfirmed;
      }));
    };
    const bool allConfirmed = batchtest::WaitUntil([&] { return confirmed() == kDevices; }, 60000);
    const DWORD confirmedAt = platform::GetTickCount() - start;
    const bool ended = batchtest::WaitUntil([&] { return operations.CallCount() == 1; }, 60000);
    const DWORD endedAt = platform::GetTickCount() - start;

    std::vector<DWORD> callTicks;
    {
      std::lock_guard lock(mutex);
      callTicks = loginCalls;
    }
    const DWORD firstCall = callTicks.empty() ? 0 : callTicks.front() - start;
    const DWORD lastCall = callTicks.empty() ? 0 : callTicks.back() - start;
    // Round 1 begins with the first login call; later rounds begin 1000 ms after the previous
    // round's work.
    const DWORD rounds = allConfirmed ? 1 + (confirmedAt - firstCall) / batch::kRoundPauseMs : 0;
    std::printf("batch login of %d devices: %d confirmed\n", kDevices, confirmed());
    std::printf("  login calls: %zu, from %u ms to %u ms after the batch message\n",
                callTicks.size(), firstCall, lastCall);
    std::printf("  all confirmed after %u ms (login worker round %u)\n", confirmedAt, rounds);
    std::printf("  batch login ended, operation started after %u ms\n", endedAt);
    ok = allConfirmed && ended && rounds <= 3;
    IP_NET_DVR_Cleanup();
    engine.Stop(batchtest::kJoinMs);
  }
  simulator.Stop();
  return ok;
}

}  // namespace

int main() {
  MeasureIdleWorkers();
  return MeasureBatchLogin() ? 0 : 1;
}
