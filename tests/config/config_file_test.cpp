#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <bit>
#include <cstring>
#include <limits>

#include "config/config_file.h"
#include "config/instruction_flags.h"

namespace config {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

void PutInt32(QByteArray& bytes, int offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

// A header as the program writes it, followed by settingsBytes bytes of settings.
QByteArray ValidFile(int settingsBytes = kSettingsSize) {
  QByteArray bytes(kHeaderSize + settingsBytes, '\0');
  std::memcpy(bytes.data(), "BU_config_data", 15);
  PutInt32(bytes, 16, 0x3F99999Au);
  PutInt32(bytes, 20, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

class ConfigFileTest : public ::testing::Test {
 protected:
  QString Path() const { return ConfigFilePath(m_dir.path()); }

  QTemporaryDir m_dir;
};

TEST_F(ConfigFileTest, FirstStartDefaultsProduceExactlyTheDefaultImage) {
  ConfigSet set;
  for (Int32Field flag : kDefaultCheckedFlags) RecordInstructionCheck(set, flag, true);
  set.Set(kDeviceCountIndex, kDefaultDeviceCountIndex);
  set.Set(kFormatTimeoutIndex, kDefaultFormatTimeoutIndex);
  ASSERT_EQ(StoreConfigSet(set, m_dir.path()), kStoreOk);

  QByteArray expected(kConfigSize, '\0');
  std::memcpy(expected.data(), "BU_config_data", 15);
  PutInt32(expected, 16, 0x3F99999Au);  // 1.2f
  PutInt32(expected, 20, 12324);
  PutInt32(expected, 56, 23);
  PutInt32(expected, 848, 4);
  for (int offset : {60, 64, 840, 844, 864, 868}) PutInt32(expected, offset, 1);

  const QByteArray actual = ReadAll(Path());
  ASSERT_EQ(actual.size(), kConfigSize);
  for (int i = 0; i < kConfigSize; ++i) {
    ASSERT_EQ(actual[i], expected[i]) << "byte " << i;
  }
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"config.dat"});
}

TEST_F(ConfigFileTest, RefusedFilesGiveTheirCodeAndLeaveTheSetZero) {
  struct Case {
    const char* name;
    QByteArray bytes;
    int expected;
  };
  QByteArray version125 = ValidFile();
  PutInt32(version125, 16, std::bit_cast<std::uint32_t>(1.25f));
  QByteArray wrongMagic = ValidFile();
  wrongMagic[0] = 'b';
  QByteArray magicWithoutZero = ValidFile();
  magicWithoutZero[14] = '!';
  QByteArray nanVersion = ValidFile();
  PutInt32(nanVersion, 16, std::bit_cast<std::uint32_t>(std::numeric_limits<float>::quiet_NaN()));
  QByteArray garbage(kConfigSize, '\0');
  for (int i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 131 + 7) % 251);

  const Case cases[] = {
      {"version 1.25", version125, kLoadWrongVersion},
      {"NaN version", nanVersion, kLoadWrongVersion},
      {"length 12323", ValidFile().left(12323), kLoadWrongLength},
      {"length 12325", ValidFile() + QByteArray(1, '\0'), kLoadWrongLength},
      {"wrong magic", wrongMagic, kLoadWrongMagic},
      {"magic without its zero byte", magicWithoutZero, kLoadWrongMagic},
      {"garbage", garbage, kLoadWrongLength},
      {"ten bytes", QByteArray("BU_config_"), kLoadWrongLength},
      // Length 0 equals the zero total size the empty header reads as; the magic refuses it.
      {"empty", QByteArray(), kLoadWrongMagic},
  };
  for (const Case& c : cases) {
    WriteAll(Path(), c.bytes);
    ConfigSet set;
    set.Set(kSearchFlag, 1);
    set.Set(kEthernetIPAddress, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(LoadConfigSet(set, m_dir.path()), c.expected) << c.name;
    EXPECT_EQ(set.Image(), ConfigImage{}) << c.name;
  }
}

TEST_F(ConfigFileTest, MissingOrUnopenableFileLeavesTheSetUntouched) {
  ConfigSet set;
  set.Set(kRebootFlag, 1);
  const ConfigImage before = set.Image();
  EXPECT_EQ(LoadConfigSet(set, m_dir.path()), kLoadCannotOpen);
  EXPECT_EQ(set.Image(), before);

  ASSERT_TRUE(QDir(m_dir.path()).mkdir("config.dat"));
  EXPECT_EQ(LoadConfigSet(set, m_dir.path()), kLoadCannotOpen);
  EXPECT_EQ(set.Image(), before);
}

TEST_F(ConfigFileTest, VersionIsAcceptedOnlyStrictlyWithinTheTolerance) {
  for (float version : {1.2f, 1.20005f, 1.19995f}) {
    QByteArray bytes = ValidFile();
    PutInt32(bytes, 16, std::bit_cast<std::uint32_t>(version));
    WriteAll(Path(), bytes);
    ConfigSet set;
    EXPECT_EQ(LoadConfigSet(set, m_dir.path()), kLoadOk) << version;
  }
  for (float version : {1.2002f, 1.1998f, 0.0f}) {
    QByteArray bytes = ValidFile();
    PutInt32(bytes, 16, std::bit_cast<std::uint32_t>(version));
    WriteAll(Path(), bytes);
    ConfigSet set;
    EXPECT_EQ(LoadConfigSet(set, m_dir.path()), kLoadWrongVersion) << version;
  }
}

TEST_F(ConfigFileTest, EveryByteSurvivesLoadAndStore) {
  // Every settings byte nonzero, and the reserved header bytes too: they are carried over.
  QByteArray original = ValidFile();
  original[15] = '\x5A';
  for (int i = 24; i < kHeaderSize; ++i) original[i] = static_cast<char>(0xC0 + i);
  for (int i = kHeaderSize; i < kConfigSize; ++i) {
    original[i] = static_cast<char>(1 + (i * 37) % 255);
  }
  WriteAll(Path(), original);

  ConfigSet set;
  ASSERT_EQ(LoadConfigSet(set, m_dir.path()), kLoadOk);
  QTemporaryDir other;
  ASSERT_EQ(StoreConfigSet(set, other.path()), kStoreOk);
  EXPECT_EQ(ReadAll(ConfigFilePath(other.path())), original);
}

TEST_F(ConfigFileTest, ShortSettingsAreaOfAConsistentFileReadsAsZero) {
  QByteArray bytes = ValidFile(100);
  for (int i = kHeaderSize; i < bytes.size(); ++i) bytes[i] = '\x11';
  WriteAll(Path(), bytes);

  ConfigSet set;
  set.Set(kDeviceLanguage, 3);
  ASSERT_EQ(LoadConfigSet(set, m_dir.path()), kLoadOk);
  const ConfigImage image = set.Image();
  for (int i = kHeaderSize; i < kConfigSize; ++i) {
    ASSERT_EQ(image[i], i < kHeaderSize + 100 ? 0x11 : 0) << "byte " << i;
  }
}

TEST_F(ConfigFileTest, TextInTheFileRoundTripsAsGbk) {
  const QString title = QString::fromUtf8("前门摄像机-1");
  ConfigSet set;
  set.Set(kTimeTitleTitle, title);
  ASSERT_EQ(StoreConfigSet(set, m_dir.path()), kStoreOk);

  const QByteArray bytes = ReadAll(Path());
  // "前门" in GBK.
  EXPECT_EQ(bytes.mid(kTimeTitleTitle.offset, 4), QByteArray("\xC7\xB0\xC3\xC5"));
  ConfigSet loaded;
  ASSERT_EQ(LoadConfigSet(loaded, m_dir.path()), kLoadOk);
  EXPECT_EQ(loaded.Get(kTimeTitleTitle), title);
}

TEST_F(ConfigFileTest, HandEditedTextWithoutZeroByteEndsWithItsField) {
  QByteArray bytes = ValidFile();
  bytes.replace(kClockServerIP.offset, kTextFieldSize, QByteArray(kTextFieldSize, 'a'));
  PutInt32(bytes, kClockServerPort.offset, 0x62626262u);  // "bbbb" right after the field
  WriteAll(Path(), bytes);

  ConfigSet set;
  ASSERT_EQ(LoadConfigSet(set, m_dir.path()), kLoadOk);
  EXPECT_EQ(set.Get(kClockServerIP), QString(kTextFieldSize, QChar(u'a')));
  EXPECT_EQ(set.GetAnsi(kClockServerIP), std::string(kTextFieldSize, 'a'));
}

TEST_F(ConfigFileTest, StoreThatCannotWriteReturnsMinusOne) {
  ConfigSet set;
  EXPECT_EQ(StoreConfigSet(set, m_dir.filePath("missing/deeper")), kStoreCannotWrite);

  WriteAll(m_dir.filePath("plain"), "not a directory");
  EXPECT_EQ(StoreConfigSet(set, m_dir.filePath("plain")), kStoreCannotWrite);

  // A directory in config.dat's place cannot be replaced, and no temporary file is left behind.
  ASSERT_TRUE(QDir(m_dir.path()).mkdir("config.dat"));
  EXPECT_EQ(StoreConfigSet(set, m_dir.path()), kStoreCannotWrite);
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"plain"});
}

