#include "onvif_backend/motion_detection.h"

#include <algorithm>
#include <map>
#include <vector>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/config_document.h"
#include "onvif_backend/xml_values.h"

namespace netsdk::onvif_backend {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsAnalytics;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::XmlEscape;

constexpr int kMaxSensitivity = 100;

// A module or rule: its name, type and simple items; the cell layout of a module as read.
struct AnalyticsItem {
  std::string name;
  std::string type;
  std::map<std::string, std::string> simple;
  int columns = 0;
  int rows = 0;
  std::string transformation;  // the CellLayout's Transformation, written back as read
};

std::string Number(const xmlNode* node, const char* attribute) {
  const std::optional<double> value = ReadNumber(Attribute(node, attribute));
  return value ? std::to_string(*value) : "0";
}

std::optional<AnalyticsItem> FindItem(const xmlNode* body, const char* element, const char* type) {
  for (const xmlNode* node : onvif::FindAll(body, kNsAnalytics, element)) {
    if (LocalPart(Attribute(node, "Type")) != type) continue;
    AnalyticsItem item{Attribute(node, "Name"), Attribute(node, "Type"), {}, 0, 0, {}};
    const xmlNode* parameters = Child(node, kNsSchema, "Parameters");
    for (const xmlNode* simple : onvif::FindAll(parameters, kNsSchema, "SimpleItem")) {
      item.simple[Attribute(simple, "Name")] = Attribute(simple, "Value");
    }
    const xmlNode* layout = onvif::Find(parameters, kNsSchema, "CellLayout");
    item.columns = static_cast<int>(ReadNumber(Attribute(layout, "Columns")).value_or(0));
    item.rows = static_cast<int>(ReadNumber(Attribute(layout, "Rows")).value_or(0));
    const xmlNode* transformation = Child(layout, kNsSchema, "Transformation");
    const xmlNode* translate = Child(transformation, kNsSchema, "Translate");
    const xmlNode* scale = Child(transformation, kNsSchema, "Scale");
    if (translate != nullptr && scale != nullptr) {
      item.transformation = "<tt:Transformation><tt:Translate x=\"" + Number(translate, "x") +
                            "\" y=\"" + Number(translate, "y") + "\"/><tt:Scale x=\"" +
                            Number(scale, "x") + "\" y=\"" + Number(scale, "y") +
                            "\"/></tt:Transformation>";
    }
    return item;
  }
  return std::nullopt;
}

std::string ItemXml(const char* element, const AnalyticsItem& item, const std::string& layout) {
  std::string xml = std::string("<tan:") + element + " Name=\"" + XmlEscape(item.name) +
                    "\" Type=\"" + XmlEscape(item.type) + "\"><tt:Parameters>";
  for (const auto& [name, value] : item.simple) {
    xml += "<tt:SimpleItem Name=\"" + XmlEscape(name) + "\" Value=\"" + XmlEscape(value) + "\"/>";
  }
  return xml + layout + "</tt:Parameters></tan:" + element + ">";
}

}  // namespace

std::optional<MotionRequest> ReadMotionRequest(const std::string& gbkDocument) {
  const std::optional<ConfigDocument> document =
      ReadConfigDocument(gbkDocument, "MotionDetectAlarm");
  if (!document) return std::nullopt;
  const Attributes& a = document->root;
  long count = 0, sensitivity = 0, threshold = 0;
  const std::string cells = Value(a, "BlockConfig");
  if (!Number(Value(a, "BlockCount"), 0, 0x7FFFFFFF, &count) ||
      !Number(Value(a, "Sensitivity"), -0x7FFFFFFF, 0x7FFFFFFF, &sensitivity) ||
      !Number(Value(a, "AlarmThreshold"), -0x7FFFFFFF, 0x7FFFFFFF, &threshold)) {
    return std::nullopt;
  }
  MotionRequest request;
  request.enable = Value(a, "Enable") == "1";
  // Columns in the upper half of the block count, rows in the lower.
  request.blocks.columns = std::clamp(static_cast<int>(count >> 16), 1, 8);
  request.blocks.rows = std::clamp(static_cast<int>(count & 0xFFFF), 1, 8);
  for (std::size_t i = 0; i < request.blocks.marked.size() && i < cells.size(); ++i) {
    request.blocks.marked[i] = cells[i] == '1';
  }
  request.sensitivity = static_cast<int>(sensitivity);
  request.threshold = static_cast<int>(threshold);
  return request;
}

