// Shared pieces of the request builders: elements and attributes in the form the devices parse,
// and the compact serialisation they expect.
#pragma once

#include <tinyxml.h>

#include <cstdint>
#include <string>

#include "config/config_set.h"

namespace config::requests {

// Appends an element without attributes as the last child of parent and returns it. TinyXML
// copies the element into the tree, so the tree owns every node it holds.
TiXmlElement& AppendChild(TiXmlElement& parent, const char* name);

// Attributes keep the order in which they are set; every attribute is always written.
void SetNumber(TiXmlElement& element, const char* name, std::int64_t value);
void SetText(TiXmlElement& element, const char* name, const std::string& value);
void SetTime(TiXmlElement& element, const char* name, const ConfigSet& set, const TimeFields& time);

// TinyXML's compact stream form: no declaration, no white space, values escaped by the library.
std::string Serialise(const TiXmlElement& root);

}  // namespace config::requests
