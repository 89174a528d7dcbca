// The ONVIF backend's parts on their own: the settings and their precedence, the addresses and
// messages it reads from devices, and the destination guard at the socket layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>

#include "dispatcher.h"
#include "library_fixture.h"
#include "onvif_backend/config_mapping.h"
#include "onvif_backend/destination_guard.h"
#include "onvif_backend/device_messages.h"
#include "onvif_backend/discovery_messages.h"
#include "onvif_backend/http_client.h"
#include "onvif_backend/onvif_search.h"
#include "onvif_backend/settings_groups.h"
#include "onvif_backend/url.h"
#include "settings.h"

namespace {

using namespace netsdk;
using namespace netsdk::onvif_backend;

using netsdk_test::TempFolder;

bool Mentions(const std::vector<std::string>& reports, const std::string& text) {
  for (const std::string& report : reports)
    if (report.find(text) != std::string::npos) return true;
  return false;
}

TEST(OnvifSettings, FileThenEnvironmentThenCallsAndEveryRefusalIsReported) {
  TempFolder folder;
  const std::string credentials =
      folder.Write("credentials", "# tried in order\nadmin:Adm&n<\":@/%\n\nviewer:\nbad line\n");
  const std::string config =
      folder.Write("netsdk.conf",
                   "backend = onvif\nprobe = 127.0.0.1:3702, 127.0.0.2:3702\nscope = wan\n"
                   "restore = soft\ncredentials = " +
                       credentials +
                       "\nthis is no setting\n"
                       "colour = blue\ntime_scale = fast\nrtsp_basic = allow\n");
  Settings settings;
  EXPECT_EQ(settings.GetRtspBasic(), RtspBasic::kRefuse) << "no clear-text password by default";
  ::setenv("NETSDK_RESTORE", "hard", 1);
  ::setenv("NETSDK_ENDPOINT", "192.168.1.5:29120", 1);
  ::setenv("NETSDK_PROBE", "multicast", 1);
  std::string why;
  ASSERT_TRUE(settings.SetOption("probe", "127.0.0.9:4000", &why));
  const std::vector<std::string> reports = settings.LoadAtInit(config);
  ::unsetenv("NETSDK_RESTORE");
  ::unsetenv("NETSDK_ENDPOINT");
  ::unsetenv("NETSDK_PROBE");

  EXPECT_EQ(settings.GetBackend(), Backend::kOnvif);
  EXPECT_EQ(settings.GetScope(), Scope::kLoopback) << "a refused scope leaves the default";
  EXPECT_EQ(settings.Restore(), RestoreMode::kHard) << "the environment beats the file";
  const ProbeSetting probe = settings.Probe();
  ASSERT_FALSE(probe.multicast) << "a call beats the environment and the file";
  ASSERT_EQ(probe.targets.size(), 1u);
  EXPECT_EQ(probe.targets[0].host, "127.0.0.9");
  EXPECT_EQ(probe.targets[0].port, 4000);
  EXPECT_EQ(settings.Endpoint().ToString(), "127.0.0.1:29120");
  // The credentials file has a malformed line: the whole file is refused, so that a typo never
  // silently drops the one credential that works.
  EXPECT_TRUE(settings.Credentials().empty());
  for (const char* expected :
       {"scope", "line 6", "colour", "time_scale", "NETSDK_ENDPOINT", "credentials"}) {
    EXPECT_TRUE(Mentions(reports, expected)) << expected;
  }
  EXPECT_FALSE(Mentions(reports, "NETSDK_RESTORE"));
  EXPECT_EQ(settings.GetRtspBasic(), RtspBasic::kAllow);
  EXPECT_FALSE(settings.SetOption("rtsp_basic", "yes", &why));
  EXPECT_EQ(why, "'yes' is not refuse or allow");
  EXPECT_EQ(settings.GetRtspBasic(), RtspBasic::kAllow) << "a refused value changes nothing";

  std::vector<std::string> errors;
  const auto parsed = ParseCredentials("admin:Adm&n<\":@/%\nviewer:\n" + std::string(40, 'u') +
                                           ":x\nuser:" + std::string(64, 'p') + "\n:nouser\n",
                                       &errors);
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].password, "Adm&n<\":@/%") << "everything after the first colon";
  EXPECT_EQ(parsed[1].password, "");
  EXPECT_EQ(errors.size(), 3u);
  for (const char* text :
       {"", "127.0.0.1", "127.0.0.1:0", "127.0.0.1:65536", "host:80", "127.0.0.1:80,,x"}) {
    ProbeSetting unused;
    EXPECT_FALSE(ParseProbe(text, &unused, &why)) << text;
  }
}

