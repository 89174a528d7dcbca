#include "sim/detail/config_document.h"

#include <tinyxml.h>

#include <array>
#include <utility>

namespace camsim::detail {
namespace {

constexpr std::uint32_t kCodeAccount = 223;
constexpr std::uint32_t kCodeEthernet = 325;

// The root element each configuration command carries.
constexpr std::array<std::pair<std::uint32_t, const char*>, 15> kRoots = {{
    {222, "TimeConfig"},
    {223, "UserConfig"},
    {227, "MiscConfig"},
    {228, "MaintainConfig"},
    {325, "LANConfig"},
    {335, "P2PConfig"},
    {421, "FTPList"},
    {422, "SMTPList"},
    {522, "Audio"},
    {523, "Encode"},
    {524, "Capture"},
    {525, "Overlay"},
    {620, "MediaStreamConfig"},
    {670, "PlatformConfig"},
    {822, "MotionDetectAlarm"},
}};

std::map<std::string, std::string> Attributes(const TiXmlElement* element) {
  std::map<std::string, std::string> attributes;
  if (element == nullptr) return attributes;
  for (const TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next())
    attributes[a->Name()] = a->Value();
  return attributes;
}

}  // namespace

const char* ConfigRootElement(std::uint32_t code) {
  for (const auto& [known, root] : kRoots)
    if (known == code) return root;
  return nullptr;
}

ConfigDocument ReadConfigDocument(std::uint32_t code, const std::string& text) {
  ConfigDocument document;
  const char* root = ConfigRootElement(code);
  if (root == nullptr || text.empty()) return document;
  TiXmlDocument xml;
  xml.Parse(text.c_str());
  const TiXmlElement* element = xml.RootElement();
  if (xml.Error() || element == nullptr || element->ValueStr() != root) return document;
  document.valid = true;
  if (code == kCodeEthernet) document.settings = Attributes(element);
  if (code == kCodeAccount) document.settings = Attributes(element->FirstChildElement("Account"));
  return document;
}

}  // namespace camsim::detail
