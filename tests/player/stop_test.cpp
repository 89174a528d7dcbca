// Stop against the threads that still feed and decode the port: once Stop returns, the window may
// go at once. Meant to be run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "counting_sink.h"
#include "player.h"
#include "test_stream.h"

namespace player_test {
namespace {

constexpr int kBuffer = 40;
// Long enough for a player thread that wrongly kept going to call the sink again.
constexpr auto kAfterStop = std::chrono::milliseconds(300);

int Open(int port, const TestStream& stream) {
  return IP_KMR_OpenStream(port, stream.format.data(), KMR_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO,
                           kBuffer);
}

// One port's feed as the device library's thread makes it: a header before every key frame, the
// frames in between, round and round. The window closes the stream before it stops the port, so a
// header never comes after the Stop; a frame may.
class Feeder {
 public:
  Feeder(int port, const TestStream& stream, KMR_VIDEO_SINK* sink)
      : m_port(port), m_stream(stream), m_sink(sink), m_thread([this] { Run(); }) {}
  ~Feeder() { m_thread.join(); }

  // Stops the port while frames keep coming.
  int Stop() {
    {
      std::lock_guard lock(m_headerMutex);
      m_closed = true;
    }
    return IP_KMR_Stop(m_port);
  }

 private:
  void Run() {
    int timeStamp = 0;
    for (;;) {
      for (const EncodedFrame& frame : m_stream.frames) {
        if (frame.key) {
          std::lock_guard lock(m_headerMutex);
          if (m_closed || Open(m_port, m_stream) != 0 || IP_KMR_Play(m_port, m_sink) != 0) return;
        }
        timeStamp += kFrameMs;
        if (IP_KMR_InputVideoData(m_port, frame.bytes.data(), static_cast<int>(frame.bytes.size()),
                                  frame.key ? KMR_FRAME_KEY : KMR_FRAME_DELTA, timeStamp) != 0) {
          return;
        }
      }
    }
  }

  const int m_port;
  const TestStream& m_stream;
  KMR_VIDEO_SINK* const m_sink;
  std::mutex m_headerMutex;
  bool m_closed = false;
  std::thread m_thread;
};

TEST(PlayerStop, AfterStopReturnsTheSinkIsNeverCalledAgainWhileFramesKeepComing) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  constexpr int kPorts = 6;
  constexpr int kFirstPort = 401;
  std::vector<std::unique_ptr<CountingSink>> sinks;
  std::vector<std::unique_ptr<Feeder>> feeders;
  for (int i = 0; i < kPorts; ++i) {
    sinks.push_back(std::make_unique<CountingSink>(i % 2 == 0 ? 0 : 120, i % 2 == 0 ? 0 : 68));
    feeders.push_back(std::make_unique<Feeder>(kFirstPort + i, stream, sinks.back()->Sink()));
  }
  for (int i = 0; i < kPorts; ++i) {
    CountingSink& sink = *sinks[i];
    ASSERT_TRUE(sink.WaitForCount(3));
    // Whatever the port is doing: an input on the feeder's thread, a decode or a picture on a
    // player thread.
    EXPECT_EQ(feeders[i]->Stop(), 0);
    EXPECT_EQ(sink.Active(), 0) << "a picture was still being handed over";
    if (i % 2 == 1) {
      // The window goes right away; a late call would be a use after free under AddressSanitizer.
      sinks[i].reset();
      continue;
    }
    const int atStop = sink.Count();
    std::this_thread::sleep_for(kAfterStop);
    EXPECT_EQ(sink.Count(), atStop) << "port " << kFirstPort + i;
  }
  feeders.clear();
  // Some time for a late call into the windows already gone.
  std::this_thread::sleep_for(kAfterStop);
}

TEST(PlayerStop, StopFromInsideTheSinkReturnsAndEndsThePictures) {
  const TestStream& stream = StandardStream();
  ASSERT_FALSE(stream.frames.empty());
  constexpr int kPort = 411;
  CountingSink sink;
  std::atomic<int> stopResult{1};
  sink.SetHook([&] {
    if (sink.Count() == 2) stopResult = IP_KMR_Stop(kPort);
  });
  ASSERT_EQ(Open(kPort, stream), 0);
  ASSERT_EQ(IP_KMR_Play(kPort, sink.Sink()), 0);
  for (const EncodedFrame& frame : stream.frames) {
    IP_KMR_InputVideoData(kPort, frame.bytes.data(), static_cast<int>(frame.bytes.size()),
                          frame.key ? KMR_FRAME_KEY : KMR_FRAME_DELTA, frame.timeStamp);
  }
  ASSERT_TRUE(Eventually([&] { return stopResult.load() != 1; }));
  EXPECT_EQ(stopResult.load(), 0);
  std::this_thread::sleep_for(kAfterStop);
  EXPECT_EQ(sink.Count(), 2);
  EXPECT_EQ(IP_KMR_Stop(kPort), -1);
  // The port number is free again and works as a new port.
  CountingSink next;
  ASSERT_EQ(Open(kPort, stream), 0);
  ASSERT_EQ(IP_KMR_Play(kPort, next.Sink()), 0);
  for (const EncodedFrame& frame : stream.frames) {
    ASSERT_EQ(IP_KMR_InputVideoData(kPort, frame.bytes.data(), static_cast<int>(frame.bytes.size()),
                                    frame.key ? KMR_FRAME_KEY : KMR_FRAME_DELTA, frame.timeStamp),
              0);
  }
  EXPECT_TRUE(next.WaitForCount(static_cast<int>(stream.frames.size())));
  EXPECT_EQ(IP_KMR_Stop(kPort), 0);
  EXPECT_EQ(sink.Count(), 2);
}

}  // namespace
}  // namespace player_test
