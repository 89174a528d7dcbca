#include "sim/detail/onvif_osd.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace camsim::detail {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

constexpr std::array<std::string_view, 4> kTextTypes = {"Plain", "Date", "Time", "DateAndTime"};
// A plain text overlay's length, as camera web pages limit it.
constexpr std::size_t kMaxPlainText = 64;

bool Listed(std::span<const std::string_view> list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

SoapAnswer NotSupported() {
  return SoapFaultAnswer("", SoapFault::kReceiver, "ActionNotSupported", "",
                         "the device has no overlays");
}

std::string OsdXml(std::string_view element, const OsdState& osd) {
  std::string xml = "<" + std::string(element) + " token=\"" + osd.token + "\">" +
                    Tag("tt:VideoSourceConfigurationToken", std::string(kVideoSource)) +
                    Tag("tt:Type", osd.type) + "<tt:Position>" + Tag("tt:Type", osd.position);
  if (osd.position == "Custom") {
    xml += "<tt:Pos x=\"" + Number(osd.x) + "\" y=\"" + Number(osd.y) + "\"/>";
  }
  xml += "</tt:Position>";
  if (osd.type == "Text") {
    xml += "<tt:TextString>" + Tag("tt:Type", osd.textType);
    if (osd.textType == "Date" || osd.textType == "DateAndTime") {
      xml += Tag("tt:DateFormat", XmlEscape(osd.dateFormat));
    }
    if (osd.textType == "Time" || osd.textType == "DateAndTime") {
      xml += Tag("tt:TimeFormat", XmlEscape(osd.timeFormat));
    }
    if (osd.fontSize) xml += Tag("tt:FontSize", *osd.fontSize);
    if (osd.textType == "Plain") xml += Tag("tt:PlainText", XmlEscape(osd.plainText));
    xml += "</tt:TextString>";
  } else {
    xml += Tag("tt:Image", Tag("tt:ImgPath", XmlEscape(osd.imagePath)));
  }
  return xml + "</" + std::string(element) + ">";
}

std::string OsdJournal(const OsdState& osd) {
  std::string text = osd.token + " " + osd.type + " " + osd.position;
  if (osd.position == "Custom") text += "(" + Number(osd.x) + "," + Number(osd.y) + ")";
  if (osd.type == "Image") return text + " " + osd.imagePath;
  text += " " + osd.textType;
  if (osd.textType == "Plain") return text + " \"" + osd.plainText + "\"";
  if (osd.textType != "Time") text += " " + osd.dateFormat;
  if (osd.textType != "Date") text += " " + osd.timeFormat;
  return text;
}

// The overlay a request's OSD element describes, over base; what the options do not offer goes
// into *problem.
OsdState ReadOsd(const xmlNode* node, const CameraModel& model, OsdState osd,
                 std::string* problem) {
  const std::string source = Text(Child(node, kNsSchema, "VideoSourceConfigurationToken"));
  osd.type = Text(Child(node, kNsSchema, "Type"));
  const xmlNode* position = Child(node, kNsSchema, "Position");
  osd.position = Text(Child(position, kNsSchema, "Type"));
  const xmlNode* pos = Child(position, kNsSchema, "Pos");
  const bool custom = osd.position == "Custom";
  const bool placed = pos != nullptr && ParseNumber(Attribute(pos, "x"), &osd.x) &&
                      ParseNumber(Attribute(pos, "y"), &osd.y) && osd.x >= -1 && osd.x <= 1 &&
                      osd.y >= -1 && osd.y <= 1;
  if (source != kVideoSource) {
    *problem = "no such video source configuration";
  } else if (!Listed(model.osdPositions, osd.position) || (custom && !placed)) {
    *problem = "position not offered";
  }
  if (osd.type == "Image") {
    osd.imagePath = Text(Child(Child(node, kNsSchema, "Image"), kNsSchema, "ImgPath"));
    if (osd.imagePath != kOsdLogoPath) *problem = "image not offered";
    return osd;
  }
  if (osd.type != "Text") {
    *problem = "Type is Text or Image";
    return osd;
  }
  const xmlNode* text = Child(node, kNsSchema, "TextString");
  osd.textType = Text(Child(text, kNsSchema, "Type"));
  const xmlNode* date = Child(text, kNsSchema, "DateFormat");
  const xmlNode* time = Child(text, kNsSchema, "TimeFormat");
  osd.dateFormat = date != nullptr ? Text(date) : std::string(model.dateFormats.front());
  osd.timeFormat = time != nullptr ? Text(time) : std::string(model.timeFormats.front());
  osd.plainText = onvif::Text(Child(text, kNsSchema, "PlainText"));
  int size = 0;
  if (const xmlNode* font = Child(text, kNsSchema, "FontSize")) {
    if (ParseWhole(Text(font), &size) && kFontSizeRange.Holds(size)) {
      osd.fontSize = size;
    } else {
      *problem = "FontSize outside its range";
    }
  }
  if (std::find(kTextTypes.begin(), kTextTypes.end(), osd.textType) == kTextTypes.end()) {
    *problem = "text type not offered";
  } else if (!Listed(model.dateFormats, osd.dateFormat)) {
    *problem = "DateFormat not offered";
  } else if (!Listed(model.timeFormats, osd.timeFormat)) {
    *problem = "TimeFormat not offered";
  } else if (osd.textType == "Plain" &&
             (osd.plainText.empty() || osd.plainText.size() > kMaxPlainText)) {
    *problem = "PlainText of 1 to 64 characters";
  }
  return osd;
}

std::vector<OsdState>::iterator FindOsd(OnvifSettingsState& state, const std::string& token) {
  return std::find_if(state.osds.begin(), state.osds.end(),
                      [&](const OsdState& osd) { return osd.token == token; });
}

SoapAnswer NoSuchOsd(std::string journal) {
  return SoapFaultAnswer(std::move(journal), SoapFault::kSender, "InvalidArgVal", "NoConfig",
                         "the device has no such overlay");
}

}  // namespace

