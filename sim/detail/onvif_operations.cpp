#include "sim/detail/onvif_operations.h"

#include <array>

#include "onvif/namespaces.h"
#include "sim/detail/onvif_analytics.h"
#include "sim/detail/onvif_audio.h"
#include "sim/detail/onvif_encoders.h"
#include "sim/detail/onvif_events.h"
#include "sim/detail/onvif_imaging.h"
#include "sim/detail/onvif_media.h"
#include "sim/detail/onvif_osd.h"
#include "sim/detail/onvif_sources.h"
#include "sim/detail/onvif_system.h"
#include "sim/onvif_codes.h"

namespace camsim::detail {
namespace {

using onvif::kNsAnalytics;
using onvif::kNsDevice;
using onvif::kNsEvents;
using onvif::kNsImaging;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using A = OnvifAccess;

constexpr auto kOperations = std::to_array<OnvifOperation>({
    {kNsDevice, "GetServiceCapabilities", kOnvifDeviceCapabilities, A::kPreAuth, nullptr,
     &DeviceGetServiceCapabilities},
    {kNsDevice, "GetScopes", kOnvifGetScopes, A::kReadSystem, nullptr, &GetScopes},
    {kNsDevice, "GetHostname", kOnvifGetHostname, A::kReadSystem, nullptr, &GetHostname},
    {kNsDevice, "GetNTP", kOnvifGetNtp, A::kReadSystem, nullptr, &GetNTP},
    {kNsDevice, "GetDNS", kOnvifGetDns, A::kReadSystem, nullptr, &GetDNS},
    {kNsDevice, "GetUsers", kOnvifGetUsers, A::kReadSecret, nullptr, &GetUsers},
    {kNsDevice, "GetStorageConfigurations", kOnvifGetStorage, A::kReadSystem, nullptr,
     &GetStorageConfigurations},

    {kNsMedia, "GetServiceCapabilities", kOnvifMediaCapabilities, A::kPreAuth, nullptr,
     &MediaGetServiceCapabilities},
    {kNsMedia, "GetProfiles", kOnvifGetProfiles, A::kReadMedia, nullptr, &MediaGetProfiles},
    {kNsMedia, "GetStreamUri", kOnvifGetStreamUri, A::kReadMedia, nullptr, &MediaGetStreamUri},
    {kNsMedia, "GetSnapshotUri", kOnvifGetSnapshotUri, A::kReadMedia, nullptr,
     &MediaGetSnapshotUri},
    {kNsMedia, "GetVideoSources", kOnvifGetVideoSources, A::kReadMedia, nullptr,
     &MediaGetVideoSources},
    {kNsMedia, "GetVideoSourceConfigurations", kOnvifGetVideoSourceConfigurations, A::kReadMedia,
     nullptr, &MediaGetVideoSourceConfigurations},
    {kNsMedia, "GetVideoEncoderConfigurations", kOnvifGetVideoEncoderConfigurations, A::kReadMedia,
     nullptr, &MediaGetVideoEncoderConfigurations},
    {kNsMedia, "GetVideoEncoderConfiguration", kOnvifGetVideoEncoderConfiguration, A::kReadMedia,
     nullptr, &MediaGetVideoEncoderConfiguration},
    {kNsMedia, "GetVideoEncoderConfigurationOptions", kOnvifGetVideoEncoderOptions, A::kReadMedia,
     nullptr, &MediaGetVideoEncoderConfigurationOptions},
    {kNsMedia, "SetVideoEncoderConfiguration", kOnvifSetVideo, A::kWriteSystem, nullptr,
     &MediaSetVideoEncoderConfiguration},

    {kNsMedia2, "GetServiceCapabilities", kOnvifMedia2Capabilities, A::kPreAuth, nullptr,
     &Media2GetServiceCapabilities},
    {kNsMedia2, "GetProfiles", kOnvifMedia2GetProfiles, A::kReadMedia, nullptr, &Media2GetProfiles},
    {kNsMedia2, "GetStreamUri", kOnvifMedia2GetStreamUri, A::kReadMedia, nullptr,
     &Media2GetStreamUri},
    {kNsMedia2, "GetSnapshotUri", kOnvifMedia2GetSnapshotUri, A::kReadMedia, nullptr,
     &Media2GetSnapshotUri},
    {kNsMedia2, "GetVideoSourceConfigurations", kOnvifMedia2GetVideoSourceConfigurations,
     A::kReadMedia, nullptr, &Media2GetVideoSourceConfigurations},
    {kNsMedia2, "GetVideoSourceConfigurationOptions", kOnvifMedia2GetVideoSourceOptions,
     A::kReadMedia, nullptr, &Media2GetVideoSourceConfigurationOptions},
    {kNsMedia2, "SetVideoSourceConfiguration", kOnvifSetPicture, A::kWriteSystem, nullptr,
     &Media2SetVideoSourceConfiguration},
    {kNsMedia2, "GetVideoEncoderConfigurations", kOnvifMedia2GetVideoEncoderConfigurations,
     A::kReadMedia, nullptr, &Media2GetVideoEncoderConfigurations},
    {kNsMedia2, "GetVideoEncoderConfigurationOptions", kOnvifMedia2GetVideoEncoderOptions,
     A::kReadMedia, nullptr, &Media2GetVideoEncoderConfigurationOptions},
    {kNsMedia2, "SetVideoEncoderConfiguration", kOnvifSetVideo, A::kWriteSystem, nullptr,
     &Media2SetVideoEncoderConfiguration},
    {kNsMedia2, "GetAudioEncoderConfigurations", kOnvifMedia2GetAudioEncoderConfigurations,
     A::kReadMedia, nullptr, &Media2GetAudioEncoderConfigurations},
    {kNsMedia2, "GetAudioEncoderConfigurationOptions", kOnvifMedia2GetAudioEncoderOptions,
     A::kReadMedia, nullptr, &Media2GetAudioEncoderConfigurationOptions},
    {kNsMedia2, "SetAudioEncoderConfiguration", kOnvifSetAudio, A::kWriteSystem, nullptr,
     &Media2SetAudioEncoderConfiguration},
    {kNsMedia2, "AddConfiguration", kOnvifSetAudio, A::kWriteSystem, nullptr,
     &Media2AddConfiguration},
    {kNsMedia2, "RemoveConfiguration", kOnvifSetAudio, A::kWriteSystem, nullptr,
     &Media2RemoveConfiguration},
    {kNsMedia2, "GetAnalyticsConfigurations", kOnvifMedia2GetAnalyticsConfigurations, A::kReadMedia,
     nullptr, &Media2GetAnalyticsConfigurations},
    {kNsMedia2, "GetOSDs", kOnvifGetOsds, A::kReadMedia, nullptr, &GetOSDs},
    {kNsMedia2, "GetOSDOptions", kOnvifGetOsdOptions, A::kReadMedia, nullptr, &GetOSDOptions},
    {kNsMedia2, "SetOSD", kOnvifSetOverlay, A::kWriteSystem, nullptr, &SetOSD},
    {kNsMedia2, "CreateOSD", kOnvifSetOverlay, A::kWriteSystem, nullptr, &CreateOSD},
    {kNsMedia2, "DeleteOSD", kOnvifSetOverlay, A::kWriteSystem, nullptr, &DeleteOSD},

    {kNsImaging, "GetServiceCapabilities", kOnvifImagingCapabilities, A::kPreAuth, nullptr,
     &ImagingGetServiceCapabilities},
    {kNsImaging, "GetImagingSettings", kOnvifGetImagingSettings, A::kReadMedia, nullptr,
     &GetImagingSettings},
    {kNsImaging, "GetOptions", kOnvifGetImagingOptions, A::kReadMedia, nullptr, &ImagingGetOptions},
    {kNsImaging, "SetImagingSettings", kOnvifSetPicture, A::kWriteSystem, nullptr,
     &SetImagingSettings},

    {kNsAnalytics, "GetServiceCapabilities", kOnvifAnalyticsCapabilities, A::kPreAuth, nullptr,
     &AnalyticsGetServiceCapabilities},
    {kNsAnalytics, "GetSupportedAnalyticsModules", kOnvifGetSupportedAnalyticsModules,
     A::kReadMedia, nullptr, &GetSupportedAnalyticsModules},
    {kNsAnalytics, "GetAnalyticsModules", kOnvifGetAnalyticsModules, A::kReadMedia, nullptr,
     &GetAnalyticsModules},
    {kNsAnalytics, "ModifyAnalyticsModules", kOnvifSetAnalytics, A::kWriteSystem, nullptr,
     &ModifyAnalyticsModules},
    {kNsAnalytics, "GetSupportedRules", kOnvifGetSupportedRules, A::kReadMedia, nullptr,
     &GetSupportedRules},
    {kNsAnalytics, "GetRules", kOnvifGetRules, A::kReadMedia, nullptr, &GetRules},
    {kNsAnalytics, "ModifyRules", kOnvifSetAnalytics, A::kWriteSystem, nullptr, &ModifyRules},

    {kNsEvents, "GetServiceCapabilities", kOnvifEventsCapabilities, A::kPreAuth, nullptr,
     &EventsGetServiceCapabilities},
    {kNsEvents, "GetEventProperties", kOnvifGetEventProperties, A::kReadSystem, nullptr,
     &GetEventProperties},
});

}  // namespace

const OnvifOperation* FindSettingsOperation(std::string_view ns, std::string_view name) {
  for (const OnvifOperation& operation : kOperations) {
    if (operation.ns == ns && operation.name == name) return &operation;
  }
  return nullptr;
}

}  // namespace camsim::detail
