#include "sim/detail/onvif_media.h"

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

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

std::string Resolution(const ClipFormat& clipFormat) {
  return "<tt:Resolution><tt:Width>" + std::to_string(clipFormat.width) + "</tt:Width><tt:Height>" +
         std::to_string(clipFormat.height) + "</tt:Height></tt:Resolution>";
}

// The Encoding each service names the codec with. The first media service knows no H.265, yet
// cameras that stream it write H265 there all the same.
std::string EncodingName(ClipCodec codec, bool media2) {
  if (codec == ClipCodec::kH265) return "H265";
  if (codec == ClipCodec::kMpeg4) return media2 ? "MPV4-ES" : "MPEG4";
  return "H264";
}

std::string ProfileName(ClipCodec codec) {
  return codec == ClipCodec::kH265 ? "Main" : codec == ClipCodec::kMpeg4 ? "Simple" : "Baseline";
}

std::string MediaProfileXml(const MediaProfile& profile) {
  const ClipFormat& clipFormat = profile.clipFormat;
  const std::string encoder = "video_encoder_" + profile.token;
  std::string codecPart;
  if (clipFormat.codec == ClipCodec::kH264) {
    codecPart = "<tt:H264><tt:GovLength>" + std::to_string(kClipKeyInterval) +
                "</tt:GovLength><tt:H264Profile>Baseline</tt:H264Profile></tt:H264>";
  } else if (clipFormat.codec == ClipCodec::kMpeg4) {
    codecPart = "<tt:MPEG4><tt:GovLength>" + std::to_string(kClipKeyInterval) +
                "</tt:GovLength><tt:Mpeg4Profile>SP</tt:Mpeg4Profile></tt:MPEG4>";
  }
  return "<trt:Profiles token=\"" + profile.token + "\" fixed=\"true\"><tt:Name>" + profile.token +
         "</tt:Name><tt:VideoSourceConfiguration token=\"video_source\">" + VideoSource() +
         "</tt:VideoSourceConfiguration><tt:VideoEncoderConfiguration token=\"" + encoder +
         "\"><tt:Name>" + encoder + "</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>" +
         EncodingName(clipFormat.codec, false) + "</tt:Encoding>" + Resolution(clipFormat) +
         "<tt:Quality>5</tt:Quality><tt:RateControl><tt:FrameRateLimit>" +
         std::to_string(kClipFramesPerSecond) +
         "</tt:FrameRateLimit><tt:EncodingInterval>1</tt:EncodingInterval><tt:BitrateLimit>" +
         std::to_string(kBitrateKbps) + "</tt:BitrateLimit></tt:RateControl>" + codecPart +
         "</tt:VideoEncoderConfiguration></trt:Profiles>";
}

std::string Media2ProfileXml(const MediaProfile& profile) {
  const ClipFormat& clipFormat = profile.clipFormat;
  const std::string encoder = "video_encoder_" + profile.token;
  return "<tr2:Profiles token=\"" + profile.token + "\" fixed=\"true\"><tr2:Name>" + profile.token +
         "</tr2:Name><tr2:Configurations><tr2:VideoSource token=\"video_source\">" + VideoSource() +
         "</tr2:VideoSource><tr2:VideoEncoder token=\"" + encoder + "\" GovLength=\"" +
         std::to_string(kClipKeyInterval) + "\" Profile=\"" + ProfileName(clipFormat.codec) +
         "\"><tt:Name>" + encoder + "</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>" +
         EncodingName(clipFormat.codec, true) + "</tt:Encoding>" + Resolution(clipFormat) +
         "<tt:RateControl ConstantBitRate=\"false\"><tt:FrameRateLimit>" +
         std::to_string(kClipFramesPerSecond) + "</tt:FrameRateLimit><tt:BitrateLimit>" +
         std::to_string(kBitrateKbps) +
         "</tt:BitrateLimit></tt:RateControl><tt:Quality>5</tt:Quality></tr2:VideoEncoder>"
         "</tr2:Configurations></tr2:Profiles>";
}

SoapAnswer NoProfile(const std::string& journal) {
  return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                         "the device has no such profile");
}

}  // namespace

