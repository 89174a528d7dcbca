#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <memory>

#include "config/config_fields.h"
#include "config/config_file.h"
#include "config/config_set.h"
#include "platform/dialog_service.h"
#include "support/app_fixture.h"

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

std::int32_t IntAt(const QByteArray& bytes, int offset) {
  std::int32_t value = 0;
  std::memcpy(&value, bytes.constData() + offset, 4);
  return value;
}

void ExpectDefaultFile(const QByteArray& bytes) {
  ASSERT_EQ(bytes.size(), 12324);
  EXPECT_EQ(QByteArray(bytes.constData(), 15), QByteArray("BU_config_data", 15));
  EXPECT_EQ(bytes[15], 0);
  float version = 0;
  std::memcpy(&version, bytes.constData() + 16, 4);
  EXPECT_FLOAT_EQ(version, 1.2f);
  EXPECT_EQ(IntAt(bytes, 20), 12324);
  for (int offset = 24; offset < 56; ++offset) EXPECT_EQ(bytes[offset], 0) << offset;
  EXPECT_EQ(IntAt(bytes, 56), 23);
  EXPECT_EQ(IntAt(bytes, 848), 4);
  for (int offset : {60, 64, 840, 844, 864, 868}) EXPECT_EQ(IntAt(bytes, offset), 1) << offset;
  for (int offset : {68, 852, 856, 860, 872}) EXPECT_EQ(IntAt(bytes, offset), 0) << offset;
  // Every group field from offset 876 on is zero.
  for (int offset = 876; offset < 12324; ++offset) ASSERT_EQ(bytes[offset], 0) << offset;
}

void ExpectDefaultControls(CRavendockDlg& window) {
  EXPECT_EQ(window.GetDlgItemText(1020), QStringLiteral("24"));
  EXPECT_EQ(window.ExpectedCount(), 24);
  EXPECT_EQ(window.GetDlgItemText(1038), QStringLiteral("5"));
  EXPECT_EQ(window.FormatTimeoutMs(), 300000);
  for (int id : {1059, 1039, 1041, 1040, 1045, 1060})
    EXPECT_TRUE(window.IsDlgButtonChecked(id)) << id;
  for (int id : {1215, 1216, 1042, 1043, 1044, 1046})
    EXPECT_FALSE(window.IsDlgButtonChecked(id)) << id;
}

using Settings = testsupport::AppFixture;

TEST_F(Settings, AFirstStartWritesExactlyTheDefaults) {
  ExpectDefaultControls(window());
  ExpectDefaultFile(ReadFile(configPath()));
}

TEST_F(Settings, ARefusedFileIsReplacedByTheDefaults) {
  QByteArray good = ReadFile(configPath());
  QByteArray version125 = good;
  const float badVersion = 1.25f;
  std::memcpy(version125.data() + 16, &badVersion, 4);
  QByteArray wrongMagic = good;
  wrongMagic[3] = 'X';
  const QByteArray shortFile = good.left(12323);
  const QByteArray garbage(5000, '\xA5');
  for (const QByteArray& refused : {version125, wrongMagic, shortFile, garbage}) {
    // A choice of the earlier run must not survive a refused file.
    QByteArray bytes = refused;
    if (bytes.size() > 900) std::memset(bytes.data() + 852, 1, 4);
    WriteFile(configPath(), bytes);
    OpenWindow();
    ExpectDefaultControls(window());
    ExpectDefaultFile(ReadFile(configPath()));
  }
}

TEST_F(Settings, ARestartRestoresSelectionsAndCheckMarks) {
  auto* count = window().DlgItem<QComboBox>(1020);
  count->setCurrentIndex(2);  // "3"
  window().OnSelchangeExpectedCount();
  auto* timeout = window().DlgItem<QComboBox>(1038);
  timeout->setCurrentIndex(16);  // "30"
  window().OnSelchangeFormatTimeout();
  window().DlgItem<QCheckBox>(1042)->click();
  window().DlgItem<QCheckBox>(1040)->click();

  OpenWindow();
  EXPECT_EQ(window().GetDlgItemText(1020), QStringLiteral("3"));
  EXPECT_EQ(window().ExpectedCount(), 3);
  EXPECT_EQ(window().GetDlgItemText(1038), QStringLiteral("30"));
  EXPECT_EQ(window().FormatTimeoutMs(), 30 * 60000);
  EXPECT_TRUE(window().IsDlgButtonChecked(1042));
  EXPECT_FALSE(window().IsDlgButtonChecked(1040));
  EXPECT_TRUE(window().IsDlgButtonChecked(1059));
}

TEST_F(Settings, AVersionWithinTheToleranceIsAccepted) {
  QByteArray bytes = ReadFile(configPath());
  const float version = 1.20005f;
  std::memcpy(bytes.data() + 16, &version, 4);
  const std::int32_t sd2 = 1;
  std::memcpy(bytes.data() + 856, &sd2, 4);
  WriteFile(configPath(), bytes);
  OpenWindow();
  EXPECT_TRUE(window().IsDlgButtonChecked(1043));
}

