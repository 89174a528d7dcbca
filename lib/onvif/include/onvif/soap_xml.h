// SOAP 1.2 messages: envelopes written as text, answers parsed with libxml2 into a document whose
// elements are looked up by namespace URI and local name.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace onvif {

// Answers larger than this are refused before parsing; no ONVIF answer comes near it.
inline constexpr std::size_t kMaxSoapBytes = 1 << 20;
// Deeper element nesting is refused; real answers stay far below it.
inline constexpr int kMaxSoapDepth = 64;

// A SOAP 1.2 envelope around already-written header and body XML. The envelope element declares
// the prefixes the operations use: s, tds, trt, tr2, tt, wsse, wsu, d, wsa, dn. An empty header
// leaves the Header element out.
std::string Envelope(const std::string& header, const std::string& body);

// The text with & < > " ' replaced by entities, safe inside element text and attribute values.
std::string XmlEscape(std::string_view text);

// A QName read from element text (a fault code), its prefix resolved to the namespace URI.
struct QualifiedName {
  std::string ns;
  std::string name;
};

struct SoapFault {
  QualifiedName code;     // env:Code/env:Value, e.g. Sender
  QualifiedName subcode;  // the first env:Subcode/env:Value, empty when there is none
  std::string reason;     // the first env:Reason/env:Text
};

class SoapDocument {
 public:
  struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
  };
  using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

  explicit SoapDocument(DocPtr doc) : m_doc(std::move(doc)) {}

  // The Envelope element; never null.
  const xmlNode* Root() const;
  // The Header and Body elements, children of the envelope; null when absent.
  const xmlNode* Header() const;
  const xmlNode* Body() const;
  // The fault carried in the body, if the answer is one.
  std::optional<SoapFault> Fault() const;

 private:
  DocPtr m_doc;
};

// The bytes parsed as XML under the same bounds as ParseSoap, whatever the root element; null
// with the reason in *error (may be null) when refused.
SoapDocument::DocPtr ParseBoundedXml(std::string_view bytes, std::string* error);

// The bytes parsed as a SOAP 1.2 envelope. Refused, with the reason in *error (may be null):
// oversized input, malformed XML, any document type declaration (SOAP forbids them, and refusing
// them means no entity is ever declared or expanded), nesting deeper than kMaxSoapDepth, and a root
// that is not the SOAP 1.2 Envelope. Nothing is fetched from the network or the file system.
std::optional<SoapDocument> ParseSoap(std::string_view bytes, std::string* error);

// The first element below `from` (depth-first, `from` itself excluded) with this namespace URI and
// local name; null when there is none or `from` is null.
const xmlNode* Find(const xmlNode* from, std::string_view ns, std::string_view name);
// Every such element below `from`, in document order.
std::vector<const xmlNode*> FindAll(const xmlNode* from, std::string_view ns,
                                    std::string_view name);
// The first direct child element with this namespace URI and local name.
const xmlNode* Child(const xmlNode* parent, std::string_view ns, std::string_view name);
// The text content of the element and its descendants, XML white space trimmed at both ends.
std::string Text(const xmlNode* node);
// The value of the element's attribute of this name without a namespace; empty when absent.
std::string Attribute(const xmlNode* node, std::string_view name);

}  // namespace onvif
