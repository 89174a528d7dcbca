#include "config/instruction_flags.h"

namespace config {
namespace {

constexpr int kFactoryRestoreBox = 1045;
constexpr int kRebootBox = 1060;
constexpr int kOtherSettingsBox = 1046;

}  // namespace

std::optional<Int32Field> InstructionFlagField(int checkBoxId) {
  for (const InstructionFlag& flag : kInstructionFlags) {
    if (flag.checkBoxId == checkBoxId) return flag.field;
  }
  return std::nullopt;
}

std::vector<int> RecordInstructionCheck(ConfigSet& set, int checkBoxId, bool checked) {
  const std::optional<Int32Field> field = InstructionFlagField(checkBoxId);
  if (!field) return {};
  set.Set(*field, checked ? 1 : 0);
  if (!checked) return {};

  std::vector<int> cleared;
  if (checkBoxId == kOtherSettingsBox) {
    cleared = {kFactoryRestoreBox, kRebootBox};
  } else if (checkBoxId == kFactoryRestoreBox || checkBoxId == kRebootBox) {
    cleared = {kOtherSettingsBox};
  }
  for (int box : cleared) set.Set(*InstructionFlagField(box), 0);
  return cleared;
}

}  // namespace config
