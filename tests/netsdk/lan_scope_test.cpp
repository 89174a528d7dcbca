// The LAN scope, tested where it may be: inside a network namespace this test makes for itself
// (unshare -n, as root), with two veth pairs for two camera networks and private addresses only.
// Nothing here can leave the machine; without the rights to make the namespace the test skips.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "netsdk.h"
#include "sim/detail/private_network.h"
#include "sim/simulator.h"

namespace {

constexpr char kInsideVariable[] = "RAVENDOCK_TEST_PRIVATE_NETWORK";
constexpr double kScale = 20;
constexpr char kSetup[] =
    "ip link set lo up && "
    "ip link add pc0 type veth peer name cam0 && ip link add pc1 type veth peer name cam1 && "
    "ip addr add 10.77.0.1/24 dev pc0 && ip addr add 10.77.0.2/24 dev cam0 && "
    "ip addr add 10.88.0.1/24 dev pc1 && ip addr add 10.88.0.2/24 dev cam1 && "
    "ip addr add 10.99.0.5/32 dev lo && "
    "for l in pc0 cam0 pc1 cam1; do ip link set $l up; done && "
    // The probes come back in on the cameras' side with a source address of this namespace.
    "for c in all cam0 cam1; do sysctl -qw net.ipv4.conf.$c.accept_local=1 "
    "net.ipv4.conf.$c.rp_filter=0; done && "
    // Without an interface of its own a multicast probe would take this route: one network only.
    "ip route add 224.0.0.0/4 dev pc0";

camsim::DeviceConfig Camera(const std::string& serial, const std::string& ip) {
  camsim::DeviceConfig device;
  device.serial = serial;
  device.ip = ip;
  device.timings.searchMs = 100;
  return device;
}

// A listener that only counts who connects: a host the library must never contact.
class Witness {
 public:
  Witness(const char* host, int port) {
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, host, &address.sin_addr);
    const int on = 1;
    setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    m_listening = bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  listen(m_socket, 16) == 0;
  }
  ~Witness() { close(m_socket); }
  bool Listening() const { return m_listening; }
  int Connections() {
    int count = 0;
    for (int peer; (peer = accept(m_socket, nullptr, nullptr)) >= 0; ++count) close(peer);
    return count;
  }

 private:
  int m_socket = -1;
  bool m_listening = false;
};

bool FoundSerial(const std::string& serial) {
  for (int i = 0; i < IP_NET_DVR_GetSearchIPCCount(); ++i) {
    std::vector<unsigned char> info(IPC_INFO_SIZE, 0);
    if (IP_NET_DVR_GetIPCInfo(i, info.data()) == 0 &&
        serial == reinterpret_cast<const char*>(info.data() + IPC_INFO_SERIAL)) {
      return true;
    }
  }
  return false;
}

// Inside the namespace: two camera networks behind two interfaces, one camera announcing only an
// address off the PC's networks, one only a loopback address.
void RunInsidePrivateNetwork() {
  ASSERT_TRUE(camsim::detail::InPrivateNetworkNamespace()) << "never the machine's network";
  ASSERT_EQ(std::system(kSetup), 0) << "setting up the namespace's interfaces";
  camsim::Scenario first;
  first.devices = {Camera("LA01", "192.168.1.11"), Camera("LA02", "192.168.1.12"),
                   Camera("LA03", "192.168.1.13")};
  first.devices[1].onvif.xaddrs = {"http://10.99.0.5:29121/onvif/192.168.1.12/device_service"};
  first.devices[2].onvif.xaddrs = {"http://127.0.0.1:29122/onvif/192.168.1.13/device_service"};
  camsim::Scenario second;
  second.devices = {Camera("LB01", "192.168.2.11")};
  camsim::Simulator onFirst(first, camsim::Protocol::kOnvif);
  camsim::Simulator onSecond(second, camsim::Protocol::kOnvif);
  onFirst.SetTimeScale(kScale);
  onSecond.SetTimeScale(kScale);
  std::string error;
  ASSERT_TRUE(onFirst.StartOnPrivateLan("10.77.0.2:29120", &error)) << error;
  ASSERT_TRUE(onSecond.StartOnPrivateLan("10.88.0.2:29120", &error)) << error;
  Witness offNetwork("10.99.0.5", 29121);
  Witness loopback("127.0.0.1", 29122);
  ASSERT_TRUE(offNetwork.Listening() && loopback.Listening());

  const std::string credentials = "/tmp/lan-scope-credentials-" + std::to_string(getpid());
  std::ofstream(credentials) << "admin:Admin123\n";
  ASSERT_EQ(IP_NET_DVR_SetOption("backend", "onvif"), 0);
  ASSERT_EQ(IP_NET_DVR_SetOption("scope", "lan"), 0);
  ASSERT_EQ(IP_NET_DVR_SetOption("probe", "multicast"), 0);
  ASSERT_EQ(IP_NET_DVR_SetOption("credentials", credentials.c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_Init(), 0);
  ASSERT_EQ(IP_NET_DVR_SetTimeScale(kScale), 0);
  IP_NET_DVR_StartSearchIPC();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!(FoundSerial("LA01") && FoundSerial("LB01")) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(FoundSerial("LA01")) << "the camera behind the first interface";
  EXPECT_TRUE(FoundSerial("LB01")) << "the camera behind the second interface";
  // A few more probe rounds: the other two are never contacted, let alone listed.
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(3000 / kScale)));
  EXPECT_FALSE(FoundSerial("LA02"));
  EXPECT_FALSE(FoundSerial("LA03"));
  EXPECT_EQ(offNetwork.Connections(), 0) << "a host named only by a ProbeMatch";
  EXPECT_EQ(loopback.Connections(), 0) << "loopback with scope lan";
  IP_NET_DVR_StopSearchIPC();
  EXPECT_EQ(IP_NET_DVR_Cleanup(), 0);
  onFirst.Stop();
  onSecond.Stop();
  std::remove(credentials.c_str());
}

TEST(LanScopeTest, ProbesLeaveEveryInterfaceAndOnlyThePcsOwnNetworksAreContacted) {
  if (std::getenv(kInsideVariable) != nullptr) return RunInsidePrivateNetwork();
  if (geteuid() != 0) GTEST_SKIP() << "making a network namespace needs root";
  if (std::system("unshare -n true >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "unshare -n is not permitted here";
  }
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string command = std::string(kInsideVariable) + "=1 unshare -n '" + self +
                              "' --gtest_brief=1 --gtest_filter=LanScopeTest.*";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the run inside the namespace failed (its output above)";
}

}  // namespace
