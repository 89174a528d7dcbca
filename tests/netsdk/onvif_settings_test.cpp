// The settings groups pushed over ONVIF to the simulator's cameras of three models: what a group
// sets is what the device's own Get answers afterwards; a value the device does not offer fails
// that group alone with the device unchanged; a device without the service is failed without
// traffic beyond the capability check.
#include <thread>

#include "../sim/onvif_test_client.h"
#include "library_fixture.h"
#include "onvif/namespaces.h"
#include "sim/onvif_codes.h"

namespace netsdk_test {
namespace {

using camsim::OnvifSettings;
using camsim::Protocol;
using onvif::kNsAnalytics;
using onvif::kNsImaging;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::kNsSchema;

// The documents as the program's request builders write them.
std::string VideoDocument(const std::string& mainResolution, const char* mainControl,
                          const std::string& subResolution, const char* subControl, int baseline) {
  return "<Encode><EncodeConfig Stream=\"1\" Resolution=\"" + mainResolution +
         "\" EncodeFormat=\"H264\" BitRateControl=\"" + mainControl +
         "\" Initquant=\"2\" BitRate=\"3000\" FrameRate=\"20\" /><EncodeConfig Stream=\"2\" "
         "Resolution=\"" +
         subResolution + "\" EncodeFormat=\"H264\" BitRateControl=\"" + subControl +
         "\" Initquant=\"1\" BitRate=\"512\" FrameRate=\"15\" /><AdvanceEncodeConfig "
         "EncodeProfile=\"" +
         std::to_string(baseline) + "\" DisablePrivateData=\"0\" /></Encode>";
}

std::string AudioDocument(int enable) {
  return "<Audio><Encode Enable=\"" + std::to_string(enable) +
         "\" SampleRate=\"8000\" EncodeType=\"G.711\" BitRate=\"6400\" /></Audio>";
}

std::string CaptureDocument(int ircutMode, bool flips) {
  const std::string flip = flips ? "1" : "0";
  return "<Capture IrcutMode=\"" + std::to_string(ircutMode) +
         "\" IrcutKeepColor=\"0\" IrcutSensitivity=\"50\" IrcutNightStartTime=\"18:00:00\" "
         "IrcutNightEndTime=\"06:00:00\" Brightness=\"255\" Saturation=\"0\" Sharpness=\"51\" "
         "Contrast=\"128\" BackLight=\"0\" DayNight=\"0\" WhiteBalance=\"0\" Switch2A=\"0\" "
         "BinningSkip=\"0\" TVSystem=\"1\" HFlip=\"" +
         flip + "\" VFlip=\"" + flip + "\" XOffset=\"\" YOffset=\"\" />";
}

// Time at the upper left, the title "Gate 3" at the lower left.
std::string OverlayDocument(int enable) {
  return "<Overlay Enable=\"" + std::to_string(enable) +
         "\" Transparency=\"0\"><TimeOverlay PosX=\"0\" PosY=\"0\" Format=\"yyyy-mm-dd "
         "hh:mm:ss\" /><TitleOverlay PosX=\"0\" PosY=\"1\" Title=\"476174652033\" /></Overlay>";
}

// A 4 x 4 grid with its first block marked.
std::string MotionDocument() {
  return "<MotionDetectAlarm Enable=\"1\" BlockCount=\"262148\" BlockConfig=\"1" +
         std::string(63, '0') +
         "\" Sensitivity=\"70\" AlarmThreshold=\"3\" NightSensitivity=\"0\" "
         "NightAlarmThreshold=\"0\" NightStartTime=\"00:00:00\" NightEndTime=\"00:00:00\" "
         "DayNightSwitch=\"0\"><EnableTimeList /></MotionDetectAlarm>";
}

// An independent reading of ActiveCells: base64, then PackBits, then one bit a cell.
std::vector<bool> UnpackCells(const std::string& text, std::size_t cells) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<std::uint8_t> packed;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | static_cast<unsigned>(alphabet.find(c));
    count += 6;
    if (count >= 8) {
      count -= 8;
      packed.push_back(static_cast<std::uint8_t>(bits >> count));
    }
  }
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < packed.size();) {
    const auto header = static_cast<std::int8_t>(packed[i++]);
    if (header >= 0) {
      for (int n = 0; n <= header && i < packed.size(); ++n) bytes.push_back(packed[i++]);
    } else if (header != -128 && i < packed.size()) {
      bytes.insert(bytes.end(), static_cast<std::size_t>(1 - header), packed[i++]);
    }
  }
  std::vector<bool> result;
  for (std::size_t cell = 0; cell < cells && cell / 8 < bytes.size(); ++cell) {
    result.push_back(((bytes[cell / 8] >> (7 - cell % 8)) & 1) != 0);
  }
  return result;
}

