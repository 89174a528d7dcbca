// The analytics service (ver20) of the video analytics configuration "analytics": one cell
// motion module (tt:CellMotionEngine: a sensitivity on the model's grid of cells) and one cell
// motion rule (tt:CellMotionDetector: how many cells, which ones, how long before an alarm).
// Absent with analytics=0.
#pragma once

#include <libxml/tree.h>

#include <string>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

// The Capabilities content of the analytics service.
std::string AnalyticsServiceCapabilities();
// The analytics configuration's engine and rule parts, as profiles and media2 carry them.
std::string AnalyticsConfigurationContent(const OnvifContext& context);

SoapAnswer AnalyticsGetServiceCapabilities(OnvifContext& context, const xmlNode* request);
SoapAnswer GetSupportedAnalyticsModules(OnvifContext& context, const xmlNode* request);
SoapAnswer GetAnalyticsModules(OnvifContext& context, const xmlNode* request);
SoapAnswer ModifyAnalyticsModules(OnvifContext& context, const xmlNode* request);
SoapAnswer GetSupportedRules(OnvifContext& context, const xmlNode* request);
SoapAnswer GetRules(OnvifContext& context, const xmlNode* request);
SoapAnswer ModifyRules(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetAnalyticsConfigurations(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
