// SOAP 1.2 envelopes written and read back, lookups by namespace whatever the prefixes, and hostile
// or broken answers refused with a reason.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace {

using namespace onvif;

constexpr const char* kSoapUri = "http://www.w3.org/2003/05/soap-envelope";
constexpr const char* kDeviceUri = "http://www.onvif.org/ver10/device/wsdl";
constexpr const char* kSchemaUri = "http://www.onvif.org/ver10/schema";

std::string Parsed(std::string_view bytes) {
  std::string error;
  return ParseSoap(bytes, &error) ? std::string() : error;
}

std::string Nested(int levels) {
  std::string xml = "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">";
  for (int i = 1; i < levels; ++i) xml += "<a>";
  for (int i = 1; i < levels; ++i) xml += "</a>";
  return xml + "</s:Envelope>";
}

TEST(OnvifSoapXmlTest, EnvelopeDeclaresThePrefixesAndParsesBack) {
  const std::string awkward = "a&b<c>d\"e'f\tg\nh";
  const std::string xml =
      Envelope("<wsa:Action>urn:x</wsa:Action>",
               "<tds:SetHostname><tds:Name note=\"" + XmlEscape(awkward) + "\">" +
                   XmlEscape(awkward) + "</tds:Name></tds:SetHostname>");
  std::string error;
  const auto doc = ParseSoap(xml, &error);
  ASSERT_TRUE(doc) << error;

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"s", kSoapUri},
      {"tds", kDeviceUri},
      {"trt", "http://www.onvif.org/ver10/media/wsdl"},
      {"tr2", "http://www.onvif.org/ver20/media/wsdl"},
      {"timg", "http://www.onvif.org/ver20/imaging/wsdl"},
      {"tan", "http://www.onvif.org/ver20/analytics/wsdl"},
      {"tev", "http://www.onvif.org/ver10/events/wsdl"},
      {"tt", kSchemaUri},
      {"wsse", "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd"},
      {"wsu", "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd"},
      {"d", "http://schemas.xmlsoap.org/ws/2005/04/discovery"},
      {"wsa", "http://schemas.xmlsoap.org/ws/2004/08/addressing"},
      {"dn", "http://www.onvif.org/ver10/network/wsdl"}};
  std::vector<std::pair<std::string, std::string>> declared;
  for (const xmlNs* ns = doc->Root()->nsDef; ns; ns = ns->next) {
    declared.emplace_back(reinterpret_cast<const char*>(ns->prefix),
                          reinterpret_cast<const char*>(ns->href));
  }
  EXPECT_EQ(declared, expected);

  ASSERT_NE(doc->Header(), nullptr);
  EXPECT_EQ(Text(Find(doc->Header(), "http://schemas.xmlsoap.org/ws/2004/08/addressing", "Action")),
            "urn:x");
  const xmlNode* name = Find(doc->Body(), kDeviceUri, "Name");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(Text(name), "a&b<c>d\"e'f\tg\nh");
  EXPECT_EQ(Attribute(name, "note"), awkward);  // tab and newline kept, not normalised to spaces
  EXPECT_EQ(Attribute(name, "missing"), "");
  EXPECT_FALSE(doc->Fault());

  const auto bare = ParseSoap(Envelope("", "<tds:GetDeviceInformation/>"), &error);
  ASSERT_TRUE(bare) << error;
  EXPECT_EQ(bare->Header(), nullptr);
  EXPECT_NE(Find(bare->Body(), kDeviceUri, "GetDeviceInformation"), nullptr);
  // Control characters XML cannot carry are dropped instead of making the message unreadable.
  EXPECT_TRUE(ParseSoap(Envelope("", "<tds:Name>" + XmlEscape("x\x01y") + "</tds:Name>"), &error))
      << error;
}

