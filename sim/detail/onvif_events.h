// The event service (ver10) as far as a client looks before it subscribes: its capabilities (no
// subscriptions offered) and the topics the device could raise — cell motion, where the device
// has analytics.
#pragma once

#include <libxml/tree.h>

#include <string>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

// The Capabilities content of the event service.
std::string EventServiceCapabilities();

SoapAnswer EventsGetServiceCapabilities(OnvifContext& context, const xmlNode* request);
SoapAnswer GetEventProperties(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
