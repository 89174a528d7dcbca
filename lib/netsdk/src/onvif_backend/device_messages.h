// The ONVIF device and media operations the backend uses: each request body written by hand, each
// answer read by namespace and local name only, so that any device's prefixes and extra elements
// are accepted. A reader returns false when an element it needs is missing or malformed.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace netsdk::onvif_backend {

// The SOAP 1.2 action of an operation of the device service (ver10), for the Content-Type.
std::string DeviceAction(std::string_view operation);
// application/soap+xml with the action parameter.
std::string SoapContentType(const std::string& action);

struct DeviceClock {
  std::int64_t utcSeconds = 0;  // the device's UTC
  // The device writes its local time into UTCDateTime (a known deviation): its time zone is not
  // UTC while both fields hold the same time. utcSeconds is then corrected by the zone's offset in
  // force, daylight saving included.
  bool utcIsLocal = false;
  std::string timeZone;  // the device's TZ as it gave it; empty when it gave none
};

struct DeviceInformation {
  std::string manufacturer;
  std::string model;
  std::string firmwareVersion;
  std::string serialNumber;
  std::string hardwareId;
};

struct NetworkInterface {
  std::string token;
  std::string mac;
  std::string address;  // the IPv4 address in use: the DHCP one with DHCP on, else the manual one
  int prefixLength = 0;
};

// Service XAddrs by namespace URI (GetServices) or by capability (GetCapabilities, whose device,
// media, imaging and analytics entries are given those services' namespaces).
using ServiceMap = std::map<std::string, std::string>;

struct FirmwareUpload {
  std::string uri;
  double delayMs = 0;  // wait before the upload may start
};

// Request bodies.
std::string GetSystemDateAndTimeBody();
std::string GetDeviceInformationBody();
std::string GetNetworkInterfacesBody();
std::string GetNetworkDefaultGatewayBody();
std::string GetServicesBody();
std::string GetCapabilitiesBody();
std::string SystemRebootBody();
std::string SetSystemFactoryDefaultBody(bool hard);
// Keeps the device's zone (when it gave one) and, as ONVIF defines the flag when setting,
// automatic daylight saving whenever that zone has a rule.
std::string SetSystemDateAndTimeBody(std::int64_t utcSeconds, const std::string& timeZone);
// The clock set from time servers, in the zone, without a time (the device sets it itself).
std::string SetNtpClockBody(const std::string& posixZone);
std::string SetNetworkInterfacesBody(const std::string& token, const std::string& address,
                                     int prefixLength);
std::string SetNetworkDefaultGatewayBody(const std::string& gateway);
std::string StartFirmwareUpgradeBody();
std::string SetUserBody(const std::string& user, const std::string& password);
std::string SetNtpBody(bool fromDhcp, const std::string& server);
std::string SetDnsBody(const std::string& server);
std::string SetNetworkProtocolsBody(int httpPort, int rtspPort);

// Answer readers; body is the SOAP Body element.
bool ReadDeviceClock(const xmlNode* body, DeviceClock* clock);
bool ReadDeviceInformation(const xmlNode* body, DeviceInformation* information);
bool ReadNetworkInterface(const xmlNode* body, NetworkInterface* interface);
bool ReadDefaultGateway(const xmlNode* body, std::string* gateway);
bool ReadServices(const xmlNode* body, ServiceMap* services);
bool ReadCapabilities(const xmlNode* body, ServiceMap* services);
// RebootNeeded of a SetNetworkInterfaces answer (false when absent).
bool ReadRebootNeeded(const xmlNode* body);
bool ReadFirmwareUpload(const xmlNode* body, FirmwareUpload* upload);

// Longer durations are read as this: whatever a device writes, a wait stays representable.
inline constexpr double kMaxDurationMs = 366 * 86400000.0;
// The longest wait before a firmware upload that a device's UploadDelay can ask for.
inline constexpr double kMaxUploadDelayMs = 120000;

// xs:duration (PnDTnHnMnS, fractions allowed; years and months only as zero) in ms, at most
// kMaxDurationMs.
std::optional<double> ParseDuration(const std::string& text);
// The dotted mask of a prefix length, and the prefix length of a contiguous dotted mask (nullopt
// for a non-contiguous or malformed one).
std::string MaskOfPrefix(int prefixLength);
std::optional<int> PrefixOfMask(const std::string& mask);

}  // namespace netsdk::onvif_backend
