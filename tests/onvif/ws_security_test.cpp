// The UsernameToken header: its digest against one computed here with OpenSSL directly, and its
// fields read back by namespace from a parsed envelope.
#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <cstdint>
#include <limits>
#include <string>

#include "onvif/soap_xml.h"
#include "onvif/ws_security.h"

namespace {

using namespace onvif;
using namespace std::literals;

constexpr const char* kWsse =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
constexpr const char* kWsu =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";

std::string Base64Of(const std::string& bytes) {
  unsigned char out[256];
  const int size = EVP_EncodeBlock(out, reinterpret_cast<const unsigned char*>(bytes.data()),
                                   static_cast<int>(bytes.size()));
  return std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(size));
}

std::string ExpectedDigest(const std::string& nonce, const std::string& created,
                           const std::string& password) {
  const std::string material = nonce + created + password;
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1(reinterpret_cast<const unsigned char*>(material.data()), material.size(), digest);
  return Base64Of(std::string(reinterpret_cast<const char*>(digest), sizeof digest));
}

void ExpectToken(const std::string& user, const std::string& password, const std::string& nonce,
                 const std::string& created) {
  const std::string header = UsernameTokenHeader(user, password, nonce, created);
  ASSERT_FALSE(header.empty());
  EXPECT_EQ(header.find(password), std::string::npos) << "password sent: " << header;

  std::string error;
  const auto doc = ParseSoap(Envelope(header, "<tds:GetDeviceInformation/>"), &error);
  ASSERT_TRUE(doc) << error << "\n" << header;
  const xmlNode* token = Find(Find(doc->Header(), kWsse, "Security"), kWsse, "UsernameToken");
  ASSERT_NE(token, nullptr) << header;
  EXPECT_EQ(Text(Find(token, kWsse, "Username")), user);
  const xmlNode* passwordNode = Find(token, kWsse, "Password");
  EXPECT_EQ(Text(passwordNode), ExpectedDigest(nonce, created, password));
  EXPECT_EQ(Attribute(passwordNode, "Type"),
            "http://docs.oasis-open.org/wss/2004/01/"
            "oasis-200401-wss-username-token-profile-1.0#PasswordDigest");
  const xmlNode* nonceNode = Find(token, kWsse, "Nonce");
  EXPECT_EQ(Text(nonceNode), Base64Of(nonce));
  EXPECT_EQ(Attribute(nonceNode, "EncodingType"),
            "http://docs.oasis-open.org/wss/2004/01/"
            "oasis-200401-wss-soap-message-security-1.0#Base64Binary");
  EXPECT_EQ(Text(Find(token, kWsu, "Created")), created);
  EXPECT_NE(Find(doc->Body(), "http://www.onvif.org/ver10/device/wsdl", "GetDeviceInformation"),
            nullptr);
}

TEST(OnvifWsSecurityTest, DigestAndFieldsReadBackFromTheEnvelope) {
  // Nonce bytes include a zero and high bytes, so nothing may treat them as a C string or text.
  const std::string nonce = "\x00\x01\xff\xfe\x80\x7f abc\x10\x20\x30\x40\x50\x60"s;
  ASSERT_EQ(nonce.size(), 16u);
  {
    SCOPED_TRACE("plain");
    ExpectToken("admin", "secret", nonce, "2024-02-29T12:34:56Z");
  }
  {
    SCOPED_TRACE("markup in the credentials");
    ExpectToken(R"(a&b<c>"d'e)", R"(& < " pass)", nonce, "2024-02-29T12:34:56Z");
  }
  {
    SCOPED_TRACE("random nonce");
    ExpectToken("operator", "a longer pass phrase", RandomNonce(), FormatCreated(1709210096));
  }
  // The digest covers every input: changing any one changes it.
  const std::string base = UsernameTokenHeader("u", "p", nonce, "2024-02-29T12:34:56Z");
  EXPECT_NE(base, UsernameTokenHeader("u", "q", nonce, "2024-02-29T12:34:56Z"));
  EXPECT_NE(base, UsernameTokenHeader("u", "p", nonce, "2024-02-29T12:34:57Z"));
  EXPECT_NE(base, UsernameTokenHeader("u", "p", "other nonce", "2024-02-29T12:34:56Z"));
}

TEST(OnvifWsSecurityTest, CreatedIsWrittenInUtcWithFourDigitYears) {
  // Expected values from `date -u -d @seconds +%Y-%m-%dT%H:%M:%SZ`.
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "1970-01-01T00:00:00Z"},
      {-1, "1969-12-31T23:59:59Z"},
      {951782400, "2000-02-29T00:00:00Z"},
      {1709210096, "2024-02-29T12:34:56Z"},
      {4107542399, "2100-02-28T23:59:59Z"},
      {253402300799, "9999-12-31T23:59:59Z"},
      {std::numeric_limits<std::int64_t>::max(), "9999-12-31T23:59:59Z"},
      {-62167219200, "0000-01-01T00:00:00Z"},
      {std::numeric_limits<std::int64_t>::min(), "0000-01-01T00:00:00Z"},
  };
  for (const auto& [seconds, text] : cases) {
    EXPECT_EQ(FormatCreated(seconds), text) << seconds;
  }
}

TEST(OnvifWsSecurityTest, RandomNoncesAreSixteenFreshBytes) {
  const std::string first = RandomNonce();
  const std::string second = RandomNonce();
  EXPECT_EQ(first.size(), 16u);
  EXPECT_EQ(second.size(), 16u);
  EXPECT_NE(first, second);
}

}  // namespace
