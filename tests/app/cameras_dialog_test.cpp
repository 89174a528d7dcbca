// The cameras window on the real main window: chosen from the system menu, stored owner-only
// beside config.dat, handed to the device library at the next search (ONVIF cameras of the
// simulator on loopback found with a credential only the window knows), kept over a restart,
// passwords never shown, netsdk.conf and the environment winning, and no change during a run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

#include "app/main_window_controls.h"
#include "batch/instruction_table.h"
#include "batch/messages.h"
#include "batch/run_controller.h"
#include "config/cameras/camera_settings.h"
#include "config/cameras/cameras_dlg.h"
#include "discovery/device_record.h"
#include "discovery/device_table.h"
#include "support/app_fixture.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "text/text.h"
#include "ui/main_dialog_ids.h"

namespace {

using namespace config;
using testsupport::RunUntil;

// The devices accept this one credential only; the test gives it to nobody but the window.
constexpr char kUser[] = "installer";
constexpr char kPassword[] = "Tr0ub4dor&3:#x";

int ModeOf(const QString& path) {
  struct stat info {};
  if (stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 0777);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CamerasWindow : public testsupport::AppFixture {
 protected:
  void TearDown() override {
    AppFixture::TearDown();
    m_network.reset();
  }

  // Opens the window from the system menu, as the user does, runs drive on it while it is
  // modal and returns once it has closed. False when it never opened.
  bool WithCamerasDialog(const std::function<void(CCamerasDlg&)>& drive) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = dynamic_cast<CCamerasDlg*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      opened = true;
      drive(*dialog);
      // A step that failed an assertion leaves the window open: close it so the test goes on.
      if (dialog->isVisible()) dialog->reject();
    });
    QAction* item = nullptr;
    for (QAction* action : window().SystemMenu()->actions())
      if (action->data().toUInt() == ids::IDM_CAMERAS) item = action;
    if (item == nullptr) return false;
    emit window().SystemMenu()->aboutToShow();
    item->trigger();
    return opened;
  }

  void SetExpectedCount(int count) {
    window().DlgItem<QComboBox>(1020)->setCurrentIndex(count - 1);
    window().OnSelchangeExpectedCount();
  }

  // A search of the table outside a run; the number of rows it listed.
  int Search(int expected) {
    SetExpectedCount(expected);
    window().Devices().StartSearch();
    EXPECT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
    return window().Devices().TotalCount();
  }

  std::unique_ptr<testsupport::SimNetwork> m_network;
};

void Type(QLineEdit* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  edit->setText(text);
}

// Every text a control of the dialog shows.
QStringList ShownTexts(QWidget& dialog) {
  QStringList texts = {dialog.windowTitle()};
  for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
    texts << edit->text() << edit->displayText() << edit->placeholderText();
  for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text() << label->toolTip();
  for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
  for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) texts << box->title();
  return texts;
}

class OnvifCameras : public CamerasWindow {
 protected:
  void BeforeInit() override {
    camsim::Scenario scenario = testsupport::Cameras(3);
    for (camsim::DeviceConfig& device : scenario.devices) {
      device.user = kUser;
      device.password = kPassword;
    }
    // Nothing set for the ONVIF backend: the program's window must choose it all.
    m_network = std::make_unique<testsupport::SimNetwork>(scenario, testsupport::kTestSpeedFactor,
                                                          camsim::Protocol::kOnvif, false);
  }
};

