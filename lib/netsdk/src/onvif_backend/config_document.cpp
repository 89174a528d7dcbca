#include "onvif_backend/config_document.h"

#include <cstdlib>

#include "onvif/soap_xml.h"
#include "onvif_backend/text_encoding.h"

namespace netsdk::onvif_backend {
namespace {

std::string Name(const xmlNode* node) {
  return reinterpret_cast<const char*>(node->name);
}

Attributes AttributesOf(const xmlNode* element) {
  Attributes attributes;
  for (const xmlAttr* a = element->properties; a != nullptr; a = a->next) {
    const std::string name = reinterpret_cast<const char*>(a->name);
    attributes[name] = onvif::Attribute(element, name);
  }
  return attributes;
}

}  // namespace

const Attributes* ConfigDocument::Child(std::string_view name, std::size_t nth) const {
  for (const ConfigElement& child : children) {
    if (child.name == name && nth-- == 0) return &child.attributes;
  }
  return nullptr;
}

std::optional<ConfigDocument> ReadConfigDocument(const std::string& gbk, std::string_view root) {
  const std::optional<std::string> utf8 = GbkToUtf8(gbk);
  if (!utf8) return std::nullopt;
  std::string error;
  const onvif::SoapDocument::DocPtr doc = onvif::ParseBoundedXml(*utf8, &error);
  if (!doc) return std::nullopt;
  const xmlNode* element = xmlDocGetRootElement(doc.get());
  if (element == nullptr || Name(element) != root) return std::nullopt;
  ConfigDocument document;
  document.root = AttributesOf(element);
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE)
      document.children.push_back({Name(child), AttributesOf(child)});
  }
  return document;
}

std::string Value(const Attributes& attributes, std::string_view name) {
  const auto found = attributes.find(name);
  return found == attributes.end() ? std::string() : found->second;
}

bool Number(const std::string& text, long min, long max, long* value) {
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && *value >= min && *value <= max;
}

}  // namespace netsdk::onvif_backend