// The mode bits of path, or -1 when it cannot be read.
int ModeOf(const QString& path) {
  struct stat info {};
  if (stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

TEST_F(ConfigFileTest, StoredFileHoldingPasswordsIsReadableByItsOwnerOnly) {
  ConfigSet set;
  set.Set(kSmtpPassword, QStringLiteral("secret"));
  ASSERT_EQ(StoreConfigSet(set, m_dir.path()), kStoreOk);
  EXPECT_EQ(ModeOf(Path()), 0600);

  // A file left with wider rights (an older build, a copy) is tightened by the next store, and
  // still replaced whole.
  ASSERT_EQ(chmod(QFile::encodeName(Path()).constData(), 0644), 0);
  set.Set(kSmtpPassword, QStringLiteral("other"));
  ASSERT_EQ(StoreConfigSet(set, m_dir.path()), kStoreOk);
  EXPECT_EQ(ModeOf(Path()), 0600);
  ConfigSet loaded;
  ASSERT_EQ(LoadConfigSet(loaded, m_dir.path()), kLoadOk);
  EXPECT_EQ(loaded.Image(), set.Image());
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"config.dat"});
}

TEST_F(ConfigFileTest, ProcessWideSetStoresEveryPendingEditOnAnyWrite) {
  SetConfigDirectory(m_dir.path());
  ConfigSet& set = ProcessConfigSet();
  set.Clear();
  set.Set(kEthernetGroupFlag, 1);
  set.Set(kEthernetIPAddress, QStringLiteral("192.168.1.200"));
  RecordInstructionCheck(set, kFormatSd1Flag, true);
  ASSERT_EQ(StoreConfig(), kStoreOk);

  set.Clear();
  ASSERT_EQ(LoadConfig(), kLoadOk);
  EXPECT_EQ(set.Get(kEthernetGroupFlag), 1);
  EXPECT_EQ(set.Get(kEthernetIPAddress), QStringLiteral("192.168.1.200"));
  EXPECT_EQ(set.Get(kFormatSd1Flag), 1);
  set.Clear();
  SetConfigDirectory(QString());
}

}  // namespace
}  // namespace config
