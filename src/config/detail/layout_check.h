// Compile-time proof that the field positions tile the image: every field starts where the one
// before it ends, nothing overlaps, and the last field ends at the image's size. A mistyped offset
// stops the build here instead of shifting a setting inside config.dat.
#pragma once

#include <vector>

#include "config/config_fields.h"

namespace config::detail {

struct Span {
  int offset;
  int size;
};

class LayoutWalk {
 public:
  constexpr void Add(int offset, int size) { m_spans.push_back({offset, size}); }
  constexpr void Add(Int32Field f) { Add(f.offset, 4); }
  constexpr void Add(Uint16Field f) { Add(f.offset, 2); }
  constexpr void Add(ByteField f) { Add(f.offset, 1); }
  constexpr void Add(FloatField f) { Add(f.offset, 4); }
  constexpr void Add(TextField f) { Add(f.offset, kTextFieldSize); }
  constexpr void Add(const TimeFields& t) {
    Add(t.hour);
    Add(t.minute);
    Add(t.second);
  }

  // The offset at which the walk first leaves a gap or overlaps, kConfigSize when it stops short
  // or runs over, -1 when the spans tile [0, kConfigSize) exactly.
  constexpr int FirstFault() const {
    int position = 0;
    for (const Span& span : m_spans) {
      if (span.offset != position || span.size <= 0) return span.offset;
      position += span.size;
    }
    return position == kConfigSize ? -1 : kConfigSize;
  }

