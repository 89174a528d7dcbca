#include <gtest/gtest.h>

#include "sdk/sdk.h"

namespace {

TEST(PlayerLibrary, RejectsBadArgumentsAndUnknownPorts) {
  const unsigned char format[536] = {};
  const unsigned char frame[16] = {1};
  int window = 0;
  EXPECT_EQ(IP_KMR_Init(), 0);
  EXPECT_EQ(IP_KMR_OpenStream(0, format, 536, KMR_STREAM_VIDEO, 40), -1);
  EXPECT_EQ(IP_KMR_OpenStream(1000, nullptr, 536, KMR_STREAM_VIDEO, 40), -1);
  EXPECT_EQ(IP_KMR_OpenStream(1000, format, 536, 7, 40), -1);
  EXPECT_EQ(IP_KMR_Play(4242, &window), -1);
  EXPECT_EQ(IP_KMR_InputVideoData(4242, frame, 16, 0, 0), -1);
  EXPECT_EQ(IP_KMR_InputAudioData(4242, frame, 16, 0), -1);
  EXPECT_EQ(IP_KMR_Stop(4242), -1);
}

TEST(PlayerLibrary, AnOpenPortTakesDataOfItsKindsUntilStopped) {
  const unsigned char format[536] = {};
  const unsigned char frame[16] = {1};
  int window = 0;
  ASSERT_EQ(IP_KMR_OpenStream(1001, format, 536, KMR_STREAM_VIDEO, 40), 0);
  EXPECT_EQ(IP_KMR_Play(1001, &window), 0);
  EXPECT_EQ(IP_KMR_Play(1001, nullptr), -1);
  EXPECT_EQ(IP_KMR_InputVideoData(1001, frame, 16, 0, 40), 0);
  EXPECT_EQ(IP_KMR_InputVideoData(1001, frame, 0, 0, 40), -1);
  EXPECT_EQ(IP_KMR_InputAudioData(1001, frame, 16, 40), -1);  // no audio stream opened
  EXPECT_EQ(IP_KMR_Stop(1001), 0);
  EXPECT_EQ(IP_KMR_InputVideoData(1001, frame, 16, 0, 40), -1);
}

}  // namespace
