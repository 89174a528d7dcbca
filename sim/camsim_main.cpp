// camsim: the virtual LAN of cameras on loopback, until Ctrl-C.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/command_line.h"
#include "sim/simulator.h"

namespace {

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "camsim: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  camsim::CommandLine line;
  std::string error;
  if (!camsim::ParseCommandLine(args, &line, &error)) {
    std::fprintf(stderr, "camsim: %s\n%s", error.c_str(), camsim::Usage().c_str());
    return 2;
  }
  if (line.mode == camsim::CommandLine::Mode::kHelp) {
    std::fputs(camsim::Usage().c_str(), stdout);
    return 0;
  }
  if (line.mode == camsim::CommandLine::Mode::kMakeFirmware) {
    if (!camsim::WriteFirmwareFile(line.firmware, &error)) return Fail(error, 1);
    std::printf("camsim: wrote %s (version %s)\n", line.firmware.outPath.c_str(),
                line.firmware.version.c_str());
    return 0;
  }

  camsim::Scenario scenario;
  if (!camsim::BuildScenario(line.serve, &scenario, &error)) return Fail(error, 2);
  const std::size_t devices = scenario.devices.size();

  // Ctrl-C and SIGTERM are taken by sigwait below: blocked before any thread exists, so that no
  // thread of the simulator is interrupted by them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  const bool onvif = line.serve.protocol == camsim::Protocol::kOnvif;
  camsim::Simulator simulator(std::move(scenario), line.serve.protocol);
  simulator.SetTimeScale(line.serve.timeScale);
  if (!line.serve.journalPath.empty() &&
      !simulator.GetJournal().WriteTo(line.serve.journalPath, &error)) {
    return Fail(error, 1);
  }
  if (!simulator.Start(line.serve.listen, &error)) return Fail(error, 1);
  const std::string rtsp =
      onvif ? ", streams on RTSP port " + std::to_string(simulator.RtspPort()) : std::string();
  std::printf("camsim: serving %zu %sdevices on %s%s (time scale %g); Ctrl-C stops\n", devices,
              onvif ? "ONVIF " : "", simulator.Endpoint().c_str(), rtsp.c_str(),
              line.serve.timeScale);
  std::fflush(stdout);

  int signal = 0;
  sigwait(&stopSignals, &signal);
  simulator.Stop();
  std::printf("camsim: stopped\n");
  return 0;
}
