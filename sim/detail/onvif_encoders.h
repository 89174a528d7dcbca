// The video encoders of the media (ver10) and media2 services: the two encoder configurations
// ("video_encoder_main" of profile main, "video_encoder_sub" of profile sub), their options as the
// device's model offers them, and their Sets, which take only what the options offer.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

// A VideoEncoderConfiguration of the first media service inside the element named.
std::string MediaEncoderXml(std::string_view element, std::string_view token,
                            const VideoEncoderState& encoder);
// A VideoEncoder2Configuration inside the element named.
std::string Media2EncoderXml(std::string_view element, std::string_view token,
                             const VideoEncoderState& encoder);

SoapAnswer MediaGetVideoEncoderConfigurations(OnvifContext& context, const xmlNode* request);
SoapAnswer MediaGetVideoEncoderConfiguration(OnvifContext& context, const xmlNode* request);
SoapAnswer MediaGetVideoEncoderConfigurationOptions(OnvifContext& context, const xmlNode* request);
SoapAnswer MediaSetVideoEncoderConfiguration(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetVideoEncoderConfigurations(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetVideoEncoderConfigurationOptions(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2SetVideoEncoderConfiguration(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
