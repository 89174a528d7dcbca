#include "ui/sort_key.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "ui/report_ctrl.h"

namespace {

int Sign(int value) {
  return (value > 0) - (value < 0);
}

int Compare(const char* a, const char* b) {
  return Sign(CReportCtrl::Compare(QString::fromUtf8(a), QString::fromUtf8(b)));
}

TEST(SortCompare, DecimalAndHexadecimalTextsCompareAsBase16Numbers) {
  EXPECT_EQ(Compare("9", "10"), -1);
  EXPECT_EQ(Compare("A", "9"), 1);
  EXPECT_EQ(Compare("A", "10"), -1);  // 0xA < 0x10
  EXPECT_EQ(Compare("ff", "FF"), 0);
  EXPECT_EQ(Compare("0x1F", "20"), -1);
  EXPECT_EQ(Compare(" 1A", "1b"), -1);  // leading blanks are allowed, as by wcstoul
  EXPECT_EQ(Compare("007", "7"), 0);
}

TEST(SortCompare, LongHexSerialsAndSignsCompareExactly) {
  // Beyond 32 and 64 bits a wcstoul result would saturate and make these equal.
  EXPECT_EQ(Compare("10000000000000000001", "10000000000000000002"), -1);
  EXPECT_EQ(Compare("FFFFFFFFF1", "FFFFFFFFF2"), -1);
  EXPECT_EQ(Compare("1FFFFFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFFFFF"), 1);
  EXPECT_EQ(Compare("-1", "0"), -1);
  EXPECT_EQ(Compare("-A", "-2"), -1);
  EXPECT_EQ(Compare("-0", "0"), 0);
}

TEST(SortCompare, FloatsAndPercentagesCompareAsNumbers) {
  EXPECT_EQ(Compare("7%", "50%"), -1);
  EXPECT_EQ(Compare("100%", "99%"), 1);
  EXPECT_EQ(Compare("50%", "50"), 0);
  EXPECT_EQ(Compare("2.5", "10"), -1);
  EXPECT_EQ(Compare("1e3", "999.5"), 1);  // 1e3 is 0x1E3 only when both sides are hex
  EXPECT_EQ(Compare("-2.5", "1"), -1);
  // Only one trailing percent sign, nothing after it, and a number before it.
  EXPECT_EQ(Compare("5%%", "40%"), 1);   // as text: '5' > '4'
  EXPECT_EQ(Compare("%", "1%"), -1);     // as text: '%' < '1'
  EXPECT_EQ(Compare("7 %", "50 %"), 1);  // as text
  EXPECT_EQ(Compare("2,5", "10"), 1);    // no decimal comma, whatever the locale: as text
}

TEST(SortCompare, IpAddressesCompareAsPlainText) {
  EXPECT_EQ(Compare("192.168.1.100", "192.168.1.64"), -1);
  EXPECT_EQ(Compare("192.168.1.9", "192.168.1.64"), 1);
  EXPECT_EQ(Compare("10.0.0.2", "9.0.0.1"), -1);
}

TEST(SortCompare, DatesCompareAsPointsInTime) {
  // Each pair orders the other way round as text.
  EXPECT_EQ(Compare("2026/12/7", "2026/9/30"), 1);
  EXPECT_EQ(Compare("7 Dec 2026", "30 Jan 2027"), -1);
  EXPECT_EQ(Compare("9:05", "10:00"), -1);
  EXPECT_EQ(Compare("2026-12-07 9:00", "2026-12-07 10:00"), -1);
  // Before 1899-12-30 the encoded value falls while the time of day rises.
  EXPECT_EQ(Compare("1899-12-29 06:00", "1899-12-29 18:00"), -1);
  EXPECT_EQ(Compare("1899-12-28 23:00", "1899-12-29 01:00"), -1);
  EXPECT_EQ(Compare("1899-12-29 23:00", "1899-12-30 01:00"), -1);
}

TEST(SortCompare, EverythingElseComparesCodeUnitsCaseSensitively) {
  EXPECT_EQ(Compare("Zebra", "apple"), -1);
  EXPECT_EQ(Compare("NVR", "IPC"), 1);
  EXPECT_EQ(Compare("", "5"), -1);
  EXPECT_EQ(Compare("", ""), 0);
  EXPECT_EQ(Compare("1A ", "1B"), -1);  // trailing blank: not a number, compared as text
  EXPECT_EQ(Compare("升级失败", "升级成功"),
            Sign(QStringLiteral("升级失败").compare(QStringLiteral("升级成功"))));
}

TEST(SortCompare, IsAntisymmetricAndZeroForEqualTexts) {
  const QStringList texts = {"",
                             "0",
                             "9",
                             "10",
                             "A",
                             "ff",
                             "-3",
                             "2.5",
                             "50%",
                             "7%",
                             "nan",
                             "inf",
                             "1e3",
                             "12:30",
                             "2026-12-07",
                             "7 Dec 2026",
                             "192.168.1.64",
                             "00:11:22:33:44:55",
                             "升级成功",
                             "Zebra"};
  for (const QString& a : texts) {
    EXPECT_EQ(CReportCtrl::Compare(a, a), 0) << a.toStdString();
    for (const QString& b : texts) {
      EXPECT_EQ(Sign(CReportCtrl::Compare(a, b)), -Sign(CReportCtrl::Compare(b, a)))
          << a.toStdString() << " / " << b.toStdString();
    }
  }
}

}  // namespace
