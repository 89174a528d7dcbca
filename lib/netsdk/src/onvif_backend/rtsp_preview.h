// A live preview over RTSP (TCP interleaved, through libavformat and the relay that answers the
// camera's login), turned into the records the framed backend delivers: the 848-byte stream
// header before every key frame, then video and audio frames with their kinds and time stamps.
// One reading thread per preview, since libavformat reads by blocking; an interrupt ends it
// promptly. A lost stream is opened again while the preview is open, after a pause that grows
// with each failure to about a minute and starts again once a stream played, so that a grid of
// panes never storms a camera. A credential the device refused is never sent again, and what
// keeps a pane black is logged once per device. A redirect is never followed (it would pass the
// destination guard).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "library_options.h"
#include "live_preview.h"
#include "onvif_backend/rtsp_gateway.h"
#include "onvif_backend/url.h"
#include "settings.h"
#include "timing.h"

struct AVFormatContext;

namespace netsdk::onvif_backend {

// The stream's address, asked for on the preview's thread (it may wait for the device, but no
// longer than closed stays false); one that has passed the destination guard, or nullopt.
using StreamLocator = std::function<std::optional<Url>(const std::atomic<bool>& closed)>;

// The pause after a first failure doubles with each further one up to this (program ms).
inline constexpr double kMaxReopenIntervalMs = 60000;
// How often a preview looks whether another one's trial of its credential ended (program ms).
inline constexpr double kTrialPollMs = 100;

// The pause before a preview opens its stream again (program ms): kReconnectIntervalMs after a
// stream that played, and after each failure twice the pause before, up to kMaxReopenIntervalMs.
class ReopenPause {
 public:
  double After(bool played);

 private:
  double m_next = kReconnectIntervalMs;
};

class RtspPreview : public LivePreview {
 public:
  // credential is UTF-8; device names the device for refused credentials.
  RtspPreview(const Settings& settings, StreamDelivery& delivery,
              std::shared_ptr<StreamDelivery::Feed> feed, StreamLocator locate,
              RtspGateway& gateway, std::string device, Credential credential);
  ~RtspPreview() override;

  void Start() override;
  void Close() override;
  StreamDelivery::Feed& GetFeed() override { return *m_feed; }

 private:
  enum class Attempt { kPlayed, kFailed, kWaiting };

  void Run();
  // One connection: until it ends or the preview closes.
  Attempt Play();
  // Reads the stream until it ends or the preview closes; true when a picture went out.
  bool Stream(AVFormatContext* input);
  void Pause(double ms);
  // Logs text the first time reason keeps this device's previews black.
  void Report(const std::string& reason, const std::string& text);

  const Settings& m_settings;
  StreamDelivery& m_delivery;
  const std::shared_ptr<StreamDelivery::Feed> m_feed;
  const StreamLocator m_locate;
  std::optional<Url> m_stream;  // the preview's thread: once located
  RtspGateway& m_gateway;
  const std::string m_device;
  const Credential m_credential;
  std::atomic<bool> m_closed{false};
  std::thread m_thread;
};

}  // namespace netsdk::onvif_backend
