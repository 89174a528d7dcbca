// The text both of the simulator's servers read, HTTP/1.1 and RTSP/1.0 alike: a request line,
// header fields and an empty line, each ending in CRLF. The helpers are strict, since the input
// comes from the network: a bare CR or LF, a control character or an obsolete folded line is
// malformed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace camsim::detail {

using HeaderFields = std::vector<std::pair<std::string, std::string>>;  // names in lower case

bool IsTokenChar(unsigned char c);
bool IsToken(std::string_view text);
// Up to maxDigits decimal digits, at least one.
bool IsDigits(std::string_view text, std::size_t maxDigits);
std::string Lower(std::string_view text);
// Without blanks and tabs at both ends.
std::string_view Trim(std::string_view text);

enum class HeadScan { kNeedMore, kBad, kDone };
// Finds the end of the head in what arrived so far: *end is just after its empty line.
HeadScan ScanHead(std::string_view in, std::size_t* end);

struct RequestLine {
  std::string_view method;
  std::string_view target;
  std::string_view version;
};

// Splits a head without its final empty line into its request line and its header fields, the
// values trimmed. false when the request line is not three words or a field is malformed.
bool SplitHead(std::string_view head, RequestLine* line, HeaderFields* fields);

// The first field of this lower-case name; null when there is none.
const std::string* FindHeader(const HeaderFields& fields, std::string_view name);

}  // namespace camsim::detail
