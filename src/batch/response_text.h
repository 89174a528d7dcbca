// Reading the devices' answer texts. The library hands a zero-terminated 8-bit text (or none);
// nothing here reads past its terminator or past the given bound.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace batch {

// An answer is never read further than this, terminator or not.
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

// The library's text as a view of at most maxBytes bytes; a null text is an empty text.
std::string_view AnswerText(const char* text, std::size_t maxBytes = kMaxAnswerBytes);

// Copies the text into a 256-byte field, cut to 255 bytes, terminated, the rest zeroed.
void CopyAnswer(std::array<char, 256>& field, std::string_view text);

struct StorageTotals {
  int sd1 = 0;
  int sd2 = 0;
  int usb = 0;
};

// The storage answer: three quoted numbers after "Total=", in the order SD1, SD2, USB. Each is
// read as a signed decimal (leading blanks and a sign allowed, reading stops at the first
// non-digit, no digit gives 0, out-of-range values saturate); the next search starts after the
// closing quote, and a missing closing quote takes the rest of the text. A missing occurrence
// leaves that total and the following ones at 0.
StorageTotals ParseStorageTotals(std::string_view text);

// The disk a format answer names in its Disk attribute ("SD1", "SD2", "USB" give 1, 2, 3); 0
// when it names none.
int FormatAnswerDisk(std::string_view text);

// A signed decimal as the storage answer writes it.
int ParseSignedDecimal(std::string_view text);

}  // namespace batch
