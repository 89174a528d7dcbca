#include "sim/detail/onvif_device.h"

#include <array>
#include <cstdio>
#include <optional>

#include "onvif/namespaces.h"
#include "onvif/posix_time_zone.h"
#include "onvif/soap_xml.h"
#include "sim/detail/onvif_analytics.h"
#include "sim/detail/onvif_events.h"
#include "sim/detail/onvif_imaging.h"
#include "sim/detail/onvif_media.h"
#include "sim/detail/onvif_network.h"
#include "sim/detail/onvif_services.h"
#include "sim/detail/onvif_snapshot.h"
#include "sim/detail/onvif_soap.h"
#include "sim/detail/onvif_time.h"
#include "sim/onvif_codes.h"
#include "wire/codes.h"

namespace camsim::detail {
namespace {

using onvif::Child;
using onvif::kNsAnalytics;
using onvif::kNsDevice;
using onvif::kNsEvents;
using onvif::kNsImaging;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

constexpr std::string_view kManufacturer = "Camsim";
constexpr double kUploadDelayMs = 1000;

const xmlNode* FirstElement(const xmlNode* parent) {
  if (parent == nullptr) return nullptr;
  for (const xmlNode* node = parent->children; node != nullptr; node = node->next) {
    if (node->type == XML_ELEMENT_NODE) return node;
  }
  return nullptr;
}

std::string NamespaceOf(const xmlNode* node) {
  return node->ns != nullptr && node->ns->href != nullptr
             ? reinterpret_cast<const char*>(node->ns->href)
             : std::string();
}

}  // namespace

OnvifDevice::OnvifDevice(Device& device, Environment& environment, const OnvifEndpoint& endpoint)
    : m_device(device),
      m_env(environment),
      m_endpoint(endpoint),
      m_auth(device, environment.clock),
      m_upload(device, environment.clock, m_auth),
      m_settings(InitialSettingsState(device.Config().onvif)) {}

const OnvifDevice::Operation* OnvifDevice::FindOperation(std::string_view ns,
                                                         std::string_view name) {
  using A = Access;
  static constexpr std::array<Operation, 17> kOperations = {{
      {kNsDevice, "GetSystemDateAndTime", kOnvifGetDateTime, A::kPreAuth,
       &OnvifDevice::GetSystemDateAndTime},
      {kNsDevice, "SetSystemDateAndTime", kOnvifSetDateTime, A::kWriteSystem,
       &OnvifDevice::SetSystemDateAndTime},
      {kNsDevice, "GetDeviceInformation", kOnvifDeviceInformation, A::kReadSystem,
       &OnvifDevice::GetDeviceInformation},
      {kNsDevice, "GetServices", kOnvifGetServices, A::kPreAuth, &OnvifDevice::GetServices},
      {kNsDevice, "GetCapabilities", kOnvifGetCapabilities, A::kPreAuth,
       &OnvifDevice::GetCapabilities},
      {kNsDevice, "GetNetworkInterfaces", kOnvifGetNetworkInterfaces, A::kReadSystem,
       &OnvifDevice::GetNetworkInterfaces},
      {kNsDevice, "SetNetworkInterfaces", kOnvifSetNetworkInterfaces, A::kUnrecoverable,
       &OnvifDevice::SetNetworkInterfaces},
      {kNsDevice, "GetNetworkDefaultGateway", kOnvifGetGateway, A::kReadSystem,
       &OnvifDevice::GetNetworkDefaultGateway},
      {kNsDevice, "SetNetworkDefaultGateway", kOnvifSetGateway, A::kUnrecoverable,
       &OnvifDevice::SetNetworkDefaultGateway},
      {kNsDevice, "SystemReboot", kOnvifSystemReboot, A::kUnrecoverable,
       &OnvifDevice::SystemReboot},
      {kNsDevice, "SetSystemFactoryDefault", kOnvifFactoryDefault, A::kUnrecoverable,
       &OnvifDevice::SetSystemFactoryDefault},
      {kNsDevice, "SetUser", kOnvifSetUser, A::kUnrecoverable, &OnvifDevice::SetUser},
      {kNsDevice, "SetNTP", kOnvifSetNtp, A::kUnrecoverable, &OnvifDevice::SetNTP},
      {kNsDevice, "SetDNS", kOnvifSetDns, A::kUnrecoverable, &OnvifDevice::SetDNS},
      {kNsDevice, "GetNetworkProtocols", kOnvifGetNetworkProtocols, A::kReadSystem,
       &OnvifDevice::GetNetworkProtocols},
      {kNsDevice, "SetNetworkProtocols", kOnvifSetNetworkProtocols, A::kUnrecoverable,
       &OnvifDevice::SetNetworkProtocols},
      {kNsDevice, "StartFirmwareUpgrade", kOnvifStartFirmwareUpgrade, A::kUnrecoverable,
       &OnvifDevice::StartFirmwareUpgrade},
  }};
  for (const Operation& operation : kOperations) {
    if (operation.ns == ns && operation.name == name) return &operation;
  }
  return FindSettingsOperation(ns, name);
}

void OnvifDevice::OnServiceRequest(const std::shared_ptr<HttpConnection>& connection,
                                   HttpRequest& request, const std::string& service) {
  const OnvifSettings& settings = m_device.Config().onvif;
  if ((service == "media2_service" && !settings.media2) ||
      (service == "imaging_service" && !settings.imaging) ||
      (service == "analytics_service" && !settings.analytics)) {
    connection->Respond({404, "text/plain; charset=utf-8", {}, "no such service\n", false});
    return;
  }
  if (request.method != "POST") {
    connection->Respond({405, "text/plain; charset=utf-8", {{"Allow", "POST"}}, "", false});
    return;
  }
  std::weak_ptr<HttpConnection> weak = connection;
  connection->BufferBody(onvif::kMaxSoapBytes, [this, weak, service](HttpRequest& complete) {
    auto target = weak.lock();
    if (!target) return;
    // Gone while the body arrived: as unreachable as at the head.
    if (!m_device.Online()) return target->Close();
    // Each service takes its own namespace's operations only.
    const std::string_view ns = service == "device_service"      ? kNsDevice
                                : service == "media_service"     ? kNsMedia
                                : service == "media2_service"    ? kNsMedia2
                                : service == "imaging_service"   ? kNsImaging
                                : service == "analytics_service" ? kNsAnalytics
                                                                 : kNsEvents;
    std::string error;
    const auto document = onvif::ParseSoap(complete.body, &error);
    if (!document) {
      // Digest clients (curl --digest among them) send their first request without its body and
      // wait for the challenge, as a camera's web server gives it before any SOAP is read.
      if (complete.body.empty() && !Authenticate(target, complete, nullptr, "(empty body)")) return;
      Send(target, SoapFaultResponse(SoapFault::kSender, "WellFormed", "", error));
      return;
    }
    const xmlNode* body = FirstElement(document->Body());
    const std::string name = body != nullptr ? reinterpret_cast<const char*>(body->name) : "";
    const std::string bodyNs = body != nullptr ? NamespaceOf(body) : "";
    const Operation* operation = bodyNs == ns ? FindOperation(bodyNs, name) : nullptr;
    const bool open = operation != nullptr && operation->code == kOnvifGetDateTime &&
                      !m_device.Config().onvif.timeNeedsLogin;
    if (!open && !Authenticate(target, complete, document->Header(), name)) return;
    if (operation == nullptr) {
      m_device.Record(kOnvifUnknownOperation, name.empty() ? "(empty body)" : name, bodyNs);
      Send(target, SoapFaultResponse(SoapFault::kReceiver, "ActionNotSupported", "",
                                     "this service has no operation " + name));
      return;
    }
    if (operation->code == kOnvifGetServices && m_device.Config().onvif.servicesError != 0) {
      // Older firmware has no GetServices and its web server answers with a bare error page.
      m_device.Record(operation->code, std::string(operation->name), "HTTP error");
      const int status = m_device.Config().onvif.servicesError;
      Send(target, {status,
                    "text/html",
                    {},
                    "<html><body>" + std::to_string(status) + "</body></html>\n",
                    false});
      return;
    }
    if (!Permitted(operation->access)) {
      m_device.Record(operation->code, std::string(operation->name), "not authorized");
      Send(target, SoapFaultResponse(SoapFault::kSender, "NotAuthorized", "",
                                     "the account's level does not allow " + name));
      return;
    }
    OnvifContext context{m_device, m_settings, StreamUri(), SnapshotUri()};
    SoapAnswer answer = operation->method != nullptr ? (this->*operation->method)(body)
                                                     : operation->service(context, body);
    m_device.Record(operation->code, std::string(operation->name), answer.journal);
    switch (m_device.GateCode(operation->code)) {
      case Device::Gate::kDrop:
        target->Close();
        return;
      case Device::Gate::kIgnore:
        return;
      case Device::Gate::kRefuse:
        Send(target, SoapFaultResponse(SoapFault::kReceiver, "Action", "",
                                       "the device refused the request"));
        return;
      case Device::Gate::kServe:
        break;
    }
    HttpResponse response = SoapResponse(answer.status, answer.body);
    response.close = answer.close;
    Send(target, std::move(response), std::move(answer.then));
  });
}

bool OnvifDevice::Authenticate(const std::shared_ptr<HttpConnection>& connection,
                               const HttpRequest& request, const xmlNode* soapHeader,
                               std::string_view operation) {
  const OnvifAuth::Result result =
      m_auth.Check(request.method, request.target, request.Header("authorization"), soapHeader);
  const DeviceFaults& faults = m_device.Config().faults;
  std::string reason = result.reason;
  if (result.verdict == OnvifAuth::Verdict::kOk) {
    if (m_device.DropAt("login")) {
      connection->Close();
      return false;
    }
    if (faults.ignoreLogin) return false;
    if (!faults.refuseLogin) return true;
    reason = "refused by the device";
  }
  if (result.verdict == OnvifAuth::Verdict::kOk || result.verdict == OnvifAuth::Verdict::kRefused) {
    m_device.Record(kOnvifLogin, "refused login",
                    result.user + ": " + reason + " (" + std::string(operation) + ")");
  }
  Send(connection, m_auth.Refusal(result));
  return false;
}

bool OnvifDevice::Permitted(Access access) const {
  using Level = OnvifSettings::UserLevel;
  switch (m_device.Config().onvif.userLevel) {
    case Level::kAdministrator:
      return true;
    case Level::kOperator:
      return access != Access::kUnrecoverable;
    case Level::kUser:
      // ONVIF's default policy keeps READ_SYSTEM_SECRET from Users.
      return access == Access::kPreAuth || access == Access::kReadSystem ||
             access == Access::kReadMedia;
  }
  return false;
}

void OnvifDevice::Send(const std::shared_ptr<HttpConnection>& connection, HttpResponse response,
                       std::function<void()> then) {
  std::weak_ptr<HttpConnection> weak = connection;
  m_device.After(
      m_device.Config().timings.answerMs,
      [weak, response = std::move(response), then = std::move(then)]() mutable {
        if (auto target = weak.lock()) target->Respond(std::move(response));
        if (then) then();
      },
      [weak] {
        if (auto target = weak.lock()) target->Close();
      });
}

std::string OnvifDevice::XAddr(std::string_view service) const {
  const DeviceConfig& config = m_device.Config();
  const std::string& host = config.onvif.serviceHost;
  return "http://" +
         (host.empty()    ? m_endpoint.HostPort()
          : host == "lan" ? config.ip
                          : host) +
         "/onvif/" + config.ip + "/" + std::string(service);
}

std::string OnvifDevice::StreamUri() const {
  return "rtsp://" + m_endpoint.host + ":" + std::to_string(m_endpoint.rtspPort) + "/onvif/" +
         m_device.Config().ip + "/";
}

std::string OnvifDevice::SnapshotUri() const {
  return "http://" + m_endpoint.HostPort() + "/onvif/" + m_device.Config().ip + "/snapshot/";
}

void OnvifDevice::OnUpload(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request,
                           const std::string& token) {
  m_upload.OnPost(connection, request, token);
}

void OnvifDevice::OnSnapshot(const std::shared_ptr<HttpConnection>& connection,
                             HttpRequest& request, const std::string& profile) {
  if (request.method != "GET") {
    connection->Respond({405, "text/plain; charset=utf-8", {{"Allow", "GET"}}, "", false});
    return;
  }
  std::weak_ptr<HttpConnection> weak = connection;
  // A GET has no body: anything sent with it is refused as too large.
  connection->BufferBody(0, [this, weak, profile](HttpRequest& complete) {
    auto target = weak.lock();
    if (!target) return;
    if (!m_device.Online()) return target->Close();
    const OnvifAuth::Result result =
        m_auth.CheckWeb(complete.method, complete.target, complete.Header("authorization"));
    if (result.verdict != OnvifAuth::Verdict::kOk) {
      if (result.verdict == OnvifAuth::Verdict::kRefused) {
        m_device.Record(kOnvifLogin, "refused login",
                        result.user + ": " + result.reason + " (snapshot)");
      }
      return Send(target, m_auth.Refusal(result));
    }
    const auto clip = ProfileClip(m_device.Config(), profile);
    if (!clip)
      return Send(target, {404, "text/plain; charset=utf-8", {}, "no such profile\n", false});
    std::string error;
    const std::string jpeg = EncodeSnapshot(m_device.Serial(), m_device.Config().ip, *clip,
                                            ClipPictureAt(m_env.clock.NowMs()), &error);
    m_device.Record(kOnvifSnapshot, "snapshot",
                    profile + " " + std::to_string(clip->width) + "x" +
                        std::to_string(clip->height) + (jpeg.empty() ? " " + error : ""));
    if (jpeg.empty()) {
      return Send(target, {500, "text/plain; charset=utf-8", {}, error + "\n", false});
    }
    Send(target, {200, "image/jpeg", {}, jpeg, false});
  });
}

SoapAnswer OnvifDevice::GetSystemDateAndTime(const xmlNode*) {
  const OnvifSettings& settings = m_device.Config().onvif;
  const std::int64_t utc = HostUtcSeconds() + m_device.ClockOffsetS();
  const onvif::PosixTimeZone zone =
      onvif::ParsePosixTimeZone(settings.timeZone).value_or(onvif::PosixTimeZone{});
  const bool daylight = settings.daylightSavings && zone.DaylightAtUtc(utc);
  const std::int64_t local = utc + (daylight ? zone.daylightEastS : zone.standardEastS);
  SoapAnswer answer;
  answer.body = "<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime><tt:DateTimeType>" +
                m_dateTimeType + "</tt:DateTimeType><tt:DaylightSavings>" +
                (daylight ? "true" : "false") + "</tt:DaylightSavings><tt:TimeZone><tt:TZ>" +
                XmlEscape(settings.timeZone) + "</tt:TZ></tt:TimeZone>";
  if (settings.utcField) {
    answer.body += "<tt:UTCDateTime>" + DateTimeXml(ToCivil(settings.utcIsLocal ? local : utc)) +
                   "</tt:UTCDateTime>";
  }
  answer.body += "<tt:LocalDateTime>" + DateTimeXml(ToCivil(local)) +
                 "</tt:LocalDateTime></tds:SystemDateAndTime></tds:GetSystemDateAndTimeResponse>";
  return answer;
}

SoapAnswer OnvifDevice::SetSystemDateAndTime(const xmlNode* request) {
  const std::string type = Text(Child(request, kNsDevice, "DateTimeType"));
  const std::string daylightText = Text(Child(request, kNsDevice, "DaylightSavings"));
  // Required by the schema, but a request without it keeps the device's setting.
  bool daylight = m_device.Config().onvif.daylightSavings;
  const bool daylightValid = daylightText.empty() || ParseBool(daylightText, &daylight);
  const xmlNode* zone = Child(Child(request, kNsDevice, "TimeZone"), kNsSchema, "TZ");
  const std::string tz = Text(zone);
  const xmlNode* utc = Child(request, kNsDevice, "UTCDateTime");
  const xmlNode* date = Child(utc, kNsSchema, "Date");
  const xmlNode* time = Child(utc, kNsSchema, "Time");
  CivilTime civil;
  const bool fields = SchemaInt(date, "Year", 1970, 9999, &civil.year) &&
                      SchemaInt(date, "Month", 1, 12, &civil.month) &&
                      SchemaInt(date, "Day", 1, 31, &civil.day) &&
                      SchemaInt(time, "Hour", 0, 23, &civil.hour) &&
                      SchemaInt(time, "Minute", 0, 59, &civil.minute) &&
                      SchemaInt(time, "Second", 0, 59, &civil.second);
  const auto seconds = fields ? FromCivil(civil) : std::nullopt;
  std::string journal = type;
  if (seconds) journal += " " + IsoTime(civil);
  if (zone != nullptr) journal += " TZ=" + tz;
  if (!daylightText.empty()) journal += " DaylightSavings=" + daylightText;
  if (type != "Manual" && type != "NTP") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "",
                           "DateTimeType is Manual or NTP");
  }
  if (!daylightValid) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "",
                           "DaylightSavings is true or false");
  }
  if (zone != nullptr && !onvif::ParsePosixTimeZone(tz)) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidTimeZone",
                           "not a POSIX time zone");
  }
  if (type == "Manual" && !seconds) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidDateTime",
                           "Manual needs a valid UTCDateTime");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tds:SetSystemDateAndTimeResponse/>";
  const std::int64_t offset = seconds ? *seconds - HostUtcSeconds() : 0;
  answer.then = [this, type, tz, zone = zone != nullptr, daylight, seconds, civil, offset] {
    m_dateTimeType = type;
    m_device.SetDaylightSavings(daylight);
    if (zone) m_device.SetTimeZone(tz);
    if (!seconds) return;
    // The framed time request's form, so the snapshot reads alike for both faces.
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02d%02d %02d:%02d:%02d", civil.year, civil.month,
                  civil.day, civil.hour, civil.minute, civil.second);
    m_device.SetClock(text);
    m_device.SetClockOffset(offset);
  };
  return answer;
}

