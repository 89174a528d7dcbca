// The cameras choice between its file and the device library: loaded at start-up, saved by the
// cameras window, and handed to the library (as the user's options, which netsdk.conf and the
// environment outrank) at the start of the next search of the table. Not sooner: a run's own
// re-search after IP re-addressing or a restore must find the devices with the backend that
// listed them. Window thread only.
#pragma once

#include <QString>
#include <array>
#include <functional>

#include "config/cameras/camera_choice.h"

namespace config {

// The library calls of the choice; a test may record or redirect them.
struct CameraLibraryCalls {
  std::function<int(const char* key, const char* value)> setUserOption;
  std::function<int(const char* key, char* value, int size)> getOption;
  CameraLibraryCalls();
};

enum class CameraOption { kBackend, kScope, kProbe, kCredentials, kRestore };

struct CameraOptionName {
  CameraOption option;
  const char* key;          // the library's (and netsdk.conf's) key
  const char* environment;  // the variable that sets it
};

inline constexpr std::array<CameraOptionName, 5> kCameraOptions = {{
    {CameraOption::kBackend, "backend", "NETSDK_BACKEND"},
    {CameraOption::kScope, "scope", "NETSDK_SCOPE"},
    {CameraOption::kProbe, "probe", "NETSDK_PROBE"},
    {CameraOption::kCredentials, "credentials", "NETSDK_CREDENTIALS"},
    {CameraOption::kRestore, "restore", "NETSDK_RESTORE"},
}};

const CameraOptionName& NameOf(CameraOption option);

// What the library has in force for an option: one of NETSDK_OPTION_* (-1 when it cannot say)
// and the value's text (for credentials the file they come from).
struct OptionInForce {
  int source = -1;
  QString text;
  // netsdk.conf, the environment or a library call: the user's choice does not count.
  bool Outranks() const;
};

// The choice as the library takes it: the key's value text (credentials as GBK lines).
std::string OptionValue(const CameraChoice& choice, CameraOption option);

class CameraSettings {
 public:
  explicit CameraSettings(CameraLibraryCalls calls = CameraLibraryCalls());

  // Reads the stored choice from directory (the defaults when there is none); the next search
  // hands it over.
  void Load(const QString& directory);
  const CameraChoice& Saved() const { return m_saved; }
  QString FilePath() const { return CamerasFilePath(m_directory); }
  // Stores choice, which from now on is the saved one, handed over at the next search. false when
  // the file cannot be written: the choice then holds for this run only, as config.dat's do.
  bool Save(const CameraChoice& choice);
  bool HandOverPending() const { return m_pending; }
  // The start of the table's search: the saved choice goes to the library, once.
  void HandPendingToLibrary();

  OptionInForce InForce(CameraOption option) const;
  CameraLibraryCalls& Calls() { return m_calls; }

 private:
  CameraLibraryCalls m_calls;
  QString m_directory;
  CameraChoice m_saved;
  bool m_pending = false;
};

}  // namespace config