TEST(OnvifMessages, AddressesMasksAndDurationsParseStrictly) {
  for (int prefix = 0; prefix <= 32; ++prefix) {
    EXPECT_EQ(PrefixOfMask(MaskOfPrefix(prefix)), prefix) << prefix;
  }
  for (const char* bad : {"255.0.255.0", "255.255.255.1", "0.255.255.255", "255.255.255", "x"}) {
    EXPECT_FALSE(PrefixOfMask(bad).has_value()) << bad;
  }
  EXPECT_EQ(ParseDuration("PT1S"), 1000);
  EXPECT_EQ(ParseDuration("PT1M30.5S"), 90500);
  EXPECT_EQ(ParseDuration("P1DT1H"), 90000000);
  EXPECT_EQ(ParseDuration("P0Y0M0DT0H0M2S"), 2000) << "the long form some devices write";
  EXPECT_EQ(ParseDuration("P999999999999D"), kMaxDurationMs) << "bounded, not overflowing";
  for (const char* bad : {"", "P", "PT", "1S", "PT1", "P1M", "PT-1S", "PT1S2", "PTT1S", "PT1e9S",
                          "PTinfS", "PTnanS", "PT0x10S", "P9999999999999D"}) {
    EXPECT_FALSE(ParseDuration(bad).has_value()) << bad;
  }

  Url url;
  ASSERT_TRUE(ParseUrl("HTTP://127.0.0.1:8080/onvif/192.168.1.5/device_service?x=1", &url));
  EXPECT_EQ(url.scheme, "http");
  EXPECT_EQ(url.Authority(), "127.0.0.1:8080");
  EXPECT_EQ(url.path, "/onvif/192.168.1.5/device_service?x=1");
  ASSERT_TRUE(ParseUrl("rtsp://192.168.1.5/main", &url));
  EXPECT_EQ(url.port, 554);
  for (const char* bad :
       {"ftp://a/b", "http://", "http://user:pw@host/", "http://h:0/", "http://h:99999/",
        "http://[::1]/", "http://h/a b", "http://h/\"", "127.0.0.1/x"}) {
    EXPECT_FALSE(ParseUrl(bad, &url)) << bad;
  }
  Url answered;
  Url advertised;
  ASSERT_TRUE(ParseUrl("http://127.0.0.1:9000/onvif/a/device_service", &answered));
  ASSERT_TRUE(ParseUrl("http://192.168.1.5/onvif/a/media_service", &advertised));
  EXPECT_EQ(WithAuthorityOf(advertised, answered).ToString(),
            "http://127.0.0.1:9000/onvif/a/media_service");
  ASSERT_TRUE(ParseUrl("rtsp://192.168.1.5:8554/main", &advertised));
  EXPECT_EQ(WithAuthorityOf(advertised, answered).ToString(), "rtsp://127.0.0.1:8554/main");
}

