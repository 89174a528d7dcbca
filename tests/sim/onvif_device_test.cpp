// The ONVIF face's devices: who gets in, what each operation does to the device, and the HTTP
// firmware upgrade, through a client that speaks to them as the device library would.
#include <gtest/gtest.h>

#include <ctime>

#include "onvif_test_client.h"
#include "sim/onvif_codes.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "wire/firmware.h"

namespace {

using namespace onvif_test;
using camsim::Protocol;
using camsim::Simulator;

constexpr double kScale = 20;
const std::string kInfo = "<tds:GetDeviceInformation/>";
const std::string kTime = "<tds:GetSystemDateAndTime/>";
// Every character that needs escaping in XML, quoting in a digest header or encoding in a URL.
const std::string kOddPassword = "p&<\":@/%x";

class OnvifDeviceTest : public ::testing::Test {
 protected:
  void Start(camsim::Scenario scenario) {
    m_sim = std::make_unique<Simulator>(std::move(scenario), Protocol::kOnvif);
    m_sim->SetTimeScale(kScale);
    std::string error;
    ASSERT_TRUE(m_sim->Start("127.0.0.1:0", &error)) << error;
  }
  OnvifCaller Caller(const std::string& ip) { return OnvifCaller(m_sim->Port(), ip); }
  camsim::DeviceSnapshot Snapshot(const std::string& serial) { return *m_sim->Device(serial); }
  // Waits for the device to be back from a restart after restarts earlier ones.
  bool BackFrom(const std::string& serial, int restarts) {
    return WaitFor([&] {
      const camsim::DeviceSnapshot snapshot = Snapshot(serial);
      return snapshot.online && snapshot.restarts > restarts;
    });
  }
  std::vector<camsim::JournalEntry> Journal(const std::string& serial, std::uint32_t code) {
    return m_sim->GetJournal().Find(serial, code);
  }
  // The 401 challenges of an unauthenticated call.
  std::vector<std::string> Challenges(const std::string& ip) {
    HttpClient client(m_sim->Port());
    client.Send(Post("/onvif/" + ip + "/device_service", onvif::Envelope("", kInfo)));
    const auto reply = client.Receive();
    EXPECT_TRUE(reply && reply->status == 401);
    return reply ? reply->All("www-authenticate") : std::vector<std::string>();
  }

