#include "sim/detail/onvif_soap.h"

#include <charconv>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "wire/endpoint.h"

namespace camsim::detail {
namespace {

constexpr std::string_view kNsError = "http://www.onvif.org/ver10/error";

std::string Flag(bool value) {
  return value ? "true" : "false";
}

}  // namespace

std::string SoapFaultBody(SoapFault code, std::string_view subcode, std::string_view detail,
                          std::string_view reason) {
  std::string xml = "<s:Fault xmlns:ter=\"" + std::string(kNsError) + "\"><s:Code><s:Value>" +
                    (code == SoapFault::kSender ? "s:Sender" : "s:Receiver") + "</s:Value>";
  if (!subcode.empty()) {
    xml += "<s:Subcode><s:Value>ter:" + std::string(subcode) + "</s:Value>";
    if (!detail.empty()) {
      xml += "<s:Subcode><s:Value>ter:" + std::string(detail) + "</s:Value></s:Subcode>";
    }
    xml += "</s:Subcode>";
  }
  return xml + "</s:Code><s:Reason><s:Text xml:lang=\"en\">" + onvif::XmlEscape(reason) +
         "</s:Text></s:Reason></s:Fault>";
}

HttpResponse SoapResponse(int status, const std::string& body) {
  HttpResponse response;
  response.status = status;
  response.contentType = "application/soap+xml; charset=utf-8";
  response.body = onvif::Envelope("", body);
  return response;
}

HttpResponse SoapFaultResponse(SoapFault code, std::string_view subcode, std::string_view detail,
                               std::string_view reason) {
  return SoapResponse(code == SoapFault::kSender ? 400 : 500,
                      SoapFaultBody(code, subcode, detail, reason));
}

SoapAnswer SoapFaultAnswer(std::string journal, SoapFault code, std::string_view subcode,
                           std::string_view detail, std::string_view reason) {
  SoapAnswer answer;
  answer.journal = std::move(journal);
  answer.status = code == SoapFault::kSender ? 400 : 500;
  answer.body = SoapFaultBody(code, subcode, detail, reason);
  return answer;
}

bool ParseBool(const std::string& text, bool* value) {
  if (text == "true" || text == "1") {
    *value = true;
  } else if (text == "false" || text == "0") {
    *value = false;
  } else {
    return false;
  }
  return true;
}

bool ParseInt(const std::string& text, int min, int max, int* value) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < min ||
      number > max) {
    return false;
  }
  *value = number;
  return true;
}

bool SchemaInt(const xmlNode* parent, const char* name, int min, int max, int* value) {
  return ParseInt(onvif::Text(onvif::Child(parent, onvif::kNsSchema, name)), min, max, value);
}

std::string RawText(const xmlNode* node) {
  if (node == nullptr) return {};
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

int PrefixLength(const std::string& mask) {
  std::uint32_t bits = 0;
  if (!wire::ParseIPv4(mask, &bits)) return 0;
  int length = 0;
  while (length < 32 && (bits & (0x80000000u >> length)) != 0) ++length;
  return length;
}

bool HostAddress(const std::string& address, const std::string& prefix, int* prefixLength,
                 std::string* mask) {
  std::uint32_t host = 0;
  if (!UnicastAddress(address) || !wire::ParseIPv4(address, &host) ||
      !ParseInt(prefix, 1, 30, prefixLength)) {
    return false;
  }
  const std::uint32_t bits = 0xFFFFFFFFu << (32 - *prefixLength);
  if ((host & ~bits) == 0 || (host & ~bits) == ~bits) return false;
  *mask = std::to_string(bits >> 24) + "." + std::to_string((bits >> 16) & 0xFF) + "." +
          std::to_string((bits >> 8) & 0xFF) + "." + std::to_string(bits & 0xFF);
  return true;
}

bool UnicastAddress(const std::string& address) {
  std::uint32_t value = 0;
  if (!wire::ParseIPv4(address, &value)) return false;
  const std::uint32_t first = value >> 24;
  return first != 0 && first != 127 && first < 224;
}

bool HostName(const std::string& name) {
  if (name.empty() || name.size() > 253) return false;
  for (const char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
          c == '-')) {
      return false;
    }
  }
  return true;
}

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

std::string MediaServiceCapabilities() {
  return "<trt:Capabilities SnapshotUri=\"false\" Rotation=\"false\"><trt:ProfileCapabilities "
         "MaximumNumberOfProfiles=\"1\"/><trt:StreamingCapabilities RTPMulticast=\"false\" "
         "RTP_TCP=\"true\" RTP_RTSP_TCP=\"true\"/></trt:Capabilities>";
}

std::string Media2ServiceCapabilities() {
  return "<tr2:Capabilities SnapshotUri=\"false\" Rotation=\"false\"><tr2:ProfileCapabilities "
         "MaximumNumberOfProfiles=\"1\" ConfigurationsSupported=\"VideoSource VideoEncoder\"/>"
         "<tr2:StreamingCapabilities RTSPStreaming=\"true\" RTPMulticast=\"false\" "
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

}  // namespace camsim::detail
