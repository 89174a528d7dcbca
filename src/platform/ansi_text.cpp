#include "platform/ansi_text.h"

#include <iconv.h>

#include <QList>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr char kAnsiCodePage[] = "GBK";

// One iconv conversion descriptor per call: iconv_t is not safe to share between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Converter() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [in, in + inLeft) as fits; returns the bytes consumed, or 0 when the
  // input does not start with a convertible sequence.
  std::size_t Convert(const char* in, std::size_t inLeft, char* out, std::size_t& outLeft) {
    char* src = const_cast<char*>(in);
    std::size_t srcLeft = inLeft;
    iconv(m_cd, &src, &srcLeft, &out, &outLeft);
    return inLeft - srcLeft;
  }

 private:
  iconv_t m_cd;
};

}  // namespace

std::string ToAnsi(const QString& text, std::size_t maxBytes) {
  std::string result;
  Converter converter(kAnsiCodePage, "UTF-8");
  if (!converter.IsOpen()) return result;
  // Converting one code point at a time lets an unrepresentable one become '?' and keeps the cut
  // at maxBytes on a character boundary.
  const QList<uint> codePoints = text.toUcs4();
  for (uint cp : codePoints) {
    const QByteArray utf8 = QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1).toUtf8();
    char buffer[8];
    std::size_t outLeft = sizeof buffer;
    const std::size_t used = converter.Convert(utf8.constData(), utf8.size(), buffer, outLeft);
    std::size_t produced = sizeof buffer - outLeft;
    if (used != static_cast<std::size_t>(utf8.size()) || produced == 0) {
      buffer[0] = '?';
      produced = 1;
    }
    if (maxBytes != std::string::npos && result.size() + produced > maxBytes) break;
    result.append(buffer, produced);
  }
  return result;
}

QString FromAnsi(const char* text, std::size_t maxBytes) {
  if (text == nullptr) return {};
  const std::size_t length = strnlen(text, maxBytes);
  Converter converter("UTF-16LE", kAnsiCodePage);
  if (!converter.IsOpen() || length == 0) return {};
  std::vector<char16_t> out(length + 1);
  QString result;
  std::size_t pos = 0;
  while (pos < length) {
    std::size_t outLeft = out.size() * sizeof(char16_t);
    const std::size_t used =
        converter.Convert(text + pos, length - pos, reinterpret_cast<char*>(out.data()), outLeft);
    const std::size_t units = (out.size() * sizeof(char16_t) - outLeft) / sizeof(char16_t);
    result.append(QStringView(out.data(), static_cast<qsizetype>(units)));
    pos += used;
    if (pos < length && used == 0) {
      // An invalid or truncated sequence: show a replacement character and go on after it.
      result.append(QChar(0xFFFD));
      ++pos;
    }
  }
  return result;
}

QString FromAnsi(const std::string& text) {
  return FromAnsi(text.data(), text.size());
}

void CopyAnsiField(const QString& text, char* field, std::size_t fieldSize) {
  if (field == nullptr || fieldSize == 0) return;
  const std::string ansi = ToAnsi(text, fieldSize - 1);
  std::memset(field, 0, fieldSize);
  std::memcpy(field, ansi.data(), ansi.size());
}

bool FitsAnsi(const QString& text, std::size_t maxBytes) {
  const std::string ansi = ToAnsi(text);
  return ansi.size() <= maxBytes && FromAnsi(ansi) == text;
}

}  // namespace platform
