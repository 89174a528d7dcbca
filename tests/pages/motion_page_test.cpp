// The motion page and its block grid: the cell geometry, what the grid paints, presses inside
// cells, on outlines and in gaps, a new grid size keeping the flags by cell number, the schedule
// boxes where "每天" and the single days exclude each other, the start-up load, and Escape.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QTest>

#include "config/pages/warning_block.h"
#include "config/pages/warning_motion_dlg.h"
#include "pages_fixture.h"
#include "platform/date_time_ctrl.h"

namespace pagetest {
namespace {

constexpr int kFlags = 11160;
constexpr int kDays = 11260;
constexpr int kDaySize = 28;

// Schedule check boxes by entry, Monday first, then every day.
constexpr int kDayBoxes[8] = {1061, 1064, 1065, 1066, 1067, 1068, 1069, 1196};

class MotionPage : public PagesTest {
 protected:
  config::WarningBlock* Grid() {
    auto* page = dynamic_cast<config::CWarningMotionDlg*>(&PageOf(144));
    EXPECT_NE(page, nullptr);
    return page->Block();
  }
  void ChooseGrid(const char* name) {
    Control<QComboBox>(144, 1023)->setCurrentText(QString::fromUtf8(name));
  }
  // Sent directly: QTest would take the point (0, 0) for the middle of the window.
  void Press(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF point(x, y);
    QMouseEvent press(QEvent::MouseButtonPress, point, Grid()->mapToGlobal(point), button, button,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(Grid(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, Grid()->mapToGlobal(point), button,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Grid(), &release);
  }
  QColor Pixel(int x, int y) { return Grid()->grab().toImage().pixelColor(x, y); }
  static std::int32_t DayEnabled(int entry) { return SetInt(kDays + entry * kDaySize); }
  bool Ticked(int entry) { return Control<QCheckBox>(144, kDayBoxes[entry])->isChecked(); }
};

void ExpectCell(const config::WarningBlock& grid, int cell, int left, int top, int right,
                int bottom) {
  const config::WarningBlock::Cell rect = grid.CellRect(cell);
  EXPECT_EQ(rect.left, left) << cell;
  EXPECT_EQ(rect.top, top) << cell;
  EXPECT_EQ(rect.right, right) << cell;
  EXPECT_EQ(rect.bottom, bottom) << cell;
}

TEST_F(MotionPage, GridSitsAt370By50AndItsCellsFollowTheGridSize) {
  config::WarningBlock* grid = Grid();
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->geometry(), QRect(370, 50, 250, 220));
  // No settings file: the grid shows the size its list shows.
  EXPECT_EQ(Control<QComboBox>(144, 1023)->currentText(), QStringLiteral("3X3"));
  EXPECT_EQ(grid->CellCount(), 9);
  EXPECT_EQ(SetInt(11156), 2);

  ChooseGrid("4X4");
  EXPECT_EQ(SetInt(11156), 0);
  EXPECT_EQ(grid->CellCount(), 16);
  ExpectCell(*grid, 0, 1, 1, 61, 54);
  ExpectCell(*grid, 5, 63, 56, 123, 109);
  ExpectCell(*grid, 15, 188, 166, 248, 219);
  ExpectCell(*grid, 16, 0, 0, 0, 0);
  ChooseGrid("3X2");
  EXPECT_EQ(SetInt(11156), 3);
  EXPECT_EQ(grid->CellCount(), 6);
  ExpectCell(*grid, 4, 84, 111, 165, 219);
  ExpectCell(*grid, 6, 0, 0, 0, 0);  // cells of the larger grid are cleared
  ChooseGrid("1X1");
  EXPECT_EQ(grid->CellCount(), 1);
  ExpectCell(*grid, 0, 1, 1, 249, 219);

  // A position that names no grid draws 3 x 3.
  grid->SetBlockIndex(20);
  EXPECT_EQ(grid->CellCount(), 9);
  ExpectCell(*grid, 8, 167, 147, 248, 218);
  grid->SetBlockIndex(-1);
  EXPECT_EQ(grid->CellCount(), 9);
}

TEST_F(MotionPage, PressesInsideACellToggleItAndItsByteOutlinesAndGapsDoNothing) {
  ChooseGrid("4X4");
  Press(30, 30);
  EXPECT_EQ(Grid()->Flag(0), 1);
  EXPECT_EQ(SetBytes(kFlags, 2), std::string("\x01\x00", 2));
  // Black behind, red outlines, green inside the marked cell; the unmarked cell stays black.
  EXPECT_EQ(Pixel(30, 30), QColor(0, 255, 0));
  EXPECT_EQ(Pixel(61, 30), QColor(255, 0, 0));
  EXPECT_EQ(Pixel(62, 30), QColor(0, 0, 0));
  EXPECT_EQ(Pixel(93, 30), QColor(0, 0, 0));
  EXPECT_EQ(Pixel(63, 30), QColor(255, 0, 0));

  // On every edge of cells 0 and 1, in the gap between them, beyond the right edge of the cells.
  for (const QPoint point : {QPoint(1, 30), QPoint(61, 30), QPoint(30, 1), QPoint(30, 54),
                             QPoint(62, 30), QPoint(63, 30), QPoint(249, 100)})
    Press(point.x(), point.y());
  EXPECT_EQ(SetBytes(kFlags, 64), std::string("\x01", 1) + std::string(63, '\0'));

  Press(30, 30);
  EXPECT_EQ(Grid()->Flag(0), 0);
  EXPECT_EQ(SetBytes(kFlags, 64), std::string(64, '\0'));
  EXPECT_EQ(Pixel(30, 30), QColor(0, 0, 0));

  // The right button marks nothing.
  Press(30, 30, Qt::RightButton);
  EXPECT_EQ(Grid()->Flag(0), 0);

  ChooseGrid("1X1");
  Press(0, 0);
  EXPECT_EQ(SetBytes(kFlags, 64), std::string(64, '\0'));
  Press(248, 218);
  EXPECT_EQ(Grid()->Flag(0), 1);
}

TEST_F(MotionPage, ANewGridSizeKeepsTheFlagsByCellNumber) {
  ChooseGrid("4X4");
  Press(93, 82);  // cell 5: second row, second column
  EXPECT_EQ(SetBytes(kFlags + 5, 1), std::string("\x01", 1));
  ChooseGrid("3X3");
  EXPECT_EQ(SetInt(11156), 2);
  EXPECT_EQ(Grid()->Flag(5), 1);
  // Cell 5 is now the last cell of the second row.
  ExpectCell(*Grid(), 5, 167, 74, 248, 145);
  EXPECT_EQ(Pixel(207, 110), QColor(0, 255, 0));
  EXPECT_EQ(Pixel(93, 82), QColor(0, 0, 0));

  // A flag beyond the new count stays stored and comes back with the larger grid.
  ChooseGrid("4X4");
  Press(217, 192);  // cell 15
  ChooseGrid("2X2");
  EXPECT_EQ(SetBytes(kFlags + 15, 1), std::string("\x01", 1));
  ChooseGrid("4X4");
  EXPECT_EQ(Grid()->Flag(15), 1);
  EXPECT_EQ(Pixel(217, 192), QColor(0, 255, 0));
}

TEST_F(MotionPage, EveryDayAndTheSingleDaysExcludeEachOther) {
  Control<QCheckBox>(144, kDayBoxes[0])->click();  // Monday
  Control<QCheckBox>(144, kDayBoxes[2])->click();  // Wednesday
  EXPECT_EQ(DayEnabled(0), 1);
  EXPECT_EQ(DayEnabled(2), 1);
  for (int entry : {1, 3, 4, 5, 6, 7}) EXPECT_EQ(DayEnabled(entry), 0) << entry;

  Control<QCheckBox>(144, kDayBoxes[7])->click();  // every day
  EXPECT_TRUE(Ticked(7));
  EXPECT_EQ(DayEnabled(7), 1);
  for (int entry = 0; entry < 7; ++entry) {
    EXPECT_FALSE(Ticked(entry)) << entry;
    EXPECT_EQ(DayEnabled(entry), 0) << entry;
  }

  Control<QCheckBox>(144, kDayBoxes[2])->click();
  EXPECT_FALSE(Ticked(7));
  EXPECT_EQ(DayEnabled(7), 0);
  EXPECT_TRUE(Ticked(2));
  EXPECT_EQ(DayEnabled(2), 1);
  EXPECT_EQ(DayEnabled(0), 0);

  // Clearing a day box touches nothing else.
  Control<QCheckBox>(144, kDayBoxes[6])->click();
  Control<QCheckBox>(144, kDayBoxes[2])->click();
  EXPECT_EQ(DayEnabled(2), 0);
  EXPECT_EQ(DayEnabled(6), 1);
  EXPECT_TRUE(Ticked(6));
  // Clearing "每天" clears no day.
  Control<QCheckBox>(144, kDayBoxes[7])->click();
  Control<QCheckBox>(144, kDayBoxes[7])->click();
  EXPECT_EQ(DayEnabled(7), 0);
  EXPECT_FALSE(Ticked(6));
}

TEST_F(MotionPage, LoadShowsTheStoredGridFlagsTimesAndSchedule) {
  QByteArray bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 12324);
  auto put = [&bytes](int offset, std::int32_t value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
  };
  put(11140, 1);
  put(11156, 1);  // "4X3"
  bytes[kFlags + 5] = 1;
  bytes[kFlags + 63] = 1;
  put(11228, 22);  // night start 22:15:00
  put(11232, 15);
  put(11148, 500);
  put(kDays + 6 * kDaySize, 1);  // Sunday, 08:00:00 to 18:30:00
  put(kDays + 6 * kDaySize + 4, 8);
  put(kDays + 6 * kDaySize + 16, 18);
  put(kDays + 6 * kDaySize + 20, 30);
  WriteFileBytes(bytes);
  OpenWindow();
  Settle();

