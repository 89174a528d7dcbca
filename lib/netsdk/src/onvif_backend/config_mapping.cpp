#include "onvif_backend/config_mapping.h"

#include "onvif_backend/config_document.h"
#include "onvif_backend/device_messages.h"
#include "wire/endpoint.h"

namespace netsdk::onvif_backend {
namespace {

constexpr std::uint32_t kCodeClock = 222;
constexpr std::uint32_t kCodeAccount = 223;
constexpr std::uint32_t kCodeEthernet = 325;
constexpr std::uint32_t kCodeStreaming = 620;

bool Address(const std::string& text) {
  std::uint32_t address = 0;
  return wire::ParseIPv4(text, &address);
}

void PlanAccount(const Attributes& account, const Credential& current, ConfigPlan* plan) {
  const std::string user = Value(account, "Username");
  const std::string password = Value(account, "Password");
  if (user.empty() || password.empty()) {
    plan->error = "no user name or password";
    return;
  }
  plan->steps.push_back({"SetUser", SetUserBody(user, password)});
  if (user == current.user) plan->credential = Credential{user, password};
}

void PlanClock(const Attributes& time, const Attributes& ntp, std::int64_t deviceUtcSeconds,
               ConfigPlan* plan) {
  long minutes = 0;
  const std::string mode = Value(time, "TimeMode");
  if ((mode != "NTP" && mode != "MANUAL") ||
      !Number(Value(time, "TimeZone"), -24 * 60, 24 * 60, &minutes)) {
    plan->error = "no time mode or zone";
    return;
  }
  const bool fromNtp = mode == "NTP";
  if (fromNtp) {
    const std::string server = Value(ntp, "ServerIP");
    if (!Address(server)) {
      plan->error = "the time server is not an IPv4 address";
      return;
    }
    plan->steps.push_back({"SetNTP", SetNtpBody(false, server)});
  }
  const std::string zone = PosixZone(static_cast<int>(minutes));
  // A manual clock needs a time; the device's own keeps it where it was.
  plan->steps.push_back(
      {"SetSystemDateAndTime",
       fromNtp ? SetNtpClockBody(zone) : SetSystemDateAndTimeBody(deviceUtcSeconds, zone)});
}

void PlanEthernet(const Attributes& lan, ConfigPlan* plan) {
  const std::string ip = Value(lan, "IPAddress");
  const std::optional<int> prefix = PrefixOfMask(Value(lan, "Netmask"));
  const std::string gateway = Value(lan, "Gateway");
  const std::string dns = Value(lan, "DNS1");
  if (!Address(ip) || !prefix || !Address(gateway) || (!dns.empty() && !Address(dns))) {
    plan->error = "an address or the mask is not valid";
    return;
  }
  if (!dns.empty()) plan->steps.push_back({"SetDNS", SetDnsBody(dns)});
  plan->steps.push_back({"SetNetworkDefaultGateway", SetNetworkDefaultGatewayBody(gateway)});
  plan->interfaceAddress = std::pair{ip, *prefix};
}

void PlanStreaming(const Attributes& access, ConfigPlan* plan) {
  long video = 0;
  long web = 0;
  if (!Number(Value(access, "VideoPort"), 1, 65535, &video) ||
      !Number(Value(access, "WEBPort"), 1, 65535, &web)) {
    plan->error = "a port is not valid";
    return;
  }
  plan->steps.push_back({"SetNetworkProtocols",
                         SetNetworkProtocolsBody(static_cast<int>(web), static_cast<int>(video))});
}

}  // namespace

ConfigPlan PlanConfig(std::uint32_t code, const std::string& gbkDocument, const Credential& current,
                      std::int64_t deviceUtcSeconds) {
  ConfigPlan plan;
  plan.available =
      code == kCodeClock || code == kCodeAccount || code == kCodeEthernet || code == kCodeStreaming;
  if (!plan.available) return plan;
  const char* root = code == kCodeAccount    ? "UserConfig"
                     : code == kCodeClock    ? "TimeConfig"
                     : code == kCodeEthernet ? "LANConfig"
                                             : "MediaStreamConfig";
  const std::optional<ConfigDocument> document = ReadConfigDocument(gbkDocument, root);
  const Attributes none;
  const Attributes* main = nullptr;
  const Attributes* extra = &none;
  if (document) {
    main = code == kCodeAccount     ? document->Child("Account")
           : code == kCodeStreaming ? document->Child("StreamAccess")
                                    : &document->root;
    if (code == kCodeClock) extra = document->Child("NTPConfig");
  }
  if (main == nullptr || extra == nullptr) {
    plan.error = "the document cannot be read";
    return plan;
  }
  if (code == kCodeAccount) PlanAccount(*main, current, &plan);
  if (code == kCodeClock) PlanClock(*main, *extra, deviceUtcSeconds, &plan);
  if (code == kCodeEthernet) PlanEthernet(*main, &plan);
  if (code == kCodeStreaming) PlanStreaming(*main, &plan);
  return plan;
}

std::string PosixZone(int minutesEast) {
  // POSIX counts west of UTC as positive.
  const int west = -minutesEast;
  std::string zone = "UTC";
  if (west == 0) return zone;
  zone += west > 0 ? "+" : "-";
  const int magnitude = west > 0 ? west : -west;
  zone += std::to_string(magnitude / 60);
  if (magnitude % 60 != 0) {
    const int rest = magnitude % 60;
    zone += (rest < 10 ? ":0" : ":") + std::to_string(rest);
  }
  return zone;
}

}  // namespace netsdk::onvif_backend
