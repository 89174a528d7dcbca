#include "sim/detail/clip_library.h"

#include <cstdio>

namespace camsim::detail {

ClipLibrary::ClipLibrary(asio::io_context& io) : m_io(io), m_thread([this] { Run(); }) {}

ClipLibrary::~ClipLibrary() {
  Stop();
}

void ClipLibrary::Get(const std::string& serial, const std::string& address, bool withAudio,
                      Ready ready, ClipFormat clipFormat) {
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping) return;
    m_requests.emplace_back(Key{serial, address, withAudio, clipFormat}, std::move(ready));
  }
  m_wake.notify_one();
}

void ClipLibrary::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_requests.clear();
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void ClipLibrary::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stopping || !m_requests.empty(); });
    if (m_stopping) return;
    auto [key, ready] = std::move(m_requests.front());
    m_requests.pop_front();
    std::shared_ptr<const PreviewClip> clip;
    if (auto found = m_clips.find(key); found != m_clips.end()) {
      clip = found->second;
    } else {
      lock.unlock();
      std::string error;
      clip = EncodeClip(std::get<0>(key), std::get<1>(key), std::get<2>(key), &error,
                        std::get<3>(key));
      if (!clip) std::fprintf(stderr, "camsim: no preview clip: %s\n", error.c_str());
      lock.lock();
      m_clips.emplace(key, clip);
    }
    asio::post(m_io, [ready = std::move(ready), clip] { ready(clip); });
  }
}

}  // namespace camsim::detail
