// The settings a program's user chooses (IP_NET_DVR_SetUserOption): their rank below netsdk.conf
// and the environment, what IP_NET_DVR_GetOption tells of each, and a new backend taken between
// searches without a new Init.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "library_fixture.h"
#include "settings.h"

namespace netsdk_test {
namespace {

using netsdk::Settings;
using Source = netsdk::Settings::Source;

void ExpectOption(const Settings& settings, const std::string& key, Source source,
                  const std::string& text) {
  Source found = Source::kDefault;
  std::string value = "?";
  ASSERT_TRUE(settings.GetOption(key, &found, &value)) << key;
  EXPECT_EQ(found, source) << key;
  EXPECT_EQ(value, text) << key;
}

TEST(UserOptions, RankBelowFileAndEnvironmentAreAlwaysCheckedAndNeverTellAPassword) {
  TempFolder folder;
  const std::string file = folder.Write("credentials", "operator:FromFile1\n");
  const std::string config = folder.Write("netsdk.conf", "backend = sim\n");
  Settings settings;
  std::string why;
  // Before Init, as a program hands over what it stored: the file and the environment still win.
  ASSERT_TRUE(settings.SetUserOption("backend", "onvif", &why)) << why;
  ASSERT_TRUE(settings.SetUserOption("restore", "soft", &why)) << why;
  ASSERT_TRUE(settings.SetUserOption("probe", "127.0.0.5:3702, 127.0.0.6:3702", &why)) << why;
  ASSERT_TRUE(settings.SetUserOption("credentials", "admin:Pw:1=#\n\nviewer:\n", &why)) << why;
  ::setenv("NETSDK_RESTORE", "hard", 1);
  const std::vector<std::string> reports = settings.LoadAtInit(config);
  ::unsetenv("NETSDK_RESTORE");
  EXPECT_TRUE(reports.empty());

  EXPECT_EQ(settings.GetBackend(), netsdk::Backend::kSim) << "netsdk.conf beats the user";
  EXPECT_EQ(settings.Restore(), netsdk::RestoreMode::kHard) << "the environment beats the user";
  ASSERT_EQ(settings.Probe().targets.size(), 2u) << "the user beats the default";
  const auto credentials = settings.Credentials();
  ASSERT_EQ(credentials.size(), 2u);
  EXPECT_EQ(credentials[0].password, "Pw:1=#") << "the lines themselves, not a file";
  EXPECT_EQ(credentials[1].user, "viewer");

  ExpectOption(settings, "backend", Source::kFile, "sim");
  ExpectOption(settings, "restore", Source::kEnvironment, "hard");
  ExpectOption(settings, "probe", Source::kUser, "127.0.0.5:3702,127.0.0.6:3702");
  ExpectOption(settings, "scope", Source::kDefault, "loopback");
  // A password never leaves the settings.
  ExpectOption(settings, "credentials", Source::kUser, "");
  Source unused{};
  std::string text;
  EXPECT_FALSE(settings.GetOption("colour", &unused, &text));

  // After Init the user's value replaces the user's value, and still not what outranks it.
  ASSERT_TRUE(settings.SetUserOption("probe", "multicast", &why));
  EXPECT_TRUE(settings.Probe().multicast);
  ASSERT_TRUE(settings.SetUserOption("backend", "onvif", &why));
  EXPECT_EQ(settings.GetBackend(), netsdk::Backend::kSim);
  // Checked even where outranked, and a refused credential line is never quoted.
  EXPECT_FALSE(settings.SetUserOption("backend", "camera", &why));
  const std::string secret = std::string(64, 's');
  EXPECT_FALSE(settings.SetUserOption("credentials", "admin:ok\nroot:" + secret, &why));
  EXPECT_NE(why.find("line 2"), std::string::npos) << why;
  EXPECT_EQ(why.find(secret), std::string::npos) << why;
  EXPECT_FALSE(settings.SetUserOption("credentials", "nocolon", &why));
  EXPECT_EQ(why.find("nocolon"), std::string::npos) << why;
  EXPECT_EQ(settings.Credentials().size(), 2u) << "a refused value changes nothing";

  // A credentials file named by a higher source is told by its path.
  Settings scripted;
  ASSERT_TRUE(scripted.SetUserOption("credentials", "admin:Mine", &why));
  ::setenv("NETSDK_CREDENTIALS", file.c_str(), 1);
  scripted.LoadAtInit(folder.Write("empty.conf", ""));
  ::unsetenv("NETSDK_CREDENTIALS");
  ExpectOption(scripted, "credentials", Source::kEnvironment, file);
  ASSERT_EQ(scripted.Credentials().size(), 1u);
  EXPECT_EQ(scripted.Credentials()[0].user, "operator");
}

std::string Serial(int index) {
  std::vector<unsigned char> block(IPC_INFO_SIZE, 0);
  if (IP_NET_DVR_GetIPCInfo(index, block.data()) != 0) return {};
  return reinterpret_cast<const char*>(block.data() + IPC_INFO_SERIAL);
}

std::size_t RefusedLogins(camsim::Simulator& sim, const std::string& serial) {
  return sim.GetJournal().Find(serial, 1004).size();
}

using UserBackend = LibraryTest;

TEST_F(UserBackend, TakesEffectAtTheFirstSearchWithoutALoginAndARefusalOutlivesTheChange) {
  // The framed simulator is the endpoint; the ONVIF one, with other serials, is only probed.
  Start(Cameras(2));
  camsim::Scenario onvifScenario;
  for (int i = 1; i <= 3; ++i)
    onvifScenario.devices.push_back(
        Camera("ON0" + std::to_string(i), "192.168.1." + std::to_string(40 + i)));
  camsim::Simulator onvif(onvifScenario, camsim::Protocol::kOnvif);
  onvif.SetTimeScale(kScale);
  std::string error;
  ASSERT_TRUE(onvif.Start("127.0.0.1:0", &error)) << error;

  ASSERT_TRUE(SearchFor(2));
  const int handle = LoginTo("SN01");
  ASSERT_GT(handle, 0);
  ASSERT_EQ(IP_NET_DVR_SetUserOption("backend", "onvif"), 0);
  ASSERT_EQ(IP_NET_DVR_SetUserOption("probe", onvif.Endpoint().c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_SetUserOption("credentials", "admin:wrong\nadmin:Admin123"), 0);
  EXPECT_EQ(IP_NET_DVR_SetUserOption("scope", "nowhere"), -1);
  char text[64] = {};
  EXPECT_EQ(IP_NET_DVR_GetOption("backend", text, sizeof text), NETSDK_OPTION_USER);
  EXPECT_STREQ(text, "onvif");
  EXPECT_EQ(IP_NET_DVR_GetOption("endpoint", text, 4), -1) << "too small for the text";
  EXPECT_EQ(IP_NET_DVR_GetOption("endpoint", nullptr, 0), NETSDK_OPTION_CALL);

  // A login is open: the search stays on the framed protocol and the login keeps working.
  ASSERT_TRUE(SearchFor(2));
  EXPECT_EQ(Serial(0).substr(0, 2), "SN");
  EXPECT_EQ(IP_NET_DVR_SystemControl(handle, NETSDK_CMD_GET_VERSION, 0, ""), 0);
  ASSERT_TRUE(WaitResponse(handle, NETSDK_CMD_GET_VERSION));

  ASSERT_EQ(IP_NET_DVR_Logout(handle), 0);
  ASSERT_TRUE(SearchFor(3));
  for (int index = 0; index < 3; ++index) EXPECT_EQ(Serial(index).substr(0, 2), "ON") << index;
  EXPECT_EQ(FindResult("SN01"), -1);
  const int onvifLogin = LoginTo("ON01");
  EXPECT_GT(onvifLogin, 0) << "a login now speaks ONVIF, with the credential that worked";
  ASSERT_EQ(IP_NET_DVR_Logout(onvifLogin), 0);
  for (const char* serial : {"ON01", "ON02", "ON03"})
    ASSERT_EQ(RefusedLogins(onvif, serial), 1u) << serial;

  // Back to the framed protocol and to ONVIF again: the devices that refused admin:wrong never
  // see it again.
  ASSERT_EQ(IP_NET_DVR_SetUserOption("backend", "sim"), 0);
  ASSERT_TRUE(SearchFor(2));
  EXPECT_GE(FindResult("SN02"), 0);
  ASSERT_EQ(IP_NET_DVR_SetUserOption("backend", "onvif"), 0);
  ASSERT_TRUE(SearchFor(3));
  EXPECT_GE(FindResult("ON03"), 0);
  for (const char* serial : {"ON01", "ON02", "ON03"})
    EXPECT_EQ(RefusedLogins(onvif, serial), 1u) << serial;
  onvif.Stop();
}

}  // namespace
}  // namespace netsdk_test
