// Which services a device has and what each can do: GetServices and GetCapabilities of the
// device service, and the capabilities each service reports of itself. Imaging and analytics are
// there unless the scenario takes them away; media2 likewise.
#pragma once

#include <libxml/tree.h>

#include <functional>
#include <string>
#include <string_view>

#include "sim/detail/onvif_soap.h"
#include "sim/device_config.h"

namespace camsim::detail {

// The address of a service by its path ("media_service").
using XAddrOf = std::function<std::string(std::string_view service)>;

SoapAnswer ListServices(const OnvifSettings& settings, const xmlNode* request,
                        const XAddrOf& xaddr);
SoapAnswer ListCapabilities(const OnvifSettings& settings, const xmlNode* request,
                            const XAddrOf& xaddr);

// The Capabilities content of GetServices for each service.
std::string DeviceServiceCapabilities(const OnvifSettings& settings);
std::string MediaServiceCapabilities(const OnvifSettings& settings);
std::string Media2ServiceCapabilities(const OnvifSettings& settings);
// What GetCapabilities lists under tt:Device after its XAddr, and under tt:Media.
std::string DeviceCapabilities(const OnvifSettings& settings);
std::string MediaCapabilities();

}  // namespace camsim::detail
