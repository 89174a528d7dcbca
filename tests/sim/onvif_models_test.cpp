// The camera models of the ONVIF face: each offers its own option table and starts with its own
// settings, and a device without imaging, analytics or overlays lacks them in every list, every
// capability and every address.
#include <gtest/gtest.h>

#include "onvif_settings_fixture.h"

namespace {

using namespace onvif_test;
using onvif::kNsAnalytics;
using onvif::kNsDevice;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using Strings = std::vector<std::string>;

// What the contract's table says of one model, in the answers' own words.
struct ModelCase {
  std::string ip;
  Strings encodings;
  Strings mainSizes;
  Strings subSizes;
  std::string h264Profiles;
  std::string govRange;
  std::string maxFps;
  std::string mainKbps;  // min..max
  std::string subKbps;
  std::string cbr;
  std::string mainStart;
  std::string subStart;
  std::string source;         // the video source's picture
  std::string imagingMaxima;  // Brightness, ColorSaturation, Contrast, Sharpness
  bool backlightLevel;
  Strings whiteBalance;
  Strings irCut;
  bool rotate;
  Strings audio;
  std::string osd;  // OSD capability, then the maximum count when there are overlays
  std::string cells;
};

// The text of a range element's Min and Max.
std::string RangeOf(const xmlNode* range) {
  return onvif::Text(onvif::Child(range, kNsSchema, "Min")) + ".." +
         onvif::Text(onvif::Child(range, kNsSchema, "Max"));
}

Strings Sizes(const HttpReply& reply, std::string_view ns = kNsSchema) {
  Strings sizes;
  const auto document = reply.Soap();
  for (const xmlNode* size : onvif::FindAll(document->Root(), ns, "ResolutionsAvailable")) {
    sizes.push_back(onvif::Text(onvif::Child(size, kNsSchema, "Width")) + "x" +
                    onvif::Text(onvif::Child(size, kNsSchema, "Height")));
  }
  return sizes;
}

std::string Options(const std::string& token) {
  return "<tr2:GetVideoEncoderConfigurationOptions><tr2:ConfigurationToken>" + token +
         "</tr2:ConfigurationToken></tr2:GetVideoEncoderConfigurationOptions>";
}

TEST_F(OnvifSettingsTest, EachModelOffersItsOwnTableAndStartsFromIt) {
  Start(
      "device serial=A ip=192.168.1.64\n"
      "device serial=B ip=192.168.1.65 onvif_model=b\n"
      "device serial=C ip=192.168.1.66 onvif_model=c\n"
      "device serial=H ip=192.168.1.67 h264_only=1 main_codec=h265\n");
  const std::vector<ModelCase> cases = {
      {"192.168.1.64",
       {"H264", "H265"},
       {"1920x1080", "1280x720", "704x576", "640x480"},
       {"704x576", "640x480", "352x288", "320x240"},
       "Baseline Main High",
       "1 150",
       "25",
       "64..8192",
       "32..2048",
       "true",
       "H264 1920x1080 fps=25 kbps=4096 gov=50 Main cbr=false",
       "H264 704x576 fps=25 kbps=512 gov=50 Main cbr=false",
       "1920x1080",
       "100 100 100 100",
       true,
       {"AUTO", "MANUAL"},
       {"ON", "OFF", "AUTO"},
       true,
       {"PCMU", "PCMA", "MP4A-LATM"},
       "true 4",
       "22x18"},
      {"192.168.1.65",
       {"H264", "H265"},
       {"2560x1440", "1920x1080", "1280x720"},
       {"640x360", "640x480", "320x240"},
       "Main High",
       "10 250",
       "30",
       "256..16384",
       "64..4096",
       "true",
       "H264 2560x1440 fps=30 kbps=8192 gov=60 High cbr=false",
       "H264 640x360 fps=30 kbps=1024 gov=60 Main cbr=false",
       "2560x1440",
       "255 255 255 15",
       false,
       {"AUTO"},
       {"ON", "OFF", "AUTO"},
       false,
       {"PCMA"},
       "true 3",
       "16x12"},
      {"192.168.1.66",
       {"H264"},
       {"1280x960", "1280x720", "640x480"},
       {"640x480", "320x240"},
       "Baseline",
       "1 60",
       "15",
       "32..4096",
       "32..1024",
       "false",
       "H264 1280x960 fps=15 kbps=2048 gov=30 Baseline cbr=false",
       "H264 640x480 fps=15 kbps=512 gov=30 Baseline cbr=false",
       "1280x960",
       "10 10 10 10",
       false,
       {"AUTO", "MANUAL"},
       {"ON", "OFF"},
       false,
       {"PCMU"},
       "false",
       "8x6"},
      {"192.168.1.67",
       {"H264"},
       {"1920x1080", "1280x720", "704x576", "640x480"},
       {"704x576", "640x480", "352x288", "320x240"},
       "Baseline Main High",
       "1 150",
       "25",
       "64..8192",
       "32..2048",
       "true",
       "H265 1920x1080 fps=25 kbps=4096 gov=50 Main cbr=false",
       "H264 704x576 fps=25 kbps=512 gov=50 Main cbr=false",
       "1920x1080",
       "100 100 100 100",
       true,
       {"AUTO", "MANUAL"},
       {"ON", "OFF", "AUTO"},
       true,
       {"PCMU", "PCMA", "MP4A-LATM"},
       "true 4",
       "22x18"},
  };
  for (const ModelCase& model : cases) {
    SCOPED_TRACE(model.ip);
    const std::string& ip = model.ip;
    HttpReply reply = Call(ip, "media2_service", Options("video_encoder_main"));
    EXPECT_EQ(reply.Values(kNsSchema, "Encoding"), model.encodings);
    const auto document = reply.Soap();
    const xmlNode* h264 = onvif::Find(document->Root(), kNsMedia2, "Options");
    Strings mainSizes;
    for (const xmlNode* size : onvif::FindAll(h264, kNsSchema, "ResolutionsAvailable")) {
      mainSizes.push_back(onvif::Text(onvif::Child(size, kNsSchema, "Width")) + "x" +
                          onvif::Text(onvif::Child(size, kNsSchema, "Height")));
    }
    EXPECT_EQ(mainSizes, model.mainSizes);
    EXPECT_EQ(onvif::Attribute(h264, "ProfilesSupported"), model.h264Profiles);
    EXPECT_EQ(onvif::Attribute(h264, "GovLengthRange"), model.govRange);
    const std::string rates = onvif::Attribute(h264, "FrameRatesSupported");
    EXPECT_EQ(rates.substr(0, 2), "1 ");
    EXPECT_EQ(rates.substr(rates.rfind(' ') + 1), model.maxFps);
    EXPECT_EQ(onvif::Attribute(h264, "ConstantBitRateSupported"), model.cbr);
    EXPECT_EQ(RangeOf(onvif::Child(h264, kNsSchema, "BitrateRange")), model.mainKbps);
    reply = Call(ip, "media2_service", Options("video_encoder_sub"));
    EXPECT_EQ(Sizes(reply).size(), model.subSizes.size() * model.encodings.size());
    EXPECT_EQ(RangeOf(onvif::Find(reply.Soap()->Root(), kNsSchema, "BitrateRange")), model.subKbps);
    // The first media service tells the sub encoder's sizes and rates in its own form.
    reply = Call(ip, "media_service",
                 "<trt:GetVideoEncoderConfigurationOptions><trt:ProfileToken>sub</trt:ProfileToken>"
                 "</trt:GetVideoEncoderConfigurationOptions>");
    const auto mediaOptions = reply.Soap();
    const xmlNode* extension =
        onvif::Find(onvif::Find(mediaOptions->Root(), kNsSchema, "Extension"), kNsSchema, "H264");
    Strings subSizes;
    for (const xmlNode* size : onvif::FindAll(extension, kNsSchema, "ResolutionsAvailable")) {
      subSizes.push_back(onvif::Text(onvif::Child(size, kNsSchema, "Width")) + "x" +
                         onvif::Text(onvif::Child(size, kNsSchema, "Height")));
    }
    EXPECT_EQ(subSizes, model.subSizes);
    EXPECT_EQ(RangeOf(onvif::Child(extension, kNsSchema, "BitrateRange")), model.subKbps);
    std::string profiles;
    for (const xmlNode* profile : onvif::FindAll(extension, kNsSchema, "H264ProfilesSupported")) {
      profiles += (profiles.empty() ? "" : " ") + onvif::Text(profile);
    }
    EXPECT_EQ(profiles, model.h264Profiles);

    EXPECT_EQ(Media2EncoderNow(ip, "video_encoder_main"), model.mainStart);
    EXPECT_EQ(Media2EncoderNow(ip, "video_encoder_sub"), model.subStart);
    reply = Call(ip, "media_service", "<trt:GetVideoSources/>");
    EXPECT_EQ(reply.Value(kNsSchema, "Width") + "x" + reply.Value(kNsSchema, "Height"),
              model.source);

    reply = Call(ip, "imaging_service",
                 "<timg:GetOptions><timg:VideoSourceToken>video_source</timg:VideoSourceToken>"
                 "</timg:GetOptions>");
    const auto imaging = reply.Soap();
    const xmlNode* options = onvif::Find(imaging->Root(), onvif::kNsImaging, "ImagingOptions");
    std::string maxima;
    for (const char* name : {"Brightness", "ColorSaturation", "Contrast", "Sharpness"}) {
      maxima += (maxima.empty() ? "" : " ") +
                onvif::Text(onvif::Child(onvif::Child(options, kNsSchema, name), kNsSchema, "Max"));
    }
    EXPECT_EQ(maxima, model.imagingMaxima);
    const xmlNode* backlight = onvif::Child(options, kNsSchema, "BacklightCompensation");
    EXPECT_EQ(onvif::Child(backlight, kNsSchema, "Level") != nullptr, model.backlightLevel);
    Strings balance;
    for (const xmlNode* mode :
         onvif::FindAll(onvif::Child(options, kNsSchema, "WhiteBalance"), kNsSchema, "Mode")) {
      balance.push_back(onvif::Text(mode));
    }
    EXPECT_EQ(balance, model.whiteBalance);
    EXPECT_EQ(reply.Values(kNsSchema, "IrCutFilterModes"), model.irCut);

    reply = Call(ip, "media2_service", "<tr2:GetVideoSourceConfigurationOptions/>");
    EXPECT_EQ(!reply.Values(kNsSchema, "Rotate").empty(), model.rotate);
    reply = Call(ip, "media2_service", "<tr2:GetAudioEncoderConfigurationOptions/>");
    EXPECT_EQ(reply.Values(kNsSchema, "Encoding"), model.audio);

    reply = Call(ip, "media2_service", "<tr2:GetServiceCapabilities/>");
    std::string osd = reply.AttributeOf(kNsMedia2, "Capabilities", "OSD");
    reply = Call(ip, "media2_service", "<tr2:GetOSDOptions/>");
    if (osd == "true") {
      osd += " " + reply.AttributeOf(kNsSchema, "MaximumNumberOfOSDs", "Total");
    } else {
      EXPECT_EQ(reply.FaultSubcode(), "ActionNotSupported");
    }
    EXPECT_EQ(osd, model.osd);

    reply = Call(ip, "analytics_service",
                 "<tan:GetAnalyticsModules><tan:ConfigurationToken>analytics"
                 "</tan:ConfigurationToken></tan:GetAnalyticsModules>");
    EXPECT_EQ(reply.AttributeOf(kNsSchema, "CellLayout", "Columns") + "x" +
                  reply.AttributeOf(kNsSchema, "CellLayout", "Rows"),
              model.cells);
  }
}

TEST_F(OnvifSettingsTest, DevicesWithoutImagingAnalyticsOrOverlaysLackThemEverywhere) {
  Start(
      "device serial=A ip=192.168.1.64\n"
      "device serial=D ip=192.168.1.65 imaging=0 analytics=0 osd=0\n"
      "device serial=C ip=192.168.1.66 onvif_model=c\n");
  const auto namespaces = [&](const std::string& ip) {
    return Call(ip, "device_service",
                "<tds:GetServices><tds:IncludeCapability>true</tds:IncludeCapability>"
                "</tds:GetServices>")
        .Values(kNsDevice, "Namespace");
  };
  EXPECT_EQ(namespaces("192.168.1.64"),
            (Strings{std::string(kNsDevice), std::string(kNsMedia), std::string(kNsMedia2),
                     std::string(onvif::kNsImaging), std::string(kNsAnalytics),
                     std::string(onvif::kNsEvents)}));
  EXPECT_EQ(namespaces("192.168.1.65"),
            (Strings{std::string(kNsDevice), std::string(kNsMedia), std::string(kNsMedia2),
                     std::string(onvif::kNsEvents)}));

  const auto categories = [&](const std::string& ip) {
    const HttpReply reply = Call(ip, "device_service", "<tds:GetCapabilities/>");
    Strings names;
    const auto document = reply.Soap();
    const xmlNode* capabilities = onvif::Find(document->Root(), kNsDevice, "Capabilities");
    for (const xmlNode* node = capabilities ? capabilities->children : nullptr; node != nullptr;
         node = node->next) {
      if (node->type == XML_ELEMENT_NODE)
        names.emplace_back(reinterpret_cast<const char*>(node->name));
    }
    return names;
  };
  EXPECT_EQ(categories("192.168.1.64"),
            (Strings{"Analytics", "Device", "Events", "Imaging", "Media"}));
  EXPECT_EQ(categories("192.168.1.65"), (Strings{"Device", "Events", "Media"}));
  for (const char* category : {"Imaging", "Analytics"}) {
    EXPECT_EQ(Call("192.168.1.65", "device_service",
                   std::string("<tds:GetCapabilities><tds:Category>") + category +
                       "</tds:Category></tds:GetCapabilities>")
                  .FaultSubcode(),
              "ActionNotSupported")
        << category;
  }
  for (const char* service : {"imaging_service", "analytics_service"}) {
    HttpClient client(m_sim->Port());
    client.Send(Post(std::string("/onvif/192.168.1.65/") + service,
                     onvif::Envelope("", "<tan:GetServiceCapabilities/>")));
    const auto reply = client.Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 404) << service;
  }

