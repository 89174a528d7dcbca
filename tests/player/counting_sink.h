// A window stand-in for the player tests: a KMR_VIDEO_SINK that keeps a copy of every picture,
// asks for a chosen size, and can run a hook inside the picture callback.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "player_sink.h"

namespace player_test {

// Real-time bound of every wait for pictures; generous, as a loaded machine is slow.
constexpr auto kPatience = std::chrono::seconds(20);

struct ReceivedPicture {
  int width = 0;
  int height = 0;
  int timeStamp = 0;
  std::vector<std::uint32_t> pixels;  // width x height, rows packed

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

class CountingSink {
 public:
  // A wanted size of 0 x 0 leaves the size callback out.
  explicit CountingSink(int wantedWidth = 0, int wantedHeight = 0);

  KMR_VIDEO_SINK* Sink() { return &m_sink; }
  int Count() const { return m_count.load(); }
  // Callbacks running right now; zero whenever the player keeps its promise after Stop.
  int Active() const { return m_active.load(); }
  std::vector<ReceivedPicture> Pictures() const;
  // Waits until count pictures arrived; false when they did not within kPatience.
  bool WaitForCount(int count) const;
  // Runs inside every picture callback, after the picture was recorded.
  void SetHook(std::function<void()> hook);

 private:
  static void OnPicture(void* context, const KMR_PICTURE* picture);
  static void OnSize(void* context, int* width, int* height);

  KMR_VIDEO_SINK m_sink{};
  int m_wantedWidth;
  int m_wantedHeight;
  std::atomic<int> m_count{0};
  std::atomic<int> m_active{0};
  mutable std::mutex m_mutex;
  std::vector<ReceivedPicture> m_pictures;
  std::function<void()> m_hook;
};

// Polls done until it holds or kPatience passes.
bool Eventually(const std::function<bool()>& done);

}  // namespace player_test
