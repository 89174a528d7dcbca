#include <gtest/gtest.h>

#include <QString>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "config/config_set.h"
#include "config/instruction_flags.h"

namespace config {
namespace {

TEST(ConfigSet, ValuesAreLittleEndianAtTheirOffsetsAndTouchNothingElse) {
  ConfigSet set;
  set.Set(kStreamingVideoPort, 0x01020304);
  set.Set(kClockManualYear, std::uint16_t{0x07E8});
  set.Set(MotionBlockFlag(63), std::uint8_t{1});
  set.Set(MotionDay(7).endTime.second, -2);

  ConfigImage expected{};
  expected[9892] = 0x04;
  expected[9893] = 0x03;
  expected[9894] = 0x02;
  expected[9895] = 0x01;
  expected[12012] = 0xE8;
  expected[12013] = 0x07;
  expected[11223] = 1;
  for (int i = 11480; i < 11484; ++i) expected[i] = i == 11480 ? 0xFE : 0xFF;
  EXPECT_EQ(set.Image(), expected);
  EXPECT_EQ(set.Get(MotionDay(7).endTime.second), -2);
  EXPECT_EQ(set.Get(kClockManualYear), 2024);
}

TEST(ConfigSet, TextIsGbkCutAtACharacterBoundaryAndZeroFilled) {
  ConfigSet set;
  set.Set(kPlatformServer, QString(300, QChar(u'x')));
  set.Set(kPlatformServer, QStringLiteral("abc"));
  EXPECT_EQ(set.Get(kPlatformServer), QStringLiteral("abc"));
  const ConfigImage image = set.Image();
  for (int i = kPlatformServer.offset + 3; i < kPlatformServer.offset + kTextFieldSize; ++i) {
    ASSERT_EQ(image[i], 0) << "byte " << i;
  }

  // 128 two-byte characters do not fit in 255 bytes: 127 of them are kept, never half of one.
  const QString chinese(128, QChar(0x4E2D));
  set.Set(kSmtpPassword, chinese);
  EXPECT_EQ(set.Get(kSmtpPassword), chinese.left(127));
  EXPECT_EQ(set.GetAnsi(kSmtpPassword).size(), 254u);
  EXPECT_EQ(set.Get(SmtpRecipient(0).toEmail), QString());  // the next field stays empty
}

TEST(ConfigSet, FieldOutsideTheImageIsNeitherReadNorWritten) {
  ConfigSet set;
  set.Set(Int32Field{kConfigSize - 2}, 7);
  set.Set(TextField{kConfigSize - 10}, QStringLiteral("x"));
  set.Set(ByteField{-1}, std::uint8_t{1});
  EXPECT_EQ(set.Image(), ConfigImage{});
  EXPECT_EQ(set.Get(Int32Field{kConfigSize}), 0);
  EXPECT_EQ(set.Get(TextField{kConfigSize - 255}), QString());
}

TEST(ConfigSet, HeaderCarriesMagicVersionAndSizeAndKeepsReservedBytes) {
  ConfigImage image{};
  image[15] = 0x77;
  image[30] = 0x55;
  ConfigSet set;
  set.SetImage(image);
  set.SetHeader();
  const ConfigImage after = set.Image();
  EXPECT_EQ(std::memcmp(after.data(), "BU_config_data", 15), 0);
  EXPECT_EQ(set.Get(kVersion), 1.2f);
  EXPECT_EQ(set.Get(kTotalSize), 12324);
  EXPECT_EQ(after[15], 0x77);
  EXPECT_EQ(after[30], 0x55);
}

TEST(ConfigSet, ConcurrentReaderSeesEveryTextWhole) {
  ConfigSet set;
  const QString first(200, QChar(u'a'));
  const QString second = QStringLiteral("b");
  set.Set(kEthernetDNS1, first);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) set.Set(kEthernetDNS1, i % 2 ? first : second);
    stop = true;
  });
  int reads = 0;
  while (!stop || reads == 0) {
    const QString seen = set.Get(kEthernetDNS1);
    ASSERT_TRUE(seen == first || seen == second) << seen.size();
    ++reads;
  }
  writer.join();
}

TEST(InstructionFlags, OtherSettingsExcludesRestoreAndReboot) {
  using Flags = std::vector<Int32Field>;
  ConfigSet set;
  for (Int32Field flag : {kFactoryRestoreFlag, kRebootFlag})
    EXPECT_EQ(RecordInstructionCheck(set, flag, true), Flags{kOtherSettingsFlag});
  EXPECT_EQ(set.Get(kFactoryRestoreFlag), 1);
  EXPECT_EQ(set.Get(kRebootFlag), 1);

  EXPECT_EQ(RecordInstructionCheck(set, kOtherSettingsFlag, true),
            (Flags{kFactoryRestoreFlag, kRebootFlag}));
  EXPECT_EQ(set.Get(kOtherSettingsFlag), 1);
  EXPECT_EQ(set.Get(kFactoryRestoreFlag), 0);
  EXPECT_EQ(set.Get(kRebootFlag), 0);

  EXPECT_EQ(RecordInstructionCheck(set, kRebootFlag, true), Flags{kOtherSettingsFlag});
  EXPECT_EQ(set.Get(kOtherSettingsFlag), 0);

  // Unchecking clears only the box's own flag; the other instructions exclude nothing.
  RecordInstructionCheck(set, kFactoryRestoreFlag, true);
  EXPECT_TRUE(RecordInstructionCheck(set, kRebootFlag, false).empty());
  EXPECT_EQ(set.Get(kRebootFlag), 0);
  EXPECT_EQ(set.Get(kFactoryRestoreFlag), 1);
  EXPECT_TRUE(RecordInstructionCheck(set, kFormatSd2Flag, true).empty());
  EXPECT_EQ(set.Get(kFormatSd2Flag), 1);
  EXPECT_EQ(set.Get(kFactoryRestoreFlag), 1);
}

}  // namespace
}  // namespace config