  std::unique_ptr<Simulator> m_sim;
};

int Status(const std::optional<HttpReply>& reply) {
  return reply ? reply->status : -1;
}

std::int64_t Seconds(const xmlNode* dateTime) {
  auto field = [&](const char* name) {
    return std::stoi(onvif::Text(onvif::Find(dateTime, onvif::kNsSchema, name)));
  };
  std::tm time{};
  time.tm_year = field("Year") - 1900;
  time.tm_mon = field("Month") - 1;
  time.tm_mday = field("Day");
  time.tm_hour = field("Hour");
  time.tm_min = field("Minute");
  time.tm_sec = field("Second");
  return timegm(&time);
}

std::int64_t HostNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

TEST_F(OnvifDeviceTest, DigestAndTokenLoginsFollowEachDevicesSettings) {
  camsim::Scenario scenario = Parse(
      "defaults check_ms=100 upgrade_restart_ms=500 rate_kib=0\n"
      "device serial=MD5 ip=192.168.1.10 onvif_auth=digest digest=md5\n"
      "device serial=SHA ip=192.168.1.11 onvif_auth=digest digest=sha256\n"
      "device serial=TOK ip=192.168.1.12 onvif_auth=token clock_skew_s=3600\n"
      "device serial=BOTH ip=192.168.1.13 lockout=3 time_needs_login=1\n");
  scenario.devices[3].password = kOddPassword;
  Start(std::move(scenario));
  OnvifCaller md5 = Caller("192.168.1.10"), sha = Caller("192.168.1.11"),
              tok = Caller("192.168.1.12"), both = Caller("192.168.1.13");
  const Credentials odd{Auth::kDigest, "admin", kOddPassword};

  // Each digest device offers its algorithms, SHA-256 first, and takes an answer to either.
  EXPECT_EQ(Challenges("192.168.1.10").size(), 1u);
  EXPECT_NE(Challenges("192.168.1.10")[0].find("algorithm=MD5"), std::string::npos);
  EXPECT_NE(Challenges("192.168.1.11")[0].find("algorithm=SHA-256"), std::string::npos);
  const auto offered = Challenges("192.168.1.13");
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_NE(offered[0].find("SHA-256"), std::string::npos);
  EXPECT_NE(offered[1].find("MD5"), std::string::npos);
  auto reply = md5.Call(kInfo);
  EXPECT_EQ(Status(reply), 200);
  EXPECT_EQ(reply->Value(onvif::kNsDevice, "SerialNumber"), "MD5");
  EXPECT_EQ(Status(sha.Call(kInfo)), 200);
  EXPECT_EQ(sha.lastChallenge->algorithm, onvif::DigestAlgorithm::kSha256);
  EXPECT_EQ(Status(both.Call(kInfo, odd)), 200) << "SHA-256, the odd password in the digest";
  const auto md5Challenge = onvif::ParseDigestChallenge(offered[1]);
  ASSERT_TRUE(md5Challenge);
  EXPECT_EQ(Status(both.CallWithChallenge(*md5Challenge, 1, kInfo, odd)), 200);
  EXPECT_EQ(Status(md5.Call(kInfo, {Auth::kDigest, "admin", "Admin124"})), 401);
  EXPECT_EQ(Status(md5.Call(kInfo, {Auth::kDigest, "root", "Admin123"})), 401);
  const auto elsewhere = onvif::DigestAuthorization(
      *md5.lastChallenge,
      {"POST", "/onvif/192.168.1.10/media_service", "admin", "Admin123", 2, "0a4f113b"});
  HttpClient misdirected(m_sim->Port());
  misdirected.Send(Post("/onvif/192.168.1.10/device_service", onvif::Envelope("", kInfo),
                        {"Authorization: " + elsewhere.value_or("")}));
  EXPECT_EQ(Status(misdirected.Receive()), 401) << "an answer for another request target";
  EXPECT_EQ(Journal("MD5", camsim::kOnvifLogin).size(), 3u) << "wrong logins are journaled";
  EXPECT_EQ(Status(md5.Call(kInfo, {Auth::kToken})), 401) << "a digest device takes no token";

  // The time is open unless the device wants a login for it too.
  EXPECT_EQ(Status(md5.Call(kTime, {Auth::kNone})), 200);
  EXPECT_EQ(Status(both.Call(kTime, {Auth::kNone})), 401);
  EXPECT_EQ(Status(both.Call(kTime, odd)), 200);

  // Tokens are checked against the device's clock, an hour ahead of the host's here.
  reply = tok.Call(kInfo, {Auth::kToken});
  EXPECT_EQ(Status(reply), 400);
  EXPECT_EQ(reply->FaultSubcode(), "NotAuthorized");
  EXPECT_EQ(Status(tok.Call(kInfo, {Auth::kToken, "admin", "Admin123", 3600})), 200);
  EXPECT_EQ(Status(tok.Call(kInfo, {Auth::kToken, "admin", "Admin123", 3600 + 240})), 200);
  EXPECT_EQ(Status(tok.Call(kInfo, {Auth::kToken, "admin", "Admin124", 3600})), 400);
  reply = tok.Call(kInfo);
  EXPECT_EQ(Status(reply), 400) << "a token device sends no digest challenge";
  EXPECT_EQ(reply->FaultSubcode(), "NotAuthorized");
  const std::string replayed =
      Post("/onvif/192.168.1.12/device_service",
           onvif::Envelope(onvif::UsernameTokenHeader("admin", "Admin123", onvif::RandomNonce(),
                                                      onvif::FormatCreated(HostNow() + 3600)),
                           kInfo));
  HttpClient raw(m_sim->Port());
  raw.Send(replayed);
  EXPECT_EQ(Status(raw.Receive()), 200);
  raw.Send(replayed);
  EXPECT_EQ(Status(raw.Receive()), 400) << "a nonce is taken once";
  EXPECT_EQ(Status(both.Call(kInfo, {Auth::kToken, "admin", kOddPassword})), 200);

  // An old nonce is stale: a new challenge says so, and the same credentials work with it.
  const onvif::DigestChallenge old = *sha.lastChallenge;
  const double issued = m_sim->NowMs();
  m_sim->SetTimeScale(4000);
  ASSERT_TRUE(WaitFor([&] { return m_sim->NowMs() > issued + 130000; }));
  m_sim->SetTimeScale(kScale);
  reply = sha.CallWithChallenge(old, 2, kInfo, {});
  ASSERT_EQ(Status(reply), 401);
  const auto fresh = onvif::ParseDigestChallenge(reply->Get("www-authenticate"));
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(fresh->stale);
  EXPECT_EQ(Status(sha.CallWithChallenge(*fresh, 1, kInfo, {})), 200);
  EXPECT_TRUE(Journal("SHA", camsim::kOnvifLogin).empty()) << "a stale nonce is no wrong login";

  // Three wrong logins lock the account, even against the right password, until a restart.
  reply = both.Call("<tds:StartFirmwareUpgrade/>", odd);
  ASSERT_EQ(Status(reply), 200);
  const std::string uri = reply->Value(onvif::kNsDevice, "UploadUri");
  const int restarts = Snapshot("BOTH").restarts;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Status(both.Call(kInfo)), 401);
  EXPECT_EQ(Status(both.Call(kInfo, odd)), 401);
  EXPECT_EQ(Status(both.Call(kInfo, {Auth::kToken, "admin", kOddPassword})), 400);
  EXPECT_NE(Journal("BOTH", camsim::kOnvifLogin).back().text.find("locked"), std::string::npos);
  HttpClient upload(m_sim->Port());
  const auto image = wire::BuildFirmware("V6.0.0 build 2027", "", std::vector<std::uint8_t>(4096));
  upload.Send(Post(uri.substr(uri.find("/onvif/")), std::string(image.begin(), image.end()), {},
                   "application/octet-stream"));
  EXPECT_EQ(Status(upload.Receive()), 200);
  ASSERT_TRUE(BackFrom("BOTH", restarts));
  EXPECT_EQ(Status(both.Call(kInfo, odd)), 200);
}

