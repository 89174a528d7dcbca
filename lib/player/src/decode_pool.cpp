#include "decode_pool.h"

#include "video_stream.h"

namespace player {
namespace {

// Two cores carry the whole program; more decoding threads would only take turns with the window.
constexpr int kThreads = 2;
// Frames one port decodes before the next port's turn, so that a busy port does not starve the
// other few hundred.
constexpr int kFramesPerTurn = 4;

}  // namespace

DecodePool& DecodePool::Instance() {
  static DecodePool pool;
  return pool;
}

DecodePool::DecodePool() {
  for (int i = 0; i < kThreads; ++i) m_threads.emplace_back([this] { Run(); });
}

DecodePool::~DecodePool() {
  {
    std::lock_guard lock(m_mutex);
    m_quitting = true;
    m_ready.clear();
  }
  m_wake.notify_all();
  const std::thread::id self = std::this_thread::get_id();
  for (std::thread& thread : m_threads) {
    // A program that exits from inside a sink would otherwise have its player thread join itself.
    if (thread.get_id() == self) {
      thread.detach();
    } else {
      thread.join();
    }
  }
}

void DecodePool::Schedule(std::shared_ptr<VideoStream> stream) {
  {
    std::lock_guard lock(m_mutex);
    if (m_quitting) return;
    m_ready.push_back(std::move(stream));
  }
  m_wake.notify_one();
}

void DecodePool::Run() {
  for (;;) {
    std::shared_ptr<VideoStream> stream;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait(lock, [this] { return m_quitting || !m_ready.empty(); });
      if (m_quitting) return;
      stream = std::move(m_ready.front());
      m_ready.pop_front();
    }
    if (stream->DecodeSome(kFramesPerTurn)) Schedule(std::move(stream));
  }
}

}  // namespace player
