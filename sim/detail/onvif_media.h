// The media (ver10) and media2 (ver20) services of a device: its profiles — "main", in the codec
// its scenario gives it, and beside a main profile that is not H.264 "sub", in H.264 at a smaller
// size — each the clip the device streams there, and the unicast address of that stream.
#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/detail/onvif_soap.h"
#include "sim/detail/preview_clip.h"
#include "sim/device_config.h"

namespace camsim::detail {

struct MediaProfile {
  std::string token;
  ClipFormat clipFormat;
};

std::vector<MediaProfile> Profiles(const DeviceConfig& config);
// The clip of the profile token names; nullopt when the device has no such profile.
std::optional<ClipFormat> ProfileClip(const DeviceConfig& config, std::string_view token);

// streams is the address the device's streams lie under, with a final slash; each profile's is
// streams + its token.
SoapAnswer MediaGetProfiles(const DeviceConfig& config);
SoapAnswer MediaGetStreamUri(const xmlNode* request, const DeviceConfig& config,
                             const std::string& streams);
SoapAnswer Media2GetProfiles(const xmlNode* request, const DeviceConfig& config);
SoapAnswer Media2GetStreamUri(const xmlNode* request, const DeviceConfig& config,
                              const std::string& streams);

}  // namespace camsim::detail