TEST(OnvifMessages, ProbeMatchesAreReadTolerantlyAndGarbageGivesNothing) {
  // Namespaces declared on the elements that use them, odd prefixes, two addresses, uuid: form.
  const std::string matches =
      "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body>"
      "<x:ProbeMatches xmlns:x=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\">"
      "<x:ProbeMatch><y:EndpointReference xmlns:y=\"http://schemas.xmlsoap.org/ws/2004/08/"
      "addressing\"><y:Address>urn:uuid:ABC-1</y:Address></y:EndpointReference>"
      "<x:Types xmlns:q=\"http://www.onvif.org/ver10/network/wsdl\">q:NetworkVideoTransmitter"
      "</x:Types><x:XAddrs> http://192.168.1.5/onvif/device_service  "
      "http://127.0.0.1:9/onvif/192.168.1.5/device_service </x:XAddrs></x:ProbeMatch>"
      "<x:ProbeMatch><y:EndpointReference xmlns:y=\"http://schemas.xmlsoap.org/ws/2004/08/"
      "addressing\"><y:Address>uuid:def-2</y:Address></y:EndpointReference>"
      "<x:Types xmlns:dn=\"urn:other\">dn:NetworkVideoTransmitter</x:Types>"
      "<x:XAddrs>http://127.0.0.1:9/b</x:XAddrs></x:ProbeMatch>"
      "</x:ProbeMatches></e:Body></e:Envelope>";
  const auto read = ReadProbeMatches(matches);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].endpoint, "abc-1");
  EXPECT_TRUE(read[0].transmitter);
  ASSERT_EQ(read[0].addresses.size(), 2u);
  EXPECT_EQ(read[1].endpoint, "def-2");
  EXPECT_FALSE(read[1].transmitter) << "the prefix names another namespace";
  for (std::size_t cut = 0; cut < matches.size(); cut += 37) {
    EXPECT_TRUE(ReadProbeMatches(matches.substr(0, cut)).empty()) << cut;
  }
  EXPECT_TRUE(ReadProbeMatches("<!DOCTYPE x [<!ENTITY a \"b\">]><x>&a;</x>").empty());
  EXPECT_TRUE(ReadProbeMatches(std::string(1000, '\xff')).empty());
  EXPECT_TRUE(ReadProbeMatches(ProbeMessage(ProbeType::kDevice).message).empty());
}

