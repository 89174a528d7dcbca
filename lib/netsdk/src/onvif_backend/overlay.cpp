#include "onvif_backend/overlay.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/config_document.h"
#include "onvif_backend/text_encoding.h"
#include "onvif_backend/xml_values.h"

namespace netsdk::onvif_backend {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

OverlayPlace PlaceOf(const Attributes& attributes) {
  const std::string x = Value(attributes, "PosX");
  const std::string y = Value(attributes, "PosY");
  if (x == "0" && y == "0") return OverlayPlace::kUpperLeft;
  if (x == "1" && y == "0") return OverlayPlace::kUpperRight;
  if (x == "0" && y == "1") return OverlayPlace::kLowerLeft;
  if (x == "1" && y == "1") return OverlayPlace::kLowerRight;
  return OverlayPlace::kHidden;
}

std::optional<std::string> FromHex(const std::string& hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    if (!std::isxdigit(static_cast<unsigned char>(hex[i])) ||
        !std::isxdigit(static_cast<unsigned char>(hex[i + 1]))) {
      return std::nullopt;
    }
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

// The shape of a date format: the order of its year, month and day, its separator, the year's
// digits, and whether it spells a month or a weekday or leaves a number unpadded.
struct DateShape {
  std::string order;
  char separator = 0;
  int yearDigits = 0;
  bool spelled = false;
  bool unpadded = false;
};

DateShape ShapeOf(const std::string& format) {
  DateShape shape;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    const char field = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (field == 'y' || field == 'm' || field == 'd') {
      if (run >= 3 && field != 'y') {
        shape.spelled = true;  // MMMM, dddd
      } else {
        shape.order += field;
        shape.unpadded |= run == 1;
        if (field == 'y') shape.yearDigits = static_cast<int>(run);
      }
    } else if (shape.separator == 0 && !shape.order.empty() && c != ' ' && c != ',') {
      shape.separator = c;
    }
    i += run;
  }
  return shape;
}

int DateDistance(const DateShape& wanted, const DateShape& offered) {
  return (wanted.order != offered.order ? 100 : 0) + (offered.spelled ? 50 : 0) +
         (wanted.separator != offered.separator ? 10 : 0) +
         (wanted.yearDigits != offered.yearDigits ? 5 : 0) + (offered.unpadded ? 1 : 0);
}

int TimeDistance(const std::string& format) {
  const bool twelveHour =
      format.find('h') != std::string::npos || format.find('t') != std::string::npos;
  const bool unpadded = format.find("HH") == std::string::npos && !twelveHour;
  const bool seconds = format.find('s') != std::string::npos;
  return (twelveHour ? 10 : 0) + (seconds ? 0 : 5) + (unpadded ? 1 : 0);
}

struct Osd {
  std::string token;
  std::string textType;  // Plain, Date, Time, DateAndTime; empty for an image
};

struct OsdOptions {
  int maximum = INT_MAX;
  std::vector<std::string> positions;
  std::vector<std::string> dateFormats;
  std::vector<std::string> timeFormats;
};

std::vector<Osd> ReadOsds(const xmlNode* body) {
  std::vector<Osd> osds;
  for (const xmlNode* node : onvif::FindAll(body, kNsMedia2, "OSDs")) {
    const bool text = Text(Child(node, kNsSchema, "Type")) == "Text";
    osds.push_back({Attribute(node, "token"),
                    text ? Text(Child(Child(node, kNsSchema, "TextString"), kNsSchema, "Type"))
                         : std::string()});
  }
  return osds;
}

OsdOptions ReadOsdOptions(const xmlNode* body) {
  const xmlNode* options = onvif::Find(body, kNsMedia2, "OSDOptions");
  OsdOptions read;
  const std::optional<double> total =
      ReadNumber(Attribute(Child(options, kNsSchema, "MaximumNumberOfOSDs"), "Total"));
  if (total) read.maximum = static_cast<int>(*total);
  read.positions = SchemaTexts(options, "PositionOption");
  const xmlNode* text = Child(options, kNsSchema, "TextOption");
  read.dateFormats = SchemaTexts(text, "DateFormat");
  read.timeFormats = SchemaTexts(text, "TimeFormat");
  return read;
}

std::string OsdXml(const std::string& token, const std::string& source, const std::string& position,
                   const std::string& textString) {
  return "<tr2:OSD token=\"" + XmlEscape(token) + "\"><tt:VideoSourceConfigurationToken>" +
         XmlEscape(source) +
         "</tt:VideoSourceConfigurationToken><tt:Type>Text</tt:Type>"
         "<tt:Position><tt:Type>" +
         position + "</tt:Type></tt:Position><tt:TextString>" + textString +
         "</tt:TextString></tr2:OSD>";
}

struct OsdStep {
  std::string operation;
  std::string body;
};

// The steps that bring one managed overlay to its wanted state: gone (textString empty) or shown.
void PlanOsd(const Osd* existing, const std::string& source, const std::string& position,
             const std::string& textString, std::vector<OsdStep>* deletes,
             std::vector<OsdStep>* writes, int* created) {
  if (textString.empty()) {
    if (existing != nullptr) {
      deletes->push_back({"DeleteOSD", "<tr2:DeleteOSD><tr2:OSDToken>" +
                                           XmlEscape(existing->token) +
                                           "</tr2:OSDToken></tr2:DeleteOSD>"});
    }
    return;
  }
  if (existing != nullptr) {
    writes->push_back(
        {"SetOSD",
         "<tr2:SetOSD>" + OsdXml(existing->token, source, position, textString) + "</tr2:SetOSD>"});
    return;
  }
  ++*created;
  writes->push_back({"CreateOSD", "<tr2:CreateOSD>" + OsdXml("", source, position, textString) +
                                      "</tr2:CreateOSD>"});
}

}  // namespace

