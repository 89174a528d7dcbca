// Live video over ONVIF from cameras that differ from a well-behaved one: how they ask for the
// account over RTSP, and what their profiles encode. Each against camsim's ONVIF devices, the
// clocks sped up far enough that minutes of a grid left open pass in seconds.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "library_fixture.h"
#include "preview_viewer.h"
#include "sim/onvif_codes.h"

namespace netsdk_test {
namespace {

// Minutes of program time in seconds, with the SOAP and connect waits still far above what a
// loaded machine needs.
constexpr double kLongScale = 50;
constexpr double kMinuteMs = 60000;

// The library's log while it lives; read once the test is done with it.
class CapturedLog {
 public:
  CapturedLog() { testing::internal::CaptureStderr(); }
  ~CapturedLog() { Take(); }
  const std::string& Take() {
    if (!m_taken) m_text = testing::internal::GetCapturedStderr();
    m_taken = true;
    return m_text;
  }
  int Count(const std::string& text) {
    int count = 0;
    for (std::size_t at = Take().find(text); at != std::string::npos;
         at = m_text.find(text, at + 1)) {
      ++count;
    }
    return count;
  }

 private:
  bool m_taken = false;
  std::string m_text;
};

class OnvifPreviewTest : public LibraryTest {
 protected:
  void SetUp() override { IP_KMR_Init(); }
  void TearDown() override {
    for (const auto& [handle, port] : m_open) {
      IP_NET_DVR_StopRealPlay(handle);
      IP_KMR_Stop(port);
    }
    LibraryTest::TearDown();
  }

  // The simulator with camera, found and logged in to: the login handle, or -1.
  int LogInto(const camsim::DeviceConfig& camera, double scale = kLongScale) {
    camsim::Scenario scenario;
    scenario.devices.push_back(camera);
    Start(scenario, scale, camsim::Protocol::kOnvif);
    if (!SearchFor(1)) return -1;
    return LoginTo(camera.serial);
  }

  // A pane the fixture keeps until every preview is stopped.
  Viewer& Pane() { return *m_panes.emplace_back(std::make_unique<Viewer>()); }
  std::vector<Viewer*> Panes(std::size_t count) {
    std::vector<Viewer*> panes;
    for (std::size_t i = 0; i < count; ++i) panes.push_back(&Pane());
    return panes;
  }

  // RealPlayEx on login with the given password, as a pane of a grid opens it.
  int Play(int login, const std::string& ip, const std::string& password, Viewer& viewer,
           int port) {
    viewer.port = port;
    NETSDK_PREVIEW_INFO request{1, 1, 1, 0, &viewer};
    const int handle = IP_NET_DVR_RealPlayEx(login, ip.c_str(), "admin", password.c_str(),
                                             &Viewer::OnStream, &request, 0);
    viewer.previewHandle.store(handle);
    if (handle > 0) m_open.emplace_back(handle, port);
    return handle;
  }