TEST_F(OnvifCameras, ChosenInTheWindowTheNextSearchFindsThemWithItsCredentialAndARestartKeepsIt) {
  testing::internal::CaptureStderr();
  const QString path = window().Cameras().FilePath();
  const QString endpoint = QString::fromStdString(m_network->simulator().Endpoint());
  EXPECT_EQ(Search(3), 0) << "the library starts on the simulator's framed protocol";

  ASSERT_TRUE(WithCamerasDialog([&](CCamerasDlg& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("选择摄像机"));
    EXPECT_TRUE(dialog.IsDlgButtonChecked(IDC_CAMERAS_SIMULATOR));
    EXPECT_TRUE(dialog.IsDlgButtonChecked(IDC_CAMERAS_LOOPBACK));
    EXPECT_TRUE(dialog.IsDlgButtonChecked(IDC_CAMERAS_HARD_RESTORE));
    EXPECT_TRUE(dialog.IsDlgItemEnabled(platform::IDOK));
    dialog.DlgItem<QRadioButton>(IDC_CAMERAS_ONVIF)->click();
    dialog.SetDlgItemText(IDC_CAMERAS_PROBE, endpoint);
    // Three rows, the middle one removed: a refused credential first, then the right one.
    for (int i = 0; i < 3; ++i) dialog.DlgItem<QPushButton>(IDC_CAMERAS_ADD)->click();
    Type(dialog.CredentialEdit(0, kCredentialUserColumn), QStringLiteral("admin"));
    Type(dialog.CredentialEdit(0, kCredentialPasswordColumn), QStringLiteral("Admin123"));
    Type(dialog.CredentialEdit(1, kCredentialUserColumn), QStringLiteral("removed"));
    dialog.DlgItem<QPushButton>(IDC_CAMERAS_REMOVE)->click();
    Type(dialog.CredentialEdit(1, kCredentialUserColumn), QString::fromLatin1(kUser));
    Type(dialog.CredentialEdit(1, kCredentialPasswordColumn), QString::fromLatin1(kPassword));
    EXPECT_EQ(dialog.CredentialEdit(1, kCredentialPasswordColumn)->echoMode(), QLineEdit::Password);
    dialog.DlgItem<QPushButton>(platform::IDOK)->click();
    EXPECT_FALSE(dialog.isVisible());
  }));

  EXPECT_EQ(ModeOf(path), 0600);
  const QByteArray stored = ReadFile(path);
  EXPECT_TRUE(stored.contains("\"onvif\"")) << stored.constData();
  EXPECT_TRUE(stored.contains("\"loopback\"")) << stored.constData();
  EXPECT_FALSE(stored.contains("removed"));
  // Nothing reaches the library before the search.
  char text[256] = {};
  EXPECT_EQ(IP_NET_DVR_GetOption("backend", text, sizeof text), NETSDK_OPTION_DEFAULT);

  ASSERT_EQ(Search(3), 3);
  EXPECT_EQ(IP_NET_DVR_GetOption("backend", text, sizeof text), NETSDK_OPTION_USER);
  EXPECT_STREQ(text, "onvif");
  for (int row = 0; row < 3; ++row) {
    const discovery::DeviceRecord* record = window().Devices().RecordAt(row);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->info.User(), kUser) << "the credential that worked, for the login";
  }

  // Opened again: the saved password is a hint only; untouched, it is kept.
  auto expectSaved = [&](CCamerasDlg& dialog) {
    EXPECT_TRUE(dialog.IsDlgButtonChecked(IDC_CAMERAS_ONVIF));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_CAMERAS_PROBE), endpoint);
    ASSERT_EQ(dialog.CredentialRows(), 2);
    EXPECT_EQ(dialog.CredentialEdit(1, kCredentialUserColumn)->text(), QString::fromLatin1(kUser));
    QLineEdit* password = dialog.CredentialEdit(1, kCredentialPasswordColumn);
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(password->placeholderText(), QStringLiteral("（已保存）"));
    for (const QString& shown : ShownTexts(dialog)) {
      EXPECT_FALSE(shown.contains(QString::fromLatin1(kPassword))) << shown.toStdString();
      EXPECT_FALSE(shown.contains(QStringLiteral("Admin123"))) << shown.toStdString();
    }
  };
  ASSERT_TRUE(WithCamerasDialog([&](CCamerasDlg& dialog) {
    expectSaved(dialog);
    dialog.DlgItem<QPushButton>(platform::IDOK)->click();
  }));
  EXPECT_TRUE(ReadFile(path).contains(kPassword)) << "a saved password is kept";

  // A restart: a new library and a new window read the file again.
  CloseWindow();
  IP_NET_DVR_Cleanup();
  IP_NET_DVR_SetTimeScale(testsupport::kTestSpeedFactor);
  IP_NET_DVR_SetEndpoint(m_network->simulator().Endpoint().c_str());
  IP_NET_DVR_Init();
  OpenWindow();
  ASSERT_TRUE(WithCamerasDialog(expectSaved));
  EXPECT_EQ(Search(3), 3);

  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors.find(kPassword), std::string::npos) << errors;
  EXPECT_EQ(errors.find("Admin123"), std::string::npos) << errors;
}

