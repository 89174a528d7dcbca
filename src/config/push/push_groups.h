// The configuration groups in the order a push sends them, Ethernet always last: each with the
// name its row shows while it runs, the flag of the set that enables it, and whether the device
// restarts its process after taking it. The command codes are the response-flag table's.
#pragma once

#include <array>

#include "batch/config_response_codes.h"
#include "config/config_fields.h"
#include "config/requests/group_requests.h"

namespace config {

struct PushGroupEntry {
  PushGroup group;
  const char16_t* statusName;
  Int32Field enableFlag;
  bool restartsProcess;
};

inline constexpr std::array<PushGroupEntry, kPushGroupCount> kPushOrder = {{
    {PushGroup::kCloud, u"设置云平台", kCloudGroupFlag, false},
    {PushGroup::kFtp, u"设置FTP", kFtpGroupFlag, false},
    {PushGroup::kSmtp, u"设置SMTP", kSmtpGroupFlag, false},
    {PushGroup::kStreaming, u"设置流媒体", kStreamingGroupFlag, false},
    {PushGroup::kPlatformAccess, u"设置平台接入", kPlatformGroupFlag, false},
    {PushGroup::kVideoCapture, u"设置视频采集", kVideoCaptureGroupFlag, true},
    {PushGroup::kTimeTitle, u"设置时间和标题", kTimeTitleGroupFlag, false},
    {PushGroup::kVideoEncoding, u"设置视频编码", kVideoEncodeGroupFlag, true},
    {PushGroup::kAudioEncoding, u"设置音频编码", kAudioEncodeGroupFlag, true},
    {PushGroup::kMotion, u"设置移动侦测告警", kMotionGroupFlag, false},
    {PushGroup::kAccount, u"设置admin帐号", kAccountGroupFlag, false},
    {PushGroup::kClock, u"设置时钟", kClockGroupFlag, false},
    {PushGroup::kMaintenance, u"设置定时维护", kMaintenanceGroupFlag, false},
    {PushGroup::kLanguage, u"设置设备语言", kDeviceLanguageGroupFlag, false},
    {PushGroup::kEthernet, u"设置以太网", kEthernetGroupFlag, false},
}};
static_assert(kPushOrder.back().group == PushGroup::kEthernet);

// The group's configuration command.
constexpr int CommandOf(PushGroup group) {
  return batch::kConfigResponseCodes[static_cast<std::size_t>(group)];
}

// The current action and the push's row texts, Chinese whatever the window's language.
inline constexpr char16_t kTextPushAction[] = u"其它设置";
inline constexpr char16_t kTextPushLogin[] = u"登录设备";
inline constexpr char16_t kTextPushLoginWaiting[] = u"登录设备...%1s";
inline constexpr char16_t kTextPushLoginOk[] = u"登录设备成功";
inline constexpr char16_t kTextPushLoginFailed[] = u"登录设备失败";
inline constexpr char16_t kTextGroupWaiting[] = u"%1...%2s";
inline constexpr char16_t kTextGroupOk[] = u"%1成功";
inline constexpr char16_t kTextGroupFailed[] = u"%1失败";
inline constexpr char16_t kTextGroupRestarting[] = u"%1完成,进程重启...%2s";

}  // namespace config
