#include "preview/player_ports.h"

#include <chrono>
#include <mutex>
#include <random>
#include <set>

namespace preview {
namespace {

struct Registry {
  std::mutex mutex;
  std::set<int> inUse;
  int nextGridPort = kFirstGridPort;
  std::mt19937 random{static_cast<std::mt19937::result_type>(
      std::chrono::system_clock::now().time_since_epoch().count())};
};

Registry& Ports() {
  static Registry registry;
  return registry;
}

// The first free port from candidate on, wrapping within first..last.
int TakeFrom(Registry& ports, int candidate, int first, int last) {
  const int span = last - first + 1;
  for (int tried = 0; tried < span; ++tried) {
    const int port = first + (candidate - first + tried) % span;
    if (ports.inUse.insert(port).second) return port;
  }
  return 0;
}

}  // namespace

int TakeGridPort() {
  Registry& ports = Ports();
  std::lock_guard lock(ports.mutex);
  const int port = TakeFrom(ports, ports.nextGridPort, kFirstGridPort, kLastGridPort);
  if (port != 0) ports.nextGridPort = port == kLastGridPort ? kFirstGridPort : port + 1;
  return port;
}

int TakeSinglePort() {
  Registry& ports = Ports();
  std::lock_guard lock(ports.mutex);
  std::uniform_int_distribution<int> draw(kFirstSinglePort, kLastSinglePort);
  return TakeFrom(ports, draw(ports.random), kFirstSinglePort, kLastSinglePort);
}

void ReleasePort(int port) {
  Registry& ports = Ports();
  std::lock_guard lock(ports.mutex);
  ports.inUse.erase(port);
}

}  // namespace preview
