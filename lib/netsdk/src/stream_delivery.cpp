#include "stream_delivery.h"

namespace netsdk {
namespace {
// About five seconds of video and sound: a window further behind than that has stalled.
constexpr std::size_t kMaxPendingPerFeed = 100;
}  // namespace

StreamDelivery::StreamDelivery() : m_thread([this] { Run(); }) {}

StreamDelivery::~StreamDelivery() {
  Stop();
}

std::shared_ptr<StreamDelivery::Feed> StreamDelivery::Open(int handle,
                                                           IP_NET_DVR_StreamDataCallBack callback,
                                                           void* user) {
  return std::make_shared<Feed>(handle, callback, user);
}

void StreamDelivery::Release(Feed& feed) {
  {
    std::lock_guard lock(m_mutex);
    feed.m_released = true;
  }
  m_wake.notify_all();
}

void StreamDelivery::Push(const std::shared_ptr<Feed>& feed, StreamPacket packet) {
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping || feed->m_closed) return;
    if (packet.dataKind == NETSDK_STREAM_HEADER) {
      feed->m_skipping = false;
    } else if (feed->m_pending >= kMaxPendingPerFeed) {
      feed->m_skipping = true;
    }
    if (feed->m_skipping) return;
    ++feed->m_pending;
    m_queue.emplace_back(feed, std::move(packet));
  }
  m_wake.notify_one();
}

void StreamDelivery::Close(Feed& feed) {
  std::unique_lock lock(m_mutex);
  feed.m_closed = true;
  m_wake.notify_all();
  if (OnDeliveryThread()) return;
  m_settled.wait(lock, [&] { return m_running != &feed; });
}

void StreamDelivery::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_queue.clear();
  }
  m_wake.notify_all();
  if (!m_thread.joinable()) return;
  // The library refuses Cleanup from its own callback threads; detach rather than terminate
  // should it happen anyway.
  if (OnDeliveryThread()) {
    m_thread.detach();
  } else {
    m_thread.join();
  }
}

void StreamDelivery::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
    if (m_stopping) return;
    auto [feed, packet] = std::move(m_queue.front());
    m_queue.pop_front();
    --feed->m_pending;
    // A packet can only overtake RealPlayEx's return by microseconds; it waits for it.
    m_wake.wait(lock, [&] { return m_stopping || feed->m_closed || feed->m_released; });
    if (m_stopping) return;
    if (feed->m_closed) continue;
    m_running = feed.get();
    lock.unlock();
    NETSDK_FRAME_INFO frame{packet.frameKind, 0, packet.timeStampMs, feed->m_user};
    feed->m_callback(feed->m_handle, packet.dataKind, packet.payload.data() + packet.offset,
                     static_cast<int>(packet.payload.size() - packet.offset), &frame);
    lock.lock();
    m_running = nullptr;
    m_settled.notify_all();
  }
}

}  // namespace netsdk
