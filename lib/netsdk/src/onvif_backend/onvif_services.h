// What the ONVIF backend's search, logins and previews share: the HTTP client, the refused
// credentials, the directory of devices found, through which a login by address reaches the
// service that discovery announced, and the previews' RTSP gateway.
#pragma once

#include <asio.hpp>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "onvif_backend/http_client.h"
#include "onvif_backend/rtsp_gateway.h"
#include "onvif_backend/soap_channel.h"
#include "onvif_backend/url.h"
#include "settings.h"

namespace netsdk::onvif_backend {

struct KnownDevice {
  std::string endpoint;  // the endpoint reference, which names the device for refusals
  Url service;           // its device service
};

// Thread-safe.
class DeviceDirectory {
 public:
  void Remember(const std::string& ip, const KnownDevice& device);
  std::optional<KnownDevice> AtAddress(const std::string& ip) const;
  // The serial first learned for the endpoint; a device never changes its serial within the
  // process, so a later answer cannot swap two rows of the program's table.
  std::string StableSerial(const std::string& endpoint, const std::string& serial);

 private:
  mutable std::mutex m_mutex;
  std::map<std::string, KnownDevice> m_byAddress;
  std::map<std::string, std::string> m_serials;
};

struct OnvifServices {
  OnvifServices(asio::io_context& io, const Settings& settings) : http(io, settings) {}

  HttpClient http;
  RefusedCredentials refused;
  DeviceDirectory directory;
  RtspGateway rtsp{refused};
};

}  // namespace netsdk::onvif_backend
