#include "sim/detail/private_network.h"

#include <fstream>
#include <sstream>
#include <string>

namespace camsim::detail {

bool InPrivateNetworkNamespace() {
  // /proc/net/route lists the routes of this process's namespace: a default one leads off it.
  std::ifstream routes("/proc/net/route");
  if (!routes) return false;
  std::string line;
  // Empty while the namespace has no route at all; otherwise the first line names the columns.
  std::getline(routes, line);
  while (std::getline(routes, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway;
    if (!(fields >> name >> destination >> gateway)) return false;
    if (destination == "00000000" || gateway != "00000000") return false;
  }
  return true;
}

}  // namespace camsim::detail
