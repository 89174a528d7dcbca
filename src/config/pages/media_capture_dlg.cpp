#include "config/pages/media_capture_dlg.h"

#include "config/pages/page_row.h"

namespace config {
namespace {

constexpr PageRowLayout kLeft{15, 80, 100, 100};
constexpr PageRowLayout kRight{220, 80, 305, 100};
constexpr int kFirstRowY = 34;

struct NumberRow {
  int id;
  const char16_t* label;
  Int32Field field;
};

}  // namespace

CMediaCaptureDlg::CMediaCaptureDlg(QWidget* parent) : SettingsPage(IDD_MEDIA_CAPTURE, parent) {
  AddGroupBox({7, 7, 424, 208});
  AddEnableFlag(IDC_CAPTURE_ENABLE, QStringLiteral("设置视频采集"), {15, 16, 150, 10},
                kVideoCaptureGroupFlag);

  // Left column: the IR-cut filter, then the first picture values.
  int y = kFirstRowY;
  auto leftRow = [this, &y](const char16_t* label) {
    AddLabel(QString::fromUtf16(label), LabelRect(kLeft, y));
    const int rowY = y;
    y += kRowStep;
    return rowY;
  };
  int rowY = leftRow(u"工作模式");
  AddChoice(IDC_CAPTURE_IRCUT_MODE, ControlRect(kLeft, rowY, 90),
            {u"主动模式", u"日夜模式", u"被动模式", u"手动模式", u"反向被动模式"},
            kVideoCaptureIrcutMode);
  rowY = leftRow(u"保持彩色");
  AddChoice(IDC_CAPTURE_KEEP_COLOR, ControlRect(kLeft, rowY, kListDropHeight), {u"否", u"是"},
            kVideoCaptureIrcutKeepColor);
  rowY = leftRow(u"灵敏度(0-100)");
  AddNumber(IDC_CAPTURE_IRCUT_SENSITIVITY, ControlRect(kLeft, rowY), kVideoCaptureIrcutSensitivity);
  rowY = leftRow(u"夜开始时间");
  AddTime(IDC_CAPTURE_NIGHT_START, ControlRect(kLeft, rowY), kVideoCaptureIrcutNightStartTime);
  rowY = leftRow(u"夜结束时间");
  AddTime(IDC_CAPTURE_NIGHT_END, ControlRect(kLeft, rowY), kVideoCaptureIrcutNightEndTime);
  const NumberRow leftNumbers[] = {
      {IDC_CAPTURE_BRIGHTNESS, u"亮度(0-255)", kVideoCaptureBrightness},
      {IDC_CAPTURE_SATURATION, u"饱和度(0-255)", kVideoCaptureSaturation},
      {IDC_CAPTURE_SHARPNESS, u"锐度(0-255)", kVideoCaptureSharpness},
      {IDC_CAPTURE_CONTRAST, u"对比度(0-255)", kVideoCaptureContrast},
  };
  for (const NumberRow& row : leftNumbers)
    AddNumber(row.id, ControlRect(kLeft, leftRow(row.label)), row.field);

  // Right column: the last picture value and the capture modes.
  y = kFirstRowY;
  auto rightRow = [this, &y](const char16_t* label) {
    AddLabel(QString::fromUtf16(label), LabelRect(kRight, y));
    const int rowY = y;
    y += kRowStep;
    return rowY;
  };
  AddNumber(IDC_CAPTURE_BACKLIGHT, ControlRect(kRight, rightRow(u"背光(0-255)")),
            kVideoCaptureBackLight);
  AddChoice(IDC_CAPTURE_TV_SYSTEM, ControlRect(kRight, rightRow(u"视频制式"), kListDropHeight),
            {u"60HZ", u"50HZ"}, kVideoCaptureTVSystem);
  AddChoice(IDC_CAPTURE_DAY_NIGHT, ControlRect(kRight, rightRow(u"晚上和白天"), kListDropHeight),
            {u"晚上", u"白天"}, kVideoCaptureDayNight);
  AddChoice(IDC_CAPTURE_WHITE_BALANCE, ControlRect(kRight, rightRow(u"白平衡"), kListDropHeight),
            {u"自动", u"室内", u"室外"}, kVideoCaptureWhiteBalance);
  AddChoice(IDC_CAPTURE_SWITCH_2A,
            ControlRect(kRight, rightRow(u"自动爆光白平衡"), kListDropHeight),
            {kItemDisabled, kItemEnabled}, kVideoCaptureSwitch2A);
  AddChoice(IDC_CAPTURE_BINNING_SKIP,
            ControlRect(kRight, rightRow(u"图像采集模式"), kListDropHeight), {u"BINNING", u"SKIP"},
            kVideoCaptureBinningSkip);
  AddChoice(IDC_CAPTURE_HFLIP, ControlRect(kRight, rightRow(u"水平翻转"), kListDropHeight),
            {kItemDisabled, kItemEnabled}, kVideoCaptureHFlip);
  AddChoice(IDC_CAPTURE_VFLIP, ControlRect(kRight, rightRow(u"垂直翻转"), kListDropHeight),
            {kItemDisabled, kItemEnabled}, kVideoCaptureVFlip);

  AddSaveButton(IDC_CAPTURE_SAVE, {381, 222, 50, 14});
}

}  // namespace config
