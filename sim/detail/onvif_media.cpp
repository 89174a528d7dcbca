#include "sim/detail/onvif_media.h"

#include <set>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "sim/detail/onvif_analytics.h"
#include "sim/detail/onvif_audio.h"
#include "sim/detail/onvif_encoders.h"
#include "sim/detail/onvif_services.h"
#include "sim/detail/onvif_sources.h"

namespace camsim::detail {
namespace {

using onvif::Child;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

// What one profile carries.
struct ProfileView {
  std::string_view token;
  const VideoEncoderState* encoder = nullptr;
  bool audio = false;
  bool analytics = false;
};

std::vector<ProfileView> Views(const OnvifContext& context) {
  const OnvifSettingsState& state = context.state;
  const bool analytics = context.device.Config().onvif.analytics && state.analyticsInMain;
  return {{kMainProfile, &state.main, state.audioInMain, analytics},
          {kSubProfile, &state.sub, state.audioInSub, false}};
}

std::string MediaProfileXml(const OnvifContext& context, const ProfileView& profile) {
  const std::string token(profile.token);
  std::string xml = "<trt:Profiles token=\"" + token + "\" fixed=\"true\">" +
                    Tag("tt:Name", token) +
                    VideoSourceConfigurationXml("tt:VideoSourceConfiguration", context);
  if (profile.audio) xml += MediaAudioSourceXml(context.state);
  xml += MediaEncoderXml("tt:VideoEncoderConfiguration", EncoderOfProfile(profile.token),
                         *profile.encoder);
  if (profile.audio) xml += MediaAudioEncoderXml(context.state);
  if (profile.analytics) {
    xml += "<tt:VideoAnalyticsConfiguration token=\"" + std::string(kAnalyticsConfiguration) +
           "\">" + AnalyticsConfigurationContent(context) + "</tt:VideoAnalyticsConfiguration>";
  }
  return xml + "</trt:Profiles>";
}

// types: the configuration types asked for; "All" stands for every one.
std::string Media2ProfileXml(const OnvifContext& context, const ProfileView& profile,
                             const std::set<std::string>& types) {
  const auto wanted = [&types](const char* type) {
    return types.count("All") != 0 || types.count(type) != 0;
  };
  const std::string token(profile.token);
  std::string configurations;
  if (wanted("VideoSource")) {
    configurations += VideoSourceConfigurationXml("tr2:VideoSource", context);
  }
  if (profile.audio && wanted("AudioSource")) configurations += Media2AudioSourceXml(context.state);
  if (wanted("VideoEncoder")) {
    configurations +=
        Media2EncoderXml("tr2:VideoEncoder", EncoderOfProfile(profile.token), *profile.encoder);
  }
  if (profile.audio && wanted("AudioEncoder")) {
    configurations += Media2AudioEncoderXml("tr2:AudioEncoder", context.state);
  }
  if (profile.analytics && wanted("Analytics")) {
    configurations += "<tr2:Analytics token=\"" + std::string(kAnalyticsConfiguration) + "\">" +
                      AnalyticsConfigurationContent(context) + "</tr2:Analytics>";
  }
  return "<tr2:Profiles token=\"" + token + "\" fixed=\"true\">" + Tag("tr2:Name", token) +
         (configurations.empty() ? "" : Tag("tr2:Configurations", configurations)) +
         "</tr2:Profiles>";
}

SoapAnswer NoProfile(const std::string& journal) {
  return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                         "the device has no such profile");
}

}  // namespace

std::vector<MediaProfile> Profiles(const DeviceConfig& config) {
  using Codec = OnvifSettings::Codec;
  const Codec main = config.onvif.mainCodec;
  return {{std::string(kMainProfile),
           {main == Codec::kH265    ? ClipCodec::kH265
            : main == Codec::kMpeg4 ? ClipCodec::kMpeg4
                                    : ClipCodec::kH264,
            kClipWidth, kClipHeight}},
          {std::string(kSubProfile), {ClipCodec::kH264, kSubClipWidth, kSubClipHeight}}};
}

std::optional<ClipFormat> ProfileClip(const DeviceConfig& config, std::string_view token) {
  for (const MediaProfile& profile : Profiles(config)) {
    if (profile.token == token) return profile.clipFormat;
  }
  return std::nullopt;
}

SoapAnswer MediaGetServiceCapabilities(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<trt:GetServiceCapabilitiesResponse>" +
                MediaServiceCapabilities(context.device.Config().onvif) +
                "</trt:GetServiceCapabilitiesResponse>";
  return answer;
}

SoapAnswer MediaGetProfiles(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<trt:GetProfilesResponse>";
  for (const ProfileView& profile : Views(context)) {
    answer.body += MediaProfileXml(context, profile);
  }
  answer.body += "</trt:GetProfilesResponse>";
  return answer;
}