TEST_F(OnvifDeviceTest, InformationServicesTimeAndMediaComeFromTheDevice) {
  Start(
      Parse("device serial=CAM ip=192.168.1.64 type=IPC-R8D version=\"V5.6.3 build 2026\" "
            "service_host=lan time_zone=CST-8 utc_is_local=1 clock_skew_s=-7200\n"
            "device serial=OLD ip=192.168.1.65 media2=0 imaging=0 analytics=0\n"
            "fault serial=OLD kind=refuse-code code=1012 times=1\n"
            "fault serial=OLD kind=drop on=1104\n"));
  OnvifCaller cam = Caller("192.168.1.64"), old = Caller("192.168.1.65");
  auto reply = cam.Call(kInfo);
  ASSERT_EQ(Status(reply), 200);
  EXPECT_EQ(reply->Value(onvif::kNsDevice, "Model"), "IPC-R8D");
  EXPECT_EQ(reply->Value(onvif::kNsDevice, "FirmwareVersion"), "V5.6.3 build 2026");
  EXPECT_FALSE(reply->Value(onvif::kNsDevice, "Manufacturer").empty());
  ASSERT_EQ(Journal("CAM", camsim::kOnvifDeviceInformation).size(), 1u);
  EXPECT_EQ(Journal("CAM", camsim::kOnvifDeviceInformation)[0].kind, "GetDeviceInformation");

  // Service addresses carry the advertised host; the path still names the device.
  reply = cam.Call(
      "<tds:GetServices><tds:IncludeCapability>true</tds:IncludeCapability>"
      "</tds:GetServices>");
  ASSERT_EQ(Status(reply), 200);
  auto document = reply->Soap();
  std::vector<std::string> addresses;
  for (const xmlNode* xaddr : onvif::FindAll(document->Root(), onvif::kNsDevice, "XAddr")) {
    addresses.push_back(onvif::Text(xaddr));
  }
  EXPECT_EQ(addresses,
            (std::vector<std::string>{"http://192.168.1.64/onvif/192.168.1.64/device_service",
                                      "http://192.168.1.64/onvif/192.168.1.64/media_service",
                                      "http://192.168.1.64/onvif/192.168.1.64/media2_service",
                                      "http://192.168.1.64/onvif/192.168.1.64/imaging_service",
                                      "http://192.168.1.64/onvif/192.168.1.64/analytics_service",
                                      "http://192.168.1.64/onvif/192.168.1.64/event_service"}));
  EXPECT_TRUE(onvif::Find(document->Root(), onvif::kNsMedia2, "Capabilities"));
  reply = old.Call(
      "<tds:GetServices><tds:IncludeCapability>false</tds:IncludeCapability>"
      "</tds:GetServices>");
  document = reply->Soap();
  EXPECT_EQ(onvif::FindAll(document->Root(), onvif::kNsDevice, "Service").size(), 3u)
      << "device, media and events only";
  reply = old.Call("<tds:GetCapabilities><tds:Category>Media</tds:Category></tds:GetCapabilities>");
  EXPECT_EQ(
      reply->Value(onvif::kNsSchema, "XAddr"),
      "http://127.0.0.1:" + std::to_string(m_sim->Port()) + "/onvif/192.168.1.65/media_service");
  EXPECT_FALSE(reply->Soap() &&
               onvif::Find(reply->Soap()->Root(), onvif::kNsSchema, "Device") != nullptr);
  EXPECT_EQ(old.Call("<tds:GetCapabilities><tds:Category>PTZ</tds:Category></tds:GetCapabilities>")
                ->FaultSubcode(),
            "ActionNotSupported");

  // The device's clock: two hours behind, in China's zone, and reporting local time as UTC.
  reply = cam.Call(kTime, {Auth::kNone});
  document = reply->Soap();
  const std::int64_t utc = Seconds(onvif::Find(document->Root(), onvif::kNsSchema, "UTCDateTime"));
  const std::int64_t local =
      Seconds(onvif::Find(document->Root(), onvif::kNsSchema, "LocalDateTime"));
  EXPECT_EQ(reply->Value(onvif::kNsSchema, "TZ"), "CST-8");
  EXPECT_NEAR(static_cast<double>(local - HostNow()), -7200 + 8 * 3600, 5);
  EXPECT_EQ(utc, local) << "local time sent as UTC";

  // Setting the time moves the device's clock, and the snapshot reads as for a framed request.
  reply = old.Call(
      "<tds:SetSystemDateAndTime><tds:DateTimeType>Manual</tds:DateTimeType>"
      "<tds:DaylightSavings>false</tds:DaylightSavings><tds:TimeZone><tt:TZ>EST5"
      "</tt:TZ></tds:TimeZone><tds:UTCDateTime><tt:Date><tt:Year>2030</tt:Year>"
      "<tt:Month>1</tt:Month><tt:Day>2</tt:Day></tt:Date><tt:Time><tt:Hour>3"
      "</tt:Hour><tt:Minute>4</tt:Minute><tt:Second>5</tt:Second></tt:Time>"
      "</tds:UTCDateTime></tds:SetSystemDateAndTime>");
  ASSERT_EQ(Status(reply), 200);
  camsim::DeviceSnapshot snapshot = Snapshot("OLD");
  EXPECT_EQ(snapshot.clock, "20300102 03:04:05");
  EXPECT_EQ(snapshot.timeZone, "EST5");
  EXPECT_NEAR(static_cast<double>(snapshot.clockOffsetS), 1893553445.0 - HostNow(), 5);
  document = old.Call(kTime, {Auth::kNone})->Soap();
  EXPECT_NEAR(
      static_cast<double>(Seconds(onvif::Find(document->Root(), onvif::kNsSchema, "UTCDateTime"))),
      1893553445.0, 5);
  reply = old.Call(
      "<tds:SetSystemDateAndTime><tds:DateTimeType>Manual</tds:DateTimeType>"
      "<tds:UTCDateTime><tt:Date><tt:Year>2030</tt:Year><tt:Month>2</tt:Month>"
      "<tt:Day>30</tt:Day></tt:Date><tt:Time><tt:Hour>0</tt:Hour><tt:Minute>0"
      "</tt:Minute><tt:Second>0</tt:Second></tt:Time></tds:UTCDateTime>"
      "</tds:SetSystemDateAndTime>");
  EXPECT_EQ(Status(reply), 400);
  EXPECT_EQ(reply->FaultSubcode(), "InvalidArgVal");
  EXPECT_EQ(Snapshot("OLD").clock, "20300102 03:04:05");

  // H.264 profiles, the first encoding the model's whole picture, streamed at an address of the
  // loopback endpoint; unicast only.
  reply = cam.Call("<trt:GetProfiles/>", {}, "media_service");
  EXPECT_EQ(reply->Value(onvif::kNsSchema, "Encoding"), "H264");
  EXPECT_EQ(reply->Value(onvif::kNsSchema, "Width"), "1920");
  const std::string stream =
      "rtsp://127.0.0.1:" + std::to_string(m_sim->RtspPort()) + "/onvif/192.168.1.64/main";
  reply = cam.Call(
      "<trt:GetStreamUri><trt:StreamSetup><tt:Stream>RTP-Unicast</tt:Stream>"
      "<tt:Transport><tt:Protocol>RTSP</tt:Protocol></tt:Transport></trt:StreamSetup>"
      "<trt:ProfileToken>main</trt:ProfileToken></trt:GetStreamUri>",
      {}, "media_service");
  EXPECT_EQ(reply->Value(onvif::kNsSchema, "Uri"), stream);
  reply = cam.Call(
      "<trt:GetStreamUri><trt:StreamSetup><tt:Stream>RTP-Multicast</tt:Stream>"
      "</trt:StreamSetup><trt:ProfileToken>main</trt:ProfileToken></trt:GetStreamUri>",
      {}, "media_service");
  EXPECT_EQ(reply->FaultSubcode(), "InvalidArgVal");
  reply = cam.Call(
      "<tr2:GetStreamUri><tr2:Protocol>RtspUnicast</tr2:Protocol><tr2:ProfileToken>"
      "main</tr2:ProfileToken></tr2:GetStreamUri>",
      {}, "media2_service");
  EXPECT_EQ(reply->Value(onvif::kNsMedia2, "Uri"), stream);
  EXPECT_EQ(Status(cam.Call("<tr2:GetProfiles/>", {}, "media2_service")), 200);
  EXPECT_EQ(Status(old.Call("<tr2:GetProfiles/>", {}, "media2_service")), 404);
  EXPECT_EQ(cam.Call("<tds:GetProfiles/>", {}, "media_service")->FaultSubcode(),
            "ActionNotSupported")
      << "each service takes its own namespace";

  // The scenario's faults keep their meaning: a refusal, and a dropped connection, once each.
  reply = old.Call(kInfo);
  EXPECT_EQ(Status(reply), 500);
  EXPECT_EQ(reply->FaultSubcode(), "Action");
  EXPECT_EQ(Status(old.Call(kInfo)), 200);
  EXPECT_FALSE(old.Call("<tds:GetNetworkInterfaces/>"));
  EXPECT_EQ(Status(old.Call("<tds:GetNetworkInterfaces/>")), 200);
  EXPECT_EQ(Journal("OLD", camsim::kOnvifGetNetworkInterfaces).size(), 2u);
}

