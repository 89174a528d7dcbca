#include "sim/detail/onvif_soap.h"

#include <openssl/evp.h>

#include <charconv>
#include <cmath>
#include <cstdio>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "wire/endpoint.h"

namespace camsim::detail {
namespace {

constexpr std::string_view kNsError = "http://www.onvif.org/ver10/error";

}  // namespace

std::string Flag(bool value) {
  return value ? "true" : "false";
}

std::string Tag(std::string_view name, const std::string& content) {
  return "<" + std::string(name) + ">" + content + "</" + std::string(name) + ">";
}

std::string Tag(std::string_view name, int value) {
  return Tag(name, std::to_string(value));
}

std::string RangeTag(std::string_view name, double min, double max) {
  const auto number = [](double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return std::string(text);
  };
  return Tag(name, Tag("tt:Min", number(min)) + Tag("tt:Max", number(max)));
}

std::optional<std::string> DecodeBase64(std::string_view text) {
  std::string clean;
  for (const char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') clean += c;
  }
  if (clean.empty() || clean.size() % 4 != 0) return std::nullopt;
  std::string out(clean.size() / 4 * 3, '\0');
  const int written = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                      reinterpret_cast<const unsigned char*>(clean.data()),
                                      static_cast<int>(clean.size()));
  if (written < 0) return std::nullopt;
  const std::size_t padding = clean.size() - clean.find_last_not_of('=') - 1;
  if (padding > 2) return std::nullopt;
  out.resize(static_cast<std::size_t>(written) - padding);
  return out;
}

std::string EncodeBase64(std::string_view bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<int>(bytes.size()));
  out.resize(written < 0 ? 0 : static_cast<std::size_t>(written));
  return out;
}

std::string SoapFaultBody(SoapFault code, std::string_view subcode, std::string_view detail,
                          std::string_view reason) {
  std::string xml = "<s:Fault xmlns:ter=\"" + std::string(kNsError) + "\"><s:Code><s:Value>" +
                    (code == SoapFault::kSender ? "s:Sender" : "s:Receiver") + "</s:Value>";
  if (!subcode.empty()) {
    xml += "<s:Subcode><s:Value>ter:" + std::string(subcode) + "</s:Value>";
    if (!detail.empty()) {
      xml += "<s:Subcode><s:Value>ter:" + std::string(detail) + "</s:Value></s:Subcode>";
    }
    xml += "</s:Subcode>";
  }
  return xml + "</s:Code><s:Reason><s:Text xml:lang=\"en\">" + onvif::XmlEscape(reason) +
         "</s:Text></s:Reason></s:Fault>";
}

HttpResponse SoapResponse(int status, const std::string& body) {
  HttpResponse response;
  response.status = status;
  response.contentType = "application/soap+xml; charset=utf-8";
  response.body = onvif::Envelope("", body);
  return response;
}

HttpResponse SoapFaultResponse(SoapFault code, std::string_view subcode, std::string_view detail,
                               std::string_view reason) {
  return SoapResponse(code == SoapFault::kSender ? 400 : 500,
                      SoapFaultBody(code, subcode, detail, reason));
}

SoapAnswer SoapFaultAnswer(std::string journal, SoapFault code, std::string_view subcode,
                           std::string_view detail, std::string_view reason) {
  SoapAnswer answer;
  answer.journal = std::move(journal);
  answer.status = code == SoapFault::kSender ? 400 : 500;
  answer.body = SoapFaultBody(code, subcode, detail, reason);
  return answer;
}

bool ParseBool(const std::string& text, bool* value) {
  if (text == "true" || text == "1") {
    *value = true;
  } else if (text == "false" || text == "0") {
    *value = false;
  } else {
    return false;
  }
  return true;
}

bool ParseInt(const std::string& text, int min, int max, int* value) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < min ||
      number > max) {
    return false;
  }
  *value = number;
  return true;
}

bool ParseNumber(const std::string& text, double* value) {
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(number)) {
    return false;
  }
  *value = number;
  return true;
}

bool ParseWhole(const std::string& text, int* value) {
  double number = 0;
  if (!ParseNumber(text, &number) || number != std::floor(number) || number < -1e9 ||
      number > 1e9) {
    return false;
  }
  *value = static_cast<int>(number);
  return true;
}

bool SchemaInt(const xmlNode* parent, const char* name, int min, int max, int* value) {
  return ParseInt(onvif::Text(onvif::Child(parent, onvif::kNsSchema, name)), min, max, value);
}

std::string RawText(const xmlNode* node) {
  if (node == nullptr) return {};
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

int PrefixLength(const std::string& mask) {
  std::uint32_t bits = 0;
  if (!wire::ParseIPv4(mask, &bits)) return 0;
  int length = 0;
  while (length < 32 && (bits & (0x80000000u >> length)) != 0) ++length;
  return length;
}

bool HostAddress(const std::string& address, const std::string& prefix, int* prefixLength,
                 std::string* mask) {
  std::uint32_t host = 0;
  if (!UnicastAddress(address) || !wire::ParseIPv4(address, &host) ||
      !ParseInt(prefix, 1, 30, prefixLength)) {
    return false;
  }
  const std::uint32_t bits = 0xFFFFFFFFu << (32 - *prefixLength);
  if ((host & ~bits) == 0 || (host & ~bits) == ~bits) return false;
  *mask = std::to_string(bits >> 24) + "." + std::to_string((bits >> 16) & 0xFF) + "." +
          std::to_string((bits >> 8) & 0xFF) + "." + std::to_string(bits & 0xFF);
  return true;
}

bool UnicastAddress(const std::string& address) {
  std::uint32_t value = 0;
  if (!wire::ParseIPv4(address, &value)) return false;
  const std::uint32_t first = value >> 24;
  return first != 0 && first != 127 && first < 224;
}

bool HostName(const std::string& name) {
  if (name.empty() || name.size() > 253) return false;
  for (const char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
          c == '-')) {
      return false;
    }
  }
  return true;
}

}  // namespace camsim::detail
