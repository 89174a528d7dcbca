// The thread that calls the stream data callbacks of every preview. The network thread only
// queues packets here, so a slow window never stalls the network, and each preview's packets
// arrive in order. A preview is a Feed: nothing is delivered before its RealPlayEx has returned
// (Release), and nothing once its StopRealPlay has returned (Close).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "netsdk.h"

namespace netsdk {

// One packet of a preview, as the callback gets it. The payload is the frame it came in; the data
// starts at offset.
struct StreamPacket {
  int dataKind = 0;
  std::int32_t frameKind = 0;
  double timeStampMs = 0;
  std::vector<std::uint8_t> payload;
  std::size_t offset = 0;
};

class StreamDelivery {
 public:
  class Feed;

  StreamDelivery();
  ~StreamDelivery();
  StreamDelivery(const StreamDelivery&) = delete;
  StreamDelivery& operator=(const StreamDelivery&) = delete;

  std::shared_ptr<Feed> Open(int handle, IP_NET_DVR_StreamDataCallBack callback, void* user);
  // From now on the feed's packets are delivered, those queued before included.
  void Release(Feed& feed);
  // Any thread. A full queue (a window that does not keep up) drops packets until the next
  // stream header, which comes before a key frame, so that the decoder restarts cleanly.
  void Push(const std::shared_ptr<Feed>& feed, StreamPacket packet);
  // After this returns no callback of the feed runs or will run, unless it is called from inside
  // that feed's own callback, which then is the last one.
  void Close(Feed& feed);
  // Drops everything queued and ends the thread.
  void Stop();
  bool OnDeliveryThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

 private:
  void Run();

  std::mutex m_mutex;
  std::condition_variable m_wake;     // the thread: a packet came, a feed was released, stop
  std::condition_variable m_settled;  // Close: the running callback returned
  std::deque<std::pair<std::shared_ptr<Feed>, StreamPacket>> m_queue;
  const Feed* m_running = nullptr;
  bool m_stopping = false;
  std::thread m_thread;
};

class StreamDelivery::Feed {
 public:
  Feed(int handle, IP_NET_DVR_StreamDataCallBack callback, void* user)
      : m_handle(handle), m_callback(callback), m_user(user) {}

 private:
  friend class StreamDelivery;

  const int m_handle;
  const IP_NET_DVR_StreamDataCallBack m_callback;
  void* const m_user;
  // Guarded by the delivery's mutex.
  bool m_released = false;
  bool m_closed = false;
  bool m_skipping = false;
  std::size_t m_pending = 0;
};

}  // namespace netsdk