TEST(OnvifSoapXmlTest, LookupsMatchNamespacesWhateverThePrefixes) {
  const std::vector<std::string> spellings = {
      // Prefixes everywhere, all declared on the envelope.
      R"(<env:Envelope xmlns:env="http://www.w3.org/2003/05/soap-envelope"
           xmlns:tds="http://www.onvif.org/ver10/device/wsdl"
           xmlns:tt="http://www.onvif.org/ver10/schema" xmlns:o="urn:other">
         <env:Body><o:Manufacturer>Wrong</o:Manufacturer>
           <tds:GetDeviceInformationResponse>
             <tds:Manufacturer>  Acme
             </tds:Manufacturer>
             <tt:Item token="one"/><tt:Item token="two"/>
           </tds:GetDeviceInformationResponse></env:Body></env:Envelope>)",
      // Default namespaces, redeclared on inner elements.
      R"(<Envelope xmlns="http://www.w3.org/2003/05/soap-envelope"><Body>
           <Manufacturer xmlns="urn:other">Wrong</Manufacturer>
           <GetDeviceInformationResponse xmlns="http://www.onvif.org/ver10/device/wsdl">
             <Manufacturer>Acme</Manufacturer>
             <Item xmlns="http://www.onvif.org/ver10/schema" token="one"/>
             <Item xmlns="http://www.onvif.org/ver10/schema" token="two"/>
           </GetDeviceInformationResponse></Body></Envelope>)",
      // Unusual prefixes declared where they are used, one reused for another namespace.
      R"(<SOAP-ENV:Envelope xmlns:SOAP-ENV="http://www.w3.org/2003/05/soap-envelope">
           <SOAP-ENV:Body xmlns:ns1="urn:other"><ns1:Manufacturer>Wrong</ns1:Manufacturer>
           <ns1:GetDeviceInformationResponse xmlns:ns1="http://www.onvif.org/ver10/device/wsdl">
             <ns1:Manufacturer>Acme</ns1:Manufacturer>
             <x:Item xmlns:x="http://www.onvif.org/ver10/schema" token="one"/>
             <y:Wrap xmlns:y="urn:other"><x:Item xmlns:x="http://www.onvif.org/ver10/schema"
               token="two"/></y:Wrap>
           </ns1:GetDeviceInformationResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>)"};
  for (const auto& xml : spellings) {
    SCOPED_TRACE(xml);
    std::string error;
    const auto doc = ParseSoap(xml, &error);
    ASSERT_TRUE(doc) << error;
    ASSERT_NE(doc->Body(), nullptr);
    const xmlNode* response = Find(doc->Body(), kDeviceUri, "GetDeviceInformationResponse");
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(Text(Find(doc->Body(), kDeviceUri, "Manufacturer")), "Acme");
    EXPECT_EQ(Text(Find(doc->Body(), "urn:other", "Manufacturer")), "Wrong");
    const auto items = FindAll(response, kSchemaUri, "Item");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(Attribute(items[0], "token"), "one");
    EXPECT_EQ(Attribute(items[1], "token"), "two");
    EXPECT_EQ(Find(response, kSchemaUri, "Manufacturer"), nullptr);
    EXPECT_EQ(Find(response, kDeviceUri, "GetDeviceInformationResponse"), nullptr)
        << "the starting element itself is not a descendant";
  }
}

TEST(OnvifSoapXmlTest, FaultCodesResolveTheirPrefixes) {
  const std::string xml = R"(<?xml version="1.0"?>
    <a:Envelope xmlns:a="http://www.w3.org/2003/05/soap-envelope"
                xmlns:err="http://www.onvif.org/ver10/error"><a:Body><a:Fault>
      <a:Code><a:Value>a:Sender</a:Value>
        <a:Subcode><a:Value>err:NotAuthorized</a:Value>
          <a:Subcode><a:Value>err:Deeper</a:Value></a:Subcode></a:Subcode></a:Code>
      <a:Reason><a:Text xml:lang="en"> Sender not Authorized </a:Text>
                <a:Text xml:lang="de">Nicht erlaubt</a:Text></a:Reason>
    </a:Fault></a:Body></a:Envelope>)";
  std::string error;
  const auto doc = ParseSoap(xml, &error);
  ASSERT_TRUE(doc) << error;
  const auto fault = doc->Fault();
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->code.ns, kSoapUri);
  EXPECT_EQ(fault->code.name, "Sender");
  EXPECT_EQ(fault->subcode.ns, "http://www.onvif.org/ver10/error");
  EXPECT_EQ(fault->subcode.name, "NotAuthorized");
  EXPECT_EQ(fault->reason, "Sender not Authorized");

  const auto bare = ParseSoap(
      R"(<e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope"><e:Body><e:Fault>
           <e:Code><e:Value>e:Receiver</e:Value></e:Code></e:Fault></e:Body></e:Envelope>)",
      &error);
  ASSERT_TRUE(bare) << error;
  ASSERT_TRUE(bare->Fault());
  EXPECT_EQ(bare->Fault()->code.name, "Receiver");
  EXPECT_EQ(bare->Fault()->subcode.name, "");
  EXPECT_EQ(bare->Fault()->reason, "");
}