SoapAnswer GetOSDs(OnvifContext& context, const xmlNode* request) {
  if (!HasOsd(context.device.Config().onvif)) return NotSupported();
  const std::string token = Text(Child(request, kNsMedia2, "OSDToken"));
  const std::string configuration = Text(Child(request, kNsMedia2, "ConfigurationToken"));
  const std::string journal = token + (configuration.empty() ? "" : " " + configuration);
  if (!token.empty() && FindOsd(context.state, token) == context.state.osds.end()) {
    return NoSuchOsd(journal);
  }
  if (!configuration.empty() && configuration != kVideoSource) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such video source configuration");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetOSDsResponse>";
  for (const OsdState& osd : context.state.osds) {
    if (token.empty() || osd.token == token) answer.body += OsdXml("tr2:OSDs", osd);
  }
  answer.body += "</tr2:GetOSDsResponse>";
  return answer;
}

SoapAnswer GetOSDOptions(OnvifContext& context, const xmlNode* request) {
  if (!HasOsd(context.device.Config().onvif)) return NotSupported();
  const std::string configuration = Text(Child(request, kNsMedia2, "ConfigurationToken"));
  if (!configuration.empty() && configuration != kVideoSource) {
    return SoapFaultAnswer(configuration, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such video source configuration");
  }
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  std::string positions, textTypes, dates, times;
  for (const std::string_view position : model.osdPositions) {
    positions += Tag("tt:PositionOption", std::string(position));
  }
  for (const std::string_view type : kTextTypes) textTypes += Tag("tt:Type", std::string(type));
  for (const std::string_view format : model.dateFormats) {
    dates += Tag("tt:DateFormat", XmlEscape(format));
  }
  for (const std::string_view format : model.timeFormats) {
    times += Tag("tt:TimeFormat", XmlEscape(format));
  }
  SoapAnswer answer;
  answer.journal = configuration;
  answer.body = "<tr2:GetOSDOptionsResponse><tr2:OSDOptions><tt:MaximumNumberOfOSDs Total=\"" +
                std::to_string(model.maxOsds) +
                "\" Image=\"1\"/><tt:Type>Text</tt:Type>"
                "<tt:Type>Image</tt:Type>" +
                positions + "<tt:TextOption>" + textTypes +
                RangeTag("tt:FontSizeRange", kFontSizeRange.min, kFontSizeRange.max) + dates +
                times + "</tt:TextOption><tt:ImageOption>" +
                Tag("tt:ImagePath", std::string(kOsdLogoPath)) +
                "</tt:ImageOption></tr2:OSDOptions></tr2:GetOSDOptionsResponse>";
  return answer;
}

SoapAnswer SetOSD(OnvifContext& context, const xmlNode* request) {
  if (!HasOsd(context.device.Config().onvif)) return NotSupported();
  const xmlNode* node = Child(request, kNsMedia2, "OSD");
  const std::string token = Attribute(node, "token");
  const auto found = FindOsd(context.state, token);
  if (found == context.state.osds.end()) return NoSuchOsd(token);
  std::string problem;
  const OsdState wanted =
      ReadOsd(node, ModelOf(context.device.Config().onvif.model), *found, &problem);
  if (!problem.empty()) {
    return SoapFaultAnswer(OsdJournal(wanted), SoapFault::kSender, "InvalidArgVal", "ConfigModify",
                           problem);
  }
  SoapAnswer answer;
  answer.journal = OsdJournal(wanted);
  answer.body = "<tr2:SetOSDResponse/>";
  // Found again by token: a delete answered meanwhile may have moved it.
  answer.then = [&state = context.state, wanted] {
    if (const auto osd = FindOsd(state, wanted.token); osd != state.osds.end()) *osd = wanted;
  };
  return answer;
}

SoapAnswer CreateOSD(OnvifContext& context, const xmlNode* request) {
  if (!HasOsd(context.device.Config().onvif)) return NotSupported();
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  OsdState fresh;
  fresh.token = "osd_" + std::to_string(context.state.osdsCreated + 1);
  std::string problem;
  const OsdState wanted = ReadOsd(Child(request, kNsMedia2, "OSD"), model, fresh, &problem);
  if (!problem.empty()) {
    return SoapFaultAnswer(OsdJournal(wanted), SoapFault::kSender, "InvalidArgVal", "ConfigModify",
                           problem);
  }
  if (static_cast<int>(context.state.osds.size()) >= model.maxOsds) {
    return SoapFaultAnswer(OsdJournal(wanted), SoapFault::kReceiver, "Action", "MaxOSDs",
                           "the device has as many overlays as it can show");
  }
  // The token is taken now, so that two creations answered before either applies differ.
  ++context.state.osdsCreated;
  SoapAnswer answer;
  answer.journal = OsdJournal(wanted);
  answer.body =
      "<tr2:CreateOSDResponse>" + Tag("tr2:OSDToken", wanted.token) + "</tr2:CreateOSDResponse>";
  answer.then = [&state = context.state, wanted] { state.osds.push_back(wanted); };
  return answer;
}

SoapAnswer DeleteOSD(OnvifContext& context, const xmlNode* request) {
  if (!HasOsd(context.device.Config().onvif)) return NotSupported();
  const std::string token = Text(Child(request, kNsMedia2, "OSDToken"));
  if (FindOsd(context.state, token) == context.state.osds.end()) return NoSuchOsd(token);
  SoapAnswer answer;
  answer.journal = token;
  answer.body = "<tr2:DeleteOSDResponse/>";
  answer.then = [&state = context.state, token] {
    if (const auto osd = FindOsd(state, token); osd != state.osds.end()) state.osds.erase(osd);
  };
  return answer;
}

}  // namespace camsim::detail
