// Account, clock, maintenance and device-language requests.
#include <cstdint>

#include "config/requests/group_builders.h"
#include "config/requests/request_tables.h"
#include "config/requests/request_writer.h"
#include "config/time_zones.h"

namespace config::requests {

std::string BuildAccount(const ConfigSet& set) {
  // Only the built-in administrator's password changes; name, group and status restate the rest.
  TiXmlElement user("UserConfig");
  TiXmlElement& account = AppendChild(user, "Account");
  SetText(account, "Username", "admin");
  SetText(account, "Password", set.GetAnsi(kAccountPassword));
  SetText(account, "Group", "Administrator");
  SetText(account, "Status", "Enable");
  return Serialise(user);
}

std::string BuildClock(const ConfigSet& set) {
  TiXmlElement time("TimeConfig");
  SetText(time, "TimeMode", set.Get(kClockTimeMode) == 0 ? "NTP" : "MANUAL");
  // The zone's minutes follow from its index (kTimeZones holds the same values), so an index
  // outside the table is still sent as a number rather than read past the table's end.
  SetNumber(time, "TimeZone", std::int64_t{set.Get(kClockTimeZone)} * kTimeZoneMinutesPerIndex);
  // The NTP child goes out in manual mode too: a push always sends the whole group.
  TiXmlElement& ntp = AppendChild(time, "NTPConfig");
  SetText(ntp, "ServerIP", set.GetAnsi(kClockServerIP));
  SetNumber(ntp, "ServerPort", set.Get(kClockServerPort));
  SetNumber(ntp, "RefreshInterval", set.Get(kClockRefreshInterval));
  return Serialise(time);
}

std::string BuildMaintenance(const ConfigSet& set) {
  // Day counts Monday as 0 and every day as 7, unlike the motion schedule's Day.
  TiXmlElement maintain("MaintainConfig");
  SetNumber(maintain, "Enable", set.Get(kMaintenanceEnable));
  SetNumber(maintain, "Day", set.Get(kMaintenanceDay));
  SetTime(maintain, "Time", set, kMaintenanceTime);
  return Serialise(maintain);
}

std::string BuildLanguage(const ConfigSet& set) {
  TiXmlElement misc("MiscConfig");
  SetText(misc, "Language",
          TableEntry(kDeviceLanguages, set.Get(kDeviceLanguage), kDeviceLanguageFallback));
  return Serialise(misc);
}

}  // namespace config::requests
