// The simulator's preview clip, checked with FFmpeg's own decoders rather than the player, so that
// a fault is found on the side that makes it.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <set>

#include "sim/detail/preview_clip.h"

namespace {

using camsim::detail::ClipFrame;
using camsim::detail::EncodeClip;
using camsim::detail::kAudioBytesPerFrame;
using camsim::detail::kAudioRate;
using camsim::detail::kClipFrames;
using camsim::detail::kClipFramesPerSecond;
using camsim::detail::kClipHeight;
using camsim::detail::kClipKeyInterval;
using camsim::detail::kClipWidth;
using camsim::detail::PreviewClip;

using Bytes = std::vector<std::uint8_t>;
using Luma = std::vector<std::uint8_t>;  // kClipWidth × kClipHeight, row by row

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using ContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

unsigned Get16(const std::uint8_t* at) {
  return at[0] | at[1] << 8;
}
std::uint32_t Get32(const std::uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The NAL units of an Annex B stream, start codes and the zero byte of a four-byte one removed.
std::vector<Bytes> NalUnits(const Bytes& stream) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i + 3 <= stream.size(); ++i) {
    if (stream[i] == 0 && stream[i + 1] == 0 && stream[i + 2] == 1) starts.push_back(i + 3);
  }
  std::vector<Bytes> units;
  for (std::size_t n = 0; n < starts.size(); ++n) {
    std::size_t end = n + 1 < starts.size() ? starts[n + 1] - 3 : stream.size();
    while (end > starts[n] && stream[end - 1] == 0) --end;
    units.emplace_back(stream.begin() + static_cast<long>(starts[n]),
                       stream.begin() + static_cast<long>(end));
  }
  return units;
}

std::multiset<int> NalTypes(const std::vector<Bytes>& units) {
  std::multiset<int> types;
  for (const Bytes& unit : units) types.insert(unit.empty() ? -1 : unit[0] & 0x1F);
  return types;
}

constexpr int kSps = 7;
constexpr int kPps = 8;
constexpr int kIdrSlice = 5;
constexpr int kSlice = 1;

Bytes DecoderConfig(const PreviewClip& clip) {
  const std::uint8_t* block = clip.videoFormat.data();
  const unsigned size = Get16(block + KMR_VIDEO_CONFIG_SIZE_AT);
  if (size > KMR_VIDEO_CONFIG_MAX) return {};
  return Bytes(block + KMR_VIDEO_CONFIG_AT, block + KMR_VIDEO_CONFIG_AT + size);
}

// An H.264 decoder set up from the format block alone, as the player sets up its own, that
// refuses any damage instead of concealing it.
class Decoder {
 public:
  explicit Decoder(const PreviewClip& clip) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (codec == nullptr) return;
    m_context.reset(avcodec_alloc_context3(codec));
    if (!m_context) return;
    const Bytes config = DecoderConfig(clip);
    m_context->extradata =
        static_cast<std::uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    std::copy(config.begin(), config.end(), m_context->extradata);
    m_context->extradata_size = static_cast<int>(config.size());
    m_context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    m_context->err_recognition = AV_EF_EXPLODE | AV_EF_CRCCHECK | AV_EF_BITSTREAM;
    m_context->thread_count = 1;
    if (avcodec_open2(m_context.get(), codec, nullptr) < 0) m_context.reset();
  }

  bool IsOpen() const { return m_context != nullptr; }

  // The picture of one access unit, or nothing when it does not decode whole, at once.
  std::optional<Luma> Decode(const ClipFrame& frame) {
    PacketPtr packet(av_packet_alloc());
    FramePtr picture(av_frame_alloc());
    if (av_new_packet(packet.get(), static_cast<int>(frame.bytes.size())) < 0) return {};
    std::copy(frame.bytes.begin(), frame.bytes.end(), packet->data);
    if (avcodec_send_packet(m_context.get(), packet.get()) < 0) return {};
    if (avcodec_receive_frame(m_context.get(), picture.get()) < 0) return {};
    if (picture->width != kClipWidth || picture->height != kClipHeight) return {};
    if (picture->decode_error_flags != 0 || (picture->flags & AV_FRAME_FLAG_CORRUPT) != 0)
      return {};
    Luma luma(static_cast<std::size_t>(kClipWidth * kClipHeight));
    for (int y = 0; y < kClipHeight; ++y) {
      std::memcpy(luma.data() + y * kClipWidth, picture->data[0] + y * picture->linesize[0],
                  kClipWidth);
    }
    return luma;
  }

 private:
  ContextPtr m_context;
};

