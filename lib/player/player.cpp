// The player library's port bookkeeping: which ports are open, for which kinds of stream, and into
// which window they draw. Decoding and drawing come with the live preview.
#include "player.h"

#include <map>
#include <mutex>

namespace {

struct Port {
  bool hasVideo = false;
  bool hasAudio = false;
  void* window = nullptr;
  long long videoBytes = 0;
  long long audioBytes = 0;
};

struct Player {
  std::mutex mutex;
  std::map<int, Port> ports;
};

Player& ThePlayer() {
  static Player player;
  return player;
}

constexpr int kFailure = -1;

// Takes a frame for an open stream of that kind on the port.
int Feed(int port, const unsigned char* data, int size, int kind) {
  if (data == nullptr || size <= 0) return kFailure;
  Player& player = ThePlayer();
  std::lock_guard lock(player.mutex);
  auto it = player.ports.find(port);
  if (it == player.ports.end()) return kFailure;
  Port& entry = it->second;
  if (!(kind == KMR_STREAM_VIDEO ? entry.hasVideo : entry.hasAudio)) return kFailure;
  (kind == KMR_STREAM_VIDEO ? entry.videoBytes : entry.audioBytes) += size;
  return 0;
}

}  // namespace

extern "C" {

PLAYER_API int IP_KMR_Init(void) {
  return 0;
}

PLAYER_API int IP_KMR_OpenStream(int port, const unsigned char* format, int size, int kind,
                                 int bufferFrames) {
  if (port <= 0 || format == nullptr || size <= 0 || bufferFrames <= 0) return kFailure;
  if (kind != KMR_STREAM_VIDEO && kind != KMR_STREAM_AUDIO) return kFailure;
  Player& player = ThePlayer();
  std::lock_guard lock(player.mutex);
  Port& entry = player.ports[port];
  (kind == KMR_STREAM_VIDEO ? entry.hasVideo : entry.hasAudio) = true;
  return 0;
}

PLAYER_API int IP_KMR_Play(int port, void* window) {
  if (window == nullptr) return kFailure;
  Player& player = ThePlayer();
  std::lock_guard lock(player.mutex);
  auto it = player.ports.find(port);
  if (it == player.ports.end()) return kFailure;
  it->second.window = window;
  return 0;
}

PLAYER_API int IP_KMR_InputVideoData(int port, const unsigned char* data, int size, int, int) {
  return Feed(port, data, size, KMR_STREAM_VIDEO);
}

PLAYER_API int IP_KMR_InputAudioData(int port, const unsigned char* data, int size, int) {
  return Feed(port, data, size, KMR_STREAM_AUDIO);
}

PLAYER_API int IP_KMR_Stop(int port) {
  Player& player = ThePlayer();
  std::lock_guard lock(player.mutex);
  return player.ports.erase(port) == 1 ? 0 : kFailure;
}

}  // extern "C"
