// The pieces the ONVIF face's operations are written with: SOAP answers and faults (with the
// ONVIF subcodes, ter = http://www.onvif.org/ver10/error, and the HTTP status each takes), readers
// of request values, writers of common elements, and the checks of the addresses a request
// carries.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/detail/http_connection.h"
#include "sim/device_config.h"

namespace camsim::detail {

// What an operation answers, and what the device does once the answer is out.
struct SoapAnswer {
  std::string journal;  // the request as the journal shows it
  int status = 200;
  std::string body;    // the content of the SOAP Body
  bool close = false;  // the device restarts: the connection ends with the answer
  std::function<void()> then;
};

// Sender faults travel with HTTP 400, Receiver faults with 500.
enum class SoapFault { kSender, kReceiver };

// A Fault element; subcode and detail are local names in the ter namespace, detail (the nested
// subcode) may be empty.
std::string SoapFaultBody(SoapFault code, std::string_view subcode, std::string_view detail,
                          std::string_view reason);
HttpResponse SoapResponse(int status, const std::string& body);
HttpResponse SoapFaultResponse(SoapFault code, std::string_view subcode, std::string_view detail,
                               std::string_view reason);
SoapAnswer SoapFaultAnswer(std::string journal, SoapFault code, std::string_view subcode,
                           std::string_view detail, std::string_view reason);

// xs:base64Binary; white space inside is skipped, nullopt when the text is not base64.
std::optional<std::string> DecodeBase64(std::string_view text);
std::string EncodeBase64(std::string_view bytes);
// xs:boolean.
bool ParseBool(const std::string& text, bool* value);
bool ParseInt(const std::string& text, int min, int max, int* value);
// xs:float or xs:double in plain decimal form.
bool ParseNumber(const std::string& text, double* value);
// A whole number written as an integer or as a float ("25", "25.0").
bool ParseWhole(const std::string& text, int* value);
// The integer text of parent's child tt:name.
bool SchemaInt(const xmlNode* parent, const char* name, int min, int max, int* value);
// The element's text as sent, white space included.
std::string RawText(const xmlNode* node);

// <name>content</name>; content is XML already.
std::string Tag(std::string_view name, const std::string& content);
std::string Tag(std::string_view name, int value);
// <name><tt:Min>min</tt:Min><tt:Max>max</tt:Max></name>, as the options' ranges are written.
std::string RangeTag(std::string_view name, double min, double max);
std::string Flag(bool value);

// Leading one bits of a dotted-quad mask.
int PrefixLength(const std::string& mask);
// A manual address for the device: a dotted quad that is neither the network's nor its broadcast
// address, nor loopback, multicast or reserved, and a prefix length from 1 to 30. mask gets the
// prefix as a dotted quad.
bool HostAddress(const std::string& address, const std::string& prefix, int* prefixLength,
                 std::string* mask);
// A dotted quad a gateway, NTP or DNS server can have.
bool UnicastAddress(const std::string& address);
bool HostName(const std::string& name);

}  // namespace camsim::detail
