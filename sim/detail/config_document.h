// What a simulated device makes of a configuration document: it must be well-formed XML whose
// root element is the one of its command, and two groups change the device itself.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace camsim::detail {

struct ConfigDocument {
  bool valid = false;
  // The attributes of the element that carries the group's settings: LANConfig for Ethernet,
  // UserConfig/Account for the account; empty for the other groups.
  std::map<std::string, std::string> settings;
};

ConfigDocument ReadConfigDocument(std::uint32_t code, const std::string& text);

// The root element of a configuration command's document; null for a code that is none.
const char* ConfigRootElement(std::uint32_t code);

}  // namespace camsim::detail
