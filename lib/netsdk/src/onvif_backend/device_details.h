// What a search learns of a device before it lists it: its clock, its information, its network
// interface and gateway, read with the first of the configured credentials the device takes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library_options.h"
#include "onvif_backend/device_messages.h"
#include "onvif_backend/onvif_services.h"

namespace netsdk::onvif_backend {

struct DeviceDetails {
  std::shared_ptr<SoapChannel> channel;  // with the credential that worked and the clock offset
  Url service;                           // the device service address that answered
  DeviceInformation information;
  NetworkInterface network;
  std::string gateway;
};

// Network thread; done runs there with nullopt when no credential works or the device does not
// answer. The addresses are tried in order until one answers the clock query.
void FetchDetails(OnvifServices& services, const std::string& endpoint, std::vector<Url> addresses,
                  std::vector<Credential> credentials,
                  std::function<void(std::optional<DeviceDetails>)> done);

// The device's clock offset (its UTC minus ours, in seconds) from a time answer.
std::int64_t ClockOffsetOf(const DeviceClock& clock);

// Runs the device's time query on channel and sets its clock offset; done(result, clock) after.
void ReadClock(const std::shared_ptr<SoapChannel>& channel, const Url& service,
               std::function<void(const CallResult&, const DeviceClock&)> done);

}  // namespace netsdk::onvif_backend
