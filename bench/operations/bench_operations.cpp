// The batch instructions, the firmware upgrade and the configuration push on 250 simulated
// devices at real speed (clock factor 1) with short device timings, through the real main window
// on Qt's offscreen platform. Each is measured from button 1014 to the end of its run and set
// against its floor: the fixed waits of the instruction plus one device round trip for every
// library call it makes one after another. The IP pass and the upgrade also report the longest
// time the window thread went without a turn of its event loop, where it paints.
//   bench_operations            every instruction on the simulator's framed devices
//   bench_operations --push     the search and the configuration pushes only
//   bench_operations --onvif    the same to ONVIF cameras (camsim's ONVIF face, model A)
#include <sys/resource.h>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>

#include "app/main_window_controls.h"
#include "app/ravendock_dlg.h"
#include "batch/engine.h"
#include "batch/instruction_table.h"
#include "batch/run_controller.h"
#include "config/config_fields.h"
#include "config/config_set.h"
#include "discovery/device_table.h"
#include "platform/dialog_service.h"
#include "platform/host_address.h"
#include "sim/simulator.h"
#include "ui/report_ctrl.h"
#include "wire/firmware.h"

namespace {

constexpr int kDevices = 250;
// One device round trip: the simulator answers a command after this many milliseconds.
constexpr double kAnswerMs = 5;

camsim::Scenario ShortTimedFleet() {
  camsim::Scenario scenario;
  for (int i = 0; i < kDevices; ++i) {
    camsim::DeviceConfig device;
    device.serial = "BN" + std::to_string(10000 + i);
    device.ip = "192.168." + std::to_string(10 + i / 200) + "." + std::to_string(10 + i % 200);
    device.mac = "02:00:00:00:" + std::to_string(10 + i / 100) + ":" + std::to_string(i % 100);
    device.sd1 = 30436;
    device.timings.loginMs = kAnswerMs;
    device.timings.answerMs = kAnswerMs;
    device.timings.searchMs = 10 + i % 50;
    device.timings.rebootMs = 300;
    device.timings.restoreMs = 300;
    device.timings.formatMs = 50;
    device.timings.checkMs = 50;
    device.timings.upgradeRestartMs = 300;
    device.timings.rateKiBps = 0;  // the transfer as fast as loopback carries it
    scenario.devices.push_back(device);
  }
  return scenario;
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

bool RunEventsUntil(const std::function<bool()>& done, int limitMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

// The window thread's turns of its event loop, where it can paint: a 5 ms timer on it, and the
// longest gap between two of its ticks.
class LoopWatch {
 public:
  void Start() {
    m_clock.start();
    m_last = 0;
    m_longest = 0;
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      const qint64 now = m_clock.elapsed();
      m_longest = std::max(m_longest, now - m_last);
      m_last = now;
    });
    m_timer.start(5);
  }
  void Stop() { m_timer.stop(); }
  qint64 LongestGapMs() const { return m_longest; }

 private:
  QTimer m_timer;
  QElapsedTimer m_clock;
  qint64 m_last = 0;
  qint64 m_longest = 0;
};

class Bench {
 public:
  explicit Bench(CRavendockDlg& window) : m_window(window) {}

  void Choose(std::initializer_list<int> rows) {
    for (int row = 0; row < batch::kInstructionCount; ++row)
      m_window.CheckDlgButton(app::InstructionCheckBox(row), false);
    for (int row : rows) m_window.CheckDlgButton(app::InstructionCheckBox(row), true);
  }

  // Seconds from button 1014 to the end of the run; negative when it did not end. onTurn runs
  // on every turn of the event loop meanwhile.
  double Run(
      std::initializer_list<int> rows, const std::function<void()>& onTurn = [] {}) {
    Choose(rows);
    QElapsedTimer elapsed;
    elapsed.start();
    m_window.DlgItem<QPushButton>(1014)->click();
    const bool ended = RunEventsUntil(
        [&] {
          onTurn();
          return !m_window.Runs().IsRunning();
        },
        600000);
    return ended ? static_cast<double>(elapsed.nsecsElapsed()) / 1e9 : -1;
  }

  void Report(const char* name, double measured, double floor) {
    std::printf("%-10s %7.2f s, floor %7.2f s, measured / floor %.3f\n", name, measured, floor,
                measured / floor);
  }

