// The pieces the ONVIF face's operations are written with: SOAP answers and faults (with the
// ONVIF subcodes, ter = http://www.onvif.org/ver10/error, and the HTTP status each takes), readers
// of request values, the checks of the addresses a request carries, and the capabilities the
// answers list.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <functional>
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

// xs:boolean.
bool ParseBool(const std::string& text, bool* value);
bool ParseInt(const std::string& text, int min, int max, int* value);
// The integer text of parent's child tt:name.
bool SchemaInt(const xmlNode* parent, const char* name, int min, int max, int* value);
// The element's text as sent, white space included.
std::string RawText(const xmlNode* node);

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

// The Capabilities content of GetServices for each service.
std::string DeviceServiceCapabilities(const OnvifSettings& settings);
std::string MediaServiceCapabilities();
std::string Media2ServiceCapabilities();
// What GetCapabilities lists under tt:Device after its XAddr, and under tt:Media.
std::string DeviceCapabilities(const OnvifSettings& settings);
std::string MediaCapabilities();

}  // namespace camsim::detail
