#include "sim/command_line.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>

#include "wire/endpoint.h"
#include "wire/firmware.h"

namespace camsim {
namespace {

constexpr std::size_t kMaxFirmwarePayload = 256u * 1024 * 1024;

bool ParseSize(const std::string& text, std::size_t max, std::size_t* value) {
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || number > max) {
    return false;
  }
  *value = number;
  return true;
}

// Takes the value of an option that needs one.
bool Value(const std::vector<std::string>& args, std::size_t* i, std::string* value,
           std::string* error) {
  if (*i + 1 >= args.size()) {
    *error = args[*i] + " needs a value";
    return false;
  }
  *value = args[++*i];
  return true;
}

bool ParseMakeFirmware(const std::vector<std::string>& args, FirmwareOptions* options,
                       std::string* error) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string value;
    const std::string& arg = args[i];
    if (arg == "--version" || arg == "--type" || arg == "--size") {
      if (!Value(args, &i, &value, error)) return false;
      if (arg == "--version") {
        options->version = value;
      } else if (arg == "--type") {
        options->deviceType = value;
      } else if (!ParseSize(value, kMaxFirmwarePayload, &options->payloadBytes)) {
        *error = "--size: '" + value + "' is not a byte count up to 256 MiB";
        return false;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      *error = "unknown option '" + arg + "' for make-firmware";
      return false;
    } else if (options->outPath.empty()) {
      options->outPath = arg;
    } else {
      *error = "make-firmware takes one output file";
      return false;
    }
  }
  if (options->version.empty() || options->version.size() >= wire::kFirmwareVersionSize) {
    *error = "make-firmware needs --version TEXT (1 to 63 characters)";
    return false;
  }
  if (options->deviceType.size() >= wire::kFirmwareTypeSize) {
    *error = "--type: at most 35 characters";
    return false;
  }
  if (options->outPath.empty()) {
    *error = "make-firmware needs an output file";
    return false;
  }
  return true;
}

bool ParseServe(const std::vector<std::string>& args, ServeOptions* options, std::string* error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--onvif") {
      options->protocol = Protocol::kOnvif;
      continue;
    }
    if (arg != "--listen" && arg != "--scenario" && arg != "--count" && arg != "--time-scale" &&
        arg != "--journal") {
      *error = "unknown argument '" + arg + "'";
      return false;
    }
    if (!Value(args, &i, &value, error)) return false;
    if (arg == "--listen") {
      wire::Endpoint endpoint;
      std::string why;
      if (!wire::ParseLoopbackEndpoint(value, true, &endpoint, &why)) {
        *error = "--listen " + value + ": " + why +
                 "; the virtual LAN is served on loopback only (127.0.0.0/8)";
        return false;
      }
      options->listen = value;
    } else if (arg == "--scenario") {
      options->scenarioPath = value;
    } else if (arg == "--count") {
      std::size_t count = 0;
      if (!ParseSize(value, 1000, &count)) {
        *error = "--count: '" + value + "' is not a number from 0 to 1000";
        return false;
      }
      options->count = static_cast<int>(count);
    } else if (arg == "--time-scale") {
      char* end = nullptr;
      options->timeScale = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || *end != '\0' || !std::isfinite(options->timeScale) ||
          options->timeScale <= 0) {
        *error = "--time-scale: '" + value + "' is not a positive number";
        return false;
      }
    } else {
      options->journalPath = value;
    }
  }
  if (!options->scenarioPath.empty() && options->count >= 0) {
    *error = "--count sizes the default fleet; a scenario file lists its own devices";
    return false;
  }
  return true;
}

}  // namespace

std::string Usage() {
  return "usage: camsim [--listen ADDR:PORT] [--scenario FILE | --count N] [--time-scale F]\n"
         "              [--journal FILE] [--onvif]\n"
         "       camsim make-firmware --version TEXT [--type TYPE] [--size BYTES] OUT\n"
         "Serves a virtual LAN of cameras on loopback (default " +
         std::string(wire::kDefaultEndpoint) +
         "): 24 cameras and one NVR, or the devices of FILE.\n"
         "With --onvif they speak ONVIF instead: WS-Discovery probes on UDP and HTTP on TCP, both\n"
         "on ADDR:PORT, each device under http://ADDR:PORT/onvif/<its address>/device_service,\n"
         "its stream at rtsp://ADDR:RTSPPORT/onvif/<its address>/main (RTSPPORT: any free port).\n";
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error) {
  *line = CommandLine{};
  line->serve.listen = wire::kDefaultEndpoint;
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    line->mode = CommandLine::Mode::kHelp;
    return true;
  }
  if (!args.empty() && args[0] == "make-firmware") {
    line->mode = CommandLine::Mode::kMakeFirmware;
    return ParseMakeFirmware(args, &line->firmware, error);
  }
  return ParseServe(args, &line->serve, error);
}

bool BuildScenario(const ServeOptions& options, Scenario* scenario, std::string* error) {
  if (!options.scenarioPath.empty()) return LoadScenario(options.scenarioPath, scenario, error);
  *scenario = DefaultFleet(options.count < 0 ? 24 : options.count);
  return true;
}

bool WriteFirmwareFile(const FirmwareOptions& options, std::string* error) {
  // A reproducible payload, so that two files of the same options are the same file.
  std::vector<std::uint8_t> payload(options.payloadBytes);
  std::uint32_t state = 0x2545F491u;
  for (std::uint8_t& byte : payload) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<std::uint8_t>(state);
  }
  const std::vector<std::uint8_t> file =
      wire::BuildFirmware(options.version, options.deviceType, payload);
  std::ofstream out(options.outPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + options.outPath;
    return false;
  }
  return true;
}

}  // namespace camsim
