// Reading the devices' answers: the storage totals and the bounded copy of an answer.
#include <gtest/gtest.h>

#include <string>

#include "batch/response_text.h"

namespace {

using batch::ParseSignedDecimal;
using batch::ParseStorageTotals;

TEST(StorageAnswer, ThreeTotalsInOrderSd1Sd2Usb) {
  const auto totals =
      ParseStorageTotals("<RESPONSE_PARAM SD1Total=\"30436\" SD2Total=\"15000\" USBTotal=\"7\" />");
  EXPECT_EQ(totals.sd1, 30436);
  EXPECT_EQ(totals.sd2, 15000);
  EXPECT_EQ(totals.usb, 7);
}

TEST(StorageAnswer, MissingOccurrencesLeaveTheirTotalsAtZero) {
  const auto two = ParseStorageTotals("SD1Total=\"100\" SD2Total=\"0\"");
  EXPECT_EQ(two.sd1, 100);
  EXPECT_EQ(two.sd2, 0);
  EXPECT_EQ(two.usb, 0);

  const auto none = ParseStorageTotals("<RESPONSE_PARAM Free=\"12\" Total=12 />");
  EXPECT_EQ(none.sd1, 0);
  EXPECT_EQ(none.sd2, 0);
  EXPECT_EQ(none.usb, 0);
  EXPECT_EQ(ParseStorageTotals("").sd1, 0);
}

TEST(StorageAnswer, AMissingClosingQuoteTakesTheRestOfTheText) {
  const auto totals = ParseStorageTotals("A Total=\"512 Total=\"64\"");
  EXPECT_EQ(totals.sd1, 512);  // reading stops at the blank
  EXPECT_EQ(totals.sd2, 0);    // the next search starts after the closing quote found
  EXPECT_EQ(totals.usb, 0);
  const auto open = ParseStorageTotals("Total=\"1\" Total=\"2\" Total=\"33");
  EXPECT_EQ(open.sd1, 1);
  EXPECT_EQ(open.sd2, 2);
  EXPECT_EQ(open.usb, 33);
}

TEST(StorageAnswer, NumbersAreSignedDecimalsReadUpToTheFirstNonDigit) {
  EXPECT_EQ(ParseSignedDecimal("  \t-42"), -42);
  EXPECT_EQ(ParseSignedDecimal("+17MB"), 17);
  EXPECT_EQ(ParseSignedDecimal("MB"), 0);
  EXPECT_EQ(ParseSignedDecimal("-"), 0);
  EXPECT_EQ(ParseSignedDecimal(""), 0);
  EXPECT_EQ(ParseSignedDecimal("0x10"), 0);
  EXPECT_EQ(ParseSignedDecimal("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseSignedDecimal("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(ParseStorageTotals("Total=\" -5\" Total=\"x\" Total=\"2147483648\"").sd1, -5);
}

TEST(AnswerText, IsBoundedNeverReadsPastTheBoundAndTreatsNullAsEmpty) {
  EXPECT_TRUE(batch::AnswerText(nullptr).empty());
  // 300 bytes without a terminator: only the bound is read.
  const std::string unterminated(300, 'v');
  EXPECT_EQ(batch::AnswerText(unterminated.data(), 255).size(), 255u);

  std::array<char, 256> field;
  field.fill('#');
  batch::CopyAnswer(field, std::string(400, 'a'));
  EXPECT_EQ(std::string(field.data()), std::string(255, 'a'));
  EXPECT_EQ(field[255], '\0');
  batch::CopyAnswer(field, "ok");
  EXPECT_EQ(std::string(field.data()), "ok");
  EXPECT_EQ(field[3], '\0');
}

}  // namespace
