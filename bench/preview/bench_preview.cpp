// Figures of the live video with 16, 64 and 250 simulated cameras streaming at once, at real
// speed, the simulator as a camsim process of its own:
//  - the library and the player alone: pictures decoded per stream and second, CPU per stream of
//    the program and of the simulator, memory per stream;
//  - the multi-device preview window (offscreen): pictures shown per pane and second, CPU and
//    memory per pane, and the longest time the window thread went without a turn of its event
//    loop while the grid played.
// With --onvif the cameras speak ONVIF and the video comes by RTSP through the ONVIF backend.
//   bench_preview [SECONDS [COUNT...]] [--onvif]
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "discovery/device_record.h"
#include "preview/grid_layout.h"
#include "preview/mul_play.h"
#include "preview/preview_stream.h"
#include "sdk/device_info_block.h"
#include "sdk/sdk.h"
#include "support/bench_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using benchsupport::CpuSeconds;
using benchsupport::CpuSecondsOf;
using benchsupport::RssKiB;

std::mutex g_mutex;
std::set<int> g_loggedIn;

int OnStatus(int handle, int event, int, void*) {
  std::lock_guard lock(g_mutex);
  if (event == NETSDK_EVENT_LOGIN_OK) g_loggedIn.insert(handle);
  return 0;
}

// Runs the event loop until done() or limit seconds; false on the limit.
template <typename Done>
bool Until(Done done, double limitSeconds) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > limitSeconds * 1000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// One stream played without a window: the player's pictures counted.
struct CountingStream {
  std::atomic<int> previewHandle{0};
  std::atomic<int> port{0};
  std::atomic<int> pictures{0};
  KMR_VIDEO_SINK sink{&CountingStream::OnPicture, nullptr, this};

  static void OnPicture(void* context, const KMR_PICTURE*) {
    ++static_cast<CountingStream*>(context)->pictures;
  }
  static int OnStream(int, int dataKind, const unsigned char* data, int size,
                      const NETSDK_FRAME_INFO* frame) {
    auto* stream = static_cast<CountingStream*>(frame->user);
    if (stream->previewHandle.load() <= 0) return -1;
    if (dataKind == sdk::kStreamHeader) {
      preview::OpenPort(stream->port.load(), data, size, false, &stream->sink);
    } else {
      preview::FeedFrame(stream->port.load(), dataKind, data, size, *frame);
    }
    return 0;
  }
};

struct Sample {
  double cpu = 0;
  double simulatorCpu = 0;
  long rss = 0;
  long simulatorRss = 0;
  Clock::time_point at;
};

Sample Take(pid_t simulator) {
  return {CpuSeconds(), CpuSecondsOf(simulator), RssKiB(), RssKiB(std::to_string(simulator)),
          Clock::now()};
}

void Report(const char* what, int count, double units, const Sample& idle, const Sample& from,
            const Sample& to) {
  const double seconds = std::chrono::duration<double>(to.at - from.at).count();
  std::printf(
      "  %-22s %6.1f pictures/s each | program CPU %5.2f %% of a core each (%5.1f %% in all), "
      "simulator %5.2f %% each | memory each: program %6.0f KiB, simulator %5.0f KiB\n",
      what, units / count / seconds, 100 * (to.cpu - from.cpu) / seconds / count,
      100 * (to.cpu - from.cpu) / seconds,
      100 * (to.simulatorCpu - from.simulatorCpu) / seconds / count,
      static_cast<double>(to.rss - idle.rss) / count,
      static_cast<double>(to.simulatorRss - idle.simulatorRss) / count);
}

