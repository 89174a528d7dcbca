// The list on screen (offscreen platform): mouse, keyboard, header clicks and drawing.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QTest>

#include "report_fixture.h"
#include "ui/color_ref.h"
#include "ui/report_ctrl.h"

namespace {

class ReportOnScreen : public testui::ReportFixture {
 protected:
  void SetUp() override {
    ReportFixture::SetUp();
    for (const char* name : {"c", "a", "d", "b"}) AddRow({name, QStringLiteral("value")});
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    changes.clear();
  }

  // The middle of row's check box, found by the list's own hit test.
  QPoint CheckBoxPoint(int row) const {
    const QRect cell = list.visualItemRect(list.item(row, 0));
    int first = -1;
    int last = -1;
    for (int x = cell.left(); x <= cell.right(); ++x) {
      unsigned flags = 0;
      if (list.HitTest(QPoint(x, cell.center().y()), &flags) == row &&
          flags == ui::kHitOnStateIcon) {
        if (first < 0) first = x;
        last = x;
      }
    }
    EXPECT_GE(first, 0) << "no check box in row " << row;
    return QPoint((first + last) / 2, cell.center().y());
  }

  QPoint LabelPoint(int row, int col = 1) const {
    return list.visualItemRect(list.item(row, col)).center();
  }

  void Click(const QPoint& pos, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list.viewport(), button, modifiers, pos);
  }

  // Through the window, as the platform delivers it: press, release, double click, release.
  void DoubleClick(const QPoint& pos) {
    QTest::mouseDClick(list.windowHandle(), Qt::LeftButton, {}, list.viewport()->mapTo(&list, pos));
  }

  void ClickHeader(int col) {
    QHeaderView* header = list.horizontalHeader();
    const QPoint pos(header->sectionViewportPosition(col) + header->sectionSize(col) / 2,
                     header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, pos);
  }

  std::vector<int> SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < list.GetItemCount(); ++row) {
      if (list.IsSelected(row)) rows.push_back(row);
    }
    return rows;
  }
};

TEST_F(ReportOnScreen, HitTestTellsTheCheckBoxFromTheLabelAndFromNowhere) {
  unsigned flags = 0;
  EXPECT_EQ(list.HitTest(CheckBoxPoint(2), &flags), 2);
  EXPECT_EQ(flags, ui::kHitOnStateIcon);
  EXPECT_EQ(list.HitTest(LabelPoint(2, 0), &flags), 2);
  EXPECT_EQ(flags, ui::kHitOnLabel);
  EXPECT_EQ(list.HitTest(LabelPoint(1, 2), &flags), 1);
  EXPECT_EQ(flags, ui::kHitOnLabel);
  EXPECT_EQ(list.HitTest(QPoint(5, list.viewport()->height() - 2), &flags), -1);
  EXPECT_EQ(flags, ui::kHitNowhere);
}

TEST_F(ReportOnScreen, ClickingACheckBoxTogglesItAndLeavesThatRowTheOnlySelectedOne) {
  list.SetItemState(0, ui::kStateSelected, ui::kStateSelected);
  list.SetItemState(2, ui::kStateSelected | ui::kStateFocused,
                    ui::kStateSelected | ui::kStateFocused);
  changes.clear();

  Click(CheckBoxPoint(1));
  EXPECT_TRUE(list.GetCheck(1));
  EXPECT_EQ(SelectedRows(), std::vector<int>{1});
  EXPECT_TRUE(list.HasFocus(1));
  EXPECT_EQ(CheckedDelta(), 1);

  // With Ctrl held, too, and when unchecking.
  list.SetItemState(3, ui::kStateSelected, ui::kStateSelected);
  Click(CheckBoxPoint(1), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(list.GetCheck(1));
  EXPECT_EQ(SelectedRows(), std::vector<int>{1});
  EXPECT_EQ(CheckedDelta(), 0);
}

TEST_F(ReportOnScreen, ClickNotificationReturningOneKeepsTheMarkWhileLabelClicksStillSelect) {
  std::vector<QPoint> clicks;
  // The main window's guard while a batch runs.
  list.onClick = [&](const QPoint& pos) {
    clicks.push_back(pos);
    unsigned flags = 0;
    list.HitTest(pos, &flags);
    return flags == ui::kHitOnStateIcon ? 1 : 0;
  };
  const QPoint box = CheckBoxPoint(1);
  Click(box);
  EXPECT_FALSE(list.GetCheck(1));
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], box);

  Click(LabelPoint(2));
  EXPECT_EQ(SelectedRows(), std::vector<int>{2});
  EXPECT_TRUE(list.HasFocus(2));
  EXPECT_EQ(clicks.size(), 2u);
  EXPECT_EQ(CheckedDelta(), 0);
}

