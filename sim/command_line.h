// camsim's command line:
//   camsim [--listen ADDR:PORT] [--scenario FILE | --count N] [--time-scale F] [--journal FILE]
//          [--onvif]
//   camsim make-firmware --version TEXT [--type TYPE] [--size BYTES] OUT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sim/scenario.h"
#include "sim/simulator.h"

namespace camsim {

struct ServeOptions {
  std::string listen;  // default: the library's default endpoint
  std::string scenarioPath;
  int count = -1;  // cameras of the default fleet; -1 = 24
  double timeScale = 1;
  std::string journalPath;
  Protocol protocol = Protocol::kFramed;
};

struct FirmwareOptions {
  std::string version;
  std::string deviceType;  // empty = any camera
  std::size_t payloadBytes = 1024 * 1024;
  std::string outPath;
};

struct CommandLine {
  enum class Mode { kServe, kMakeFirmware, kHelp };
  Mode mode = Mode::kServe;
  ServeOptions serve;
  FirmwareOptions firmware;
};

std::string Usage();
// args without the program name.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error);
// The scenario file, or the default fleet of options.count cameras.
bool BuildScenario(const ServeOptions& options, Scenario* scenario, std::string* error);
// Writes a valid firmware file with a reproducible payload.
bool WriteFirmwareFile(const FirmwareOptions& options, std::string* error);

}  // namespace camsim
