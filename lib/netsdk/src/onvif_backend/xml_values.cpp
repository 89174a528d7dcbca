#include "onvif_backend/xml_values.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace netsdk::onvif_backend {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
  text = Trim(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::vector<double> ReadNumbers(std::string_view text) {
  std::vector<double> numbers;
  for (const std::string& word : ReadWords(text)) {
    const std::optional<double> number = ReadNumber(word);
    if (!number) return {};
    numbers.push_back(*number);
  }
  return numbers;
}

std::vector<std::string> ReadWords(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::optional<bool> ReadBoolean(std::string_view text) {
  text = Trim(text);
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return std::nullopt;
}

std::optional<double> SchemaNumber(const xmlNode* parent, std::string_view name) {
  const xmlNode* child = onvif::Child(parent, onvif::kNsSchema, name);
  return child == nullptr ? std::nullopt : ReadNumber(onvif::Text(child));
}

std::optional<Range> ReadRange(const xmlNode* range) {
  const std::optional<double> min = SchemaNumber(range, "Min");
  const std::optional<double> max = SchemaNumber(range, "Max");
  if (!min || !max || *min > *max) return std::nullopt;
  return Range{*min, *max};
}

std::vector<std::string> SchemaTexts(const xmlNode* parent, std::string_view name) {
  std::vector<std::string> texts;
  if (parent == nullptr) return texts;
  for (const xmlNode* node = parent->children; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE || node->ns == nullptr ||
        reinterpret_cast<const char*>(node->ns->href) != onvif::kNsSchema ||
        reinterpret_cast<const char*>(node->name) != name) {
      continue;
    }
    texts.push_back(onvif::Text(node));
  }
  return texts;
}

std::string LocalPart(std::string_view qname) {
  const std::size_t colon = qname.find(':');
  return std::string(colon == std::string_view::npos ? qname : qname.substr(colon + 1));
}

}  // namespace netsdk::onvif_backend
