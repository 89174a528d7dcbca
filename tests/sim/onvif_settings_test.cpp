// The settings services of the ONVIF face: what a Set writes a later Get reads back, through
// either media service; what the options do not offer is refused and changes nothing; each
// model offers its own table; and a device without a service lacks it everywhere.
#include <gtest/gtest.h>

#include "onvif_settings_fixture.h"
#include "sim/onvif_codes.h"
#include "sim/simulator.h"

namespace {

using namespace onvif_test;
using onvif::kNsMedia2;
using onvif::kNsSchema;

std::string Media2Encoder(const std::string& token, const std::string& encoding, int width,
                          int height, int fps, int kbps, int gov, const std::string& profile,
                          bool cbr) {
  return "<tr2:SetVideoEncoderConfiguration><tr2:Configuration token=\"" + token +
         "\" GovLength=\"" + std::to_string(gov) + "\" Profile=\"" + profile + "\"><tt:Name>" +
         token + "</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>" + encoding +
         "</tt:Encoding><tt:Resolution><tt:Width>" + std::to_string(width) +
         "</tt:Width><tt:Height>" + std::to_string(height) +
         "</tt:Height></tt:Resolution><tt:RateControl ConstantBitRate=\"" +
         (cbr ? "true" : "false") + "\"><tt:FrameRateLimit>" + std::to_string(fps) +
         ".0</tt:FrameRateLimit><tt:BitrateLimit>" + std::to_string(kbps) +
         "</tt:BitrateLimit></tt:RateControl><tt:Quality>4</tt:Quality></tr2:Configuration>"
         "</tr2:SetVideoEncoderConfiguration>";
}

std::string MediaEncoder(const std::string& token, int width, int height, int fps, int kbps,
                         int gov, const std::string& profile) {
  return "<trt:SetVideoEncoderConfiguration><trt:Configuration token=\"" + token + "\"><tt:Name>" +
         token +
         "</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>H264</tt:Encoding><tt:Resolution>"
         "<tt:Width>" +
         std::to_string(width) + "</tt:Width><tt:Height>" + std::to_string(height) +
         "</tt:Height></tt:Resolution><tt:Quality>3</tt:Quality><tt:RateControl>"
         "<tt:FrameRateLimit>" +
         std::to_string(fps) +
         "</tt:FrameRateLimit><tt:EncodingInterval>1</tt:EncodingInterval>"
         "<tt:BitrateLimit>" +
         std::to_string(kbps) + "</tt:BitrateLimit></tt:RateControl><tt:H264><tt:GovLength>" +
         std::to_string(gov) + "</tt:GovLength><tt:H264Profile>" + profile +
         "</tt:H264Profile></tt:H264></trt:Configuration><trt:ForcePersistence>true"
         "</trt:ForcePersistence></trt:SetVideoEncoderConfiguration>";
}

std::string Imaging(const std::string& settings, const std::string& token = "video_source") {
  return "<timg:SetImagingSettings><timg:VideoSourceToken>" + token +
         "</timg:VideoSourceToken><timg:ImagingSettings>" + settings +
         "</timg:ImagingSettings></timg:SetImagingSettings>";
}

std::string TextOsd(const std::string& verb, const std::string& token, const std::string& inner) {
  return "<tr2:" + verb + "><tr2:OSD token=\"" + token +
         "\"><tt:VideoSourceConfigurationToken>video_source</tt:VideoSourceConfigurationToken>"
         "<tt:Type>Text</tt:Type>" +
         inner + "</tr2:OSD></tr2:" + verb + ">";
}

std::string Rule(const std::string& items, const std::string& name = "MyMotionDetectorRule") {
  return "<tan:ModifyRules><tan:ConfigurationToken>analytics</tan:ConfigurationToken><tan:Rule "
         "Name=\"" +
         name + "\" Type=\"tt:CellMotionDetector\"><tt:Parameters>" + items +
         "</tt:Parameters></tan:Rule></tan:ModifyRules>";
}

std::string Item(const std::string& name, const std::string& value) {
  return "<tt:SimpleItem Name=\"" + name + "\" Value=\"" + value + "\"/>";
}

TEST_F(OnvifSettingsTest, EncodersSourceAndAudioKeepWhatIsSetWithinTheirOptions) {
  Start(
      "device serial=A ip=192.168.1.64\n"
      "device serial=C ip=192.168.1.66 onvif_model=c\n"
      "device serial=R ip=192.168.1.67\n"
      "fault serial=R kind=refuse-code code=523\n");
  const std::string a = "192.168.1.64";

  // A Set through media2 is what both services read afterwards, and the journal names it.
  HttpReply reply =
      Call(a, "media2_service",
           Media2Encoder("video_encoder_main", "H265", 1280, 720, 20, 2048, 40, "Main", true));
  ASSERT_EQ(reply.status, 200) << reply.body;
  const std::string set = "H265 1280x720 fps=20 kbps=2048 gov=40 Main cbr=true";
  EXPECT_EQ(Media2EncoderNow(a, "video_encoder_main"), set);
  ASSERT_EQ(Journal("A", 523).size(), 1u);
  EXPECT_EQ(Journal("A", 523)[0].text, "video_encoder_main " + set);
  reply = Call(a, "media_service",
               "<trt:GetVideoEncoderConfiguration><trt:ConfigurationToken>video_encoder_main"
               "</trt:ConfigurationToken></trt:GetVideoEncoderConfiguration>");
  EXPECT_EQ(reply.Value(kNsSchema, "Encoding"), "H265");
  EXPECT_EQ(reply.Value(kNsSchema, "Width"), "1280");
  EXPECT_EQ(reply.Value(kNsSchema, "GovLength"), "40");

  // Through the first media service: the sub encoder, read back there and in media2's profiles.
  reply =
      Call(a, "media_service", MediaEncoder("video_encoder_sub", 352, 288, 10, 256, 25, "High"));
  ASSERT_EQ(reply.status, 200) << reply.body;
  const std::string sub = "H264 352x288 fps=10 kbps=256 gov=25 High cbr=false";
  EXPECT_EQ(Media2EncoderNow(a, "video_encoder_sub"), sub);
  reply = Call(a, "media2_service",
               "<tr2:GetProfiles><tr2:Token>sub</tr2:Token><tr2:Type>All</tr2:Type>"
               "</tr2:GetProfiles>");
  EXPECT_EQ(reply.Value(kNsSchema, "Width"), "352");
  EXPECT_EQ(reply.AttributeOf(kNsMedia2, "VideoEncoder", "Profile"), "High");

  // What the options do not offer: refused as an invalid argument, nothing changes.
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"media2_service",
       Media2Encoder("video_encoder_sub", "H264", 1280, 720, 10, 256, 25, "High", false)},
      {"media2_service",
       Media2Encoder("video_encoder_main", "H264", 1280, 720, 20, 2048, 151, "Main", false)},
      {"media2_service",
       Media2Encoder("video_encoder_main", "H264", 1280, 720, 26, 2048, 40, "Main", false)},
      {"media2_service",
       Media2Encoder("video_encoder_main", "H264", 1280, 720, 20, 9000, 40, "Main", false)},
      {"media2_service",
       Media2Encoder("video_encoder_main", "H264", 1280, 720, 20, 2048, 40, "Extended", false)},
      {"media2_service",
       Media2Encoder("video_encoder_main", "JPEG", 1280, 720, 20, 2048, 40, "Main", false)},
      {"media2_service",
       Media2Encoder("video_encoder_third", "H264", 1280, 720, 20, 2048, 40, "Main", false)},
      {"media_service", MediaEncoder("video_encoder_sub", 704, 576, 10, 4096, 25, "High")},
      {"media_service", MediaEncoder("video_encoder_sub", 640, 480, 0, 256, 25, "High")},
  };
  for (const auto& [service, body] : refused) {
    reply = Call(a, service, body);
    EXPECT_EQ(reply.status, 400) << body;
    EXPECT_EQ(reply.FaultSubcode(), "InvalidArgVal") << body;
  }
  EXPECT_EQ(Media2EncoderNow(a, "video_encoder_main"), set);
  EXPECT_EQ(Media2EncoderNow(a, "video_encoder_sub"), sub);
  EXPECT_EQ(Journal("A", 523).size(), 2u + refused.size()) << "refusals are journaled too";

  // An older camera has no H.265 and no constant bit rate; a refusal by the device changes
  // nothing either.
  for (const std::string& body :
       {Media2Encoder("video_encoder_main", "H265", 1280, 720, 15, 2048, 30, "Main", false),
        Media2Encoder("video_encoder_main", "H264", 1280, 720, 15, 2048, 30, "Baseline", true)}) {
    EXPECT_EQ(Call("192.168.1.66", "media2_service", body).FaultSubcode(), "InvalidArgVal");
  }
  EXPECT_EQ(Media2EncoderNow("192.168.1.66", "video_encoder_main"),
            "H264 1280x960 fps=15 kbps=2048 gov=30 Baseline cbr=false");
  reply = Call("192.168.1.67", "media2_service",
               Media2Encoder("video_encoder_main", "H264", 1280, 720, 20, 2048, 40, "Main", true));
  EXPECT_EQ(reply.status, 500);
  EXPECT_EQ(Media2EncoderNow("192.168.1.67", "video_encoder_main"),
            "H264 1920x1080 fps=25 kbps=4096 gov=50 Main cbr=false");

  // The audio encoder: set, read back, and only what is offered.
  reply = Call(a, "media2_service",
               "<tr2:SetAudioEncoderConfiguration><tr2:Configuration token=\"audio_encoder\">"
               "<tt:Name>audio_encoder</tt:Name><tt:UseCount>2</tt:UseCount><tt:Encoding>MP4A-LATM"
               "</tt:Encoding><tt:Bitrate>32</tt:Bitrate><tt:SampleRate>16</tt:SampleRate>"
               "</tr2:Configuration></tr2:SetAudioEncoderConfiguration>");
  EXPECT_EQ(reply.status, 200) << reply.body;
  const std::string audioGet = "<tr2:GetAudioEncoderConfigurations/>";
  reply = Call(a, "media2_service", audioGet);
  EXPECT_EQ(reply.Value(kNsSchema, "Encoding") + " " + reply.Value(kNsSchema, "SampleRate") + " " +
                reply.Value(kNsSchema, "Bitrate"),
            "MP4A-LATM 16 32");
  for (const char* wrong : {"<tt:Encoding>PCMA</tt:Encoding><tt:Bitrate>64</tt:Bitrate>"
                            "<tt:SampleRate>16</tt:SampleRate>",
                            "<tt:Encoding>G726</tt:Encoding><tt:Bitrate>32</tt:Bitrate>"
                            "<tt:SampleRate>8</tt:SampleRate>"}) {
    reply = Call(a, "media2_service",
                 std::string("<tr2:SetAudioEncoderConfiguration><tr2:Configuration "
                             "token=\"audio_encoder\"><tt:Name>a</tt:Name><tt:UseCount>2"
                             "</tt:UseCount>") +
                     wrong + "</tr2:Configuration></tr2:SetAudioEncoderConfiguration>");
    EXPECT_EQ(reply.FaultSubcode(), "InvalidArgVal") << wrong;
  }
  EXPECT_EQ(Call(a, "media2_service", audioGet).Value(kNsSchema, "Encoding"), "MP4A-LATM");

  // A profile loses its audio encoder and gains it back, as GetProfiles and the use count show.
  const std::string subProfiles =
      "<tr2:GetProfiles><tr2:Token>sub</tr2:Token><tr2:Type>All</tr2:Type></tr2:GetProfiles>";
  EXPECT_EQ(Call(a, "media2_service", subProfiles).Values(kNsMedia2, "AudioEncoder").size(), 1u);
  reply = Call(a, "media2_service",
               "<tr2:RemoveConfiguration><tr2:ProfileToken>sub</tr2:ProfileToken>"
               "<tr2:Configuration><tr2:Type>AudioEncoder</tr2:Type><tr2:Token>audio_encoder"
               "</tr2:Token></tr2:Configuration></tr2:RemoveConfiguration>");
  EXPECT_EQ(reply.status, 200) << reply.body;
  EXPECT_TRUE(Call(a, "media2_service", subProfiles).Values(kNsMedia2, "AudioEncoder").empty());
  EXPECT_EQ(Call(a, "media2_service", audioGet).Value(kNsSchema, "UseCount"), "1");
  EXPECT_TRUE(Call(a, "media2_service",
                   "<tr2:GetAudioEncoderConfigurations><tr2:ProfileToken>sub"
                   "</tr2:ProfileToken></tr2:GetAudioEncoderConfigurations>")
                  .Values(kNsMedia2, "Configurations")
                  .empty());
  reply = Call(a, "media2_service",
               "<tr2:AddConfiguration><tr2:ProfileToken>sub</tr2:ProfileToken><tr2:Configuration>"
               "<tr2:Type>AudioEncoder</tr2:Type></tr2:Configuration></tr2:AddConfiguration>");
  EXPECT_EQ(reply.status, 200) << reply.body;
  EXPECT_EQ(Call(a, "media2_service", subProfiles).Values(kNsMedia2, "AudioEncoder").size(), 1u);
  EXPECT_EQ(Call(a, "media2_service",
                 "<tr2:AddConfiguration><tr2:ProfileToken>third</tr2:ProfileToken>"
                 "<tr2:Configuration><tr2:Type>AudioEncoder</tr2:Type></tr2:Configuration>"
                 "</tr2:AddConfiguration>")
                .FaultSubcode(),
            "InvalidArgVal");
  EXPECT_EQ(Journal("A", 522).size(), 6u);

  // The picture turned by 180 degrees where the model can, refused where it cannot.
  const std::string rotate =
      "<tr2:SetVideoSourceConfiguration><tr2:Configuration token=\"video_source\"><tt:Name>"
      "video_source</tt:Name><tt:UseCount>2</tt:UseCount><tt:SourceToken>video_source"
      "</tt:SourceToken><tt:Bounds x=\"0\" y=\"0\" width=\"1920\" height=\"1080\"/><tt:Extension>"
      "<tt:Rotate><tt:Mode>ON</tt:Mode><tt:Degree>180</tt:Degree></tt:Rotate></tt:Extension>"
      "</tr2:Configuration></tr2:SetVideoSourceConfiguration>";
  EXPECT_EQ(Call(a, "media2_service", rotate).status, 200);
  reply = Call(a, "media2_service", "<tr2:GetVideoSourceConfigurations/>");
  EXPECT_EQ(reply.Value(kNsSchema, "Mode"), "ON");
  EXPECT_EQ(reply.Value(kNsSchema, "Degree"), "180");
  std::string unturnable = rotate;
  unturnable.replace(unturnable.find("1920"), 4, "1280");
  unturnable.replace(unturnable.find("1080"), 4, "960");
  EXPECT_EQ(Call("192.168.1.66", "media2_service", unturnable).FaultSubcode(), "InvalidArgVal");
  EXPECT_EQ(Call("192.168.1.66", "media2_service", "<tr2:GetVideoSourceConfigurations/>")
                .Value(kNsSchema, "Mode"),
            "")
      << "no rotation to show";
  EXPECT_EQ(Journal("A", 524).size(), 1u);
}

