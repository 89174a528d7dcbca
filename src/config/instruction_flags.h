// The main window's batch choices as kept in the configuration set: one flag per instruction check
// box (the window knows which box keeps which flag) and the selections of the two combos. The run
// itself reads the check boxes; the flags only carry the choices across program starts.
#pragma once

#include <array>
#include <vector>

#include "config/config_fields.h"
#include "config/config_set.h"

namespace config {

inline constexpr int kDeviceCountCombo = 1020;    // index kept in kDeviceCountIndex
inline constexpr int kFormatTimeoutCombo = 1038;  // index kept in kFormatTimeoutIndex

// The first start, or one after a refused config.dat: combo 1020 at "24", combo 1038 at "5", and
// these six instructions checked (search, IP re-addressing, upgrade, time, factory restore,
// reboot). The groups stay zero, so nothing is pushed until a page enables it.
inline constexpr int kDefaultDeviceCountIndex = 23;
inline constexpr int kDefaultFormatTimeoutIndex = 4;
inline constexpr std::array<Int32Field, 6> kDefaultCheckedFlags = {
    kSearchFlag, kModifyIpFlag, kUpgradeFlag, kSetTimeFlag, kFactoryRestoreFlag, kRebootFlag};

// Records a click on an instruction check box: its flag becomes 0 or 1. The configuration push
// (kOtherSettingsFlag) cannot share a run with a factory restore or a reboot: checking one side
// clears the other side's flags. Returns the flags cleared, whose boxes the window must now
// uncheck; the caller stores the file afterwards.
std::vector<Int32Field> RecordInstructionCheck(ConfigSet& set, Int32Field flag, bool checked);

}  // namespace config
