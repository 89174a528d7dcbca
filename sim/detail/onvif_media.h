// The media (ver10) and media2 (ver20) services of a device: its one H.264 profile, "main", which
// is the clip the device streams, and the unicast address of that stream.
#pragma once

#include <libxml/tree.h>

#include <string>

#include "sim/detail/onvif_soap.h"

namespace camsim::detail {

SoapAnswer MediaGetProfiles();
// uri is the device's stream address.
SoapAnswer MediaGetStreamUri(const xmlNode* request, const std::string& uri);
SoapAnswer Media2GetProfiles(const xmlNode* request);
SoapAnswer Media2GetStreamUri(const xmlNode* request, const std::string& uri);

}  // namespace camsim::detail
