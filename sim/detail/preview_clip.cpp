#include "sim/detail/preview_clip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "sim/detail/glyphs.h"

namespace camsim::detail {
namespace {

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

void Put16(std::uint8_t* out, unsigned value) {
  out[0] = static_cast<std::uint8_t>(value);
  out[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void DrawClipPicture(AVFrame* frame, int index, const std::string& serial,
                     const std::string& address) {
  // Blue, violet and grey tones only: a red or green picture would read as a result border.
  const std::size_t hash = std::hash<std::string>{}(serial);
  const auto u = static_cast<std::uint8_t>(136 + hash % 56);
  const auto v = static_cast<std::uint8_t>(112 + (hash >> 8) % 40);
  const int width = frame->width;
  const int height = frame->height;
  for (int y = 0; y < height; ++y) {
    std::fill_n(frame->data[0] + y * frame->linesize[0], width, std::uint8_t{60});
  }
  for (int y = 0; y < height / 2; ++y) {
    std::fill_n(frame->data[1] + y * frame->linesize[1], width / 2, u);
    std::fill_n(frame->data[2] + y * frame->linesize[2], width / 2, v);
  }
  const auto text = [&](const std::string& line, int top) {
    const int advance = kGlyphWidth + 1;
    const int length = static_cast<int>(line.size());
    const int scale = std::clamp(width / std::max(1, length * advance), 1, 3);
    const int left = std::max(0, (width - length * advance * scale) / 2);
    for (int i = 0; i < length; ++i) {
      const auto rows = Glyph(line[static_cast<std::size_t>(i)]);
      for (int gy = 0; gy < kGlyphHeight * scale; ++gy) {
        for (int gx = 0; gx < kGlyphWidth * scale; ++gx) {
          const int x = left + (i * advance) * scale + gx;
          const int y = top + gy;
          if (x >= width || y >= height) continue;
          if (rows[static_cast<std::size_t>(gy / scale)] & (0x10 >> (gx / scale))) {
            frame->data[0][y * frame->linesize[0] + x] = 235;
          }
        }
      }
    }
  };
  text(serial, 40 * height / kClipHeight);
  text(address, 100 * height / kClipHeight);
  const int barWidth = width / kClipFrames;
  const int barLeft = index * barWidth;
  for (int y = height - 24 * height / kClipHeight; y < height - 8 * height / kClipHeight; ++y) {
    std::fill_n(frame->data[0] + y * frame->linesize[0] + barLeft, barWidth, std::uint8_t{200});
  }
}

namespace {

// The parameter sets of a key frame (H.264: sequence and picture; H.265: video too), for the
// format block.
std::vector<std::uint8_t> ParameterSets(const std::vector<std::uint8_t>& access, bool hevc) {
  std::vector<std::uint8_t> sets;
  std::size_t i = 0;
  const auto startCode = [&](std::size_t at) {
    return at + 3 <= access.size() && access[at] == 0 && access[at + 1] == 0 && access[at + 2] == 1;
  };
  while (i < access.size()) {
    if (!startCode(i)) {
      ++i;
      continue;
    }
    std::size_t end = i + 3;
    while (end < access.size() && !startCode(end)) ++end;
    // A four-byte start code leaves its leading zero at the end of the unit before.
    std::size_t unitEnd = end;
    if (end < access.size() && unitEnd > i + 3 && access[unitEnd - 1] == 0) --unitEnd;
    const int header = i + 3 < access.size() ? access[i + 3] : 0;
    const int type = hevc ? (header >> 1) & 0x3F : header & 0x1F;
    if (hevc ? type >= 32 && type <= 34 : type == 7 || type == 8) {
      sets.insert(sets.end(), {0, 0, 0, 1});
      sets.insert(sets.end(), access.begin() + static_cast<long>(i + 3),
                  access.begin() + static_cast<long>(unitEnd));
    }
    i = end;
  }
  return sets;
}

std::uint8_t MuLaw(std::int16_t sample) {
  constexpr int kBias = 0x84;
  constexpr int kClip = 32635;
  int value = sample;
  const int sign = value < 0 ? 0x80 : 0;
  if (value < 0) value = -value;
  value = std::min(value, kClip) + kBias;
  int exponent = 7;
  for (int mask = 0x4000; (value & mask) == 0 && exponent > 0; mask >>= 1) --exponent;
  const int mantissa = (value >> (exponent + 3)) & 0x0F;
  return static_cast<std::uint8_t>(~(sign | (exponent << 4) | mantissa));
}

std::vector<ClipFrame> Tone() {
  std::vector<ClipFrame> frames(kClipFrames);
  int n = 0;
  for (ClipFrame& frame : frames) {
    frame.key = true;
    frame.bytes.resize(kAudioBytesPerFrame);
    for (std::uint8_t& byte : frame.bytes) {
      const double phase = 2 * std::numbers::pi * 440.0 * n++ / kAudioRate;
      byte = MuLaw(static_cast<std::int16_t>(6000 * std::sin(phase)));
    }
  }
  return frames;
}

bool Fail(std::string* error, const char* reason) {
  *error = reason;
  return false;
}

// The encoder of the clip's codec, set for a camera's live stream: a key frame a second, no
// B-frames, as fast as it goes. Null with the reason when it is not available.
const AVCodec* OpenEncoder(const ClipFormat& clipFormat, AVCodecContext** made,
                           std::string* error) {
  const char* name = clipFormat.codec == ClipCodec::kH265    ? "libx265"
                     : clipFormat.codec == ClipCodec::kMpeg4 ? "mpeg4"
                                                             : "libx264";
  const AVCodec* codec = avcodec_find_encoder_by_name(name);
  if (codec == nullptr) {
    *error = std::string("the encoder ") + name + " is not available";
    return nullptr;
  }
  AVCodecContext* context = avcodec_alloc_context3(codec);
  *made = context;
  if (context == nullptr) {
    *error = "out of memory";
    return nullptr;
  }
  // The encoder's statistics would fill camsim's output with one block per device. Only this
  // context's messages are lowered: FFmpeg's global level is shared with the player's decoders.
  context->log_level_offset = AV_LOG_VERBOSE - AV_LOG_WARNING;
  context->width = clipFormat.width;
  context->height = clipFormat.height;
  context->time_base = AVRational{1, kClipFramesPerSecond};
  context->framerate = AVRational{kClipFramesPerSecond, 1};
  context->pix_fmt = AV_PIX_FMT_YUV420P;
  context->gop_size = kClipKeyInterval;
  context->max_b_frames = 0;
  context->thread_count = 1;
  const std::string keys = "keyint=" + std::to_string(kClipKeyInterval) +
                           ":min-keyint=" + std::to_string(kClipKeyInterval) + ":scenecut=0";
  if (clipFormat.codec == ClipCodec::kH264) {
    av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    av_opt_set(context->priv_data, "x264-params", keys.c_str(), 0);
  } else if (clipFormat.codec == ClipCodec::kH265) {
    av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    // x265 writes its banner to stderr for every encoder unless told to keep quiet, and starts a
    // pool of threads of its own unless told not to: the clip is encoded on the clip library's
    // thread alone, as the other codecs are.
    av_opt_set(context->priv_data, "x265-params",
               (keys + ":bframes=0:info=0:log-level=error:pools=none:frame-threads=1").c_str(), 0);
  } else {
    context->bit_rate = 256000;
  }
  if (avcodec_open2(context, codec, nullptr) < 0) {
    *error = std::string("cannot open ") + name;
    return nullptr;
  }
  return codec;
}

// What goes before the first picture of an MPEG-4 key frame: its sequence and object headers.
std::vector<std::uint8_t> Mpeg4Headers(const std::vector<std::uint8_t>& key) {
  for (std::size_t i = 0; i + 3 < key.size(); ++i) {
    if (key[i] == 0 && key[i + 1] == 0 && key[i + 2] == 1 && key[i + 3] == 0xB6) {
      return std::vector<std::uint8_t>(key.begin(), key.begin() + static_cast<long>(i));
    }
  }
  return {};
}

bool EncodeVideo(const std::string& serial, const std::string& address,
                 const ClipFormat& clipFormat, PreviewClip* clip, std::string* error) {
  AVCodecContext* made = nullptr;
  const AVCodec* codec = OpenEncoder(clipFormat, &made, error);
  std::unique_ptr<AVCodecContext, CodecContextFree> context(made);
  if (codec == nullptr) return false;
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  if (!frame || !packet) return Fail(error, "out of memory");
  frame->format = context->pix_fmt;
  frame->width = clipFormat.width;
  frame->height = clipFormat.height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return Fail(error, "out of memory");

  const auto drain = [&] {
    while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
      ClipFrame out;
      out.key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
      out.bytes.assign(packet->data, packet->data + packet->size);
      clip->video.push_back(std::move(out));
      av_packet_unref(packet.get());
    }
  };
  for (int index = 0; index < kClipFrames; ++index) {
    if (av_frame_make_writable(frame.get()) < 0) return Fail(error, "out of memory");
    DrawClipPicture(frame.get(), index, serial, address);
    frame->pts = index;
    frame->pict_type = index % kClipKeyInterval == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (avcodec_send_frame(context.get(), frame.get()) < 0) return Fail(error, "encoding failed");
    drain();
  }
  avcodec_send_frame(context.get(), nullptr);
  drain();
  if (clip->video.size() != static_cast<std::size_t>(kClipFrames) || !clip->video.front().key) {
    return Fail(error, "the encoder gave an unexpected clip");
  }
  clip->clipFormat = clipFormat;
  if (clipFormat.codec == ClipCodec::kMpeg4) {
    clip->config = Mpeg4Headers(clip->video.front().bytes);
    return !clip->config.empty() || Fail(error, "the encoder gave no sequence headers");
  }
  const bool hevc = clipFormat.codec == ClipCodec::kH265;
  clip->config = ParameterSets(clip->video.front().bytes, hevc);
  const std::vector<std::uint8_t>& sets = clip->config;
  if (sets.empty() || sets.size() > KMR_VIDEO_FORMAT_SIZE - KMR_VIDEO_CONFIG_AT) {
    return Fail(error, "the encoder gave no usable parameter sets");
  }
  std::uint8_t* block = clip->videoFormat.data();
  Put32(block + KMR_VIDEO_MAGIC_AT, KMR_VIDEO_MAGIC);
  Put32(block + KMR_VIDEO_CODEC_AT, hevc ? KMR_CODEC_H265 : KMR_CODEC_H264);
  Put16(block + KMR_VIDEO_WIDTH_AT, static_cast<unsigned>(clipFormat.width));
  Put16(block + KMR_VIDEO_HEIGHT_AT, static_cast<unsigned>(clipFormat.height));
  Put16(block + KMR_VIDEO_FPS_AT, kClipFramesPerSecond);
  Put16(block + KMR_VIDEO_CONFIG_SIZE_AT, static_cast<unsigned>(sets.size()));
  std::copy(sets.begin(), sets.end(), block + KMR_VIDEO_CONFIG_AT);
  return true;
}

}  // namespace

std::shared_ptr<const PreviewClip> EncodeClip(const std::string& serial, const std::string& address,
                                              bool withAudio, std::string* error,
                                              ClipFormat clipFormat) {
  auto clip = std::make_shared<PreviewClip>();
  if (!EncodeVideo(serial, address, clipFormat, clip.get(), error)) return nullptr;
  if (withAudio) {
    clip->hasAudio = true;
    clip->audio = Tone();
    std::uint8_t* block = clip->audioFormat.data();
    Put32(block + KMR_AUDIO_MAGIC_AT, KMR_AUDIO_MAGIC);
    Put32(block + KMR_AUDIO_CODEC_AT, KMR_CODEC_G711_ULAW);
    Put32(block + KMR_AUDIO_RATE_AT, kAudioRate);
    Put16(block + KMR_AUDIO_CHANNELS_AT, 1);
  }
  return clip;
}

}  // namespace camsim::detail
