#include "config/pages/media_audio_code_dlg.h"

#include "config/pages/page_row.h"

namespace config {
namespace {

constexpr PageRowLayout kRows{15, 80, 100, 100};
constexpr int kFirstRowY = 34;

}  // namespace

CMediaAudioCodeDlg::CMediaAudioCodeDlg(QWidget* parent)
    : SettingsPage(IDD_MEDIA_AUDIO_CODE, parent) {
  AddGroupBox({7, 7, 424, 118});
  AddEnableFlag(IDC_AUDIO_CODE_ENABLE, QStringLiteral("设置音频编码"), {15, 16, 150, 10},
                kAudioEncodeGroupFlag);
  int y = kFirstRowY;
  auto row = [this, &y](const char16_t* label) {
    AddLabel(QString::fromUtf16(label), LabelRect(kRows, y));
    const int rowY = y;
    y += kRowStep;
    return ControlRect(kRows, rowY, kListDropHeight);
  };
  AddChoice(IDC_AUDIO_CODE_ENCODE, row(u"启用编码"), {kItemDisabled, kItemEnabled},
            kAudioEncodeEnable);
  // Shown as "G711"; the request sends "G.711".
  AddChoice(IDC_AUDIO_CODE_TYPE, row(u"编码方式"), {u"G711", u"AAC"}, kAudioEncodeEncodeType);
  AddChoice(IDC_AUDIO_CODE_SAMPLE_RATE, row(u"采样率"), {u"8000", u"16000"},
            kAudioEncodeSampleRate);
  AddChoice(IDC_AUDIO_CODE_BITRATE, row(u"码率"), {u"6400", u"16000"}, kAudioEncodeBitRate);
  AddSaveButton(IDC_AUDIO_CODE_SAVE, {381, 132, 50, 14});
}

}  // namespace config
