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
#include <vector>

#include "netsdk.h"
#include "player_format.h"
#include "timing.h"

namespace netsdk::onvif_backend {
namespace {

constexpr double kDefaultFps = 25;

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

void Put16(std::uint8_t* at, unsigned value) {
  at[0] = static_cast<std::uint8_t>(value & 0xFF);
  at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

// The header the player opens its stream with. false when the video is not H.264 with its
// parameter sets in Annex B form, which is all the player decodes.
bool BuildHeader(const AVStream* video, const AVStream* audio, std::vector<std::uint8_t>* header) {
  const AVCodecParameters* codec = video->codecpar;
  if (codec->codec_id != AV_CODEC_ID_H264 || codec->extradata_size < 4 ||
      codec->extradata_size > KMR_VIDEO_CONFIG_MAX || codec->extradata[0] != 0 ||
      codec->width <= 0 || codec->height <= 0 || codec->width > 65535 || codec->height > 65535) {
    return false;
  }
  header->assign(STREAM_HEADER_SIZE, 0);
  std::uint8_t* bytes = header->data();
  std::memcpy(bytes, "RDSH", 4);
  Put16(bytes + STREAM_HEADER_HAS_VIDEO, 1);
  Put16(bytes + STREAM_HEADER_HAS_AUDIO, audio != nullptr ? 1 : 0);
  std::uint8_t* format = bytes + STREAM_HEADER_VIDEO_FORMAT;
  const AVRational rate =
      video->avg_frame_rate.num > 0 ? video->avg_frame_rate : video->r_frame_rate;
  const double fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : kDefaultFps;
  Put32(format + KMR_VIDEO_MAGIC_AT, KMR_VIDEO_MAGIC);
  Put32(format + KMR_VIDEO_CODEC_AT, KMR_CODEC_H264);
  Put16(format + KMR_VIDEO_WIDTH_AT, static_cast<unsigned>(codec->width));
  Put16(format + KMR_VIDEO_HEIGHT_AT, static_cast<unsigned>(codec->height));
  Put16(format + KMR_VIDEO_FPS_AT,
        static_cast<unsigned>(fps > 0 && fps < 1000 ? fps + 0.5 : kDefaultFps));
  Put16(format + KMR_VIDEO_CONFIG_SIZE_AT, static_cast<unsigned>(codec->extradata_size));
  std::memcpy(format + KMR_VIDEO_CONFIG_AT, codec->extradata,
              static_cast<std::size_t>(codec->extradata_size));
  if (audio != nullptr) {
    std::uint8_t* sound = bytes + STREAM_HEADER_AUDIO_FORMAT;
    Put32(sound + KMR_AUDIO_MAGIC_AT, KMR_AUDIO_MAGIC);
    Put32(sound + KMR_AUDIO_CODEC_AT, audio->codecpar->codec_id == AV_CODEC_ID_PCM_ALAW
                                          ? KMR_CODEC_G711_ALAW
                                          : KMR_CODEC_G711_ULAW);
    Put32(sound + KMR_AUDIO_RATE_AT, static_cast<std::uint32_t>(audio->codecpar->sample_rate));
    Put16(sound + KMR_AUDIO_CHANNELS_AT, 1);
  }
  return true;
}

std::string PercentEncoded(const std::string& text) {
  std::string encoded;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      encoded += static_cast<char>(c);
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", c);
      encoded += escape;
    }
  }
  return encoded;
}

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

}  // namespace

std::string RtspAddressWithCredential(const Url& stream, const Credential& credential) {
  return "rtsp://" + PercentEncoded(credential.user) + ":" + PercentEncoded(credential.password) +
         "@" + stream.Authority() + stream.path;
}

RtspPreview::RtspPreview(const Settings& settings, StreamDelivery& delivery,
                         std::shared_ptr<StreamDelivery::Feed> feed, StreamLocator locate,
                         Credential credential)
    : m_settings(settings),
      m_delivery(delivery),
      m_feed(std::move(feed)),
      m_locate(std::move(locate)),
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

void RtspPreview::Run() {
  while (!m_closed.load()) {
    // Asked again after each failure: a device that restarted may have its profiles back.
    if (!m_stream) m_stream = m_locate(m_closed);
    if (m_stream) Play();
    Pause(kReconnectIntervalMs);
  }
}

void RtspPreview::Pause(double ms) {
  const auto until = std::chrono::steady_clock::now() + m_settings.Scale().Real(ms);
  while (!m_closed.load() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void RtspPreview::Play() {
  // libavformat's log is the process's own: this hook only adds the refusal to it.
  static std::once_flag hooked;
  std::call_once(hooked, [] { av_log_set_callback(&RefuseRedirects); });
  AVFormatContext* raw = avformat_alloc_context();
  if (raw == nullptr) return;
  raw->interrupt_callback = {&Interrupted, &m_closed};
  AVDictionary* options = nullptr;
  av_dict_set(&options, "rtsp_transport", "tcp", 0);
  // Only the RTSP connection itself: no other protocol, no file, no UDP.
  av_dict_set(&options, "protocol_whitelist", "rtsp,tcp", 0);
  av_dict_set_int(&options, "timeout", m_settings.Scale().Real(kConnectTimeoutMs).count(), 0);
  const std::string address = RtspAddressWithCredential(*m_stream, m_credential);
  const int opened = avformat_open_input(&raw, address.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return;  // the input is freed by a failed open
  std::unique_ptr<AVFormatContext, InputCloser> input(raw);
  input->probesize = 256 * 1024;
  input->max_analyze_duration = 2 * AV_TIME_BASE;
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return;
  const int videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (videoIndex < 0) return;
  int audioIndex = -1;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVCodecID id = input->streams[i]->codecpar->codec_id;
    if (id == AV_CODEC_ID_PCM_MULAW || id == AV_CODEC_ID_PCM_ALAW) audioIndex = static_cast<int>(i);
  }
  const AVStream* video = input->streams[videoIndex];
  const AVStream* audio = audioIndex >= 0 ? input->streams[audioIndex] : nullptr;
  std::vector<std::uint8_t> header;
  if (!BuildHeader(video, audio, &header)) return;

  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  std::int64_t firstPts = AV_NOPTS_VALUE;
  bool started = false;  // nothing before the first header, which comes with a key frame
  double lastVideoMs = -1;
  const auto startedAt = std::chrono::steady_clock::now();
  while (!m_closed.load() && av_read_frame(input.get(), packet.get()) >= 0) {
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
}

}  // namespace netsdk::onvif_backend