SoapAnswer OnvifDevice::GetDeviceInformation(const xmlNode*) {
  const DeviceConfig& config = m_device.Config();
  SoapAnswer answer;
  answer.body = "<tds:GetDeviceInformationResponse><tds:Manufacturer>" +
                std::string(kManufacturer) + "</tds:Manufacturer><tds:Model>" +
                XmlEscape(config.deviceType) + "</tds:Model><tds:FirmwareVersion>" +
                XmlEscape(config.version) + "</tds:FirmwareVersion><tds:SerialNumber>" +
                XmlEscape(config.serial) + "</tds:SerialNumber><tds:HardwareId>" +
                XmlEscape(config.deviceType) +
                "-1</tds:HardwareId></tds:GetDeviceInformationResponse>";
  return answer;
}

SoapAnswer OnvifDevice::GetServices(const xmlNode* request) {
  return ListServices(m_device.Config().onvif, request,
                      [this](std::string_view service) { return XAddr(service); });
}

SoapAnswer OnvifDevice::GetCapabilities(const xmlNode* request) {
  return ListCapabilities(m_device.Config().onvif, request,
                          [this](std::string_view service) { return XAddr(service); });
}

SoapAnswer OnvifDevice::GetNetworkInterfaces(const xmlNode*) {
  using Interfaces = OnvifSettings::Interfaces;
  const DeviceConfig& config = m_device.Config();
  const Interfaces kind = config.onvif.interfaces;
  if (kind == Interfaces::kFault) {
    return SoapFaultAnswer("", SoapFault::kReceiver, "ActionNotSupported", "",
                           "the device does not list its interfaces");
  }
  SoapAnswer answer;
  if (kind == Interfaces::kNone) {
    answer.body = "<tds:GetNetworkInterfacesResponse/>";
    return answer;
  }
  const std::string prefix = std::to_string(PrefixLength(config.mask));
  auto address = [&prefix](const char* element, const std::string& ip) {
    return std::string("<tt:") + element + "><tt:Address>" + ip + "</tt:Address><tt:PrefixLength>" +
           prefix + "</tt:PrefixLength></tt:" + element + ">";
  };
  // With DHCP on, the manual address the device still lists is the one it had before.
  const bool dhcp = kind == Interfaces::kDhcp;
  const std::string config4 = dhcp ? address("Manual", config.factoryIp) +
                                         address("FromDHCP", config.ip) + "<tt:DHCP>true</tt:DHCP>"
                                   : address("Manual", config.ip) + "<tt:DHCP>false</tt:DHCP>";
  answer.body =
      "<tds:GetNetworkInterfacesResponse><tds:NetworkInterfaces token=\"eth0\"><tt:Enabled>true"
      "</tt:Enabled><tt:Info><tt:Name>eth0</tt:Name><tt:HwAddress>" +
      XmlEscape(config.mac) +
      "</tt:HwAddress><tt:MTU>1500</tt:MTU></tt:Info><tt:IPv4><tt:Enabled>true</tt:Enabled>"
      "<tt:Config>" +
      config4 + "</tt:Config></tt:IPv4></tds:NetworkInterfaces></tds:GetNetworkInterfacesResponse>";
  return answer;
}