 private:
  CRavendockDlg& m_window;
};

// One 16 MiB file to every device at once. Floor: one device's course, since the devices run
// side by side: the version before, the transfer, the check, the pause before the logout, the
// first login 15 s after the restart, the version after and the pause after the verdict.
void MeasureUpgrade(CRavendockDlg& window, Bench& bench, camsim::Simulator& simulator,
                    const QString& file) {
  constexpr std::size_t kFirmwareBytes = 16u << 20;
  const std::vector<std::uint8_t> payload(kFirmwareBytes, 0x5A);
  const auto bytes = wire::BuildFirmware("V9.0.0 bench", "", payload);
  std::ofstream(file.toStdString(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  window.SetDlgItemText(1005, file);
  const long rssBefore = PeakRssKiB();
  LoopWatch loop;
  loop.Start();
  const double upgrade = bench.Run({batch::kRowUpgrade});
  loop.Stop();
  // The transfers: from the first upload's start to the last device's check, less the check.
  double firstStart = 1e300;
  double lastCheck = 0;
  for (const camsim::JournalEntry& entry : simulator.GetJournal().Entries()) {
    if (entry.code == 1008) firstStart = std::min(firstStart, entry.timeMs);
    if (entry.code == 1009) lastCheck = std::max(lastCheck, entry.timeMs);
  }
  const double transferSeconds = (lastCheck - 50.0 - firstStart) / 1000.0;
  const double floor = 2 * (kAnswerMs / 1000.0) + 0.05 + 0.5 + 15.0 + 1.0;
  bench.Report("upgrade", upgrade, floor);
  std::printf(
      "upgrade: %s succeeded, %s failed; %d devices x 16 MiB in %.2f s = %.0f MiB/s on "
      "loopback; peak memory of the process %ld MiB before, %ld MiB after; longest gap "
      "between two turns of the window's event loop %lld ms\n",
      window.GetDlgItemText(1026).toUtf8().constData(),
      window.GetDlgItemText(1027).toUtf8().constData(), kDevices, transferSeconds,
      kDevices * 16.0 / transferSeconds, rssBefore / 1024, PeakRssKiB() / 1024,
      static_cast<long long>(loop.LongestGapMs()));
  std::fflush(stdout);
}

int ProcessThreads() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
  }
  return 0;
}

// The fourteen groups other than Ethernet to every device at once. Floor: one device's fixed
// waits, the devices running side by side: per group 1 s before the call, one acknowledgement
// poll and 1 s after, and the 20 s restart count after video capture, video encoding and audio
// encoding. A group the devices refuse is tried once more after a 15 s pause.
constexpr config::Int32Field kFourteenGroups[] = {
    config::kCloudGroupFlag,       config::kFtpGroupFlag,           config::kSmtpGroupFlag,
    config::kStreamingGroupFlag,   config::kPlatformGroupFlag,      config::kVideoCaptureGroupFlag,
    config::kTimeTitleGroupFlag,   config::kVideoEncodeGroupFlag,   config::kAudioEncodeGroupFlag,
    config::kMotionGroupFlag,      config::kAccountGroupFlag,       config::kClockGroupFlag,
    config::kMaintenanceGroupFlag, config::kDeviceLanguageGroupFlag};
// The eight of them that ONVIF carries, three of them with the restart count.
constexpr config::Int32Field kOnvifGroups[] = {
    config::kStreamingGroupFlag,   config::kVideoCaptureGroupFlag, config::kTimeTitleGroupFlag,
    config::kVideoEncodeGroupFlag, config::kAudioEncodeGroupFlag,  config::kMotionGroupFlag,
    config::kAccountGroupFlag,     config::kClockGroupFlag};

template <std::size_t N>
void MeasurePush(Bench& bench, const char* name, const config::Int32Field (&groups)[N],
                 double floor) {
  config::ConfigSet& set = config::ProcessConfigSet();
  for (config::Int32Field flag : kFourteenGroups) set.Set(flag, 0);
  for (config::Int32Field flag : groups) set.Set(flag, 1);
  // Values every device can take, over either protocol: ports, a time server, a password, and a
  // second stream in a size the cameras offer (VGA).
  set.Set(config::kStreamingVideoPort, 554);
  set.Set(config::kStreamingWEBPort, 80);
  set.Set(config::kClockServerIP, QStringLiteral("192.168.1.2"));
  set.Set(config::kAccountPassword, QStringLiteral("Bench123"));
  set.Set(config::kAccountPasswordConfirm, QStringLiteral("Bench123"));
  set.Set(config::kVideoEncodeSubStream.resolution, 14);
  int peakThreads = 0;
  const double push = bench.Run({batch::kRowOtherSettings}, [&peakThreads] {
    peakThreads = std::max(peakThreads, ProcessThreads());
  });
  bench.Report(name, push, floor);
  std::printf(
      "%s: %d threads at peak (one per device besides the program's, the library's and "
      "the simulator's), peak memory of the process %ld MiB\n",
      name, peakThreads, PeakRssKiB() / 1024);
  std::fflush(stdout);
}

void MeasurePushes(Bench& bench, bool onvif) {
  // A group takes 3 s of fixed waits when it is acknowledged. Over ONVIF the six groups without a
  // counterpart fail at once, each attempt after the same 3 s, and the push pauses 15 s after
  // each of the two failures.
  MeasurePush(bench, "push", kFourteenGroups,
              14 * 3.0 + 3 * 20.0 + (onvif ? 6 * (3.0 + 2 * 15.0) : 0.0));
  MeasurePush(bench, "push 8", kOnvifGroups, 8 * 3.0 + 3 * 20.0);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTemporaryDir directory;
  platform::ScriptedDialogs dialogs;
  platform::SetDialogService(&dialogs);
  platform::SetPcAddressForTesting("192.168.1.3");

  // --push: the search and the pushes only; --onvif: the same to ONVIF cameras.
  const bool onvif = argc > 1 && std::strcmp(argv[argc - 1], "--onvif") == 0;
  const bool pushOnly = onvif || (argc > 1 && std::strcmp(argv[1], "--push") == 0);
  camsim::Simulator simulator(ShortTimedFleet(),
                              onvif ? camsim::Protocol::kOnvif : camsim::Protocol::kFramed);
  std::string error;
  if (!simulator.Start("127.0.0.1:0", &error)) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return 1;
  }
  IP_NET_DVR_SetEndpoint(simulator.Endpoint().c_str());
  const std::string credentials = directory.filePath(QStringLiteral("credentials")).toStdString();
  if (onvif) {
    std::ofstream(credentials) << "admin:Admin123\n";
    IP_NET_DVR_SetOption("backend", "onvif");
    IP_NET_DVR_SetOption("probe", simulator.Endpoint().c_str());
    IP_NET_DVR_SetOption("credentials", credentials.c_str());
  }

