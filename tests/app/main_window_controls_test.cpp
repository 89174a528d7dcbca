// What the window takes from its one control table: the re-titled controls and columns, the
// instruction check boxes with their flags, and the controls a run disables.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/main_window_controls.h"
#include "app/main_window_view.h"
#include "batch/instruction_table.h"
#include "support/app_fixture.h"
#include "text/text.h"
#include "ui/report_ctrl.h"

namespace {

using app::MainWindowControl;

using Controls = testsupport::AppFixture;

QString Heading(CRavendockDlg& window, int column) {
  return window.DeviceList().horizontalHeaderItem(column)->text();
}

TEST_F(Controls, TheWindowRetitlesAndKeepsFlagsOfExactlyItsTableControls) {
  // Switching to English changes exactly these controls (column + 10000 for a heading), each to
  // the English text of its pair; every other caption and heading stays.
  const std::map<int, int> retitled = {
      {1036, 0},  {1037, 1},  {1016, 2},  {1018, 3},   {1065, 4},   {1066, 5},   {1067, 6},
      {10000, 7}, {10001, 8}, {10002, 9}, {10003, 10}, {10004, 11}, {10005, 12}, {10006, 13},
      {1068, 14}, {1069, 15}, {1007, 16}, {1006, 17},  {1070, 18},  {1059, 19},  {1039, 20},
      {1041, 21}, {1040, 22}, {1061, 23}, {1042, 24},  {1043, 25},  {1044, 26},  {1045, 27},
      {1060, 28}, {1014, 29}, {1071, 30}, {1072, 31}};
  std::map<int, QString> before;
  for (const MainWindowControl& control : app::kMainWindowControls)
    before[control.id] = window().GetDlgItemText(control.id);
  for (int column = 0; column < discovery::kColumnCount; ++column)
    before[10000 + column] = Heading(window(), column);
  window().SetLanguage(texts::kLanguageEnglish);
  for (const auto& [id, shownBefore] : before) {
    const QString shown = id >= 10000 ? Heading(window(), id - 10000) : window().GetDlgItemText(id);
    const auto pair = retitled.find(id);
    if (pair == retitled.end()) {
      EXPECT_EQ(shown, shownBefore) << id;
    } else {
      EXPECT_EQ(shown,
                texts::Text(static_cast<texts::TextId>(pair->second), texts::kLanguageEnglish))
          << id;
      EXPECT_NE(shown, shownBefore) << id;
    }
  }

  const int boxes[] = {1059, 1039, 1215, 1216, 1041, 1040, 1042, 1043, 1044, 1045, 1060, 1046};
  for (int row = 0; row < batch::kInstructionCount; ++row)
    EXPECT_EQ(app::InstructionCheckBox(row), boxes[row]) << "row " << row;

  // Flags: the offset each box keeps its mark at; none for the all-network boxes and the rest.
  const std::pair<int, int> flags[] = {{1059, 60},  {1039, 64},  {1041, 840}, {1040, 844},
                                       {1042, 852}, {1043, 856}, {1044, 860}, {1045, 864},
                                       {1060, 868}, {1046, 872}};
  for (const auto& [box, offset] : flags) {
    ASSERT_TRUE(app::FlagOfCheckBox(box).has_value()) << box;
    EXPECT_EQ(app::FlagOfCheckBox(box)->offset, offset) << box;
    EXPECT_EQ(app::CheckBoxOfFlag(config::Int32Field{offset}), box);
  }
  for (int box : {1215, 1216, 1014, 1003, 0}) EXPECT_FALSE(app::FlagOfCheckBox(box)) << box;
  EXPECT_FALSE(app::CheckBoxOfFlag(config::kEthernetGroupFlag));
}

using RunControls = testsupport::AppFixture;

TEST_F(RunControls, ARunDisablesExactlyItsControlsAndTheSortAndItsEndEnablesThemAgain) {
  const std::set<int> disabled = {1022, 1002, 1005, 1006, 1020, 1030, 1031, 1032, 1033, 1034, 1035,
                                  1036, 1037, 1038, 1029, 1014, 1039, 1040, 1042, 1043, 1044, 1054,
                                  1059, 1041, 1045, 1060, 1061, 1046, 1073, 1211, 1216, 1215};
  ASSERT_EQ(disabled.size(), 32u);
  app::MainWindowView view(window(), window().DeviceList());
  view.EnableRunControls(false);
  for (const MainWindowControl& control : app::kMainWindowControls)
    EXPECT_EQ(window().IsDlgItemEnabled(control.id), disabled.count(control.id) == 0) << control.id;
  EXPECT_FALSE(window().DeviceList().IsSortable());

  view.EnableRunControls(true);
  for (const MainWindowControl& control : app::kMainWindowControls)
    EXPECT_TRUE(window().IsDlgItemEnabled(control.id)) << control.id;
  EXPECT_TRUE(window().DeviceList().IsSortable());
}

}  // namespace