TEST(OnvifConfig, FourGroupsMapToDeviceOperationsAndTheRestAreNotAvailable) {
  const Credential admin{"admin", "old"};
  constexpr std::int64_t kDeviceNow = 1800000000;  // 2027-01-15 08:00:00 UTC
  // The password is GBK ("密码1"), as the program writes it; the device gets UTF-8.
  const ConfigPlan account =
      PlanConfig(223,
                 "<UserConfig><Account Username=\"admin\" Password=\"\xC3\xDC\xC2\xEB"
                 "1&amp;\" "
                 "Group=\"Administrator\"/></UserConfig>",
                 admin, kDeviceNow);
  ASSERT_TRUE(account.error.empty()) << account.error;
  ASSERT_EQ(account.steps.size(), 1u);
  EXPECT_EQ(account.steps[0].operation, "SetUser");
  EXPECT_NE(account.steps[0].body.find("\xE5\xAF\x86\xE7\xA0\x81"
                                       "1&amp;"),
            std::string::npos);
  ASSERT_TRUE(account.credential.has_value());
  EXPECT_EQ(account.credential->password,
            "\xE5\xAF\x86\xE7\xA0\x81"
            "1&");

  const ConfigPlan ntp =
      PlanConfig(222,
                 "<TimeConfig TimeMode=\"NTP\" TimeZone=\"480\"><NTPConfig ServerIP=\"10.0.0.5\" "
                 "ServerPort=\"123\"/></TimeConfig>",
                 admin, kDeviceNow);
  ASSERT_EQ(ntp.steps.size(), 2u);
  EXPECT_EQ(ntp.steps[0].operation, "SetNTP");
  EXPECT_NE(ntp.steps[1].body.find("<tt:TZ>UTC-8</tt:TZ>"), std::string::npos);
  const ConfigPlan manual =
      PlanConfig(222, "<TimeConfig TimeMode=\"MANUAL\" TimeZone=\"-330\"><NTPConfig/></TimeConfig>",
                 admin, kDeviceNow);
  ASSERT_EQ(manual.steps.size(), 1u);
  EXPECT_NE(manual.steps[0].body.find("UTC+5:30"), std::string::npos);
  // A manual clock needs a time: the device's own, so that it stays where it was.
  EXPECT_NE(manual.steps[0].body.find("<tt:Year>2027</tt:Year><tt:Month>1</tt:Month><tt:Day>15"),
            std::string::npos)
      << manual.steps[0].body;

  const ConfigPlan lan = PlanConfig(
      325,
      "<LANConfig IPAddress=\"192.168.2.9\" Netmask=\"255.255.0.0\" Gateway=\"192.168.2.1\" "
      "DNS1=\"8.8.8.8\" DNS2=\"\"/>",
      admin, kDeviceNow);
  ASSERT_TRUE(lan.interfaceAddress.has_value());
  EXPECT_EQ(lan.interfaceAddress->second, 16);
  ASSERT_EQ(lan.steps.size(), 2u);
  EXPECT_EQ(lan.steps[1].operation, "SetNetworkDefaultGateway");
  const ConfigPlan streaming = PlanConfig(
      620,
      "<MediaStreamConfig><StreamAccess VideoPort=\"554\" WEBPort=\"80\"/></MediaStreamConfig>",
      admin, kDeviceNow);
  ASSERT_EQ(streaming.steps.size(), 1u);
  EXPECT_NE(streaming.steps[0].body.find("<tt:Port>554</tt:Port>"), std::string::npos);

  // Refused without a step: bad values, the wrong root, malformed or entity-laden documents.
  for (const auto& [code, document] : std::vector<std::pair<std::uint32_t, std::string>>{
           {325,
            "<LANConfig IPAddress=\"192.168.2.9\" Netmask=\"255.0.255.0\" "
            "Gateway=\"192.168.2.1\"/>"},
           {325,
            "<LANConfig IPAddress=\"host\" Netmask=\"255.255.255.0\" Gateway=\"192.168.2.1\"/>"},
           {222,
            "<TimeConfig TimeMode=\"NTP\" TimeZone=\"480\"><NTPConfig "
            "ServerIP=\"x\"/></TimeConfig>"},
           {620,
            "<MediaStreamConfig><StreamAccess VideoPort=\"0\" "
            "WEBPort=\"80\"/></MediaStreamConfig>"},
           {223, "<LANConfig/>"},
           {223, "<UserConfig><Account Username=\"admin\""},
           {223,
            "<!DOCTYPE u [<!ENTITY p \"x\">]><UserConfig><Account Username=\"admin\" "
            "Password=\"&p;\"/></UserConfig>"}}) {
    const ConfigPlan plan = PlanConfig(code, document, admin, kDeviceNow);
    EXPECT_TRUE(plan.available) << document;
    EXPECT_FALSE(plan.error.empty()) << document;
    EXPECT_TRUE(plan.steps.empty()) << document;
  }
  // The media, overlay and motion groups read the device first; the others have no counterpart.
  for (std::uint32_t code : {227u, 228u, 335u, 421u, 422u, 670u}) {
    EXPECT_FALSE(PlanConfig(code, "<X/>", admin, kDeviceNow).available) << code;
    EXPECT_FALSE(IsSettingsGroup(code)) << code;
  }
  for (std::uint32_t code : {522u, 523u, 524u, 525u, 822u})
    EXPECT_TRUE(IsSettingsGroup(code)) << code;
}

// Runs the io_context on a thread for the guard tests.
class IoThread {
 public:
  IoThread() : m_work(asio::make_work_guard(m_io)), m_thread([this] { m_io.run(); }) {}
  ~IoThread() {
    m_work.reset();
    m_io.stop();
    m_thread.join();
  }
  asio::io_context& Io() { return m_io; }

 private:
  asio::io_context m_io;
  asio::executor_work_guard<asio::io_context::executor_type> m_work;
  std::thread m_thread;
};

