#include "config/pages/media_capture_dlg.h"

namespace config {

CMediaCaptureDlg::CMediaCaptureDlg(QWidget* parent) : SettingsPage(IDD_MEDIA_CAPTURE, parent) {}

}  // namespace config
