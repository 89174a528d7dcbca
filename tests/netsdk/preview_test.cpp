// Live previews: the stream a simulated camera sends, through the library's stream data callback,
// decoded by the player; what a failed or stopped preview delivers; faulty streams.
#include <algorithm>
#include <asio.hpp>
#include <atomic>
#include <thread>

#include "library_fixture.h"
#include "preview_viewer.h"
#include "sim/onvif_codes.h"

namespace netsdk_test {
namespace {

using namespace std::chrono_literals;

class PreviewTest : public LibraryTest {
 protected:
  void SetUp() override { IP_KMR_Init(); }

  // RealPlayEx on the login of serial with the device's own credentials.
  int Play(int login, const std::string& ip, Viewer& viewer, int port) {
    viewer.port = port;
    NETSDK_PREVIEW_INFO request{1, 1, 1, 0, &viewer};
    const int handle = IP_NET_DVR_RealPlayEx(login, ip.c_str(), "admin", "Admin123",
                                             &Viewer::OnStream, &request, 0);
    viewer.previewHandle.store(handle);
    return handle;
  }

  // The simulator with only camera, found, logged in to and its stream played into viewer: the
  // preview handle, or -1.
  int PlayOnly(const camsim::DeviceConfig& camera, camsim::Protocol protocol, Viewer& viewer,
               int port) {
    camsim::Scenario scenario;
    scenario.devices.push_back(camera);
    Start(scenario, kScale, protocol);
    if (!SearchFor(1)) return -1;
    const int login = LoginTo(camera.serial);
    return login > 0 ? Play(login, camera.ip, viewer, port) : -1;
  }

