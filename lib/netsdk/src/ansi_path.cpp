#include "ansi_path.h"

#include <iconv.h>

#include <algorithm>
#include <memory>

namespace netsdk {

bool AnsiPathToFileSystem(const std::string& ansi, std::string* path) {
  if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return (c & 0x80) == 0; })) {
    *path = ansi;
    return true;
  }
  iconv_t converter = iconv_open("UTF-8", "GBK");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::unique_ptr<void, int (*)(iconv_t)> owner(converter, iconv_close);
  // A GBK character of two bytes is at most three in UTF-8.
  std::string out(ansi.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(ansi.data());
  std::size_t inLeft = ansi.size();
  char* target = out.data();
  std::size_t outLeft = out.size();
  if (iconv(converter, &in, &inLeft, &target, &outLeft) == static_cast<std::size_t>(-1)) {
    return false;
  }
  out.resize(out.size() - outLeft);
  *path = std::move(out);
  return true;
}

}  // namespace netsdk