TEST_F(OnvifSettingsTest, ImagingOverlaysAndMotionKeepWhatIsSetWithinTheirOptions) {
  Start("device serial=A ip=192.168.1.64\n");
  const std::string a = "192.168.1.64";
  const std::string getImaging =
      "<timg:GetImagingSettings><timg:VideoSourceToken>video_source</timg:VideoSourceToken>"
      "</timg:GetImagingSettings>";
  auto imagingNow = [&] {
    const HttpReply reply = Call(a, "imaging_service", getImaging);
    return reply.Value(kNsSchema, "Brightness") + " " + reply.Value(kNsSchema, "Contrast") + " " +
           reply.Values(kNsSchema, "Mode").at(0) + "/" + reply.Value(kNsSchema, "Level") + " " +
           reply.Values(kNsSchema, "Mode").at(1) + " " + reply.Value(kNsSchema, "CrGain") + " " +
           reply.Value(kNsSchema, "IrCutFilter");
  };
  EXPECT_EQ(imagingNow(), "50 50 OFF/50 AUTO  AUTO") << "the model's start";
  HttpReply reply = Call(a, "imaging_service",
                         Imaging("<tt:BacklightCompensation><tt:Mode>ON</tt:Mode><tt:Level>20"
                                 "</tt:Level></tt:BacklightCompensation><tt:Brightness>70"
                                 "</tt:Brightness><tt:Contrast>30.0</tt:Contrast><tt:IrCutFilter>"
                                 "OFF</tt:IrCutFilter><tt:WhiteBalance><tt:Mode>MANUAL</tt:Mode>"
                                 "<tt:CrGain>100</tt:CrGain></tt:WhiteBalance>"));
  EXPECT_EQ(reply.status, 200) << reply.body;
  const std::string imaging = "70 30 ON/20 MANUAL 100 OFF";
  EXPECT_EQ(imagingNow(), imaging);
  for (const std::string& body :
       {Imaging("<tt:Brightness>101</tt:Brightness>"),
        Imaging("<tt:IrCutFilter>NIGHT</tt:IrCutFilter>"),
        Imaging("<tt:Brightness>10</tt:Brightness><tt:Sharpness>-1</tt:Sharpness>"),
        Imaging("<tt:Brightness>10</tt:Brightness>", "video_source_2")}) {
    EXPECT_EQ(Call(a, "imaging_service", body).FaultSubcode(), "InvalidArgVal") << body;
  }
  EXPECT_EQ(imagingNow(), imaging);
  EXPECT_EQ(Journal("A", 524).size(), 5u);

  // Overlays: the three the model starts with, one more created, one changed, one deleted.
  const std::string getOsds = "<tr2:GetOSDs/>";
  reply = Call(a, "media2_service", getOsds);
  const auto tokens = [&](const HttpReply& answer) {
    std::vector<std::string> found;
    const auto document = answer.Soap();
    for (const xmlNode* osd : onvif::FindAll(document->Root(), kNsMedia2, "OSDs")) {
      found.push_back(onvif::Attribute(osd, "token"));
    }
    return found;
  };
  ASSERT_EQ(tokens(reply).size(), 3u);
  EXPECT_EQ(reply.Values(kNsSchema, "PlainText"), std::vector<std::string>{"CH1"});
  EXPECT_EQ(reply.Values(kNsSchema, "ImgPath").size(), 1u);
  const std::string dateOsd = tokens(reply)[0];
  reply = Call(a, "media2_service",
               TextOsd("CreateOSD", "",
                       "<tt:Position><tt:Type>Custom</tt:Type><tt:Pos x=\"0.5\" "
                       "y=\"-0.5\"/></tt:Position><tt:TextString><tt:Type>Plain"
                       "</tt:Type><tt:PlainText>Gate 2</tt:PlainText>"
                       "</tt:TextString>"));
  const std::string created = reply.Value(kNsMedia2, "OSDToken");
  ASSERT_FALSE(created.empty()) << reply.body;
  reply = Call(a, "media2_service",
               "<tr2:GetOSDs><tr2:OSDToken>" + created + "</tr2:OSDToken></tr2:GetOSDs>");
  EXPECT_EQ(reply.Value(kNsSchema, "PlainText"), "Gate 2");
  EXPECT_EQ(reply.AttributeOf(kNsSchema, "Pos", "x"), "0.5");
  reply = Call(a, "media2_service",
               TextOsd("CreateOSD", "",
                       "<tt:Position><tt:Type>UpperLeft</tt:Type></tt:Position>"
                       "<tt:TextString><tt:Type>Time</tt:Type></tt:TextString>"));
  EXPECT_EQ(reply.FaultSubcode(), "Action") << "four overlays at most";
  const std::string dateText =
      "<tt:Position><tt:Type>LowerLeft</tt:Type></tt:Position><tt:TextString><tt:Type>"
      "DateAndTime</tt:Type><tt:DateFormat>yyyy-MM-dd</tt:DateFormat><tt:TimeFormat>hh:mm:ss tt"
      "</tt:TimeFormat></tt:TextString>";
  EXPECT_EQ(Call(a, "media2_service", TextOsd("SetOSD", dateOsd, dateText)).status, 200);
  for (const std::string& wrong :
       {TextOsd("SetOSD", dateOsd,
                "<tt:Position><tt:Type>LowerLeft</tt:Type></tt:Position><tt:TextString><tt:Type>"
                "Date</tt:Type><tt:DateFormat>yy.MM.dd</tt:DateFormat></tt:TextString>"),
        TextOsd("SetOSD", dateOsd,
                "<tt:Position><tt:Type>Middle</tt:Type></tt:Position><tt:TextString><tt:Type>"
                "Date</tt:Type></tt:TextString>"),
        TextOsd("SetOSD", "osd_99", dateText)}) {
    EXPECT_EQ(Call(a, "media2_service", wrong).FaultSubcode(), "InvalidArgVal") << wrong;
  }
  reply = Call(a, "media2_service",
               "<tr2:GetOSDs><tr2:OSDToken>" + dateOsd + "</tr2:OSDToken></tr2:GetOSDs>");
  EXPECT_EQ(reply.Value(kNsSchema, "DateFormat") + " " + reply.Value(kNsSchema, "TimeFormat") +
                " " + reply.Values(kNsSchema, "Type").at(1),
            "yyyy-MM-dd hh:mm:ss tt LowerLeft");
  EXPECT_EQ(Call(a, "media2_service",
                 "<tr2:DeleteOSD><tr2:OSDToken>" + created + "</tr2:OSDToken></tr2:DeleteOSD>")
                .status,
            200);
  EXPECT_EQ(tokens(Call(a, "media2_service", getOsds)).size(), 3u);
  EXPECT_EQ(Call(a, "media2_service",
                 "<tr2:DeleteOSD><tr2:OSDToken>" + created + "</tr2:OSDToken></tr2:DeleteOSD>")
                .FaultSubcode(),
            "InvalidArgVal");

  // Cell motion: the module's sensitivity and the rule's cells, whatever prefix the request
  // gives the schema's namespace.
  const std::string getModules =
      "<tan:GetAnalyticsModules><tan:ConfigurationToken>analytics</tan:ConfigurationToken>"
      "</tan:GetAnalyticsModules>";
  auto sensitivity = [&] {
    return Call(a, "analytics_service", getModules).AttributeOf(kNsSchema, "SimpleItem", "Value");
  };
  EXPECT_EQ(sensitivity(), "50");
  reply = Call(a, "analytics_service",
               "<tan:ModifyAnalyticsModules><tan:ConfigurationToken>analytics"
               "</tan:ConfigurationToken><tan:AnalyticsModule Name=\"MyCellMotionModule\" "
               "Type=\"sch:CellMotionEngine\" xmlns:sch=\"http://www.onvif.org/ver10/schema\">"
               "<sch:Parameters><sch:SimpleItem Name=\"Sensitivity\" Value=\"80\"/>"
               "</sch:Parameters></tan:AnalyticsModule></tan:ModifyAnalyticsModules>");
  EXPECT_EQ(reply.status, 200) << reply.body;
  EXPECT_EQ(sensitivity(), "80");
  EXPECT_EQ(Call(a, "analytics_service",
                 "<tan:ModifyAnalyticsModules><tan:ConfigurationToken>analytics"
                 "</tan:ConfigurationToken><tan:AnalyticsModule Name=\"MyCellMotionModule\" "
                 "Type=\"tt:CellMotionEngine\"><tt:Parameters>" +
                     Item("Sensitivity", "101") +
                     "</tt:Parameters></tan:AnalyticsModule></tan:ModifyAnalyticsModules>")
                .FaultSubcode(),
            "InvalidArgVal");
  EXPECT_EQ(sensitivity(), "80");

  const std::string getRules =
      "<tan:GetRules><tan:ConfigurationToken>analytics</tan:ConfigurationToken></tan:GetRules>";
  auto ruleItem = [&](const std::string& name) {
    const auto document = Call(a, "analytics_service", getRules).Soap();
    for (const xmlNode* item : onvif::FindAll(document->Root(), kNsSchema, "SimpleItem")) {
      if (onvif::Attribute(item, "Name") == name) return onvif::Attribute(item, "Value");
    }
    return std::string();
  };
  const std::string allCells = ruleItem("ActiveCells");
  EXPECT_FALSE(allCells.empty());
  // 22 x 18 cells are 50 bytes of bits; PackBits: 25 bytes of ones, then 25 of zeros.
  const std::string halfCells = "6P/oAA==";  // 0xE8 0xFF 0xE8 0x00
  const std::string cutShort = "6P8N/w==";   // a literal of 14 bytes with one left
  EXPECT_EQ(
      Call(a, "analytics_service", Rule(Item("MinCount", "10") + Item("ActiveCells", halfCells)))
          .status,
      200);
  EXPECT_EQ(ruleItem("MinCount") + " " + ruleItem("ActiveCells"), "10 " + halfCells);
  for (const std::string& wrong :
       {Rule(Item("ActiveCells", cutShort)), Rule(Item("ActiveCells", allCells + allCells)),
        Rule(Item("ActiveCells", "not base64!")), Rule(Item("MinCount", "0")),
        Rule(Item("MinCount", "5"), "OtherRule")}) {
    EXPECT_EQ(Call(a, "analytics_service", wrong).FaultSubcode(), "InvalidArgVal") << wrong;
  }
  EXPECT_EQ(ruleItem("MinCount") + " " + ruleItem("ActiveCells"), "10 " + halfCells);
  EXPECT_EQ(Journal("A", 822).size(), 8u);
  EXPECT_EQ(Journal("A", 525).size(), 8u);
}

}  // namespace