std::optional<OverlayRequest> ReadOverlayRequest(const std::string& gbkDocument) {
  const std::optional<ConfigDocument> document = ReadConfigDocument(gbkDocument, "Overlay");
  const Attributes* time = document ? document->Child("TimeOverlay") : nullptr;
  const Attributes* title = document ? document->Child("TitleOverlay") : nullptr;
  if (time == nullptr || title == nullptr) return std::nullopt;
  // The title travels as the hexadecimal digits of its GBK bytes.
  const std::optional<std::string> gbk = FromHex(Value(*title, "Title"));
  const std::optional<std::string> utf8 = gbk ? GbkToUtf8(*gbk) : std::nullopt;
  if (!utf8) return std::nullopt;
  OverlayRequest request;
  request.enable = Value(document->root, "Enable") == "1";
  request.timePlace = PlaceOf(*time);
  request.format = Value(*time, "Format");
  request.titlePlace = PlaceOf(*title);
  request.title = *utf8;
  return request;
}

std::string PositionType(OverlayPlace place) {
  switch (place) {
    case OverlayPlace::kUpperLeft:
      return "UpperLeft";
    case OverlayPlace::kUpperRight:
      return "UpperRight";
    case OverlayPlace::kLowerLeft:
      return "LowerLeft";
    case OverlayPlace::kLowerRight:
      return "LowerRight";
    case OverlayPlace::kHidden:
      break;
  }
  return {};
}

