#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "platform/ip_address_ctrl.h"

namespace {

using platform::IpAddressCtrl;

QList<QLineEdit*> Fields(const IpAddressCtrl& ctrl) {
  return ctrl.findChildren<QLineEdit*>();
}

std::array<int, 4> FieldValues(const IpAddressCtrl& ctrl) {
  return {ctrl.Field(0), ctrl.Field(1), ctrl.Field(2), ctrl.Field(3)};
}

// Index of the field holding the application's keyboard focus; -1 when none does.
int FocusedField(const IpAddressCtrl& ctrl) {
  return static_cast<int>(
      Fields(ctrl).indexOf(qobject_cast<QLineEdit*>(QApplication::focusWidget())));
}

// Each key goes to whichever widget has the focus at that moment, as from a keyboard.
void Type(const char* keys) {
  for (const char* key = keys; *key != '\0'; ++key)
    QTest::keyClick(QApplication::focusWidget(), *key);
}

void Press(Qt::Key key) {
  QTest::keyClick(QApplication::focusWidget(), key);
}

void ShowActive(IpAddressCtrl& ctrl) {
  ctrl.show();
  ctrl.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&ctrl));
  ASSERT_EQ(Fields(ctrl).size(), 4);
}

TEST(IpAddressCtrl, TextReadsBlankFieldsAsZeroAndAcceptsOnlyFourNumbersUpTo255) {
  IpAddressCtrl ctrl;
  EXPECT_TRUE(ctrl.IsBlank());
  EXPECT_EQ(ctrl.Text(), QString());
  EXPECT_EQ(FieldValues(ctrl), (std::array{-1, -1, -1, -1}));

  ctrl.SetField(0, 10);
  ctrl.SetField(2, 3);
  EXPECT_FALSE(ctrl.IsBlank());
  EXPECT_EQ(FieldValues(ctrl), (std::array{10, -1, 3, -1}));
  EXPECT_EQ(ctrl.Text(), QStringLiteral("10.0.3.0"));
  ctrl.SetField(1, 300);
  ctrl.SetField(3, -7);
  ctrl.SetField(4, 9);
  ctrl.SetField(-1, 9);
  EXPECT_EQ(ctrl.Text(), QStringLiteral("10.255.3.0"));
  EXPECT_EQ(ctrl.Field(4), -1);
  EXPECT_EQ(ctrl.Field(-1), -1);

  const std::vector<std::pair<QString, std::array<int, 4>>> good = {
      {QStringLiteral("192.168.1.64"), {192, 168, 1, 64}},
      {QStringLiteral(" \t0.0.0.0  "), {0, 0, 0, 0}},
      {QStringLiteral("255.255.254.255"), {255, 255, 254, 255}},
      {QStringLiteral("010.001.000.009"), {10, 1, 0, 9}},
  };
  for (const auto& [text, fields] : good) {
    ctrl.ClearAddress();
    ctrl.SetText(text);
    EXPECT_EQ(FieldValues(ctrl), fields) << text.toStdString();
    const QString shown = ctrl.Text();
    ctrl.ClearAddress();
    ctrl.SetText(shown);
    EXPECT_EQ(FieldValues(ctrl), fields) << shown.toStdString();
  }

  const QString bad[] = {
      QStringLiteral("1.2.3"),           QStringLiteral("1.2.3.256"),
      QStringLiteral("a.b.c.d"),         QString(),
      QStringLiteral("1.2.3.4.5"),       QStringLiteral("1..3.4"),
      QStringLiteral("-1.2.3.4"),        QStringLiteral("1.2.3.4x"),
      QStringLiteral("1 .2.3.4"),        QStringLiteral("1.2.3.1000"),
      QString::fromUtf8("\u0661.2.3.4"),  // an Arabic-Indic one
  };
  for (const QString& text : bad) {
    ctrl.SetText(QStringLiteral("1.2.3.4"));
    ctrl.SetText(text);
    EXPECT_TRUE(ctrl.IsBlank()) << text.toStdString();
    EXPECT_EQ(ctrl.Text(), QString()) << text.toStdString();
  }

  // Dialogs reach the control's text by its control ID, through the "text" property.
  platform::Dialog dialog(102);
  auto* inDialog = new IpAddressCtrl(&dialog);
  platform::Dialog::SetControlId(inDialog, 1010);
  dialog.SetDlgItemText(1010, QStringLiteral("172.16.0.9"));
  EXPECT_EQ(FieldValues(*inDialog), (std::array{172, 16, 0, 9}));
  inDialog->SetField(3, 77);
  EXPECT_EQ(dialog.GetDlgItemText(1010), QStringLiteral("172.16.0.77"));
}

