#include "sim/detail/onvif_analytics.h"

#include <cstdio>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace camsim::detail {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsAnalytics;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;

constexpr std::string_view kNsXmlSchema = "http://www.w3.org/2001/XMLSchema";
constexpr std::string_view kNsTopics = "http://www.onvif.org/ver10/topics";
constexpr std::string_view kMotionTopic = "tns1:RuleEngine/CellMotionDetector/Motion";

std::string Declarations() {
  return " xmlns:xs=\"" + std::string(kNsXmlSchema) + "\" xmlns:tns1=\"" + std::string(kNsTopics) +
         "\"";
}

// Whether the QName text of an attribute on node names the schema type local: the prefix is
// looked up where the request declared it, never taken as written.
bool IsSchemaType(const xmlNode* node, const std::string& qname, std::string_view local) {
  if (qname.empty()) return true;
  const std::size_t colon = qname.find(':');
  const std::string prefix = colon == std::string::npos ? "" : qname.substr(0, colon);
  if (qname.substr(colon == std::string::npos ? 0 : colon + 1) != local) return false;
  const xmlNs* ns = xmlSearchNs(node->doc, const_cast<xmlNode*>(node),
                                prefix.empty() ? nullptr : BAD_CAST prefix.c_str());
  return ns != nullptr && ns->href != nullptr &&
         reinterpret_cast<const char*>(ns->href) == kNsSchema;
}

std::string SimpleItem(std::string_view name, const std::string& value) {
  return "<tt:SimpleItem Name=\"" + std::string(name) + "\" Value=\"" + value + "\"/>";
}

std::string Description(std::string_view name, std::string_view type) {
  return "<tt:SimpleItemDescription Name=\"" + std::string(name) + "\" Type=\"" +
         std::string(type) + "\"/>";
}

std::string CellLayout(const CameraModel& model) {
  char scale[64];
  std::snprintf(scale, sizeof scale, "x=\"%.6f\" y=\"%.6f\"", 2.0 / model.cellColumns,
                2.0 / model.cellRows);
  return "<tt:CellLayout Columns=\"" + std::to_string(model.cellColumns) + "\" Rows=\"" +
         std::to_string(model.cellRows) +
         "\"><tt:Transformation><tt:Translate x=\"-1.0\" y=\"-1.0\"/><tt:Scale " + scale +
         "/></tt:Transformation></tt:CellLayout>";
}

std::string ModuleXml(std::string_view element, const OnvifContext& context) {
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  return "<" + std::string(element) + " Name=\"" + std::string(kMotionModule) +
         "\" Type=\"tt:CellMotionEngine\"><tt:Parameters>" +
         SimpleItem("Sensitivity", std::to_string(context.state.motion.sensitivity)) +
         "<tt:ElementItem Name=\"Layout\">" + CellLayout(model) +
         "</tt:ElementItem></tt:Parameters></" + std::string(element) + ">";
}

std::string RuleXml(std::string_view element, const MotionState& motion) {
  return "<" + std::string(element) + " Name=\"" + std::string(kMotionRule) +
         "\" Type=\"tt:CellMotionDetector\"><tt:Parameters>" +
         SimpleItem("MinCount", std::to_string(motion.minCount)) +
         SimpleItem("AlarmOnDelay", std::to_string(motion.alarmOnDelayMs)) +
         SimpleItem("AlarmOffDelay", std::to_string(motion.alarmOffDelayMs)) +
         SimpleItem("ActiveCells", motion.activeCells) + "</tt:Parameters></" +
         std::string(element) + ">";
}

// A fault for a ConfigurationToken that is not the analytics configuration; nullopt when it is.
std::optional<SoapAnswer> WrongConfiguration(const xmlNode* request, std::string* token) {
  *token = Text(Child(request, kNsAnalytics, "ConfigurationToken"));
  if (*token == kAnalyticsConfiguration) return std::nullopt;
  return SoapFaultAnswer(*token, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                         "the device has no such analytics configuration");
}