class OnvifSettingsTest : public LibraryTest {
 protected:
  // Pushes a group and waits for its answer; true when the device took it.
  bool Push(int handle, std::uint32_t code, const std::string& document,
            std::string* text = nullptr) {
    {
      std::lock_guard lock(m_mutex);
      m_responses.clear();
    }
    EXPECT_EQ(IP_NET_DVR_SetDVRConfig(handle, code, 0, document.c_str(),
                                      static_cast<int>(document.size() + 1)),
              0);
    ResponseEvent answer{};
    EXPECT_TRUE(WaitUntil([&] {
      for (const ResponseEvent& response : m_responses) {
        if ((response.code & NETSDK_RESPONSE_CODE_MASK) == code) {
          answer = response;
          return true;
        }
      }
      return false;
    })) << code;
    if (text != nullptr) *text = answer.text;
    return answer.code == code;
  }

  // The device's own answer to a Get, read outside the library.
  std::optional<onvif::SoapDocument> Read(const std::string& ip, const std::string& service,
                                          const std::string& body) {
    onvif_test::OnvifCaller caller(Sim().Port(), ip);
    const auto reply = caller.Call(body, {}, service);
    EXPECT_TRUE(reply && reply->status == 200) << body << (reply ? reply->body : "");
    if (!reply || reply->status != 200) return std::nullopt;
    return reply->Soap();
  }

  // What the device received, but for the login's periodic time queries.
  std::vector<camsim::JournalEntry> Entries(const std::string& serial) {
    std::vector<camsim::JournalEntry> entries;
    for (const camsim::JournalEntry& entry : Sim().GetJournal().Entries()) {
      if (entry.serial == serial && entry.code != camsim::kOnvifGetDateTime) {
        entries.push_back(entry);
      }
    }
    return entries;
  }
};

std::string TextAt(const xmlNode* from, std::string_view ns, std::string_view name) {
  return onvif::Text(onvif::Find(from, ns, name));
}

// The encoder configuration of that token in a Media2 answer.
const xmlNode* Encoder(const onvif::SoapDocument& answer, const std::string& token) {
  for (const xmlNode* node : onvif::FindAll(answer.Body(), kNsMedia2, "Configurations")) {
    if (onvif::Attribute(node, "token") == token) return node;
  }
  return nullptr;
}