SoapAnswer OnvifDevice::SetNetworkInterfaces(const xmlNode* request) {
  const std::string token = Text(Child(request, kNsDevice, "InterfaceToken"));
  const xmlNode* ipv4 = Child(Child(request, kNsDevice, "NetworkInterface"), kNsSchema, "IPv4");
  const xmlNode* manual = Child(ipv4, kNsSchema, "Manual");
  const std::string address = Text(Child(manual, kNsSchema, "Address"));
  const std::string prefixText = Text(Child(manual, kNsSchema, "PrefixLength"));
  bool dhcp = false;
  const std::string dhcpText = Text(Child(ipv4, kNsSchema, "DHCP"));
  const bool dhcpValid = dhcpText.empty() || ParseBool(dhcpText, &dhcp);
  const std::string journal =
      token + " IP=" + address + " PrefixLength=" + prefixText + (dhcp ? " DHCP=true" : "");
  if (token != "eth0") {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidNetworkInterface",
                           "the device has one interface, eth0");
  }
  int prefix = 0;
  std::string mask;
  if (!dhcpValid || dhcp || !HostAddress(address, prefixText, &prefix, &mask)) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidIPv4Address",
                           "a manual IPv4 host address and a prefix length from 1 to 30");
  }
  if (m_device.Config().faults.rejectModify) {
    return SoapFaultAnswer(journal, SoapFault::kReceiver, "Action", "",
                           "the device refused the new address");
  }
  const bool atReboot = m_device.Config().onvif.rebootNeeded;
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = std::string("<tds:SetNetworkInterfacesResponse><tds:RebootNeeded>") +
                (atReboot ? "true" : "false") +
                "</tds:RebootNeeded></tds:SetNetworkInterfacesResponse>";
  answer.then = [this, address, mask, atReboot] {
    if (atReboot) {
      m_device.SetAddressAtReboot(address, mask);
    } else {
      m_device.SetAddress(address, mask, m_device.Config().gateway);
    }
  };
  return answer;
}

