// One builder per group: the group's document from the set, serialised. Length limits and
// password confirmations are checked by BuildGroupRequest, not here.
#pragma once

#include <string>

#include "config/config_set.h"

namespace config::requests {

std::string BuildEthernet(const ConfigSet& set);
std::string BuildCloud(const ConfigSet& set);
std::string BuildFtp(const ConfigSet& set);
std::string BuildSmtp(const ConfigSet& set);
std::string BuildStreaming(const ConfigSet& set);
std::string BuildPlatformAccess(const ConfigSet& set);

std::string BuildVideoCapture(const ConfigSet& set);
std::string BuildTimeTitle(const ConfigSet& set);
std::string BuildVideoEncoding(const ConfigSet& set);
std::string BuildAudioEncoding(const ConfigSet& set);
std::string BuildMotion(const ConfigSet& set);

std::string BuildAccount(const ConfigSet& set);
std::string BuildClock(const ConfigSet& set);
std::string BuildMaintenance(const ConfigSet& set);
std::string BuildLanguage(const ConfigSet& set);

}  // namespace config::requests