 private:
  std::vector<Span> m_spans;
};

consteval int FirstLayoutFault() {
  LayoutWalk walk;
  walk.Add(kMagicOffset, kMagicSize);
  walk.Add(kMagicOffset + kMagicSize, 1);  // reserved
  walk.Add(kVersion);
  walk.Add(kTotalSize);
  walk.Add(kTotalSize.offset + 4, kHeaderSize - (kTotalSize.offset + 4));  // reserved

  walk.Add(kDeviceCountIndex);
  walk.Add(kSearchFlag);
  walk.Add(kModifyIpFlag);
  walk.Add(kStartAddressEnable);
  walk.Add(kStartAddressIP);
  walk.Add(kStartAddressNetmask);
  walk.Add(kStartAddressGateway);
  walk.Add(kUpgradeFlag);
  walk.Add(kSetTimeFlag);
  walk.Add(kFormatTimeoutIndex);
  walk.Add(kFormatSd1Flag);
  walk.Add(kFormatSd2Flag);
  walk.Add(kFormatUsbFlag);
  walk.Add(kFactoryRestoreFlag);
  walk.Add(kRebootFlag);
  walk.Add(kOtherSettingsFlag);

  walk.Add(kEthernetGroupFlag);
  walk.Add(kEthernetIPAddress);
  walk.Add(kEthernetNetmask);
  walk.Add(kEthernetGateway);
  walk.Add(kEthernetDNS1);
  walk.Add(kEthernetDNS2);

  walk.Add(kCloudGroupFlag);
  walk.Add(kCloudEnable);
  walk.Add(kCloudSyncTime);

  walk.Add(kFtpGroupFlag);
  for (int k = 0; k < kFtpRecordCount; ++k) {
    const FtpRecordFields r = FtpRecord(k);
    walk.Add(r.serverIP);
    walk.Add(r.serverPort);
    walk.Add(r.username);
    walk.Add(r.password);
    walk.Add(r.filePath);
  }

  walk.Add(kSmtpGroupFlag);
  walk.Add(kSmtpServerIP);
  walk.Add(kSmtpServerPort);
  walk.Add(kSmtpAuth);
  walk.Add(kSmtpUsername);
  walk.Add(kSmtpPassword);
  walk.Add(kSmtpPasswordConfirm);
  walk.Add(kSmtpFromEmail);
  for (int k = 0; k < kSmtpRecipientCount; ++k) {
    const SmtpRecipientFields r = SmtpRecipient(k);
    walk.Add(r.toEmail);
    walk.Add(r.ccEmail);
    walk.Add(r.subject);
  }

  walk.Add(kStreamingGroupFlag);
  walk.Add(kStreamingAuth);
  walk.Add(kStreamingVideoPort);
  walk.Add(kStreamingRTPOverRTSP);
  walk.Add(kStreamingPTZPort);
  walk.Add(kStreamingWEBPort);

  walk.Add(kPlatformGroupFlag);
  walk.Add(kPlatformEnable);
  walk.Add(kPlatformServer);
  walk.Add(kPlatformPort);
  walk.Add(kPlatformUsername);
  walk.Add(kPlatformPassword);

  walk.Add(kVideoCaptureGroupFlag);
  walk.Add(kVideoCaptureIrcutMode);
  walk.Add(kVideoCaptureIrcutKeepColor);
  walk.Add(kVideoCaptureIrcutSensitivity);
  walk.Add(kVideoCaptureIrcutNightStartTime);
  walk.Add(kVideoCaptureIrcutNightEndTime);
  walk.Add(kVideoCaptureBrightness);
  walk.Add(kVideoCaptureSaturation);
  walk.Add(kVideoCaptureSharpness);
  walk.Add(kVideoCaptureContrast);
  walk.Add(kVideoCaptureBackLight);
  walk.Add(kVideoCaptureTVSystem);
  walk.Add(kVideoCaptureDayNight);
  walk.Add(kVideoCaptureWhiteBalance);
  walk.Add(kVideoCaptureSwitch2A);
  walk.Add(kVideoCaptureBinningSkip);
  walk.Add(kVideoCaptureHFlip);
  walk.Add(kVideoCaptureVFlip);

  walk.Add(kTimeTitleGroupFlag);
  walk.Add(kTimeTitleEnable);
  walk.Add(kTimeTitleTransparency);
  walk.Add(kTimeTitleTimePosition);
  walk.Add(kTimeTitleFormat);
  walk.Add(kTimeTitleTitlePosition);
  walk.Add(kTimeTitleHiddenTransparency);
  walk.Add(kTimeTitleTitle);

  walk.Add(kVideoEncodeGroupFlag);
  for (const EncodeStreamFields& s : {kVideoEncodeMainStream, kVideoEncodeSubStream}) {
    walk.Add(s.encodeFormat);
    walk.Add(s.resolution);
    walk.Add(s.bitRateControl);
    walk.Add(s.initquant);
    walk.Add(s.bitRate);
    walk.Add(s.frameRate);
  }
  walk.Add(kVideoEncodeEncodeProfile);
  walk.Add(kVideoEncodeDisablePrivateData);

  walk.Add(kAudioEncodeGroupFlag);
  walk.Add(kAudioEncodeEnable);
  walk.Add(kAudioEncodeEncodeType);
  walk.Add(kAudioEncodeSampleRate);
  walk.Add(kAudioEncodeBitRate);

  walk.Add(kMotionGroupFlag);
  walk.Add(kMotionEnable);
  walk.Add(kMotionSensitivity);
  walk.Add(kMotionAlarmThreshold);
  walk.Add(kMotionBlockCount);
  for (int i = 0; i < kMotionBlockFlagCount; ++i) walk.Add(MotionBlockFlag(i));
  walk.Add(kMotionDayNightSwitch);
  walk.Add(kMotionNightStartTime);
  walk.Add(kMotionNightEndTime);
  walk.Add(kMotionNightSensitivity);
  walk.Add(kMotionNightAlarmThreshold);
  for (int d = 0; d < kMotionDayCount; ++d) {
    const MotionDayFields day = MotionDay(d);
    walk.Add(day.enabled);
    walk.Add(day.startTime);
    walk.Add(day.endTime);
  }

  walk.Add(kAccountGroupFlag);
  walk.Add(kAccountPassword);
  walk.Add(kAccountPasswordConfirm);

  walk.Add(kClockGroupFlag);
  walk.Add(kClockTimeMode);
  walk.Add(kClockTimeZone);
  walk.Add(kClockManualYear);
  walk.Add(kClockManualMonth);
  walk.Add(kClockManualDay);
  walk.Add(kClockManualHour);
  walk.Add(kClockManualMinute);
  walk.Add(kClockManualSecond);
  walk.Add(kClockSetTimeCheck);
  walk.Add(kClockServerIP);
  walk.Add(kClockServerPort);
  walk.Add(kClockRefreshInterval);

  walk.Add(kMaintenanceGroupFlag);
  walk.Add(kMaintenanceEnable);
  walk.Add(kMaintenanceDay);
  walk.Add(kMaintenanceTime);

  walk.Add(kDeviceLanguageGroupFlag);
  walk.Add(kDeviceLanguage);
  return walk.FirstFault();
}

static_assert(FirstLayoutFault() == -1, "configuration fields do not tile the 12324-byte image");
static_assert(kSettingsSize == 12268);

}  // namespace config::detail