SoapAnswer OnvifDevice::GetNetworkDefaultGateway(const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<tds:GetNetworkDefaultGatewayResponse><tds:NetworkGateway><tt:IPv4Address>" +
                m_device.Config().gateway +
                "</tt:IPv4Address></tds:NetworkGateway></tds:GetNetworkDefaultGatewayResponse>";
  return answer;
}

SoapAnswer OnvifDevice::SetNetworkDefaultGateway(const xmlNode* request) {
  const std::string gateway = Text(Child(request, kNsDevice, "IPv4Address"));
  if (!UnicastAddress(gateway)) {
    return SoapFaultAnswer("Gateway=" + gateway, SoapFault::kSender, "InvalidArgVal",
                           "InvalidGatewayAddress", "not an IPv4 unicast address");
  }
  SoapAnswer answer;
  answer.journal = "Gateway=" + gateway;
  answer.body = "<tds:SetNetworkDefaultGatewayResponse/>";
  answer.then = [this, gateway] { m_device.SetGateway(gateway); };
  return answer;
}

SoapAnswer OnvifDevice::SystemReboot(const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<tds:SystemRebootResponse><tds:Message>Rebooting in " +
                FormatDuration(m_device.Config().timings.rebootMs) +
                "</tds:Message></tds:SystemRebootResponse>";
  answer.close = true;
  answer.then = [this] { m_device.Reboot(); };
  return answer;
}

