#include "sim/detail/onvif_services.h"

#include <array>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "sim/detail/onvif_analytics.h"
#include "sim/detail/onvif_events.h"
#include "sim/detail/onvif_imaging.h"
#include "sim/detail/onvif_models.h"

namespace camsim::detail {

using onvif::Child;
using onvif::kNsAnalytics;
using onvif::kNsDevice;
using onvif::kNsEvents;
using onvif::kNsImaging;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::Text;
using onvif::XmlEscape;

std::string DeviceServiceCapabilities(const OnvifSettings& settings) {
  return "<tds:Capabilities><tds:Network IPFilter=\"false\" ZeroConfiguration=\"false\" "
         "IPVersion6=\"false\" DynDNS=\"false\" NTP=\"1\"/><tds:Security UsernameToken=\"" +
         Flag(settings.auth != OnvifSettings::Auth::kDigest) + "\" HttpDigest=\"" +
         Flag(settings.auth != OnvifSettings::Auth::kToken) +
         "\"/><tds:System DiscoveryResolve=\"false\" DiscoveryBye=\"false\" "
         "RemoteDiscovery=\"false\" SystemBackup=\"false\" SystemLogging=\"false\" "
         "FirmwareUpgrade=\"true\" HttpFirmwareUpgrade=\"" +
         Flag(settings.httpUpgrade) + "\"/></tds:Capabilities>";
}

std::string MediaServiceCapabilities(const OnvifSettings& settings) {
  return "<trt:Capabilities SnapshotUri=\"true\" Rotation=\"" +
         Flag(ModelOf(settings.model).rotate) +
         "\"><trt:ProfileCapabilities MaximumNumberOfProfiles=\"2\"/><trt:StreamingCapabilities "
         "RTPMulticast=\"false\" RTP_TCP=\"true\" RTP_RTSP_TCP=\"true\"/></trt:Capabilities>";
}

std::string Media2ServiceCapabilities(const OnvifSettings& settings) {
  return "<tr2:Capabilities SnapshotUri=\"true\" Rotation=\"" +
         Flag(ModelOf(settings.model).rotate) + "\" OSD=\"" + Flag(HasOsd(settings)) +
         "\"><tr2:ProfileCapabilities MaximumNumberOfProfiles=\"2\" ConfigurationsSupported=\""
         "VideoSource VideoEncoder AudioSource AudioEncoder" +
         (settings.analytics ? " Analytics" : "") +
         "\"/><tr2:StreamingCapabilities RTSPStreaming=\"true\" RTPMulticast=\"false\" "
         "RTP_RTSP_TCP=\"true\"/></tr2:Capabilities>";
}

std::string DeviceCapabilities(const OnvifSettings& settings) {
  return "<tt:Network><tt:IPFilter>false</tt:IPFilter><tt:ZeroConfiguration>false"
         "</tt:ZeroConfiguration><tt:IPVersion6>false</tt:IPVersion6><tt:DynDNS>false</tt:DynDNS>"
         "</tt:Network><tt:System><tt:DiscoveryResolve>false</tt:DiscoveryResolve>"
         "<tt:DiscoveryBye>false</tt:DiscoveryBye><tt:RemoteDiscovery>false</tt:RemoteDiscovery>"
         "<tt:SystemBackup>false</tt:SystemBackup><tt:SystemLogging>false</tt:SystemLogging>"
         "<tt:FirmwareUpgrade>" +
         Flag(settings.httpUpgrade) +
         "</tt:FirmwareUpgrade><tt:SupportedVersions><tt:Major>2</tt:Major><tt:Minor>60</tt:Minor>"
         "</tt:SupportedVersions></tt:System><tt:Security><tt:TLS1.1>false</tt:TLS1.1>"
         "<tt:TLS1.2>false</tt:TLS1.2><tt:OnboardKeyGeneration>false</tt:OnboardKeyGeneration>"
         "<tt:AccessPolicyConfig>false</tt:AccessPolicyConfig><tt:X.509Token>false</tt:X.509Token>"
         "<tt:SAMLToken>false</tt:SAMLToken><tt:KerberosToken>false</tt:KerberosToken>"
         "<tt:RELToken>false</tt:RELToken></tt:Security>";
}

std::string MediaCapabilities() {
  return "<tt:StreamingCapabilities><tt:RTPMulticast>false</tt:RTPMulticast><tt:RTP_TCP>true"
         "</tt:RTP_TCP><tt:RTP_RTSP_TCP>true</tt:RTP_RTSP_TCP></tt:StreamingCapabilities>";
}

SoapAnswer ListServices(const OnvifSettings& settings, const xmlNode* request,
                        const XAddrOf& xaddr) {
  bool capabilities = false;
  const std::string include = Text(Child(request, kNsDevice, "IncludeCapability"));
  if (!ParseBool(include, &capabilities)) {
    return SoapFaultAnswer("IncludeCapability=" + include, SoapFault::kSender, "InvalidArgVal", "",
                           "IncludeCapability is true or false");
  }
  auto service = [&](std::string_view ns, std::string_view path, const std::string& caps) {
    std::string xml = "<tds:Service><tds:Namespace>" + std::string(ns) +
                      "</tds:Namespace><tds:XAddr>" + XmlEscape(xaddr(path)) + "</tds:XAddr>";
    if (capabilities) xml += "<tds:Capabilities>" + caps + "</tds:Capabilities>";
    return xml +
           "<tds:Version><tt:Major>2</tt:Major><tt:Minor>60</tt:Minor></tds:Version>"
           "</tds:Service>";
  };
  SoapAnswer answer;
  answer.journal = "IncludeCapability=" + std::string(capabilities ? "true" : "false");
  answer.body = "<tds:GetServicesResponse>" +
                service(kNsDevice, "device_service", DeviceServiceCapabilities(settings)) +
                service(kNsMedia, "media_service", MediaServiceCapabilities(settings));
  if (settings.media2)
    answer.body += service(kNsMedia2, "media2_service", Media2ServiceCapabilities(settings));
  if (settings.imaging)
    answer.body += service(kNsImaging, "imaging_service", ImagingServiceCapabilities());
  if (settings.analytics)
    answer.body += service(kNsAnalytics, "analytics_service", AnalyticsServiceCapabilities());
  answer.body += service(kNsEvents, "event_service", EventServiceCapabilities()) +
                 "</tds:GetServicesResponse>";
  return answer;
}

SoapAnswer ListCapabilities(const OnvifSettings& settings, const xmlNode* request,
                            const XAddrOf& xaddr) {
  // The categories in the order the answer lists them: whether the device has each, and what
  // follows its address.
  struct Category {
    std::string_view name;
    std::string_view path;
    bool present;
    std::string content;
    bool wanted = false;
  };
  std::array<Category, 5> categories = {{
      {"Analytics", "analytics_service", settings.analytics,
       "<tt:RuleSupport>true</tt:RuleSupport><tt:AnalyticsModuleSupport>true"
       "</tt:AnalyticsModuleSupport>"},
      {"Device", "device_service", true, DeviceCapabilities(settings)},
      {"Events", "event_service", true,
       "<tt:WSSubscriptionPolicySupport>false</tt:WSSubscriptionPolicySupport>"
       "<tt:WSPullPointSupport>false</tt:WSPullPointSupport>"
       "<tt:WSPausableSubscriptionManagerInterfaceSupport>false"
       "</tt:WSPausableSubscriptionManagerInterfaceSupport>"},
      {"Imaging", "imaging_service", settings.imaging, ""},
      {"Media", "media_service", true, MediaCapabilities()},
  }};
  std::string journal;
  for (const xmlNode* category : onvif::FindAll(request, kNsDevice, "Category")) {
    const std::string name = Text(category);
    journal += (journal.empty() ? "Category=" : ",") + name;
    bool known = name == "All";
    for (Category& entry : categories) {
      if (name == "All" || name == entry.name) {
        entry.wanted = true;
        known |= entry.present;
      }
    }
    if (!known) {
      return SoapFaultAnswer(journal, SoapFault::kReceiver, "ActionNotSupported", "NoSuchService",
                             "the device has no " + name + " service");
    }
  }
  // No category asks for all of them.
  const bool all = journal.empty();
  SoapAnswer answer;
  answer.journal = all ? "Category=All" : journal;
  answer.body = "<tds:GetCapabilitiesResponse><tds:Capabilities>";
  for (const Category& entry : categories) {
    if (!entry.present || !(entry.wanted || all)) continue;
    const std::string name(entry.name);
    answer.body += "<tt:" + name + "><tt:XAddr>" + XmlEscape(xaddr(entry.path)) + "</tt:XAddr>" +
                   entry.content + "</tt:" + name + ">";
  }
  answer.body += "</tds:Capabilities></tds:GetCapabilitiesResponse>";
  return answer;
}

}  // namespace camsim::detail
