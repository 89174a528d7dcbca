// A simulated camera network for end-to-end tests: the camera simulator on a free loopback port,
// the device library pointed at it, and one sped-up clock for the program, the library and the
// simulator. With ONVIF the library's ONVIF backend probes the simulator and tries the devices'
// default credential, unless the test leaves those settings to the program (onvifOptions false).
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "netsdk.h"
#include "platform/clock.h"
#include "sim/simulator.h"

namespace testsupport {

constexpr double kTestSpeedFactor = 25.0;

class SimNetwork {
 public:
  explicit SimNetwork(camsim::Scenario scenario, double speed = kTestSpeedFactor,
                      camsim::Protocol protocol = camsim::Protocol::kFramed,
                      bool onvifOptions = true)
      : m_simulator(std::make_unique<camsim::Simulator>(std::move(scenario), protocol)) {
    platform::SetSpeedFactor(speed);
    m_simulator->SetTimeScale(speed);
    std::string error;
    m_started = m_simulator->Start("127.0.0.1:0", &error);
    EXPECT_TRUE(m_started) << error;
    IP_NET_DVR_SetTimeScale(speed);
    IP_NET_DVR_SetEndpoint(m_simulator->Endpoint().c_str());
    if (protocol == camsim::Protocol::kOnvif && onvifOptions) {
      char path[] = "/tmp/ravendock-credentials-XXXXXX";
      const int file = mkstemp(path);
      EXPECT_GE(file, 0);
      if (file >= 0) close(file);
      m_credentials = path;
      std::ofstream(m_credentials) << "admin:Admin123\n";
      IP_NET_DVR_SetOption("backend", "onvif");
      IP_NET_DVR_SetOption("probe", m_simulator->Endpoint().c_str());
      IP_NET_DVR_SetOption("credentials", m_credentials.c_str());
    }
    IP_NET_DVR_Init();
  }

  ~SimNetwork() {
    IP_NET_DVR_Cleanup();
    if (!m_credentials.empty()) std::remove(m_credentials.c_str());
    m_simulator->Stop();
    IP_NET_DVR_SetTimeScale(1.0);
    platform::SetSpeedFactor(1.0);
  }

  SimNetwork(const SimNetwork&) = delete;
  SimNetwork& operator=(const SimNetwork&) = delete;

  camsim::Simulator& simulator() { return *m_simulator; }
  bool started() const { return m_started; }

 private:
  std::unique_ptr<camsim::Simulator> m_simulator;
  bool m_started = false;
  std::string m_credentials;
};

// count cameras with serials SN<base>.., addresses 192.168.1.<10 + i>.
inline camsim::Scenario Cameras(int count, int firstHost = 10) {
  camsim::Scenario scenario;
  for (int i = 0; i < count; ++i) {
    camsim::DeviceConfig device;
    device.serial = "SN" + std::to_string(1000 + i);
    device.ip = "192.168.1." + std::to_string(firstHost + i);
    device.mac = "00:11:22:33:44:" + std::to_string(10 + i);
    device.timings.searchMs = 100 + 20 * i;
    scenario.devices.push_back(device);
  }
  return scenario;
}

}  // namespace testsupport