class FramedCameras : public CamerasWindow {
 protected:
  void BeforeInit() override {
    m_network = std::make_unique<testsupport::SimNetwork>(testsupport::Cameras(3));
  }
};

// A scripted run keeps a probe and a restore mode of its own in the environment, and its
// credentials come from netsdk.conf.
class ScriptedCameras : public CamerasWindow {
 protected:
  void BeforeInit() override {
    ::setenv("NETSDK_PROBE", "127.0.0.1:9", 1);
    ::setenv("NETSDK_RESTORE", "soft", 1);
    m_network = std::make_unique<testsupport::SimNetwork>(testsupport::Cameras(3));
    ::unsetenv("NETSDK_PROBE");
    ::unsetenv("NETSDK_RESTORE");
  }
};

TEST_F(ScriptedCameras, NetsdkConfAndTheEnvironmentWinAndTheWindowSaysWhichFieldEachFixes) {
  // The library reports credentials from netsdk.conf; its precedence itself is the library's.
  CameraLibraryCalls& calls = window().Cameras().Calls();
  const auto realGetOption = calls.getOption;
  calls.getOption = [realGetOption](const char* key, char* value, int size) {
    if (std::string(key) != "credentials") return realGetOption(key, value, size);
    std::snprintf(value, static_cast<std::size_t>(size), "%s", "/etc/ravendock/credentials");
    return NETSDK_OPTION_FILE;
  };
  // What the window hands over is recorded, and never reaches the library.
  std::map<std::string, std::string> handed;
  calls.setUserOption = [&](const char* key, const char* value) {
    handed[key] = value;
    return 0;
  };
  window().SetLanguage(texts::kLanguageEnglish);

  ASSERT_TRUE(WithCamerasDialog([&](CCamerasDlg& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Choose cameras"));
    EXPECT_EQ(dialog.GetDlgItemText(platform::IDOK), QStringLiteral("OK"));
    EXPECT_FALSE(dialog.IsDlgItemEnabled(IDC_CAMERAS_PROBE));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_CAMERAS_PROBE), QStringLiteral("127.0.0.1:9"));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_CAMERAS_PROBE_SOURCE),
              QStringLiteral("Set by the environment variable NETSDK_PROBE, which wins over this "
                             "window: 127.0.0.1:9"));
    EXPECT_TRUE(dialog.GetDlgItem(IDC_CAMERAS_PROBE_SOURCE)->isVisibleTo(&dialog));
    for (int id : {IDC_CAMERAS_HARD_RESTORE, IDC_CAMERAS_SOFT_RESTORE, IDC_CAMERAS_CREDENTIALS,
                   IDC_CAMERAS_ADD, IDC_CAMERAS_REMOVE})
      EXPECT_FALSE(dialog.IsDlgItemEnabled(id)) << id;
    EXPECT_TRUE(dialog.IsDlgButtonChecked(IDC_CAMERAS_SOFT_RESTORE)) << "the value in force";
    EXPECT_TRUE(dialog.GetDlgItemText(IDC_CAMERAS_RESTORE_SOURCE).contains("NETSDK_RESTORE"));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_CAMERAS_CREDENTIALS_SOURCE),
              QStringLiteral("Set by netsdk.conf, which wins over this window: "
                             "/etc/ravendock/credentials"));
    for (int id : {IDC_CAMERAS_SIMULATOR, IDC_CAMERAS_ONVIF, IDC_CAMERAS_LOOPBACK, IDC_CAMERAS_LAN})
      EXPECT_TRUE(dialog.IsDlgItemEnabled(id)) << id;
    for (int id : {IDC_CAMERAS_KIND_SOURCE, IDC_CAMERAS_NETWORK_SOURCE})
      EXPECT_FALSE(dialog.GetDlgItem(id)->isVisibleTo(&dialog)) << id;
    dialog.DlgItem<QRadioButton>(IDC_CAMERAS_LAN)->click();
    dialog.DlgItem<QPushButton>(platform::IDOK)->click();
  }));

  // Stored as chosen; the fixed fields keep the window's own values, not those in force.
  const QByteArray stored = ReadFile(window().Cameras().FilePath());
  EXPECT_TRUE(stored.contains("\"lan\"")) << stored.constData();
  EXPECT_TRUE(stored.contains("\"hard\"")) << stored.constData();
  EXPECT_FALSE(stored.contains("127.0.0.1:9")) << stored.constData();
  EXPECT_TRUE(handed.empty()) << "nothing before the next search";

  // The search hands the choice over, once: scope lan, which the recording keeps from the library.
  ASSERT_EQ(Search(3), 3);
  EXPECT_EQ(handed["scope"], "lan");
  EXPECT_EQ(handed["backend"], "sim");
  EXPECT_EQ(handed["probe"], "multicast");
  EXPECT_EQ(handed["restore"], "hard");
  EXPECT_EQ(handed["credentials"], "");
  handed.clear();
  ASSERT_EQ(Search(3), 3);
  EXPECT_TRUE(handed.empty());
  char text[64] = {};
  EXPECT_EQ(IP_NET_DVR_GetOption("scope", text, sizeof text), NETSDK_OPTION_DEFAULT);
  EXPECT_STREQ(text, "loopback");
}

