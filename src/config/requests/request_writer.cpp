#include "config/requests/request_writer.h"

#include <cstdio>

namespace config::requests {

TiXmlElement& AppendChild(TiXmlElement& parent, const char* name) {
  // Only a document node can refuse a child, so the copy is always linked.
  return *parent.InsertEndChild(TiXmlElement(name))->ToElement();
}

void SetNumber(TiXmlElement& element, const char* name, std::int64_t value) {
  element.SetAttribute(name, std::to_string(value));
}

void SetText(TiXmlElement& element, const char* name, const std::string& value) {
  element.SetAttribute(name, value);
}

void SetTime(TiXmlElement& element, const char* name, const ConfigSet& set,
             const TimeFields& time) {
  // Three signed 32-bit values: at most 3 x 11 characters and two colons.
  char text[40];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", set.Get(time.hour), set.Get(time.minute),
                set.Get(time.second));
  element.SetAttribute(name, text);
}

std::string Serialise(const TiXmlElement& root) {
  TiXmlPrinter printer;
  printer.SetStreamPrinting();
  root.Accept(&printer);
  return printer.Str();
}

}  // namespace config::requests
