// Conversion between screen text (UTF-16, QString) and the 8-bit ANSI code page (GBK, code page
// 936) in which the device library and config.dat exchange text.
#pragma once

#include <QString>
#include <cstddef>
#include <string>

namespace platform {

// Converts to GBK. A character GBK cannot represent becomes '?'. The result is cut at a character
// boundary so that it holds at most maxBytes bytes.
std::string ToAnsi(const QString& text, std::size_t maxBytes = std::string::npos);

// Converts GBK text to UTF-16, reading at most maxBytes bytes and stopping at the first zero byte.
// Bytes that are not valid GBK become U+FFFD.
QString FromAnsi(const char* text, std::size_t maxBytes);
QString FromAnsi(const std::string& text);

// Whether text survives the trip to GBK unchanged and takes at most maxBytes bytes there.
bool FitsAnsi(const QString& text, std::size_t maxBytes);

// Copies text as GBK into a fixed field of fieldSize bytes: at most fieldSize - 1 bytes of text,
// the rest of the field zero.
void CopyAnsiField(const QString& text, char* field, std::size_t fieldSize);

}  // namespace platform
