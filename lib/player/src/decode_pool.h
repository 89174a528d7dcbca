// The player threads: a small fixed pool that takes the ports with frames waiting in turn. A port
// is in the ready list at most once, so its frames are decoded in order by one thread at a time.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace player {

class VideoStream;

class DecodePool {
 public:
  static DecodePool& Instance();

  DecodePool(const DecodePool&) = delete;
  DecodePool& operator=(const DecodePool&) = delete;

  void Schedule(std::shared_ptr<VideoStream> stream);

 private:
  DecodePool();
  ~DecodePool();
  void Run();

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::shared_ptr<VideoStream>> m_ready;
  bool m_quitting = false;
  std::vector<std::thread> m_threads;
};

}  // namespace player
