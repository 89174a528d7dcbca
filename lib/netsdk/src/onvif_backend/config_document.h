// A configuration document as the program writes it: GBK XML, one root element whose attributes
// and direct children's attributes carry the values.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netsdk::onvif_backend {

using Attributes = std::map<std::string, std::string, std::less<>>;

struct ConfigElement {
  std::string name;
  Attributes attributes;
};

struct ConfigDocument {
  Attributes root;
  std::vector<ConfigElement> children;

  // The attributes of the nth direct child of that name; null when there is none.
  const Attributes* Child(std::string_view name, std::size_t nth = 0) const;
};

// nullopt when the text is not GBK, not well-formed, or its root is not named root.
std::optional<ConfigDocument> ReadConfigDocument(const std::string& gbk, std::string_view root);

// The attribute's value; empty when absent.
std::string Value(const Attributes& attributes, std::string_view name);
// A decimal integer in [min, max] and nothing else.
bool Number(const std::string& text, long min, long max, long* value);

}  // namespace netsdk::onvif_backend
