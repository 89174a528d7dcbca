#include "config/pages/media_audio_code_dlg.h"

namespace config {

CMediaAudioCodeDlg::CMediaAudioCodeDlg(QWidget* parent)
    : SettingsPage(IDD_MEDIA_AUDIO_CODE, parent) {}

}  // namespace config