TEST_F(Settings, TogglingACheckBoxRewritesTheWholeFileWithGroupEdits) {
  config::ProcessConfigSet().Set(config::kEthernetIPAddress, QStringLiteral("10.1.2.3"));
  config::ProcessConfigSet().Set(config::kEthernetGroupFlag, 1);
  window().DlgItem<QCheckBox>(1044)->click();
  const QByteArray bytes = ReadFile(configPath());
  EXPECT_EQ(IntAt(bytes, 860), 1);
  EXPECT_EQ(IntAt(bytes, 876), 1);
  EXPECT_EQ(QByteArray(bytes.constData() + 880), QByteArray("10.1.2.3"));
}

TEST_F(Settings, OtherSettingsExcludesRestoreAndReboot) {
  window().DlgItem<QCheckBox>(1046)->click();
  EXPECT_TRUE(window().IsDlgButtonChecked(1046));
  EXPECT_FALSE(window().IsDlgButtonChecked(1045));
  EXPECT_FALSE(window().IsDlgButtonChecked(1060));
  QByteArray bytes = ReadFile(configPath());
  EXPECT_EQ(IntAt(bytes, 872), 1);
  EXPECT_EQ(IntAt(bytes, 864), 0);
  EXPECT_EQ(IntAt(bytes, 868), 0);

  window().DlgItem<QCheckBox>(1060)->click();
  EXPECT_FALSE(window().IsDlgButtonChecked(1046));
  bytes = ReadFile(configPath());
  EXPECT_EQ(IntAt(bytes, 872), 0);
  EXPECT_EQ(IntAt(bytes, 868), 1);
}

TEST_F(Settings, AllNetworkOnAndOffExcludeEachOtherAndAreNotStored) {
  const QByteArray before = ReadFile(configPath());
  window().DlgItem<QCheckBox>(1215)->click();
  window().DlgItem<QCheckBox>(1216)->click();
  EXPECT_TRUE(window().IsDlgButtonChecked(1216));
  EXPECT_FALSE(window().IsDlgButtonChecked(1215));
  window().DlgItem<QCheckBox>(1215)->click();
  EXPECT_TRUE(window().IsDlgButtonChecked(1215));
  EXPECT_FALSE(window().IsDlgButtonChecked(1216));
  EXPECT_EQ(ReadFile(configPath()), before);
}

TEST_F(Settings, AStoredIndexThatNamesNoItemFallsBackToTheDefault) {
  QByteArray bytes = ReadFile(configPath());
  const std::int32_t bad = 999;
  std::memcpy(bytes.data() + 56, &bad, 4);
  WriteFile(configPath(), bytes);
  OpenWindow();
  EXPECT_EQ(window().ExpectedCount(), 24);
}

}  // namespace

// A folder below a regular file can be neither created nor written, whoever runs the test.
class UnwritableProgramFolder : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_root.isValid());
    WriteFile(m_root.filePath(QStringLiteral("file")), "x");
    m_savedXdg = qgetenv("XDG_CONFIG_HOME");
    platform::SetDialogService(&m_dialogs);
    config::ProcessConfigSet().Clear();
  }
  void TearDown() override {
    m_window.reset();
    platform::SetDialogService(nullptr);
    qputenv("XDG_CONFIG_HOME", m_savedXdg);
  }
  void Start() {
    m_window.reset();
    m_window = std::make_unique<CRavendockDlg>(Blocked(QStringLiteral("program")));
    m_window->OnInitDialog();
  }
  QString Blocked(const QString& name) const {
    return m_root.filePath(QStringLiteral("file/") + name);
  }

  QTemporaryDir m_root;
  QByteArray m_savedXdg;
  platform::ScriptedDialogs m_dialogs;
  std::unique_ptr<CRavendockDlg> m_window;
};

TEST_F(UnwritableProgramFolder,
       SelectionsSurviveARestartInTheUserFolderOrTheStartSaysOnceTheyCannot) {
  qputenv("XDG_CONFIG_HOME", m_root.filePath(QStringLiteral("xdg")).toUtf8());
  Start();
  m_window->DlgItem<QComboBox>(1020)->setCurrentIndex(2);
  m_window->OnSelchangeExpectedCount();
  const QString stored = m_root.filePath(QStringLiteral("xdg/ravendock/config.dat"));
  EXPECT_EQ(ReadFile(stored).size(), 12324);
  Start();
  EXPECT_EQ(m_window->ExpectedCount(), 3);
  EXPECT_TRUE(m_dialogs.shown().empty());

  // Neither folder takes a file: one message at start-up, and the window still works.
  qputenv("XDG_CONFIG_HOME", Blocked(QStringLiteral("xdg")).toUtf8());
  Start();
  ASSERT_EQ(m_dialogs.shown().size(), 1u);
  EXPECT_TRUE(m_dialogs.shown().front().text.contains(Blocked(QStringLiteral("program"))));
  m_window->DlgItem<QComboBox>(1020)->setCurrentIndex(4);
  m_window->OnSelchangeExpectedCount();
  EXPECT_EQ(m_window->ExpectedCount(), 5);
  EXPECT_EQ(m_dialogs.shown().size(), 1u) << "said once, not at every store";
}
