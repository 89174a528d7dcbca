#include "config/pages/media_video_code_dlg.h"

namespace config {

CMediaVideoCodeDlg::CMediaVideoCodeDlg(QWidget* parent)
    : SettingsPage(IDD_MEDIA_VIDEO_CODE, parent) {}

}  // namespace config
