// Control IDs of the main window (dialog template 102), shared by the window and the subsystems
// that read or change its controls.
#pragma once

namespace ids {

constexpr int IDD_RAVENDOCK_DIALOG = 102;
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDS_ABOUTBOX = 101;
constexpr unsigned IDM_ABOUTBOX = 16;
// Items of the system menu beside the About box: the two languages (the radios
// IDC_LANGUAGE_CHINESE and IDC_LANGUAGE_ENGLISH are hidden), the export of the device table and
// the cameras window.
constexpr unsigned IDM_LANGUAGE_CHINESE = 32;
constexpr unsigned IDM_LANGUAGE_ENGLISH = 48;
constexpr unsigned IDM_EXPORT_TABLE = 64;
constexpr unsigned IDM_CAMERAS = 80;

// Device table.
constexpr int IDC_DEVICE_LIST = 1000;
constexpr int IDC_GROUP_DEVICES = 1068;
constexpr int IDC_SELECT_ALL = 1036;
constexpr int IDC_INVERT = 1037;
constexpr int IDC_TOTAL_LABEL = 1016;
constexpr int IDC_TOTAL = 1017;
constexpr int IDC_CHECKED_LABEL = 1018;
constexpr int IDC_CHECKED = 1019;
constexpr int IDC_EXPECTED_LABEL = 1065;
constexpr int IDC_EXPECTED_COUNT = 1020;
constexpr int IDC_SUCCESS_LABEL = 1066;
constexpr int IDC_SUCCESS = 1026;
constexpr int IDC_FAILURE_LABEL = 1067;
constexpr int IDC_FAILURE = 1027;

// Hidden controls: nothing in the program shows them.
constexpr int IDC_SEARCH = 1002;
constexpr int IDC_CHECK_ALL_BY_STATE = 1003;
constexpr int IDC_INVERT_HIDDEN = 1022;
constexpr int IDC_LANGUAGE_CHINESE = 1063;
constexpr int IDC_LANGUAGE_ENGLISH = 1064;
constexpr int IDC_MODIFY_IP_NOW = 1029;
constexpr int IDC_FORMAT_SD1_NOW = 1030;
constexpr int IDC_FORMAT_SD2_NOW = 1031;
constexpr int IDC_FORMAT_USB_NOW = 1032;
constexpr int IDC_RESTORE_NOW = 1033;
constexpr int IDC_REBOOT_NOW = 1034;
constexpr int IDC_SET_TIME_NOW = 1035;

// Firmware file.
constexpr int IDC_GROUP_FIRMWARE = 1069;
constexpr int IDC_FILE_LABEL = 1007;
constexpr int IDC_FILE_PATH = 1005;
constexpr int IDC_BROWSE = 1006;

// Instructions.
constexpr int IDC_GROUP_INSTRUCTIONS = 1070;
constexpr int IDC_DO_SEARCH = 1059;
constexpr int IDC_DO_MODIFY_IP = 1039;
constexpr int IDC_DO_ALLNET_ON = 1215;
constexpr int IDC_DO_ALLNET_OFF = 1216;
constexpr int IDC_DO_UPGRADE = 1041;
constexpr int IDC_DO_SET_TIME = 1040;
constexpr int IDC_DO_FORMAT_SD1 = 1042;
constexpr int IDC_DO_FORMAT_SD2 = 1043;
constexpr int IDC_DO_FORMAT_USB = 1044;
constexpr int IDC_DO_RESTORE = 1045;
constexpr int IDC_DO_REBOOT = 1060;
constexpr int IDC_DO_OTHER_SETTINGS = 1046;
constexpr int IDC_START_ADDRESS = 1211;
constexpr int IDC_FORMAT_TIMEOUT_LABEL = 1061;
constexpr int IDC_FORMAT_TIMEOUT = 1038;
constexpr int IDC_OTHER_SETTINGS = 1073;
constexpr int IDC_RUN_BATCH = 1014;
constexpr int IDC_PREVIEW_CHECKED = 1054;

// Status line.
constexpr int IDC_GROUP_STATUS = 1071;
constexpr int IDC_ACTION_LABEL = 1072;
constexpr int IDC_ACTION = 1062;

}  // namespace ids
