// The XML namespaces of the ONVIF messages, one place for each URI. Lookups match these URIs,
// never prefixes, because devices choose their own prefixes.
#pragma once

#include <string_view>

namespace onvif {

inline constexpr std::string_view kNsSoap = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr std::string_view kNsDevice = "http://www.onvif.org/ver10/device/wsdl";
inline constexpr std::string_view kNsMedia = "http://www.onvif.org/ver10/media/wsdl";
inline constexpr std::string_view kNsMedia2 = "http://www.onvif.org/ver20/media/wsdl";
inline constexpr std::string_view kNsImaging = "http://www.onvif.org/ver20/imaging/wsdl";
inline constexpr std::string_view kNsAnalytics = "http://www.onvif.org/ver20/analytics/wsdl";
inline constexpr std::string_view kNsEvents = "http://www.onvif.org/ver10/events/wsdl";
inline constexpr std::string_view kNsSchema = "http://www.onvif.org/ver10/schema";
inline constexpr std::string_view kNsWsse =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
inline constexpr std::string_view kNsWsu =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";
inline constexpr std::string_view kNsDiscovery = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
inline constexpr std::string_view kNsAddressing =
    "http://schemas.xmlsoap.org/ws/2004/08/addressing";
inline constexpr std::string_view kNsNetwork = "http://www.onvif.org/ver10/network/wsdl";

}  // namespace onvif
