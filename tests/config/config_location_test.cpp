#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

#include "config/config_file.h"
#include "config/config_location.h"
#include "config/instruction_flags.h"

namespace config {
namespace {

// Sets or removes an environment variable for one test and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<QString> value) : m_name(name) {
    if (qEnvironmentVariableIsSet(name)) m_old = qgetenv(name);
    Apply(value ? std::optional<QByteArray>(QFile::encodeName(*value)) : std::nullopt);
  }
  ~ScopedEnvironment() { Apply(m_old); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Apply(const std::optional<QByteArray>& value) {
    if (value) {
      qputenv(m_name, *value);
    } else {
      qunsetenv(m_name);
    }
  }

  const char* m_name;
  std::optional<QByteArray> m_old;
};

int ModeOf(const QString& path) {
  struct stat info {};
  if (stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

// Everything in directory, hidden files too: a probe file left behind shows up here.
QStringList EntriesOf(const QString& directory) {
  return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                   QDir::NoDotAndDotDot);
}

// Whether a mode of 0555 actually stops this process from creating files in directory; it does
// not for root or a process with CAP_DAC_OVERRIDE.
bool ReadOnlyModeBinds(const QString& directory) {
  const QByteArray path = QFile::encodeName(QDir(directory).filePath(".bind-check"));
  const int fd = open(path.constData(), O_CREAT | O_EXCL | O_WRONLY, 0600);
  if (fd < 0) return true;
  close(fd);
  unlink(path.constData());
  return false;
}

class ConfigLocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_root.isValid());
    QFile plain(m_root.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  }
  void TearDown() override {
    SetConfigDirectory(QString());
    ProcessConfigSet().Clear();
  }

  // A folder beneath a regular file: nobody, root included, can create anything there.
  QString UnderAFile(const QString& name) const { return m_root.filePath("plain/" + name); }

  QTemporaryDir m_root;
  ScopedEnvironment m_xdg{"XDG_CONFIG_HOME", m_root.filePath("xdg")};
};

TEST_F(ConfigLocationTest, WritableProgramFolderKeepsConfigBesideTheExecutable) {
  const QString program = m_root.filePath("bin");
  ASSERT_TRUE(QDir(m_root.path()).mkdir("bin"));

  const ConfigLocation location = ChooseConfigDirectory(program);
  EXPECT_EQ(location.directory, program);
  EXPECT_TRUE(location.writable);
  // The probe is gone, and the user folder was never needed.
  EXPECT_EQ(EntriesOf(program), QStringList());
  EXPECT_FALSE(QFileInfo::exists(m_root.filePath("xdg")));

  ConfigSet set;
  set.Set(kSmtpPassword, QStringLiteral("secret"));
  ASSERT_EQ(StoreConfigSet(set, location.directory), kStoreOk);
  EXPECT_EQ(EntriesOf(program), QStringList{"config.dat"});
  EXPECT_EQ(ModeOf(ConfigFilePath(program)), 0600);
}