TEST_F(FramedCameras, OkIsRefusedWhileARunIsUnderWayAndComesBackWhenItEnds) {
  ASSERT_EQ(Search(3), 3);
  for (int row = 0; row < batch::kInstructionCount; ++row)
    window().CheckDlgButton(app::InstructionCheckBox(row), row == batch::kRowReboot);
  // The reboot stands in until the test delivers its end.
  bool rebooting = false;
  window().Runs().SetOperation(batch::kRowReboot, [&] { rebooting = true; });
  window().DlgItem<QPushButton>(1014)->click();
  ASSERT_TRUE(rebooting);
  const QString path = window().Cameras().FilePath();

  ASSERT_TRUE(WithCamerasDialog([&](CCamerasDlg& dialog) {
    const QString underWay = texts::Text(texts::kTextCamerasRunUnderWay, 0);
    EXPECT_FALSE(dialog.IsDlgItemEnabled(platform::IDOK));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_CAMERAS_STATUS), underWay);
    dialog.DlgItem<QRadioButton>(IDC_CAMERAS_ONVIF)->click();
    dialog.OnOK();
    ASSERT_FALSE(dialogs().shown().empty());
    EXPECT_EQ(dialogs().shown().back().text, underWay);
    EXPECT_TRUE(dialog.isVisible()) << "the window stays open";
    EXPECT_FALSE(QFile::exists(path));

    window().SendMessage(batch::kMsgRebootFinished, 3, 0);
    ASSERT_FALSE(window().Runs().IsRunning());
    ASSERT_TRUE(RunUntil([&] { return dialog.IsDlgItemEnabled(platform::IDOK); }));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_CAMERAS_STATUS),
              texts::Text(texts::kTextCamerasNextSearch, 0));
    dialog.DlgItem<QPushButton>(platform::IDOK)->click();
    EXPECT_FALSE(dialog.isVisible());
  }));
  EXPECT_TRUE(ReadFile(path).contains("\"onvif\""));
  EXPECT_EQ(ModeOf(path), 0600);
}

}  // namespace