  std::vector<std::string> StreamJournal(const std::string& serial) {
    std::vector<std::string> texts;
    for (const auto& entry : Sim().GetJournal().Find(serial, 1020)) {
      texts.push_back(entry.kind + ": " + entry.text);
    }
    return texts;
  }
};

// Over ONVIF the same stream comes by RTSP and is delivered as the same records.
class PreviewOnBothBackends : public PreviewTest,
                              public ::testing::WithParamInterface<camsim::Protocol> {};

TEST_P(PreviewOnBothBackends, StreamArrivesAsHeaderThenFramesThatThePlayerDecodesUntilStopped) {
  camsim::DeviceConfig camera = Camera("SN01", "192.168.1.11");
  camera.hasAudio = true;
  const bool framed = GetParam() == camsim::Protocol::kFramed;
  Viewer viewer;
  const int handle = PlayOnly(camera, GetParam(), viewer, 1000);
  ASSERT_GT(handle, 0);
  ASSERT_TRUE(Eventually([&] { return viewer.pictures.load() >= 15; }));

  const std::vector<Packet> packets = viewer.Packets();
  ASSERT_FALSE(packets.empty());
  EXPECT_EQ(packets.front().dataKind, NETSDK_STREAM_HEADER);
  EXPECT_EQ(packets.front().size, STREAM_HEADER_SIZE);
  double lastVideo = -1;
  int headers = 0;
  int audio = 0;
  for (std::size_t i = 0; i < packets.size(); ++i) {
    const Packet& packet = packets[i];
    if (packet.dataKind == NETSDK_STREAM_HEADER) {
      ++headers;
      // Every header comes just before a key frame, so a late window starts within a second.
      if (i + 1 < packets.size()) {
        EXPECT_EQ(packets[i + 1].frameKind, NETSDK_FRAME_KEY);
      }
    } else if (packet.dataKind == NETSDK_STREAM_VIDEO) {
      EXPECT_GT(packet.timeStamp, lastVideo);
      lastVideo = packet.timeStamp;
    } else {
      EXPECT_EQ(packet.dataKind, NETSDK_STREAM_AUDIO);
      // RTP carries the sound in packets of its own size.
      if (framed) {
        EXPECT_EQ(packet.size, 800);
      }
      ++audio;
    }
  }
  EXPECT_GE(headers, 2);
  EXPECT_GT(audio, 10);
  EXPECT_EQ(viewer.callsBeforeHandle.load(), 0);
  {
    std::lock_guard lock(viewer.mutex);
    EXPECT_EQ(viewer.width, 320);
    EXPECT_EQ(viewer.height, 180);
    ASSERT_GE(viewer.firstPictures.size(), 10u);
    EXPECT_NE(viewer.firstPictures.front(), viewer.firstPictures[9]) << "the picture never moves";
  }

  EXPECT_EQ(IP_NET_DVR_StopRealPlay(handle), 0);
  const int callsAtStop = viewer.calls.load();
  EXPECT_EQ(viewer.inCallback.load(), 0);
  EXPECT_EQ(IP_KMR_Stop(viewer.port), 0);
  std::this_thread::sleep_for(400ms);
  EXPECT_EQ(viewer.calls.load(), callsAtStop) << "stream data after StopRealPlay returned";
  EXPECT_EQ(IP_NET_DVR_StopRealPlay(handle), -1);
  EXPECT_TRUE(Eventually([&] { return StreamJournal("SN01").size() == 2; }));
  EXPECT_EQ(StreamJournal("SN01"),
            (std::vector<std::string>{"stream: start channel=1", "stream: stop"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, PreviewOnBothBackends,
                         ::testing::Values(camsim::Protocol::kFramed, camsim::Protocol::kOnvif),
                         [](const auto& info) {
                           return info.param == camsim::Protocol::kFramed ? "Framed" : "Onvif";
                         });

TEST_F(PreviewTest, NoPreviewWithoutAWorkingLoginOrWithBadArguments) {
  camsim::Scenario scenario;
  scenario.devices.push_back(Camera("SN01", "192.168.1.11"));
  scenario.devices.push_back(Camera("SN02", "192.168.1.12"));
  scenario.devices[1].faults.refuseLogin = true;
  Start(scenario);
  const int login = LoginAt("192.168.1.11", 9000, "admin", "Admin123");
  ASSERT_GT(login, 0);
  const int refused = IP_NET_DVR_Login("192.168.1.12", 9000, "admin", "Admin123", nullptr);
  ASSERT_GT(refused, 0);
  ASSERT_TRUE(WaitStatus(refused, NETSDK_EVENT_LOGIN_FAILED));

  Viewer viewer;
  NETSDK_PREVIEW_INFO request{1, 1, 1, 0, &viewer};
  EXPECT_EQ(Play(refused, "192.168.1.12", viewer, 1001), -1);
  EXPECT_EQ(Play(login + 1000, "192.168.1.11", viewer, 1001), -1);
  EXPECT_EQ(IP_NET_DVR_RealPlayEx(login, "192.168.1.11", "admin", "Admin123", nullptr, &request, 0),
            -1);
  EXPECT_EQ(IP_NET_DVR_RealPlayEx(login, "192.168.1.11", "admin", "Admin123", &Viewer::OnStream,
                                  nullptr, 0),
            -1);
  EXPECT_EQ(
      IP_NET_DVR_RealPlayEx(login, nullptr, "admin", "Admin123", &Viewer::OnStream, &request, 0),
      -1);
  EXPECT_EQ(IP_NET_DVR_StopRealPlay(0), -1);
  EXPECT_EQ(IP_NET_DVR_StopRealPlay(123456), -1);
  // A logged-out login plays no more.
  IP_NET_DVR_Logout(login);
  EXPECT_EQ(Play(login, "192.168.1.11", viewer, 1001), -1);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(viewer.calls.load(), 0);
  EXPECT_TRUE(StreamJournal("SN01").empty());
  EXPECT_TRUE(StreamJournal("SN02").empty());
}

// A redirect could lead anywhere: the library never follows one, and tries the device's own
// address again while the preview is open.
TEST_F(PreviewTest, OnvifStreamRedirectIsNeverFollowed) {
  asio::io_context io;
  asio::ip::tcp::acceptor elsewhere(io, {asio::ip::make_address_v4("127.0.0.1"), 0});
  elsewhere.non_blocking(true);
  const std::string target = "127.0.0.1:" + std::to_string(elsewhere.local_endpoint().port());
  camsim::DeviceConfig camera = Camera("SN01", "192.168.1.11");
  camera.onvif.rtspRedirect = target;
  Viewer viewer;
  const int handle = PlayOnly(camera, camsim::Protocol::kOnvif, viewer, 1003);
  ASSERT_GT(handle, 0);
  ASSERT_TRUE(Eventually([&] { return StreamJournal("SN01").size() >= 3; }));
  EXPECT_EQ(IP_NET_DVR_StopRealPlay(handle), 0);
  for (const std::string& entry : StreamJournal("SN01")) {
    EXPECT_EQ(entry, "redirect: rtsp://" + target + "/192.168.1.11/");
  }
  asio::error_code error;
  elsewhere.accept(error);
  EXPECT_EQ(error, asio::error::would_block) << "the redirect was followed";
  EXPECT_EQ(viewer.calls.load(), 0);
}

// Over ONVIF the preview asks for the stream's address itself: RealPlayEx (on the window thread
// of a grid) does not wait for a media service that never answers, and StopRealPlay ends the wait.
TEST_F(PreviewTest, OnvifRealPlayExDoesNotWaitForTheMediaService) {
  camsim::DeviceConfig camera = Camera("SN01", "192.168.1.11");
  camera.faults.ignoreCodes = {camsim::kOnvifGetProfiles, camsim::kOnvifMedia2GetProfiles};
  Viewer viewer;
  const int handle = PlayOnly(camera, camsim::Protocol::kOnvif, viewer, 1004);
  ASSERT_GT(handle, 0);
  ASSERT_TRUE(Eventually(
      [&] { return !Sim().GetJournal().Find("SN01", camsim::kOnvifMedia2GetProfiles).empty(); }));
  EXPECT_EQ(IP_NET_DVR_StopRealPlay(handle), 0);
  EXPECT_EQ(viewer.calls.load(), 0);
  EXPECT_TRUE(StreamJournal("SN01").empty());
}

// Headers cut short (over ONVIF: a description without the parameter sets), noise in some delta
// frames, and a camera that takes the request and sends nothing.
TEST_P(PreviewOnBothBackends, FaultyStreamsNeverReachTheWindowMalformedAndThePlayerSurvives) {
  camsim::Scenario scenario;
  for (const char* serial : {"SN01", "SN02", "SN03"}) {
    scenario.devices.push_back(Camera(serial, std::string("192.168.1.1") + serial[3]));
  }
  scenario.devices[0].faults.badHeader = true;
  scenario.devices[1].faults.corruptFrames = true;
  scenario.devices[2].faults.noStream = true;
  const bool framed = GetParam() == camsim::Protocol::kFramed;
  Start(scenario, kScale, GetParam());
  ASSERT_TRUE(SearchFor(3));
  Viewer viewers[3];
  int handles[3];
  for (int i = 0; i < 3; ++i) {
    const camsim::DeviceConfig& device = scenario.devices[static_cast<std::size_t>(i)];
    const int login = LoginTo(device.serial);
    ASSERT_GT(login, 0);
    handles[i] = Play(login, device.ip, viewers[i], 2000 + i);
    ASSERT_GT(handles[i], 0);
  }
  ASSERT_TRUE(Eventually([&] { return viewers[1].pictures.load() >= 25; }))
      << "corrupt frames stopped the decoder for good";
  if (framed) {
    ASSERT_TRUE(Eventually([&] { return viewers[0].calls.load() >= 20; }));
    for (const Packet& packet : viewers[0].Packets()) {
      EXPECT_NE(packet.dataKind, NETSDK_STREAM_HEADER) << "a header shorter than its layout";
    }
    EXPECT_EQ(viewers[0].pictures.load(), 0);
  } else {
    // The parameter sets sent before every key frame are enough.
    EXPECT_TRUE(Eventually([&] { return viewers[0].pictures.load() >= 25; }));
  }
  EXPECT_EQ(viewers[2].calls.load(), 0);
  // Over RTSP the silent stream is given up after its time-out and opened again, as a lost one is.
  const std::vector<std::string> silent = StreamJournal("SN03");
  ASSERT_FALSE(silent.empty());
  if (framed) {
    EXPECT_EQ(silent.size(), 1u);
  }
  for (std::size_t i = 0; i < silent.size(); ++i) {
    EXPECT_EQ(silent[i], i % 2 == 0 ? "stream: start channel=1" : "stream: stop") << i;
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(IP_NET_DVR_StopRealPlay(handles[i]), 0);
    IP_KMR_Stop(viewers[i].port);
  }
}

TEST_F(PreviewTest, StopRealPlayWaitsForTheRunningCallbackAndMayBeCalledFromIt) {
  Start(Cameras(3));
  Viewer viewers[3];
  int handles[3];
  for (int i = 0; i < 3; ++i) {
    viewers[i].callbackDelay = 20ms;
    const int login = LoginAt("192.168.1." + std::to_string(11 + i), 9000, "admin", "Admin123");
    ASSERT_GT(login, 0);
    handles[i] = Play(login, "192.168.1." + std::to_string(11 + i), viewers[i], 3000 + i);
    ASSERT_GT(handles[i], 0);
  }
  ASSERT_TRUE(Eventually([&] {
    return std::all_of(std::begin(viewers), std::end(viewers),
                       [](const Viewer& viewer) { return viewer.calls.load() >= 3; });
  }));
  // Stopped from another thread while callbacks run: none runs when it returns, none follows.
  for (int i = 0; i < 2; ++i) {
    while (viewers[i].inCallback.load() == 0) std::this_thread::yield();
    EXPECT_EQ(IP_NET_DVR_StopRealPlay(handles[i]), 0);
    EXPECT_EQ(viewers[i].inCallback.load(), 0);
  }
  const int calls0 = viewers[0].calls.load();
  const int calls1 = viewers[1].calls.load();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(viewers[0].calls.load(), calls0);
  EXPECT_EQ(viewers[1].calls.load(), calls1);
  // The last one stops itself from inside its own callback.
  static std::atomic<int> selfStop{0};
  struct SelfStop {
    static int OnStream(int handle, int, const unsigned char*, int, const NETSDK_FRAME_INFO*) {
      selfStop.store(IP_NET_DVR_StopRealPlay(handle) == 0 ? 1 : -1);
      return 0;
    }
  };
  const int login = LoginAt("192.168.1.13", 9000, "admin", "Admin123");
  NETSDK_PREVIEW_INFO request{1, 1, 1, 0, nullptr};
  const int self = IP_NET_DVR_RealPlayEx(login, "192.168.1.13", "admin", "Admin123",
                                         &SelfStop::OnStream, &request, 0);
  ASSERT_GT(self, 0);
  EXPECT_TRUE(Eventually([] { return selfStop.load() != 0; }));
  EXPECT_EQ(selfStop.load(), 1);
  EXPECT_EQ(IP_NET_DVR_StopRealPlay(handles[2]), 0);
  for (Viewer& viewer : viewers) IP_KMR_Stop(viewer.port);
}

}  // namespace
}  // namespace netsdk_test