  // No analytics configuration in any profile, and no motion among the events.
  for (const char* ip : {"192.168.1.64", "192.168.1.65"}) {
    const bool analytics = std::string(ip) == "192.168.1.64";
    SCOPED_TRACE(ip);
    EXPECT_EQ(
        Call(ip, "media2_service", "<tr2:GetProfiles><tr2:Type>All</tr2:Type></tr2:GetProfiles>")
            .Values(kNsMedia2, "Analytics")
            .size(),
        analytics ? 1u : 0u)
        << "main only";
    EXPECT_EQ(Call(ip, "media_service", "<trt:GetProfiles/>")
                  .Values(kNsSchema, "VideoAnalyticsConfiguration")
                  .size(),
              analytics ? 1u : 0u);
    EXPECT_EQ(Call(ip, "media2_service", "<tr2:GetAnalyticsConfigurations/>")
                  .Values(kNsMedia2, "Configurations")
                  .size(),
              analytics ? 1u : 0u);
    const HttpReply events = Call(ip, "event_service", "<tev:GetEventProperties/>");
    EXPECT_EQ(events.status, 200);
    EXPECT_EQ(events.body.find("CellMotionDetector") != std::string::npos, analytics);
  }
  EXPECT_EQ(Call("192.168.1.65", "media2_service",
                 "<tr2:AddConfiguration><tr2:ProfileToken>main</tr2:ProfileToken>"
                 "<tr2:Configuration><tr2:Type>Analytics</tr2:Type></tr2:Configuration>"
                 "</tr2:AddConfiguration>")
                .FaultSubcode(),
            "InvalidArgVal");

  // Overlays: taken away by the scenario, or never there on the older model.
  for (const char* ip : {"192.168.1.65", "192.168.1.66"}) {
    SCOPED_TRACE(ip);
    const HttpReply capabilities = Call(ip, "media2_service", "<tr2:GetServiceCapabilities/>");
    EXPECT_EQ(capabilities.AttributeOf(kNsMedia2, "Capabilities", "OSD"), "false");
    for (const char* call : {"<tr2:GetOSDs/>", "<tr2:GetOSDOptions/>",
                             "<tr2:DeleteOSD><tr2:OSDToken>osd_1</tr2:OSDToken></tr2:DeleteOSD>"}) {
      EXPECT_EQ(Call(ip, "media2_service", call).FaultSubcode(), "ActionNotSupported") << call;
    }
  }
  EXPECT_EQ(Call("192.168.1.64", "media2_service", "<tr2:GetOSDs/>").status, 200);
}

}  // namespace
