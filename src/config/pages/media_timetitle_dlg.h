// Page 7, "时间和标题" (dialog 141): the time-and-title group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_TIMETITLE = 141;

class CMediaTimetitleDlg : public SettingsPage {
 public:
  explicit CMediaTimetitleDlg(QWidget* parent);
};

}  // namespace config
