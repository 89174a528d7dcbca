// The address arithmetic of IP re-addressing and the text of the time request: pure pieces.
#include <gtest/gtest.h>

#include <set>

#include "operations/next_free_address.h"
#include "operations/time_sync.h"

namespace {

using operations::NextFreeAddress;
using operations::StartAddressSettings;

// Hands out addresses one after another as the pass does: each one given is taken from then on.
std::vector<std::string> HandOut(const std::string& pc, const StartAddressSettings& settings,
                                 std::set<std::string> taken, int count) {
  std::vector<std::string> given;
  for (int i = 0; i < count; ++i) {
    std::string address;
    const int result = NextFreeAddress(
        pc, settings, [&taken](const std::string& a) { return taken.count(a) > 0; }, &address);
    if (result != 0) {
      given.push_back(std::to_string(result));
      break;
    }
    taken.insert(address);
    given.push_back(address);
  }
  return given;
}

TEST(NextFreeAddress, SkipsThePcTheGatewayHeldAddressesAndTheNumbersNoDeviceMayHave) {
  const StartAddressSettings fromPc;
  EXPECT_EQ(HandOut("192.168.1.3", fromPc, {"192.168.1.5"}, 3),
            (std::vector<std::string>{"192.168.1.4", "192.168.1.6", "192.168.1.7"}));
  // The PC's own number is skipped wherever it falls.
  EXPECT_EQ(HandOut("192.168.1.4", fromPc, {}, 2),
            (std::vector<std::string>{"192.168.1.3", "192.168.1.5"}));

  StartAddressSettings start{1, "10.0.0.250", "255.0.0.0", "10.0.0.1"};
  EXPECT_EQ(HandOut("192.168.1.3", start, {}, 3),
            (std::vector<std::string>{"10.0.0.250", "10.0.0.251", "10.0.0.252"}));
  // 255 is never handed out: after 254 there is nothing left.
  start.startAddress = "10.0.0.253";
  EXPECT_EQ(HandOut("192.168.1.3", start, {}, 3),
            (std::vector<std::string>{"10.0.0.253", "10.0.0.254", "-2"}));
  // Host number 0 and the gateway's address are skipped.
  start.startAddress = "10.0.0.0";
  EXPECT_EQ(HandOut("192.168.1.3", start, {}, 2),
            (std::vector<std::string>{"10.0.0.2", "10.0.0.4"}));
  // A start address that is no address, or no PC address, gives nothing.
  for (const char* bad : {"10.0.0.256", "10.0.0", "10.0.0.1.2", "a.b.c.d", ""}) {
    start.startAddress = bad;
    EXPECT_EQ(HandOut("192.168.1.3", start, {}, 1), std::vector<std::string>{"-1"}) << bad;
  }
  EXPECT_EQ(HandOut("", fromPc, {}, 1), std::vector<std::string>{"-1"});
}

TEST(TimeRequest, CarriesTheLocalTimeWithCrLfAndALoneLfBeforeTheEnd) {
  const platform::SYSTEMTIME time{2026, 3, 0, 7, 9, 5, 4, 0};
  EXPECT_EQ(operations::TimeRequest(time),
            "<REQUEST_PARAM\r\nTime=\"20260307 09:05:04\"\r\nTimeZone=\"4800\"\n/>");
}

}  // namespace
