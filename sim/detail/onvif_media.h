// The media (ver10) and media2 (ver20) services' profiles of a device: "main", in the codec its
// scenario gives it, and "sub", in H.264 at a smaller size — each the clip the device streams
// there — with the configurations each carries, the unicast address of its stream and the
// address of its snapshot.
#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/detail/onvif_operations.h"
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

SoapAnswer MediaGetServiceCapabilities(OnvifContext& context, const xmlNode* request);
SoapAnswer MediaGetProfiles(OnvifContext& context, const xmlNode* request);
SoapAnswer MediaGetStreamUri(OnvifContext& context, const xmlNode* request);
SoapAnswer MediaGetSnapshotUri(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetServiceCapabilities(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetProfiles(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetStreamUri(OnvifContext& context, const xmlNode* request);
SoapAnswer Media2GetSnapshotUri(OnvifContext& context, const xmlNode* request);

}  // namespace camsim::detail