TEST_F(OnvifSettingsTest, EachGroupsValuesArriveInTheDevicesFieldsAndReadBack) {
  Start(Cameras(1), kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(1));
  const int handle = LoginTo("SN01");
  ASSERT_GT(handle, 0);
  const std::string ip = "192.168.1.11";
  std::string text;

  ASSERT_TRUE(Push(handle, 523, VideoDocument("720P", "VBR", "VGA", "CBR", 1), &text)) << text;
  const auto encoders = Read(ip, "media2_service", "<tr2:GetVideoEncoderConfigurations/>");
  ASSERT_TRUE(encoders);
  const xmlNode* main = Encoder(*encoders, "video_encoder_main");
  const xmlNode* sub = Encoder(*encoders, "video_encoder_sub");
  ASSERT_TRUE(main && sub);
  EXPECT_EQ(TextAt(main, kNsSchema, "Width") + "x" + TextAt(main, kNsSchema, "Height"), "1280x720");
  EXPECT_EQ(TextAt(main, kNsSchema, "Encoding"), "H264");
  EXPECT_EQ(std::stod(TextAt(main, kNsSchema, "FrameRateLimit")), 20);
  EXPECT_EQ(TextAt(main, kNsSchema, "BitrateLimit"), "3000");
  EXPECT_EQ(onvif::Attribute(main, "GovLength"), "40") << "2 s at 20 frames a second";
  EXPECT_EQ(onvif::Attribute(main, "Profile"), "Baseline");
  EXPECT_EQ(onvif::Attribute(onvif::Find(main, kNsSchema, "RateControl"), "ConstantBitRate"),
            "false");
  EXPECT_EQ(TextAt(sub, kNsSchema, "Width") + "x" + TextAt(sub, kNsSchema, "Height"), "640x480");
  EXPECT_EQ(onvif::Attribute(sub, "GovLength"), "15");
  EXPECT_EQ(onvif::Attribute(onvif::Find(sub, kNsSchema, "RateControl"), "ConstantBitRate"),
            "true");

  ASSERT_TRUE(Push(handle, 522, AudioDocument(1), &text)) << text;
  const auto audio = Read(ip, "media2_service", "<tr2:GetAudioEncoderConfigurations/>");
  ASSERT_TRUE(audio);
  EXPECT_EQ(TextAt(audio->Body(), kNsSchema, "Encoding"), "PCMU");
  EXPECT_EQ(TextAt(audio->Body(), kNsSchema, "SampleRate"), "8");
  EXPECT_EQ(TextAt(audio->Body(), kNsSchema, "Bitrate"), "64");
  auto audioProfiles = [&] {
    const auto profiles =
        Read(ip, "media2_service", "<tr2:GetProfiles><tr2:Type>All</tr2:Type></tr2:GetProfiles>");
    return profiles ? onvif::FindAll(profiles->Body(), kNsMedia2, "AudioEncoder").size() : 99u;
  };
  EXPECT_EQ(audioProfiles(), 2u);
  ASSERT_TRUE(Push(handle, 522, AudioDocument(0), &text)) << text;
  EXPECT_EQ(audioProfiles(), 0u) << "encoding off takes the encoder out of the profiles";
  ASSERT_TRUE(Push(handle, 522, AudioDocument(1), &text)) << text;
  EXPECT_EQ(audioProfiles(), 2u) << "and on puts it back";

  ASSERT_TRUE(Push(handle, 524, CaptureDocument(3, true), &text)) << text;
  const auto imaging =
      Read(ip, "imaging_service",
           "<timg:GetImagingSettings><timg:VideoSourceToken>video_source</timg:VideoSourceToken>"
           "</timg:GetImagingSettings>");
  ASSERT_TRUE(imaging);
  const xmlNode* settings = onvif::Find(imaging->Body(), kNsImaging, "ImagingSettings");
  EXPECT_EQ(std::stod(TextAt(settings, kNsSchema, "Brightness")), 100);
  EXPECT_EQ(std::stod(TextAt(settings, kNsSchema, "ColorSaturation")), 0);
  EXPECT_EQ(std::stod(TextAt(settings, kNsSchema, "Contrast")), 50);
  EXPECT_EQ(std::stod(TextAt(settings, kNsSchema, "Sharpness")), 20);
  EXPECT_EQ(TextAt(settings, kNsSchema, "IrCutFilter"), "OFF") << "manual, night";
  EXPECT_EQ(TextAt(onvif::Find(settings, kNsSchema, "BacklightCompensation"), kNsSchema, "Mode"),
            "OFF");
  const auto sources = Read(ip, "media2_service", "<tr2:GetVideoSourceConfigurations/>");
  ASSERT_TRUE(sources);
  const xmlNode* rotate = onvif::Find(sources->Body(), kNsSchema, "Rotate");
  EXPECT_EQ(TextAt(rotate, kNsSchema, "Mode"), "ON") << "both flips are a half turn";
  EXPECT_EQ(TextAt(rotate, kNsSchema, "Degree"), "180");

  ASSERT_TRUE(Push(handle, 525, OverlayDocument(1), &text)) << text;
  auto osds = [&] {
    const auto answer =
        Read(ip, "media2_service",
             "<tr2:GetOSDs><tr2:ConfigurationToken>video_source</tr2:ConfigurationToken>"
             "</tr2:GetOSDs>");
    std::map<std::string, std::string> shown;  // text type (or Image) -> position and content
    if (!answer) return shown;
    for (const xmlNode* osd : onvif::FindAll(answer->Body(), kNsMedia2, "OSDs")) {
      const xmlNode* textString = onvif::Find(osd, kNsSchema, "TextString");
      const std::string type = textString ? TextAt(textString, kNsSchema, "Type") : "Image";
      shown[type] = TextAt(onvif::Find(osd, kNsSchema, "Position"), kNsSchema, "Type") + " " +
                    TextAt(textString, kNsSchema, "DateFormat") +
                    TextAt(textString, kNsSchema, "TimeFormat") +
                    TextAt(textString, kNsSchema, "PlainText");
    }
    return shown;
  };
  const auto shown = osds();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown.at("DateAndTime"), "UpperLeft yyyy-MM-ddHH:mm:ss");
  EXPECT_EQ(shown.at("Plain"), "LowerLeft Gate 3");
  EXPECT_EQ(shown.count("Image"), 1u);
  ASSERT_TRUE(Push(handle, 525, OverlayDocument(0), &text)) << text;
  const auto left = osds();
  ASSERT_EQ(left.size(), 1u) << "only the two managed overlays go";
  EXPECT_EQ(left.begin()->first, "Image");

  ASSERT_TRUE(Push(handle, 822, MotionDocument(), &text)) << text;
  const std::string configuration = "<tan:ConfigurationToken>analytics</tan:ConfigurationToken>";
  const auto modules =
      Read(ip, "analytics_service",
           "<tan:GetAnalyticsModules>" + configuration + "</tan:GetAnalyticsModules>");
  const auto rules =
      Read(ip, "analytics_service", "<tan:GetRules>" + configuration + "</tan:GetRules>");
  ASSERT_TRUE(modules && rules);
  std::map<std::string, std::string> items;
  for (const auto* answer : {&*modules, &*rules}) {
    for (const xmlNode* item : onvif::FindAll(answer->Body(), kNsSchema, "SimpleItem")) {
      items[onvif::Attribute(item, "Name")] = onvif::Attribute(item, "Value");
    }
  }
  EXPECT_EQ(items["Sensitivity"], "70");
  EXPECT_EQ(items["MinCount"], "3");
  // The first of 4 x 4 blocks covers the cells of model A's 22 x 18 grid whose centres lie in the
  // upper left quarter: columns 0 to 4 and rows 0 to 3.
  const std::vector<bool> cells = UnpackCells(items["ActiveCells"], 22 * 18);
  ASSERT_EQ(cells.size(), 22u * 18u);
  for (int row = 0; row < 18; ++row) {
    for (int column = 0; column < 22; ++column) {
      EXPECT_EQ(cells[static_cast<std::size_t>(row * 22 + column)], row <= 3 && column <= 4)
          << row << "," << column;
    }
  }
}

