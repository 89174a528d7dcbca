// Scenario files and the default fleet.
#include <gtest/gtest.h>

#include <set>

#include "sim/scenario.h"

namespace {

using camsim::ParseScenario;
using camsim::Scenario;

TEST(Scenario, DirectivesBuildDevicesWithDefaultsAndFaults) {
  const std::string text = R"(# two cameras and a recorder
defaults password=secret rate_kib=512 reboot_ms=9000
device serial=CAM-1 ip=192.168.1.10 type=IPC-R4B sd1=30436 allnet=0xFF allnet_state=1 audio=1
device serial=CAM-2 ip=192.168.1.11 user="field user" version="V5.6.1 build 2026"  # quoted
device serial=NVR-1 ip=192.168.1.20 type=NVR port=8000
fault serial=CAM-1 kind=ignore-code code=1012
fault serial=CAM-2 kind=stall-transfer at=30
fault serial=CAM-2 kind=drop on=1014
fault serial=* kind=refuse-code code=822
fault serial=CAM-1 kind=restore-to ip=10.0.0.9
fault serial=CAM-1 kind=no-stream
fault serial=CAM-2 kind=bad-header
fault serial=CAM-2 kind=corrupt-frames
)";
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario(text, "lan.txt", &scenario, &error)) << error;
  ASSERT_EQ(scenario.devices.size(), 3u);
  const camsim::DeviceConfig& first = scenario.devices[0];
  EXPECT_EQ(first.deviceType, "IPC-R4B");
  EXPECT_EQ(first.password, "secret");
  EXPECT_EQ(first.timings.rateKiBps, 512);
  EXPECT_EQ(first.timings.rebootMs, 9000);
  EXPECT_EQ(first.allNetSupport, 0xFF);
  EXPECT_EQ(first.allNetState, 1);
  EXPECT_EQ(first.sd1, 30436);
  EXPECT_FALSE(first.mac.empty()) << "a MAC address is made up when none is given";
  EXPECT_EQ(first.faults.ignoreCodes.count(1012), 1u);
  EXPECT_EQ(first.faults.restoreIp, "10.0.0.9");
  EXPECT_TRUE(first.hasAudio);
  EXPECT_TRUE(first.faults.noStream);
  EXPECT_FALSE(scenario.devices[1].hasAudio);
  EXPECT_TRUE(scenario.devices[1].faults.badHeader);
  EXPECT_TRUE(scenario.devices[1].faults.corruptFrames);
  EXPECT_EQ(scenario.devices[1].user, "field user");
  EXPECT_EQ(scenario.devices[1].version, "V5.6.1 build 2026");
  EXPECT_EQ(scenario.devices[1].faults.stallAtPercent, 30);
  EXPECT_EQ(scenario.devices[1].faults.dropSteps.count("1014"), 1u);
  EXPECT_EQ(scenario.devices[2].port, 8000);
  for (const auto& device : scenario.devices) EXPECT_EQ(device.faults.refuseCodes.count(822), 1u);
}

TEST(Scenario, ErrorsNameTheLineAndTheReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"device serial=A ip=1.2.3.4\ndevice serial=B ip=1.2.3.300",
       "lan.txt:2: ip: '1.2.3.300' is not an IPv4 address"},
      {"\n\ndevice serial=A ip=1.2.3.4 colour=red", "lan.txt:3: unknown key 'colour' for device"},
      {"device serial=A ip=1.2.3.4\ndevice serial=A ip=1.2.3.5", "lan.txt:2: duplicate serial 'A'"},
      {"device ip=1.2.3.4", "lan.txt:1: device without serial"},
      {"device serial=A ip=1.2.3.4 port=70000",
       "lan.txt:1: port: '70000' is not a number from 1 to 65535"},
      {"device serial=0123456789012345678901234567890123 ip=1.2.3.4",
       "lan.txt:1: serial: longer than 31 characters"},
      {"fault serial=X kind=fail-format", "lan.txt:1: fault for unknown device 'X'"},
      {"device serial=A ip=1.2.3.4\nfault serial=A kind=explode",
       "lan.txt:2: unknown fault kind 'explode'"},
      {"device serial=A ip=1.2.3.4\nfault serial=A kind=ignore-code",
       "lan.txt:2: ignore-code needs code=N"},
      {"device serial=\"A ip=1.2.3.4", "lan.txt:1: unterminated quote"},
      {"cameras 5",
       "lan.txt:1: unknown directive 'cameras' (expected defaults, device, fleet or fault)"},
      {"defaults serial=A", "lan.txt:1: unknown key 'serial' for defaults"},
      {"device serial=A ip=1.2.3.4 login_ms=-5",
       "lan.txt:1: login_ms: '-5' is not a duration in ms"},
  };
  for (const auto& [text, expected] : cases) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(ParseScenario(text, "lan.txt", &scenario, &error)) << text;
    EXPECT_EQ(error, expected);
  }
  std::string error;
  Scenario scenario;
  EXPECT_FALSE(camsim::LoadScenario("/nonexistent/lan.txt", &scenario, &error));
  EXPECT_EQ(error, "/nonexistent/lan.txt: cannot be read");
}

TEST(Scenario, DefaultFleetIsTwentyFourVariedCamerasAndOneNvr) {
  const Scenario fleet = camsim::DefaultFleet();
  ASSERT_EQ(fleet.devices.size(), 25u);
  std::set<std::string> serials, addresses, macs;
  int nvrs = 0, withSd2 = 0, withUsb = 0, withoutStorage = 0, allNetOn = 0, allNetOff = 0,
      noAllNet = 0;
  for (const auto& device : fleet.devices) {
    serials.insert(device.serial);
    addresses.insert(device.ip);
    macs.insert(device.mac);
    nvrs += device.deviceType == "NVR";
    withSd2 += device.sd2 > 0;
    withUsb += device.usb > 0;
    withoutStorage += device.sd1 == 0 && device.sd2 == 0 && device.usb == 0;
    allNetOn += device.allNetSupport == 0xFF && device.allNetState != 0;
    allNetOff += device.allNetSupport == 0xFF && device.allNetState == 0;
    noAllNet += device.allNetSupport != 0xFF;
    EXPECT_GE(device.timings.searchMs, 100);
    EXPECT_LE(device.timings.searchMs, 1000);
  }
  EXPECT_EQ(serials.size(), 25u);
  EXPECT_EQ(addresses.size(), 25u);
  EXPECT_EQ(macs.size(), 25u);
  EXPECT_EQ(nvrs, 1);
  for (int count : {withSd2, withUsb, withoutStorage, allNetOn, allNetOff, noAllNet}) {
    EXPECT_GT(count, 0);
  }
  // 250 cameras still get addresses of their own, and two fleets in one file do not collide.
  const Scenario large = camsim::DefaultFleet(250, false);
  std::set<std::string> largeAddresses;
  for (const auto& device : large.devices) {
    largeAddresses.insert(device.ip);
    EXPECT_NE(device.ip, "192.168.1.123");
    EXPECT_NE(device.ip, "192.168.0.123");
  }
  EXPECT_EQ(largeAddresses.size(), 250u);
  Scenario two;
  std::string error;
  EXPECT_TRUE(ParseScenario("fleet count=3\nfleet count=2 nvr=0", "x", &two, &error)) << error;
  EXPECT_EQ(two.devices.size(), 6u);
}

}  // namespace