std::string NearestDateFormat(const std::string& format, const std::vector<std::string>& offered) {
  // The date is the part of the program's format without a colon.
  std::string date;
  for (std::size_t start = 0; start < format.size();) {
    std::size_t end = format.find(' ', start);
    if (end == std::string::npos) end = format.size();
    const std::string part = format.substr(start, end - start);
    if (part.find(':') == std::string::npos) date = part;
    start = end + 1;
  }
  const DateShape wanted = ShapeOf(date);
  std::string best;
  int bestDistance = INT_MAX;
  for (const std::string& candidate : offered) {
    const int distance = DateDistance(wanted, ShapeOf(candidate));
    if (distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

std::string NearestTimeFormat(const std::vector<std::string>& offered) {
  std::string best;
  int bestDistance = INT_MAX;
  for (const std::string& candidate : offered) {
    if (const int distance = TimeDistance(candidate); distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

asio::awaitable<GroupOutcome> PushOverlay(const ServiceCalls& calls,
                                          const OverlayRequest& request) {
  if (!calls.Offers(kNsMedia2))
    co_return GroupOutcome::Failed("on-screen text is set through Media2 only");
  const CallResult capabilities =
      co_await calls.Call(kNsMedia2, "GetServiceCapabilities", "<tr2:GetServiceCapabilities/>");
  if (!capabilities.Ok())
    co_return GroupOutcome::Failed(Reason("GetServiceCapabilities", capabilities));
  const xmlNode* offeredCapabilities = onvif::Find(capabilities.Body(), kNsMedia2, "Capabilities");
  if (!ReadBoolean(Attribute(offeredCapabilities, "OSD")).value_or(false)) {
    co_return GroupOutcome::Failed("the device has no on-screen display");
  }
  const CallResult sources = co_await calls.Call(kNsMedia2, "GetVideoSourceConfigurations",
                                                 "<tr2:GetVideoSourceConfigurations/>");
  const std::string source =
      sources.Ok() ? Attribute(onvif::Find(sources.Body(), kNsMedia2, "Configurations"), "token")
                   : std::string();
  if (source.empty())
    co_return GroupOutcome::Failed(Reason("GetVideoSourceConfigurations", sources));
  const std::string configuration =
      "<tr2:ConfigurationToken>" + XmlEscape(source) + "</tr2:ConfigurationToken>";
  const CallResult listed =
      co_await calls.Call(kNsMedia2, "GetOSDs", "<tr2:GetOSDs>" + configuration + "</tr2:GetOSDs>");
  if (!listed.Ok()) co_return GroupOutcome::Failed(Reason("GetOSDs", listed));
  const CallResult offered = co_await calls.Call(
      kNsMedia2, "GetOSDOptions", "<tr2:GetOSDOptions>" + configuration + "</tr2:GetOSDOptions>");
  if (!offered.Ok()) co_return GroupOutcome::Failed(Reason("GetOSDOptions", offered));
  const std::vector<Osd> osds = ReadOsds(listed.Body());
  const OsdOptions options = ReadOsdOptions(offered.Body());
  auto first = [&osds](const char* textType) -> const Osd* {
    const auto found = std::find_if(
        osds.begin(), osds.end(), [textType](const Osd& osd) { return osd.textType == textType; });
    return found == osds.end() ? nullptr : &*found;
  };

  GroupOutcome outcome = GroupOutcome::Carried();
  auto position = [&](OverlayPlace place) -> std::optional<std::string> {
    const std::string type = PositionType(place);
    if (std::find(options.positions.begin(), options.positions.end(), type) !=
        options.positions.end()) {
      return type;
    }
    outcome = GroupOutcome::Failed("overlay position " + type + " is not offered");
    return std::nullopt;
  };
  std::string timeText;
  std::string titleText;
  std::string timePosition;
  std::string titlePosition;
  if (request.enable && request.timePlace != OverlayPlace::kHidden) {
    const std::optional<std::string> place = position(request.timePlace);
    if (!place) co_return outcome;
    const std::string date = NearestDateFormat(request.format, options.dateFormats);
    const std::string time = NearestTimeFormat(options.timeFormats);
    timePosition = *place;
    timeText = "<tt:Type>DateAndTime</tt:Type>" +
               (date.empty() ? "" : "<tt:DateFormat>" + XmlEscape(date) + "</tt:DateFormat>") +
               (time.empty() ? "" : "<tt:TimeFormat>" + XmlEscape(time) + "</tt:TimeFormat>");
    // The device shows the date before the time, in the formats it offers.
    if (AsciiLower(date + " " + time) != AsciiLower(request.format)) {
      outcome.notes.push_back("time format " + request.format + " carried as " + date + " " + time);
    }
  }
  if (request.enable && request.titlePlace != OverlayPlace::kHidden && !request.title.empty()) {
    const std::optional<std::string> place = position(request.titlePlace);
    if (!place) co_return outcome;
    titlePosition = *place;
    titleText =
        "<tt:Type>Plain</tt:Type><tt:PlainText>" + XmlEscape(request.title) + "</tt:PlainText>";
  }
  std::vector<OsdStep> deletes;
  std::vector<OsdStep> writes;
  int created = 0;
  PlanOsd(first("DateAndTime"), source, timePosition, timeText, &deletes, &writes, &created);
  PlanOsd(first("Plain"), source, titlePosition, titleText, &deletes, &writes, &created);
  if (static_cast<int>(osds.size() - deletes.size()) + created > options.maximum) {
    co_return GroupOutcome::Failed("the device holds no more overlays");
  }
  deletes.insert(deletes.end(), writes.begin(), writes.end());
  for (const OsdStep& step : deletes) {
    const CallResult done = co_await calls.Call(kNsMedia2, step.operation, step.body);
    if (!done.Ok()) co_return GroupOutcome::Failed(Reason(step.operation, done));
  }
  co_return outcome;
}

}  // namespace netsdk::onvif_backend
