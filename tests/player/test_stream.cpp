#include "test_stream.h"

#include <cstring>
#include <memory>

#include "ffmpeg_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

namespace player_test {
namespace {

// Studio-range YUV of the picture's three colours.
constexpr int kDarkY = 40;
constexpr int kWhiteY = 235;
constexpr int kRedY = 81;
constexpr int kRedU = 90;
constexpr int kRedV = 240;
constexpr int kNeutralChroma = 128;

void Paint(AVFrame& frame, int index) {
  const int left = SquareLeft(index, frame.width);
  for (int y = 0; y < frame.height; ++y) {
    std::uint8_t* row = frame.data[0] + y * frame.linesize[0];
    for (int x = 0; x < frame.width; ++x) {
      const bool square =
          x >= left && x < left + kSquareSide && y >= kSquareTop && y < kSquareTop + kSquareSide;
      row[x] = y < kBarRows ? kRedY : (square ? kWhiteY : kDarkY);
    }
  }
  for (int y = 0; y < frame.height / 2; ++y) {
    std::uint8_t* u = frame.data[1] + y * frame.linesize[1];
    std::uint8_t* v = frame.data[2] + y * frame.linesize[2];
    const bool bar = y * 2 < kBarRows;
    std::memset(u, bar ? kRedU : kNeutralChroma, frame.width / 2);
    std::memset(v, bar ? kRedV : kNeutralChroma, frame.width / 2);
  }
}

void PutU16(unsigned char* block, int at, int value) {
  block[at] = static_cast<unsigned char>(value & 0xFF);
  block[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void PutU32(unsigned char* block, int at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) block[at + i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

bool Drain(AVCodecContext* context, AVPacket* packet, int firstTimeStamp, TestStream* stream) {
  for (;;) {
    const int result = avcodec_receive_packet(context, packet);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return false;
    EncodedFrame frame;
    frame.bytes.assign(packet->data, packet->data + packet->size);
    frame.key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
    frame.timeStamp = firstTimeStamp + static_cast<int>(packet->pts) * kFrameMs;
    stream->frames.push_back(std::move(frame));
    av_packet_unref(packet);
  }
}

}  // namespace

std::array<unsigned char, KMR_AUDIO_FORMAT_SIZE> AudioFormatBlock(int codec) {
  constexpr int kRate = 8000;
  std::array<unsigned char, KMR_AUDIO_FORMAT_SIZE> block{};
  PutU32(block.data(), KMR_AUDIO_MAGIC_AT, KMR_AUDIO_MAGIC);
  PutU32(block.data(), KMR_AUDIO_CODEC_AT, static_cast<std::uint32_t>(codec));
  PutU32(block.data(), KMR_AUDIO_RATE_AT, kRate);
  PutU16(block.data(), KMR_AUDIO_CHANNELS_AT, 1);
  return block;
}

int SquareLeft(int index, int width) {
  return (index * kSquareStep) % (width - kSquareSide);
}

TestStream EncodeTestStream(int width, int height, int frames, int keyInterval, int firstTimeStamp,
                            std::string* error, int kind) {
  TestStream stream;
  stream.width = width;
  stream.height = height;
  const bool hevc = kind == KMR_CODEC_H265;
  const char* name = hevc ? "libx265" : "libx264";
  const AVCodec* codec = avcodec_find_encoder_by_name(name);
  if (codec == nullptr) {
    *error = std::string(name) + " encoder not available";
    return stream;
  }
  player::CodecContextPtr context(avcodec_alloc_context3(codec));
  player::FramePtr picture(av_frame_alloc());
  player::PacketPtr packet(av_packet_alloc());
  context->width = width;
  context->height = height;
  context->pix_fmt = AV_PIX_FMT_YUV420P;
  context->time_base = AVRational{1, 1000 / kFrameMs};
  context->framerate = AVRational{1000 / kFrameMs, 1};
  context->gop_size = keyInterval;
  context->max_b_frames = 0;
  context->thread_count = 1;
  // The parameter sets go to the format block, as a camera's stream header carries them.
  context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(context->priv_data, "preset", "ultrafast", 0);
  av_opt_set(context->priv_data, "tune", "zerolatency", 0);
  if (hevc) {
    const std::string key = std::to_string(keyInterval);
    av_opt_set(
        context->priv_data, "x265-params",
        ("keyint=" + key + ":min-keyint=" + key + ":scenecut=0:bframes=0:info=0:log-level=error")
            .c_str(),
        0);
  } else {
    av_opt_set(context->priv_data, "x264-params", "scenecut=0", 0);
  }
  if (avcodec_open2(context.get(), codec, nullptr) < 0) {
    *error = std::string(name) + " refused the settings";
    return stream;
  }
  const int configSize = context->extradata_size;
  if (configSize <= 0 || configSize > KMR_VIDEO_CONFIG_MAX) {
    *error = "parameter sets do not fit the format block";
    return stream;
  }
  unsigned char* block = stream.format.data();
  PutU32(block, KMR_VIDEO_MAGIC_AT, KMR_VIDEO_MAGIC);
  PutU32(block, KMR_VIDEO_CODEC_AT, static_cast<std::uint32_t>(kind));
  PutU16(block, KMR_VIDEO_WIDTH_AT, width);
  PutU16(block, KMR_VIDEO_HEIGHT_AT, height);
  PutU16(block, KMR_VIDEO_FPS_AT, 1000 / kFrameMs);
  PutU16(block, KMR_VIDEO_CONFIG_SIZE_AT, configSize);
  std::memcpy(block + KMR_VIDEO_CONFIG_AT, context->extradata, configSize);

  picture->format = AV_PIX_FMT_YUV420P;
  picture->width = width;
  picture->height = height;
  if (av_frame_get_buffer(picture.get(), 0) < 0) {
    *error = "no picture buffer";
    return stream;
  }
  for (int index = 0; index < frames; ++index) {
    if (av_frame_make_writable(picture.get()) < 0) break;
    Paint(*picture, index);
    picture->pts = index;
    if (avcodec_send_frame(context.get(), picture.get()) < 0 ||
        !Drain(context.get(), packet.get(), firstTimeStamp, &stream)) {
      *error = "encoding failed";
      stream.frames.clear();
      return stream;
    }
  }
  avcodec_send_frame(context.get(), nullptr);
  Drain(context.get(), packet.get(), firstTimeStamp, &stream);
  if (static_cast<int>(stream.frames.size()) != frames || !stream.frames.front().key) {
    *error = "the encoder did not return one access unit per picture";
    stream.frames.clear();
  }
  return stream;
}

const TestStream& StandardStream() {
  static const TestStream stream = [] {
    std::string error;
    return EncodeTestStream(320, 180, 30, 10, 1000, &error);
  }();
  return stream;
}

}  // namespace player_test
