// HTTP digest challenges read and answered, checked against the published RFC examples and
// against digests computed here apart from the code tested.
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <string>
#include <vector>

#include "onvif/http_digest.h"

namespace {

using namespace onvif;
using namespace std::literals;

std::string Hex(const EVP_MD* md, const std::string& data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EXPECT_EQ(EVP_Digest(data.data(), data.size(), digest, &size, md, nullptr), 1);
  std::string hex;
  char byte[3];
  for (unsigned int i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%02x", digest[i]);
    hex += byte;
  }
  return hex;
}

// The value of one parameter in an Authorization header value, quotes removed.
std::string Param(const std::string& header, const std::string& name) {
  const auto at = header.find(" " + name + "=");
  if (at == std::string::npos) return "<absent>";
  auto start = at + name.size() + 2;
  if (header[start] == '"') {
    std::string value;
    for (++start; start < header.size() && header[start] != '"'; ++start) {
      if (header[start] == '\\') ++start;
      value += header[start];
    }
    return value;
  }
  return header.substr(start, header.find(',', start) - start);
}

// RFC 7616 section 3.9.1.
constexpr const char* kRfc7616Sha256 =
    R"(Digest realm="http-auth@example.org", qop="auth, auth-int", algorithm=SHA-256,
       nonce="7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v",
       opaque="FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS")";
constexpr const char* kRfc7616Md5 =
    R"(Digest realm="http-auth@example.org", qop="auth, auth-int", algorithm=MD5,
       nonce="7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v",
       opaque="FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS")";
constexpr const char* kRfc7616Cnonce = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";

std::string Unfolded(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

TEST(OnvifHttpDigestTest, Rfc7616ExamplesAndThePreferenceForSha256) {
  const DigestRequest request{"GET", "/dir/index.html", "Mufasa", "Circle of Life",
                              1,     kRfc7616Cnonce};
  const std::string sha = Unfolded(kRfc7616Sha256);
  const std::string md5 = Unfolded(kRfc7616Md5);
  for (const auto& both : {sha + ", " + md5, md5 + ",\t" + sha}) {
    const auto challenge = ParseDigestChallenge(both);
    ASSERT_TRUE(challenge) << both;
    EXPECT_EQ(challenge->algorithm, DigestAlgorithm::kSha256) << both;
    EXPECT_EQ(challenge->realm, "http-auth@example.org");
    EXPECT_EQ(challenge->nonce, "7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v");
    EXPECT_EQ(challenge->opaque, "FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS");
    EXPECT_TRUE(challenge->qopAuth);
    EXPECT_FALSE(challenge->stale);
    const auto header = DigestAuthorization(*challenge, request);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->rfind("Digest ", 0), 0u) << *header;
    EXPECT_EQ(Param(*header, "response"),
              "753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1");
    EXPECT_EQ(Param(*header, "username"), "Mufasa");
    EXPECT_EQ(Param(*header, "realm"), "http-auth@example.org");
    EXPECT_EQ(Param(*header, "uri"), "/dir/index.html");
    EXPECT_EQ(Param(*header, "algorithm"), "SHA-256");
    EXPECT_EQ(Param(*header, "qop"), "auth");
    EXPECT_EQ(Param(*header, "nc"), "00000001");
    EXPECT_EQ(Param(*header, "cnonce"), kRfc7616Cnonce);
    EXPECT_EQ(Param(*header, "opaque"), "FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS");
  }
  const auto onlyMd5 = ParseDigestChallenge(md5);
  ASSERT_TRUE(onlyMd5);
  EXPECT_EQ(onlyMd5->algorithm, DigestAlgorithm::kMd5);
  const auto header = DigestAuthorization(*onlyMd5, request);
  ASSERT_TRUE(header);
  EXPECT_EQ(Param(*header, "response"), "8ca523f5e9506fed4657c9700eebdbec");
  EXPECT_EQ(Param(*header, "algorithm"), "MD5");
}