  EXPECT_TRUE(Control<QCheckBox>(144, 1191)->isChecked());
  EXPECT_EQ(Control<QComboBox>(144, 1023)->currentText(), QStringLiteral("4X3"));
  EXPECT_EQ(Grid()->CellCount(), 12);
  ExpectCell(*Grid(), 5, 63, 74, 123, 145);
  EXPECT_EQ(Grid()->Flag(5), 1);
  EXPECT_EQ(Grid()->Flag(63), 1);
  EXPECT_EQ(Grid()->Flag(4), 0);
  EXPECT_EQ(Pixel(93, 110), QColor(0, 255, 0));
  EXPECT_EQ(Control<QLineEdit>(144, 1193)->text(), QStringLiteral("500"));
  EXPECT_EQ(Control<platform::DateTimeCtrl>(144, 1194)->time(), QTime(22, 15, 0));
  EXPECT_TRUE(Ticked(6));
  EXPECT_FALSE(Ticked(7));
  EXPECT_EQ(Control<platform::DateTimeCtrl>(144, 1118)->time(), QTime(8, 0, 0));
  EXPECT_EQ(Control<platform::DateTimeCtrl>(144, 1119)->time(), QTime(18, 30, 0));
  // The grid and the set stay together after the load.
  Press(93, 110);
  EXPECT_EQ(SetBytes(kFlags + 5, 1), std::string(1, '\0'));
  EXPECT_EQ(SetBytes(kFlags + 63, 1), std::string("\x01", 1));
}

TEST_F(MotionPage, EscapeOnAPickerOrTheGridClosesNothing) {
  window().show();
  OtherSet().ShowWindow();
  Tree()->setCurrentItem(Node(QStringLiteral("移动侦测")));
  Settle();
  ASSERT_TRUE(PageOf(144).isVisible());
  QTest::keyClick(Control<platform::DateTimeCtrl>(144, 1104), Qt::Key_Escape);
  QTest::keyClick(Grid(), Qt::Key_Escape);
  QTest::keyClick(&PageOf(144), Qt::Key_Escape);
  Settle();
  EXPECT_TRUE(OtherSet().isVisible());
  EXPECT_TRUE(PageOf(144).isVisible());
  EXPECT_TRUE(dialogs().shown().empty());
}

}  // namespace
}  // namespace pagetest