SoapAnswer OnvifDevice::SetSystemFactoryDefault(const xmlNode* request) {
  const std::string kind = Text(Child(request, kNsDevice, "FactoryDefault"));
  if (kind != "Hard" && kind != "Soft") {
    return SoapFaultAnswer(kind, SoapFault::kSender, "InvalidArgVal", "",
                           "FactoryDefault is Hard or Soft");
  }
  SoapAnswer answer;
  answer.journal = kind;
  answer.body = "<tds:SetSystemFactoryDefaultResponse/>";
  answer.close = true;
  // A soft default keeps the network settings, so the device comes back where it was.
  answer.then = [this, soft = kind == "Soft"] {
    m_settings = InitialSettingsState(m_device.Config().onvif);
    m_device.FactoryRestore(soft);
  };
  return answer;
}

SoapAnswer OnvifDevice::SetUser(const xmlNode* request) {
  const DeviceConfig& config = m_device.Config();
  std::string journal;
  std::optional<std::string> password;
  const char* problem = nullptr;
  const char* detail = "";
  const auto users = onvif::FindAll(request, kNsDevice, "User");
  for (const xmlNode* user : users) {
    const std::string name = Text(Child(user, kNsSchema, "Username"));
    const xmlNode* secret = Child(user, kNsSchema, "Password");
    const std::string level = Text(Child(user, kNsSchema, "UserLevel"));
    journal += (journal.empty() ? "" : "; ") + ("Username=" + name + " UserLevel=" + level);
    if (name != config.user) {
      problem = "the device has no such user";
      detail = "UsernameMissing";
    } else if (secret != nullptr && RawText(secret).size() > wire::kMaxPassword) {
      problem = "password longer than 63 characters";
      detail = "PasswordTooLong";
    } else if (level != "Administrator" && level != "Operator" && level != "User") {
      problem = "UserLevel is Administrator, Operator or User";
    } else if (secret != nullptr) {
      // Kept as sent: white space in a password is the password's.
      password = RawText(secret);
    }
  }
  if (users.empty()) problem = "SetUser names no user";
  if (problem != nullptr) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", detail, problem);
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tds:SetUserResponse/>";
  answer.then = [this, journal, password] {
    if (password) m_device.SetPassword(*password);
    m_device.StoreConfig(kOnvifSetUser, journal);
  };
  return answer;
}