TEST_F(OnvifSettingsTest, AValueTheDeviceDoesNotOfferFailsThatGroupAloneWithTheDeviceUnchanged) {
  camsim::Scenario scenario = Cameras(2);
  scenario.devices[0].onvif.model = OnvifSettings::Model::kB;
  scenario.devices[1].onvif.model = OnvifSettings::Model::kC;
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(2));
  const int dome = LoginTo("SN01");
  const int box = LoginTo("SN02");
  ASSERT_GT(dome, 0);
  ASSERT_GT(box, 0);
  testing::internal::CaptureStderr();
  std::string text;
  // The dome has no D1 second stream and no Baseline; the box keeps no constant rate, has no
  // automatic IR-cut filter and no on-screen display.
  EXPECT_FALSE(Push(dome, 523, VideoDocument("720P", "VBR", "D1", "VBR", 0), &text));
  EXPECT_EQ(text, "second stream: resolution D1 (704x576) is not offered");
  EXPECT_FALSE(Push(dome, 523, VideoDocument("720P", "VBR", "VGA", "VBR", 1), &text));
  EXPECT_FALSE(Push(box, 523, VideoDocument("720P", "CBR", "VGA", "VBR", 1), &text));
  EXPECT_EQ(text, "main stream: a constant bit rate is not offered");
  EXPECT_FALSE(Push(box, 524, CaptureDocument(0, false), &text));
  EXPECT_EQ(text, "IR-cut filter mode AUTO is not offered");
  EXPECT_FALSE(Push(box, 525, OverlayDocument(1), &text));
  EXPECT_EQ(text, "the device has no on-screen display");
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("192.168.1.12: settings 524 not carried: IR-cut filter mode AUTO"),
            std::string::npos)
      << log;
  for (const char* serial : {"SN01", "SN02"}) {
    for (std::uint32_t code : {523u, 524u, 525u}) {
      EXPECT_TRUE(Sim().GetJournal().Find(serial, code).empty())
          << serial << " " << code << ": nothing was set";
    }
  }
  // The groups the same devices can carry go through.
  EXPECT_TRUE(Push(dome, 523, VideoDocument("720P", "VBR", "VGA", "CBR", 0), &text)) << text;
  EXPECT_TRUE(Push(box, 523, VideoDocument("720P", "VBR", "VGA", "VBR", 1), &text)) << text;
  EXPECT_TRUE(Push(box, 524, CaptureDocument(3, false), &text)) << text;
  EXPECT_TRUE(Push(dome, 525, OverlayDocument(1), &text)) << text;
  EXPECT_TRUE(Push(box, 822, MotionDocument(), &text)) << text;
}