TEST_F(OnvifDeviceTest, NetworkSettingsMoveTheDeviceToItsNewPath) {
  Start(
      Parse("defaults reboot_ms=2000\n"
            "device serial=CAM ip=192.168.1.64 mac=02:00:00:00:00:64\n"
            "device serial=LATE ip=192.168.1.65 reboot_needed=1\n"));
  OnvifCaller cam = Caller("192.168.1.64"), late = Caller("192.168.1.65");
  auto reply = cam.Call("<tds:GetNetworkInterfaces/>");
  EXPECT_EQ(reply->Value(onvif::kNsSchema, "HwAddress"), "02:00:00:00:00:64");
  EXPECT_EQ(reply->Value(onvif::kNsSchema, "Address"), "192.168.1.64");
  EXPECT_EQ(reply->Value(onvif::kNsSchema, "PrefixLength"), "24");
  auto setAddress = [](const std::string& token, const std::string& address,
                       const std::string& prefix) {
    return "<tds:SetNetworkInterfaces><tds:InterfaceToken>" + token +
           "</tds:InterfaceToken><tds:NetworkInterface><tt:Enabled>true</tt:Enabled><tt:IPv4>"
           "<tt:Enabled>true</tt:Enabled><tt:Manual><tt:Address>" +
           address + "</tt:Address><tt:PrefixLength>" + prefix +
           "</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP></tt:IPv4>"
           "</tds:NetworkInterface></tds:SetNetworkInterfaces>";
  };
  for (const auto& [token, address, prefix] :
       {std::tuple{"eth0", "10.1.2.3", "31"}, std::tuple{"eth0", "192.168.1.255", "24"},
        std::tuple{"eth0", "10.1.0.0", "16"}, std::tuple{"eth0", "224.0.0.5", "8"},
        std::tuple{"eth0", "10.1.2.300", "16"}, std::tuple{"eth1", "10.1.2.3", "16"}}) {
    reply = cam.Call(setAddress(token, address, prefix));
    EXPECT_EQ(Status(reply), 400) << address << "/" << prefix;
    EXPECT_EQ(reply->FaultSubcode(), "InvalidArgVal");
  }
  EXPECT_EQ(Snapshot("CAM").ip, "192.168.1.64");

  reply = cam.Call(setAddress("eth0", "10.1.2.3", "16"));
  ASSERT_EQ(Status(reply), 200);
  EXPECT_EQ(reply->Value(onvif::kNsDevice, "RebootNeeded"), "false");
  EXPECT_EQ(Journal("CAM", camsim::kOnvifSetNetworkInterfaces).back().text,
            "eth0 IP=10.1.2.3 PrefixLength=16");
  EXPECT_EQ(Snapshot("CAM").mask, "255.255.0.0");
  EXPECT_FALSE(cam.Call("<tds:GetNetworkInterfaces/>")) << "nobody at the old address";
  cam.SetAddress("10.1.2.3");
  EXPECT_EQ(cam.Call("<tds:GetNetworkInterfaces/>")->Value(onvif::kNsSchema, "PrefixLength"), "16");
  EXPECT_EQ(Status(cam.Call("<tds:SetNetworkDefaultGateway><tds:IPv4Address>10.1.0.1"
                            "</tds:IPv4Address></tds:SetNetworkDefaultGateway>")),
            200);
  EXPECT_EQ(cam.Call("<tds:GetNetworkDefaultGateway/>")->Value(onvif::kNsSchema, "IPv4Address"),
            "10.1.0.1");
  EXPECT_EQ(Status(cam.Call("<tds:SetNetworkDefaultGateway><tds:IPv4Address>10.1.0"
                            "</tds:IPv4Address></tds:SetNetworkDefaultGateway>")),
            400);
  EXPECT_EQ(Snapshot("CAM").gateway, "10.1.0.1");

  // With RebootNeeded the address waits for the next reboot.
  reply = late.Call(setAddress("eth0", "192.168.1.80", "24"));
  EXPECT_EQ(reply->Value(onvif::kNsDevice, "RebootNeeded"), "true");
  EXPECT_EQ(Status(late.Call(kInfo)), 200) << "still at its old address";
  reply = late.Call("<tds:SystemReboot/>");
  EXPECT_EQ(Status(reply), 200);
  EXPECT_FALSE(reply->Value(onvif::kNsDevice, "Message").empty());
  ASSERT_TRUE(BackFrom("LATE", 0));
  EXPECT_EQ(Snapshot("LATE").ip, "192.168.1.80");
  EXPECT_FALSE(late.Call(kInfo));
  late.SetAddress("192.168.1.80");
  EXPECT_EQ(Status(late.Call(kInfo)), 200);

  // Services and name servers are kept in the device's configuration.
  EXPECT_EQ(Status(cam.Call("<tds:SetNTP><tds:FromDHCP>false</tds:FromDHCP><tds:NTPManual>"
                            "<tt:Type>IPv4</tt:Type><tt:IPv4Address>10.1.0.5</tt:IPv4Address>"
                            "</tds:NTPManual><tds:NTPManual><tt:Type>DNS</tt:Type><tt:DNSname>"
                            "ntp.example</tt:DNSname></tds:NTPManual></tds:SetNTP>")),
            200);
  EXPECT_EQ(Status(cam.Call("<tds:SetDNS><tds:FromDHCP>false</tds:FromDHCP><tds:DNSManual>"
                            "<tt:Type>IPv4</tt:Type><tt:IPv4Address>10.1.0.53</tt:IPv4Address>"
                            "</tds:DNSManual></tds:SetDNS>")),
            200);
  EXPECT_EQ(Status(cam.Call("<tds:SetDNS><tds:FromDHCP>false</tds:FromDHCP><tds:DNSManual>"
                            "<tt:Type>IPv4</tt:Type><tt:IPv4Address>127.0.0.1</tt:IPv4Address>"
                            "</tds:DNSManual></tds:SetDNS>")),
            400);
  EXPECT_EQ(Status(cam.Call("<tds:SetNetworkProtocols><tds:NetworkProtocols><tt:Name>RTSP"
                            "</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>8554</tt:Port>"
                            "</tds:NetworkProtocols></tds:SetNetworkProtocols>")),
            200);
  EXPECT_EQ(Status(cam.Call("<tds:SetNetworkProtocols><tds:NetworkProtocols><tt:Name>FTP"
                            "</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>21</tt:Port>"
                            "</tds:NetworkProtocols></tds:SetNetworkProtocols>")),
            400);
  const auto configs = Snapshot("CAM").configs;
  EXPECT_EQ(configs.at(camsim::kOnvifSetNtp), "FromDHCP=false NTP=10.1.0.5,ntp.example");
  EXPECT_EQ(configs.at(camsim::kOnvifSetDns), "FromDHCP=false DNS=10.1.0.53");
  EXPECT_EQ(configs.at(camsim::kOnvifSetNetworkProtocols), "HTTP:1:80 HTTPS:0:443 RTSP:1:8554");
  reply = cam.Call("<tds:GetNetworkProtocols/>");
  ASSERT_EQ(Status(reply), 200);
  EXPECT_NE(reply->body.find("<tt:Name>RTSP</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>8554"),
            std::string::npos);
}

