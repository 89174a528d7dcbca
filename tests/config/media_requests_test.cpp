#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/requests/group_requests.h"
#include "request_helpers.h"

namespace config {
namespace {

void SetTime(ConfigSet& set, const TimeFields& time, int hour, int minute, int second) {
  set.Set(time.hour, hour);
  set.Set(time.minute, minute);
  set.Set(time.second, second);
}

TEST(MediaRequests, CaptureSendsTVSystemAfterBinningSkipAndEmptyOffsets) {
  ConfigSet set;
  set.Set(kVideoCaptureIrcutMode, 4);
  set.Set(kVideoCaptureIrcutKeepColor, 1);
  set.Set(kVideoCaptureIrcutSensitivity, 55);
  SetTime(set, kVideoCaptureIrcutNightStartTime, 19, 5, 0);
  SetTime(set, kVideoCaptureIrcutNightEndTime, 6, 30, 9);
  set.Set(kVideoCaptureBrightness, 50);
  set.Set(kVideoCaptureSaturation, 60);
  set.Set(kVideoCaptureSharpness, 70);
  set.Set(kVideoCaptureContrast, 80);
  set.Set(kVideoCaptureBackLight, -3);
  set.Set(kVideoCaptureTVSystem, 1);
  set.Set(kVideoCaptureDayNight, 0);
  set.Set(kVideoCaptureWhiteBalance, 2);
  set.Set(kVideoCaptureSwitch2A, 1);
  set.Set(kVideoCaptureBinningSkip, 7);
  set.Set(kVideoCaptureHFlip, 0);
  set.Set(kVideoCaptureVFlip, 1);
  EXPECT_EQ(Request(PushGroup::kVideoCapture, set),
            R"(<Capture IrcutMode="4" IrcutKeepColor="1" IrcutSensitivity="55" )"
            R"(IrcutNightStartTime="19:05:00" IrcutNightEndTime="06:30:09" Brightness="50" )"
            R"(Saturation="60" Sharpness="70" Contrast="80" BackLight="-3" DayNight="0" )"
            R"(WhiteBalance="2" Switch2A="1" BinningSkip="7" TVSystem="1" HFlip="0" VFlip="1" )"
            R"(XOffset="" YOffset="" />)");
}

TEST(MediaRequests, OverlaySendsPositionsFormatAndHexTitle) {
  ConfigSet set;
  set.Set(kTimeTitleEnable, 1);
  set.Set(kTimeTitleTransparency, 3);
  set.Set(kTimeTitleTimePosition, 2);  // "右上角"
  set.Set(kTimeTitleFormat, 4);
  set.Set(kTimeTitleTitlePosition, 0);  // "不显示"
  set.Set(kTimeTitleHiddenTransparency, 9);
  set.Set(kTimeTitleTitle, QStringLiteral("abc"));
  EXPECT_EQ(Request(PushGroup::kTimeTitle, set),
            R"(<Overlay Enable="1" Transparency="3">)"
            R"(<TimeOverlay PosX="1" PosY="0" Format="hh:mm:ss dd/mm/yyyy" />)"
            R"(<TitleOverlay PosX="2" PosY="2" Title="616263" /></Overlay>)");
}

TEST(MediaRequests, OverlayPositionAndFormatTablesFallBackOutsideTheirRange) {
  const std::vector<std::pair<std::int32_t, std::string>> positions{
      {0, R"(PosX="2" PosY="2")"},  {1, R"(PosX="0" PosY="0")"},    {2, R"(PosX="1" PosY="0")"},
      {3, R"(PosX="0" PosY="1")"},  {4, R"(PosX="1" PosY="1")"},    {5, R"(PosX="2" PosY="2")"},
      {-1, R"(PosX="2" PosY="2")"}, {kMax, R"(PosX="2" PosY="2")"}, {kMin, R"(PosX="2" PosY="2")"}};
  for (const auto& [index, attributes] : positions) {
    ConfigSet set;
    set.Set(kTimeTitleTimePosition, index);
    set.Set(kTimeTitleTitlePosition, index);
    EXPECT_EQ(Request(PushGroup::kTimeTitle, set),
              R"(<Overlay Enable="0" Transparency="0"><TimeOverlay )" + attributes +
                  R"( Format="yyyy-mm-dd hh:mm:ss" /><TitleOverlay )" + attributes +
                  R"( Title="" /></Overlay>)")
        << index;
  }

  const std::vector<std::pair<std::int32_t, std::string>> formats{{0, "yyyy-mm-dd hh:mm:ss"},
                                                                  {1, "yyyy/mm/dd hh:mm:ss"},
                                                                  {2, "yy-mm-dd hh:mm:ss"},
                                                                  {3, "yy/mm/dd hh:mm:ss"},
                                                                  {4, "hh:mm:ss dd/mm/yyyy"},
                                                                  {5, "hh:mm:ss dd-mm-yyyy"},
                                                                  {6, "hh:mm:ss mm/dd/yyyy"},
                                                                  {7, "hh:mm:ss mm-dd-yyyy"},
                                                                  {8, ""},
                                                                  {-1, ""},
                                                                  {kMin, ""}};
  for (const auto& [index, format] : formats) {
    ConfigSet set;
    set.Set(kTimeTitleFormat, index);
    EXPECT_EQ(Request(PushGroup::kTimeTitle, set),
              R"(<Overlay Enable="0" Transparency="0"><TimeOverlay PosX="2" PosY="2" Format=")" +
                  format + R"(" /><TitleOverlay PosX="2" PosY="2" Title="" /></Overlay>)")
        << index;
  }
}

// The Title attribute of the overlay document for a stored title.
std::string TitleSent(std::string_view storedBytes) {
  ConfigSet set;
  SetBytes(set, kTimeTitleTitle, storedBytes);
  const std::string text = Request(PushGroup::kTimeTitle, set);
  const std::string prefix = R"(<TitleOverlay PosX="2" PosY="2" Title=")";
  const std::size_t begin = text.find(prefix);
  if (begin == std::string::npos) return kNotSent;
  const std::size_t valueBegin = begin + prefix.size();
  return text.substr(valueBegin, text.find('"', valueBegin) - valueBegin);
}

