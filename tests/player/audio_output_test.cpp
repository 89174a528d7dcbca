// Sound with a Qt application: the output runs on a thread of its own that ends with the
// application. This machine has no audio device, so every frame is taken and dropped.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "counting_sink.h"
#include "player.h"
#include "test_stream.h"

namespace player_test {
namespace {

constexpr char kAudioThreadName[] = "player audio";

bool AudioThreadRuns() {
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    if (std::getline(comm, name) && name == kAudioThreadName) return true;
  }
  return false;
}

int Open(int port, int codec) {
  const auto block = AudioFormatBlock(codec);
  return IP_KMR_OpenStream(port, block.data(), KMR_AUDIO_FORMAT_SIZE, KMR_STREAM_AUDIO, 40);
}

TEST(PlayerAudio, TheOutputThreadRunsWithTheApplicationAndPortsOutliveIt) {
#if defined(__SANITIZE_THREAD__)
  // Qt and PulseAudio are not built for ThreadSanitizer: the locking inside them, which orders
  // the hand-over to the audio thread, is invisible to it.
  GTEST_SKIP() << "Qt's event delivery cannot be checked by ThreadSanitizer";
#endif
  const std::vector<unsigned char> samples(800, 0xD5);
  constexpr int kFirst = 501;
  constexpr int kSecond = 502;
  int argc = 1;
  char name[] = "test_player";
  char* argv[] = {name, nullptr};
  auto app = std::make_unique<QCoreApplication>(argc, argv);

  ASSERT_EQ(Open(kFirst, KMR_CODEC_G711_ULAW), 0);
  ASSERT_EQ(Open(kSecond, KMR_CODEC_G711_ALAW), 0);
  EXPECT_TRUE(Eventually(AudioThreadRuns));
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(IP_KMR_InputAudioData(kFirst, samples.data(), 800, i * 100), 0);
    EXPECT_EQ(IP_KMR_InputAudioData(kSecond, samples.data(), 800, i * 100), 0);
  }
  // Another law replaces the port's output; a stopped port's output goes on the audio thread.
  ASSERT_EQ(Open(kFirst, KMR_CODEC_G711_ALAW), 0);
  EXPECT_EQ(IP_KMR_InputAudioData(kFirst, samples.data(), 800, 1000), 0);
  EXPECT_EQ(IP_KMR_Stop(kFirst), 0);

  app.reset();
  EXPECT_TRUE(Eventually([] { return !AudioThreadRuns(); }));
  // Without Qt the sound is dropped, and the port that outlived the application still stops.
  EXPECT_EQ(IP_KMR_InputAudioData(kSecond, samples.data(), 800, 1000), 0);
  EXPECT_EQ(IP_KMR_Stop(kSecond), 0);
  ASSERT_EQ(Open(kFirst, KMR_CODEC_G711_ULAW), 0);
  EXPECT_EQ(IP_KMR_InputAudioData(kFirst, samples.data(), 800, 0), 0);
  EXPECT_FALSE(AudioThreadRuns());
  EXPECT_EQ(IP_KMR_Stop(kFirst), 0);
}

}  // namespace
}  // namespace player_test
