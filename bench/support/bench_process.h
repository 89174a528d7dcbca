// What the benchmarks that run camsim as a process of its own share: starting and stopping it on a
// free loopback port, and the CPU time and resident memory of this process and of the simulator.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <asio.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace benchsupport {

inline int FreePort() {
  asio::io_context io;
  asio::ip::tcp::acceptor probe(io, {asio::ip::make_address_v4("127.0.0.1"), 0});
  return probe.local_endpoint().port();
}

// VmRSS of the process ("self" or a pid) in KiB, or -1.
inline long RssKiB(const std::string& process = "self") {
  std::ifstream status("/proc/" + process + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

inline double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User and system time of another process, from /proc/PID/stat.
inline double CpuSecondsOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  // After the name: state is field 3; utime and stime are fields 14 and 15.
  for (int i = 3; i < 14; ++i) fields >> field;
  double user = 0;
  double system = 0;
  fields >> user >> system;
  return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// camsim from the directory of this executable, serving scenario on endpoint; 0 on failure.
// onvif: the devices speak ONVIF instead of the framed protocol.
inline pid_t StartCamsim(const std::string& scenario, const std::string& endpoint,
                         bool onvif = false) {
  const std::string camsim =
      (std::filesystem::canonical("/proc/self/exe").parent_path() / "camsim").string();
  std::vector<std::string> args = {camsim, "--scenario", scenario, "--listen", endpoint};
  if (onvif) args.push_back("--onvif");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, camsim.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  return pid;
}

inline void StopCamsim(pid_t pid) {
  kill(pid, SIGINT);
  waitpid(pid, nullptr, 0);
}

}  // namespace benchsupport