asio::awaitable<GroupOutcome> PushMotionDetection(const ServiceCalls& calls,
                                                  const MotionRequest& request) {
  if (!calls.Offers(kNsAnalytics))
    co_return GroupOutcome::Failed("the device has no analytics service");
  if (!calls.Offers(kNsMedia2))
    co_return GroupOutcome::Failed("analytics are found through Media2 only");
  const CallResult configurations = co_await calls.Call(kNsMedia2, "GetAnalyticsConfigurations",
                                                        "<tr2:GetAnalyticsConfigurations/>");
  const std::string token =
      configurations.Ok()
          ? Attribute(onvif::Find(configurations.Body(), kNsMedia2, "Configurations"), "token")
          : std::string();
  if (token.empty())
    co_return GroupOutcome::Failed(Reason("GetAnalyticsConfigurations", configurations));
  const std::string configuration =
      "<tan:ConfigurationToken>" + XmlEscape(token) + "</tan:ConfigurationToken>";
  const CallResult modules = co_await calls.Call(
      kNsAnalytics, "GetAnalyticsModules",
      "<tan:GetAnalyticsModules>" + configuration + "</tan:GetAnalyticsModules>");
  if (!modules.Ok()) co_return GroupOutcome::Failed(Reason("GetAnalyticsModules", modules));
  std::optional<AnalyticsItem> engine =
      FindItem(modules.Body(), "AnalyticsModule", "CellMotionEngine");
  if (!engine || engine->columns <= 0 || engine->rows <= 0) {
    co_return GroupOutcome::Failed("the device has no cell motion detector");
  }
  const CallResult rules = co_await calls.Call(
      kNsAnalytics, "GetRules", "<tan:GetRules>" + configuration + "</tan:GetRules>");
  if (!rules.Ok()) co_return GroupOutcome::Failed(Reason("GetRules", rules));
  std::optional<AnalyticsItem> rule = FindItem(rules.Body(), "Rule", "CellMotionDetector");
  if (!rule) co_return GroupOutcome::Failed("the device has no cell motion rule");

  const std::vector<bool> cells = LayOnto(request.blocks, engine->columns, engine->rows);
  engine->simple["Sensitivity"] =
      std::to_string(std::clamp(request.sensitivity, 0, kMaxSensitivity));
  const int cellCount = engine->columns * engine->rows;
  rule->simple["MinCount"] = std::to_string(std::clamp(request.threshold, 1, cellCount));
  rule->simple["ActiveCells"] =
      ActiveCells(request.enable ? cells : std::vector<bool>(cells.size(), false));
  const std::string layout = "<tt:ElementItem Name=\"Layout\"><tt:CellLayout Columns=\"" +
                             std::to_string(engine->columns) + "\" Rows=\"" +
                             std::to_string(engine->rows) + "\">" + engine->transformation +
                             "</tt:CellLayout></tt:ElementItem>";
  const CallResult modified = co_await calls.Call(kNsAnalytics, "ModifyAnalyticsModules",
                                                  "<tan:ModifyAnalyticsModules>" + configuration +
                                                      ItemXml("AnalyticsModule", *engine, layout) +
                                                      "</tan:ModifyAnalyticsModules>");
  if (!modified.Ok()) co_return GroupOutcome::Failed(Reason("ModifyAnalyticsModules", modified));
  const CallResult ruled = co_await calls.Call(
      kNsAnalytics, "ModifyRules",
      "<tan:ModifyRules>" + configuration + ItemXml("Rule", *rule, "") + "</tan:ModifyRules>");
  if (!ruled.Ok()) co_return GroupOutcome::Failed(Reason("ModifyRules", ruled));
  co_return GroupOutcome::Carried();
}

}  // namespace netsdk::onvif_backend
