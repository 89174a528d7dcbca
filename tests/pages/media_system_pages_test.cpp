// The media and system pages' controls and the configuration set: every list with its entries,
// initial selection and stored position, every number and time picker, the hidden controls that
// still write their fields, the start-up load, "保存", and the Chinese captions under English.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <vector>

#include "pages_fixture.h"
#include "platform/date_time_ctrl.h"

namespace pagetest {
namespace {

struct Choice {
  int page;
  int id;
  int offset;
  int initial;
  std::vector<const char*> items;
};

const std::vector<const char*> kOffOn = {"禁用", "启用"};
const std::vector<const char*> kPositions = {"不显示", "左上角", "右上角", "左下角", "右下角"};
const std::vector<const char*> kRates = {
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12", "13", "14", "15",
    "16", "17", "18", "19", "20", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30"};

const Choice kChoices[] = {
    {140, 1154, 10692, 0, {"主动模式", "日夜模式", "被动模式", "手动模式", "反向被动模式"}},
    {140, 1155, 10696, 0, {"否", "是"}},
    {140, 1160, 10748, 0, {"60HZ", "50HZ"}},
    {140, 1161, 10752, 0, {"晚上", "白天"}},
    {140, 1162, 10756, 0, {"自动", "室内", "室外"}},
    {140, 1163, 10760, 0, kOffOn},
    {140, 1164, 10764, 0, {"BINNING", "SKIP"}},
    {140, 1165, 10768, 0, kOffOn},
    {140, 1166, 10772, 0, kOffOn},
    {141, 1170, 10780, 0, kOffOn},
    {141, 1171, 10784, 0, {"不叠加", "叠加到分辨率", "叠加到码率", "叠加到分辨率和码率"}},
    {141, 1172, 10788, 0, kPositions},
    {141,
     1173,
     10792,
     0,
     {"yyyy-mm-dd hh:mm:ss", "yyyy/mm/dd hh:mm:ss", "yy-mm-dd hh:mm:ss", "yy/mm/dd hh:mm:ss",
      "hh:mm:ss dd/mm/yyyy", "hh:mm:ss dd-mm-yyyy", "hh:mm:ss mm/dd/yyyy", "hh:mm:ss mm-dd-yyyy"}},
    {141, 1174, 10796, 0, kPositions},
    {142, 1176, 11064, 0, {"H264"}},
    {142, 1177, 11088, 0, {"H264"}},
    {142,
     1178,
     11068,
     0,
     {"720P", "960P", "1080P", "1440P", "1512P", "256x192", "288x192", "320x192", "352x192", "QVGA",
      "CIF", "480x360", "640x360", "VGA", "D1"}},
    {142,
     1179,
     11092,
     11,
     {"720P", "960P", "1080P", "1440P", "1512P", "448P", "256x192", "288x192", "320x192", "352x192",
      "QVGA", "CIF", "480x360", "640x360", "VGA", "D1"}},
    {142, 1180, 11072, 0, {"CBR", "VBR", "CVBR"}},
    {142, 1026, 11096, 0, {"CBR", "VBR", "CVBR"}},
    {142, 1025, 11084, 19, kRates},
    {142, 1027, 11108, 24, kRates},
    {142, 1028, 11112, 0, kOffOn},
    {142, 1029, 11116, 1, {"启用", "禁用"}},
    {143, 1187, 11124, 0, kOffOn},
    {143, 1188, 11128, 0, {"G711", "AAC"}},
    {143, 1022, 11132, 0, {"8000", "16000"}},
    {143, 1189, 11136, 0, {"6400", "16000"}},
    {144, 1192, 11144, 0, kOffOn},
    {144, 1023, 11156, 2, {"4X4", "4X3", "3X3", "3X2", "2X2", "1X1"}},
    {144, 1024, 11224, 0, kOffOn},
    {146, 1208, 12004, 0, {"使用NTP服务", "手动设置"}},
    {147, 1204, 12296, 0, kOffOn},
    {147,
     1205,
     12300,
     7,
     {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日", "每天"}},
    {148, 1201, 12320, 0, {"简体中文", "繁体中文", "English", "русский"}},
};

// Check boxes: the enable flags of the nine pages, the schedule boxes and the clock page's hidden
// "设置时间".
const Bound kFlags[] = {{140, 1153, 10688}, {141, 1169, 10776}, {142, 1175, 11060},
                        {143, 1186, 11120}, {144, 1191, 11140}, {139, 1198, 11484},
                        {146, 1059, 12000}, {147, 1203, 12292}, {148, 1200, 12316},
                        {146, 1060, 12024}};

const Bound kNumbers[] = {{140, 1156, 10700}, {140, 1092, 10728}, {140, 1094, 10732},
                          {140, 1091, 10736}, {140, 1095, 10740}, {140, 1093, 10744},
                          {141, 1210, 10800}, {142, 1181, 11076}, {142, 1182, 11100},
                          {142, 1183, 11080}, {142, 1184, 11104}, {144, 1193, 11148},
                          {144, 1087, 11152}, {144, 1088, 11252}, {144, 1195, 11256},
                          {146, 1212, 12284}, {146, 1213, 12288}};

// Time pickers and the offset of their hour; minute and second follow.
const Bound kTimes[] = {{140, 1168, 10704},
                        {140, 1169, 10716},
                        {144, 1194, 11228},
                        {144, 1103, 11240},
                        {144, 1104, 11260 + 7 * 28 + 4},
                        {144, 1105, 11260 + 7 * 28 + 16},
                        {144, 1106, 11264},
                        {144, 1119, 11260 + 6 * 28 + 16},
                        {147, 1206, 12304}};

const int kSaveButtons[][2] = {{140, 1167}, {141, 1167}, {142, 1185}, {143, 1190}, {144, 1197},
                               {139, 1199}, {146, 1073}, {147, 1207}, {148, 1202}};

using MediaSystemPages = PagesTest;

void PutInt(QByteArray& bytes, int offset, std::int32_t value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

TEST_F(MediaSystemPages, ListsShowTheirEntriesStartAtTheirInitialItemAndStoreThePosition) {
  for (const Choice& choice : kChoices) {
    auto* combo = Control<QComboBox>(choice.page, choice.id);
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), static_cast<int>(choice.items.size())) << choice.id;
    for (int i = 0; i < combo->count(); ++i)
      EXPECT_EQ(combo->itemText(i), QString::fromUtf8(choice.items[static_cast<std::size_t>(i)]))
          << choice.id << "/" << i;
    // No settings file: the initial item is shown and the set holds it.
    EXPECT_EQ(combo->currentIndex(), choice.initial) << choice.id;
    EXPECT_EQ(SetInt(choice.offset), choice.initial) << choice.id;
    const int last = combo->count() - 1;
    combo->setCurrentIndex(last);
    EXPECT_EQ(SetInt(choice.offset), last) << choice.id;
    combo->setCurrentIndex(0);
    EXPECT_EQ(SetInt(choice.offset), 0) << choice.id;
  }
  // The same name stands at different positions in the two resolution lists.
  Control<QComboBox>(142, 1178)->setCurrentText(QStringLiteral("256x192"));
  EXPECT_EQ(SetInt(11068), 5);
  Control<QComboBox>(142, 1179)->setCurrentText(QStringLiteral("256x192"));
  EXPECT_EQ(SetInt(11092), 6);
  Control<QComboBox>(142, 1027)->setCurrentText(QStringLiteral("20"));
  EXPECT_EQ(SetInt(11108), 19);
  Control<QComboBox>(146, 1021)->setCurrentText(
      QStringLiteral("(GMT)格林威治平时；都柏林，爱丁堡，伦敦，里斯本"));
  EXPECT_EQ(SetInt(12008), 12);
  Control<QComboBox>(146, 1208)->setCurrentText(QStringLiteral("手动设置"));
  EXPECT_EQ(SetInt(12004), 1);
  Control<QComboBox>(147, 1205)->setCurrentText(QStringLiteral("每天"));
  EXPECT_EQ(SetInt(12300), 7);
  Control<QComboBox>(147, 1205)->setCurrentText(QStringLiteral("星期一"));
  EXPECT_EQ(SetInt(12300), 0);
  Control<QComboBox>(148, 1201)->setCurrentText(QStringLiteral("English"));
  EXPECT_EQ(SetInt(12320), 2);
}

TEST_F(MediaSystemPages, TimeZoneListHoldsTheTwentyFiveZonesAndStartsAtBeijing) {
  auto* zones = Control<QComboBox>(146, 1021);
  ASSERT_EQ(zones->count(), 25);
  EXPECT_EQ(zones->itemText(0), QStringLiteral("(GMT-12:00)埃尼威托克，夸贾林岛"));
  EXPECT_EQ(zones->itemText(24), QStringLiteral("(GMT+12:00)富士，勘察加半岛，马绍尔群岛，惠灵顿"));
  EXPECT_EQ(zones->currentIndex(), 20);
  EXPECT_EQ(zones->currentText(),
            QStringLiteral("(GMT+08:00)北京，重庆，乌鲁木齐，香港特别行政区，台北"));
  EXPECT_EQ(SetInt(12008), 20);
}

TEST_F(MediaSystemPages, FlagsNumbersAndTimesWriteTheirFieldsHiddenOnesIncluded) {
  for (const Bound& flag : kFlags) {
    auto* check = Control<QCheckBox>(flag.page, flag.id);
    check->click();
    EXPECT_EQ(SetInt(flag.offset), 1) << flag.id;
    check->click();
    EXPECT_EQ(SetInt(flag.offset), 0) << flag.id;
  }
  EXPECT_TRUE(Control<QWidget>(146, 1060)->isHidden());
  EXPECT_TRUE(Control<QWidget>(141, 1210)->isHidden());
  EXPECT_FALSE(Control<QWidget>(141, 1090)->isHidden());

  for (const Bound& number : kNumbers) {
    auto* edit = Control<QLineEdit>(number.page, number.id);
    // Ranges of the captions are not enforced.
    edit->setText(QStringLiteral("12ab"));
    EXPECT_EQ(SetInt(number.offset), 12) << number.id;
    edit->setText(QStringLiteral("abc"));
    EXPECT_EQ(SetInt(number.offset), 0) << number.id;
    edit->setText(QStringLiteral("70000"));
    EXPECT_EQ(SetInt(number.offset), 70000) << number.id;
  }

  for (const Bound& time : kTimes) {
    auto* picker = Control<platform::DateTimeCtrl>(time.page, time.id);
    // No settings file: midnight.
    EXPECT_EQ(picker->time(), QTime(0, 0, 0)) << time.id;
    EXPECT_EQ(picker->displayFormat(), QStringLiteral("HH:mm:ss")) << time.id;
    picker->setTime(QTime(21, 7, 59));
    EXPECT_EQ(SetInt(time.offset), 21) << time.id;
    EXPECT_EQ(SetInt(time.offset + 4), 7) << time.id;
    EXPECT_EQ(SetInt(time.offset + 8), 59) << time.id;
  }

  auto* title = Control<QLineEdit>(141, 1090);
  Type(title, QStringLiteral("门口^一号"));
  EXPECT_EQ(SetText(10804), "\xC3\xC5\xBF\xDA^\xD2\xBB\xBA\xC5");
  auto* password = Control<QLineEdit>(139, 1089);
  auto* confirm = Control<QLineEdit>(139, 1086);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  EXPECT_EQ(confirm->echoMode(), QLineEdit::Password);
  Type(password, QStringLiteral("Adm1n!"));
  Type(confirm, QStringLiteral("Adm1n?"));
  EXPECT_EQ(SetText(11488), "Adm1n!");
  EXPECT_EQ(SetText(11744), "Adm1n?");
  Type(Control<QLineEdit>(146, 1209), QStringLiteral("pool.ntp.example"));
  EXPECT_EQ(SetText(12028), "pool.ntp.example");
}

TEST_F(MediaSystemPages, ClockPickerStoresSixValuesAndKeepsItsDateWhenTheStoredOneIsNone) {
  auto* picker = Control<platform::DateTimeCtrl>(146, 1102);
  EXPECT_EQ(picker->displayFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  picker->setDateTime(QDateTime(QDate(2024, 2, 29), QTime(23, 58, 7), Qt::UTC));
  const std::string six = SetBytes(12012, 12);
  const std::uint16_t expected[6] = {2024, 2, 29, 23, 58, 7};
  EXPECT_EQ(six, std::string(reinterpret_cast<const char*>(expected), 12));

  // A file whose manual date is no date: the picker keeps the date it had (today).
  QByteArray bytes = FileBytes();
  const std::uint16_t none[6] = {2024, 13, 5, 10, 0, 0};
  std::memcpy(bytes.data() + 12012, none, sizeof none);
  WriteFileBytes(bytes);
  OpenWindow();
  Settle();
  platform::SYSTEMTIME now{};
  platform::GetLocalTime(&now);
  auto* reopened = Control<platform::DateTimeCtrl>(146, 1102);
  EXPECT_EQ(reopened->date(), QDate(now.wYear, now.wMonth, now.wDay));

  // All zero, as before the first change: the same.
  std::memset(bytes.data() + 12012, 0, 12);
  WriteFileBytes(bytes);
  OpenWindow();
  Settle();
  EXPECT_EQ(Control<platform::DateTimeCtrl>(146, 1102)->date(),
            QDate(now.wYear, now.wMonth, now.wDay));

  // A real date is shown as stored.
  const std::uint16_t stored[6] = {2031, 12, 1, 6, 5, 4};
  std::memcpy(bytes.data() + 12012, stored, sizeof stored);
  WriteFileBytes(bytes);
  OpenWindow();
  Settle();
  EXPECT_EQ(Control<platform::DateTimeCtrl>(146, 1102)->dateTime(),
            QDateTime(QDate(2031, 12, 1), QTime(6, 5, 4), Qt::UTC));
}

TEST_F(MediaSystemPages, LoadShowsTheStoredGroupsAndAnUnshowableTimeLeavesThePicker) {
  QByteArray bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 12324);
  PutInt(bytes, 10688, 1);    // capture enable
  PutInt(bytes, 10692, 4);    // "反向被动模式"
  PutInt(bytes, 10728, 128);  // brightness
  PutInt(bytes, 10704, 19);   // night start 19:30:00
  PutInt(bytes, 10708, 30);
  PutInt(bytes, 10716, 99);  // night end: no time of day
  PutInt(bytes, 10800, 77);  // the hidden transparency
  std::memcpy(bytes.data() + 10804, "Gate^A", 7);
  PutInt(bytes, 11068, 5);   // main "256x192"
  PutInt(bytes, 11092, 5);   // sub "448P"
  PutInt(bytes, 11084, 29);  // main "30"
  PutInt(bytes, 11116, 0);   // private data "启用"
  PutInt(bytes, 11128, 1);   // "AAC"
  PutInt(bytes, 11484, 1);
  std::memcpy(bytes.data() + 11488, "pw1", 4);
  std::memcpy(bytes.data() + 11744, "pw1", 4);
  PutInt(bytes, 12004, 1);
  PutInt(bytes, 12008, 12);
  PutInt(bytes, 12024, 1);  // the hidden "设置时间"
  PutInt(bytes, 12284, 123);
  PutInt(bytes, 12300, 0);  // "星期一"
  PutInt(bytes, 12304, 3);
  PutInt(bytes, 12316, 1);
  PutInt(bytes, 12320, 3);
  WriteFileBytes(bytes);
  OpenWindow();
  Settle();

  EXPECT_TRUE(Control<QCheckBox>(140, 1153)->isChecked());
  EXPECT_EQ(Control<QComboBox>(140, 1154)->currentText(), QStringLiteral("反向被动模式"));
  EXPECT_EQ(Control<QLineEdit>(140, 1092)->text(), QStringLiteral("128"));
  EXPECT_EQ(Control<platform::DateTimeCtrl>(140, 1168)->time(), QTime(19, 30, 0));
  EXPECT_EQ(Control<platform::DateTimeCtrl>(140, 1169)->time(), QTime(0, 0, 0));
  EXPECT_EQ(SetInt(10716), 0);  // the set holds what the picker shows
  EXPECT_EQ(Control<QLineEdit>(141, 1210)->text(), QStringLiteral("77"));
  EXPECT_EQ(SetInt(10800), 77);
  EXPECT_EQ(Control<QLineEdit>(141, 1090)->text(), QStringLiteral("Gate^A"));
  EXPECT_EQ(Control<QComboBox>(142, 1178)->currentText(), QStringLiteral("256x192"));
  EXPECT_EQ(Control<QComboBox>(142, 1179)->currentText(), QStringLiteral("448P"));
  EXPECT_EQ(Control<QComboBox>(142, 1025)->currentText(), QStringLiteral("30"));
  EXPECT_EQ(Control<QComboBox>(142, 1029)->currentText(), QStringLiteral("启用"));
  EXPECT_EQ(Control<QComboBox>(143, 1188)->currentText(), QStringLiteral("AAC"));
  EXPECT_TRUE(Control<QCheckBox>(139, 1198)->isChecked());
  EXPECT_EQ(Control<QLineEdit>(139, 1089)->text(), QStringLiteral("pw1"));
  EXPECT_EQ(Control<QComboBox>(146, 1208)->currentText(), QStringLiteral("手动设置"));
  EXPECT_EQ(Control<QComboBox>(146, 1021)->currentIndex(), 12);
  EXPECT_TRUE(Control<QCheckBox>(146, 1060)->isChecked());
  EXPECT_EQ(SetInt(12024), 1);
  EXPECT_EQ(Control<QLineEdit>(146, 1212)->text(), QStringLiteral("123"));
  EXPECT_EQ(Control<QComboBox>(147, 1205)->currentText(), QStringLiteral("星期一"));
  EXPECT_EQ(Control<platform::DateTimeCtrl>(147, 1206)->time(), QTime(3, 0, 0));
  EXPECT_TRUE(Control<QCheckBox>(148, 1200)->isChecked());
  EXPECT_EQ(Control<QComboBox>(148, 1201)->currentText(), QStringLiteral("русский"));
}

TEST_F(MediaSystemPages, SaveButtonsStoreTheFileAndTheAccountPageChecksItsConfirmation) {
  for (const auto& [page, id] : kSaveButtons) {
    Control<QCheckBox>(146, 1059)->click();
    const std::int32_t flag = SetInt(12000);
    Control<QAbstractButton>(page, id)->click();
    ASSERT_FALSE(dialogs().shown().empty());
    EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存成功!")) << page;
    const QByteArray written = FileBytes();
    ASSERT_EQ(written.size(), 12324);
    std::int32_t stored = -1;
    std::memcpy(&stored, written.data() + 12000, 4);
    EXPECT_EQ(stored, flag) << page;
  }

  dialogs().ClearShown();
  const QByteArray before = FileBytes();
  Type(Control<QLineEdit>(139, 1089), QStringLiteral("abc"));
  Type(Control<QLineEdit>(139, 1086), QStringLiteral("abd"));
  Control<QAbstractButton>(139, 1199)->click();
  ASSERT_EQ(dialogs().shown().size(), 1u);
  EXPECT_EQ(dialogs().shown()[0].text, QStringLiteral("两次密码不同！"));
  EXPECT_EQ(FileBytes(), before);
  Type(Control<QLineEdit>(139, 1086), QStringLiteral("abc"));
  Control<QAbstractButton>(139, 1199)->click();
  EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存成功!"));
  EXPECT_EQ(FileBytes().mid(11488, 4), QByteArray("abc\0", 4));
  EXPECT_EQ(FileBytes().mid(11744, 4), QByteArray("abc\0", 4));

  config::SetConfigDirectory(directory() + QStringLiteral("/missing"));
  for (const auto& [page, id] : kSaveButtons) {
    Control<QAbstractButton>(page, id)->click();
    EXPECT_EQ(dialogs().shown().back().text, QStringLiteral("保存失败!")) << page;
  }
  config::SetConfigDirectory(directory());
}

TEST_F(MediaSystemPages, PagesKeepTheirChineseTextsWhenTheWindowTurnsEnglish) {
  auto texts = [this] {
    QStringList all;
    for (const auto& [page, id] : kSaveButtons) {
      (void)id;
      for (QLabel* label : PageOf(page).findChildren<QLabel*>()) all << label->text();
      for (QAbstractButton* button : PageOf(page).findChildren<QAbstractButton*>())
        all << button->text();
    }
    return all;
  };
  const QStringList before = texts();
  ASSERT_TRUE(before.contains(QStringLiteral("设置视频采集")));
  ASSERT_TRUE(before.contains(QStringLiteral("标题内容(多行用^分隔)")));
  ASSERT_TRUE(before.contains(QStringLiteral("刷新间隔(60-999999)")));
  auto mainTexts = [this] {
    QStringList all;
    for (QAbstractButton* button : window().findChildren<QAbstractButton*>()) all << button->text();
    return all;
  };
  const QStringList mainBefore = mainTexts();
  window().SetLanguage(1);
  Settle();
  // The main window did turn English.
  EXPECT_NE(mainTexts(), mainBefore);
  EXPECT_EQ(texts(), before);
}

}  // namespace
}  // namespace pagetest
