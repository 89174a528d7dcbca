// The ONVIF backend against cameras that behave as other makers' real ones do: each deviation is
// a simulator scenario key, and each test fails without the library's handling of it.
#include <thread>

#include "library_fixture.h"
#include "sim/onvif_codes.h"
#include "wire/firmware.h"

namespace netsdk_test {
namespace {

using camsim::Protocol;

std::string Field(const std::vector<unsigned char>& block, std::size_t offset) {
  return reinterpret_cast<const char*>(block.data() + offset);
}

// Every daylight-saving rule's simplest case: daylight time all year, three hours west in standard
// time, so that a device read with its standard offset only is an hour off, whatever the date.
constexpr char kAlwaysDaylight[] = "AAA3BBB,0/0,J365/25";

class OnvifFleetTest : public LibraryTest {
 protected:
  bool AskVersion(int handle) {
    {
      std::lock_guard lock(m_mutex);
      m_responses.clear();
    }
    return IP_NET_DVR_SystemControl(handle, NETSDK_CMD_GET_VERSION, 0, "RESPONSE_PARAM") == 0 &&
           WaitResponse(handle, NETSDK_CMD_GET_VERSION);
  }

  std::size_t RefusedLogins(const std::string& serial) {
    return Sim().GetJournal().Find(serial, camsim::kOnvifLogin).size();
  }

  std::string Firmware(const std::string& version) {
    return m_files.Write(version + ".bin",
                         wire::BuildFirmware(version, "", std::vector<std::uint8_t>(200000, 3)));
  }

  TestFiles m_files;
};

TEST_F(OnvifFleetTest, ExpiredNoncesAndAnOperatorAccountNeverCountAsRefusedCredentials) {
  using Auth = camsim::OnvifSettings::Auth;
  camsim::Scenario scenario = Cameras(3);
  for (auto& device : scenario.devices) {
    device.onvif.auth = Auth::kDigest;
    device.onvif.nonceTtlS = 2;
    device.timings.restoreMs = 1000;
  }
  scenario.devices[0].onvif.staleFlag = false;  // a new challenge without stale=true
  scenario.devices[2].onvif.userLevel = camsim::OnvifSettings::UserLevel::kOperator;
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(3));
  const int quiet = LoginTo("SN01");
  const int stale = LoginTo("SN02");
  const int operatorLogin = LoginTo("SN03");
  ASSERT_GT(quiet, 0);
  ASSERT_GT(stale, 0);
  ASSERT_GT(operatorLogin, 0);
  const std::size_t refusedBefore = RefusedLogins("SN01");

  // Past the nonces' life: the next calls meet new challenges, with and without the flag.
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(3000 / kScale)));
  EXPECT_TRUE(AskVersion(quiet));
  EXPECT_TRUE(AskVersion(stale));
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(3000 / kScale)));
  EXPECT_TRUE(AskVersion(quiet)) << "a second expiry is answered as the first";
  EXPECT_EQ(RefusedLogins("SN01"), refusedBefore);

  // An Operator may not restore or upgrade: those calls fail, the login and credential stay.
  EXPECT_EQ(IP_NET_DVR_RestoreConfig(operatorLogin), -1);
  ASSERT_EQ(IP_NET_DVR_Upgrade(operatorLogin, Firmware("V9.0.0").c_str()), 0);
  EXPECT_TRUE(WaitStatus(operatorLogin, NETSDK_EVENT_UPGRADE_TRANSFER_FAILED));
  EXPECT_TRUE(AskVersion(operatorLogin)) << "the login goes on";
  EXPECT_FALSE(HasStatus(operatorLogin, NETSDK_EVENT_DISCONNECTED));
  EXPECT_TRUE(Sim().Device("SN03")->online) << "nothing was restored";
  EXPECT_GT(LoginTo("SN03"), 0) << "the credential is not taken for a refused one";
  EXPECT_GT(LoginTo("SN01"), 0);
}

TEST_F(OnvifFleetTest, AnUploadAddressThatWantsDigestIsAskedBeforeTheImageIsSent) {
  camsim::Scenario scenario = Cameras(1);
  scenario.devices[0].onvif.uploadDigest = true;
  scenario.devices[0].timings.upgradeRestartMs = 1000;
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(1));
  const int handle = LoginTo("SN01");
  ASSERT_GT(handle, 0);
  ASSERT_EQ(IP_NET_DVR_Upgrade(handle, Firmware("V5.8.0").c_str()), 0);
  ResponseEvent checked{};
  ASSERT_TRUE(WaitResponse(handle, NETSDK_CMD_UPGRADE_CHECKED, &checked)) << "upgraded";
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN01")->version == "V5.8.0"; }));
  // One refusal of the head alone, then one upload with credentials.
  const auto uploads = Sim().GetJournal().Find("SN01", camsim::kOnvifUpload);
  ASSERT_EQ(uploads.size(), 2u);
  EXPECT_EQ(uploads[0].kind, "upload refused");
  EXPECT_EQ(uploads[1].kind, "upgrade");
}