  auto window = std::make_unique<CRavendockDlg>(directory.path());
  window->OnInitDialog();
  window->show();
  window->DlgItem<QComboBox>(1020)->setCurrentIndex(kDevices - 1);
  window->OnSelchangeExpectedCount();
  window->DlgItem<QComboBox>(1038)->setCurrentIndex(0);
  window->OnSelchangeFormatTimeout();
  Bench bench(*window);

  const double search = bench.Run({batch::kRowSearch});
  std::printf("%d devices listed in %.2f s\n", window->Devices().TotalCount(), search);
  if (window->Devices().TotalCount() != kDevices) return 1;
  if (pushOnly) {
    MeasurePushes(bench, onvif);
    window.reset();
    platform::SetDialogService(nullptr);
    return 0;
  }

  const double roundTrip = kAnswerMs / 1000.0;
  // The pass first: the restore would bring every device back at one factory address.
  LoopWatch loop;
  loop.Start();
  double passEnd = 0;
  QElapsedTimer passClock;
  passClock.start();
  const double pass = bench.Run({batch::kRowModifyIp}, [&] {
    // Up to the re-search, which clears the table.
    if (passEnd == 0 && window->DeviceList().GetItemCount() == 0) {
      passEnd = static_cast<double>(passClock.nsecsElapsed()) / 1e9;
      loop.Stop();
    }
  });
  std::printf(
      "IP pass of %d devices: %.2f s to the re-search (floor %.2f s), whole run %.2f s; "
      "longest gap between two turns of the window's event loop %lld ms\n",
      kDevices, passEnd, kDevices * (0.4 + roundTrip) + 4.0, pass,
      static_cast<long long>(loop.LongestGapMs()));
  std::fflush(stdout);

  // The first time sync also logs every device in; the second finds them logged in.
  const double withLogins = bench.Run({batch::kRowSetTime});
  std::printf("time sync with the batch login of %d devices: %.2f s\n", kDevices, withLogins);
  bench.Report("time sync", bench.Run({batch::kRowSetTime}), 2.0 + roundTrip + 2.0);
  // Storage: one wait round for the answers, then the pause; format: one round, then the pause.
  bench.Report("format", bench.Run({batch::kRowFormatSd1}), 1.0 + 1.5 + 1.0 + 1.5);
  // RebootDVR waits for each device's answer.
  bench.Report("reboot", bench.Run({batch::kRowReboot}), kDevices * roundTrip + 2.0);
  // The devices are back and logged in again before the upgrade and the restore.
  RunEventsUntil([] { return false; }, 3000);
  MeasureUpgrade(*window, bench, simulator, directory.filePath(QStringLiteral("fw.bin")));
  MeasurePushes(bench, false);
  bench.Report("restore", bench.Run({batch::kRowRestore}), kDevices * roundTrip + 10.0 + 2.0 + 1.5);
  window.reset();
  platform::SetDialogService(nullptr);
  return 0;
}