// The module's parameters from a ModifyAnalyticsModules entry, over current; what the device
// does not take goes into *problem.
MotionState ReadModule(const xmlNode* module, const CameraModel& model, MotionState motion,
                       std::string* problem) {
  if (Attribute(module, "Name") != kMotionModule ||
      !IsSchemaType(module, Attribute(module, "Type"), "CellMotionEngine")) {
    *problem = "no such analytics module";
    return motion;
  }
  const xmlNode* parameters = Child(module, kNsSchema, "Parameters");
  for (const xmlNode* item : onvif::FindAll(parameters, kNsSchema, "SimpleItem")) {
    if (Attribute(item, "Name") != "Sensitivity" ||
        !ParseInt(Attribute(item, "Value"), kSensitivityRange.min, kSensitivityRange.max,
                  &motion.sensitivity)) {
      *problem = "Sensitivity from 0 to 100 is the module's one setting";
    }
  }
  for (const xmlNode* item : onvif::FindAll(parameters, kNsSchema, "ElementItem")) {
    const xmlNode* layout = Child(item, kNsSchema, "CellLayout");
    if (Attribute(item, "Name") != "Layout" || layout == nullptr ||
        Attribute(layout, "Columns") != std::to_string(model.cellColumns) ||
        Attribute(layout, "Rows") != std::to_string(model.cellRows)) {
      *problem = "the cell layout is fixed";
    }
  }
  return motion;
}

MotionState ReadRule(const xmlNode* rule, const CameraModel& model, MotionState motion,
                     std::string* problem) {
  if (Attribute(rule, "Name") != kMotionRule ||
      !IsSchemaType(rule, Attribute(rule, "Type"), "CellMotionDetector")) {
    *problem = "no such rule";
    return motion;
  }
  const int cells = model.cellColumns * model.cellRows;
  for (const xmlNode* item :
       onvif::FindAll(Child(rule, kNsSchema, "Parameters"), kNsSchema, "SimpleItem")) {
    const std::string name = Attribute(item, "Name");
    const std::string value = Attribute(item, "Value");
    const IntRange delays = kAlarmDelayRangeMs;
    bool ok = false;
    if (name == "MinCount") {
      ok = ParseInt(value, 1, cells, &motion.minCount);
    } else if (name == "AlarmOnDelay") {
      ok = ParseInt(value, delays.min, delays.max, &motion.alarmOnDelayMs);
    } else if (name == "AlarmOffDelay") {
      ok = ParseInt(value, delays.min, delays.max, &motion.alarmOffDelayMs);
    } else if (name == "ActiveCells") {
      ok = ValidActiveCells(value, model);
      if (ok) motion.activeCells = value;
    }
    if (!ok) *problem = name + " is not a value the rule takes";
  }
  return motion;
}

std::string MotionJournal(const MotionState& motion) {
  return "Sensitivity=" + std::to_string(motion.sensitivity) +
         " MinCount=" + std::to_string(motion.minCount) +
         " AlarmOnDelay=" + std::to_string(motion.alarmOnDelayMs) +
         " AlarmOffDelay=" + std::to_string(motion.alarmOffDelayMs) +
         " ActiveCells=" + motion.activeCells;
}

// ModifyAnalyticsModules (modules) or ModifyRules: every entry checked, all applied together.
SoapAnswer Modify(OnvifContext& context, const xmlNode* request, bool modules) {
  std::string token;
  if (auto fault = WrongConfiguration(request, &token)) return *fault;
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  MotionState wanted = context.state.motion;
  std::string problem;
  const auto entries = onvif::FindAll(request, kNsAnalytics, modules ? "AnalyticsModule" : "Rule");
  for (const xmlNode* entry : entries) {
    wanted = modules ? ReadModule(entry, model, wanted, &problem)
                     : ReadRule(entry, model, wanted, &problem);
  }
  if (entries.empty()) problem = "nothing to modify";
  std::string journal = token + " " + MotionJournal(wanted);
  if (!problem.empty()) {
    return SoapFaultAnswer(std::move(journal), SoapFault::kSender, "InvalidArgVal", "ConfigModify",
                           problem);
  }
  SoapAnswer answer;
  answer.journal = std::move(journal);
  answer.body = modules ? "<tan:ModifyAnalyticsModulesResponse/>" : "<tan:ModifyRulesResponse/>";
  answer.then = [&state = context.state, wanted] { state.motion = wanted; };
  return answer;
}

}  // namespace

std::string AnalyticsServiceCapabilities() {
  return "<tan:Capabilities RuleSupport=\"true\" AnalyticsModuleSupport=\"true\" "
         "CellBasedSceneDescriptionSupported=\"true\"/>";
}

std::string AnalyticsConfigurationContent(const OnvifContext& context) {
  return Tag("tt:Name", std::string(kAnalyticsConfiguration)) + Tag("tt:UseCount", 1) +
         Tag("tt:AnalyticsEngineConfiguration", ModuleXml("tt:AnalyticsModule", context)) +
         Tag("tt:RuleEngineConfiguration", RuleXml("tt:Rule", context.state.motion));
}

