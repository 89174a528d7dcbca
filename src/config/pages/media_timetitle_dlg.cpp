#include "config/pages/media_timetitle_dlg.h"

namespace config {

CMediaTimetitleDlg::CMediaTimetitleDlg(QWidget* parent)
    : SettingsPage(IDD_MEDIA_TIMETITLE, parent) {}

}  // namespace config