SoapAnswer MediaGetStreamUri(OnvifContext& context, const xmlNode* request) {
  const std::string token = Text(Child(request, kNsMedia, "ProfileToken"));
  const xmlNode* setup = Child(request, kNsMedia, "StreamSetup");
  const std::string stream = Text(Child(setup, kNsSchema, "Stream"));
  const std::string protocol =
      Text(Child(Child(setup, kNsSchema, "Transport"), kNsSchema, "Protocol"));
  const std::string journal =
      "ProfileToken=" + token + " Stream=" + stream + " Protocol=" + protocol;
  if (!ProfileClip(context.device.Config(), token)) return NoProfile(journal);
  // Unicast only: the simulated network has no multicast.
  if ((!stream.empty() && stream != "RTP-Unicast") ||
      (!protocol.empty() && protocol != "RTSP" && protocol != "UDP" && protocol != "TCP" &&
       protocol != "HTTP")) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidStreamSetup",
                           "the device streams RTP unicast over RTSP");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<trt:GetStreamUriResponse><trt:MediaUri><tt:Uri>" +
                XmlEscape(context.streams + token) +
                "</tt:Uri><tt:InvalidAfterConnect>false</tt:InvalidAfterConnect>"
                "<tt:InvalidAfterReboot>false</tt:InvalidAfterReboot><tt:Timeout>PT0S</tt:Timeout>"
                "</trt:MediaUri></trt:GetStreamUriResponse>";
  return answer;
}

SoapAnswer MediaGetSnapshotUri(OnvifContext& context, const xmlNode* request) {
  const std::string token = Text(Child(request, kNsMedia, "ProfileToken"));
  const std::string journal = "ProfileToken=" + token;
  if (!ProfileClip(context.device.Config(), token)) return NoProfile(journal);
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<trt:GetSnapshotUriResponse><trt:MediaUri><tt:Uri>" +
                XmlEscape(context.snapshots + token) +
                "</tt:Uri><tt:InvalidAfterConnect>false</tt:InvalidAfterConnect>"
                "<tt:InvalidAfterReboot>false</tt:InvalidAfterReboot><tt:Timeout>PT0S</tt:Timeout>"
                "</trt:MediaUri></trt:GetSnapshotUriResponse>";
  return answer;
}

SoapAnswer Media2GetServiceCapabilities(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<tr2:GetServiceCapabilitiesResponse>" +
                Media2ServiceCapabilities(context.device.Config().onvif) +
                "</tr2:GetServiceCapabilitiesResponse>";
  return answer;
}

SoapAnswer Media2GetProfiles(OnvifContext& context, const xmlNode* request) {
  const xmlNode* tokenNode = Child(request, kNsMedia2, "Token");
  const std::string token = Text(tokenNode);
  std::set<std::string> types;
  std::string named;
  for (const xmlNode* type : onvif::FindAll(request, kNsMedia2, "Type")) {
    types.insert(Text(type));
    named += (named.empty() ? "" : ",") + Text(type);
  }
  std::string journal = tokenNode != nullptr ? "Token=" + token : "";
  if (!named.empty()) journal += (journal.empty() ? "Type=" : " Type=") + named;
  if (tokenNode != nullptr && !ProfileClip(context.device.Config(), token)) {
    return NoProfile(journal);
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetProfilesResponse>";
  for (const ProfileView& profile : Views(context)) {
    if (tokenNode == nullptr || profile.token == token) {
      answer.body += Media2ProfileXml(context, profile, types);
    }
  }
  answer.body += "</tr2:GetProfilesResponse>";
  return answer;
}

SoapAnswer Media2GetStreamUri(OnvifContext& context, const xmlNode* request) {
  const std::string protocol = Text(Child(request, kNsMedia2, "Protocol"));
  const std::string token = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = "ProfileToken=" + token + " Protocol=" + protocol;
  if (!ProfileClip(context.device.Config(), token)) return NoProfile(journal);
  if (protocol != "RTSP" && protocol != "RtspUnicast" && protocol != "RtspOverHttp") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidStreamSetup",
                           "the device streams RTSP unicast");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetStreamUriResponse><tr2:Uri>" + XmlEscape(context.streams + token) +
                "</tr2:Uri></tr2:GetStreamUriResponse>";
  return answer;
}

SoapAnswer Media2GetSnapshotUri(OnvifContext& context, const xmlNode* request) {
  const std::string token = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = "ProfileToken=" + token;
  if (!ProfileClip(context.device.Config(), token)) return NoProfile(journal);
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetSnapshotUriResponse><tr2:Uri>" + XmlEscape(context.snapshots + token) +
                "</tr2:Uri></tr2:GetSnapshotUriResponse>";
  return answer;
}

}  // namespace camsim::detail
