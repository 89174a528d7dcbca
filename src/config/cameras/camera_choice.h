// Which cameras the program works with, as the user chose them in the cameras window: the
// simulator or real cameras over ONVIF, how far the library may reach, where it probes, the
// credentials it tries and how a factory restore is done. Stored in cameras.json beside
// config.dat, readable by its owner only: it holds passwords.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace config {

inline constexpr char kCamerasFileName[] = "cameras.json";
// Each credential is tried on every device found, so the list stays short.
inline constexpr int kMaxCameraCredentials = 16;
// The limits of the device information block, in bytes as the library checks them (UTF-8).
inline constexpr int kMaxCameraUserBytes = 39;
inline constexpr int kMaxCameraPasswordBytes = 63;

struct CameraCredential {
  QString user;
  QString password;
  bool operator==(const CameraCredential&) const = default;
};

struct CameraChoice {
  bool onvif = false;  // backend onvif, else sim
  bool lan = false;    // scope lan, else loopback
  QString probe;       // ADDRESS:PORT targets, comma-separated; empty for multicast
  std::vector<CameraCredential> credentials;
  bool softRestore = false;  // restore soft, else hard
  bool operator==(const CameraChoice&) const = default;
};

QString CamerasFilePath(const QString& directory);

// Empty, or dotted-quad ADDRESS:PORT targets separated by commas or blanks (port 1..65535).
bool ValidProbe(const QString& probe);
// What the device library takes as one user:password line: a user without a colon that does not
// start a comment, both expressible in GBK and short enough for the device information block as
// the library reads them (UTF-8 bytes).
bool ValidCredential(const CameraCredential& credential);

// The stored choice; nullopt when there is none or it cannot be read. A field that does not pass
// the checks above reads as its default, a credential that does not is left out.
std::optional<CameraChoice> LoadCameraChoice(const QString& directory);
// Replaces the file as a whole (a temporary file renamed over it), owner-only. false when it
// cannot be written; an earlier file is then left as it was.
bool StoreCameraChoice(const CameraChoice& choice, const QString& directory);

}  // namespace config
