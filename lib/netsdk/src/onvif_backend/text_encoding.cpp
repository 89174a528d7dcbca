#include "onvif_backend/text_encoding.h"

#include <iconv.h>

extern "C" {
#include <libavutil/base64.h>
}

#include <cerrno>
#include <vector>

namespace netsdk::onvif_backend {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text,
                                   bool lossy) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string result;
  std::vector<char> buffer(text.size() * 4 + 16);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  bool ok = true;
  while (inLeft > 0) {
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    result.append(buffer.data(), buffer.size() - outLeft);
    if (done != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!lossy) {
      ok = false;
      break;
    }
    // EILSEQ or EINVAL: one byte replaced, then on.
    result += '?';
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  if (!ok) return std::nullopt;
  return result;
}

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  return Convert("UTF-8", "GBK", gbk, false);
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  return Convert("GBK", "UTF-8", utf8, false);
}

std::string Utf8ToGbkLossy(std::string_view utf8) {
  return Convert("GBK", "UTF-8", utf8, true).value_or(std::string());
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string Base64(std::string_view bytes) {
  std::string out(AV_BASE64_SIZE(bytes.size()), '\0');
  if (av_base64_encode(out.data(), static_cast<int>(out.size()),
                       reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<int>(bytes.size())) == nullptr) {
    return {};
  }
  out.resize(out.find('\0'));
  return out;
}

}  // namespace netsdk::onvif_backend
