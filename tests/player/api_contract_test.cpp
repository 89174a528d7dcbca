// The C functions' answers: bad arguments and unknown ports refused, a port played twice, the
// order of calls a caller may get wrong, and sound on a machine without an audio device.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "counting_sink.h"
#include "player.h"
#include "test_stream.h"

namespace player_test {
namespace {

constexpr int kBuffer = 40;

int InputFrame(int port, const EncodedFrame& frame) {
  return IP_KMR_InputVideoData(port, frame.bytes.data(), static_cast<int>(frame.bytes.size()),
                               frame.key ? KMR_FRAME_KEY : KMR_FRAME_DELTA, frame.timeStamp);
}

TEST(PlayerApi, BadArgumentsUnknownPortsAndCallsOutOfOrderAreRefused) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  const unsigned char* video = stream.format.data();
  const auto audio = AudioFormatBlock(KMR_CODEC_G711_ULAW);
  const std::vector<unsigned char>& frame = stream.frames.front().bytes;
  const int frameSize = static_cast<int>(frame.size());
  CountingSink sink;
  constexpr int kPort = 201;
  constexpr int kNeverOpened = 299;

  EXPECT_EQ(IP_KMR_Init(), 0);
  // Before OpenStream the port does not exist for any call.
  EXPECT_EQ(IP_KMR_InputVideoData(kPort, frame.data(), frameSize, KMR_FRAME_KEY, 0), -1);
  EXPECT_EQ(IP_KMR_InputAudioData(kPort, audio.data(), 100, 0), -1);
  EXPECT_EQ(IP_KMR_Play(kPort, sink.Sink()), -1);
  EXPECT_EQ(IP_KMR_Stop(kNeverOpened), -1);

  for (int port : {0, -1}) {
    EXPECT_EQ(IP_KMR_OpenStream(port, video, KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO, kBuffer), -1);
  }
  EXPECT_EQ(IP_KMR_OpenStream(kPort, nullptr, KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO, kBuffer),
            -1);
  for (int size : {0, -1, KMR_VIDEO_FORMAT_SIZE - 1}) {
    EXPECT_EQ(IP_KMR_OpenStream(kPort, video, size, KMR_STREAM_VIDEO, kBuffer), -1) << size;
  }
  for (int kind : {-1, 2, 7}) {
    EXPECT_EQ(IP_KMR_OpenStream(kPort, video, KMR_VIDEO_FORMAT_SIZE, kind, kBuffer), -1) << kind;
  }
  for (int frames : {0, -5}) {
    EXPECT_EQ(IP_KMR_OpenStream(kPort, video, KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO, frames), -1);
  }
  // Each block is only good for its own kind.
  EXPECT_EQ(
      IP_KMR_OpenStream(kPort, audio.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_VIDEO, kBuffer), -1);
  EXPECT_EQ(IP_KMR_OpenStream(kPort, video, KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer), -1);
  // None of the refusals opened the port.
  EXPECT_EQ(IP_KMR_Stop(kPort), -1);

