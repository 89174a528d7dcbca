// The named entries of the text pair table: every text of the main window, of the batch and of
// the cameras window that exists in both Chinese and English.
#pragma once

namespace texts {

enum TextId : int {
  kTextSelectAll = 0,                 // caption of button 1036
  kTextInvertSelection = 1,           // caption of button 1037
  kTextTotal = 2,                     // caption of static 1016
  kTextChecked = 3,                   // caption of static 1018
  kTextDeviceCount = 4,               // caption of static 1065
  kTextSuccess = 5,                   // caption of static 1066; word in batch summaries
  kTextFailed = 6,                    // caption of static 1067; word in batch summaries
  kTextColumnIpAddress = 7,           // heading of column 0
  kTextColumnMacAddress = 8,          // heading of column 1
  kTextColumnSerial = 9,              // heading of column 2
  kTextColumnDeviceType = 10,         // heading of column 3
  kTextColumnVersionBefore = 11,      // heading of column 4
  kTextColumnVersionAfter = 12,       // heading of column 5
  kTextColumnStatus = 13,             // heading of column 6
  kTextDeviceInfo = 14,               // caption of group box 1068
  kTextFirmwareUpgrade = 15,          // caption of group box 1069
  kTextUpgradeFile = 16,              // caption of static 1007
  kTextBrowse = 17,                   // caption of button 1006
  kTextSelectAction = 18,             // caption of group box 1070
  kTextSearch = 19,                   // caption of check box 1059
  kTextModifyIp = 20,                 // caption of check box 1039
  kTextUpgrade = 21,                  // caption of check box 1041
  kTextSetTime = 22,                  // caption of check box 1040
  kTextFormatTimeout = 23,            // caption of static 1061
  kTextFormatSd1 = 24,                // caption of check box 1042
  kTextFormatSd2 = 25,                // caption of check box 1043
  kTextFormatUsb = 26,                // caption of check box 1044
  kTextFactorySet = 27,               // caption of check box 1045
  kTextReboot = 28,                   // caption of check box 1060
  kTextEnter = 29,                    // caption of button 1014
  kTextUpgradeInformation = 30,       // caption of group box 1071
  kTextCurrentAction = 31,            // caption of static 1072
  kTextAskContinueSearch = 32,        // question when the search window ends
  kTextIpModifyStopsUpgrade = 33,     // message when IP re-addressing fails
  kTextSelectDeviceFirst = 34,        // message when no row is checked
  kTextSelectUpgradeFileFirst = 35,   // message when no firmware file is chosen
  kTextAskContinueInstructions = 36,  // question between instructions
  kTextUpgradeCompleteTotal = 37,     // upgrade summary
  kTextAskPlayVideo = 38,             // question offering the preview
  kTextSearching = 39,                // current action: search
  kTextComplete = 40,                 // current action: batch finished
  kTextUpgrading = 41,                // current action: upgrade
  kTextModifyingIp = 42,              // current action: IP re-addressing
  kTextFormattingSd1 = 43,            // current action: format SD1
  kTextFormattingSd2 = 44,            // current action: format SD2
  kTextFormattingUsb = 45,            // current action: format USB
  kTextRebooting = 46,                // current action: reboot
  kTextRestoring = 47,                // current action: factory restore
  kTextSettingTime = 48,              // current action: time
  kTextLoggingIn = 49,                // row status: login
  kTextLoginOk = 50,                  // row status: login
  kTextLoginFailed = 51,              // row status: login
  kTextGetStorageInfo = 52,           // row status: storage
  kTextGetStorageInfoFailed = 53,     // row status: storage
  kTextNotMounted = 54,               // row status: storage
  kTextFormatFailed = 55,             // row status: format
  kTextFormatTimedOut = 56,           // row status: format
  kTextFormatting = 57,               // row status: format
  kTextFormatOk = 58,                 // row status: format
  kTextRebootOk = 59,                 // row status: reboot
  kTextRebootFailed = 60,             // row status: reboot
  kTextRestoreFailed = 61,            // row status: factory restore
  kTextRestoreOk = 62,                // row status: factory restore
  kTextSetTimeOk = 63,                // row status: time
  kTextSetTimeFailed = 64,            // row status: time
  kTextLoginOutOfMemory = 65,         // row status: login
  kTextOutOfMemory = 66,              // row status: upgrade
  kTextGetVersion = 67,               // row status: upgrade
  kTextUploadOutOfMemory = 68,        // row status: upgrade
  kTextProgressOutOfMemory = 69,      // row status: upgrade
  kTextGetVersionFailed = 70,         // row status: upgrade
  kTextSubmitUploadFailed = 71,       // row status: upgrade
  kTextUploadedCheckingFile = 72,     // row status: upgrade
  kTextUploadFailed = 73,             // row status: upgrade
  kTextFileCannotUpgrade = 74,        // row status: upgrade
  kTextRebootedLoggingIn = 75,        // row status: upgrade
  kTextCheckFileTimedOut = 76,        // row status: upgrade
  kTextCheckingFileSeconds = 77,      // row status: upgrade
  kTextProgressFailed = 78,           // row status: upgrade
  kTextUploadingFile = 79,            // row status: upgrade
  kTextModifyIpFailed = 80,           // row status after IP re-addressing
  kTextModifyIpOk = 81,               // row status after IP re-addressing
  kTextNewIp = 82,                    // label of the new address in the row status
  kTextUpgradeSucceeded = 83,         // row status: upgrade; turns column 5 green
  kTextSameVersionFailed = 84,        // row status: upgrade; turns column 5 red
  kTextRebootCompleteTotal = 85,      // reboot summary
  kTextRestoreCompleteTotal = 86,     // restore summary
  kTextAskContinueOperating = 87,     // question between instructions
  kTextSetTimeCompleteTotal = 88,     // time summary
  kTextFormatCompleteTotal = 89,      // format summary
  // The cameras window, added since.
  kTextCamerasMenu = 90,                 // system menu item of the cameras window
  kTextCamerasTitle = 91,                // title of the cameras window
  kTextCamerasKind = 92,                 // cameras window: group of the backend
  kTextCamerasSimulator = 93,            // cameras window: backend sim
  kTextCamerasOnvif = 94,                // cameras window: backend onvif
  kTextCamerasNetwork = 95,              // cameras window: group of the scope
  kTextCamerasLoopback = 96,             // cameras window: scope loopback
  kTextCamerasLan = 97,                  // cameras window: scope lan
  kTextCamerasSearch = 98,               // cameras window: group of the probe targets
  kTextCamerasProbe = 99,                // cameras window: label of the probe targets
  kTextCamerasProbeHint = 100,           // cameras window: hint in the empty probe field
  kTextCamerasCredentials = 101,         // cameras window: group of the credentials
  kTextCamerasUser = 102,                // cameras window: credentials column
  kTextCamerasPassword = 103,            // cameras window: credentials column
  kTextCamerasAdd = 104,                 // cameras window: button
  kTextCamerasRemove = 105,              // cameras window: button
  kTextCamerasSavedPassword = 106,       // cameras window: hint in a saved password
  kTextCamerasRestore = 107,             // cameras window: group of the restore mode
  kTextCamerasHardRestore = 108,         // cameras window: restore hard
  kTextCamerasSoftRestore = 109,         // cameras window: restore soft
  kTextCamerasNextSearch = 110,          // cameras window: status line
  kTextCamerasRunUnderWay = 111,         // cameras window: status line and message
  kTextCamerasFixedByFile = 112,         // cameras window: a field netsdk.conf fixes
  kTextCamerasFixedByEnvironment = 113,  // cameras window: a field the environment fixes
  kTextCamerasFixedByCall = 114,         // cameras window: a field a library call fixes
  kTextCamerasBadProbe = 115,            // cameras window: message
  kTextCamerasBadCredential = 116,       // cameras window: message
  kTextCamerasCannotSave = 117,          // cameras window: message
  kTextCamerasOk = 118,                  // cameras window: button
  kTextCamerasCancel = 119,              // cameras window: button
  kTextStartMaskInvalid = 120,           // message: a run refused before it starts
  kTextStartGatewayInvalid = 121,        // message: a run refused before it starts
};

// The pairs the program has always had, first in the table.
inline constexpr int kHistoricTextPairCount = 90;
inline constexpr int kTextPairCount = 122;

}  // namespace texts