std::vector<MediaProfile> Profiles(const DeviceConfig& config) {
  using Codec = OnvifSettings::Codec;
  const Codec main = config.onvif.mainCodec;
  std::vector<MediaProfile> profiles;
  profiles.push_back({"main",
                      {main == Codec::kH265    ? ClipCodec::kH265
                       : main == Codec::kMpeg4 ? ClipCodec::kMpeg4
                                               : ClipCodec::kH264,
                       kClipWidth, kClipHeight}});
  if (main != Codec::kH264) {
    profiles.push_back({"sub", {ClipCodec::kH264, kSubClipWidth, kSubClipHeight}});
  }
  return profiles;
}

std::optional<ClipFormat> ProfileClip(const DeviceConfig& config, std::string_view token) {
  for (const MediaProfile& profile : Profiles(config)) {
    if (profile.token == token) return profile.clipFormat;
  }
  return std::nullopt;
}

SoapAnswer MediaGetProfiles(const DeviceConfig& config) {
  SoapAnswer answer;
  answer.body = "<trt:GetProfilesResponse>";
  for (const MediaProfile& profile : Profiles(config)) answer.body += MediaProfileXml(profile);
  answer.body += "</trt:GetProfilesResponse>";
  return answer;
}

SoapAnswer MediaGetStreamUri(const xmlNode* request, const DeviceConfig& config,
                             const std::string& streams) {
  const std::string token = Text(Child(request, kNsMedia, "ProfileToken"));
  const xmlNode* setup = Child(request, kNsMedia, "StreamSetup");
  const std::string stream = Text(Child(setup, kNsSchema, "Stream"));
  const std::string protocol =
      Text(Child(Child(setup, kNsSchema, "Transport"), kNsSchema, "Protocol"));
  const std::string journal =
      "ProfileToken=" + token + " Stream=" + stream + " Protocol=" + protocol;
  if (!ProfileClip(config, token)) return NoProfile(journal);
  // Unicast only: the simulated network has no multicast.
  if ((!stream.empty() && stream != "RTP-Unicast") ||
      (!protocol.empty() && protocol != "RTSP" && protocol != "UDP" && protocol != "TCP" &&
       protocol != "HTTP")) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidStreamSetup",
                           "the device streams RTP unicast over RTSP");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<trt:GetStreamUriResponse><trt:MediaUri><tt:Uri>" + XmlEscape(streams + token) +
                "</tt:Uri><tt:InvalidAfterConnect>false</tt:InvalidAfterConnect>"
                "<tt:InvalidAfterReboot>false</tt:InvalidAfterReboot><tt:Timeout>PT0S</tt:Timeout>"
                "</trt:MediaUri></trt:GetStreamUriResponse>";
  return answer;
}

SoapAnswer Media2GetProfiles(const xmlNode* request, const DeviceConfig& config) {
  const xmlNode* tokenNode = Child(request, kNsMedia2, "Token");
  const std::string token = Text(tokenNode);
  const std::string journal = tokenNode != nullptr ? "Token=" + token : "";
  if (tokenNode != nullptr && !ProfileClip(config, token)) return NoProfile(journal);
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetProfilesResponse>";
  for (const MediaProfile& profile : Profiles(config)) {
    if (tokenNode == nullptr || profile.token == token) answer.body += Media2ProfileXml(profile);
  }
  answer.body += "</tr2:GetProfilesResponse>";
  return answer;
}

SoapAnswer Media2GetStreamUri(const xmlNode* request, const DeviceConfig& config,
                              const std::string& streams) {
  const std::string protocol = Text(Child(request, kNsMedia2, "Protocol"));
  const std::string token = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = "ProfileToken=" + token + " Protocol=" + protocol;
  if (!ProfileClip(config, token)) return NoProfile(journal);
  if (protocol != "RTSP" && protocol != "RtspUnicast" && protocol != "RtspOverHttp") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidStreamSetup",
                           "the device streams RTSP unicast");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetStreamUriResponse><tr2:Uri>" + XmlEscape(streams + token) +
                "</tr2:Uri></tr2:GetStreamUriResponse>";
  return answer;
}

}  // namespace camsim::detail
