// The network pages' controls and the configuration set: each handler kind on controls of every
// page, the start-up load, "保存" and the SMTP password check.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "pages_fixture.h"
#include "platform/ip_address_ctrl.h"

namespace pagetest {
namespace {

const Bound kEnableFlags[] = {{135, 1059, 876},  {149, 1039, 2160}, {136, 1110, 2172},
                              {137, 1126, 6288}, {145, 1139, 9884}, {138, 1146, 9908}};
const Bound kNumbers[] = {{136, 1112, 2176 + 256}, {136, 1123, 2176 + 3 * 1028 + 256},
                          {137, 1128, 6548},       {145, 1141, 9892},
                          {145, 1143, 9900},       {145, 1144, 9904},
                          {138, 1149, 10172}};
const Bound kTexts[] = {{136, 1111, 2176},
                        {136, 1114, 2176 + 516},
                        {136, 1102, 2176 + 772},
                        {136, 1101, 2176 + 2 * 1028 + 516},
                        {136, 1105, 2176 + 3 * 1028 + 772},
                        {137, 1127, 6292},
                        {137, 1133, 7324},
                        {137, 1096, 7580 + 768},
                        {137, 1099, 7580 + 2 * 768 + 512},
                        {138, 1148, 9916},
                        {138, 1151, 10432}};
const Bound kAddresses[] = {
    {135, 1080, 880}, {135, 1081, 1136}, {135, 1082, 1392}, {135, 1083, 1648}, {135, 1084, 1904}};
struct Choice {
  int page;
  int id;
  int offset;
  const char* items[2];
};
const Choice kChoices[] = {
    {149, 1106, 2164, {"禁用", "启用"}}, {149, 1107, 2168, {"禁用", "启用"}},
    {137, 1129, 6552, {"禁用", "启用"}}, {145, 1140, 9888, {"否", "是"}},
    {145, 1142, 9896, {"UDP", "TCP"}},   {138, 1147, 9912, {"禁用", "启用"}}};

using PageFields = PagesTest;

void TypeAddress(platform::IpAddressCtrl* address, const std::array<const char*, 4>& fields) {
  const QList<QLineEdit*> edits = address->findChildren<QLineEdit*>();
  ASSERT_EQ(edits.size(), 4);
  for (int i = 0; i < 4; ++i) {
    edits[i]->selectAll();
    QTest::keyClick(edits[i], Qt::Key_Backspace);
    QTest::keyClicks(edits[i], QString::fromLatin1(fields[static_cast<std::size_t>(i)]));
  }
}

TEST_F(PageFields, EnableFlagsAndChoicesStoreTheCheckAndThePosition) {
  for (const Bound& flag : kEnableFlags) {
    auto* check = Control<QCheckBox>(flag.page, flag.id);
    check->click();
    EXPECT_EQ(SetInt(flag.offset), 1) << flag.id;
    check->click();
    EXPECT_EQ(SetInt(flag.offset), 0) << flag.id;
  }
  for (const Choice& choice : kChoices) {
    auto* combo = Control<QComboBox>(choice.page, choice.id);
    ASSERT_EQ(combo->count(), 2) << choice.id;
    EXPECT_EQ(combo->itemText(0), QString::fromUtf8(choice.items[0]));
    EXPECT_EQ(combo->itemText(1), QString::fromUtf8(choice.items[1]));
    EXPECT_EQ(combo->currentIndex(), 0) << choice.id;
    combo->setCurrentIndex(1);
    EXPECT_EQ(SetInt(choice.offset), 1) << choice.id;
    // An emptied selection has no position: the field keeps its value.
    combo->setCurrentIndex(-1);
    EXPECT_EQ(SetInt(choice.offset), 1) << choice.id;
    combo->setCurrentIndex(0);
    EXPECT_EQ(SetInt(choice.offset), 0) << choice.id;
  }
}

TEST_F(PageFields, NumbersTakeTheLeadingDigitsWithoutRangeCheck) {
  const struct {
    const char* typed;
    std::int32_t stored;
  } kCases[] = {{"12ab", 12},
                {"abc", 0},
                {"300", 300},
                {"0", 0},
                {"70000", 70000},
                {"", 0},
                {" -5x", -5},
                {"+80", 80},
                {"99999999999", 2147483647},
                {"-99999999999", -2147483647 - 1}};
  for (const Bound& number : kNumbers) {
    auto* edit = Control<QLineEdit>(number.page, number.id);
    for (const auto& c : kCases) {
      Type(edit, QString::fromLatin1(c.typed));
      EXPECT_EQ(SetInt(number.offset), c.stored) << number.id << " '" << c.typed << "'";
    }
  }
}

TEST_F(PageFields, TextsKeepAtMost255BytesOfGbkAndClearTheRestOfTheField) {
  const std::string longAscii(300, 'p');
  // Two GBK bytes a character: 127 whole characters fit, the 128th would pass 255 bytes.
  const QString longChinese = QString(200, QChar(0x8DEF));
  for (const Bound& text : kTexts) {
    auto* edit = Control<QLineEdit>(text.page, text.id);
    Type(edit, QString::fromStdString(longAscii));
    EXPECT_EQ(SetBytes(text.offset, 256), longAscii.substr(0, 255) + '\0') << text.id;
    edit->setText(longChinese);
    std::string expected;
    for (int i = 0; i < 127; ++i) expected += "\xC2\xB7";
    EXPECT_EQ(SetBytes(text.offset, 256), expected + std::string(2, '\0')) << text.id;
    Type(edit, QStringLiteral("ab"));
    EXPECT_EQ(SetBytes(text.offset, 256), "ab" + std::string(254, '\0')) << text.id;
  }
  for (int id : {1114, 1118, 1101, 1125})
    EXPECT_EQ(Control<QLineEdit>(136, id)->echoMode(), QLineEdit::Password) << id;
  for (int id : {1131, 1132})
    EXPECT_EQ(Control<QLineEdit>(137, id)->echoMode(), QLineEdit::Password) << id;
  EXPECT_EQ(Control<QLineEdit>(138, 1151)->echoMode(), QLineEdit::Password);
  EXPECT_EQ(Control<QLineEdit>(136, 1102)->echoMode(), QLineEdit::Normal);
}

TEST_F(PageFields, AddressesStoreTheirDottedTextAndABlankControlStoresEmpty) {
  for (const Bound& address : kAddresses) {
    auto* control = Control<platform::IpAddressCtrl>(address.page, address.id);
    TypeAddress(control, {"192", "168", "100", "200"});
    EXPECT_EQ(SetText(address.offset), "192.168.100.200") << address.id;
    TypeAddress(control, {"10", "0", "0", "7"});
    EXPECT_EQ(SetText(address.offset), "10.0.0.7") << address.id;
    TypeAddress(control, {"", "", "", ""});
    EXPECT_EQ(SetText(address.offset), "") << address.id;
  }
}

TEST_F(PageFields, LoadShowsTheFileAndSavingWithoutEditsRewritesItByteForByte) {
  // Edit every kind on every network page, then store through one page's "保存".
  Control<QCheckBox>(135, 1059)->click();
  TypeAddress(Control<platform::IpAddressCtrl>(135, 1080), {"192", "168", "100", "200"});
  Control<QCheckBox>(149, 1039)->click();
  Control<QComboBox>(149, 1107)->setCurrentIndex(1);
  Type(Control<QLineEdit>(136, 1102), QStringLiteral("/upload/告警"));
  Type(Control<QLineEdit>(136, 1116), QStringLiteral("2121"));
  Type(Control<QLineEdit>(137, 1131), QStringLiteral("pass"));
  Type(Control<QLineEdit>(137, 1132), QStringLiteral("pass"));
  Control<QComboBox>(137, 1129)->setCurrentIndex(1);
  Type(Control<QLineEdit>(137, 1098), QStringLiteral("主题"));
  Control<QComboBox>(145, 1142)->setCurrentIndex(1);
  Type(Control<QLineEdit>(145, 1141), QStringLiteral("8554"));
  Type(Control<QLineEdit>(138, 1148), QStringLiteral("platform.example"));
  Control<QAbstractButton>(138, 1152)->click();
  ASSERT_EQ(dialogs().shown().size(), 1u);
  EXPECT_EQ(dialogs().shown()[0].text, QStringLiteral("保存成功!"));
  const QByteArray written = FileBytes();
  ASSERT_EQ(written.size(), 12324);

  OpenWindow();
  Settle();
  EXPECT_TRUE(Control<QCheckBox>(135, 1059)->isChecked());
  EXPECT_EQ(Control<platform::IpAddressCtrl>(135, 1080)->Text(), QStringLiteral("192.168.100.200"));
  EXPECT_TRUE(Control<platform::IpAddressCtrl>(135, 1081)->IsBlank());
  EXPECT_TRUE(Control<QCheckBox>(149, 1039)->isChecked());
  EXPECT_EQ(Control<QComboBox>(149, 1106)->currentText(), QStringLiteral("禁用"));
  EXPECT_EQ(Control<QComboBox>(149, 1107)->currentText(), QStringLiteral("启用"));
  EXPECT_EQ(Control<QLineEdit>(136, 1102)->text(), QStringLiteral("/upload/告警"));
  EXPECT_EQ(Control<QLineEdit>(136, 1116)->text(), QStringLiteral("2121"));
  EXPECT_EQ(Control<QLineEdit>(136, 1112)->text(), QStringLiteral("0"));
  EXPECT_EQ(Control<QLineEdit>(137, 1131)->text(), QStringLiteral("pass"));
  EXPECT_EQ(Control<QComboBox>(137, 1129)->currentIndex(), 1);
  EXPECT_EQ(Control<QLineEdit>(137, 1098)->text(), QStringLiteral("主题"));
  EXPECT_EQ(Control<QComboBox>(145, 1142)->currentText(), QStringLiteral("TCP"));
  EXPECT_EQ(Control<QComboBox>(145, 1140)->currentText(), QStringLiteral("否"));
  EXPECT_EQ(Control<QLineEdit>(145, 1141)->text(), QStringLiteral("8554"));
  EXPECT_EQ(Control<QLineEdit>(138, 1148)->text(), QStringLiteral("platform.example"));

  // Nothing edited: another page's "保存" writes the same bytes.
  Control<QAbstractButton>(136, 1109)->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存成功!"));
  EXPECT_EQ(FileBytes(), written);
}

TEST_F(PageFields, AfterStartUpTheSetHoldsWhatThePagesShow) {
  // A file the pages cannot show as stored: a position with no item, an address that is none.
  QByteArray bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 12324);
  const std::int32_t stray = 7;
  std::memcpy(bytes.data() + 9896, &stray, 4);
  std::memcpy(bytes.data() + 880, "not an address", 15);
  std::memcpy(bytes.data() + 9892, "\x2A\x00\x00\x00", 4);
  WriteFileBytes(bytes);
  OpenWindow();
  Settle();
  EXPECT_EQ(Control<QComboBox>(145, 1142)->currentText(), QStringLiteral("UDP"));
  EXPECT_EQ(SetInt(9896), 0);
  EXPECT_TRUE(Control<platform::IpAddressCtrl>(135, 1080)->IsBlank());
  EXPECT_EQ(SetText(880), "");
  EXPECT_EQ(Control<QLineEdit>(145, 1141)->text(), QStringLiteral("42"));
  EXPECT_EQ(SetInt(9892), 42);
}

TEST_F(PageFields, SmtpSaveRefusesAConfirmationThatDiffersAndStoresNothing) {
  const QByteArray before = FileBytes();
  Type(Control<QLineEdit>(137, 1131), QStringLiteral("Mail#2024"));
  Type(Control<QLineEdit>(137, 1132), QStringLiteral("Mail#2025"));
  auto* save = Control<QAbstractButton>(137, 1138);
  save->click();
  ASSERT_EQ(dialogs().shown().size(), 1u);
  EXPECT_EQ(dialogs().shown()[0].text, QStringLiteral("两次密码不同！"));
  EXPECT_EQ(FileBytes(), before);
  // The set already holds the new password, as typed.
  EXPECT_EQ(SetText(6812), "Mail#2024");

  Type(Control<QLineEdit>(137, 1132), QStringLiteral("Mail#2024"));
  save->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存成功!"));
  EXPECT_EQ(FileBytes().mid(6812, 10), QByteArray("Mail#2024\0", 10));

  // Two empty fields are equal.
  Type(Control<QLineEdit>(137, 1131), QString());
  Type(Control<QLineEdit>(137, 1132), QString());
  save->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存成功!"));
  EXPECT_EQ(FileBytes().mid(6812, 256), QByteArray(256, '\0'));

  // A store that cannot write reports so, on every saving page.
  config::SetConfigDirectory(directory() + QStringLiteral("/missing"));
  save->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存失败!"));
  Control<QAbstractButton>(135, 1105)->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存失败!"));
  Control<QAbstractButton>(149, 1108)->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存失败!"));
  Control<QAbstractButton>(145, 1145)->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存失败!"));
  config::SetConfigDirectory(directory());
  EXPECT_EQ(dialogs().shown().size(), 7u);
}

}  // namespace
}  // namespace pagetest