TEST(OnvifHttpDigestTest, Rfc2617AndRfc2069Examples) {
  // RFC 2617 section 3.5: no algorithm given means MD5.
  const auto challenge = ParseDigestChallenge(
      R"(Digest realm="testrealm@host.com", qop="auth,auth-int",)"
      R"( nonce="dcd98b7102dd2f0e8b11d0f600bfb0c093", opaque="5ccc069c403ebaf9f0171e9517f40e41")");
  ASSERT_TRUE(challenge);
  EXPECT_EQ(challenge->algorithm, DigestAlgorithm::kMd5);
  const auto header = DigestAuthorization(
      *challenge, {"GET", "/dir/index.html", "Mufasa", "Circle Of Life", 1, "0a4f113b"});
  ASSERT_TRUE(header);
  EXPECT_EQ(Param(*header, "response"), "6629fae49393a05397450978507c4ef1");
  EXPECT_EQ(Param(*header, "opaque"), "5ccc069c403ebaf9f0171e9517f40e41");

  // RFC 2069 section 2.4 (its published response corrected by the RFC's erratum): no qop, so no
  // nc or cnonce are sent.
  const auto old = ParseDigestChallenge(
      R"(Digest realm="testrealm@host.com", nonce="dcd98b7102dd2f0e8b11d0f600bfb0c093",)"
      R"( opaque="5ccc069c403ebaf9f0171e9517f40e41")");
  ASSERT_TRUE(old);
  EXPECT_FALSE(old->qopAuth);
  const auto oldHeader =
      DigestAuthorization(*old, {"GET", "/dir/index.html", "Mufasa", "CircleOfLife", 1, ""});
  ASSERT_TRUE(oldHeader);
  EXPECT_EQ(Param(*oldHeader, "response"), "1949323746fe6a43ef61f9606e7febea");
  EXPECT_EQ(Param(*oldHeader, "qop"), "<absent>");
  EXPECT_EQ(Param(*oldHeader, "nc"), "<absent>");
  EXPECT_EQ(Param(*oldHeader, "cnonce"), "<absent>");
}

TEST(OnvifHttpDigestTest, ChallengesAreReadWhateverTheirSpellingAndCompany) {
  const std::vector<std::string> spellings = {
      R"(  dIgEsT   REALM = "cam \"one\" \\ here" ,NONCE=abc123 ,  ALGORITHM="sha-256",)"
      R"(qop="auth-int,  AUTH" ,stale=TRUE)",
      R"(Basic realm="cam", Negotiate YII/+ab==, Digest realm="cam \"one\" \\ here",)"
      R"( nonce="abc123", qop=auth, algorithm=SHA-256, stale="true", charset=UTF-8)",
      R"(Newauth realm="apps", type=1, title="Login to \"apps\"", Negotiate abc=,,)"
      R"( Digest realm="cam \"one\" \\ here",nonce=abc123,algorithm=MD5,qop="auth",)"
      R"( Digest nonce=abc123, realm="cam \"one\" \\ here", algorithm=sha-256, qop="auth",)"
      R"( stale=true, Digest realm="x", nonce="y", algorithm=SHA-256-sess)"};
  for (const auto& text : spellings) {
    const auto challenge = ParseDigestChallenge(text);
    ASSERT_TRUE(challenge) << text;
    EXPECT_EQ(challenge->realm, R"(cam "one" \ here)") << text;
    EXPECT_EQ(challenge->nonce, "abc123") << text;
    EXPECT_EQ(challenge->algorithm, DigestAlgorithm::kSha256) << text;
    EXPECT_TRUE(challenge->qopAuth) << text;
    EXPECT_TRUE(challenge->stale) << text;
    EXPECT_FALSE(challenge->opaque) << text;
  }
  const auto session = ParseDigestChallenge(R"(Digest realm="r", nonce="n", algorithm=MD5-Sess)");
  ASSERT_TRUE(session);
  EXPECT_EQ(session->algorithm, DigestAlgorithm::kMd5Sess);
}

