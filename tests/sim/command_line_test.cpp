// camsim's command line and what it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "sim/command_line.h"
#include "sim/simulator.h"
#include "wire/endpoint.h"
#include "wire/firmware.h"

namespace {

using camsim::CommandLine;

bool Parse(const std::vector<std::string>& args, CommandLine* line, std::string* error) {
  return camsim::ParseCommandLine(args, line, error);
}

TEST(CommandLine, NoArgumentsServeTheDefaultFleetOnTheDefaultEndpoint) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({}, &line, &error)) << error;
  EXPECT_EQ(line.mode, CommandLine::Mode::kServe);
  EXPECT_EQ(line.serve.listen, wire::kDefaultEndpoint);
  camsim::Scenario scenario;
  ASSERT_TRUE(camsim::BuildScenario(line.serve, &scenario, &error));
  EXPECT_EQ(scenario.devices.size(), 25u);

  ASSERT_TRUE(Parse(
      {"--count", "250", "--time-scale", "2.5", "--listen", "127.0.0.2:0", "--journal", "j.jsonl"},
      &line, &error))
      << error;
  EXPECT_EQ(line.serve.count, 250);
  EXPECT_EQ(line.serve.timeScale, 2.5);
  EXPECT_EQ(line.serve.journalPath, "j.jsonl");
  ASSERT_TRUE(camsim::BuildScenario(line.serve, &scenario, &error));
  EXPECT_EQ(scenario.devices.size(), 251u);
}

TEST(CommandLine, RefusesWhatItCannotServeWithAClearReason) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--listen", "0.0.0.0:29120"},
       "--listen 0.0.0.0:29120: '0.0.0.0' is not a loopback address (127.0.0.0/8); the virtual LAN "
       "is served on loopback only (127.0.0.0/8)"},
      {{"--listen", "192.168.1.64:9000"},
       "--listen 192.168.1.64:9000: '192.168.1.64' is not a loopback address (127.0.0.0/8); the "
       "virtual LAN is served on loopback only (127.0.0.0/8)"},
      {{"--count", "many"}, "--count: 'many' is not a number from 0 to 1000"},
      {{"--time-scale", "0"}, "--time-scale: '0' is not a positive number"},
      {{"--scenario"}, "--scenario needs a value"},
      {{"--scenario", "a.txt", "--count", "3"},
       "--count sizes the default fleet; a scenario file lists its own devices"},
      {{"--verbose"}, "unknown argument '--verbose'"},
      {{"make-firmware", "out.bin"}, "make-firmware needs --version TEXT (1 to 63 characters)"},
      {{"make-firmware", "--version", "V1"}, "make-firmware needs an output file"},
  };
  for (const auto& [args, expected] : cases) {
    CommandLine line;
    std::string error;
    EXPECT_FALSE(Parse(args, &line, &error)) << args[0];
    EXPECT_EQ(error, expected);
  }
}

TEST(CommandLine, MakeFirmwareWritesAFileTheDevicesAccept) {
  const std::string path = (std::filesystem::path(::testing::TempDir()) /
                            ("camsim_fw_" + std::to_string(::getpid()) + ".bin"))
                               .string();
  CommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({"make-firmware", "--version", "V5.7.2 build 2027", "--type", "IPC-R4B",
                     "--size", "5000", path},
                    &line, &error))
      << error;
  ASSERT_EQ(line.mode, CommandLine::Mode::kMakeFirmware);
  ASSERT_TRUE(camsim::WriteFirmwareFile(line.firmware, &error)) << error;
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  std::filesystem::remove(path);
  ASSERT_EQ(file.size(), wire::kFirmwareHeaderSize + 5000);
  wire::FirmwareChecker checker;
  checker.Feed(file.data(), file.size());
  EXPECT_EQ(checker.Finish("IPC-R4B"), wire::FirmwareVerdict::kOk);
  EXPECT_EQ(checker.Version(), "V5.7.2 build 2027");
  line.firmware.outPath = "/nonexistent/dir/fw.bin";
  EXPECT_FALSE(camsim::WriteFirmwareFile(line.firmware, &error));
  EXPECT_EQ(error, "cannot write /nonexistent/dir/fw.bin");
}

TEST(CommandLine, BusyPortAndForeignAddressesAreRefusedByTheSimulator) {
  camsim::Simulator first(camsim::DefaultFleet(1));
  std::string error;
  ASSERT_TRUE(first.Start("127.0.0.1:0", &error)) << error;
  camsim::Simulator second(camsim::DefaultFleet(1));
  EXPECT_FALSE(second.Start(first.Endpoint(), &error));
  EXPECT_EQ(error, "cannot listen on " + first.Endpoint() + ": Address already in use");
  camsim::Simulator third(camsim::DefaultFleet(1));
  EXPECT_FALSE(third.Start("10.0.0.1:29120", &error));
  EXPECT_EQ(error,
            "refusing to listen on '10.0.0.1:29120': '10.0.0.1' is not a loopback address "
            "(127.0.0.0/8); the virtual LAN is served on loopback only");
}

}  // namespace
