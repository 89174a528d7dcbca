#include "onvif/soap_xml.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include "onvif/namespaces.h"

namespace onvif {
namespace {

struct ParserDeleter {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
struct XmlCharDeleter {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using XmlCharPtr = std::unique_ptr<xmlChar, XmlCharDeleter>;

// Reached through the parser context's _private while the parser runs.
struct ParseState {
  bool sawDoctype = false;
};

// Called when the parser meets <!DOCTYPE, before it reads any declaration inside it: stopping
// here means no entity is declared, so none can be expanded or fetched.
void RefuseDoctype(void* userData, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxt*>(userData);
  if (auto* state = static_cast<ParseState*>(ctxt->_private)) state->sawDoctype = true;
  xmlStopParser(ctxt);
}

std::string_view View(const xmlChar* text) {
  return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

bool Is(const xmlNode* node, std::string_view ns, std::string_view name) {
  if (node->type != XML_ELEMENT_NODE || View(node->name) != name) return false;
  return node->ns ? View(node->ns->href) == ns : ns.empty();
}

// Visits the elements below `from` in document order with their depth (children of `from` are
// at 1), without recursion; stops when `visit` returns false.
template <typename Visit>
void ForEachDescendant(const xmlNode* from, Visit visit) {
  if (!from) return;
  const xmlNode* node = from->children;
  int depth = 1;
  while (node) {
    if (node->type == XML_ELEMENT_NODE) {
      if (!visit(node, depth)) return;
      if (node->children) {
        node = node->children;
        ++depth;
        continue;
      }
    }
    while (!node->next) {
      node = node->parent;
      if (--depth == 0) return;
    }
    node = node->next;
  }
}

std::string Trim(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n";
  const auto first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kSpace);
  return std::string(text.substr(first, last - first + 1));
}

QualifiedName ResolveQName(const xmlNode* node) {
  QualifiedName result;
  if (!node) return result;
  const std::string text = Text(node);
  const auto colon = text.find(':');
  const std::string prefix = colon == std::string::npos ? std::string() : text.substr(0, colon);
  result.name = colon == std::string::npos ? text : text.substr(colon + 1);
  const xmlNs* ns = xmlSearchNs(node->doc, const_cast<xmlNode*>(node),
                                prefix.empty() ? nullptr : BAD_CAST prefix.c_str());
  if (ns) result.ns = std::string(View(ns->href));
  return result;
}

void InitLibxml() {
  // The library's global state must be set up once before threads parse concurrently.
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
}

}  // namespace

std::string Envelope(const std::string& header, const std::string& body) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<s:Envelope";
  const std::pair<std::string_view, std::string_view> declarations[] = {
      {"s", kNsSoap},       {"tds", kNsDevice},    {"trt", kNsMedia},   {"tr2", kNsMedia2},
      {"timg", kNsImaging}, {"tan", kNsAnalytics}, {"tev", kNsEvents},  {"tt", kNsSchema},
      {"wsse", kNsWsse},    {"wsu", kNsWsu},       {"d", kNsDiscovery}, {"wsa", kNsAddressing},
      {"dn", kNsNetwork}};
  for (const auto& [prefix, uri] : declarations) {
    xml.append(" xmlns:").append(prefix).append("=\"").append(uri).append("\"");
  }
  xml += ">";
  if (!header.empty()) xml.append("<s:Header>").append(header).append("</s:Header>");
  xml.append("<s:Body>").append(body).append("</s:Body></s:Envelope>");
  return xml;
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      // As references they survive the white-space normalisation of attribute values.
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        // Other control characters cannot appear in XML 1.0 in any form; leaving them in would
        // make the whole message unreadable to the device.
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
  }
  return out;
}

const xmlNode* SoapDocument::Root() const {
  return xmlDocGetRootElement(m_doc.get());
}

const xmlNode* SoapDocument::Header() const {
  return Child(Root(), kNsSoap, "Header");
}

const xmlNode* SoapDocument::Body() const {
  return Child(Root(), kNsSoap, "Body");
}

std::optional<SoapFault> SoapDocument::Fault() const {
  const xmlNode* fault = Child(Body(), kNsSoap, "Fault");
  if (!fault) return std::nullopt;
  SoapFault result;
  const xmlNode* code = Child(fault, kNsSoap, "Code");
  result.code = ResolveQName(Child(code, kNsSoap, "Value"));
  result.subcode = ResolveQName(Child(Child(code, kNsSoap, "Subcode"), kNsSoap, "Value"));
  result.reason = Text(Child(Child(fault, kNsSoap, "Reason"), kNsSoap, "Text"));
  return result;
}

SoapDocument::DocPtr ParseBoundedXml(std::string_view bytes, std::string* error) {
  auto fail = [error](std::string reason) {
    if (error) *error = std::move(reason);
    return SoapDocument::DocPtr();
  };
  if (bytes.empty()) return fail("empty answer");
  if (bytes.size() > kMaxSoapBytes) return fail("answer larger than 1 MiB");

  InitLibxml();
  std::unique_ptr<xmlParserCtxt, ParserDeleter> ctxt(xmlNewParserCtxt());
  if (!ctxt) return fail("out of memory");
  ParseState state;
  ctxt->_private = &state;
  ctxt->sax->internalSubset = RefuseDoctype;
  // Never XML_PARSE_NOENT, DTDLOAD or DTDATTR: nothing outside the bytes is ever read.
  constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  SoapDocument::DocPtr doc(xmlCtxtReadMemory(
      ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, kOptions));
  if (state.sawDoctype) return fail("document type declarations are not allowed");
  if (!doc) {
    const xmlError* last = xmlCtxtGetLastError(ctxt.get());
    std::string message = last && last->message ? Trim(last->message) : std::string();
    return fail("malformed XML" + (message.empty() ? std::string() : ": " + message));
  }
  if (doc->intSubset || doc->extSubset) return fail("document type declarations are not allowed");
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root) return fail("no root element");

