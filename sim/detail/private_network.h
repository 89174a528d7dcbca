// Whether this process runs in a network namespace without a way off the machine, such as one a
// test made with unshare -n: one whose IPv4 routes hold no default route, so that only networks
// made inside it are reachable. Only there may the simulator serve a real address or join a
// multicast group.
#pragma once

namespace camsim::detail {

// False whenever it cannot be told (no /proc, no permission).
bool InPrivateNetworkNamespace();

}  // namespace camsim::detail