SoapAnswer AnalyticsGetServiceCapabilities(OnvifContext&, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<tan:GetServiceCapabilitiesResponse>" + AnalyticsServiceCapabilities() +
                "</tan:GetServiceCapabilitiesResponse>";
  return answer;
}

SoapAnswer GetSupportedAnalyticsModules(OnvifContext&, const xmlNode* request) {
  std::string token;
  if (auto fault = WrongConfiguration(request, &token)) return *fault;
  SoapAnswer answer;
  answer.journal = token;
  answer.body = "<tan:GetSupportedAnalyticsModulesResponse" + Declarations() +
                "><tan:SupportedAnalyticsModules><tt:AnalyticsModuleDescription "
                "Name=\"tt:CellMotionEngine\"><tt:Parameters>" +
                Description("Sensitivity", "xs:integer") +
                "<tt:ElementItemDescription Name=\"Layout\" Type=\"tt:CellLayout\"/>"
                "</tt:Parameters></tt:AnalyticsModuleDescription></tan:SupportedAnalyticsModules>"
                "</tan:GetSupportedAnalyticsModulesResponse>";
  return answer;
}

SoapAnswer GetAnalyticsModules(OnvifContext& context, const xmlNode* request) {
  std::string token;
  if (auto fault = WrongConfiguration(request, &token)) return *fault;
  SoapAnswer answer;
  answer.journal = token;
  answer.body = "<tan:GetAnalyticsModulesResponse>" + ModuleXml("tan:AnalyticsModule", context) +
                "</tan:GetAnalyticsModulesResponse>";
  return answer;
}

SoapAnswer ModifyAnalyticsModules(OnvifContext& context, const xmlNode* request) {
  return Modify(context, request, true);
}

SoapAnswer GetSupportedRules(OnvifContext&, const xmlNode* request) {
  std::string token;
  if (auto fault = WrongConfiguration(request, &token)) return *fault;
  SoapAnswer answer;
  answer.journal = token;
  answer.body =
      "<tan:GetSupportedRulesResponse" + Declarations() +
      "><tan:SupportedRules><tt:RuleDescription Name=\"tt:CellMotionDetector\"><tt:Parameters>" +
      Description("MinCount", "xs:integer") + Description("AlarmOnDelay", "xs:integer") +
      Description("AlarmOffDelay", "xs:integer") + Description("ActiveCells", "xs:base64Binary") +
      "</tt:Parameters><tt:Messages IsProperty=\"true\"><tt:Source>" +
      Description("VideoSourceConfigurationToken", "tt:ReferenceToken") +
      Description("VideoAnalyticsConfigurationToken", "tt:ReferenceToken") +
      Description("Rule", "xs:string") + "</tt:Source><tt:Data>" +
      Description("IsMotion", "xs:boolean") + "</tt:Data>" +
      Tag("tt:ParentTopic", std::string(kMotionTopic)) +
      "</tt:Messages></tt:RuleDescription></tan:SupportedRules></tan:GetSupportedRulesResponse>";
  return answer;
}

SoapAnswer GetRules(OnvifContext& context, const xmlNode* request) {
  std::string token;
  if (auto fault = WrongConfiguration(request, &token)) return *fault;
  SoapAnswer answer;
  answer.journal = token;
  answer.body = "<tan:GetRulesResponse>" + RuleXml("tan:Rule", context.state.motion) +
                "</tan:GetRulesResponse>";
  return answer;
}

SoapAnswer ModifyRules(OnvifContext& context, const xmlNode* request) {
  return Modify(context, request, false);
}

SoapAnswer Media2GetAnalyticsConfigurations(OnvifContext& context, const xmlNode* request) {
  const std::string configuration = Text(Child(request, kNsMedia2, "ConfigurationToken"));
  const std::string profile = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = configuration + (profile.empty() ? "" : " profile=" + profile);
  const bool present = context.device.Config().onvif.analytics;
  if ((!configuration.empty() && (configuration != kAnalyticsConfiguration || !present)) ||
      (!profile.empty() && EncoderOfProfile(profile).empty())) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such configuration or profile");
  }
  const bool listed =
      present && (profile.empty() || (profile == kMainProfile && context.state.analyticsInMain));
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetAnalyticsConfigurationsResponse>";
  if (listed) {
    answer.body += "<tr2:Configurations token=\"" + std::string(kAnalyticsConfiguration) + "\">" +
                   AnalyticsConfigurationContent(context) + "</tr2:Configurations>";
  }
  answer.body += "</tr2:GetAnalyticsConfigurationsResponse>";
  return answer;
}

}  // namespace camsim::detail