TEST(OnvifHttpDigestTest, MalformedOrUnusableChallengesGiveNothing) {
  const std::vector<std::string> bad = {
      "",
      "   ",
      R"(Basic realm="cam")",
      "Digest",
      R"(Digest realm="r")",
      R"(Digest nonce="n")",
      R"(Digest realm="r", nonce="")",
      R"(realm="r", nonce="n")",
      R"(Digest realm="r, nonce="n")",
      R"(Digest realm="r", nonce="n\)",
      R"(Digest realm="r" nonce="n")",
      R"(Digest realm="r",, nonce="n" stale)",
      R"(Digest realm="r", nonce="n", algorithm=SHA-512-256)",
      R"(Digest realm="r", nonce="n", qop="auth-int")",
      R"(Digest realm="r", realm="s", nonce="n")",
      "Digest realm=\"r\r\nX-Injected: 1\", nonce=\"n\"",
      "Digest realm=\"r\0\", nonce=\"n\""s,
      R"(Digest realm=="r", nonce="n")",
      R"(Digest realm=r;, nonce="n")",
      "Digest realm=\"r\", nonce=\"n\", \x80=1",
  };
  for (const auto& text : bad) {
    EXPECT_FALSE(ParseDigestChallenge(text)) << text;
  }
}

TEST(OnvifHttpDigestTest, AwkwardCredentialsAreHashedRawAndUnsafeValuesRefused) {
  const std::string password = R"(p&s<w"o:r@d/%\)";
  const std::string user = R"(ad"min\)";
  const std::string cnonce = "0a4f113b";
  struct Variant {
    const char* name;
    const EVP_MD* md;
    bool session;
  };
  const Variant variants[] = {{"MD5", EVP_md5(), false},
                              {"MD5-sess", EVP_md5(), true},
                              {"SHA-256", EVP_sha256(), false},
                              {"SHA-256-sess", EVP_sha256(), true}};
  for (const auto& variant : variants) {
    const auto challenge = ParseDigestChallenge(
        std::string(R"(Digest realm="cam", nonce="n0nce", qop="auth", algorithm=)") + variant.name);
    ASSERT_TRUE(challenge) << variant.name;
    const auto header = DigestAuthorization(
        *challenge, {"POST", "/onvif/device_service", user, password, 0x1a2b, cnonce});
    ASSERT_TRUE(header) << variant.name;

    std::string ha1 = Hex(variant.md, user + ":cam:" + password);
    if (variant.session) ha1 = Hex(variant.md, ha1 + ":n0nce:" + cnonce);
    const std::string ha2 = Hex(variant.md, "POST:/onvif/device_service");
    const std::string expected =
        Hex(variant.md, ha1 + ":n0nce:00001a2b:" + cnonce + ":auth:" + ha2);
    EXPECT_EQ(Param(*header, "response"), expected) << variant.name;
    EXPECT_EQ(Param(*header, "username"), user) << variant.name;
    EXPECT_EQ(Param(*header, "nc"), "00001a2b") << variant.name;
    EXPECT_EQ(Param(*header, "algorithm"), variant.name);
    EXPECT_NE(header->find(R"(username="ad\"min\\")"), std::string::npos) << *header;
    EXPECT_EQ(header->find("p&s<w"), std::string::npos) << "password sent: " << *header;
  }

  const auto challenge = ParseDigestChallenge(R"(Digest realm="cam", nonce="n", qop="auth")");
  ASSERT_TRUE(challenge);
  const std::vector<DigestRequest> unsafe = {
      {"POST", "/onvif\r\nX-Injected: 1", "admin", "pw", 1, "c"},
      {"POST", "/onvif", "admin\n", "pw", 1, "c"},
      {"POST", "/onvif", "admin", "pw", 1, "c\r"},
      {"POST\r\n", "/onvif", "admin", "pw", 1, "c"},
      {"PO ST", "/onvif", "admin", "pw", 1, "c"},
      {"", "/onvif", "admin", "pw", 1, "c"},
      {"POST", "/onvif", "admin", "pw", 1, ""},  // qop=auth needs a client nonce
  };
  for (const auto& request : unsafe) {
    EXPECT_FALSE(DigestAuthorization(*challenge, request))
        << request.method << " " << request.uri << " " << request.user << " " << request.cnonce;
  }
  // Any byte may be in the password: it is only hashed.
  EXPECT_TRUE(DigestAuthorization(*challenge, {"POST", "/onvif", "admin", "a\r\n\0b"sv, 1, "c"}));
}

}  // namespace