SoapAnswer OnvifDevice::SetNTP(const xmlNode* request) {
  return SetNtpServers(m_device, request);
}

SoapAnswer OnvifDevice::SetDNS(const xmlNode* request) {
  return SetDnsServers(m_device, request);
}

SoapAnswer OnvifDevice::GetNetworkProtocols(const xmlNode*) {
  return ReadNetworkProtocols(m_device);
}

SoapAnswer OnvifDevice::SetNetworkProtocols(const xmlNode* request) {
  return WriteNetworkProtocols(m_device, request);
}

SoapAnswer OnvifDevice::StartFirmwareUpgrade(const xmlNode*) {
  const DeviceConfig& config = m_device.Config();
  if (!config.onvif.httpUpgrade) {
    return SoapFaultAnswer("", SoapFault::kReceiver, "ActionNotSupported", "",
                           "the device takes no firmware over HTTP");
  }
  SoapAnswer answer;
  answer.body = "<tds:StartFirmwareUpgradeResponse><tds:UploadUri>http://" + m_endpoint.HostPort() +
                "/onvif/" + config.ip + "/firmware/" + m_upload.NewToken() +
                "</tds:UploadUri><tds:UploadDelay>" +
                (config.onvif.uploadDelay.empty() ? FormatDuration(kUploadDelayMs)
                                                  : XmlEscape(config.onvif.uploadDelay)) +
                "</tds:UploadDelay><tds:ExpectedDownTime>" +
                FormatDuration(config.timings.checkMs + config.timings.upgradeRestartMs) +
                "</tds:ExpectedDownTime></tds:StartFirmwareUpgradeResponse>";
  return answer;
}

}  // namespace camsim::detail
