#include "ui/report_ctrl.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <map>

#include "report_fixture.h"

namespace {

using testui::ReportFixture;

constexpr COLORREF kRed = RGB(220, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 230);

TEST_F(ReportFixture, InsertItemGivesTheRowABlockWithANullPointerAndDefaultColours) {
  EXPECT_EQ(AddRow({"a"}), 0);
  EXPECT_EQ(list.InsertItem(99, QStringLiteral("b")), 1);  // past the end: appended
  EXPECT_EQ(list.InsertItem(0, QStringLiteral("c")), 0);
  EXPECT_EQ(list.InsertItem(-1, QStringLiteral("d")), -1);
  EXPECT_EQ(Column(0), (QStringList{"c", "a", "b"}));
  for (int row = 0; row < 3; ++row) {
    const ui::RowControlBlock* block = list.GetItemData(row);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->rowPointer, nullptr);
    EXPECT_EQ(block->textColors, std::vector<COLORREF>(3, list.DefaultTextColor()));
    EXPECT_EQ(block->backColors, std::vector<COLORREF>(3, list.DefaultBkColor()));
    EXPECT_FALSE(list.GetCheck(row));
  }
  EXPECT_NE(list.GetItemData(0), list.GetItemData(1));
  EXPECT_EQ(list.GetItemData(3), nullptr);
  EXPECT_EQ(list.OwnedBlockCount(), 3u);
  // Storing the block is an item-data change of the new row.
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back().row, 0);
  EXPECT_EQ(changes.back().changed, ui::kChangedParam);

  CReportCtrl noColumns;
  EXPECT_EQ(noColumns.InsertItem(0, QStringLiteral("x")), -1);
}

TEST_F(ReportFixture, InsertColumnInsertsTheDefaultColoursAtItsIndexInEveryRow) {
  AddRow({"a", "b", "c"});
  AddRow({"d", "e", "f"});
  list.SetItemTextColor(0, 1, kRed);
  list.SetItemBkColor(1, 2, kBlue);

  EXPECT_EQ(list.InsertColumn(1, QStringLiteral("New"), ui::kAlignLeft, 50), 1);
  EXPECT_EQ(list.columnCount(), 4);
  EXPECT_EQ(list.GetItemText(0, 2), QStringLiteral("b"));
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(list.GetItemData(row)->textColors.size(), 4u);
    EXPECT_EQ(list.GetItemData(row)->backColors.size(), 4u);
    EXPECT_EQ(list.GetItemTextColor(row, 1), list.DefaultTextColor());
  }
  EXPECT_EQ(list.GetItemTextColor(0, 2), kRed);
  EXPECT_EQ(list.GetItemBkColor(1, 3), kBlue);
  EXPECT_EQ(list.InsertColumn(-1, QStringLiteral("Bad"), ui::kAlignLeft, 50), -1);
  EXPECT_TRUE(list.SetHeaderText(3, QStringLiteral("Renamed")));
  EXPECT_EQ(list.horizontalHeaderItem(3)->text(), QStringLiteral("Renamed"));
  EXPECT_FALSE(list.SetHeaderText(4, QStringLiteral("None")));
}

// Row and column are each valid or out of range; out of range stands for all of them.
TEST_F(ReportFixture, ColourSettingCoversACellARowAColumnOrEverything) {
  for (int i = 0; i < 3; ++i) AddRow({"x"});
  struct Case {
    int row, col;
    bool (*hit)(int row, int col);
  };
  const Case cases[] = {
      {1, 2, [](int r, int c) { return r == 1 && c == 2; }},
      {1, -1, [](int r, int) { return r == 1; }},
      {3, 0, [](int, int c) { return c == 0; }},
      {-1, 3, [](int, int) { return true; }},
  };
  using Setter = void (CReportCtrl::*)(int, int, COLORREF);
  using Getter = COLORREF (CReportCtrl::*)(int, int) const;
  const std::pair<Setter, Getter> accessors[] = {
      {&CReportCtrl::SetItemTextColor, &CReportCtrl::GetItemTextColor},
      {&CReportCtrl::SetItemBkColor, &CReportCtrl::GetItemBkColor}};
  for (const auto& [set, get] : accessors) {
    for (const Case& c : cases) {
      const COLORREF before = (list.*get)(0, 0) == kRed ? kBlue : kRed;
      (list.*set)(-1, -1, before);
      const COLORREF color = before == kRed ? kBlue : kRed;
      (list.*set)(c.row, c.col, color);
      for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) {
          EXPECT_EQ((list.*get)(r, col), c.hit(r, col) ? color : before)
              << "set (" << c.row << ", " << c.col << "), cell (" << r << ", " << col << ")";
        }
      }
    }
  }
}

