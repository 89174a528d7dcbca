// The numbers of the two preview windows.
#pragma once

#include "platform/win_types.h"

namespace preview {

constexpr int IDD_WATCH_VIDEO = 130;
constexpr int IDD_MUL_PLAY = 131;
// Dialog units of the two templates.
constexpr int kWatchVideoWidth = 553;
constexpr int kWatchVideoHeight = 275;
constexpr int kMulPlayWidth = 701;
constexpr int kMulPlayHeight = 387;

// Private message that starts the single-device preview once its window is up.
constexpr UINT kMsgStartPreview = 0x4C8;  // 1224
static_assert(kMsgStartPreview == 1224);

constexpr int kMaxPanes = 250;
// Margin of every pane inside its cell, and the width of its result border.
constexpr int kPaneInset = 5;
constexpr int kBorderWidth = 5;
// Logins the single view tries for a device that is not logged in.
constexpr int kSingleViewLoginAttempts = 3;
// Pause after stopping the single view, before its window goes.
constexpr unsigned kCloseWaitMs = 200;

}  // namespace preview