TEST(MediaRequests, TitleIsLowercaseHexOfEveryByteCutAtAWholeCharacter) {
  EXPECT_EQ(TitleSent(""), "");
  EXPECT_EQ(TitleSent("\xb1\xea\xcc\xe2"), "b1eacce2");  // "标题" in GBK
  {
    ConfigSet set;
    set.Set(kTimeTitleTitle, QStringLiteral("标题"));
    EXPECT_NE(Request(PushGroup::kTimeTitle, set).find(R"(Title="b1eacce2")"), std::string::npos);
  }
  EXPECT_EQ(TitleSent("\xff\x80\x7f\x01^A"), "ff807f015e41");

  // 255 hex digits hold 127 whole bytes; a 128th is never half sent.
  std::string hex127;
  for (int i = 0; i < 127; ++i) hex127 += "61";
  EXPECT_EQ(TitleSent(std::string(127, 'a')), hex127);
  EXPECT_EQ(TitleSent(std::string(255, 'a')), hex127);
  // A two-byte character that would end at byte 128 is left out whole.
  std::string hex126;
  for (int i = 0; i < 126; ++i) hex126 += "61";
  EXPECT_EQ(TitleSent(std::string(126, 'a') + "\xb1\xea"), hex126);
  EXPECT_EQ(TitleSent(std::string(125, 'a') + "\xb1\xea" + "b"), hex126.substr(2) + "b1ea");
  // Characters counted from the start: 63 two-byte ones end at byte 126, the 64th does not fit.
  std::string chinese;
  std::string chineseHex;
  for (int i = 0; i < 64; ++i) {
    chinese += "\xcc\xe2";
    if (i < 63) chineseHex += "cce2";
  }
  EXPECT_EQ(TitleSent("a" + chinese), "61" + chineseHex);
}

