// Paths arrive in the ANSI code page (GBK), as every text of the library's interface does; the
// file system takes UTF-8.
#pragma once

#include <string>

namespace netsdk {

// The GBK path as UTF-8; false when it is not valid GBK.
bool AnsiPathToFileSystem(const std::string& ansi, std::string* path);

}  // namespace netsdk