TEST_F(ReportFixture, SortOrdersNumbersHexPercentagesAddressesAndDates) {
  AddRow({"10", "50%", "2026/12/7"});
  AddRow({"9", "7%", "2026/9/30"});
  AddRow({"A", "100%", "2025/1/1"});
  AddRow({"2", "12.5%", "12:30"});
  ASSERT_TRUE(list.SortItems(0, true));
  EXPECT_EQ(Column(0), (QStringList{"2", "9", "A", "10"}));
  ASSERT_TRUE(list.SortItems(1, true));
  EXPECT_EQ(Column(1), (QStringList{"7%", "12.5%", "50%", "100%"}));
  ASSERT_TRUE(list.SortItems(2, false));
  EXPECT_EQ(Column(2), (QStringList{"2026/12/7", "2026/9/30", "2025/1/1", "12:30"}));

  list.DeleteAllItems();
  for (const char* ip : {"192.168.1.64", "192.168.1.100", "192.168.1.9", "10.0.0.1"}) {
    AddRow({ip});
  }
  ASSERT_TRUE(list.SortItems(0, true));
  EXPECT_EQ(Column(0), (QStringList{"10.0.0.1", "192.168.1.100", "192.168.1.64", "192.168.1.9"}));
}

TEST_F(ReportFixture, SortDoesNothingWithoutAClickableHeaderColumn) {
  AddRow({"b"});
  AddRow({"a"});
  EXPECT_FALSE(list.SortItems(-1, true));
  EXPECT_FALSE(list.SortItems(3, true));
  list.horizontalHeader()->setSectionsClickable(false);
  EXPECT_FALSE(list.SortItems(0, true));
  list.horizontalHeader()->setSectionsClickable(true);
  list.horizontalHeader()->hide();
  EXPECT_FALSE(list.SortItems(0, true));
  EXPECT_EQ(Column(0), (QStringList{"b", "a"}));
  EXPECT_EQ(list.SortColumn(), -1);
}

struct Record {
  QString name;
  int rowIndex = -1;
};

TEST_F(ReportFixture, AfterASortEveryRowKeepsItsBlockStateTextsAndItemChangedSeesTheNewIndexes) {
  std::map<QString, Record> records;
  const QStringList names = {"e", "b", "d", "a", "c", "f"};
  for (const QString& name : names) {
    Record& record = records[name];
    record.name = name;
    const int row =
        AddRow({name, name + QStringLiteral("-value"), QString::number(list.GetItemCount())});
    record.rowIndex = row;
    list.GetItemData(row)->rowPointer = &record;
    list.SetItemTextColor(row, -1, RGB(row, 1, 2));
    list.SetItemBkColor(row, 1, RGB(3, row, 4));
    list.SetCheck(row, name == "b" || name == "c" || name == "f");
    list.item(row, 2)->setData(Qt::DecorationRole, row);
  }
  list.SetItemState(2, ui::kStateSelected, ui::kStateSelected);  // d
  list.SetItemState(4, ui::kStateSelected | ui::kStateFocused,
                    ui::kStateAll & ~ui::kStateImageMask);  // c
  int checked = CheckedDelta();
  ASSERT_EQ(checked, 3);

  // What the main window does with the notifications: row indexes and the checked count.
  changes.clear();
  list.onItemChanged = [&](const ui::ItemChange& change) {
    changes.push_back(change);
    Record* record = static_cast<Record*>(list.GetItemData(change.row)->rowPointer);
    if (record) record->rowIndex = change.row;
  };
  ASSERT_TRUE(list.SortItems(0, true));

  EXPECT_EQ(Column(0), (QStringList{"a", "b", "c", "d", "e", "f"}));
  EXPECT_EQ(checked + CheckedDelta(), 3);
  for (int row = 0; row < list.GetItemCount(); ++row) {
    const QString name = list.GetItemText(row, 0);
    const int oldRow = static_cast<int>(names.indexOf(name));
    const Record& record = records[name];
    EXPECT_EQ(list.GetItemData(row)->rowPointer, &record) << name.toStdString();
    EXPECT_EQ(record.rowIndex, row) << name.toStdString();
    EXPECT_EQ(list.GetItemText(row, 1), name + QStringLiteral("-value"));
    EXPECT_EQ(list.GetItemText(row, 2), QString::number(oldRow));
    EXPECT_EQ(list.item(row, 2)->data(Qt::DecorationRole).toInt(), oldRow);
    EXPECT_EQ(list.GetItemTextColor(row, 2), RGB(oldRow, 1, 2));
    EXPECT_EQ(list.GetItemBkColor(row, 1), RGB(3, oldRow, 4));
    EXPECT_EQ(list.GetCheck(row), name == "b" || name == "c" || name == "f");
    EXPECT_EQ(list.IsSelected(row), name == "d" || name == "c");
    EXPECT_EQ(list.HasFocus(row), name == "c");
  }
  // Every row's item data was stored again, under its new index.
  for (int row = 0; row < list.GetItemCount(); ++row) {
    EXPECT_TRUE(std::any_of(changes.begin(), changes.end(), [row](const ui::ItemChange& c) {
      return c.row == row && c.changed == ui::kChangedParam;
    })) << row;
  }
}

