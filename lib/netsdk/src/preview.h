// One live preview: a connection of its own to the device (so video never delays the login's
// commands), its hello and login, the stream request, and the packets handed to the delivery
// thread. A lost connection is tried again while the preview is open, so a device that restarts
// comes back on screen. Start and Close may be called from any thread; the rest runs on the
// network thread.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <memory>
#include <string>

#include "context.h"
#include "live_preview.h"
#include "stream_delivery.h"
#include "wire/framed_connection.h"

namespace netsdk {

class Preview : public LivePreview, public std::enable_shared_from_this<Preview> {
 public:
  Preview(const Context& context, PreviewTarget target, StreamDelivery& delivery,
          std::shared_ptr<StreamDelivery::Feed> feed);

  void Start() override;
  // Stops the connection.
  void Close() override;
  StreamDelivery::Feed& GetFeed() override { return *m_feed; }

 private:
  enum class Phase { kConnecting, kGreeting, kLoggingIn, kStreaming, kDown, kRefused, kClosed };

  void Connect();
  void OnConnected(unsigned attempt, asio::ip::tcp::socket socket);
  void OnFrame(unsigned attempt, wire::Frame& frame);
  void OnStreamData(wire::Frame& frame);
  void OnLost(unsigned attempt);
  void DropConnection();

  const Context m_context;
  const PreviewTarget m_target;
  StreamDelivery& m_delivery;  // the runtime's; outlives every preview's network work
  const std::shared_ptr<StreamDelivery::Feed> m_feed;

  // Network thread only.
  Phase m_phase = Phase::kConnecting;
  unsigned m_attempt = 0;  // stale handlers of an earlier connection compare and give up
  std::shared_ptr<wire::FramedConnection> m_connection;
  asio::steady_timer m_timer;  // connect time-out, pause before the next attempt
};

}  // namespace netsdk
