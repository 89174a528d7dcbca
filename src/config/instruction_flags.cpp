#include "config/instruction_flags.h"

namespace config {

std::vector<Int32Field> RecordInstructionCheck(ConfigSet& set, Int32Field flag, bool checked) {
  set.Set(flag, checked ? 1 : 0);
  if (!checked) return {};

  std::vector<Int32Field> cleared;
  if (flag == kOtherSettingsFlag) {
    cleared = {kFactoryRestoreFlag, kRebootFlag};
  } else if (flag == kFactoryRestoreFlag || flag == kRebootFlag) {
    cleared = {kOtherSettingsFlag};
  }
  for (Int32Field other : cleared) set.Set(other, 0);
  return cleared;
}

}  // namespace config
