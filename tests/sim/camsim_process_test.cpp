// The camsim program itself: serving until Ctrl-C, and the messages it leaves with.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/simulator.h"
#include "wire/frame.h"
#include "wire/messages.h"

extern char** environ;

namespace {

class CamsimProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::path(::testing::TempDir()) /
            ("camsim_process_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    std::filesystem::remove_all(m_dir);
  }

  // Starts camsim with args, its output going to files.
  void Spawn(std::vector<std::string> args) {
    args.insert(args.begin(), CAMSIM_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (m_dir / "out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (m_dir / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_EQ(posix_spawn(&m_pid, CAMSIM_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
  }

  // Waits for the program to end; its exit code, or -1.
  int Wait() {
    int status = 0;
    if (waitpid(m_pid, &status, 0) != m_pid) return -1;
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Output(const char* name) {
    std::ifstream in(m_dir / name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path m_dir;
  pid_t m_pid = 0;
};

// Probes the LAN at port until answers devices times; false when that does not happen.
bool DevicesAnswer(std::uint16_t port, std::size_t devices) {
  for (int attempt = 0; attempt < 400; ++attempt) {
    asio::io_context io;
    asio::ip::tcp::socket socket(io);
    std::error_code error;
    socket.connect({asio::ip::make_address_v4("127.0.0.1"), port}, error);
    if (error) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      continue;
    }
    asio::write(socket, asio::buffer(wire::EncodeFrame(wire::MsgType::kProbe, 1, {})));
    wire::FrameAssembler assembler;
    std::size_t answers = 0;
    std::array<std::uint8_t, 4096> buffer{};
    while (answers < devices) {
      const std::size_t size = socket.read_some(asio::buffer(buffer), error);
      if (error) return false;
      assembler.Feed(buffer.data(), size);
      wire::Frame frame;
      while (assembler.Next(&frame) == wire::FrameAssembler::Result::kFrame) ++answers;
    }
    return true;
  }
  return false;
}

std::uint16_t FreePort() {
  asio::io_context io;
  asio::ip::tcp::acceptor probe(io, {asio::ip::make_address_v4("127.0.0.1"), 0});
  return probe.local_endpoint().port();
}

TEST_F(CamsimProcess, ServesUntilCtrlCThenExitsCleanly) {
  const std::uint16_t port = FreePort();
  const std::string listen = "127.0.0.1:" + std::to_string(port);
  Spawn({"--listen", listen, "--count", "2", "--time-scale", "20", "--journal",
         (m_dir / "journal.jsonl").string()});
  EXPECT_TRUE(DevicesAnswer(port, 3)) << "two cameras and the NVR";
  kill(m_pid, SIGINT);
  EXPECT_EQ(Wait(), 0);
  EXPECT_EQ(Output("out"), "camsim: serving 3 devices on " + listen +
                               " (time scale 20); Ctrl-C stops\ncamsim: stopped\n");
  EXPECT_TRUE(std::filesystem::exists(m_dir / "journal.jsonl"));
}

TEST_F(CamsimProcess, BusyPortBadScenarioAndForeignAddressEndWithAReason) {
  camsim::Simulator holder(camsim::DefaultFleet(1));
  std::string error;
  ASSERT_TRUE(holder.Start("127.0.0.1:0", &error)) << error;
  Spawn({"--listen", holder.Endpoint()});
  EXPECT_EQ(Wait(), 1);
  EXPECT_EQ(Output("err"),
            "camsim: cannot listen on " + holder.Endpoint() + ": Address already in use\n");

  const std::string scenario = (m_dir / "lan.txt").string();
  std::ofstream(scenario)
      << "# test\ndevice serial=A ip=192.168.1.5\nfault serial=A kind=fail-format\n"
         "device serial=B ip=192.168.1.6 speed=fast\n";
  Spawn({"--scenario", scenario, "--listen", "127.0.0.1:0"});
  EXPECT_EQ(Wait(), 2);
  EXPECT_EQ(Output("err"), "camsim: " + scenario + ":4: unknown key 'speed' for device\n");

  Spawn({"--listen", "0.0.0.0:29120"});
  EXPECT_EQ(Wait(), 2);
  EXPECT_EQ(
      Output("err").rfind("camsim: --listen 0.0.0.0:29120: '0.0.0.0' is not a loopback address", 0),
      0u)
      << Output("err");
}

}  // namespace
