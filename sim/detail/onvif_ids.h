// Identifiers of the ONVIF face: random ones for nonces, upload tokens and message IDs, and the
// stable endpoint UUID a device keeps for its serial number.
#pragma once

#include <cstddef>
#include <string>

namespace camsim::detail {

// count random bytes as lower-case hex.
std::string RandomHex(std::size_t count);
// A random (version 4) UUID, lower case, without the urn:uuid: prefix.
std::string RandomUuid();
// A name-based (version 5 layout) UUID of the serial number: the same every run.
std::string SerialUuid(const std::string& serial);

}  // namespace camsim::detail
