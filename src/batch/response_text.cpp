#include "batch/response_text.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace batch {
namespace {

constexpr std::string_view kTotalMarker = "Total=\"";
constexpr std::string_view kDiskMarker = "Disk=\"";
constexpr std::string_view kFormatDisks[] = {"SD1", "SD2", "USB"};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string_view AnswerText(const char* text, std::size_t maxBytes) {
  if (text == nullptr) return {};
  return std::string_view(text, strnlen(text, maxBytes));
}

void CopyAnswer(std::array<char, 256>& field, std::string_view text) {
  field.fill(0);
  const std::size_t bytes = std::min(text.size(), field.size() - 1);
  std::copy_n(text.data(), bytes, field.data());
}

int ParseSignedDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) return static_cast<int>(-value);
  return static_cast<int>(std::min<long long>(value, INT_MAX));
}

StorageTotals ParseStorageTotals(std::string_view text) {
  StorageTotals totals;
  int* const fields[] = {&totals.sd1, &totals.sd2, &totals.usb};
  std::size_t from = 0;
  for (int* field : fields) {
    const std::size_t marker = text.find(kTotalMarker, from);
    if (marker == std::string_view::npos) break;
    const std::size_t start = marker + kTotalMarker.size();
    std::size_t end = text.find('"', start);
    if (end == std::string_view::npos) end = text.size();
    *field = ParseSignedDecimal(text.substr(start, end - start));
    from = std::min(end + 1, text.size());
  }
  return totals;
}

int FormatAnswerDisk(std::string_view text) {
  const std::size_t marker = text.find(kDiskMarker);
  if (marker == std::string_view::npos) return 0;
  const std::string_view rest = text.substr(marker + kDiskMarker.size());
  const std::string_view name = rest.substr(0, rest.find('"'));
  for (int disk = 0; disk < 3; ++disk) {
    if (name == kFormatDisks[disk]) return disk + 1;
  }
  return 0;
}

}  // namespace batch