TEST_F(OnvifDeviceTest, AccountsRebootAndFactoryDefaults) {
  Start(
      Parse("device serial=CAM ip=192.168.1.64 factory_ip=192.168.1.123 "
            "factory_password=Factory1 reboot_ms=6000 restore_ms=1000\n"));
  OnvifCaller cam = Caller("192.168.1.64");
  const Credentials odd{Auth::kDigest, "admin", kOddPassword};
  auto setUser = [](const std::string& user, const std::string& password) {
    return "<tds:SetUser><tds:User><tt:Username>" + onvif::XmlEscape(user) +
           "</tt:Username><tt:Password>" + onvif::XmlEscape(password) +
           "</tt:Password><tt:UserLevel>Administrator</tt:UserLevel></tds:User></tds:SetUser>";
  };
  EXPECT_EQ(cam.Call(setUser("guest", "x"))->FaultSubcode(), "InvalidArgVal");
  EXPECT_EQ(cam.Call(setUser("admin", std::string(64, 'x')))->FaultSubcode(), "InvalidArgVal");
  ASSERT_EQ(Status(cam.Call(setUser("admin", kOddPassword))), 200);
  EXPECT_EQ(Snapshot("CAM").password, kOddPassword);
  EXPECT_EQ(Status(cam.Call(kInfo)), 401) << "the old password is gone";
  EXPECT_EQ(Status(cam.Call(kInfo, odd)), 200);
  EXPECT_EQ(Status(cam.Call(kInfo, {Auth::kToken, "admin", kOddPassword})), 200);

  auto reply = cam.Call("<tds:SystemReboot/>", odd);
  ASSERT_EQ(Status(reply), 200);
  EXPECT_EQ(reply->Get("connection"), "close");
  ASSERT_TRUE(WaitFor([&] { return !Snapshot("CAM").online; }));
  EXPECT_FALSE(cam.Call(kTime, {Auth::kNone})) << "away for its reboot";
  ASSERT_TRUE(BackFrom("CAM", 0));
  EXPECT_EQ(Status(cam.Call(kInfo, odd)), 200) << "a reboot keeps the account";

  // Soft keeps the network settings, Hard brings the factory address back; both the account.
  EXPECT_EQ(cam.Call("<tds:SetSystemFactoryDefault><tds:FactoryDefault>Warm</tds:FactoryDefault>"
                     "</tds:SetSystemFactoryDefault>",
                     odd)
                ->FaultSubcode(),
            "InvalidArgVal");
  ASSERT_EQ(Status(cam.Call("<tds:SetSystemFactoryDefault><tds:FactoryDefault>Soft"
                            "</tds:FactoryDefault></tds:SetSystemFactoryDefault>",
                            odd)),
            200);
  ASSERT_TRUE(BackFrom("CAM", 1));
  EXPECT_EQ(Snapshot("CAM").ip, "192.168.1.64");
  EXPECT_EQ(Snapshot("CAM").password, "Factory1");
  const Credentials factory{Auth::kDigest, "admin", "Factory1"};
  ASSERT_EQ(Status(cam.Call("<tds:SetSystemFactoryDefault><tds:FactoryDefault>Hard"
                            "</tds:FactoryDefault></tds:SetSystemFactoryDefault>",
                            factory)),
            200);
  ASSERT_TRUE(BackFrom("CAM", 2));
  EXPECT_EQ(Snapshot("CAM").ip, "192.168.1.123");
  cam.SetAddress("192.168.1.123");
  EXPECT_EQ(Status(cam.Call(kInfo, factory)), 200);
  const auto restores = Journal("CAM", camsim::kOnvifFactoryDefault);
  ASSERT_EQ(restores.size(), 3u);
  EXPECT_EQ(restores[1].text, "Soft");
  EXPECT_EQ(restores[2].text, "Hard");
  EXPECT_EQ(restores[2].kind, "SetSystemFactoryDefault");
}