std::shared_ptr<const PreviewClip> Encode(const std::string& serial, const std::string& address,
                                          bool withAudio) {
  std::string error;
  auto clip = EncodeClip(serial, address, withAudio, &error);
  EXPECT_TRUE(clip) << error;
  return clip;
}

// The pictures of frames first, first + 1 … count of them, round the loop as the sender plays it.
std::vector<Luma> Play(const PreviewClip& clip, int first, int count) {
  Decoder decoder(clip);
  EXPECT_TRUE(decoder.IsOpen());
  std::vector<Luma> pictures;
  if (!decoder.IsOpen()) return pictures;
  for (int n = 0; n < count; ++n) {
    const int index = (first + n) % kClipFrames;
    auto picture = decoder.Decode(clip.video[static_cast<std::size_t>(index)]);
    EXPECT_TRUE(picture) << "frame " << index << " after " << n << " frames";
    if (!picture) return pictures;
    pictures.push_back(std::move(*picture));
  }
  return pictures;
}

// Pixels of rows [top, bottom) that differ by more than a coding error between two pictures.
int DifferentPixels(const Luma& a, const Luma& b, int top, int bottom) {
  int count = 0;
  for (std::size_t i = static_cast<std::size_t>(top * kClipWidth);
       i < static_cast<std::size_t>(bottom * kClipWidth); ++i) {
    if (std::abs(a[i] - b[i]) > 64) ++count;
  }
  return count;
}

TEST(PreviewClip, VideoIsH264WhoseFormatBlockHoldsTheParameterSetsOfItsKeyFrames) {
  const auto clip = Encode("SN0123456789", "192.168.1.64", false);
  ASSERT_TRUE(clip);
  const std::uint8_t* block = clip->videoFormat.data();
  EXPECT_EQ(Get32(block + KMR_VIDEO_MAGIC_AT), KMR_VIDEO_MAGIC);
  EXPECT_EQ(Get32(block + KMR_VIDEO_CODEC_AT), static_cast<std::uint32_t>(KMR_CODEC_H264));
  EXPECT_EQ(Get16(block + KMR_VIDEO_WIDTH_AT), static_cast<unsigned>(kClipWidth));
  EXPECT_EQ(Get16(block + KMR_VIDEO_HEIGHT_AT), static_cast<unsigned>(kClipHeight));
  EXPECT_EQ(Get16(block + KMR_VIDEO_FPS_AT), static_cast<unsigned>(kClipFramesPerSecond));
  const Bytes config = DecoderConfig(*clip);
  ASSERT_FALSE(config.empty());
  EXPECT_TRUE(std::all_of(block + KMR_VIDEO_CONFIG_AT + config.size(),
                          block + KMR_VIDEO_FORMAT_SIZE, [](std::uint8_t b) { return b == 0; }))
      << "bytes after the decoder configuration";
  const std::vector<Bytes> sets = NalUnits(config);
  EXPECT_EQ(NalTypes(sets), (std::multiset<int>{kSps, kPps}));

  EXPECT_FALSE(clip->hasAudio);
  EXPECT_TRUE(clip->audio.empty());
  EXPECT_TRUE(std::all_of(clip->audioFormat.begin(), clip->audioFormat.end(),
                          [](std::uint8_t b) { return b == 0; }));

  ASSERT_EQ(clip->video.size(), static_cast<std::size_t>(kClipFrames));
  for (int i = 0; i < kClipFrames; ++i) {
    const ClipFrame& frame = clip->video[static_cast<std::size_t>(i)];
    const std::vector<Bytes> units = NalUnits(frame.bytes);
    const std::multiset<int> types = NalTypes(units);
    EXPECT_EQ(frame.key, i % kClipKeyInterval == 0) << "frame " << i;
    if (frame.key) {
      // The stream repeats the sets before every key frame; they must be the block's.
      EXPECT_EQ(types.count(kIdrSlice), 1u) << "frame " << i;
      for (const Bytes& set : sets) {
        EXPECT_NE(std::find(units.begin(), units.end(), set), units.end()) << "frame " << i;
      }
    } else {
      EXPECT_EQ(types.count(kSlice), 1u) << "frame " << i;
      EXPECT_EQ(types.count(kIdrSlice) + types.count(kSps) + types.count(kPps), 0u)
          << "frame " << i;
    }
  }
}