TEST_F(OnvifSettingsTest, ADeviceWithoutTheServiceIsFailedWithoutTrafficBeyondTheCheck) {
  camsim::Scenario scenario = Cameras(2);
  scenario.devices[0].onvif.imaging = false;
  scenario.devices[0].onvif.analytics = false;
  scenario.devices[0].onvif.osd = false;
  scenario.devices[0].sd1 = 30000;
  scenario.devices[0].sd2 = 0;
  scenario.devices[0].usb = 0;
  scenario.devices[1].onvif.media2 = false;  // an older camera: the Media service only
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(2));
  const int bare = LoginTo("SN01");
  const int older = LoginTo("SN02");
  ASSERT_GT(bare, 0);
  ASSERT_GT(older, 0);
  std::string text;
  const std::size_t before = Entries("SN01").size();
  EXPECT_FALSE(Push(bare, 524, CaptureDocument(3, false), &text));
  EXPECT_EQ(text, "the device has no imaging service");
  EXPECT_FALSE(Push(bare, 822, MotionDocument(), &text));
  EXPECT_EQ(text, "the device has no analytics service");
  EXPECT_EQ(Entries("SN01").size(), before) << "both known from the login's service list";
  EXPECT_FALSE(Push(bare, 525, OverlayDocument(1), &text));
  const auto entries = Entries("SN01");
  ASSERT_EQ(entries.size(), before + 1) << "the media2 capabilities alone";
  EXPECT_EQ(entries.back().kind, "GetServiceCapabilities");

  // The storage query answers as a storage answer does; the format is still not carried.
  {
    std::lock_guard lock(m_mutex);
    m_responses.clear();
  }
  ASSERT_EQ(IP_NET_DVR_SystemControl(bare, NETSDK_CMD_GET_STORAGE, 0, "RESPONSE_PARAM"), 0);
  ResponseEvent storage{};
  ASSERT_TRUE(WaitResponse(bare, NETSDK_CMD_GET_STORAGE, &storage));
  EXPECT_EQ(storage.text,
            "<Storage><Disk Name=\"SD1\" Total=\"1\"/><Disk Name=\"SD2\" Total=\"0\"/>"
            "<Disk Name=\"USB\" Total=\"0\"/></Storage>");
  EXPECT_EQ(IP_NET_DVR_FormatDisk(bare, 0), -1);

  // Without Media2 the video encoders are set through the Media service.
  ASSERT_TRUE(Push(older, 523, VideoDocument("720P", "VBR", "VGA", "CBR", 1), &text)) << text;
  const auto encoder = Read("192.168.1.12", "media_service",
                            "<trt:GetVideoEncoderConfiguration><trt:ConfigurationToken>"
                            "video_encoder_main</trt:ConfigurationToken>"
                            "</trt:GetVideoEncoderConfiguration>");
  ASSERT_TRUE(encoder);
  EXPECT_EQ(TextAt(encoder->Body(), kNsSchema, "Width"), "1280");
  EXPECT_EQ(TextAt(encoder->Body(), kNsSchema, "GovLength"), "40");
  EXPECT_EQ(TextAt(encoder->Body(), kNsSchema, "H264Profile"), "Baseline");
  EXPECT_FALSE(Push(older, 522, AudioDocument(1), &text));
  EXPECT_EQ(text, "audio is set through Media2 only");
}

}  // namespace
}  // namespace netsdk_test
