// The library's settings beyond the endpoint and the time scale: which protocol it speaks, where
// it probes, how far it may reach, which credentials it tries, how a restore is done and whether
// a preview may send a password in clear text. Each is
// given as text (a netsdk.conf line, an environment variable or IP_NET_DVR_SetOption) and parsed
// here; a value that does not parse is refused with a reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace netsdk {

// sim: the framed protocol of the virtual LAN; onvif: cameras of any maker.
enum class Backend { kSim, kOnvif };
// loopback: nothing outside 127.0.0.0/8 is ever contacted, and no multicast is sent. lan: the
// installer's real network. Only an installer's own configuration chooses lan.
enum class Scope { kLoopback, kLan };
enum class RestoreMode { kHard, kSoft };
// Whether a live preview answers an RTSP server that asks for the password in clear text (Basic).
enum class RtspBasic { kRefuse, kAllow };

struct ProbeTarget {
  std::string host;  // dotted quad
  std::uint16_t port = 0;
};

// Where WS-Discovery probes go: the multicast group, or each of the unicast targets.
struct ProbeSetting {
  bool multicast = true;
  std::vector<ProbeTarget> targets;
};

struct Credential {
  std::string user;
  std::string password;
};

bool ParseBackend(const std::string& text, Backend* backend, std::string* why);
bool ParseScope(const std::string& text, Scope* scope, std::string* why);
bool ParseRestore(const std::string& text, RestoreMode* mode, std::string* why);
bool ParseRtspBasic(const std::string& text, RtspBasic* basic, std::string* why);
// "multicast", or host:port targets separated by commas or blanks.
bool ParseProbe(const std::string& text, ProbeSetting* probe, std::string* why);
// One credential per line as user:password (the password is everything after the first colon);
// blank lines and lines starting with # are skipped. A line that is malformed or too long for the
// device information block is refused with its line number; the others are kept.
std::vector<Credential> ParseCredentials(const std::string& text, std::vector<std::string>* errors);

struct OptionLine {
  int number = 0;
  std::string key;
  std::string value;
};
// key = value lines; blank lines and # comments are skipped. Lines without '=' are reported.
std::vector<OptionLine> ParseOptionLines(const std::string& text, std::vector<std::string>* errors);

// The whole file, at most maxBytes; false when it cannot be read or is larger.
bool ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string* contents,
                   std::string* why);

}  // namespace netsdk
