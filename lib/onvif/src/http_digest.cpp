#include "onvif/http_digest.h"

#include "onvif/ws_security.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <vector>

namespace onvif {
namespace {

bool IsTokenChar(unsigned char c) {
  constexpr std::string_view kMarks = "!#$%&'*+-.^_`|~";
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         kMarks.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsToken68Char(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         std::string_view("-._~+/").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

bool HasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Reads the list syntax of RFC 7235: auth-schemes, auth-params (token or quoted-string values)
// and token68 credentials, all separated by commas and optional white space.
class Lexer {
 public:
  explicit Lexer(std::string_view text) : m_text(text) {}

  bool AtEnd() const { return m_pos >= m_text.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
  bool Consume(char c) {
    if (Peek() != c || AtEnd()) return false;
    ++m_pos;
    return true;
  }
  void SkipSpace() {
    while (Peek() == ' ' || Peek() == '\t') ++m_pos;
  }
  std::optional<std::string> Token() {
    const std::size_t start = m_pos;
    while (!AtEnd() && IsTokenChar(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
    if (m_pos == start) return std::nullopt;
    return std::string(m_text.substr(start, m_pos - start));
  }
  bool Token68() {
    const std::size_t start = m_pos;
    while (!AtEnd() && IsToken68Char(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
    if (m_pos == start) return false;
    while (Consume('=')) {
    }
    return true;
  }
  // A quoted-string with its backslash escapes undone; control characters other than HTAB are
  // refused, so nothing read here can split a header when it is sent back.
  std::optional<std::string> QuotedString() {
    if (!Consume('"')) return std::nullopt;
    std::string out;
    while (!AtEnd()) {
      auto c = static_cast<unsigned char>(m_text[m_pos++]);
      if (c == '"') return out;
      if (c == '\\') {
        if (AtEnd()) return std::nullopt;
        c = static_cast<unsigned char>(m_text[m_pos++]);
      }
      if (IsControl(c) && c != '\t') return std::nullopt;
      out += static_cast<char>(c);
    }
    return std::nullopt;
  }
  // Whether an auth-param (token "=" value) starts here; a token followed by "=" and then the end,
  // a comma or another "=" is a token68 instead.
  bool AtParam() {
    const std::size_t start = m_pos;
    bool param = Token().has_value();
    SkipSpace();
    param = param && Consume('=');
    SkipSpace();
    param = param && !AtEnd() && Peek() != ',' && Peek() != '=';
    m_pos = start;
    return param;
  }

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
};

struct RawChallenge {
  std::string scheme;                         // lower case
  std::map<std::string, std::string> params;  // names in lower case
  bool duplicate = false;
};

std::optional<std::vector<RawChallenge>> SplitChallenges(std::string_view text) {
  std::vector<RawChallenge> challenges;
  Lexer lexer(text);
  for (;;) {
    while (lexer.Consume(',') || lexer.Consume(' ') || lexer.Consume('\t')) {
    }
    if (lexer.AtEnd()) return challenges;
    const auto name = lexer.Token();
    if (!name) return std::nullopt;
    lexer.SkipSpace();
    if (lexer.Consume('=')) {
      if (challenges.empty()) return std::nullopt;
      lexer.SkipSpace();
      const auto value = lexer.Peek() == '"' ? lexer.QuotedString() : lexer.Token();
      if (!value) return std::nullopt;
      auto& params = challenges.back().params;
      challenges.back().duplicate |= !params.emplace(Lower(*name), *value).second;
    } else {
      challenges.push_back({Lower(*name), {}, false});
      // A scheme is followed by its first parameter without a comma, or by a token68.
      if (lexer.AtEnd() || lexer.Peek() == ',' || lexer.AtParam()) continue;
      if (!lexer.Token68()) return std::nullopt;
    }
    lexer.SkipSpace();
    if (!lexer.AtEnd() && !lexer.Consume(',')) return std::nullopt;
  }
}

std::optional<DigestAlgorithm> AlgorithmNamed(std::string_view name) {
  const std::string lower = Lower(name);
  if (lower == "md5") return DigestAlgorithm::kMd5;
  if (lower == "md5-sess") return DigestAlgorithm::kMd5Sess;
  if (lower == "sha-256") return DigestAlgorithm::kSha256;
  if (lower == "sha-256-sess") return DigestAlgorithm::kSha256Sess;
  return std::nullopt;
}

std::string_view AlgorithmName(DigestAlgorithm algorithm) {
  switch (algorithm) {
    case DigestAlgorithm::kMd5:
      return "MD5";
    case DigestAlgorithm::kMd5Sess:
      return "MD5-sess";
    case DigestAlgorithm::kSha256:
      return "SHA-256";
    case DigestAlgorithm::kSha256Sess:
      return "SHA-256-sess";
  }
  return "MD5";
}

bool IsSession(DigestAlgorithm algorithm) {
  return algorithm == DigestAlgorithm::kMd5Sess || algorithm == DigestAlgorithm::kSha256Sess;
}

int Strength(DigestAlgorithm algorithm) {
  return algorithm == DigestAlgorithm::kSha256 || algorithm == DigestAlgorithm::kSha256Sess ? 2 : 1;
}

std::optional<DigestChallenge> ToDigest(const RawChallenge& raw) {
  if (raw.scheme != "digest" || raw.duplicate) return std::nullopt;
  const auto realm = raw.params.find("realm");
  const auto nonce = raw.params.find("nonce");
  if (realm == raw.params.end() || nonce == raw.params.end() || nonce->second.empty()) {
    return std::nullopt;
  }
  DigestChallenge challenge;
  challenge.realm = realm->second;
  challenge.nonce = nonce->second;
  if (const auto it = raw.params.find("opaque"); it != raw.params.end()) {
    challenge.opaque = it->second;
  }
  if (const auto it = raw.params.find("algorithm"); it != raw.params.end()) {
    const auto algorithm = AlgorithmNamed(it->second);
    if (!algorithm) return std::nullopt;
    challenge.algorithm = *algorithm;
  }
  if (const auto it = raw.params.find("qop"); it != raw.params.end()) {
    Lexer options(it->second);
    for (;;) {
      while (options.Consume(',') || options.Consume(' ') || options.Consume('\t')) {
      }
      const auto option = options.Token();
      if (!option) break;
      challenge.qopAuth |= Lower(*option) == "auth";
    }
    if (!challenge.qopAuth) return std::nullopt;
  }
  if (const auto it = raw.params.find("stale"); it != raw.params.end()) {
    challenge.stale = Lower(it->second) == "true";
  }
  return challenge;
}

std::optional<std::string> HexDigest(DigestAlgorithm algorithm, std::string_view data) {
  const EVP_MD* md = Strength(algorithm) == 2 ? EVP_sha256() : EVP_md5();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), digest, &size, md, nullptr) != 1) return std::nullopt;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xf];
  }
  return hex;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const auto part : parts) {
    if (!out.empty()) out += ':';
    out += part;
  }
  return out;
}

}  // namespace

std::optional<DigestChallenge> ParseDigestChallenge(std::string_view wwwAuthenticate) {
  const auto challenges = SplitChallenges(wwwAuthenticate);
  if (!challenges) return std::nullopt;
  std::optional<DigestChallenge> chosen;
  for (const auto& raw : *challenges) {
    auto challenge = ToDigest(raw);
    if (challenge && (!chosen || Strength(challenge->algorithm) > Strength(chosen->algorithm))) {
      chosen = std::move(challenge);
    }
  }
  return chosen;
}

std::string HexNonce() {
  std::string hex;
  for (unsigned char c : RandomNonce()) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", c);
    hex += pair;
  }
  return hex;
}

std::optional<std::string> DigestAuthorization(const DigestChallenge& challenge,
                                               const DigestRequest& request) {
  const bool methodIsToken = !request.method.empty() &&
                             std::all_of(request.method.begin(), request.method.end(), [](char c) {
                               return IsTokenChar(static_cast<unsigned char>(c));
                             });
  if (!methodIsToken || HasControl(request.uri) || HasControl(request.user) ||
      HasControl(request.cnonce) || HasControl(challenge.realm) || HasControl(challenge.nonce) ||
      (challenge.opaque && HasControl(*challenge.opaque))) {
    return std::nullopt;
  }
  const bool session = IsSession(challenge.algorithm);
  if ((challenge.qopAuth || session) && request.cnonce.empty()) return std::nullopt;

  const DigestAlgorithm algorithm = challenge.algorithm;
  auto ha1 = HexDigest(algorithm, Join({request.user, challenge.realm, request.password}));
  if (ha1 && session) ha1 = HexDigest(algorithm, Join({*ha1, challenge.nonce, request.cnonce}));
  const auto ha2 = HexDigest(algorithm, Join({request.method, request.uri}));
  if (!ha1 || !ha2) return std::nullopt;

  char nc[9];
  std::snprintf(nc, sizeof nc, "%08x", request.nc);
  const auto response =
      challenge.qopAuth
          ? HexDigest(algorithm, Join({*ha1, challenge.nonce, nc, request.cnonce, "auth", *ha2}))
          : HexDigest(algorithm, Join({*ha1, challenge.nonce, *ha2}));
  if (!response) return std::nullopt;

  std::string value = "Digest username=" + Quoted(request.user) +
                      ", realm=" + Quoted(challenge.realm) + ", nonce=" + Quoted(challenge.nonce) +
                      ", uri=" + Quoted(request.uri) +
                      ", algorithm=" + std::string(AlgorithmName(algorithm));
  if (challenge.qopAuth) {
    value += ", qop=auth, nc=" + std::string(nc) + ", cnonce=" + Quoted(request.cnonce);
  } else if (session) {
    value += ", cnonce=" + Quoted(request.cnonce);
  }
  value += ", response=\"" + *response + "\"";
  if (challenge.opaque) value += ", opaque=" + Quoted(*challenge.opaque);
  return value;
}

}  // namespace onvif
