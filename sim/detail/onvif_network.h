// The settings of a device's network services that it keeps in its stored configuration (so a
// factory restore clears them and the snapshot shows them): NTP and DNS servers, and the
// protocols it serves with their ports.
#pragma once

#include <libxml/tree.h>

#include "sim/detail/device.h"
#include "sim/detail/onvif_soap.h"

namespace camsim::detail {

// What the stored settings hold; a device never set answers with no servers, not from DHCP.
SoapAnswer GetNtpServers(const Device& device);
SoapAnswer GetDnsServers(const Device& device);
SoapAnswer SetNtpServers(Device& device, const xmlNode* request);
SoapAnswer SetDnsServers(Device& device, const xmlNode* request);
SoapAnswer ReadNetworkProtocols(const Device& device);
SoapAnswer WriteNetworkProtocols(Device& device, const xmlNode* request);

}  // namespace camsim::detail
