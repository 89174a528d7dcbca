// What the device service reports about the device beyond its identity: its own capabilities,
// its scopes, host name, NTP and DNS servers, accounts (never a password) and the storage it has.
#pragma once

#include <libxml/tree.h>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

SoapAnswer DeviceGetServiceCapabilities(OnvifContext& context, const xmlNode* request);
SoapAnswer GetScopes(OnvifContext& context, const xmlNode* request);
SoapAnswer GetHostname(OnvifContext& context, const xmlNode* request);
SoapAnswer GetNTP(OnvifContext& context, const xmlNode* request);
SoapAnswer GetDNS(OnvifContext& context, const xmlNode* request);
SoapAnswer GetUsers(OnvifContext& context, const xmlNode* request);
SoapAnswer GetStorageConfigurations(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