TEST(IpAddressCtrl, TypingMovesBetweenFieldsClampsAndRefusesNonDigits) {
  IpAddressCtrl ctrl;
  ShowActive(ctrl);
  const QList<QLineEdit*> fields = Fields(ctrl);
  ctrl.setFocus();
  ASSERT_EQ(FocusedField(ctrl), 0);

  Type("192");
  EXPECT_EQ(FocusedField(ctrl), 1);
  Type("16");
  EXPECT_EQ(FocusedField(ctrl), 1);
  Type(".");
  EXPECT_EQ(FocusedField(ctrl), 2);
  Type("x-1");
  EXPECT_EQ(fields[2]->text(), QStringLiteral("1"));
  Type(" ");
  EXPECT_EQ(FocusedField(ctrl), 3);
  Type("7.");
  EXPECT_EQ(FocusedField(ctrl), 3);
  EXPECT_EQ(ctrl.Text(), QStringLiteral("192.16.1.7"));

  // Backspace deletes within a field, and at its start steps back to the previous field's end.
  Press(Qt::Key_Backspace);
  EXPECT_EQ(fields[3]->text(), QString());
  EXPECT_EQ(FocusedField(ctrl), 3);
  Press(Qt::Key_Backspace);
  EXPECT_EQ(FocusedField(ctrl), 2);
  Press(Qt::Key_Backspace);
  EXPECT_EQ(fields[2]->text(), QString());
  EXPECT_EQ(FocusedField(ctrl), 2);
  Type("300");
  EXPECT_EQ(fields[2]->text(), QStringLiteral("255"));
  EXPECT_EQ(FocusedField(ctrl), 3);
  EXPECT_EQ(ctrl.Text(), QStringLiteral("192.16.255.0"));

  // Moving on selects the next field, so that typing replaces what it held.
  ctrl.SetText(QStringLiteral("10.20.30.40"));
  fields[0]->setFocus();
  Type(".");
  ASSERT_EQ(FocusedField(ctrl), 1);
  EXPECT_EQ(fields[1]->selectedText(), QStringLiteral("20"));
  Type("5");
  EXPECT_EQ(ctrl.Text(), QStringLiteral("10.5.30.40"));

  // The arrows cross into the neighbouring field only at a field's edge.
  Press(Qt::Key_Right);
  ASSERT_EQ(FocusedField(ctrl), 2);
  EXPECT_EQ(fields[2]->cursorPosition(), 0);
  Press(Qt::Key_Right);
  EXPECT_EQ(FocusedField(ctrl), 2);
  Press(Qt::Key_Left);
  Press(Qt::Key_Left);
  ASSERT_EQ(FocusedField(ctrl), 1);
  EXPECT_EQ(fields[1]->cursorPosition(), 1);
  Press(Qt::Key_Left);
  EXPECT_EQ(FocusedField(ctrl), 1);
  Press(Qt::Key_Left);
  EXPECT_EQ(FocusedField(ctrl), 0);
  EXPECT_EQ(ctrl.Text(), QStringLiteral("10.5.30.40"));
}

TEST(IpAddressCtrl, FieldChangedReportsEachUserChangeOfAValueAndNothingElse) {
  IpAddressCtrl ctrl;
  ShowActive(ctrl);
  const QList<QLineEdit*> fields = Fields(ctrl);
  QSignalSpy spy(&ctrl, &IpAddressCtrl::FieldChanged);
  ctrl.SetText(QStringLiteral("9.9.9.9"));
  ctrl.SetField(2, 99);
  ctrl.ClearAddress();
  ctrl.SetText(QStringLiteral("1.2.3.4"));
  EXPECT_EQ(spy.count(), 0);

  fields[0]->setFocus();
  fields[0]->selectAll();
  Type("1");                 // retyping the value shown changes nothing
  Type("29");                // 12, 129, then on to the next field
  Type("2");                 // the same 2 again
  Type("60");                // 26, then 260 cut back to 255 and on
  Press(Qt::Key_Backspace);  // blanks the selected 3
  Press(Qt::Key_Backspace);  // only steps back
  Press(Qt::Key_Right);
  Press(Qt::Key_Right);
  ASSERT_EQ(FocusedField(ctrl), 3);
  Type("0.");  // 04 is still 4
  EXPECT_EQ(ctrl.Text(), QStringLiteral("129.255.0.4"));

  ctrl.SetField(0, 1);
  ctrl.SetText(QStringLiteral("8.8.8.8"));
  ctrl.ClearAddress();
  std::vector<std::pair<int, int>> reported;
  for (const QList<QVariant>& args : spy) reported.emplace_back(args[0].toInt(), args[1].toInt());
  const std::vector<std::pair<int, int>> expected = {{0, 12}, {0, 129}, {1, 26}, {1, 255}, {2, -1}};
  EXPECT_EQ(reported, expected);
}

}  // namespace