TEST(MediaRequests, EncodeSendsBothStreamsWithTheirOwnResolutionListsAndRatePlusOne) {
  ConfigSet set;
  set.Set(kVideoEncodeMainStream.encodeFormat, 1);
  set.Set(kVideoEncodeMainStream.resolution, 5);  // "256x192" in the main list
  set.Set(kVideoEncodeMainStream.bitRateControl, 1);
  set.Set(kVideoEncodeMainStream.initquant, 50);
  set.Set(kVideoEncodeMainStream.bitRate, 4000);
  set.Set(kVideoEncodeMainStream.frameRate, 19);
  set.Set(kVideoEncodeSubStream.encodeFormat, 1);
  set.Set(kVideoEncodeSubStream.resolution, 5);  // "448P" in the sub list
  set.Set(kVideoEncodeSubStream.bitRateControl, 2);
  set.Set(kVideoEncodeSubStream.initquant, 100);
  set.Set(kVideoEncodeSubStream.bitRate, 512);
  set.Set(kVideoEncodeSubStream.frameRate, 29);
  set.Set(kVideoEncodeEncodeProfile, 1);
  set.Set(kVideoEncodeDisablePrivateData, 0);
  EXPECT_EQ(Request(PushGroup::kVideoEncoding, set),
            R"(<Encode><EncodeConfig Stream="1" Resolution="256X192" EncodeFormat="H264" )"
            R"(BitRateControl="VBR" Initquant="50" BitRate="4000" FrameRate="20" />)"
            R"(<EncodeConfig Stream="2" Resolution="448P" EncodeFormat="H264" )"
            R"(BitRateControl="CVBR" Initquant="100" BitRate="512" FrameRate="30" />)"
            R"(<AdvanceEncodeConfig EncodeProfile="1" DisablePrivateData="0" /></Encode>)");

  set.Set(kVideoEncodeSubStream.resolution, 6);  // "256x192" in the sub list
  set.Set(kVideoEncodeMainStream.bitRateControl, 3);
  set.Set(kVideoEncodeSubStream.bitRateControl, -1);
  set.Set(kVideoEncodeMainStream.frameRate, kMax);
  set.Set(kVideoEncodeSubStream.frameRate, kMin);
  EXPECT_EQ(Request(PushGroup::kVideoEncoding, set),
            R"(<Encode><EncodeConfig Stream="1" Resolution="256X192" EncodeFormat="H264" )"
            R"(BitRateControl="CBR" Initquant="50" BitRate="4000" FrameRate="2147483648" />)"
            R"(<EncodeConfig Stream="2" Resolution="256X192" EncodeFormat="H264" )"
            R"(BitRateControl="CBR" Initquant="100" BitRate="512" FrameRate="-2147483647" />)"
            R"(<AdvanceEncodeConfig EncodeProfile="1" DisablePrivateData="0" /></Encode>)");
}

TEST(MediaRequests, ResolutionListsMapEveryPositionAndFallBackTo720P) {
  const std::vector<std::string> sub{"720P",    "960P",    "1080P",   "1440P",   "1512P", "448P",
                                     "256X192", "288X192", "320X192", "352X192", "QVGA",  "CIF",
                                     "480X360", "640X360", "VGA",     "D1"};
  const std::vector<std::string> main{"720P",    "960P",    "1080P",   "1440P",   "1512P",
                                      "256X192", "288X192", "320X192", "352X192", "QVGA",
                                      "CIF",     "480X360", "640X360", "VGA",     "D1"};
  auto sent = [](std::int32_t mainIndex, std::int32_t subIndex) {
    ConfigSet set;
    set.Set(kVideoEncodeMainStream.resolution, mainIndex);
    set.Set(kVideoEncodeSubStream.resolution, subIndex);
    return Request(PushGroup::kVideoEncoding, set);
  };
  auto expected = [](const std::string& mainName, const std::string& subName) {
    const std::string rest =
        R"(" EncodeFormat="H264" BitRateControl="CBR" Initquant="0" BitRate="0" FrameRate="1" />)";
    return R"(<Encode><EncodeConfig Stream="1" Resolution=")" + mainName + rest +
           R"(<EncodeConfig Stream="2" Resolution=")" + subName + rest +
           R"(<AdvanceEncodeConfig EncodeProfile="0" DisablePrivateData="0" /></Encode>)";
  };
  for (std::int32_t i = 0; i < 16; ++i) {
    EXPECT_EQ(sent(i, i), expected(i < 15 ? main[i] : "720P", sub[i])) << i;
  }
  EXPECT_EQ(sent(-1, 16), expected("720P", "720P"));
  EXPECT_EQ(sent(kMin, kMax), expected("720P", "720P"));
}

