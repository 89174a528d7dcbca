#include <gtest/gtest.h>

#include <cstring>

#include "platform/ansi_text.h"

namespace {

TEST(AnsiText, InterfaceTextsRoundTripThroughGbk) {
  const char16_t* texts[] = {u"搜索到的IPC数量与设备升级数量不一致，是否继续搜索？",
                             u"版本号一致，升级失败",
                             u"格式化超时时间(分钟)",
                             u"设备重启，尝试登录",
                             u"是否继续执行剩下的指令？",
                             u"全网通",
                             u"upgrade scuccess"};
  for (const char16_t* text : texts) {
    const QString original = QString::fromUtf16(text);
    const std::string gbk = platform::ToAnsi(original);
    EXPECT_EQ(platform::FromAnsi(gbk), original);
  }
  // GBK encodes each of these Chinese characters in two bytes.
  EXPECT_EQ(platform::ToAnsi(QString::fromUtf16(u"全网通")).size(), 6u);
}

TEST(AnsiText, UnrepresentableCharactersBecomeQuestionMarks) {
  const QString text = QString::fromUtf16(u"a\U0001F600b한c");
  EXPECT_EQ(platform::ToAnsi(text), "a?b?c");
}

TEST(AnsiText, OutputIsBoundedAndCutOnACharacterBoundary) {
  const QString text = QString::fromUtf16(u"升级成功升级成功");
  const std::string cut = platform::ToAnsi(text, 5);
  EXPECT_EQ(cut.size(), 4u);  // two whole characters; the third would need bytes 5 and 6
  EXPECT_EQ(platform::FromAnsi(cut), QString::fromUtf16(u"升级"));

  char field[8];
  std::memset(field, 'x', sizeof field);
  platform::CopyAnsiField(QString::fromUtf16(u"abcdefghijk"), field, sizeof field);
  EXPECT_STREQ(field, "abcdefg");
  platform::CopyAnsiField(QString::fromUtf16(u"ab"), field, sizeof field);
  for (size_t i = 2; i < sizeof field; ++i) EXPECT_EQ(field[i], 0);
}

TEST(AnsiText, ReadingStopsAtTheLimitAndAtZero) {
  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(platform::FromAnsi(unterminated, 3), QStringLiteral("abc"));
  const char terminated[] = "ab\0cd";
  EXPECT_EQ(platform::FromAnsi(terminated, sizeof terminated), QStringLiteral("ab"));
  EXPECT_TRUE(platform::FromAnsi(nullptr, 10).isEmpty());
}

TEST(AnsiText, InvalidBytesDoNotStopTheRest) {
  const char bytes[] = {'a', '\xFF', 'b', '\xB0',
                        0};  // 0xFF is no GBK lead byte; 0xB0 is cut short
  const QString text = platform::FromAnsi(bytes, sizeof bytes);
  EXPECT_TRUE(text.startsWith(QLatin1Char('a')));
  EXPECT_TRUE(text.contains(QLatin1Char('b')));
  EXPECT_LE(text.size(), 4);
}

}  // namespace
