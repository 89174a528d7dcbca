// What one simulated device is: its published identity and network settings, its firmware and
// storage, how long it takes for things, and the faults a scenario gives it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace camsim {

// Device-side durations in program milliseconds; the simulator's time scale divides them.
struct DeviceTimings {
  double loginMs = 80;              // answer to a login
  double answerMs = 60;             // answer to a command or a ModifyIPC
  double searchMs = 300;            // answer to a search probe
  double rebootMs = 15000;          // away after a reboot
  double restoreMs = 12000;         // away after a factory restore
  double formatMs = 6000;           // formatting a medium
  double checkMs = 5000;            // checking a received firmware file
  double upgradeRestartMs = 20000;  // away after taking a firmware
  double rateKiBps = 2048;          // firmware transfer rate; 0 = as fast as loopback goes
};

struct DeviceFaults {
  bool refuseLogin = false;
  bool ignoreLogin = false;             // never answers a login
  std::set<std::uint32_t> ignoreCodes;  // never answers these commands
  std::set<std::uint32_t> refuseCodes;  // answers these with the failure bit
  // Answers these with the failure bit the given number of times, then as usual.
  std::map<std::uint32_t, int> refuseCodeTimes;
  bool refuseFirmware = false;        // the check fails, for every file or...
  std::string refuseFirmwareVersion;  // ...only for the file of this version (when not empty)
  bool keepVersion = false;           // takes the file, restarts, still reports the old version
  int stallAtPercent = -1;            // stops acknowledging the transfer from this percentage on
  int failAtPercent = -1;             // abandons the transfer at this percentage
  bool failFormat = false;
  bool rejectModify = false;
  bool vanishAfterRestore = false;
  std::string restoreIp;      // comes back here after a restore instead of its factory address
  bool shortStorage = false;  // the storage answer holds only two Total attributes
  // Closes the connection instead of answering, once per step: "login", "transfer" (at the
  // percentage given), "check" (instead of the 1009 answer) or a command code in decimal.
  std::map<std::string, int> dropSteps;
  bool noStream = false;       // takes a preview's stream request and never sends anything
  bool badHeader = false;      // sends stream headers cut short of their layout
  bool corruptFrames = false;  // sends noise in place of some video frames
};

// How the device behaves when the simulator speaks ONVIF. The defaults are a well-behaved camera.
struct OnvifSettings {
  enum class Auth { kDigest, kToken, kBoth };
  enum class Types { kTransmitter, kDevice, kBoth };  // what the device announces and answers to
  // The account's level, with the operations ONVIF's default access policy allows it.
  enum class UserLevel { kAdministrator, kOperator, kUser };
  Auth auth = Auth::kBoth;
  bool digestMd5 = true;
  bool digestSha256 = true;       // offered before MD5 when both are
  std::int64_t clockSkewS = 0;    // the device's clock minus the host's UTC
  std::string timeZone = "UTC0";  // POSIX form, e.g. CST-8 or CET-1CEST,M3.5.0,M10.5.0/3
  // Adjusts its local time to the zone's daylight-saving rule (ONVIF's DaylightSavings).
  bool daylightSavings = true;
  bool utcIsLocal = false;      // reports its local time as UTCDateTime
  bool utcField = true;         // its time answer holds UTCDateTime (else local time and zone)
  bool timeNeedsLogin = false;  // GetSystemDateAndTime wants credentials too
  int lockout = 0;              // consecutive wrong credentials that lock the account; 0 = never
  int nonceTtlS = 120;          // a digest nonce's life on the device's clock
  bool staleFlag = true;        // the challenge after an expired nonce says stale=true
  UserLevel userLevel = UserLevel::kAdministrator;
  bool uploadDigest = false;  // the firmware upload address wants digest authentication
  bool rebootNeeded = false;  // a new address applies at the next SystemReboot only
  // host[:port] written into GetServices and GetCapabilities instead of the simulator's endpoint;
  // "lan" is the device's own address. Empty = the endpoint.
  std::string serviceHost;
  bool lanXAddr = false;  // the probe answer lists http://<ip>/onvif/device_service first
  // The probe answer's XAddrs instead, in order; "self" stands for the device's own address.
  std::vector<std::string> xaddrs;
  bool relatesToOther = false;  // the probe answer relates to a message that is not the probe
  // What GetNetworkInterfaces answers: the interface, none, a fault, or DHCP on with a stale
  // manual address beside the leased one.
  enum class Interfaces { kNormal, kNone, kFault, kDhcp };
  Interfaces interfaces = Interfaces::kNormal;
  int servicesError = 0;    // an HTTP status without a SOAP body for GetServices; 0 = answers it
  std::string uploadDelay;  // the UploadDelay text of StartFirmwareUpgrade; empty = PT1S
  Types types = Types::kBoth;
  bool media2 = true;
  bool httpUpgrade = true;
  bool rebootBeforeStatus = false;  // takes an upgrade, then restarts without answering the POST
  std::string rtspRedirect;  // HOST:PORT its RTSP DESCRIBE sends the client to (302); empty = none
  // How its RTSP server asks for the account: digest with MD5 (what it offers unless told),
  // digest with SHA-256 only, both (SHA-256 first), or Basic only, the password in clear text.
  enum class RtspAuth { kMd5, kSha256, kBoth, kBasic };
  RtspAuth rtspAuth = RtspAuth::kMd5;
  // What its main profile encodes. Beside it the device offers a second profile, "sub", in H.264
  // at a smaller size, as cameras do for grids.
  enum class Codec { kH264, kH265, kMpeg4 };
  Codec mainCodec = Codec::kH264;
  // Which camera's option tables the settings services answer with: a 1080p bullet, a 4 MP dome or
  // an older 960p box camera (resolutions, ranges, profiles and overlays differ between them).
  enum class Model { kA, kB, kC };
  Model model = Model::kA;
  bool imaging = true;    // has the imaging service
  bool analytics = true;  // has the analytics service and the cell motion configuration
  bool osd = true;        // offers overlays in media2 (model C never does)
  bool h264Only = false;  // its encoders offer H.264 only, even where the model has H.265
};

struct DeviceConfig {
  std::string serial;
  std::string deviceType = "IPC-R2M";
  std::string user = "admin";
  std::string password = "Admin123";
  std::int32_t channel = 1;
  std::uint16_t port = 9000;
  std::string mac;
  std::string ip;
  std::string mask = "255.255.255.0";
  std::string gateway = "192.168.1.1";
  std::uint8_t allNetSupport = 0;  // 0xFF = supported
  std::uint8_t allNetState = 0;
  std::string version = "V5.6.0 build 2026";
  // Storage sizes in MB; 0 = not present.
  std::int64_t sd1 = 0;
  std::int64_t sd2 = 0;
  std::int64_t usb = 0;
  bool hasAudio = false;  // the live stream carries G.711 sound
  // What a factory restore brings back.
  std::string factoryIp = "192.168.1.123";
  std::string factoryUser = "admin";
  std::string factoryPassword = "Admin123";
  std::uint8_t factoryAllNetState = 0;
  DeviceTimings timings;
  DeviceFaults faults;
  OnvifSettings onvif;
};

}  // namespace camsim
