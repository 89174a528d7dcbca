// The journal codes of the ONVIF face. An operation with a framed counterpart is journaled under
// that command's code (wire/codes.h), and a Set under the configuration group it changes, so a
// scenario's faults on the code (ignore-code, refuse-code, drop on=CODE) reach it too; the others
// have codes of their own from 1100 on. The entry's kind is
// the operation's name (GetProfiles of the media and media2 services differ by code).
#pragma once

#include <cstdint>

#include "wire/codes.h"

namespace camsim {

// Shared with the framed protocol.
constexpr std::uint32_t kOnvifSystemReboot = wire::kCodeReboot;           // 1001
constexpr std::uint32_t kOnvifFactoryDefault = wire::kCodeRestore;        // 1002
constexpr std::uint32_t kOnvifSetNetworkInterfaces = wire::kCodeModify;   // 1003
constexpr std::uint32_t kOnvifLogin = wire::kCodeLogin;                   // 1004, refused logins
constexpr std::uint32_t kOnvifSetDateTime = wire::kCodeSetTime;           // 1005
constexpr std::uint32_t kOnvifUpload = wire::kCodeUpgrade;                // 1008, the POST
constexpr std::uint32_t kOnvifUploadChecked = wire::kCodeUpgradeChecked;  // 1009
constexpr std::uint32_t kOnvifDeviceInformation = wire::kCodeGetVersion;  // 1012
constexpr std::uint32_t kOnvifSetUser = 223;                              // the account group
constexpr std::uint32_t kOnvifGetStorage = wire::kCodeGetStorage;         // 1014
// The Sets of the settings services, under the configuration group each belongs to.
constexpr std::uint32_t kOnvifSetAudio = 522;      // audio encoder, a profile's configurations
constexpr std::uint32_t kOnvifSetVideo = 523;      // video encoders
constexpr std::uint32_t kOnvifSetPicture = 524;    // imaging, video source (rotation)
constexpr std::uint32_t kOnvifSetOverlay = 525;    // overlays
constexpr std::uint32_t kOnvifSetAnalytics = 822;  // cell motion module and rule

// The ONVIF face's own.
constexpr std::uint32_t kOnvifUnknownOperation = 1100;
constexpr std::uint32_t kOnvifGetDateTime = 1101;
constexpr std::uint32_t kOnvifGetServices = 1102;
constexpr std::uint32_t kOnvifGetCapabilities = 1103;
constexpr std::uint32_t kOnvifGetNetworkInterfaces = 1104;
constexpr std::uint32_t kOnvifGetGateway = 1105;
constexpr std::uint32_t kOnvifSetGateway = 1106;
constexpr std::uint32_t kOnvifSetNtp = 1107;
constexpr std::uint32_t kOnvifSetDns = 1108;
constexpr std::uint32_t kOnvifGetNetworkProtocols = 1109;
constexpr std::uint32_t kOnvifSetNetworkProtocols = 1110;
constexpr std::uint32_t kOnvifStartFirmwareUpgrade = 1111;
constexpr std::uint32_t kOnvifGetProfiles = 1112;
constexpr std::uint32_t kOnvifGetStreamUri = 1113;
constexpr std::uint32_t kOnvifMedia2GetProfiles = 1114;
constexpr std::uint32_t kOnvifMedia2GetStreamUri = 1115;
// Every DESCRIBE of a device's stream, before its login is checked; the text is the scheme of the
// credentials it carried: none, digest or basic.
constexpr std::uint32_t kOnvifRtspDescribe = 1116;
// The Gets of the settings services, each of its own.
constexpr std::uint32_t kOnvifGetScopes = 1117;
constexpr std::uint32_t kOnvifGetHostname = 1118;
constexpr std::uint32_t kOnvifGetNtp = 1119;
constexpr std::uint32_t kOnvifGetDns = 1120;
constexpr std::uint32_t kOnvifGetUsers = 1121;
constexpr std::uint32_t kOnvifMediaCapabilities = 1122;
constexpr std::uint32_t kOnvifGetVideoSources = 1123;
constexpr std::uint32_t kOnvifGetVideoSourceConfigurations = 1124;
constexpr std::uint32_t kOnvifGetVideoEncoderConfigurations = 1125;
constexpr std::uint32_t kOnvifGetVideoEncoderConfiguration = 1126;
constexpr std::uint32_t kOnvifGetVideoEncoderOptions = 1127;
constexpr std::uint32_t kOnvifGetSnapshotUri = 1128;
constexpr std::uint32_t kOnvifMedia2Capabilities = 1129;
constexpr std::uint32_t kOnvifMedia2GetVideoSourceConfigurations = 1130;
constexpr std::uint32_t kOnvifMedia2GetVideoSourceOptions = 1131;
constexpr std::uint32_t kOnvifMedia2GetVideoEncoderConfigurations = 1132;
constexpr std::uint32_t kOnvifMedia2GetVideoEncoderOptions = 1133;
constexpr std::uint32_t kOnvifMedia2GetAudioEncoderConfigurations = 1134;
constexpr std::uint32_t kOnvifMedia2GetAudioEncoderOptions = 1135;
constexpr std::uint32_t kOnvifMedia2GetAnalyticsConfigurations = 1136;
constexpr std::uint32_t kOnvifGetOsds = 1137;
constexpr std::uint32_t kOnvifGetOsdOptions = 1138;
constexpr std::uint32_t kOnvifMedia2GetSnapshotUri = 1139;
constexpr std::uint32_t kOnvifImagingCapabilities = 1140;
constexpr std::uint32_t kOnvifGetImagingSettings = 1141;
constexpr std::uint32_t kOnvifGetImagingOptions = 1142;
constexpr std::uint32_t kOnvifAnalyticsCapabilities = 1143;
constexpr std::uint32_t kOnvifGetSupportedAnalyticsModules = 1144;
constexpr std::uint32_t kOnvifGetAnalyticsModules = 1145;
constexpr std::uint32_t kOnvifGetSupportedRules = 1146;
constexpr std::uint32_t kOnvifGetRules = 1147;
constexpr std::uint32_t kOnvifEventsCapabilities = 1148;
constexpr std::uint32_t kOnvifGetEventProperties = 1149;
// Every fetch of a snapshot, after its login: the profile and the picture's size.
constexpr std::uint32_t kOnvifSnapshot = 1150;
constexpr std::uint32_t kOnvifDeviceCapabilities = 1151;

}  // namespace camsim