  std::vector<std::string> Texts(const std::string& serial, std::uint32_t code) {
    std::vector<std::string> texts;
    for (const auto& entry : Sim().GetJournal().Find(serial, code)) texts.push_back(entry.text);
    return texts;
  }
  // Refused logins of the device's RTSP server.
  std::size_t RtspRefusals(const std::string& serial) {
    std::size_t count = 0;
    for (const std::string& text : Texts(serial, camsim::kOnvifLogin)) {
      count += text.find("(DESCRIBE)") != std::string::npos;
    }
    return count;
  }
  // The DESCRIBEs of the device's stream that carried credentials of scheme (none, digest, basic).
  std::size_t Describes(const std::string& serial, const std::string& scheme = "") {
    std::size_t count = 0;
    for (const std::string& text : Texts(serial, camsim::kOnvifRtspDescribe)) {
      count += scheme.empty() || text == scheme;
    }
    return count;
  }
  // Lets ms of program time pass on the simulator's clock, which runs as fast as the library's.
  void LetPass(double ms) {
    const double until = Sim().NowMs() + ms;
    while (Sim().NowMs() < until) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

 private:
  std::vector<std::pair<int, int>> m_open;
  std::deque<std::unique_ptr<Viewer>> m_panes;
};

// A grid of sixteen panes with a password the device does not take (it was changed elsewhere):
// one pane tries it while the others wait, the device's refusal ends every pane's asking, and no
// account is locked however long the grid stays open. The refusal is the library's, not the
// preview's: SOAP never sends the password either, and a password SOAP was refused with never
// goes out by RTSP.
TEST_F(OnvifPreviewTest, AGridWithAWrongPasswordNeverLocksTheAccountAndSoapSharesTheRefusal) {
  camsim::DeviceConfig camera = Camera("SN01", "192.168.1.11");
  camera.onvif.lockout = 3;
  const int login = LogInto(camera);
  ASSERT_GT(login, 0);
  const std::vector<Viewer*> panes = Panes(16);
  for (std::size_t i = 0; i < panes.size(); ++i) {
    ASSERT_GT(Play(login, camera.ip, "Changed1", *panes[i], 4000 + static_cast<int>(i)), 0);
  }
  ASSERT_TRUE(Eventually([&] { return RtspRefusals("SN01") >= 1; }));
  LetPass(5 * kMinuteMs);
  EXPECT_EQ(RtspRefusals("SN01"), 1u) << "a refused password was sent again";
  EXPECT_LE(Describes("SN01"), 4u) << "the panes went on asking";
  for (const std::string& text : Texts("SN01", camsim::kOnvifLogin)) {
    EXPECT_EQ(text.find("locked"), std::string::npos) << text;
  }
  for (const Viewer* pane : panes) EXPECT_EQ(pane->calls.load(), 0);
  EXPECT_GT(LoginAt(camera.ip, Sim().Port(), "admin", "Admin123"), 0) << "the account is locked";

  const std::size_t refused = Texts("SN01", camsim::kOnvifLogin).size();
  const int changed =
      IP_NET_DVR_Login(camera.ip.c_str(), Sim().Port(), "admin", "Changed1", nullptr);
  StatusEvent failed{};
  ASSERT_TRUE(WaitStatus(changed, NETSDK_EVENT_LOGIN_FAILED, &failed));
  EXPECT_EQ(failed.value, NETSDK_VALUE_REFUSED);
  EXPECT_EQ(Texts("SN01", camsim::kOnvifLogin).size(), refused) << "SOAP sent it";

  const int guessed = IP_NET_DVR_Login(camera.ip.c_str(), Sim().Port(), "admin", "Guess2", nullptr);
  ASSERT_TRUE(WaitStatus(guessed, NETSDK_EVENT_LOGIN_FAILED, &failed));
  ASSERT_EQ(Texts("SN01", camsim::kOnvifLogin).size(), refused + 1);
  const std::size_t describes = Describes("SN01");
  const std::vector<Viewer*> more = Panes(4);
  for (std::size_t i = 0; i < more.size(); ++i) {
    ASSERT_GT(Play(login, camera.ip, "Guess2", *more[i], 4100 + static_cast<int>(i)), 0);
  }
  LetPass(kMinuteMs);
  EXPECT_EQ(Texts("SN01", camsim::kOnvifLogin).size(), refused + 1) << "RTSP sent it";
  EXPECT_EQ(Describes("SN01"), describes) << "a preview whose password was refused connected";
}

// A camera that asks for the password in clear text (RTSP Basic) only: by default it is never
// answered, the pane stays black, the log says why once, and the panes ask ever more rarely;
// with rtsp_basic = allow it plays.
class OnvifBasicTest : public OnvifPreviewTest, public ::testing::WithParamInterface<bool> {};

TEST_P(OnvifBasicTest, ClearTextLoginIsAnsweredOnlyWhereAllowed) {
  const bool allowed = GetParam();
  if (allowed) {
    ASSERT_EQ(IP_NET_DVR_SetOption("rtsp_basic", "allow"), 0);
  }
  camsim::DeviceConfig camera = Camera("SN01", "192.168.1.11");
  camera.onvif.rtspAuth = camsim::OnvifSettings::RtspAuth::kBasic;
  CapturedLog log;
  const int login = LogInto(camera);
  ASSERT_GT(login, 0);
  const std::vector<Viewer*> panes = Panes(4);
  for (std::size_t i = 0; i < panes.size(); ++i) {
    ASSERT_GT(Play(login, camera.ip, "Admin123", *panes[i], 4200 + static_cast<int>(i)), 0);
  }
  const std::string why = "in clear text (RTSP Basic) only";
  if (allowed) {
    EXPECT_TRUE(Eventually([&] {
      for (const Viewer* pane : panes) {
        if (pane->pictures.load() < 10) return false;
      }
      return true;
    })) << log.Take();
    EXPECT_GE(Describes("SN01", "basic"), 1u);
    EXPECT_EQ(log.Count(why), 0);
    return;
  }
  LetPass(5 * kMinuteMs);
  EXPECT_EQ(Describes("SN01", "basic"), 0u) << "the password went out in clear text";
  // Each pane in turn, the pause growing to a minute: a few attempts each in five minutes.
  EXPECT_GE(Describes("SN01"), 4u);
  EXPECT_LE(Describes("SN01"), 4u * 10);
  for (const Viewer* pane : panes) EXPECT_EQ(pane->calls.load(), 0);
  EXPECT_EQ(log.Count(why), 1) << log.Take();
}

INSTANTIATE_TEST_SUITE_P(Settings, OnvifBasicTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Allowed" : "Refused"; });

// Cameras whose RTSP server offers only SHA-256 digest, or SHA-256 and MD5: libavformat answers
// neither SHA-256 challenge itself, the library does.
TEST_F(OnvifPreviewTest, Sha256DigestOverRtspPlays) {
  using RtspAuth = camsim::OnvifSettings::RtspAuth;
  camsim::Scenario scenario = Cameras(2);
  scenario.devices[0].onvif.rtspAuth = RtspAuth::kSha256;
  scenario.devices[1].onvif.rtspAuth = RtspAuth::kBoth;
  Start(scenario, kScale, camsim::Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(2));
  const std::vector<Viewer*> panes = Panes(2);
  for (int i = 0; i < 2; ++i) {
    const camsim::DeviceConfig& camera = scenario.devices[static_cast<std::size_t>(i)];
    const int login = LoginTo(camera.serial);
    ASSERT_GT(login, 0);
    ASSERT_GT(Play(login, camera.ip, "Admin123", *panes[i], 4300 + i), 0);
  }
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(Eventually([&] { return panes[i]->pictures.load() >= 15; })) << i;
    const std::string serial = scenario.devices[static_cast<std::size_t>(i)].serial;
    EXPECT_EQ(RtspRefusals(serial), 0u);
    EXPECT_GE(Describes(serial, "digest"), 1u);
  }
}

// A camera whose main stream is H.265 plays it decoded, through Media2 or the first media
// service; one whose main stream is MPEG-4, which the player does not decode, plays the H.264 sub
// profile beside it.
TEST_F(OnvifPreviewTest, H265MainStreamPlaysAndAnUndecodableOneFallsToTheNextProfile) {
  using Codec = camsim::OnvifSettings::Codec;
  camsim::Scenario scenario = Cameras(3);
  scenario.devices[0].onvif.mainCodec = Codec::kH265;
  scenario.devices[1].onvif.mainCodec = Codec::kH265;
  scenario.devices[1].onvif.media2 = false;
  scenario.devices[2].onvif.mainCodec = Codec::kMpeg4;
  Start(scenario, kScale, camsim::Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(3));
  const std::vector<Viewer*> panes = Panes(3);
  for (int i = 0; i < 3; ++i) {
    const camsim::DeviceConfig& camera = scenario.devices[static_cast<std::size_t>(i)];
    const int login = LoginTo(camera.serial);
    ASSERT_GT(login, 0);
    ASSERT_GT(Play(login, camera.ip, "Admin123", *panes[i], 4400 + i), 0);
  }
  const std::pair<int, int> sizes[] = {{320, 180}, {320, 180}, {160, 90}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Eventually([&] { return panes[i]->pictures.load() >= 15; })) << i;
    std::lock_guard lock(panes[i]->mutex);
    EXPECT_EQ(std::pair(panes[i]->width, panes[i]->height), sizes[i]) << i;
  }
  EXPECT_EQ(Texts("SN01", camsim::kOnvifMedia2GetStreamUri),
            (std::vector<std::string>{"ProfileToken=main Protocol=RtspUnicast"}));
  EXPECT_EQ(Texts("SN02", camsim::kOnvifGetStreamUri),
            (std::vector<std::string>{"ProfileToken=main Stream=RTP-Unicast Protocol=RTSP"}));
  EXPECT_EQ(Texts("SN03", camsim::kOnvifMedia2GetStreamUri),
            (std::vector<std::string>{"ProfileToken=sub Protocol=RtspUnicast"}));
}

}  // namespace
}  // namespace netsdk_test
