// The cameras window (template 151), opened modally from the system menu: the simulator or real
// cameras over ONVIF, loopback only or the PC's network, the probe targets, the credentials to try
// (rows added and removed) and hard or soft factory restore, in the main window's language. A
// field that netsdk.conf, the environment or a library call fixes is shown disabled with the value
// in force and what fixes it. Passwords are never shown: a saved one appears as a hint and is
// kept unless a new one is typed. "确定" stores the choice, which the next search hands to the
// library; it is refused while a run is under way.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "config/cameras/camera_settings.h"
#include "platform/dialog.h"
#include "text/text_id.h"

class QLineEdit;
class QTableWidget;

namespace config {

constexpr int IDD_CAMERAS = 151;
constexpr int IDC_CAMERAS_GROUP_KIND = 1300;
constexpr int IDC_CAMERAS_SIMULATOR = 1301;
constexpr int IDC_CAMERAS_ONVIF = 1302;
constexpr int IDC_CAMERAS_KIND_SOURCE = 1303;
constexpr int IDC_CAMERAS_GROUP_NETWORK = 1304;
constexpr int IDC_CAMERAS_LOOPBACK = 1305;
constexpr int IDC_CAMERAS_LAN = 1306;
constexpr int IDC_CAMERAS_NETWORK_SOURCE = 1307;
constexpr int IDC_CAMERAS_GROUP_SEARCH = 1308;
constexpr int IDC_CAMERAS_PROBE_LABEL = 1309;
constexpr int IDC_CAMERAS_PROBE = 1310;
constexpr int IDC_CAMERAS_PROBE_SOURCE = 1311;
constexpr int IDC_CAMERAS_GROUP_CREDENTIALS = 1312;
constexpr int IDC_CAMERAS_CREDENTIALS = 1313;
constexpr int IDC_CAMERAS_ADD = 1314;
constexpr int IDC_CAMERAS_REMOVE = 1315;
constexpr int IDC_CAMERAS_CREDENTIALS_SOURCE = 1316;
constexpr int IDC_CAMERAS_GROUP_RESTORE = 1317;
constexpr int IDC_CAMERAS_HARD_RESTORE = 1318;
constexpr int IDC_CAMERAS_SOFT_RESTORE = 1319;
constexpr int IDC_CAMERAS_RESTORE_SOURCE = 1320;
constexpr int IDC_CAMERAS_STATUS = 1321;
// The columns of the credentials table.
constexpr int kCredentialUserColumn = 0;
constexpr int kCredentialPasswordColumn = 1;
// Follows the run state while the window is open, so that "确定" comes back when a run ends.
constexpr UINT kTimerCamerasRunState = 1000;
constexpr DWORD kCamerasRunStatePeriodMs = 500;

class CCamerasDlg : public platform::Dialog {
 public:
  // runUnderWay answers whether a batch instruction is running now.
  CCamerasDlg(CameraSettings& settings, int languageIndex, std::function<bool()> runUnderWay,
              QWidget* parent = nullptr);
  ~CCamerasDlg() override;

  // Shows the saved choice and, for the fields something outranks, the value in force.
  BOOL OnInitDialog();
  void OnOK();
  void OnAddCredential();
  void OnRemoveCredential();

  int CredentialRows() const;
  QLineEdit* CredentialEdit(int row, int column) const;

 protected:
  void OnTimer(UINT id) override;

 private:
  void CreateControls();
  void AddStatic(int id, texts::TextId text, QRect units);
  void AddRadioPair(int first, texts::TextId firstText, int second, texts::TextId secondText,
                    int y);
  void AddCredentialRow(const CameraCredential& credential, bool saved);
  void ShowChoice(const CameraChoice& choice);
  void ShowInForce(CameraOption option, int sourceId);
  void ShowRunState();
  // The choice the window shows; the saved value for every field something outranks. nullopt
  // after telling the user what cannot be taken.
  std::optional<CameraChoice> ShownChoice();
  QString Text(texts::TextId id) const;
  QTableWidget* Table() const;

  CameraSettings& m_settings;
  int m_language;
  std::function<bool()> m_runUnderWay;
  std::array<bool, kCameraOptions.size()> m_outranked{};
  // Per row: the stored password, kept while nothing new is typed; never put into a control.
  std::vector<std::optional<QString>> m_savedPasswords;
  // The application's focus signal, which must not reach a window being destroyed.
  QMetaObject::Connection m_focusWatch;
};

}  // namespace config
