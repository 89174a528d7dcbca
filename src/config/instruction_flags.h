// The main window's batch choices as kept in the configuration set: one flag per instruction check
// box and the selections of the two combos. The run itself reads the check boxes; the flags only
// carry the choices across program starts.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "config/config_fields.h"
#include "config/config_set.h"

namespace config {

struct InstructionFlag {
  int checkBoxId;
  Int32Field field;
};

// In the order the main window restores them after a load. Check boxes 1215 and 1216 have no flag.
inline constexpr std::array<InstructionFlag, 10> kInstructionFlags = {{
    {1059, kSearchFlag},
    {1039, kModifyIpFlag},
    {1041, kUpgradeFlag},
    {1040, kSetTimeFlag},
    {1042, kFormatSd1Flag},
    {1043, kFormatSd2Flag},
    {1044, kFormatUsbFlag},
    {1045, kFactoryRestoreFlag},
    {1046, kOtherSettingsFlag},
    {1060, kRebootFlag},
}};

inline constexpr int kDeviceCountCombo = 1020;    // index kept in kDeviceCountIndex
inline constexpr int kFormatTimeoutCombo = 1038;  // index kept in kFormatTimeoutIndex

// The first start, or one after a refused config.dat: combo 1020 at "24", combo 1038 at "5", and
// these six boxes checked. The groups stay zero, so nothing is pushed until a page enables it.
inline constexpr int kDefaultDeviceCountIndex = 23;
inline constexpr int kDefaultFormatTimeoutIndex = 4;
inline constexpr std::array<int, 6> kDefaultCheckedBoxes = {1059, 1039, 1041, 1040, 1045, 1060};

// The flag of an instruction check box, or nothing for a box that has none.
std::optional<Int32Field> InstructionFlagField(int checkBoxId);

// Records a click on an instruction check box: its flag becomes 0 or 1. "其它设置" (1046) runs the
// configuration push, which cannot share a run with a factory restore (1045) or a reboot (1060):
// checking one side clears the other side's flags. Returns the IDs of the boxes the window must
// now uncheck; the caller stores the file afterwards.
std::vector<int> RecordInstructionCheck(ConfigSet& set, int checkBoxId, bool checked);

}  // namespace config
