#include "sim/detail/onvif_media.h"

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "sim/detail/preview_clip.h"

namespace camsim::detail {
namespace {

using onvif::Child;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

constexpr int kBitrateKbps = 256;

std::string VideoSource() {
  return "<tt:Name>video_source</tt:Name><tt:UseCount>1</tt:UseCount><tt:SourceToken>"
         "video_source</tt:SourceToken><tt:Bounds x=\"0\" y=\"0\" width=\"" +
         std::to_string(kClipWidth) + "\" height=\"" + std::to_string(kClipHeight) + "\"/>";
}

std::string Resolution() {
  return "<tt:Resolution><tt:Width>" + std::to_string(kClipWidth) + "</tt:Width><tt:Height>" +
         std::to_string(kClipHeight) + "</tt:Height></tt:Resolution>";
}

std::string MediaProfile() {
  return "<trt:Profiles token=\"main\" fixed=\"true\"><tt:Name>main</tt:Name>"
         "<tt:VideoSourceConfiguration token=\"video_source\">" +
         VideoSource() +
         "</tt:VideoSourceConfiguration><tt:VideoEncoderConfiguration token=\"video_encoder\">"
         "<tt:Name>video_encoder</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>H264"
         "</tt:Encoding>" +
         Resolution() + "<tt:Quality>5</tt:Quality><tt:RateControl><tt:FrameRateLimit>" +
         std::to_string(kClipFramesPerSecond) +
         "</tt:FrameRateLimit><tt:EncodingInterval>1</tt:EncodingInterval><tt:BitrateLimit>" +
         std::to_string(kBitrateKbps) +
         "</tt:BitrateLimit></tt:RateControl><tt:H264><tt:GovLength>" +
         std::to_string(kClipKeyInterval) +
         "</tt:GovLength><tt:H264Profile>Baseline</tt:H264Profile></tt:H264>"
         "</tt:VideoEncoderConfiguration></trt:Profiles>";
}

std::string Media2Profile() {
  return "<tr2:Profiles token=\"main\" fixed=\"true\"><tr2:Name>main</tr2:Name>"
         "<tr2:Configurations><tr2:VideoSource token=\"video_source\">" +
         VideoSource() +
         "</tr2:VideoSource><tr2:VideoEncoder token=\"video_encoder\" GovLength=\"" +
         std::to_string(kClipKeyInterval) +
         "\" Profile=\"Baseline\"><tt:Name>video_encoder</tt:Name><tt:UseCount>1</tt:UseCount>"
         "<tt:Encoding>H264</tt:Encoding>" +
         Resolution() + "<tt:RateControl ConstantBitRate=\"false\"><tt:FrameRateLimit>" +
         std::to_string(kClipFramesPerSecond) + "</tt:FrameRateLimit><tt:BitrateLimit>" +
         std::to_string(kBitrateKbps) +
         "</tt:BitrateLimit></tt:RateControl><tt:Quality>5</tt:Quality></tr2:VideoEncoder>"
         "</tr2:Configurations></tr2:Profiles>";
}

}  // namespace

SoapAnswer MediaGetProfiles() {
  SoapAnswer answer;
  answer.body = "<trt:GetProfilesResponse>" + MediaProfile() + "</trt:GetProfilesResponse>";
  return answer;
}

SoapAnswer MediaGetStreamUri(const xmlNode* request, const std::string& uri) {
  const std::string token = Text(Child(request, kNsMedia, "ProfileToken"));
  const xmlNode* setup = Child(request, kNsMedia, "StreamSetup");
  const std::string stream = Text(Child(setup, kNsSchema, "Stream"));
  const std::string protocol =
      Text(Child(Child(setup, kNsSchema, "Transport"), kNsSchema, "Protocol"));
  const std::string journal =
      "ProfileToken=" + token + " Stream=" + stream + " Protocol=" + protocol;
  if (token != "main") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                           "the device's one profile is main");
  }
  // Unicast only: the simulated network has no multicast.
  if ((!stream.empty() && stream != "RTP-Unicast") ||
      (!protocol.empty() && protocol != "RTSP" && protocol != "UDP" && protocol != "TCP" &&
       protocol != "HTTP")) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidStreamSetup",
                           "the device streams RTP unicast over RTSP");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<trt:GetStreamUriResponse><trt:MediaUri><tt:Uri>" + XmlEscape(uri) +
                "</tt:Uri><tt:InvalidAfterConnect>false</tt:InvalidAfterConnect>"
                "<tt:InvalidAfterReboot>false</tt:InvalidAfterReboot><tt:Timeout>PT0S</tt:Timeout>"
                "</trt:MediaUri></trt:GetStreamUriResponse>";
  return answer;
}

SoapAnswer Media2GetProfiles(const xmlNode* request) {
  const xmlNode* tokenNode = Child(request, kNsMedia2, "Token");
  const std::string token = Text(tokenNode);
  const std::string journal = tokenNode != nullptr ? "Token=" + token : "";
  if (tokenNode != nullptr && token != "main") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                           "the device's one profile is main");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetProfilesResponse>" + Media2Profile() + "</tr2:GetProfilesResponse>";
  return answer;
}

SoapAnswer Media2GetStreamUri(const xmlNode* request, const std::string& uri) {
  const std::string protocol = Text(Child(request, kNsMedia2, "Protocol"));
  const std::string token = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = "ProfileToken=" + token + " Protocol=" + protocol;
  if (token != "main") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                           "the device's one profile is main");
  }
  if (protocol != "RTSP" && protocol != "RtspUnicast" && protocol != "RtspOverHttp") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidStreamSetup",
                           "the device streams RTSP unicast");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetStreamUriResponse><tr2:Uri>" + XmlEscape(uri) +
                "</tr2:Uri></tr2:GetStreamUriResponse>";
  return answer;
}

}  // namespace camsim::detail
