// The ONVIF face of one device: the SOAP operations of its device, media, media2, imaging,
// analytics and event services, authenticated, journaled, answered after the device's answer delay
// and bent by its faults, each mapped onto the device's own behaviour (Device), which the framed
// links share, or onto its settings state. The firmware upload it hands out is OnvifUpload's; the
// snapshots it serves are its profiles' clips. Network thread only.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "sim/detail/device.h"
#include "sim/detail/http_connection.h"
#include "sim/detail/onvif_auth.h"
#include "sim/detail/onvif_operations.h"
#include "sim/detail/onvif_settings_state.h"
#include "sim/detail/onvif_soap.h"
#include "sim/detail/onvif_upload.h"

namespace camsim::detail {

// Where the services are reached: the simulator's host:port and the RTSP server's port.
struct OnvifEndpoint {
  std::string host;
  std::uint16_t port = 0;
  std::uint16_t rtspPort = 0;
  std::string HostPort() const { return host + ":" + std::to_string(port); }
};

class OnvifDevice {
 public:
  OnvifDevice(Device& device, Environment& environment, const OnvifEndpoint& endpoint);

  Device& GetDevice() { return m_device; }
  // A request to one of the device's services ("device_service", "media_service",
  // "media2_service", "imaging_service", "analytics_service", "event_service") whose head has
  // arrived.
  void OnServiceRequest(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request,
                        const std::string& service);
  // A request to firmware/<token>.
  void OnUpload(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request,
                const std::string& token);
  // A GET of snapshot/<profile token>.
  void OnSnapshot(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request,
                  const std::string& profile);

 private:
  using Access = OnvifAccess;
  using Operation = OnvifOperation;
  // The device service's own operations first, then the settings services'.
  static const Operation* FindOperation(std::string_view ns, std::string_view name);

  void Serve(const std::shared_ptr<HttpConnection>& connection, const HttpRequest& request);
  // True when the request may go on; otherwise it has been answered.
  bool Authenticate(const std::shared_ptr<HttpConnection>& connection, const HttpRequest& request,
                    const xmlNode* soapHeader, std::string_view operation);
  // Whether the account's level allows operations of the access class.
  bool Permitted(Access access) const;
  // Answers after the device's answer delay, then runs then; a restart meanwhile closes the
  // connection instead, as the device's connections end when it goes away.
  void Send(const std::shared_ptr<HttpConnection>& connection, HttpResponse response,
            std::function<void()> then = nullptr);
  std::string XAddr(std::string_view service) const;
  // Where the device's streams lie, with a final slash: each profile's is this and its token.
  std::string StreamUri() const;
  // Where its snapshots lie, likewise: on the simulator's own address, as the firmware upload.
  std::string SnapshotUri() const;

  SoapAnswer GetSystemDateAndTime(const xmlNode* request);
  SoapAnswer SetSystemDateAndTime(const xmlNode* request);
  SoapAnswer GetDeviceInformation(const xmlNode* request);
  SoapAnswer GetServices(const xmlNode* request);
  SoapAnswer GetCapabilities(const xmlNode* request);
  SoapAnswer GetNetworkInterfaces(const xmlNode* request);
  SoapAnswer SetNetworkInterfaces(const xmlNode* request);
  SoapAnswer GetNetworkDefaultGateway(const xmlNode* request);
  SoapAnswer SetNetworkDefaultGateway(const xmlNode* request);
  SoapAnswer SystemReboot(const xmlNode* request);
  SoapAnswer SetSystemFactoryDefault(const xmlNode* request);
  SoapAnswer SetUser(const xmlNode* request);
  SoapAnswer SetNTP(const xmlNode* request);
  SoapAnswer SetDNS(const xmlNode* request);
  SoapAnswer GetNetworkProtocols(const xmlNode* request);
  SoapAnswer SetNetworkProtocols(const xmlNode* request);
  SoapAnswer StartFirmwareUpgrade(const xmlNode* request);

  Device& m_device;
  Environment& m_env;
  const OnvifEndpoint& m_endpoint;
  OnvifAuth m_auth;
  OnvifUpload m_upload;
  std::string m_dateTimeType = "Manual";
  OnvifSettingsState m_settings;
};

}  // namespace camsim::detail
