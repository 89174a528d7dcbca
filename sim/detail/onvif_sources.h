// The video source of a device ("video_source", the model's whole picture) and its one
// configuration, which both profiles use: read through the media and media2 services, turned by
// 180 degrees through media2 where the model can.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

// The VideoSourceConfiguration inside the element named.
std::string VideoSourceConfigurationXml(std::string_view element, const OnvifContext& context);

SoapAnswer MediaGetVideoSources(OnvifContext& context, const xmlNode* request);
SoapAnswer MediaGetVideoSourceConfigurations(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetVideoSourceConfigurations(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetVideoSourceConfigurationOptions(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2SetVideoSourceConfiguration(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
