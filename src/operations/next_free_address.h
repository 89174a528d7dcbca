// The next free address of IP re-addressing: the first host number, counting up from the start,
// that neither the PC, the gateway nor any known device holds.
#pragma once

#include <functional>
#include <string>

namespace operations {

// The start-address settings of the configuration set, as ANSI text.
struct StartAddressSettings {
  int mode = 0;  // 1: start address, mask and gateway below; 0: everything from the PC's address
  std::string startAddress;
  std::string mask;
  std::string gateway;
};

constexpr int kFirstHostNumber = 3;
// Host number 0 names the network and 255 its broadcast address: neither is a device's.
constexpr int kLowestHostNumber = 1;
constexpr int kHighestHostNumber = 254;

// Four decimal numbers 0..255 between dots, nothing else.
bool IsDottedQuad(const std::string& text);

// Everything up to and including the last '.'; empty when there is none.
std::string AddressPrefix(const std::string& address);

// The gateway the devices get: the stored one in start-address mode, the PC's network with host
// number 1 otherwise.
std::string GatewayFor(const std::string& pcAddress, const StartAddressSettings& settings);

// Returns 0 with the address in out; -1 when an argument is missing or not an address (in
// start-address mode the start address must be a dotted quad); -2 when no host number up to
// kHighestHostNumber is free. taken(candidate) tells whether a known device holds candidate.
int NextFreeAddress(const std::string& pcAddress, const StartAddressSettings& settings,
                    const std::function<bool(const std::string&)>& taken, std::string* out);

}  // namespace operations
