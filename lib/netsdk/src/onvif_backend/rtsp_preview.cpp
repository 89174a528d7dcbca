#include "onvif_backend/rtsp_preview.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "netsdk.h"
#include "onvif_backend/rtsp_relay.h"
#include "onvif_backend/stream_header.h"
#include "timing.h"

namespace netsdk::onvif_backend {
namespace {

constexpr const char* kRefusedText =
    "the device refused the credential of the live preview to a fresh challenge; it is not sent "
    "to this device again, by RTSP or SOAP";

int Interrupted(void* closed) {
  return static_cast<std::atomic<bool>*>(closed)->load() ? 1 : 0;
}

// What libavformat logs when a device answers with a redirect, just before it connects to the
// new address itself, past the destination guard.
constexpr const char* kRedirectLog = "Status %d: Redirecting to %s\n";

// A redirect could lead anywhere, so it is never followed: the input loses the tcp protocol and
// its next connection fails before a socket opens. Everything is logged as libavformat would.
void RefuseRedirects(void* object, int level, const char* format, va_list arguments) {
  if (object != nullptr && format != nullptr && std::strcmp(format, kRedirectLog) == 0 &&
      *static_cast<const AVClass* const*>(object) == avformat_get_class()) {
    auto* input = static_cast<AVFormatContext*>(object);
    // Only the previews' own inputs, which are known by their interrupt callback.
    if (input->interrupt_callback.callback == &Interrupted) {
      av_opt_set(input, "protocol_whitelist", "rtsp", 0);
    }
  }
  av_log_default_callback(object, level, format, arguments);
}

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

}  // namespace

RtspPreview::RtspPreview(const Settings& settings, StreamDelivery& delivery,
                         std::shared_ptr<StreamDelivery::Feed> feed, StreamLocator locate,
                         RtspGateway& gateway, std::string device, Credential credential)
    : m_settings(settings),
      m_delivery(delivery),
      m_feed(std::move(feed)),
      m_locate(std::move(locate)),
      m_gateway(gateway),
      m_device(std::move(device)),
      m_credential(std::move(credential)) {}

RtspPreview::~RtspPreview() {
  Close();
}

void RtspPreview::Start() {
  m_thread = std::thread([this] { Run(); });
}

void RtspPreview::Close() {
  m_closed = true;
  if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

double ReopenPause::After(bool played) {
  if (played) m_next = kReconnectIntervalMs;
  const double pause = m_next;
  if (!played) m_next = std::min(2 * m_next, kMaxReopenIntervalMs);
  return pause;
}

void RtspPreview::Run() {
  ReopenPause pauses;
  while (!m_closed.load()) {
    // Asked again after each failure: a device that restarted may have its profiles back.
    if (!m_stream) m_stream = m_locate(m_closed);
    const Attempt attempt = m_stream ? Play() : Attempt::kFailed;
    if (attempt == Attempt::kWaiting) {
      Pause(kTrialPollMs);
      continue;
    }
    Pause(pauses.After(attempt == Attempt::kPlayed));
  }
}

void RtspPreview::Report(const std::string& reason, const std::string& text) {
  if (!m_gateway.FirstReport(m_device, reason)) return;
  const std::string where = m_stream ? m_stream->ToString() : m_device;
  std::fprintf(stderr, "netsdk: live video of %s: %s\n", where.c_str(), text.c_str());
}

void RtspPreview::Pause(double ms) {
  const auto until = std::chrono::steady_clock::now() + m_settings.Scale().Real(ms);
  while (!m_closed.load() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

RtspPreview::Attempt RtspPreview::Play() {
  // libavformat's log is the process's own: this hook only adds the refusal to it.
  static std::once_flag hooked;
  std::call_once(hooked, [] { av_log_set_callback(&RefuseRedirects); });
  using Turn = RtspGateway::Turn;
  const Turn turn = m_gateway.TakeTurn(m_device, m_credential);
  if (turn == Turn::kWait) return Attempt::kWaiting;
  if (turn == Turn::kRefused) {
    Report("refused", kRefusedText);
    return Attempt::kFailed;
  }
  std::string why;
  const auto relay = RtspRelay::Open(
      m_gateway, m_settings, *m_stream,
      {m_device, m_credential, m_settings.GetRtspBasic() == RtspBasic::kAllow}, &why);
  // The turn ends with the device's verdict once the stream is open (the other panes wait for
  // it), or however this attempt ends before.
  RelayOutcome outcome = RelayOutcome::kNone;
  bool turnOpen = true;
  const auto endTurn = [&] {
    if (!std::exchange(turnOpen, false)) return;
    m_gateway.Finish(m_device, m_credential, turn == Turn::kTrial,
                     outcome == RelayOutcome::kAccepted  ? RtspGateway::Verdict::kAccepted
                     : outcome == RelayOutcome::kRefused ? RtspGateway::Verdict::kRefused
                                                         : RtspGateway::Verdict::kNone);
  };
  const std::shared_ptr<void> finish(nullptr, [&](void*) {
    endTurn();
    if (relay) relay->Close();
  });
  if (!relay) {
    Report("relay", why);
    return Attempt::kFailed;
  }
  AVFormatContext* raw = avformat_alloc_context();
  if (raw == nullptr) return Attempt::kFailed;
  raw->interrupt_callback = {&Interrupted, &m_closed};
  AVDictionary* options = nullptr;
  av_dict_set(&options, "rtsp_transport", "tcp", 0);
  // Only the RTSP connection itself: no other protocol, no file, no UDP.
  av_dict_set(&options, "protocol_whitelist", "rtsp,tcp", 0);
  av_dict_set_int(&options, "timeout", m_settings.Scale().Real(kConnectTimeoutMs).count(), 0);
  const int opened = avformat_open_input(&raw, relay->Address().c_str(), nullptr, &options);
  av_dict_free(&options);
  outcome = relay->Outcome();
  endTurn();
  if (outcome == RelayOutcome::kRefused || outcome == RelayOutcome::kRefusedEarlier) {
    Report("refused", kRefusedText);
  } else if (outcome == RelayOutcome::kClearText) {
    Report("basic",
           "the device asks for its password in clear text (RTSP Basic) only, which is not sent "
           "unless the setting rtsp_basic = allow; the pane stays black");
  } else if (outcome == RelayOutcome::kNoScheme) {
    Report("scheme", "the device offers no login the library can answer (" + relay->Offered() +
                         "); the pane stays black");
  }
  if (opened < 0) return Attempt::kFailed;  // the input is freed by a failed open
  std::unique_ptr<AVFormatContext, InputCloser> input(raw);
  const bool played = Stream(input.get());
  // The device may have changed while the stream played; its next open is a trial again.
  if (played) m_gateway.Lost(m_device, m_credential);
  return played ? Attempt::kPlayed : Attempt::kFailed;
}

bool RtspPreview::Stream(AVFormatContext* input) {
  input->probesize = 256 * 1024;
  input->max_analyze_duration = 2 * AV_TIME_BASE;
  if (avformat_find_stream_info(input, nullptr) < 0) return false;
  const int videoIndex = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (videoIndex < 0) return false;
  int audioIndex = -1;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVCodecID id = input->streams[i]->codecpar->codec_id;
    if (id == AV_CODEC_ID_PCM_MULAW || id == AV_CODEC_ID_PCM_ALAW) audioIndex = static_cast<int>(i);
  }
  const AVStream* video = input->streams[videoIndex];
  const AVStream* audio = audioIndex >= 0 ? input->streams[audioIndex] : nullptr;
  std::vector<std::uint8_t> header;
  std::string why;
  if (!BuildStreamHeader(video, audio, &header, &why)) {
    Report("video", why);
    return false;
  }

  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  std::int64_t firstPts = AV_NOPTS_VALUE;
  bool started = false;  // nothing before the first header, which comes with a key frame
  double lastVideoMs = -1;
  const auto startedAt = std::chrono::steady_clock::now();
  while (!m_closed.load() && av_read_frame(input, packet.get()) >= 0) {
    const AVStream* stream = input->streams[packet->stream_index];
    const bool isVideo = packet->stream_index == videoIndex;
    if (isVideo && (packet->flags & AV_PKT_FLAG_KEY) != 0) started = true;
    if (started && (isVideo || packet->stream_index == audioIndex) && packet->size > 0) {
      const std::int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
      StreamPacket frame;
      if (pts != AV_NOPTS_VALUE) {
        const std::int64_t ms = av_rescale_q(pts, stream->time_base, AVRational{1, 1000});
        if (firstPts == AV_NOPTS_VALUE) firstPts = ms;
        frame.timeStampMs = static_cast<double>(ms - firstPts);
      } else {
        // Before the sender's first report RTP gives no time: the arrival time stands in.
        frame.timeStampMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - startedAt)
                .count();
      }
      // The player needs video time that only moves forward.
      if (isVideo) {
        frame.timeStampMs = std::max(frame.timeStampMs, lastVideoMs + 1);
        lastVideoMs = frame.timeStampMs;
      }
      if (isVideo) {
        const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        // A window that starts late opens its player at the next key frame.
        if (key) {
          StreamPacket head;
          head.dataKind = NETSDK_STREAM_HEADER;
          head.frameKind = NETSDK_FRAME_HEADER;
          head.timeStampMs = frame.timeStampMs;
          head.payload = header;
          m_delivery.Push(m_feed, std::move(head));
        }
        frame.dataKind = NETSDK_STREAM_VIDEO;
        frame.frameKind = key ? NETSDK_FRAME_KEY : NETSDK_FRAME_DELTA;
      } else {
        frame.dataKind = NETSDK_STREAM_AUDIO;
        frame.frameKind = NETSDK_FRAME_AUDIO;
      }
      frame.payload.assign(packet->data, packet->data + packet->size);
      m_delivery.Push(m_feed, std::move(frame));
    }
    av_packet_unref(packet.get());
  }
  return started;
}

}  // namespace netsdk::onvif_backend