  bool tooDeep = false;
  ForEachDescendant(root, [&tooDeep](const xmlNode*, int depth) {
    tooDeep = depth + 1 > kMaxSoapDepth;  // the root itself is level 1
    return !tooDeep;
  });
  if (tooDeep) return fail("elements nested deeper than 64 levels");
  return doc;
}

std::optional<SoapDocument> ParseSoap(std::string_view bytes, std::string* error) {
  SoapDocument::DocPtr doc = ParseBoundedXml(bytes, error);
  if (!doc) return std::nullopt;
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!Is(root, kNsSoap, "Envelope")) {
    if (error) {
      *error = "root element is " + std::string(View(root->name)) + ", not a SOAP 1.2 Envelope";
    }
    return std::nullopt;
  }
  return SoapDocument(std::move(doc));
}

const xmlNode* Find(const xmlNode* from, std::string_view ns, std::string_view name) {
  const xmlNode* found = nullptr;
  ForEachDescendant(from, [&](const xmlNode* node, int) {
    if (Is(node, ns, name)) found = node;
    return !found;
  });
  return found;
}

std::vector<const xmlNode*> FindAll(const xmlNode* from, std::string_view ns,
                                    std::string_view name) {
  std::vector<const xmlNode*> found;
  ForEachDescendant(from, [&](const xmlNode* node, int) {
    if (Is(node, ns, name)) found.push_back(node);
    return true;
  });
  return found;
}

const xmlNode* Child(const xmlNode* parent, std::string_view ns, std::string_view name) {
  if (!parent) return nullptr;
  for (const xmlNode* node = parent->children; node; node = node->next) {
    if (Is(node, ns, name)) return node;
  }
  return nullptr;
}

std::string Text(const xmlNode* node) {
  if (!node) return {};
  XmlCharPtr content(xmlNodeGetContent(node));
  return Trim(View(content.get()));
}

std::string Attribute(const xmlNode* node, std::string_view name) {
  if (!node || node->type != XML_ELEMENT_NODE) return {};
  XmlCharPtr value(xmlGetNoNsProp(node, BAD_CAST std::string(name).c_str()));
  return std::string(View(value.get()));
}

}  // namespace onvif
