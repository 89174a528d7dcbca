// The device library against an in-process simulator on a free loopback port, both clocks sped up,
// with every callback recorded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "netsdk.h"
#include "netsdk_settings.h"
#include "sim/simulator.h"

namespace netsdk_test {

constexpr double kScale = 20;
// The third credential the ONVIF backend is given: every character that needs escaping somewhere.
constexpr char kOddPassword[] = "p&<\":@/%x";
// Real-time bound of every wait for an event; generous, as a loaded machine is slow, never a
// statement about speed.
constexpr auto kPatience = std::chrono::seconds(20);

struct StatusEvent {
  int handle;
  int event;
  int value;
};

struct ResponseEvent {
  int handle;
  std::uint32_t code;
  std::string text;
};

// A folder of its own under /tmp for settings files, removed with what it holds.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Writes text to the file name in the folder; returns its path.
  std::string Write(const std::string& name, const std::string& text) const;

 private:
  std::string m_path;
};

// A camera with quick answers and the given serial and address.
camsim::DeviceConfig Camera(const std::string& serial, const std::string& ip);
// count cameras SN01, SN02 ... at 192.168.1.11, 192.168.1.12 ...
camsim::Scenario Cameras(int count);

// Files a test writes, such as firmware images, in a folder of its own that goes with it.
class TestFiles {
 public:
  TestFiles();
  ~TestFiles();
  TestFiles(const TestFiles&) = delete;
  TestFiles& operator=(const TestFiles&) = delete;
  // The path of the file written.
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes);

 private:
  std::filesystem::path m_dir;
};

class LibraryTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Starts the simulator with scenario and the library against it. With ONVIF the library probes
  // the simulator and tries the credentials "admin:wrong", "admin:Admin123" and "admin:" +
  // kOddPassword in that order.
  void Start(camsim::Scenario scenario, double scale = kScale,
             camsim::Protocol protocol = camsim::Protocol::kFramed);
  camsim::Simulator& Sim() { return *m_sim; }

  // Blocks until predicate holds over the recorded events (checked under their lock).
  bool WaitUntil(const std::function<bool()>& predicate,
                 std::chrono::milliseconds patience = kPatience);
  // Polls predicate, for conditions that no callback announces (the simulator's state).
  bool Eventually(const std::function<bool()>& predicate);
  // Waits for an event of handle; false when none came in time.
  bool WaitStatus(int handle, int event, StatusEvent* found = nullptr);
  bool WaitResponse(int handle, std::uint32_t code, ResponseEvent* found = nullptr);
  bool HasStatus(int handle, int event);
  bool HasResponse(int handle, std::uint32_t code);
  std::vector<StatusEvent> Statuses();

  // Searches until count devices answered; false when they did not.
  bool SearchFor(int count);
  // The search result with this serial: its index and block.
  int FindResult(const std::string& serial, std::vector<unsigned char>* block = nullptr);
  // Logs in with the device's published address, port and credentials and waits for event 4.
  int LoginTo(const std::string& serial);
  int LoginAt(const std::string& ip, int port, const std::string& user,
              const std::string& password);

  std::mutex m_mutex;  // the recorded events and the hook
  // Called inside the status callback, on the library's thread, before the event is recorded.
  std::function<void(const StatusEvent&)> m_onStatus;
  std::vector<StatusEvent> m_statuses;
  std::vector<ResponseEvent> m_responses;

 private:
  static int OnStatus(int handle, int event, int value, void* user);
  static int OnResponse(int handle, std::uint32_t code, const char* text, void* user);

  std::condition_variable m_changed;
  std::unique_ptr<camsim::Simulator> m_sim;
  std::string m_credentialsPath;
};

}  // namespace netsdk_test
