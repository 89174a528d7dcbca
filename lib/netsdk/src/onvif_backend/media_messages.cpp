#include "onvif_backend/media_messages.h"

#include <cctype>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/text_encoding.h"

namespace netsdk::onvif_backend {
namespace {

std::string_view Namespace(MediaVersion version) {
  return version == MediaVersion::kMedia2 ? onvif::kNsMedia2 : onvif::kNsMedia;
}

}  // namespace

std::string MediaAction(MediaVersion version, const std::string& operation) {
  return std::string(Namespace(version)) + "/" + operation;
}

std::string GetProfilesBody(MediaVersion version) {
  return version == MediaVersion::kMedia2
             ? "<tr2:GetProfiles><tr2:Type>VideoEncoder</tr2:Type></tr2:GetProfiles>"
             : "<trt:GetProfiles/>";
}

std::string GetStreamUriBody(MediaVersion version, const std::string& profileToken) {
  const std::string token = onvif::XmlEscape(profileToken);
  if (version == MediaVersion::kMedia2) {
    return "<tr2:GetStreamUri><tr2:Protocol>RtspUnicast</tr2:Protocol><tr2:ProfileToken>" + token +
           "</tr2:ProfileToken></tr2:GetStreamUri>";
  }
  return "<trt:GetStreamUri><trt:StreamSetup><tt:Stream>RTP-Unicast</tt:Stream><tt:Transport>"
         "<tt:Protocol>RTSP</tt:Protocol></tt:Transport></trt:StreamSetup><trt:ProfileToken>" +
         token + "</trt:ProfileToken></trt:GetStreamUri>";
}

std::string ReadPlayableProfile(MediaVersion version, const xmlNode* body) {
  std::string unknown;
  for (const xmlNode* profile : onvif::FindAll(body, Namespace(version), "Profiles")) {
    const std::string token = onvif::Attribute(profile, "token");
    if (token.empty()) continue;
    const xmlNode* encoder =
        version == MediaVersion::kMedia2
            ? onvif::Child(onvif::Child(profile, onvif::kNsMedia2, "Configurations"),
                           onvif::kNsMedia2, "VideoEncoder")
            : onvif::Child(profile, onvif::kNsSchema, "VideoEncoderConfiguration");
    const std::string encoding =
        AsciiUpper(onvif::Text(onvif::Child(encoder, onvif::kNsSchema, "Encoding")));
    // The first media service names no H.265, yet cameras that stream it write H265 there too.
    if (encoding == "H264" || encoding == "H265" || encoding == "HEVC") return token;
    // A profile that does not say what it encodes may still carry H.264: the stream tells.
    if (encoding.empty() && unknown.empty()) unknown = token;
  }
  return unknown;
}

std::string ReadStreamUri(MediaVersion version, const xmlNode* body) {
  if (version == MediaVersion::kMedia2)
    return onvif::Text(onvif::Find(body, onvif::kNsMedia2, "Uri"));
  return onvif::Text(
      onvif::Find(onvif::Find(body, onvif::kNsMedia, "MediaUri"), onvif::kNsSchema, "Uri"));
}

std::string GetAllProfilesBody(MediaVersion version) {
  return version == MediaVersion::kMedia2
             ? "<tr2:GetProfiles><tr2:Type>All</tr2:Type></tr2:GetProfiles>"
             : "<trt:GetProfiles/>";
}

std::vector<ProfileConfigurations> ReadProfiles(MediaVersion version, const xmlNode* body) {
  const bool media2 = version == MediaVersion::kMedia2;
  // Media2 groups the configurations under Configurations with short names; Media lists them in
  // the profile with the schema's long names.
  auto configuration = [media2](const xmlNode* profile, std::string_view media2Name,
                                std::string_view mediaName) {
    return media2 ? onvif::Child(onvif::Child(profile, onvif::kNsMedia2, "Configurations"),
                                 onvif::kNsMedia2, media2Name)
                  : onvif::Child(profile, onvif::kNsSchema, mediaName);
  };
  std::vector<ProfileConfigurations> profiles;
  for (const xmlNode* profile : onvif::FindAll(body, Namespace(version), "Profiles")) {
    ProfileConfigurations found;
    found.token = onvif::Attribute(profile, "token");
    if (found.token.empty()) continue;
    const xmlNode* source = configuration(profile, "VideoSource", "VideoSourceConfiguration");
    found.videoSource = onvif::Attribute(source, "token");
    found.videoSourceToken = onvif::Text(onvif::Child(source, onvif::kNsSchema, "SourceToken"));
    found.videoEncoder = onvif::Attribute(
        configuration(profile, "VideoEncoder", "VideoEncoderConfiguration"), "token");
    found.audioEncoder = onvif::Attribute(
        configuration(profile, "AudioEncoder", "AudioEncoderConfiguration"), "token");
    found.analytics = onvif::Attribute(
        configuration(profile, "Analytics", "VideoAnalyticsConfiguration"), "token");
    profiles.push_back(std::move(found));
  }
  return profiles;
}

}  // namespace netsdk::onvif_backend