TEST(MediaRequests, AudioSendsSampleRateBeforeEncodeTypeWithFallbacks) {
  ConfigSet set;
  set.Set(kAudioEncodeEnable, 1);
  EXPECT_EQ(Request(PushGroup::kAudioEncoding, set),
            R"(<Audio><Encode Enable="1" SampleRate="8000" EncodeType="G.711" BitRate="6400" />)"
            R"(</Audio>)");
  set.Set(kAudioEncodeEncodeType, 1);
  EXPECT_EQ(Request(PushGroup::kAudioEncoding, set),
            R"(<Audio><Encode Enable="1" SampleRate="8000" EncodeType="AAC" BitRate="6400" />)"
            R"(</Audio>)");
  set.Set(kAudioEncodeEncodeType, 0);
  set.Set(kAudioEncodeSampleRate, 1);
  set.Set(kAudioEncodeBitRate, 1);
  EXPECT_EQ(Request(PushGroup::kAudioEncoding, set),
            R"(<Audio><Encode Enable="1" SampleRate="16000" EncodeType="G.711" BitRate="16000" />)"
            R"(</Audio>)");
  set.Set(kAudioEncodeEnable, 0);
  set.Set(kAudioEncodeEncodeType, 2);
  set.Set(kAudioEncodeSampleRate, -1);
  set.Set(kAudioEncodeBitRate, kMax);
  EXPECT_EQ(Request(PushGroup::kAudioEncoding, set),
            R"(<Audio><Encode Enable="0" SampleRate="8000" EncodeType="G.711" BitRate="6400" />)"
            R"(</Audio>)");
}

TEST(MediaRequests, MotionSendsGridAllSixtyFourFlagsAndTheEnabledDays) {
  ConfigSet set;
  set.Set(kMotionEnable, 1);
  set.Set(kMotionSensitivity, 3);
  set.Set(kMotionAlarmThreshold, 40);
  set.Set(kMotionBlockCount, 3);  // "3X2"
  set.Set(MotionBlockFlag(0), std::uint8_t{1});
  set.Set(MotionBlockFlag(5), std::uint8_t{1});
  set.Set(MotionBlockFlag(7), std::uint8_t{2});   // only 1 marks a block
  set.Set(MotionBlockFlag(63), std::uint8_t{1});  // beyond the 3X2 grid, sent as stored
  set.Set(kMotionDayNightSwitch, 1);
  SetTime(set, kMotionNightStartTime, 20, 0, 0);
  SetTime(set, kMotionNightEndTime, 7, 15, 30);
  set.Set(kMotionNightSensitivity, 5);
  set.Set(kMotionNightAlarmThreshold, 60);
  EXPECT_EQ(Request(PushGroup::kMotion, set),
            R"(<MotionDetectAlarm Enable="1" BlockCount="196610" BlockConfig=")"
            "1000010000000000000000000000000000000000000000000000000000000001"
            R"(" Sensitivity="3" AlarmThreshold="40" NightSensitivity="5" )"
            R"(NightAlarmThreshold="60" NightStartTime="20:00:00" NightEndTime="07:15:30" )"
            R"(DayNightSwitch="1"><EnableTimeList /></MotionDetectAlarm>)");

  // Sunday and every day together: both go out, Sunday as 0 first.
  set.Set(MotionDay(6).enabled, 1);
  SetTime(set, MotionDay(6).startTime, 8, 0, 0);
  SetTime(set, MotionDay(6).endTime, 12, 30, 0);
  set.Set(MotionDay(7).enabled, -1);
  SetTime(set, MotionDay(7).endTime, 23, 59, 59);
  EXPECT_EQ(Request(PushGroup::kMotion, set),
            R"(<MotionDetectAlarm Enable="1" BlockCount="196610" BlockConfig=")"
            "1000010000000000000000000000000000000000000000000000000000000001"
            R"(" Sensitivity="3" AlarmThreshold="40" NightSensitivity="5" )"
            R"(NightAlarmThreshold="60" NightStartTime="20:00:00" NightEndTime="07:15:30" )"
            R"(DayNightSwitch="1"><EnableTimeList>)"
            R"(<Workday Day="0"><TimeSpan StartTime="08:00:00" EndTime="12:30:00" /></Workday>)"
            R"(<Workday Day="7"><TimeSpan StartTime="00:00:00" EndTime="23:59:59" /></Workday>)"
            R"(</EnableTimeList></MotionDetectAlarm>)");
}