TEST(PreviewClip, LoopDecodesWithoutDamageFromEitherKeyFrameAndRepeatsExactly) {
  const auto clip = Encode("SN0123456789", "192.168.1.64", false);
  ASSERT_TRUE(clip);
  const std::vector<Luma> fromStart = Play(*clip, 0, 2 * kClipFrames + kClipKeyInterval);
  ASSERT_EQ(fromStart.size(), static_cast<std::size_t>(2 * kClipFrames + kClipKeyInterval));
  for (int i = 0; i < kClipFrames + kClipKeyInterval; ++i) {
    EXPECT_EQ(fromStart[static_cast<std::size_t>(i)],
              fromStart[static_cast<std::size_t>(i + kClipFrames)])
        << "frame " << i % kClipFrames << " differs on the next turn of the loop";
  }
  // A preview that joins at the second key frame sees the same pictures as one that began at the
  // first, across the point where the loop starts again.
  const std::vector<Luma> fromSecondKey = Play(*clip, kClipKeyInterval, kClipFrames);
  ASSERT_EQ(fromSecondKey.size(), static_cast<std::size_t>(kClipFrames));
  for (int n = 0; n < kClipFrames; ++n) {
    EXPECT_EQ(fromSecondKey[static_cast<std::size_t>(n)],
              fromStart[static_cast<std::size_t>((kClipKeyInterval + n) % kClipFrames)])
        << "frame " << (kClipKeyInterval + n) % kClipFrames;
  }
}

TEST(PreviewClip, PictureNamesItsDeviceAndAddressAndShowsMotionThroughTheLoop) {
  const auto clip = Encode("SN0123456789", "192.168.1.64", false);
  const auto otherAddress = Encode("SN0123456789", "192.168.1.123", false);
  const auto otherSerial = Encode("SN9876543210", "192.168.1.64", false);
  // Text the font cannot draw, and more of it than the picture holds, still makes a clip.
  const auto oversized =
      Encode(std::string(200, 'W') + "\xe6\x91\x84\xe5\x83\x8f", "fe80::1%eth0", false);
  ASSERT_TRUE(clip && otherAddress && otherSerial && oversized);
  EXPECT_EQ(Play(*oversized, 0, kClipFrames).size(), static_cast<std::size_t>(kClipFrames));

  const std::vector<Luma> pictures = Play(*clip, 0, kClipFrames);
  ASSERT_EQ(pictures.size(), static_cast<std::size_t>(kClipFrames));
  const int textBottom = kClipHeight * 3 / 4;
  const int bright = static_cast<int>(std::count_if(pictures[0].begin(),
                                                    pictures[0].begin() + textBottom * kClipWidth,
                                                    [](std::uint8_t y) { return y > 180; }));
  EXPECT_GT(bright, 200) << "no text on the picture";
  // The text stays put while the clip plays.
  EXPECT_EQ(DifferentPixels(pictures[0], pictures[kClipFrames - 1], 0, textBottom), 0);
  // Another address or another serial number changes the text, each on its own line.
  const Luma addressPicture = Play(*otherAddress, 0, 1).at(0);
  const Luma serialPicture = Play(*otherSerial, 0, 1).at(0);
  const int middle = kClipHeight * 2 / 5;
  EXPECT_EQ(DifferentPixels(pictures[0], addressPicture, 0, middle), 0);
  EXPECT_GT(DifferentPixels(pictures[0], addressPicture, middle, textBottom), 50);
  EXPECT_GT(DifferentPixels(pictures[0], serialPicture, 0, middle), 50);
  EXPECT_EQ(DifferentPixels(pictures[0], serialPicture, middle, textBottom), 0);

  // Something bright crosses the bottom of the picture from left to right, one step a frame.
  std::vector<double> centres;
  for (const Luma& picture : pictures) {
    double sum = 0;
    int count = 0;
    for (int y = textBottom; y < kClipHeight; ++y) {
      for (int x = 0; x < kClipWidth; ++x) {
        if (picture[static_cast<std::size_t>(y * kClipWidth + x)] > 150) {
          sum += x;
          ++count;
        }
      }
    }
    ASSERT_GT(count, 0) << "frame " << centres.size() << " shows no motion";
    centres.push_back(sum / count);
  }
  EXPECT_EQ(std::adjacent_find(centres.begin(), centres.end(), std::greater_equal<>()),
            centres.end())
      << "the motion stops or turns back";
  EXPECT_LT(centres.front(), kClipWidth / 4.0);
  EXPECT_GT(centres.back(), kClipWidth * 3 / 4.0);
}

