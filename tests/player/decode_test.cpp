// Real H.264 and H.265 through the C functions to a window's sink: the pictures, their size, their
// order and their content, with stream headers repeated as the device library sends them.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "counting_sink.h"
#include "picture_check.h"
#include "player.h"
#include "test_stream.h"

namespace player_test {
namespace {

constexpr int kBuffer = 40;

int Input(int port, const EncodedFrame& frame) {
  return IP_KMR_InputVideoData(port, frame.bytes.data(), static_cast<int>(frame.bytes.size()),
                               frame.key ? KMR_FRAME_KEY : KMR_FRAME_DELTA, frame.timeStamp);
}

int Open(int port, const TestStream& stream) {
  return IP_KMR_OpenStream(port, stream.format.data(), KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO,
                           kBuffer);
}

// Expects exactly the frames [first, last) of stream, in order and showing what they should.
void ExpectFrames(const CountingSink& sink, const TestStream& stream, int first, int last,
                  int width, int height) {
  const std::vector<ReceivedPicture> pictures = sink.Pictures();
  ASSERT_EQ(static_cast<int>(pictures.size()), last - first);
  for (int i = 0; i < last - first; ++i) {
    const ReceivedPicture& picture = pictures[i];
    SCOPED_TRACE("picture " + std::to_string(i));
    EXPECT_EQ(picture.timeStamp, stream.frames[first + i].timeStamp);
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    EXPECT_EQ(PictureMismatch(picture, first + i, stream.width, stream.height), "");
    if (i > 0) {
      EXPECT_NE(picture.pixels, pictures[i - 1].pixels);
    }
  }
}

TEST(PlayerDecode, PicturesReachTheSinkInOrderAtTheStreamOrTheWantedSize) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  const int total = static_cast<int>(stream.frames.size());
  CountingSink ownSize;
  CountingSink small(160, 90);
  CountingSink unset(-1, 0);
  const int ports[] = {101, 102, 103};
  CountingSink* sinks[] = {&ownSize, &small, &unset};
  ASSERT_EQ(IP_KMR_Init(), 0);
  ASSERT_EQ(IP_KMR_Init(), 0);
  // As the device library's caller does: a header before every key frame, then the frames.
  for (const EncodedFrame& frame : stream.frames) {
    for (int i = 0; i < 3; ++i) {
      if (frame.key) {
        ASSERT_EQ(Open(ports[i], stream), 0);
        ASSERT_EQ(IP_KMR_Play(ports[i], sinks[i]->Sink()), 0);
      }
      ASSERT_EQ(Input(ports[i], frame), 0);
    }
  }
  for (CountingSink* sink : sinks) EXPECT_TRUE(sink->WaitForCount(total));
  for (int port : ports) EXPECT_EQ(IP_KMR_Stop(port), 0);
  ExpectFrames(ownSize, stream, 0, total, stream.width, stream.height);
  ExpectFrames(small, stream, 0, total, 160, 90);
  ExpectFrames(unset, stream, 0, total, stream.width, stream.height);
}

TEST(PlayerDecode, TheSameHeaderKeepsTheDecoderAndANewFormatReopensIt) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  std::string error;
  const TestStream other = EncodeTestStream(160, 96, 10, 10, 50000, &error);
  ASSERT_FALSE(other.frames.empty()) << error;
  constexpr int kPort = 111;
  CountingSink sink;

