// The imaging service (ver20) of a device's one video source: its settings (backlight
// compensation, brightness, colour saturation, contrast, sharpness, white balance, IR cut filter)
// within the ranges and modes of the device's model. Absent with imaging=0.
#pragma once

#include <libxml/tree.h>

#include <string>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

// The Capabilities content of the imaging service.
std::string ImagingServiceCapabilities();

SoapAnswer ImagingGetServiceCapabilities(OnvifContext& context, const xmlNode* request);
SoapAnswer GetImagingSettings(OnvifContext& context, const xmlNode* request);
SoapAnswer ImagingGetOptions(OnvifContext& context, const xmlNode* request);
SoapAnswer SetImagingSettings(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
