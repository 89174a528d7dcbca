#include "sim/detail/onvif_events.h"

namespace camsim::detail {

std::string EventServiceCapabilities() {
  return "<tev:Capabilities WSSubscriptionPolicySupport=\"false\" WSPullPointSupport=\"false\" "
         "WSPausableSubscriptionManagerInterfaceSupport=\"false\" MaxNotificationProducers=\"0\" "
         "MaxPullPoints=\"0\" PersistentNotificationStorage=\"false\"/>";
}

SoapAnswer EventsGetServiceCapabilities(OnvifContext&, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<tev:GetServiceCapabilitiesResponse>" + EventServiceCapabilities() +
                "</tev:GetServiceCapabilitiesResponse>";
  return answer;
}

SoapAnswer GetEventProperties(OnvifContext& context, const xmlNode*) {
  std::string topics;
  if (context.device.Config().onvif.analytics) {
    topics =
        "<tns1:RuleEngine><tns1:CellMotionDetector><tns1:Motion wstop:topic=\"true\">"
        "<tt:MessageDescription IsProperty=\"true\"><tt:Source>"
        "<tt:SimpleItemDescription Name=\"VideoSourceConfigurationToken\" "
        "Type=\"tt:ReferenceToken\"/><tt:SimpleItemDescription "
        "Name=\"VideoAnalyticsConfigurationToken\" Type=\"tt:ReferenceToken\"/>"
        "<tt:SimpleItemDescription Name=\"Rule\" Type=\"xs:string\"/></tt:Source><tt:Data>"
        "<tt:SimpleItemDescription Name=\"IsMotion\" Type=\"xs:boolean\"/></tt:Data>"
        "</tt:MessageDescription></tns1:Motion></tns1:CellMotionDetector></tns1:RuleEngine>";
  }
  SoapAnswer answer;
  answer.body =
      "<tev:GetEventPropertiesResponse xmlns:wsnt=\"http://docs.oasis-open.org/wsn/b-2\" "
      "xmlns:wstop=\"http://docs.oasis-open.org/wsn/t-1\" "
      "xmlns:tns1=\"http://www.onvif.org/ver10/topics\" "
      "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><tev:TopicNamespaceLocation>"
      "http://www.onvif.org/onvif/ver10/topics/topicns.xml</tev:TopicNamespaceLocation>"
      "<wsnt:FixedTopicSet>true</wsnt:FixedTopicSet><wstop:TopicSet>" +
      topics +
      "</wstop:TopicSet><wsnt:TopicExpressionDialect>"
      "http://www.onvif.org/ver10/tev/topicExpression/ConcreteSet</wsnt:TopicExpressionDialect>"
      "<wsnt:TopicExpressionDialect>http://docs.oasis-open.org/wsn/t-1/TopicExpression/Concrete"
      "</wsnt:TopicExpressionDialect><tev:MessageContentFilterDialect>"
      "http://www.onvif.org/ver10/tev/messageContentFilter/ItemFilter"
      "</tev:MessageContentFilterDialect><tev:MessageContentSchemaLocation>"
      "http://www.onvif.org/onvif/ver10/schema/onvif.xsd</tev:MessageContentSchemaLocation>"
      "</tev:GetEventPropertiesResponse>";
  return answer;
}

}  // namespace camsim::detail
