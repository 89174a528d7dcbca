// The audio encoder of a device ("audio_encoder" on the source "audio_source"), which both
// profiles start with: its configuration, options and Set in media2, and media2's
// AddConfiguration and RemoveConfiguration, which put it into a profile or take it out (the
// analytics configuration too, on profile main).
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "sim/detail/onvif_operations.h"

namespace camsim::detail {

// How many profiles carry the audio encoder.
int AudioUseCount(const OnvifSettingsState& state);
// The first media service's AudioSourceConfiguration and AudioEncoderConfiguration of a profile.
std::string MediaAudioSourceXml(const OnvifSettingsState& state);
std::string MediaAudioEncoderXml(const OnvifSettingsState& state);
// media2's AudioSource and AudioEncoder configurations of a profile; each when included.
std::string Media2AudioSourceXml(const OnvifSettingsState& state);
std::string Media2AudioEncoderXml(std::string_view element, const OnvifSettingsState& state);

SoapAnswer Media2GetAudioEncoderConfigurations(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetAudioEncoderConfigurationOptions(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2SetAudioEncoderConfiguration(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2AddConfiguration(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2RemoveConfiguration(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
