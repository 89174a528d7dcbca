// Where every setting lives in the configuration set. The set is one fixed 12324-byte image,
// stored byte for byte as config.dat, so each field is a fixed offset; a group's value fields are
// named after the XML attributes that carry them to the device.
#pragma once

namespace config {

// Typed field positions: the accessor chosen by the field's type reads exactly its width.
struct Int32Field {
  int offset;
  friend constexpr bool operator==(Int32Field, Int32Field) = default;
};
struct Uint16Field {
  int offset;
};
struct ByteField {
  int offset;
};
struct FloatField {
  int offset;
};
// A zero-terminated GBK text of at most 255 bytes in a 256-byte field.
struct TextField {
  int offset;
};
inline constexpr int kTextFieldSize = 256;

// Hour, minute and second as three int32, sent to the device as one "hh:mm:ss" attribute.
struct TimeFields {
  Int32Field hour;
  Int32Field minute;
  Int32Field second;
};
constexpr TimeFields TimeAt(int offset) {
  return {{offset}, {offset + 4}, {offset + 8}};
}

inline constexpr int kConfigSize = 12324;
inline constexpr int kHeaderSize = 56;
inline constexpr int kSettingsSize = kConfigSize - kHeaderSize;  // 12268

// Header.
inline constexpr int kMagicOffset = 0;
inline constexpr int kMagicSize = 15;  // "BU_config_data" and its zero byte
inline constexpr char kMagic[kMagicSize] = "BU_config_data";
inline constexpr FloatField kVersion{16};
inline constexpr float kVersionValue = 1.2f;
inline constexpr Int32Field kTotalSize{20};

// Main window and start-address dialog: the batch choices that carry across program starts.
inline constexpr Int32Field kDeviceCountIndex{56};  // combo 1020
inline constexpr Int32Field kSearchFlag{60};        // check box 1059
inline constexpr Int32Field kModifyIpFlag{64};      // check box 1039
inline constexpr Int32Field kStartAddressEnable{68};
inline constexpr TextField kStartAddressIP{72};        // control 1212
inline constexpr TextField kStartAddressNetmask{328};  // control 1213
inline constexpr TextField kStartAddressGateway{584};  // control 1214
inline constexpr Int32Field kUpgradeFlag{840};         // check box 1041
inline constexpr Int32Field kSetTimeFlag{844};         // check box 1040
inline constexpr Int32Field kFormatTimeoutIndex{848};  // combo 1038
inline constexpr Int32Field kFormatSd1Flag{852};       // check box 1042
inline constexpr Int32Field kFormatSd2Flag{856};       // check box 1043
inline constexpr Int32Field kFormatUsbFlag{860};       // check box 1044
inline constexpr Int32Field kFactoryRestoreFlag{864};  // check box 1045
inline constexpr Int32Field kRebootFlag{868};          // check box 1060
inline constexpr Int32Field kOtherSettingsFlag{872};   // check box 1046

// Each group starts with its group flag: the group is pushed only when the flag is exactly 1.

// Ethernet.
inline constexpr Int32Field kEthernetGroupFlag{876};
inline constexpr TextField kEthernetIPAddress{880};
inline constexpr TextField kEthernetNetmask{1136};
inline constexpr TextField kEthernetGateway{1392};
inline constexpr TextField kEthernetDNS1{1648};
inline constexpr TextField kEthernetDNS2{1904};

// Cloud platform.
inline constexpr Int32Field kCloudGroupFlag{2160};
inline constexpr Int32Field kCloudEnable{2164};
inline constexpr Int32Field kCloudSyncTime{2168};

// FTP accounts: record k is sent with Index k (0 alarm upload, 1 log backup, 2 configuration
// backup, 3 remote upgrade).
inline constexpr Int32Field kFtpGroupFlag{2172};
inline constexpr int kFtpRecordOffset = 2176;
inline constexpr int kFtpRecordSize = 1028;
inline constexpr int kFtpRecordCount = 4;
struct FtpRecordFields {
  TextField serverIP;
  Int32Field serverPort;
  TextField username;
  TextField password;
  TextField filePath;
};
// k in 0..3.
constexpr FtpRecordFields FtpRecord(int k) {
  const int base = kFtpRecordOffset + k * kFtpRecordSize;
  return {{base}, {base + 256}, {base + 260}, {base + 516}, {base + 772}};
}

// SMTP account: recipient record k is sent with Index k (0 alarm upload, 1 log backup,
// 2 configuration backup).
inline constexpr Int32Field kSmtpGroupFlag{6288};
inline constexpr TextField kSmtpServerIP{6292};
inline constexpr Int32Field kSmtpServerPort{6548};
inline constexpr Int32Field kSmtpAuth{6552};
inline constexpr TextField kSmtpUsername{6556};
inline constexpr TextField kSmtpPassword{6812};
inline constexpr TextField kSmtpPasswordConfirm{7068};  // page only
inline constexpr TextField kSmtpFromEmail{7324};
inline constexpr int kSmtpRecipientOffset = 7580;
inline constexpr int kSmtpRecipientSize = 768;
inline constexpr int kSmtpRecipientCount = 3;
struct SmtpRecipientFields {
  TextField toEmail;
  TextField ccEmail;
  TextField subject;
};
// k in 0..2.
constexpr SmtpRecipientFields SmtpRecipient(int k) {
  const int base = kSmtpRecipientOffset + k * kSmtpRecipientSize;
  return {{base}, {base + 256}, {base + 512}};
}

// Streaming media.
inline constexpr Int32Field kStreamingGroupFlag{9884};
inline constexpr Int32Field kStreamingAuth{9888};
inline constexpr Int32Field kStreamingVideoPort{9892};
inline constexpr Int32Field kStreamingRTPOverRTSP{9896};
inline constexpr Int32Field kStreamingPTZPort{9900};
inline constexpr Int32Field kStreamingWEBPort{9904};

// Platform access.
inline constexpr Int32Field kPlatformGroupFlag{9908};
inline constexpr Int32Field kPlatformEnable{9912};
inline constexpr TextField kPlatformServer{9916};
inline constexpr Int32Field kPlatformPort{10172};
inline constexpr TextField kPlatformUsername{10176};
inline constexpr TextField kPlatformPassword{10432};

// Video capture.
inline constexpr Int32Field kVideoCaptureGroupFlag{10688};
inline constexpr Int32Field kVideoCaptureIrcutMode{10692};
inline constexpr Int32Field kVideoCaptureIrcutKeepColor{10696};
inline constexpr Int32Field kVideoCaptureIrcutSensitivity{10700};
inline constexpr TimeFields kVideoCaptureIrcutNightStartTime = TimeAt(10704);
inline constexpr TimeFields kVideoCaptureIrcutNightEndTime = TimeAt(10716);
inline constexpr Int32Field kVideoCaptureBrightness{10728};
inline constexpr Int32Field kVideoCaptureSaturation{10732};
inline constexpr Int32Field kVideoCaptureSharpness{10736};
inline constexpr Int32Field kVideoCaptureContrast{10740};
inline constexpr Int32Field kVideoCaptureBackLight{10744};
inline constexpr Int32Field kVideoCaptureTVSystem{10748};
inline constexpr Int32Field kVideoCaptureDayNight{10752};
inline constexpr Int32Field kVideoCaptureWhiteBalance{10756};
inline constexpr Int32Field kVideoCaptureSwitch2A{10760};
inline constexpr Int32Field kVideoCaptureBinningSkip{10764};
inline constexpr Int32Field kVideoCaptureHFlip{10768};
inline constexpr Int32Field kVideoCaptureVFlip{10772};

// Time and title overlay.
inline constexpr Int32Field kTimeTitleGroupFlag{10776};
inline constexpr Int32Field kTimeTitleEnable{10780};
inline constexpr Int32Field kTimeTitleTransparency{10784};
inline constexpr Int32Field kTimeTitleTimePosition{10788};
inline constexpr Int32Field kTimeTitleFormat{10792};
inline constexpr Int32Field kTimeTitleTitlePosition{10796};
inline constexpr Int32Field kTimeTitleHiddenTransparency{10800};  // page only
inline constexpr TextField kTimeTitleTitle{10804};

// Video encoding: the main stream and the second stream share one field pattern.
inline constexpr Int32Field kVideoEncodeGroupFlag{11060};
struct EncodeStreamFields {
  Int32Field encodeFormat;  // page only
  Int32Field resolution;
  Int32Field bitRateControl;
  Int32Field initquant;
  Int32Field bitRate;
  Int32Field frameRate;
};
constexpr EncodeStreamFields EncodeStreamAt(int offset) {
  return {{offset}, {offset + 4}, {offset + 8}, {offset + 12}, {offset + 16}, {offset + 20}};
}
inline constexpr EncodeStreamFields kVideoEncodeMainStream = EncodeStreamAt(11064);
inline constexpr EncodeStreamFields kVideoEncodeSubStream = EncodeStreamAt(11088);
inline constexpr Int32Field kVideoEncodeEncodeProfile{11112};
inline constexpr Int32Field kVideoEncodeDisablePrivateData{11116};

// Audio encoding.
inline constexpr Int32Field kAudioEncodeGroupFlag{11120};
inline constexpr Int32Field kAudioEncodeEnable{11124};
inline constexpr Int32Field kAudioEncodeEncodeType{11128};
inline constexpr Int32Field kAudioEncodeSampleRate{11132};
inline constexpr Int32Field kAudioEncodeBitRate{11136};

// Motion detection: one flag byte per grid block, then eight day records (sent under
// EnableTimeList as Workday/Day/TimeSpan).
inline constexpr Int32Field kMotionGroupFlag{11140};
inline constexpr Int32Field kMotionEnable{11144};
inline constexpr Int32Field kMotionSensitivity{11148};
inline constexpr Int32Field kMotionAlarmThreshold{11152};
inline constexpr Int32Field kMotionBlockCount{11156};
inline constexpr int kMotionBlockFlagsOffset = 11160;
inline constexpr int kMotionBlockFlagCount = 64;
// i in 0..63; 1 = block selected.
constexpr ByteField MotionBlockFlag(int i) {
  return {kMotionBlockFlagsOffset + i};
}
inline constexpr Int32Field kMotionDayNightSwitch{11224};
inline constexpr TimeFields kMotionNightStartTime = TimeAt(11228);
inline constexpr TimeFields kMotionNightEndTime = TimeAt(11240);
inline constexpr Int32Field kMotionNightSensitivity{11252};
inline constexpr Int32Field kMotionNightAlarmThreshold{11256};
inline constexpr int kMotionDayOffset = 11260;
inline constexpr int kMotionDaySize = 28;
inline constexpr int kMotionDayCount = 8;
struct MotionDayFields {
  Int32Field enabled;
  TimeFields startTime;
  TimeFields endTime;
};
// d in 0..7.
constexpr MotionDayFields MotionDay(int d) {
  const int base = kMotionDayOffset + d * kMotionDaySize;
  return {{base}, TimeAt(base + 4), TimeAt(base + 16)};
}

// Account.
inline constexpr Int32Field kAccountGroupFlag{11484};
inline constexpr TextField kAccountPassword{11488};
inline constexpr TextField kAccountPasswordConfirm{11744};  // page only

// Clock. TimeMode 0 means a time server, anything else the manual time.
inline constexpr Int32Field kClockGroupFlag{12000};
inline constexpr Int32Field kClockTimeMode{12004};
inline constexpr Int32Field kClockTimeZone{12008};
inline constexpr Uint16Field kClockManualYear{12012};  // manual date and time: page only
inline constexpr Uint16Field kClockManualMonth{12014};
inline constexpr Uint16Field kClockManualDay{12016};
inline constexpr Uint16Field kClockManualHour{12018};
inline constexpr Uint16Field kClockManualMinute{12020};
inline constexpr Uint16Field kClockManualSecond{12022};
inline constexpr Int32Field kClockSetTimeCheck{12024};  // page only
inline constexpr TextField kClockServerIP{12028};
inline constexpr Int32Field kClockServerPort{12284};
inline constexpr Int32Field kClockRefreshInterval{12288};

// Scheduled maintenance.
inline constexpr Int32Field kMaintenanceGroupFlag{12292};
inline constexpr Int32Field kMaintenanceEnable{12296};
inline constexpr Int32Field kMaintenanceDay{12300};
inline constexpr TimeFields kMaintenanceTime = TimeAt(12304);

// Device language.
inline constexpr Int32Field kDeviceLanguageGroupFlag{12316};
inline constexpr Int32Field kDeviceLanguage{12320};

}  // namespace config
