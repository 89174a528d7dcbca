#include "onvif_backend/stream_header.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstring>

#include "netsdk.h"
#include "player_format.h"

namespace netsdk::onvif_backend {
namespace {

constexpr double kDefaultFps = 25;

void Put16(std::uint8_t* at, unsigned value) {
  at[0] = static_cast<std::uint8_t>(value & 0xFF);
  at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

}  // namespace

bool BuildStreamHeader(const AVStream* video, const AVStream* audio,
                       std::vector<std::uint8_t>* header, std::string* why) {
  const AVCodecParameters* codec = video->codecpar;
  std::uint32_t kind = 0;
  if (codec->codec_id == AV_CODEC_ID_H264) kind = KMR_CODEC_H264;
  if (codec->codec_id == AV_CODEC_ID_HEVC) kind = KMR_CODEC_H265;
  if (kind == 0) {
    *why = std::string("the stream's video is ") + avcodec_get_name(codec->codec_id) +
           ", which the player does not decode";
    return false;
  }
  if (codec->extradata_size < 4 || codec->extradata_size > KMR_VIDEO_CONFIG_MAX ||
      codec->extradata[0] != 0 || codec->width <= 0 || codec->height <= 0 || codec->width > 65535 ||
      codec->height > 65535) {
    *why = "the stream gave no picture size or parameter sets the player can use";
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
  Put32(format + KMR_VIDEO_CODEC_AT, kind);
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

}  // namespace netsdk::onvif_backend
