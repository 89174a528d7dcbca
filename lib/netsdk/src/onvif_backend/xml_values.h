// Numbers, ranges and lists as ONVIF answers write them, read leniently: white space around a value
// is allowed, anything else that is not the type gives nullopt or an empty list.
#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netsdk::onvif_backend {

struct Range {
  double min = 0;
  double max = 0;
  bool Contains(double value) const { return value >= min && value <= max; }
  double Clamp(double value) const { return value < min ? min : value > max ? max : value; }
};

std::optional<double> ReadNumber(std::string_view text);
// A list of numbers separated by white space (tt:IntList, tt:FloatList).
std::vector<double> ReadNumbers(std::string_view text);
// A list of words separated by white space (tt:StringAttrList).
std::vector<std::string> ReadWords(std::string_view text);
// xs:boolean.
std::optional<bool> ReadBoolean(std::string_view text);
// The number in the text of the child of the schema namespace with that name.
std::optional<double> SchemaNumber(const xmlNode* parent, std::string_view name);
// A tt:IntRange or tt:FloatRange (Min and Max children); nullopt when either is missing or
// Min > Max.
std::optional<Range> ReadRange(const xmlNode* range);
// The texts of every child of the schema namespace with that name, in order.
std::vector<std::string> SchemaTexts(const xmlNode* parent, std::string_view name);
// The local part of a QName as written in an attribute ("tt:CellMotionEngine" gives
// "CellMotionEngine").
std::string LocalPart(std::string_view qname);

}  // namespace netsdk::onvif_backend
