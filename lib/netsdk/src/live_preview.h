// One live preview of either backend, as the runtime keeps it: started after RealPlayEx made it,
// closed by StopRealPlay. Its packets go to its feed of the delivery thread.
#pragma once

#include <cstdint>
#include <string>

#include "stream_delivery.h"

namespace netsdk {

// What RealPlayEx names: the device, the credential the preview uses, the channel and stream.
struct PreviewTarget {
  std::string ip;
  std::uint16_t port = 0;
  std::string user;
  std::string password;
  std::int32_t channel = 0;
  std::int32_t streamType = 0;
};

class LivePreview {
 public:
  virtual ~LivePreview() = default;

  virtual void Start() = 0;
  // Stops the stream; the caller closes the feed.
  virtual void Close() = 0;
  virtual StreamDelivery::Feed& GetFeed() = 0;
};

}  // namespace netsdk