TEST(OnvifSoapXmlTest, HostileAndBrokenAnswersAreRefusedWithAReason) {
  const std::string laughs = R"(<?xml version="1.0"?>
    <!DOCTYPE lolz [<!ENTITY lol "lol">
      <!ENTITY lol1 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">
      <!ENTITY lol2 "&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;">
      <!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">
      <!ENTITY lol4 "&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;">
      <!ENTITY lol5 "&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;">
      <!ENTITY lol6 "&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;">
      <!ENTITY lol7 "&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;">
      <!ENTITY lol8 "&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;">
      <!ENTITY lol9 "&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;">]>
    <s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Body>&lol9;</s:Body>
    </s:Envelope>)";
  const std::string passwd = R"(<?xml version="1.0"?>
    <!DOCTYPE s:Envelope [<!ENTITY xxe SYSTEM "file:///etc/passwd">]>
    <s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Body>&xxe;</s:Body>
    </s:Envelope>)";
  const std::string externalSubset = R"(<!DOCTYPE s:Envelope SYSTEM "file:///etc/passwd">
    <s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Body/></s:Envelope>)";
  const std::string valid = Envelope("", "<tds:GetDeviceInformation/>");
  const std::string padding = "<!--" + std::string(1024 * 1024, 'x') + "-->";
  const std::string exactlyOneMiB =
      valid + padding.substr(0, 1024 * 1024 - valid.size() - 3) + "-->";
  ASSERT_EQ(exactlyOneMiB.size(), 1024u * 1024u);
  EXPECT_EQ(Parsed(exactlyOneMiB), "");
  EXPECT_EQ(Parsed(Nested(64)), "");

  struct Case {
    std::string name;
    std::string bytes;
    std::string reason;  // a part of the error
  };
  const std::vector<Case> cases = {
      {"entity expansion", laughs, "document type"},
      {"external entity", passwd, "document type"},
      {"external subset", externalSubset, "document type"},
      {"html with doctype", "<!DOCTYPE html><html><body>401</body></html>", "document type"},
      {"html page", "<html><head><title>500</title></head><body><p>Error</p></body></html>",
       "not a SOAP 1.2 Envelope"},
      {"soap 1.1 envelope",
       R"(<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"><s:Body/></s:Envelope>)",
       "not a SOAP 1.2 Envelope"},
      {"no namespace", "<Envelope><Body/></Envelope>", "not a SOAP 1.2 Envelope"},
      {"truncated", valid.substr(0, valid.size() - 12), "malformed"},
      {"undeclared entity", Envelope("", "<tds:Name>&xxe;</tds:Name>"), "malformed"},
      {"not xml", "HTTP/1.1 401 Unauthorized", "malformed"},
      {"oversized", exactlyOneMiB + " ", "1 MiB"},
      {"65 levels", Nested(65), "deeper than 64"},
      {"empty", "", "empty"},
  };
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const std::string error = Parsed(c.bytes);
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(error.find("root:"), std::string::npos) << c.name << ": file content leaked";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.name;
  }
  EXPECT_NE(Parsed(std::string(100000, '<') + std::string(100000, '>')), "");

  std::mt19937 random(20240229);
  for (int i = 0; i < 200; ++i) {
    std::string bytes(random() % 512, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    if (i % 2) bytes = valid.substr(0, random() % valid.size()) + bytes;
    EXPECT_NE(Parsed(bytes), "") << "case " << i;
  }
  EXPECT_FALSE(ParseSoap("<x/>", nullptr));  // no error wanted: no crash either
}

}  // namespace
