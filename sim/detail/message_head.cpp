#include "sim/detail/message_head.h"

#include <algorithm>

namespace camsim::detail {

bool IsTokenChar(unsigned char c) {
  constexpr std::string_view kMarks = "!#$%&'*+-.^_`|~";
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         kMarks.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return IsTokenChar(static_cast<unsigned char>(c));
  });
}

bool IsDigits(std::string_view text, std::size_t maxDigits) {
  return !text.empty() && text.size() <= maxDigits &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

HeadScan ScanHead(std::string_view in, std::size_t* end) {
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (c == '\n') {
      if (i == 0 || in[i - 1] != '\r') return HeadScan::kBad;
      if (i == lineStart + 1) {
        *end = i + 1;
        return HeadScan::kDone;
      }
      lineStart = i + 1;
    } else if (c == '\r') {
      if (i + 1 < in.size() && in[i + 1] != '\n') return HeadScan::kBad;
    } else if ((c < 0x20 && c != '\t') || c == 0x7f) {
      return HeadScan::kBad;
    }
  }
  return HeadScan::kNeedMore;
}

bool SplitHead(std::string_view head, RequestLine* line, HeaderFields* fields) {
  std::vector<std::string_view> lines;
  while (!head.empty()) {
    const std::size_t end = head.find("\r\n");
    lines.push_back(head.substr(0, end));
    head.remove_prefix(end == std::string_view::npos ? head.size() : end + 2);
  }
  if (lines.empty()) return false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view field = lines[i];
    const std::size_t colon = field.find(':');
    // A line that starts with white space continues the previous one: an obsolete form that
    // lets two parsers disagree, so it is refused.
    if (colon == std::string_view::npos || !IsToken(field.substr(0, colon))) return false;
    fields->emplace_back(Lower(field.substr(0, colon)), std::string(Trim(field.substr(colon + 1))));
  }
  const std::string_view first = lines[0];
  const std::size_t a = first.find(' ');
  const std::size_t b = a == std::string_view::npos ? a : first.find(' ', a + 1);
  if (b == std::string_view::npos || first.find(' ', b + 1) != std::string_view::npos) return false;
  line->method = first.substr(0, a);
  line->target = first.substr(a + 1, b - a - 1);
  line->version = first.substr(b + 1);
  return IsToken(line->method);
}

const std::string* FindHeader(const HeaderFields& fields, std::string_view name) {
  for (const auto& [key, value] : fields) {
    if (key == name) return &value;
  }
  return nullptr;
}

}  // namespace camsim::detail