TEST_F(OnvifDeviceTest, HttpUpgradeTakesTheImageThroughTheFirmwareCheck) {
  Start(
      Parse("defaults check_ms=200 upgrade_restart_ms=1000 rate_kib=0 type=IPC-R4B\n"
            "device serial=CAM ip=192.168.1.64\n"
            "device serial=NOUP ip=192.168.1.65 http_upgrade=0\n"
            "device serial=EAGER ip=192.168.1.66 reboot_before_status=1\n"
            "device serial=FAIL ip=192.168.1.67\n"
            "fault serial=FAIL kind=fail-transfer at=50\n"));
  const std::string host = "127.0.0.1:" + std::to_string(m_sim->Port());
  auto image = [](const std::string& version, const std::string& type) {
    const auto bytes = wire::BuildFirmware(version, type, std::vector<std::uint8_t>(200000, 7));
    return std::string(bytes.begin(), bytes.end());
  };
  auto start = [&](const std::string& ip) {
    const auto reply = Caller(ip).Call("<tds:StartFirmwareUpgrade/>");
    return reply ? reply->Value(onvif::kNsDevice, "UploadUri") : std::string();
  };
  auto path = [](const std::string& uri) {
    return uri.substr(std::min(uri.size(), uri.find("/onvif/")));
  };
  // On a connection of its own: a refused upload may end it.
  auto post = [&](const std::string& uri, const std::string& body,
                  const std::string& type = "application/octet-stream") {
    HttpClient client(m_sim->Port());
    client.Send(Post(path(uri), body, {"Expect: 100-continue"}, type));
    auto reply = client.Receive();
    if (reply && reply->status == 100) reply = client.Receive();
    return reply;
  };

  auto reply = Caller("192.168.1.64").Call("<tds:StartFirmwareUpgrade/>");
  ASSERT_EQ(Status(reply), 200);
  std::string uri = reply->Value(onvif::kNsDevice, "UploadUri");
  EXPECT_EQ(uri.rfind("http://" + host + "/onvif/192.168.1.64/firmware/", 0), 0u) << uri;
  EXPECT_EQ(reply->Value(onvif::kNsDevice, "UploadDelay"), "PT1S");
  EXPECT_EQ(reply->Value(onvif::kNsDevice, "ExpectedDownTime"), "PT1.200S");
  EXPECT_EQ(Status(post(uri, image("V9", ""), "multipart/form-data")), 415);
  reply = post(uri, image("V9", "IPC-R2M"));
  EXPECT_EQ(Status(reply), 415) << "a file for another type";
  EXPECT_EQ(Journal("CAM", camsim::kOnvifUploadChecked).back().text,
            "firmware for another device type");
  EXPECT_EQ(Status(post(uri, image("V9", ""))), 404) << "an upload address is used once";
  EXPECT_EQ(Snapshot("CAM").version, "V5.6.0 build 2026");

  reply = post(start("192.168.1.64"), image("V9.1 build 2027", ""));
  ASSERT_EQ(Status(reply), 200);
  EXPECT_EQ(reply->Get("connection"), "close") << "the device restarts";
  ASSERT_TRUE(BackFrom("CAM", 0));
  EXPECT_EQ(Snapshot("CAM").version, "V9.1 build 2027");
  EXPECT_EQ(Caller("192.168.1.64").Call(kInfo)->Value(onvif::kNsDevice, "FirmwareVersion"),
            "V9.1 build 2027");
  EXPECT_EQ(Journal("CAM", camsim::kOnvifUpload).back().text,
            "size=" + std::to_string(wire::kFirmwareHeaderSize + 200000));

  reply = Caller("192.168.1.65").Call("<tds:StartFirmwareUpgrade/>");
  EXPECT_EQ(Status(reply), 500);
  EXPECT_EQ(reply->FaultSubcode(), "ActionNotSupported");

  // This device takes the image and restarts before it answers the POST.
  HttpClient eager(m_sim->Port());
  eager.Send(Post(path(start("192.168.1.66")), image("V9.2", ""), {}, "application/octet-stream"));
  EXPECT_TRUE(eager.ClosedWithoutReply());
  ASSERT_TRUE(WaitFor([&] { return Snapshot("EAGER").version == "V9.2"; }));

  HttpClient failing(m_sim->Port());
  failing.Send(
      Post(path(start("192.168.1.67")), image("V9.3", ""), {}, "application/octet-stream"));
  reply = failing.Receive();
  EXPECT_EQ(Status(reply), 500);
  EXPECT_EQ(reply->Get("connection"), "close");
  EXPECT_TRUE(failing.ClosedWithoutReply());
  EXPECT_EQ(Journal("FAIL", camsim::kOnvifUpload).back().text.rfind("transfer abandoned at", 0),
            0u);
  EXPECT_EQ(Snapshot("FAIL").version, "V5.6.0 build 2026");
}

}  // namespace