TEST(MediaRequests, MotionDaysAndGridsFollowTheDeviceNumbering) {
  ConfigSet set;
  for (int d = 0; d < kMotionDayCount; ++d) {
    set.Set(MotionDay(d).enabled, 1);
    SetTime(set, MotionDay(d).startTime, d, 0, 0);
  }
  const std::string text = Request(PushGroup::kMotion, set);
  const std::string span = R"(:00:00" EndTime="00:00:00" /></Workday>)";
  EXPECT_NE(text.find(R"(<EnableTimeList>)"
                      R"(<Workday Day="1"><TimeSpan StartTime="00)" +
                      span + R"(<Workday Day="2"><TimeSpan StartTime="01)" + span +
                      R"(<Workday Day="3"><TimeSpan StartTime="02)" + span +
                      R"(<Workday Day="4"><TimeSpan StartTime="03)" + span +
                      R"(<Workday Day="5"><TimeSpan StartTime="04)" + span +
                      R"(<Workday Day="6"><TimeSpan StartTime="05)" + span +
                      R"(<Workday Day="0"><TimeSpan StartTime="06)" + span +
                      R"(<Workday Day="7"><TimeSpan StartTime="07)" + span +
                      R"(</EnableTimeList></MotionDetectAlarm>)"),
            std::string::npos)
      << text;

  const std::vector<std::pair<std::int32_t, std::string>> grids{
      {0, "262148"}, {1, "262147"}, {2, "196611"}, {3, "196610"},  {4, "131074"},
      {5, "65537"},  {6, "65537"},  {-1, "65537"}, {kMax, "65537"}};
  for (const auto& [index, blockCount] : grids) {
    ConfigSet grid;
    grid.Set(kMotionBlockCount, index);
    const std::string text = Request(PushGroup::kMotion, grid);
    EXPECT_TRUE(text.starts_with(R"(<MotionDetectAlarm Enable="0" BlockCount=")" + blockCount +
                                 R"(" BlockConfig=")"))
        << text;
  }
}

TEST(MediaRequests, GroupsOfNumbersFitTheirLimitsEvenAtExtremeValues) {
  // Every int32 at its widest ("-2147483648"), every schedule day on, the title full: the
  // documents stay below their limits and are sent.
  ConfigImage image{};
  for (int offset = 10688; offset < 11484; offset += 4) {
    image[offset] = 0;
    image[offset + 1] = 0;
    image[offset + 2] = 0;
    image[offset + 3] = 0x80;
  }
  ConfigSet set;
  set.SetImage(image);
  SetBytes(set, kTimeTitleTitle, std::string(255, '\xcc'));
  for (int d = 0; d < kMotionDayCount; ++d) set.Set(MotionDay(d).enabled, 1);
  for (PushGroup group :
       {PushGroup::kVideoCapture, PushGroup::kTimeTitle, PushGroup::kVideoEncoding,
        PushGroup::kAudioEncoding, PushGroup::kMotion}) {
    EXPECT_NE(Request(group, set), kNotSent) << static_cast<int>(group);
  }
  EXPECT_NE(
      Request(PushGroup::kMotion, set)
          .find(R"(<Workday Day="7"><TimeSpan StartTime="-2147483648:-2147483648:-2147483648")"),
      std::string::npos);
}

}  // namespace
}  // namespace config