TEST_F(ReportFixture, SetCheckReportsTheStateImagesOnlyWhenTheMarkChanges) {
  AddRow({"a"});
  AddRow({"b"});
  changes.clear();
  list.SetCheck(1, true);
  list.SetCheck(1, true);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].row, 1);
  EXPECT_EQ(changes[0].changed, ui::kChangedState);
  EXPECT_EQ(ui::StateImage(changes[0].oldState), ui::kStateImageUnchecked);
  EXPECT_EQ(ui::StateImage(changes[0].newState), ui::kStateImageChecked);
  EXPECT_EQ(list.GetItemState(1, ui::kStateImageMask),
            ui::IndexToStateImageMask(ui::kStateImageChecked));

  changes.clear();
  list.SetItemState(-1, ui::IndexToStateImageMask(ui::kStateImageChecked), ui::kStateImageMask);
  EXPECT_TRUE(list.GetCheck(0));
  EXPECT_EQ(CheckedDelta(), 1);
  list.SetCheck(1, false);
  EXPECT_EQ(CheckedDelta(), 0);

  changes.clear();
  ui::RowControlBlock* block = list.GetItemData(0);
  EXPECT_TRUE(list.SetItemData(0, block));
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].changed, ui::kChangedParam);
  EXPECT_FALSE(list.SetItemData(2, block));
}

TEST_F(ReportFixture, DeleteAllFreesEveryBlockAndLaterRowsStartWithDefaults) {
  for (int i = 0; i < 5; ++i) AddRow({QString::number(i)});
  list.SetItemTextColor(-1, -1, kRed);
  list.SetCheck(0, true);
  // A row that was given a block from elsewhere: the list's own block for it is freed all the
  // same, the caller's one is left alone.
  ui::RowControlBlock foreign;
  list.SetItemData(3, &foreign);
  ASSERT_EQ(list.OwnedBlockCount(), 5u);
  changes.clear();

  EXPECT_EQ(list.DeleteAllItems(), 5);
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.OwnedBlockCount(), 0u);
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(list.DeleteAllItems(), 0);

  EXPECT_EQ(AddRow({"new"}), 0);
  EXPECT_EQ(list.GetItemTextColor(0, 1), list.DefaultTextColor());
  EXPECT_FALSE(list.GetCheck(0));
  EXPECT_EQ(list.OwnedBlockCount(), 1u);
}

TEST_F(ReportFixture, DeleteItemFreesThatRowsBlock) {
  for (int i = 0; i < 3; ++i) AddRow({QString::number(i)});
  ui::RowControlBlock* last = list.GetItemData(2);
  EXPECT_TRUE(list.DeleteItem(1));
  EXPECT_FALSE(list.DeleteItem(2));
  EXPECT_EQ(list.OwnedBlockCount(), 2u);
  EXPECT_EQ(list.GetItemData(1), last);
  EXPECT_EQ(Column(0), (QStringList{"0", "2"}));
}

}  // namespace
