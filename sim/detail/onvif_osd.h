// The overlays of media2 (OSDs) on the device's video source: read, changed, created and deleted
// within the model's options (position types, date and time formats, a maximum count). A model
// without overlays, or osd=0, answers every overlay call with ActionNotSupported.
#pragma once

#include <libxml/tree.h>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

SoapAnswer GetOSDs(OnvifContext& context, const xmlNode* request);
SoapAnswer GetOSDOptions(OnvifContext& context, const xmlNode* request);
SoapAnswer SetOSD(OnvifContext& context, const xmlNode* request);
SoapAnswer CreateOSD(OnvifContext& context, const xmlNode* request);
SoapAnswer DeleteOSD(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
