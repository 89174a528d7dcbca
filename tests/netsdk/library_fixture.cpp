#include "library_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace netsdk_test {

TempFolder::TempFolder() {
  char pattern[] = "/tmp/netsdk-settings-XXXXXX";
  const char* path = mkdtemp(pattern);
  EXPECT_NE(path, nullptr);
  if (path != nullptr) m_path = path;
}

TempFolder::~TempFolder() {
  if (!m_path.empty()) std::filesystem::remove_all(m_path);
}

std::string TempFolder::Write(const std::string& name, const std::string& text) const {
  const std::string path = m_path + "/" + name;
  std::ofstream(path) << text;
  return path;
}

camsim::DeviceConfig Camera(const std::string& serial, const std::string& ip) {
  camsim::DeviceConfig device;
  device.serial = serial;
  device.ip = ip;
  device.mac = "02:00:00:00:00:" + serial.substr(serial.size() - 2);
  device.sd1 = 30436;
  device.sd2 = 0;
  device.usb = 15258;
  device.timings.searchMs = 100;
  return device;
}

camsim::Scenario Cameras(int count) {
  camsim::Scenario scenario;
  for (int i = 1; i <= count; ++i) {
    const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
    scenario.devices.push_back(Camera("SN" + number, "192.168.1." + std::to_string(10 + i)));
  }
  return scenario;
}

TestFiles::TestFiles()
    : m_dir(std::filesystem::path(::testing::TempDir()) /
            ("netsdk_files_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
  std::filesystem::create_directories(m_dir);
}

TestFiles::~TestFiles() {
  std::error_code ignored;
  std::filesystem::remove_all(m_dir, ignored);
}

std::string TestFiles::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const std::string path = (m_dir / name).string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

void LibraryTest::Start(camsim::Scenario scenario, double scale, camsim::Protocol protocol) {
  m_sim = std::make_unique<camsim::Simulator>(std::move(scenario), protocol);
  m_sim->SetTimeScale(scale);
  std::string error;
  ASSERT_TRUE(m_sim->Start("127.0.0.1:0", &error)) << error;
  if (protocol == camsim::Protocol::kOnvif) {
    char path[] = "/tmp/netsdk-credentials-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    close(file);
    m_credentialsPath = path;
    std::ofstream(m_credentialsPath)
        << "admin:wrong\nadmin:Admin123\nadmin:" << kOddPassword << "\n";
    ASSERT_EQ(IP_NET_DVR_SetOption("backend", "onvif"), 0);
    ASSERT_EQ(IP_NET_DVR_SetOption("probe", m_sim->Endpoint().c_str()), 0);
    ASSERT_EQ(IP_NET_DVR_SetOption("credentials", m_credentialsPath.c_str()), 0);
  }
  ASSERT_EQ(IP_NET_DVR_Init(), 0);
  ASSERT_EQ(IP_NET_DVR_SetEndpoint(m_sim->Endpoint().c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_SetTimeScale(scale), 0);
  IP_NET_DVR_SetStatusEventCallBack(&LibraryTest::OnStatus, this);
  IP_NET_DVR_SetAUXResponseCallBack(&LibraryTest::OnResponse, this);
}

void LibraryTest::TearDown() {
  EXPECT_EQ(IP_NET_DVR_Cleanup(), 0);
  if (m_sim) m_sim->Stop();
  if (!m_credentialsPath.empty()) std::remove(m_credentialsPath.c_str());
}

int LibraryTest::OnStatus(int handle, int event, int value, void* user) {
  auto* self = static_cast<LibraryTest*>(user);
  std::function<void(const StatusEvent&)> hook;
  {
    std::lock_guard lock(self->m_mutex);
    hook = self->m_onStatus;
  }
  if (hook) hook({handle, event, value});
  {
    std::lock_guard lock(self->m_mutex);
    self->m_statuses.push_back({handle, event, value});
  }
  self->m_changed.notify_all();
  return 0;
}

int LibraryTest::OnResponse(int handle, std::uint32_t code, const char* text, void* user) {
  auto* self = static_cast<LibraryTest*>(user);
  {
    std::lock_guard lock(self->m_mutex);
    self->m_responses.push_back({handle, code, text == nullptr ? "" : text});
  }
  self->m_changed.notify_all();
  return 0;
}

bool LibraryTest::WaitUntil(const std::function<bool()>& predicate,
                            std::chrono::milliseconds patience) {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, patience, predicate);
}

bool LibraryTest::Eventually(const std::function<bool()>& predicate) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

bool LibraryTest::WaitStatus(int handle, int event, StatusEvent* found) {
  return WaitUntil([&] {
    for (const StatusEvent& status : m_statuses) {
      if (status.handle == handle && status.event == event) {
        if (found != nullptr) *found = status;
        return true;
      }
    }
    return false;
  });
}

bool LibraryTest::WaitResponse(int handle, std::uint32_t code, ResponseEvent* found) {
  return WaitUntil([&] {
    for (const ResponseEvent& response : m_responses) {
      if (response.handle == handle && response.code == code) {
        if (found != nullptr) *found = response;
        return true;
      }
    }
    return false;
  });
}

bool LibraryTest::HasStatus(int handle, int event) {
  std::lock_guard lock(m_mutex);
  for (const StatusEvent& status : m_statuses) {
    if (status.handle == handle && status.event == event) return true;
  }
  return false;
}

bool LibraryTest::HasResponse(int handle, std::uint32_t code) {
  std::lock_guard lock(m_mutex);
  for (const ResponseEvent& response : m_responses) {
    if (response.handle == handle && (response.code & NETSDK_RESPONSE_CODE_MASK) == code) {
      return true;
    }
  }
  return false;
}

std::vector<StatusEvent> LibraryTest::Statuses() {
  std::lock_guard lock(m_mutex);
  return m_statuses;
}

bool LibraryTest::SearchFor(int count) {
  IP_NET_DVR_StartSearchIPC();
  return Eventually([count] { return IP_NET_DVR_GetSearchIPCCount() >= count; });
}

int LibraryTest::FindResult(const std::string& serial, std::vector<unsigned char>* block) {
  const int count = IP_NET_DVR_GetSearchIPCCount();
  for (int i = 0; i < count; ++i) {
    std::vector<unsigned char> info(IPC_INFO_SIZE, 0);
    if (IP_NET_DVR_GetIPCInfo(i, info.data()) != 0) continue;
    if (serial == reinterpret_cast<const char*>(info.data() + IPC_INFO_SERIAL)) {
      if (block != nullptr) *block = info;
      return i;
    }
  }
  return -1;
}

int LibraryTest::LoginTo(const std::string& serial) {
  std::vector<unsigned char> block;
  if (FindResult(serial, &block) < 0) return -1;
  std::uint16_t port = 0;
  std::memcpy(&port, block.data() + IPC_INFO_PORT, sizeof port);
  return LoginAt(reinterpret_cast<const char*>(block.data() + IPC_INFO_IP), port,
                 reinterpret_cast<const char*>(block.data() + IPC_INFO_USER),
                 reinterpret_cast<const char*>(block.data() + IPC_INFO_PASSWORD));
}

int LibraryTest::LoginAt(const std::string& ip, int port, const std::string& user,
                         const std::string& password) {
  const int handle = IP_NET_DVR_Login(ip.c_str(), port, user.c_str(), password.c_str(), nullptr);
  if (handle <= 0 || !WaitStatus(handle, NETSDK_EVENT_LOGIN_OK)) return -1;
  return handle;
}

}  // namespace netsdk_test
