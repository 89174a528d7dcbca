// Which main-window control or list column takes which pair when the language changes, in the
// order the window re-titles them. Controls missing here keep their caption in both languages.
#pragma once

#include <array>

#include "text/text_id.h"

namespace texts {

enum class RetitleTarget { kControl, kColumn };

struct RetitleEntry {
  RetitleTarget target;
  int id;  // control ID for kControl, column index for kColumn
  TextId text;
};

inline constexpr std::array<RetitleEntry, 32> kRetitleTable = {{
    {RetitleTarget::kControl, 1036, kTextSelectAll},
    {RetitleTarget::kControl, 1037, kTextInvertSelection},
    {RetitleTarget::kControl, 1016, kTextTotal},
    {RetitleTarget::kControl, 1018, kTextChecked},
    {RetitleTarget::kControl, 1065, kTextDeviceCount},
    {RetitleTarget::kControl, 1066, kTextSuccess},
    {RetitleTarget::kControl, 1067, kTextFailed},
    {RetitleTarget::kColumn, 0, kTextColumnIpAddress},
    {RetitleTarget::kColumn, 1, kTextColumnMacAddress},
    {RetitleTarget::kColumn, 2, kTextColumnSerial},
    {RetitleTarget::kColumn, 3, kTextColumnDeviceType},
    {RetitleTarget::kColumn, 4, kTextColumnVersionBefore},
    {RetitleTarget::kColumn, 5, kTextColumnVersionAfter},
    {RetitleTarget::kColumn, 6, kTextColumnStatus},
    {RetitleTarget::kControl, 1068, kTextDeviceInfo},
    {RetitleTarget::kControl, 1069, kTextFirmwareUpgrade},
    {RetitleTarget::kControl, 1007, kTextUpgradeFile},
    {RetitleTarget::kControl, 1006, kTextBrowse},
    {RetitleTarget::kControl, 1070, kTextSelectAction},
    {RetitleTarget::kControl, 1059, kTextSearch},
    {RetitleTarget::kControl, 1039, kTextModifyIp},
    {RetitleTarget::kControl, 1041, kTextUpgrade},
    {RetitleTarget::kControl, 1040, kTextSetTime},
    {RetitleTarget::kControl, 1061, kTextFormatTimeout},
    {RetitleTarget::kControl, 1042, kTextFormatSd1},
    {RetitleTarget::kControl, 1043, kTextFormatSd2},
    {RetitleTarget::kControl, 1044, kTextFormatUsb},
    {RetitleTarget::kControl, 1045, kTextFactorySet},
    {RetitleTarget::kControl, 1060, kTextReboot},
    {RetitleTarget::kControl, 1014, kTextEnter},
    {RetitleTarget::kControl, 1071, kTextUpgradeInformation},
    {RetitleTarget::kControl, 1072, kTextCurrentAction},
}};

}  // namespace texts