// An installed program (bin/ beside the private lib/ravendock) writes nothing beside its
// executable, even where it could (root): its settings live in the user folder, where a
// config.dat it left there earlier is taken over once, and the old file is never written again.
TEST_F(ConfigLocationTest,
       AnInstalledProgramKeepsItsSettingsInTheUserFolderAndTakesTheOldFileOnce) {
  ASSERT_TRUE(QDir(m_root.path()).mkpath("prefix/bin"));
  ASSERT_TRUE(QDir(m_root.path()).mkpath("prefix/lib/ravendock"));
  const QString program = m_root.filePath("prefix/bin");
  const QString user = m_root.filePath("xdg/ravendock");
  ConfigSet old;
  old.Set(kSmtpPassword, QStringLiteral("left beside"));
  ASSERT_EQ(StoreConfigSet(old, program), kStoreOk);
  QFile cameras(QDir(program).filePath("cameras.json"));
  ASSERT_TRUE(cameras.open(QIODevice::WriteOnly));
  cameras.write("{}");
  cameras.close();
  const QByteArray oldBytes = [&] {
    QFile file(ConfigFilePath(program));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }();

  EXPECT_TRUE(IsInstalledLayout(program));
  const ConfigLocation first = ChooseConfigDirectory(program);
  EXPECT_EQ(first.directory, user);
  EXPECT_TRUE(first.writable);
  EXPECT_EQ(first.movedFrom, program);
  EXPECT_EQ(ModeOf(user), 0700);
  EXPECT_EQ(ModeOf(ConfigFilePath(user)), 0600);
  EXPECT_EQ(ModeOf(QDir(user).filePath("cameras.json")), 0600);
  EXPECT_EQ(first.movedFiles, (QStringList{"config.dat", "cameras.json"}));
  EXPECT_TRUE(MovedConfigMessage(first).contains(user));
  EXPECT_TRUE(MovedConfigMessage(first).contains("config.dat、cameras.json"));
  ConfigSet taken;
  ASSERT_EQ(LoadConfigSet(taken, first.directory), kLoadOk);
  EXPECT_EQ(taken.Get(kSmtpPassword), QStringLiteral("left beside"));
  taken.Set(kSmtpPassword, QStringLiteral("changed"));
  ASSERT_EQ(StoreConfigSet(taken, first.directory), kStoreOk);

  // Later starts use the user folder alone; the old file stays as it was, with no probe left.
  const ConfigLocation later = ChooseConfigDirectory(program);
  EXPECT_EQ(later.directory, user);
  EXPECT_TRUE(later.movedFrom.isEmpty());
  EXPECT_TRUE(later.movedFiles.isEmpty());
  EXPECT_EQ(EntriesOf(program), (QStringList{"cameras.json", "config.dat"}));
  QFile file(ConfigFilePath(program));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), oldBytes);

  // Another installation that left only its cameras file: the message names that file alone.
  ASSERT_TRUE(QDir(m_root.path()).mkpath("other/bin"));
  ASSERT_TRUE(QDir(m_root.path()).mkpath("other/lib/ravendock"));
  const QString otherProgram = m_root.filePath("other/bin");
  ASSERT_TRUE(QFile::copy(QDir(program).filePath("cameras.json"),
                          QDir(otherProgram).filePath("cameras.json")));
  ScopedEnvironment otherUser("XDG_CONFIG_HOME", m_root.filePath("xdg-other"));
  const ConfigLocation camerasOnly = ChooseConfigDirectory(otherProgram);
  EXPECT_EQ(camerasOnly.movedFiles, QStringList{"cameras.json"});
  EXPECT_TRUE(MovedConfigMessage(camerasOnly).contains("cameras.json"));
  EXPECT_FALSE(MovedConfigMessage(camerasOnly).contains("config.dat"));

  // The system prefixes count as installed wherever the libraries are; a build folder does not.
  EXPECT_TRUE(IsInstalledLayout(QStringLiteral("/usr/bin")));
  EXPECT_TRUE(IsInstalledLayout(QStringLiteral("/usr/local/bin")));
  EXPECT_TRUE(IsInstalledLayout(QStringLiteral("/opt/ravendock/bin")));
  EXPECT_FALSE(IsInstalledLayout(m_root.filePath("build/bin")));
  EXPECT_FALSE(IsInstalledLayout(QStringLiteral("/usrlocal/bin")));
}

TEST_F(ConfigLocationTest, ProgramFolderWithoutWritesMovesConfigToAPrivateUserFolder) {
  // A user folder whose parents do not exist yet either, as on a first start in a new account.
  ScopedEnvironment xdg("XDG_CONFIG_HOME", m_root.filePath("home/.config"));
  const QString program = UnderAFile("bin");
  const QString user = m_root.filePath("home/.config/ravendock");

  const ConfigLocation first = ChooseConfigDirectory(program);
  ASSERT_EQ(first.directory, user);
  EXPECT_TRUE(first.writable);
  EXPECT_EQ(ModeOf(user), 0700);
  EXPECT_EQ(EntriesOf(user), QStringList());

  // The selections of one run, stored as the window stores them.
  SetConfigDirectory(first.directory);
  ConfigSet& set = ProcessConfigSet();
  set.Clear();
  RecordInstructionCheck(set, kFormatSd1Flag, true);
  RecordInstructionCheck(set, kOtherSettingsFlag, true);
  set.Set(kDeviceCountIndex, 11);
  set.Set(kEthernetIPAddress, QStringLiteral("192.168.1.200"));
  set.Set(kSmtpPassword, QStringLiteral("secret"));
  ASSERT_EQ(StoreConfig(), kStoreOk);
  EXPECT_EQ(EntriesOf(user), QStringList{"config.dat"});
  EXPECT_EQ(ModeOf(ConfigFilePath(user)), 0600);

  // The next start finds the same folder, as it was, and reads the selections back.
  const ConfigLocation second = ChooseConfigDirectory(program);
  EXPECT_EQ(second.directory, user);
  EXPECT_TRUE(second.writable);
  EXPECT_EQ(ModeOf(user), 0700);
  ConfigSet loaded;
  ASSERT_EQ(LoadConfigSet(loaded, second.directory), kLoadOk);
  EXPECT_EQ(loaded.Image(), set.Image());
  EXPECT_EQ(loaded.Get(kFormatSd1Flag), 1);
  EXPECT_EQ(loaded.Get(kOtherSettingsFlag), 1);
  EXPECT_EQ(loaded.Get(kDeviceCountIndex), 11);
  EXPECT_EQ(loaded.Get(kEthernetIPAddress), QStringLiteral("192.168.1.200"));

  // A store into the folder that now holds the file keeps it owner-only.
  set.Set(kSmtpPassword, QStringLiteral("other"));
  ASSERT_EQ(StoreConfigSet(set, second.directory), kStoreOk);
  EXPECT_EQ(ModeOf(ConfigFilePath(user)), 0600);
  EXPECT_EQ(EntriesOf(user), QStringList{"config.dat"});
}

