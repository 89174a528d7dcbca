#include "library_options.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <utility>

#include "wire/codes.h"
#include "wire/endpoint.h"

namespace netsdk {
namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool ParseTarget(const std::string& text, ProbeTarget* target, std::string* why) {
  const std::size_t colon = text.rfind(':');
  std::uint32_t address = 0;
  if (colon == std::string::npos || !wire::ParseIPv4(text.substr(0, colon), &address)) {
    *why = "'" + text + "' is not ADDRESS:PORT";
    return false;
  }
  const std::string portText = text.substr(colon + 1);
  unsigned port = 0;
  const auto [end, error] =
      std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (error != std::errc() || end != portText.data() + portText.size() || port == 0 ||
      port > 65535) {
    *why = "'" + portText + "' is not a port number";
    return false;
  }
  target->host = text.substr(0, colon);
  target->port = static_cast<std::uint16_t>(port);
  return true;
}

// One of two words, each naming a value.
template <typename Value>
bool ParseChoice(const std::string& text, std::pair<const char*, Value> first,
                 std::pair<const char*, Value> second, Value* value, std::string* why) {
  for (const auto& [word, meaning] : {first, second}) {
    if (text == word) {
      *value = meaning;
      return true;
    }
  }
  *why = "'" + text + "' is not " + first.first + " or " + second.first;
  return false;
}

}  // namespace

bool ParseBackend(const std::string& text, Backend* backend, std::string* why) {
  return ParseChoice(text, {"sim", Backend::kSim}, {"onvif", Backend::kOnvif}, backend, why);
}

bool ParseScope(const std::string& text, Scope* scope, std::string* why) {
  return ParseChoice(text, {"loopback", Scope::kLoopback}, {"lan", Scope::kLan}, scope, why);
}

bool ParseRestore(const std::string& text, RestoreMode* mode, std::string* why) {
  return ParseChoice(text, {"hard", RestoreMode::kHard}, {"soft", RestoreMode::kSoft}, mode, why);
}

bool ParseRtspBasic(const std::string& text, RtspBasic* basic, std::string* why) {
  return ParseChoice(text, {"refuse", RtspBasic::kRefuse}, {"allow", RtspBasic::kAllow}, basic,
                     why);
}

bool ParseProbe(const std::string& text, ProbeSetting* probe, std::string* why) {
  if (text == "multicast") {
    *probe = ProbeSetting{};
    return true;
  }
  ProbeSetting parsed;
  parsed.multicast = false;
  std::string list = text;
  for (char& c : list) {
    if (c == ',') c = ' ';
  }
  std::istringstream words(list);
  for (std::string word; words >> word;) {
    ProbeTarget target;
    if (!ParseTarget(word, &target, why)) return false;
    parsed.targets.push_back(target);
  }
  if (parsed.targets.empty()) {
    *why = "expected multicast or ADDRESS:PORT targets";
    return false;
  }
  *probe = std::move(parsed);
  return true;
}

std::vector<Credential> ParseCredentials(const std::string& text,
                                         std::vector<std::string>* errors) {
  std::vector<Credential> credentials;
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trim(line).empty() || Trim(line)[0] == '#') continue;
    const std::size_t colon = line.find(':');
    const std::string where = "line " + std::to_string(number) + ": ";
    if (colon == std::string::npos || colon == 0) {
      errors->push_back(where + "expected user:password");
      continue;
    }
    Credential credential{line.substr(0, colon), line.substr(colon + 1)};
    if (credential.user.size() > wire::kMaxUser ||
        credential.password.size() > wire::kMaxPassword) {
      errors->push_back(where + "user or password too long");
      continue;
    }
    credentials.push_back(std::move(credential));
  }
  return credentials;
}

std::vector<OptionLine> ParseOptionLines(const std::string& text,
                                         std::vector<std::string>* errors) {
  std::vector<OptionLine> options;
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos) {
      errors->push_back("line " + std::to_string(number) + ": expected key = value");
      continue;
    }
    options.push_back({number, Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))});
  }
  return options;
}

bool ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string* contents,
                   std::string* why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *why = "cannot be read";
    return false;
  }
  std::string data(maxBytes + 1, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  if (in.bad()) {
    *why = "cannot be read";
    return false;
  }
  data.resize(static_cast<std::size_t>(in.gcount()));
  if (data.size() > maxBytes) {
    *why = "larger than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  *contents = std::move(data);
  return true;
}

}  // namespace netsdk