TEST_F(OnvifFleetTest, ClocksWithoutUtcOrWithLocalTimeAsUtcAreReadWithTheirDaylightRule) {
  using Auth = camsim::OnvifSettings::Auth;
  camsim::Scenario scenario = Cameras(3);
  for (auto& device : scenario.devices) {
    // Tokens are created on the device's clock: a clock read an hour off refuses them.
    device.onvif.auth = Auth::kToken;
    device.onvif.timeZone = kAlwaysDaylight;
  }
  scenario.devices[0].onvif.utcField = false;
  scenario.devices[1].onvif.utcIsLocal = true;
  scenario.devices[2].onvif.timeZone = "CET-1CEST,M3.5.0,M10.5.0/3";
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(3));
  for (const char* serial : {"SN01", "SN02", "SN03"}) {
    const int handle = LoginTo(serial);
    ASSERT_GT(handle, 0) << serial;
    ASSERT_EQ(IP_NET_DVR_SystemControl(handle, NETSDK_CMD_SET_TIME, 0,
                                       "<REQUEST_PARAM\r\nTime=\"20261208 18:30:00\"\r\n"
                                       "TimeZone=\"4800\"\n/>"),
              0);
    ASSERT_TRUE(WaitResponse(handle, NETSDK_CMD_SET_TIME)) << serial;
    // The device keeps its own zone and goes on following its daylight-saving rule.
    const auto device = Sim().Device(serial);
    EXPECT_TRUE(device->daylightSavings) << serial;
    EXPECT_EQ(device->timeZone,
              serial == std::string("SN03") ? "CET-1CEST,M3.5.0,M10.5.0/3" : kAlwaysDaylight);
  }
}

TEST_F(OnvifFleetTest, AddressesInterfacesStrayAnswersOldServicesAndOddDelaysOfRealDevices) {
  using Interfaces = camsim::OnvifSettings::Interfaces;
  camsim::Scenario scenario = Cameras(8);
  // A link-local address and one where nobody listens come before the one that answers.
  scenario.devices[0].onvif.xaddrs = {"http://169.254.3.3/onvif/device_service",
                                      "http://127.0.0.2:1/onvif/device_service", "self"};
  scenario.devices[1].onvif.interfaces = Interfaces::kNone;
  scenario.devices[2].onvif.interfaces = Interfaces::kFault;
  scenario.devices[3].onvif.interfaces = Interfaces::kDhcp;
  scenario.devices[4].onvif.relatesToOther = true;
  scenario.devices[5].onvif.servicesError = 404;
  scenario.devices[6].onvif.uploadDelay = "P0Y0M0DT0H0M2S";
  scenario.devices[7].onvif.uploadDelay = "P999999999999D";
  for (auto& device : scenario.devices) device.timings.upgradeRestartMs = 1000;
  Start(scenario, kScale, Protocol::kOnvif);
  ASSERT_TRUE(SearchFor(7));
  std::vector<unsigned char> block;
  ASSERT_GE(FindResult("SN01", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_IP), "192.168.1.11");
  for (const char* serial : {"SN02", "SN03"}) {
    ASSERT_GE(FindResult(serial, &block), 0) << serial;
    EXPECT_EQ(Field(block, IPC_INFO_IP), "127.0.0.1") << "the address that answered";
    EXPECT_EQ(Field(block, IPC_INFO_MAC), "");
    EXPECT_EQ(Field(block, IPC_INFO_MASK), "");
  }
  ASSERT_GE(FindResult("SN04", &block), 0);
  EXPECT_EQ(Field(block, IPC_INFO_IP), "192.168.1.14") << "the leased address, not the manual one";
  EXPECT_LT(FindResult("SN05"), 0) << "an answer to no probe of ours";

  // No GetServices, only an error page: GetCapabilities gives the services.
  EXPECT_GT(LoginTo("SN06"), 0);
  // An upload delay in the long form is read; an absurd one is bounded.
  const std::string file = Firmware("V5.9.0");
  for (const char* serial : {"SN07", "SN08"}) {
    const int handle = LoginTo(serial);
    ASSERT_GT(handle, 0) << serial;
    ASSERT_EQ(IP_NET_DVR_Upgrade(handle, file.c_str()), 0);
  }
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN07")->version == "V5.9.0"; }));
  EXPECT_TRUE(Eventually([&] { return Sim().Device("SN08")->version == "V5.9.0"; }));
}

}  // namespace
}  // namespace netsdk_test