TEST_F(ReportOnScreen, LabelAndRightClicksNeverToggle) {
  Click(LabelPoint(3, 0));
  Click(CheckBoxPoint(0), Qt::RightButton);
  for (int row = 0; row < list.GetItemCount(); ++row) EXPECT_FALSE(list.GetCheck(row));
  EXPECT_EQ(CheckedDelta(), 0);
}

TEST_F(ReportOnScreen, DoubleClickOnACheckBoxTogglesAgainUnlessItsNotificationSaysNo) {
  std::vector<int> rows;
  int answer = 1;
  list.onDoubleClick = [&](int row, const QPoint&) {
    rows.push_back(row);
    return answer;
  };
  DoubleClick(CheckBoxPoint(2));
  EXPECT_EQ(rows, std::vector<int>{2});
  EXPECT_TRUE(list.GetCheck(2));  // the press toggled it, the double click did not

  answer = 0;
  DoubleClick(CheckBoxPoint(2));
  EXPECT_TRUE(list.GetCheck(2));  // toggled by the press and back by the double click
  EXPECT_EQ(CheckedDelta(), 1);
}

TEST_F(ReportOnScreen, SpaceDoesNotToggleACheckBoxOrTheSelection) {
  Click(LabelPoint(1));
  list.setFocus();
  changes.clear();
  for (Qt::KeyboardModifiers modifiers :
       {Qt::KeyboardModifiers{}, Qt::KeyboardModifiers{Qt::ControlModifier}}) {
    QTest::keyClick(&list, Qt::Key_Space, modifiers);
  }
  EXPECT_FALSE(list.GetCheck(1));
  EXPECT_EQ(SelectedRows(), std::vector<int>{1});
  EXPECT_TRUE(changes.empty());
  // Other keys still work.
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_TRUE(list.HasFocus(2));
}

TEST_F(ReportOnScreen, HeaderClicksSortAscendingThenDescendingAndAscendingAgainAfterAChange) {
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"c", "a", "d", "b"}));  // not sortable yet
  EXPECT_EQ(list.SortColumn(), -1);

  list.SetSortable(true);
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(list.SortColumn(), 0);
  EXPECT_TRUE(list.SortAscending());
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"d", "c", "b", "a"}));
  EXPECT_FALSE(list.SortAscending());
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"a", "b", "c", "d"}));
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"d", "c", "b", "a"}));

  list.SetItemText(0, 1, QStringLiteral("changed"));
  EXPECT_EQ(list.SortColumn(), -1);
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"a", "b", "c", "d"}));
  ClickHeader(0);
  list.InsertItem(4, QStringLiteral("e"));
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"a", "b", "c", "d", "e"}));

  // Another column starts ascending as well.
  list.SetItemText(0, 2, QStringLiteral("2"));
  list.SetItemText(1, 2, QStringLiteral("1"));
  ClickHeader(0);  // descending on column 0
  ClickHeader(2);
  EXPECT_EQ(list.SortColumn(), 2);
  EXPECT_TRUE(list.SortAscending());

  list.SetSortable(false);
  ClickHeader(0);
  EXPECT_EQ(list.SortColumn(), 2);
}

bool Near(QRgb pixel, COLORREF color) {
  return std::abs(qRed(pixel) - GetRValue(color)) < 8 &&
         std::abs(qGreen(pixel) - GetGValue(color)) < 8 &&
         std::abs(qBlue(pixel) - GetBValue(color)) < 8;
}

TEST_F(ReportOnScreen, CellsAreDrawnInTheirOwnColours) {
  constexpr COLORREF kGreen = RGB(10, 200, 30);
  constexpr COLORREF kBlue = RGB(0, 0, 255);
  constexpr COLORREF kYellow = RGB(250, 240, 120);
  list.SetItemBkColor(1, 2, kGreen);  // an empty cell: all background
  list.SetItemText(3, 1, QStringLiteral("MMMMMMMM"));
  list.SetItemTextColor(3, 1, kBlue);
  list.SetItemBkColor(3, 1, kYellow);

  const QImage image = list.viewport()->grab().toImage();
  EXPECT_TRUE(Near(image.pixel(list.visualItemRect(list.item(1, 2)).center()), kGreen));
  EXPECT_FALSE(Near(image.pixel(list.visualItemRect(list.item(1, 1)).center()), kGreen));

  const QRect cell = list.visualItemRect(list.item(3, 1));
  int textPixels = 0;
  int backgroundPixels = 0;
  for (int y = cell.top(); y <= cell.bottom(); ++y) {
    for (int x = cell.left(); x <= cell.right(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      textPixels += Near(pixel, kBlue);
      backgroundPixels += Near(pixel, kYellow);
    }
  }
  EXPECT_GT(textPixels, 10);
  EXPECT_GT(backgroundPixels, cell.width() * cell.height() / 2);
}

}  // namespace
