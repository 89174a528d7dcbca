// The G.711 expansion against the values of ITU-T G.711 and, for every code, against FFmpeg's own
// mu-law and A-law decoders.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "ffmpeg_handles.h"
#include "g711.h"
#include "player_format.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace player_test {
namespace {

// The 256 codes through FFmpeg's decoder of the law; empty when it is not there.
std::vector<std::int16_t> FfmpegExpansion(AVCodecID id) {
  const AVCodec* codec = avcodec_find_decoder(id);
  if (codec == nullptr) return {};
  player::CodecContextPtr context(avcodec_alloc_context3(codec));
  player::FramePtr frame(av_frame_alloc());
  player::PacketPtr packet(av_packet_alloc());
  context->sample_rate = 8000;
  av_channel_layout_default(&context->ch_layout, 1);
  if (avcodec_open2(context.get(), codec, nullptr) < 0 || av_new_packet(packet.get(), 256) < 0) {
    return {};
  }
  for (int code = 0; code < 256; ++code) packet->data[code] = static_cast<std::uint8_t>(code);
  if (avcodec_send_packet(context.get(), packet.get()) < 0 ||
      avcodec_receive_frame(context.get(), frame.get()) < 0 || frame->nb_samples != 256 ||
      frame->format != AV_SAMPLE_FMT_S16) {
    return {};
  }
  std::vector<std::int16_t> samples(256);
  std::memcpy(samples.data(), frame->data[0], samples.size() * sizeof(std::int16_t));
  return samples;
}

std::vector<unsigned char> AllCodes() {
  std::vector<unsigned char> codes(256);
  for (int code = 0; code < 256; ++code) codes[code] = static_cast<unsigned char>(code);
  return codes;
}

TEST(G711, MuLawAndALawExpandToTheStandardsValues) {
  // Silence, the smallest steps and both ends of the range.
  EXPECT_EQ(player::MuLawToLinear(0xFF), 0);
  EXPECT_EQ(player::MuLawToLinear(0x7F), 0);
  EXPECT_EQ(player::MuLawToLinear(0xFE), 8);
  EXPECT_EQ(player::MuLawToLinear(0x7E), -8);
  EXPECT_EQ(player::MuLawToLinear(0x80), 32124);
  EXPECT_EQ(player::MuLawToLinear(0x00), -32124);
  EXPECT_EQ(player::MuLawToLinear(0xF0), 120);
  EXPECT_EQ(player::ALawToLinear(0xD5), 8);
  EXPECT_EQ(player::ALawToLinear(0x55), -8);
  EXPECT_EQ(player::ALawToLinear(0xD4), 24);
  EXPECT_EQ(player::ALawToLinear(0xAA), 32256);
  EXPECT_EQ(player::ALawToLinear(0x2A), -32256);
  EXPECT_EQ(player::ALawToLinear(0xC5), 264);

  const std::vector<unsigned char> codes = AllCodes();
  const std::vector<std::int16_t> mulaw = FfmpegExpansion(AV_CODEC_ID_PCM_MULAW);
  const std::vector<std::int16_t> alaw = FfmpegExpansion(AV_CODEC_ID_PCM_ALAW);
  ASSERT_EQ(mulaw.size(), 256u);
  ASSERT_EQ(alaw.size(), 256u);
  EXPECT_EQ(player::DecodeG711(KMR_CODEC_G711_ULAW, codes.data(), 256), mulaw);
  EXPECT_EQ(player::DecodeG711(KMR_CODEC_G711_ALAW, codes.data(), 256), alaw);
  // The expansion keeps the order of the frame's samples and handles no other codec.
  const unsigned char frame[] = {0xFF, 0x80, 0x00};
  EXPECT_EQ(player::DecodeG711(KMR_CODEC_G711_ULAW, frame, 3),
            (std::vector<std::int16_t>{0, 32124, -32124}));
  EXPECT_TRUE(player::DecodeG711(KMR_CODEC_H264, codes.data(), 256).empty());
  EXPECT_TRUE(player::DecodeG711(KMR_CODEC_G711_ULAW, codes.data(), 0).empty());
}

}  // namespace
}  // namespace player_test