TEST_F(ConfigLocationTest, ReadOnlyProgramFolderMovesConfigToTheUserFolder) {
  const QString program = m_root.filePath("bin");
  ASSERT_TRUE(QDir(m_root.path()).mkdir("bin"));
  ASSERT_EQ(chmod(QFile::encodeName(program).constData(), 0555), 0);
  const bool binds = ReadOnlyModeBinds(program);
  std::optional<ConfigLocation> location;
  if (binds) location = ChooseConfigDirectory(program);
  ASSERT_EQ(chmod(QFile::encodeName(program).constData(), 0755), 0);
  if (!binds) {
    GTEST_SKIP() << "this process writes through mode 0555 (root or CAP_DAC_OVERRIDE); the "
                    "unwritable program folder is covered by a folder beneath a file instead";
  }

  EXPECT_EQ(location->directory, m_root.filePath("xdg/ravendock"));
  EXPECT_TRUE(location->writable);
  EXPECT_EQ(ModeOf(location->directory), 0700);
  EXPECT_EQ(EntriesOf(program), QStringList());
}

TEST_F(ConfigLocationTest, UserFolderFollowsXdgConfigHomeOnlyWhenItIsAbsolute) {
  ScopedEnvironment home("HOME", m_root.filePath("home"));
  const QString fromHome = m_root.filePath("home/.config/ravendock");
  struct Case {
    const char* name;
    std::optional<QString> xdg;
    QString expected;
  };
  const Case cases[] = {
      {"unset", std::nullopt, fromHome},
      {"empty", QString(), fromHome},
      {"relative", QStringLiteral("cfg"), fromHome},
      {"dot-relative", QStringLiteral("./cfg"), fromHome},
      {"absolute", m_root.filePath("cfg"), m_root.filePath("cfg/ravendock")},
      {"absolute with a trailing slash", m_root.filePath("cfg") + "/",
       m_root.filePath("cfg/ravendock")},
  };
  for (const Case& c : cases) {
    ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(UserConfigDirectory(), c.expected) << c.name;
  }

  // Without a usable HOME the account's own home folder stands in.
  const passwd* account = getpwuid(getuid());
  ASSERT_NE(account, nullptr);
  const QString accountHome =
      QDir::cleanPath(QFile::decodeName(account->pw_dir) + "/.config/ravendock");
  ScopedEnvironment noXdg("XDG_CONFIG_HOME", std::nullopt);
  for (const std::optional<QString>& value :
       {std::optional<QString>(), std::optional<QString>(QStringLiteral("relative/home"))}) {
    ScopedEnvironment otherHome("HOME", value);
    EXPECT_EQ(UserConfigDirectory(), accountHome) << value.value_or("unset").toStdString();
  }
}

TEST_F(ConfigLocationTest, NoWritableFolderIsReportedAndNothingIsLeftBehind) {
  const QString program = UnderAFile("bin");
  ASSERT_TRUE(QDir(m_root.path()).mkdir("taken"));
  QFile taken(m_root.filePath("taken/ravendock"));
  ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
  taken.close();

  struct Case {
    const char* name;
    QString xdg;
  };
  const Case cases[] = {
      {"user folder beneath a file", UnderAFile("xdg")},
      {"a file where the user folder belongs", m_root.filePath("taken")},
  };
  for (const Case& c : cases) {
    ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdg);
    const ConfigLocation location = ChooseConfigDirectory(program);
    EXPECT_FALSE(location.writable) << c.name;
    EXPECT_EQ(location.directory, program) << c.name;
    ConfigSet set;
    EXPECT_EQ(StoreConfigSet(set, location.directory), kStoreCannotWrite) << c.name;

    const QString message = UnwritableConfigMessage(program);
    EXPECT_TRUE(message.contains(program)) << c.name;
    EXPECT_TRUE(message.contains(QDir(c.xdg).filePath("ravendock"))) << c.name;
  }
  EXPECT_TRUE(QFileInfo(m_root.filePath("taken/ravendock")).isFile());
  EXPECT_EQ(EntriesOf(m_root.filePath("taken")), QStringList{"ravendock"});
  EXPECT_FALSE(QFileInfo::exists(m_root.filePath("xdg")));
}

}  // namespace
}  // namespace config