TEST(PreviewClip, AudioIsAMuLawToneOneFrameAVideoFrameThatLoopsWithoutAClick) {
  const auto clip = Encode("SN0123456789", "192.168.1.64", true);
  ASSERT_TRUE(clip);
  EXPECT_TRUE(clip->hasAudio);
  const std::uint8_t* block = clip->audioFormat.data();
  EXPECT_EQ(Get32(block + KMR_AUDIO_MAGIC_AT), KMR_AUDIO_MAGIC);
  EXPECT_EQ(Get32(block + KMR_AUDIO_CODEC_AT), static_cast<std::uint32_t>(KMR_CODEC_G711_ULAW));
  EXPECT_EQ(Get32(block + KMR_AUDIO_RATE_AT), static_cast<std::uint32_t>(kAudioRate));
  EXPECT_EQ(Get16(block + KMR_AUDIO_CHANNELS_AT), 1u);
  EXPECT_TRUE(std::all_of(block + KMR_AUDIO_CHANNELS_AT + 2, block + KMR_AUDIO_FORMAT_SIZE,
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(clip->video.size(), static_cast<std::size_t>(kClipFrames));
  ASSERT_EQ(clip->audio.size(), static_cast<std::size_t>(kClipFrames));
  Bytes law;
  for (const ClipFrame& frame : clip->audio) {
    EXPECT_TRUE(frame.key);
    ASSERT_EQ(frame.bytes.size(), static_cast<std::size_t>(kAudioBytesPerFrame));
    law.insert(law.end(), frame.bytes.begin(), frame.bytes.end());
  }

  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_PCM_MULAW);
  ASSERT_NE(codec, nullptr);
  ContextPtr context(avcodec_alloc_context3(codec));
  context->sample_rate = kAudioRate;
  av_channel_layout_default(&context->ch_layout, 1);
  ASSERT_EQ(avcodec_open2(context.get(), codec, nullptr), 0);
  PacketPtr packet(av_packet_alloc());
  FramePtr decoded(av_frame_alloc());
  ASSERT_EQ(av_new_packet(packet.get(), static_cast<int>(law.size())), 0);
  std::copy(law.begin(), law.end(), packet->data);
  ASSERT_EQ(avcodec_send_packet(context.get(), packet.get()), 0);
  ASSERT_EQ(avcodec_receive_frame(context.get(), decoded.get()), 0);
  ASSERT_EQ(decoded->format, AV_SAMPLE_FMT_S16);
  ASSERT_EQ(decoded->nb_samples, static_cast<int>(law.size()));
  const auto* samples = reinterpret_cast<const std::int16_t*>(decoded->data[0]);
  const std::vector<int> pcm(samples, samples + decoded->nb_samples);

  // Every frame sounds, at the same loudness.
  for (std::size_t at = 0; at < pcm.size(); at += kAudioBytesPerFrame) {
    const int peak = *std::max_element(pcm.begin() + static_cast<long>(at),
                                       pcm.begin() + static_cast<long>(at + kAudioBytesPerFrame));
    EXPECT_GT(peak, 4000) << "audio frame " << at / kAudioBytesPerFrame;
    EXPECT_LT(peak, 8000) << "audio frame " << at / kAudioBytesPerFrame;
  }
  // A steady tone that loops without a click: a whole number of cycles in the loop, so that all its
  // power lies in one line of the loop's spectrum. A cut cycle or a jump of phase anywhere spreads
  // it into the lines beside.
  const std::size_t firstSounding = static_cast<std::size_t>(
      std::find_if(pcm.begin(), pcm.end(), [](int s) { return s != 0; }) - pcm.begin());
  ASSERT_LT(firstSounding, pcm.size());
  int changes = 0;
  int lastSign = pcm[firstSounding] > 0 ? 1 : -1;
  for (std::size_t n = 1; n <= pcm.size(); ++n) {
    const int sample = pcm[(firstSounding + n) % pcm.size()];
    const int sign = (sample > 0) - (sample < 0);
    if (sign != 0 && sign != lastSign) ++changes;
    if (sign != 0) lastSign = sign;
  }
  const int seconds = kClipFrames / kClipFramesPerSecond;
  EXPECT_GT(changes, 2 * 100 * seconds) << "below 100 Hz";
  EXPECT_LT(changes, 2 * 2000 * seconds) << "above 2 kHz";
  const double cycles = std::round(changes / 2.0);
  double re = 0;
  double im = 0;
  double power = 0;
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    const double angle =
        2 * std::numbers::pi * cycles * static_cast<double>(i) / static_cast<double>(pcm.size());
    re += pcm[i] * std::cos(angle);
    im += pcm[i] * std::sin(angle);
    power += static_cast<double>(pcm[i]) * pcm[i];
  }
  const double inLine = 2 * (re * re + im * im) / static_cast<double>(pcm.size());
  EXPECT_GT(inLine / power, 0.99) << "the tone is cut or jumps";
}

}  // namespace