  // Decoded without a window first: the references are kept, so the deltas that follow a Play
  // still decode. The pause lets the first frames be decoded before there is a sink; should the
  // machine be slower, they are simply shown as well.
  ASSERT_EQ(Open(kPort, stream), 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Input(kPort, stream.frames[i]), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(Open(kPort, stream), 0);
  ASSERT_EQ(IP_KMR_Play(kPort, sink.Sink()), 0);
  // The header again in the middle of a group: a reopened decoder would drop its deltas.
  for (int i = 3; i < 10; ++i) {
    if (i == 6) {
      ASSERT_EQ(Open(kPort, stream), 0);
    }
    ASSERT_EQ(Input(kPort, stream.frames[i]), 0);
  }
  ASSERT_TRUE(Eventually([&] {
    const std::vector<ReceivedPicture> pictures = sink.Pictures();
    return !pictures.empty() && pictures.back().timeStamp == stream.frames[9].timeStamp;
  }));
  const int shown = sink.Count();
  ASSERT_GE(shown, 7);
  ExpectFrames(sink, stream, 10 - shown, 10, stream.width, stream.height);

  // Another picture size: a new decoder, and pictures of the new size.
  ASSERT_EQ(Open(kPort, other), 0);
  for (const EncodedFrame& frame : other.frames) ASSERT_EQ(Input(kPort, frame), 0);
  ASSERT_TRUE(sink.WaitForCount(shown + 10));
  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
  const std::vector<ReceivedPicture> pictures = sink.Pictures();
  ASSERT_EQ(static_cast<int>(pictures.size()), shown + 10);
  for (int i = 0; i < 10; ++i) {
    const ReceivedPicture& picture = pictures[shown + i];
    EXPECT_EQ(picture.timeStamp, other.frames[i].timeStamp);
    EXPECT_EQ(picture.width, 160);
    EXPECT_EQ(picture.height, 96);
    EXPECT_EQ(PictureMismatch(picture, i, other.width, other.height), "") << "picture " << i;
  }
}

// H.265 decodes as H.264 does, each format is refused under the other codec's name (their
// parameter sets differ), and a port that changes codec gets a new decoder.
TEST(PlayerDecode, H265DecodesLikeH264AndAPortMayChangeCodec) {
  std::string error;
  const TestStream hevc = EncodeTestStream(320, 180, 20, 10, 1000, &error, KMR_CODEC_H265);
  ASSERT_FALSE(hevc.frames.empty()) << error;
  const TestStream& avc = StandardStream();
  ASSERT_FALSE(avc.frames.empty());
  constexpr int kPort = 112;
  for (const auto& [stream, wrongName] :
       {std::pair{&hevc, KMR_CODEC_H264}, std::pair{&avc, KMR_CODEC_H265}}) {
    auto misnamed = stream->format;
    misnamed[KMR_VIDEO_CODEC_AT] = static_cast<unsigned char>(wrongName);
    EXPECT_EQ(
        IP_KMR_OpenStream(kPort, misnamed.data(), KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO, kBuffer),
        -1)
        << wrongName;
  }
  CountingSink sink;
  for (const EncodedFrame& frame : hevc.frames) {
    if (frame.key) {
      ASSERT_EQ(Open(kPort, hevc), 0);
      ASSERT_EQ(IP_KMR_Play(kPort, sink.Sink()), 0);
    }
    ASSERT_EQ(Input(kPort, frame), 0);
  }
  ASSERT_TRUE(sink.WaitForCount(20));
  ExpectFrames(sink, hevc, 0, 20, 320, 180);
  ASSERT_EQ(Open(kPort, avc), 0);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(Input(kPort, avc.frames[i]), 0);
  ASSERT_TRUE(sink.WaitForCount(30));
  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
  const std::vector<ReceivedPicture> pictures = sink.Pictures();
  ASSERT_EQ(pictures.size(), 30u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(pictures[20 + i].timeStamp, avc.frames[i].timeStamp);
    EXPECT_EQ(PictureMismatch(pictures[20 + i], i, avc.width, avc.height), "") << "picture " << i;
  }
}

TEST(PlayerDecode, AFullQueueDropsFramesUntilTheNextKeyFrame) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  constexpr int kPort = 121;
  constexpr int kSmallBuffer = 5;
  CountingSink sink;
  // The first picture holds its player thread until every frame is in, as a machine far too slow
  // for the stream would: the queue of five fills and overflows.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  sink.SetHook([&sink, released] {
    if (sink.Count() == 1) released.wait_for(kPatience);
  });
  ASSERT_EQ(IP_KMR_OpenStream(kPort, stream.format.data(), KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO,
                              kSmallBuffer),
            0);
  ASSERT_EQ(IP_KMR_Play(kPort, sink.Sink()), 0);
  ASSERT_EQ(Input(kPort, stream.frames[0]), 0);
  ASSERT_TRUE(Eventually([&] { return sink.Active() == 1; }));
  // Frames 1-5 fill the queue and 6-9 are dropped; key frame 10 replaces the stale queue, 11-14
  // follow it and 15 is dropped again.
  for (int i = 1; i <= 15; ++i) ASSERT_EQ(Input(kPort, stream.frames[i]), 0);
  release.set_value();
  std::vector<int> expected = {0, 10, 11, 12, 13, 14};
  ASSERT_TRUE(sink.WaitForCount(static_cast<int>(expected.size())));
  // The queue has room again, but 16-19 lost their reference with 15 and are dropped too; the
  // stream resumes at key frame 20, each frame in its turn.
  for (int i = 16; i <= 19; ++i) ASSERT_EQ(Input(kPort, stream.frames[i]), 0);
  for (int i = 20; i <= 24; ++i) {
    ASSERT_EQ(Input(kPort, stream.frames[i]), 0);
    expected.push_back(i);
    ASSERT_TRUE(sink.WaitForCount(static_cast<int>(expected.size())));
  }
  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
  const std::vector<ReceivedPicture> pictures = sink.Pictures();
  ASSERT_EQ(pictures.size(), expected.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(pictures[i].timeStamp, stream.frames[expected[i]].timeStamp) << "picture " << i;
    EXPECT_EQ(PictureMismatch(pictures[i], expected[i], stream.width, stream.height), "")
        << "picture " << i;
  }
}

}  // namespace
}  // namespace player_test
