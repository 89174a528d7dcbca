// The journal codes of the ONVIF face. An operation with a framed counterpart is journaled under
// that command's code (wire/codes.h), so a scenario's faults on the code (ignore-code, refuse-code,
// drop on=CODE) reach it too; the others have codes of their own from 1100 on. The entry's kind is
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

}  // namespace camsim