void Measure(int count, double seconds, bool onvif) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("bench_preview_" + std::to_string(getpid()) + "_" + std::to_string(count));
  std::filesystem::create_directories(dir);
  const std::string scenario = (dir / "lan.txt").string();
  std::ofstream(scenario) << "defaults login_ms=5 search_ms=50\nfleet count=" << count
                          << " nvr=0\n";
  const std::string endpoint = "127.0.0.1:" + std::to_string(benchsupport::FreePort());
  const pid_t simulator = benchsupport::StartCamsim(scenario, endpoint, onvif);
  if (simulator == 0) {
    std::fprintf(stderr, "cannot start camsim\n");
    std::exit(1);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  if (onvif) {
    const std::string credentials = (dir / "credentials").string();
    std::ofstream(credentials) << "admin:Admin123\n";
    IP_NET_DVR_SetOption("backend", "onvif");
    IP_NET_DVR_SetOption("probe", endpoint.c_str());
    IP_NET_DVR_SetOption("credentials", credentials.c_str());
  }
  IP_NET_DVR_Init();
  IP_NET_DVR_SetEndpoint(endpoint.c_str());
  IP_NET_DVR_SetStatusEventCallBack(&OnStatus, nullptr);

  IP_NET_DVR_StartSearchIPC();
  Until([&] { return IP_NET_DVR_GetSearchIPCCount() >= count; }, 30);
  IP_NET_DVR_StopSearchIPC();
  std::vector<std::unique_ptr<discovery::DeviceRecord>> records;
  for (int i = 0; i < IP_NET_DVR_GetSearchIPCCount(); ++i) {
    sdk::DeviceInfoBlock block;
    if (IP_NET_DVR_GetIPCInfo(i, block.data()) != 0) continue;
    auto record = std::make_unique<discovery::DeviceRecord>();
    record->ResetFrom(block);
    record->loginHandle = IP_NET_DVR_Login(block.Ip().c_str(), block.Port(), block.User().c_str(),
                                           block.Password().c_str(), nullptr);
    records.push_back(std::move(record));
  }
  Until(
      [&] {
        std::lock_guard lock(g_mutex);
        return g_loggedIn.size() >= records.size();
      },
      30);
  for (auto& record : records) record->loginState = discovery::kLoginConfirmed;
  std::printf("%zu streams (%zu logins):\n", records.size(), g_loggedIn.size());
  const Sample idle = Take(simulator);

  // The library and the player alone.
  {
    std::vector<std::unique_ptr<CountingStream>> streams;
    int port = 20000;
    for (auto& record : records) {
      auto stream = std::make_unique<CountingStream>();
      stream->port = ++port;
      stream->previewHandle =
          preview::StartPreview(*record, &CountingStream::OnStream, stream.get());
      streams.push_back(std::move(stream));
    }
    const auto total = [&] {
      int sum = 0;
      for (const auto& stream : streams) sum += stream->pictures.load();
      return sum;
    };
    // The simulator encodes each clip on first play: wait until every stream shows pictures.
    Until(
        [&] {
          return std::all_of(streams.begin(), streams.end(),
                             [](const auto& stream) { return stream->pictures.load() > 0; });
        },
        60);
    const Sample from = Take(simulator);
    const int before = total();
    Until([] { return false; }, seconds);
    const Sample to = Take(simulator);
    Report("library + player:", static_cast<int>(streams.size()), total() - before, idle, from, to);
    for (auto& stream : streams) preview::StopPreview(stream->previewHandle, stream->port);
  }

  // The grid window over the same logins.
  {
    std::vector<discovery::DeviceRecord*> shown;
    for (auto& record : records) shown.push_back(record.get());
    preview::CMULPLay grid(shown);
    grid.show();
    const auto pictures = [&] {
      int sum = 0;
      for (int i = 0; i < grid.DeviceCount(); ++i)
        sum += grid.Slot(i).pane->Surface().PicturesShown();
      return sum;
    };
    Until(
        [&] {
          for (int i = 0; i < grid.DeviceCount(); ++i)
            if (grid.Slot(i).pane->Surface().PicturesShown() == 0) return false;
          return true;
        },
        60);
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start(5);
    const Sample from = Take(simulator);
    const int before = pictures();
    Until([] { return false; }, seconds);
    const Sample to = Take(simulator);
    ticker.stop();
    Report("grid window:", grid.DeviceCount(), pictures() - before, idle, from, to);
    std::printf("  grid %d x %d panes of %d x %d pixels; window thread's longest stall %lld ms\n",
                preview::GridSize(grid.DeviceCount()), preview::GridSize(grid.DeviceCount()),
                grid.Slot(0).pane->width(), grid.Slot(0).pane->height(),
                static_cast<long long>(longestGap));
    grid.DestroyWindow();
  }

  for (auto& record : records) IP_NET_DVR_Logout(record->loginHandle.load());
  IP_NET_DVR_Cleanup();
  {
    std::lock_guard lock(g_mutex);
    g_loggedIn.clear();
  }
  benchsupport::StopCamsim(simulator);
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<std::string> numbers;
  bool onvif = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--onvif") == 0) {
      onvif = true;
    } else {
      numbers.emplace_back(argv[i]);
    }
  }
  const double seconds = numbers.empty() ? 10 : std::atof(numbers[0].c_str());
  std::vector<int> counts;
  for (std::size_t i = 1; i < numbers.size(); ++i) counts.push_back(std::atoi(numbers[i].c_str()));
  if (counts.empty()) counts = {16, 64, 250};
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  std::printf(
      "preview bench: %.0f s per figure, real speed, %s cameras, screen %d x %d, %u cores\n",
      seconds, onvif ? "ONVIF" : "framed", screen.width(), screen.height(),
      std::thread::hardware_concurrency());
  IP_KMR_Init();
  for (int count : counts) Measure(count, seconds, onvif);
  return 0;
}
