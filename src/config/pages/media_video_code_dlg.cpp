#include "config/pages/media_video_code_dlg.h"

#include <iterator>

#include "config/pages/page_items.h"
#include "config/pages/page_row.h"

namespace config {
namespace {

constexpr int kLabelX = 15;
constexpr int kLabelWidth = 90;
constexpr int kColumnWidth = 95;
constexpr int kMainX = 110;
constexpr int kSubX = 215;
constexpr int kHeadingY = 32;
constexpr int kFirstRowY = 46;
constexpr int kRateDropHeight = 150;

struct StreamIds {
  int format;
  int resolution;
  int bitRateControl;
  int initquant;
  int bitRate;
  int frameRate;
};
constexpr StreamIds kMainIds{IDC_VIDEO_CODE_MAIN_FORMAT,          IDC_VIDEO_CODE_MAIN_RESOLUTION,
                             IDC_VIDEO_CODE_MAIN_BITRATE_CONTROL, IDC_VIDEO_CODE_MAIN_INITQUANT,
                             IDC_VIDEO_CODE_MAIN_BITRATE,         IDC_VIDEO_CODE_MAIN_FRAMERATE};
constexpr StreamIds kSubIds{IDC_VIDEO_CODE_SUB_FORMAT,          IDC_VIDEO_CODE_SUB_RESOLUTION,
                            IDC_VIDEO_CODE_SUB_BITRATE_CONTROL, IDC_VIDEO_CODE_SUB_INITQUANT,
                            IDC_VIDEO_CODE_SUB_BITRATE,         IDC_VIDEO_CODE_SUB_FRAMERATE};

constexpr const char16_t* kRowLabels[] = {
    u"编码格式", u"分辨率", u"比特率控制", u"帧间隔(s 1-200)", u"比特率(kbps 500-8000)", u"帧率"};

constexpr int RowY(int row) {
  return kFirstRowY + row * kRowStep;
}

}  // namespace

CMediaVideoCodeDlg::CMediaVideoCodeDlg(QWidget* parent)
    : SettingsPage(IDD_MEDIA_VIDEO_CODE, parent) {
  AddGroupBox({7, 7, 424, 218});
  AddEnableFlag(IDC_VIDEO_CODE_ENABLE, QStringLiteral("设置视频编码"), {15, 16, 150, 10},
                kVideoEncodeGroupFlag);
  AddLabel(QStringLiteral("主码流"), {kMainX, kHeadingY, kColumnWidth, 8});
  AddLabel(QStringLiteral("子码流"), {kSubX, kHeadingY, kColumnWidth, 8});
  for (int row = 0; row < static_cast<int>(std::size(kRowLabels)); ++row)
    AddLabel(QString::fromUtf16(kRowLabels[row]), {kLabelX, RowY(row) + 3, kLabelWidth, 8});

  auto addStream = [this](int x, const StreamIds& ids, const EncodeStreamFields& fields,
                          std::vector<QString> resolutions, int initialResolution,
                          int initialFrameRate) {
    AddChoice(ids.format, {x, RowY(0), kColumnWidth, kListDropHeight}, {u"H264"},
              fields.encodeFormat);
    AddChoice(ids.resolution, {x, RowY(1), kColumnWidth, kRateDropHeight}, std::move(resolutions),
              fields.resolution, initialResolution);
    AddChoice(ids.bitRateControl, {x, RowY(2), kColumnWidth, kListDropHeight},
              {u"CBR", u"VBR", u"CVBR"}, fields.bitRateControl);
    AddNumber(ids.initquant, {x, RowY(3), kColumnWidth, kRowHeight}, fields.initquant);
    AddNumber(ids.bitRate, {x, RowY(4), kColumnWidth, kRowHeight}, fields.bitRate);
    AddChoice(ids.frameRate, {x, RowY(5), kColumnWidth, kRateDropHeight}, FrameRateItems(),
              fields.frameRate, initialFrameRate);
  };
  addStream(kMainX, kMainIds, kVideoEncodeMainStream, Items(kMainStreamResolutionItems), 0,
            kMainStreamInitialFrameRate);
  addStream(kSubX, kSubIds, kVideoEncodeSubStream, Items(kSubStreamResolutionItems),
            kSubStreamInitialResolution, kSubStreamInitialFrameRate);

  const int profileY = RowY(6) + 8;
  AddLabel(QStringLiteral("BaseProfile"), {kLabelX, profileY + 3, kLabelWidth, 8});
  AddChoice(IDC_VIDEO_CODE_PROFILE, {kMainX, profileY, kColumnWidth, kListDropHeight},
            {kItemDisabled, kItemEnabled}, kVideoEncodeEncodeProfile);
  const int privateY = profileY + kRowStep;
  AddLabel(QStringLiteral("私有数据"), {kLabelX, privateY + 3, kLabelWidth, 8});
  // "启用" first: the position is the value of DisablePrivateData.
  AddChoice(IDC_VIDEO_CODE_PRIVATE_DATA, {kMainX, privateY, kColumnWidth, kListDropHeight},
            {kItemEnabled, kItemDisabled}, kVideoEncodeDisablePrivateData, 1);

  AddSaveButton(IDC_VIDEO_CODE_SAVE, {381, 232, 50, 14});
}

BOOL CMediaVideoCodeDlg::OnInitDialog() {
  SettingsPage::OnInitDialog();
  ShowFlag(IDC_VIDEO_CODE_ENABLE, kVideoEncodeGroupFlag);
  return TRUE;
}

}  // namespace config