  ASSERT_EQ(IP_KMR_OpenStream(kPort, video, KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO, kBuffer), 0);
  // A block larger than needed is read at the same offsets.
  std::vector<unsigned char> larger(stream.format.begin(), stream.format.end());
  larger.resize(KMR_VIDEO_FORMAT_SIZE + 100, 0xEE);
  EXPECT_EQ(IP_KMR_OpenStream(kPort, larger.data(), static_cast<int>(larger.size()),
                              KMR_STREAM_VIDEO, kBuffer),
            0);
  EXPECT_EQ(IP_KMR_Play(kPort, nullptr), -1);
  KMR_VIDEO_SINK noPicture{nullptr, nullptr, nullptr};
  EXPECT_EQ(IP_KMR_Play(kPort, &noPicture), -1);
  EXPECT_EQ(IP_KMR_Play(0, sink.Sink()), -1);
  EXPECT_EQ(IP_KMR_InputVideoData(kPort, nullptr, frameSize, KMR_FRAME_KEY, 0), -1);
  EXPECT_EQ(IP_KMR_InputVideoData(kPort, frame.data(), 0, KMR_FRAME_KEY, 0), -1);
  EXPECT_EQ(IP_KMR_InputVideoData(kPort, frame.data(), -1, KMR_FRAME_KEY, 0), -1);
  for (int type : {0, 3, -1}) {
    EXPECT_EQ(IP_KMR_InputVideoData(kPort, frame.data(), frameSize, type, 0), -1) << type;
  }
  // No sound was opened on this port.
  EXPECT_EQ(IP_KMR_InputAudioData(kPort, audio.data(), 100, 0), -1);

  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
  EXPECT_EQ(IP_KMR_Stop(kPort), -1);
  EXPECT_EQ(IP_KMR_InputVideoData(kPort, frame.data(), frameSize, KMR_FRAME_KEY, 0), -1);
  EXPECT_EQ(IP_KMR_Play(kPort, sink.Sink()), -1);
  EXPECT_EQ(sink.Count(), 0);
}

TEST(PlayerApi, APortPlayedTwiceDrawsOnlyIntoTheSecondSink) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  constexpr int kPort = 211;
  CountingSink first;
  CountingSink second;
  ASSERT_EQ(IP_KMR_OpenStream(kPort, stream.format.data(), KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO,
                              kBuffer),
            0);
  ASSERT_EQ(IP_KMR_Play(kPort, first.Sink()), 0);
  ASSERT_EQ(IP_KMR_Play(kPort, second.Sink()), 0);
  for (const EncodedFrame& frame : stream.frames) ASSERT_EQ(InputFrame(kPort, frame), 0);
  const int total = static_cast<int>(stream.frames.size());
  EXPECT_TRUE(second.WaitForCount(total));
  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
  EXPECT_EQ(second.Count(), total);
  EXPECT_EQ(first.Count(), 0);
}

TEST(PlayerApi, SoundWithoutAnAudioDeviceIsTakenAndDropped) {
  const auto mulaw = AudioFormatBlock(KMR_CODEC_G711_ULAW);
  const auto alaw = AudioFormatBlock(KMR_CODEC_G711_ALAW);
  const std::vector<unsigned char> samples(800, 0x55);
  constexpr int kPort = 221;
  // Sound only: the port takes audio and refuses video frames.
  ASSERT_EQ(
      IP_KMR_OpenStream(kPort, mulaw.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer), 0);
  EXPECT_EQ(
      IP_KMR_OpenStream(kPort, mulaw.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer), 0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(IP_KMR_InputAudioData(kPort, samples.data(), 800, i), 0);
  EXPECT_EQ(IP_KMR_OpenStream(kPort, alaw.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer),
            0);
  EXPECT_EQ(IP_KMR_InputAudioData(kPort, samples.data(), 800, 0), 0);
  EXPECT_EQ(IP_KMR_InputAudioData(kPort, samples.data(), 0, 0), -1);
  EXPECT_EQ(IP_KMR_InputAudioData(kPort, nullptr, 800, 0), -1);
  EXPECT_EQ(IP_KMR_InputVideoData(kPort, samples.data(), 800, KMR_FRAME_KEY, 0), -1);

  // Blocks out of range are refused: codec, rate, channels, magic, length.
  auto bad = mulaw;
  bad[KMR_AUDIO_CODEC_AT] = KMR_CODEC_H264;
  EXPECT_EQ(IP_KMR_OpenStream(kPort, bad.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer),
            -1);
  bad = mulaw;
  bad[KMR_AUDIO_RATE_AT] = 0;
  bad[KMR_AUDIO_RATE_AT + 1] = 0;
  EXPECT_EQ(IP_KMR_OpenStream(kPort, bad.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer),
            -1);
  bad = mulaw;
  bad[KMR_AUDIO_CHANNELS_AT] = 0;
  EXPECT_EQ(IP_KMR_OpenStream(kPort, bad.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer),
            -1);
  bad = mulaw;
  bad[KMR_AUDIO_MAGIC_AT] ^= 0xFF;
  EXPECT_EQ(IP_KMR_OpenStream(kPort, bad.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, kBuffer),
            -1);
  EXPECT_EQ(
      IP_KMR_OpenStream(kPort, mulaw.data(), KMR_AUDIO_FORMAT_SIZE - 1, KMR_STREAM_AUDIO, kBuffer),
      -1);

  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
  EXPECT_EQ(IP_KMR_InputAudioData(kPort, samples.data(), 800, 0), -1);
}

}  // namespace
}  // namespace player_test
