#include "onvif_backend/media_messages.h"

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

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

std::string ReadFirstProfile(MediaVersion version, const xmlNode* body) {
  return onvif::Attribute(onvif::Find(body, Namespace(version), "Profiles"), "token");
}

std::string ReadStreamUri(MediaVersion version, const xmlNode* body) {
  if (version == MediaVersion::kMedia2) return onvif::Text(onvif::Find(body, onvif::kNsMedia2, "Uri"));
  return onvif::Text(onvif::Find(onvif::Find(body, onvif::kNsMedia, "MediaUri"), onvif::kNsSchema,
                                 "Uri"));
}

}  // namespace netsdk::onvif_backend
