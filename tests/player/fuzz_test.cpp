// Damaged input: format blocks and frames that are short, random or lying about their sizes. Every
// buffer handed over is exactly as long as its size says, so AddressSanitizer sees a read past it.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

#include "counting_sink.h"
#include "picture_check.h"
#include "player.h"
#include "test_stream.h"

namespace player_test {
namespace {

constexpr int kBuffer = 40;

std::vector<unsigned char> RandomBytes(std::mt19937& random, int size) {
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
  return bytes;
}

int Open(int port, const std::vector<unsigned char>& block) {
  return IP_KMR_OpenStream(port, block.data(), static_cast<int>(block.size()), KMR_STREAM_VIDEO,
                           kBuffer);
}

int Input(int port, const std::vector<unsigned char>& bytes, bool key, int timeStamp) {
  return IP_KMR_InputVideoData(port, bytes.data(), static_cast<int>(bytes.size()),
                               key ? KMR_FRAME_KEY : KMR_FRAME_DELTA, timeStamp);
}

void PutU16(std::vector<unsigned char>& block, int at, int value) {
  block[at] = static_cast<unsigned char>(value & 0xFF);
  block[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

// After damage: one good key frame as a marker, awaited so that nothing damaged is still queued,
// then the whole test stream, which must be shown entirely and intact.
void ExpectPortWorks(int port, const TestStream& stream, CountingSink& sink) {
  constexpr int kMarker = -1;
  const auto shown = [&](int timeStamp) {
    return Eventually([&] {
      const std::vector<ReceivedPicture> pictures = sink.Pictures();
      return !pictures.empty() && pictures.back().timeStamp == timeStamp;
    });
  };
  ASSERT_EQ(Input(port, stream.frames.front().bytes, true, kMarker), 0);
  ASSERT_TRUE(shown(kMarker));
  const int before = sink.Count();
  for (const EncodedFrame& frame : stream.frames) {
    ASSERT_EQ(Input(port, frame.bytes, frame.key, frame.timeStamp), 0);
  }
  ASSERT_TRUE(shown(stream.frames.back().timeStamp));
  const std::vector<ReceivedPicture> pictures = sink.Pictures();
  const int total = static_cast<int>(stream.frames.size());
  ASSERT_EQ(static_cast<int>(pictures.size()), before + total);
  for (int i = 0; i < total; ++i) {
    const ReceivedPicture& picture = pictures[static_cast<std::size_t>(before + i)];
    EXPECT_EQ(picture.timeStamp, stream.frames[i].timeStamp) << "picture " << i;
    EXPECT_EQ(PictureMismatch(picture, i, stream.width, stream.height), "") << "picture " << i;
  }
}

TEST(PlayerFuzz, DamagedFormatBlocksAreRefusedAndTheGoodBlockStillOpens) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  const std::vector<unsigned char> good(stream.format.begin(), stream.format.end());
  constexpr int kPort = 301;
  std::mt19937 random(1234);

  // Cut short anywhere, from nothing to one byte less than a block.
  for (int size = 1; size < KMR_VIDEO_FORMAT_SIZE; ++size) {
    const std::vector<unsigned char> cut(good.begin(), good.begin() + size);
    ASSERT_EQ(Open(kPort, cut), -1) << size;
  }
  for (int round = 0; round < 200; ++round) {
    ASSERT_EQ(Open(kPort, RandomBytes(random, KMR_VIDEO_FORMAT_SIZE)), -1);
  }
  struct Field {
    int at;
    int value;
  };
  const Field lies[] = {
      {KMR_VIDEO_MAGIC_AT, 0x4B52},
      {KMR_VIDEO_CODEC_AT, KMR_CODEC_G711_ULAW},
      {KMR_VIDEO_CODEC_AT, 0},
      {KMR_VIDEO_WIDTH_AT, 0},
      {KMR_VIDEO_WIDTH_AT, 15},
      {KMR_VIDEO_WIDTH_AT, 4097},
      {KMR_VIDEO_HEIGHT_AT, 0xFFFF},
      {KMR_VIDEO_HEIGHT_AT, 8},
      {KMR_VIDEO_CONFIG_SIZE_AT, 0},
      {KMR_VIDEO_CONFIG_SIZE_AT, KMR_VIDEO_CONFIG_MAX + 1},
      {KMR_VIDEO_CONFIG_SIZE_AT, 0xFFFF},
  };
  for (const Field& lie : lies) {
    std::vector<unsigned char> block = good;
    PutU16(block, lie.at, lie.value);
    EXPECT_EQ(Open(kPort, block), -1) << "field at " << lie.at << " = " << lie.value;
  }
  // Parameter sets that are random bytes, or random bytes behind the right start codes.
  const int configSize = good[KMR_VIDEO_CONFIG_SIZE_AT] | (good[KMR_VIDEO_CONFIG_SIZE_AT + 1] << 8);
  for (int round = 0; round < 200; ++round) {
    std::vector<unsigned char> block = good;
    std::vector<unsigned char> noise = RandomBytes(random, KMR_VIDEO_CONFIG_MAX);
    const bool framed = round % 2 == 1;
    if (framed) {
      const unsigned char sps[] = {0, 0, 0, 1, 0x67};
      const unsigned char pps[] = {0, 0, 1, 0x68};
      std::copy(std::begin(sps), std::end(sps), noise.begin());
      std::copy(std::begin(pps), std::end(pps), noise.begin() + 40 + round % 100);
    }
    std::copy(noise.begin(), noise.end(), block.begin() + KMR_VIDEO_CONFIG_AT);
    // Without start codes the block is refused as such; behind them the decoder decides.
    const int result = Open(kPort, block);
    if (!framed) {
      EXPECT_EQ(result, -1);
    }
  }
  for (int round = 0; round < 300; ++round) {
    std::vector<unsigned char> block = good;
    // A few flipped bytes anywhere in the parameter sets: refused or opened, never a crash.
    for (int flip = 0; flip < 3; ++flip) {
      block[KMR_VIDEO_CONFIG_AT + random() % configSize] ^= static_cast<unsigned char>(random());
    }
    PutU16(block, KMR_VIDEO_CONFIG_SIZE_AT, 1 + static_cast<int>(random() % KMR_VIDEO_CONFIG_MAX));
    Open(kPort, block);
  }
  // Whatever the damaged blocks did to the port, the good one sets it right again.
  CountingSink sink;
  ASSERT_EQ(Open(kPort, good), 0);
  ASSERT_EQ(IP_KMR_Play(kPort, sink.Sink()), 0);
  ExpectPortWorks(kPort, stream, sink);
  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
}

TEST(PlayerFuzz, RandomAndTruncatedFramesNeverCrashAndTheNextKeyFrameRecovers) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  const std::vector<unsigned char> good(stream.format.begin(), stream.format.end());
  constexpr int kPort = 311;
  std::mt19937 random(99);
  CountingSink sink;
  ASSERT_EQ(Open(kPort, good), 0);
  ASSERT_EQ(IP_KMR_Play(kPort, sink.Sink()), 0);

  int timeStamp = 0;
  for (int round = 0; round < 3; ++round) {
    // Random bytes, marked key and delta, some with start codes in front.
    for (int i = 0; i < 30; ++i) {
      std::vector<unsigned char> noise = RandomBytes(random, 1 + static_cast<int>(random() % 3000));
      if (i % 2 == 0 && noise.size() > 4) {
        noise[0] = 0;
        noise[1] = 0;
        noise[2] = 1;
        noise[3] = static_cast<unsigned char>(0x01 + (random() % 2) * 4);  // a slice, or an IDR
      }
      ASSERT_EQ(Input(kPort, noise, i % 3 == 0, ++timeStamp), 0);
    }
    // Real frames cut short anywhere, or with bytes flipped after their first slice header.
    for (std::size_t i = 0; i < stream.frames.size(); ++i) {
      const EncodedFrame& frame = stream.frames[i];
      std::vector<unsigned char> bytes = frame.bytes;
      if (i % 2 == 0) {
        bytes.resize(1 + random() % bytes.size());
      } else {
        for (int flip = 0; flip < 4 && bytes.size() > 16; ++flip) {
          bytes[16 + random() % (bytes.size() - 16)] ^= static_cast<unsigned char>(random());
        }
      }
      ASSERT_EQ(Input(kPort, bytes, frame.key, ++timeStamp), 0);
    }
  }
  ExpectPortWorks(kPort, stream, sink);
  for (const ReceivedPicture& picture : sink.Pictures()) {
    EXPECT_EQ(picture.width, stream.width);
    EXPECT_EQ(picture.height, stream.height);
  }
  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
}

}  // namespace
}  // namespace player_test