HttpResponse SendAndWait(HttpClient& client, const std::string& address) {
  HttpRequest request;
  EXPECT_TRUE(ParseUrl(address, &request.url)) << address;
  request.body = "<x/>";
  std::promise<HttpResponse> answered;
  client.Send(request, [&answered](HttpResponse response) { answered.set_value(response); });
  auto future = answered.get_future();
  EXPECT_EQ(future.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  return future.get();
}

TEST(OnvifGuard, LoopbackScopeRefusesEveryOtherDestinationBeforeASocketOpens) {
  IoThread io;
  Settings settings;
  HttpClient client(io.Io(), settings);
  for (const char* address : {"http://192.168.1.64/onvif/device_service", "http://10.0.0.1:80/",
                              "http://239.255.255.250:3702/", "http://0.0.0.0:80/",
                              "http://camera.local/", "http://localhost:80/"}) {
    const HttpResponse response = SendAndWait(client, address);
    EXPECT_EQ(response.outcome, HttpResponse::Outcome::kRefused) << address;
  }
  EXPECT_EQ(client.SocketsOpened(), 0u);
  std::string why;
  EXPECT_FALSE(UnicastAllowed(asio::ip::address_v4::broadcast(), settings, &why));

  // The LAN scope reaches the PC's own networks and the probe targets only: never loopback, a
  // public host, another private network that a ProbeMatch names, or a network's broadcast.
  const std::vector<LocalInterface> interfaces = {
      {asio::ip::make_address_v4("192.168.1.5").to_uint(), 0xFFFFFF00u, true},
      {asio::ip::make_address_v4("10.20.0.9").to_uint(), 0xFFFF0000u, false}};
  const std::vector<ProbeTarget> targets = {{"172.16.9.9", 3702}};
  auto lan = [&](const char* host) {
    return UnicastAllowed(asio::ip::make_address_v4(host), Scope::kLan, interfaces, targets, &why);
  };
  for (const char* host : {"192.168.1.64", "10.20.255.1", "172.16.9.9"}) {
    EXPECT_TRUE(lan(host)) << host;
  }
  for (const char* host : {"127.0.0.1", "8.8.8.8", "192.168.2.64", "172.16.9.8", "192.168.1.255",
                           "10.20.255.255", "255.255.255.255", "239.255.255.250"}) {
    EXPECT_FALSE(lan(host)) << host;
  }

  // A loopback address passes the guard and the socket-open hook; nobody listens there.
  asio::ip::tcp::acceptor closed(io.Io(), {asio::ip::address_v4::loopback(), 0});
  const unsigned short port = closed.local_endpoint().port();
  closed.close();
  const HttpResponse response =
      SendAndWait(client, "http://127.0.0.1:" + std::to_string(port) + "/");
  EXPECT_EQ(response.outcome, HttpResponse::Outcome::kUnreachable);
  EXPECT_EQ(client.SocketsOpened(), 1u);
  EXPECT_EQ(client.SocketsRefused(), 0u);

  // Probes: multicast and a LAN target are refused, only the loopback target gets datagrams.
  Callbacks callbacks;
  Dispatcher dispatcher(callbacks);
  OnvifServices services(io.Io(), settings);
  const Context context{io.Io(), settings, dispatcher};
  ASSERT_TRUE(settings.SetOption("probe", "192.168.1.64:3702", &why));
  auto search = std::make_shared<OnvifSearch>(context, services);
  search->Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  search->Stop();
  ASSERT_TRUE(settings.SetOption("probe", "multicast", &why));
  search->Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  search->Stop();
  std::promise<void> shut;
  asio::post(io.Io(), [&] {
    search->Shutdown();
    shut.set_value();
  });
  shut.get_future().wait();
  EXPECT_EQ(search->ProbesSent(), 0u);
  EXPECT_GE(search->ProbesRefused(), 2u);
  services.http.Stop();
  dispatcher.Stop();
}

}  // namespace
