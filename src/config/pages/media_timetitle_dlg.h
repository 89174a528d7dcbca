// Page 7, "时间和标题" (dialog 141): the time-and-title group — what the picture shows over the
// video, where, and the title text.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_TIMETITLE = 141;
constexpr int IDC_TIMETITLE_ENABLE = 1169;
constexpr int IDC_TIMETITLE_OSD = 1170;
constexpr int IDC_TIMETITLE_TRANSPARENCY = 1171;
constexpr int IDC_TIMETITLE_TIME_POSITION = 1172;
constexpr int IDC_TIMETITLE_FORMAT = 1173;
constexpr int IDC_TIMETITLE_TITLE_POSITION = 1174;
constexpr int IDC_TIMETITLE_TITLE = 1090;
// Hidden in the template, yet still writing its page-only field.
constexpr int IDC_TIMETITLE_HIDDEN_TRANSPARENCY = 1210;
constexpr int IDC_TIMETITLE_SAVE = 1167;

class CMediaTimetitleDlg : public SettingsPage {
 public:
  explicit CMediaTimetitleDlg(QWidget* parent);
};

}  // namespace config
