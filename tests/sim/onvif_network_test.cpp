// The ONVIF face as the network sees it: WS-Discovery on UDP, the HTTP server's bounds and
// refusals, and the scenario keys and command line that choose it.
#include <gtest/gtest.h>

#include <random>

#include "onvif_test_client.h"
#include "sim/command_line.h"
#include "sim/detail/private_network.h"
#include "sim/scenario.h"
#include "sim/simulator.h"

namespace {

using namespace onvif_test;
using camsim::Protocol;
using camsim::Simulator;

constexpr double kScale = 20;
// Long enough for every device's answer that is still coming.
constexpr auto kQuiet = std::chrono::milliseconds(600);

void Start(Simulator& sim) {
  sim.SetTimeScale(kScale);
  std::string error;
  ASSERT_TRUE(sim.Start("127.0.0.1:0", &error)) << error;
}

struct Match {
  std::string relatesTo, address, types, scopes, xaddrs;
};

Match ReadMatch(const std::string& datagram) {
  const auto document = onvif::ParseSoap(datagram, nullptr);
  EXPECT_TRUE(document) << datagram;
  if (!document) return {};
  const xmlNode* root = document->Root();
  return {onvif::Text(onvif::Find(root, onvif::kNsAddressing, "RelatesTo")),
          onvif::Text(onvif::Find(root, onvif::kNsAddressing, "Address")),
          onvif::Text(onvif::Find(root, onvif::kNsDiscovery, "Types")),
          onvif::Text(onvif::Find(root, onvif::kNsDiscovery, "Scopes")),
          onvif::Text(onvif::Find(root, onvif::kNsDiscovery, "XAddrs"))};
}

std::vector<Match> Matches(Prober& prober, std::size_t expected) {
  std::vector<Match> matches;
  // One more than expected is waited for, so that an extra answer is seen.
  for (const std::string& datagram : prober.Receive(expected + 1, kQuiet)) {
    matches.push_back(ReadMatch(datagram));
  }
  return matches;
}

TEST(OnvifDiscovery, ProbesAreAnsweredByTheMatchingDevicesEachAfterItsDelay) {
  Simulator sim(Parse("defaults search_ms=100\n"
                      "device serial=CAM-A ip=192.168.1.64 type=IPC-R4B\n"
                      "device serial=CAM-B ip=192.168.1.65 probe_types=device lan_xaddr=1 "
                      "search_ms=4000\n"
                      "device serial=NVR-C ip=192.168.1.20 type=NVR\n"),
                Protocol::kOnvif);
  Start(sim);
  const std::string loopback = "http://127.0.0.1:" + std::to_string(sim.Port());
  Prober prober(sim.Port());
  const double sent = sim.NowMs();
  prober.Probe("urn:uuid:probe-1");
  std::vector<std::string> datagrams = prober.Receive(3, kPatience);
  ASSERT_EQ(datagrams.size(), 3u) << "an empty Types matches every device";
  EXPECT_GE(sim.NowMs() - sent, 4000) << "the slow device answers after its search delay";
  const Match last = ReadMatch(datagrams[2]);
  EXPECT_NE(last.scopes.find("onvif://www.onvif.org/name/CAM-B"), std::string::npos)
      << "the slowest comes last";
  EXPECT_EQ(last.types, "tds:Device");
  EXPECT_EQ(last.xaddrs, "http://192.168.1.65/onvif/device_service " + loopback +
                             "/onvif/192.168.1.65/device_service");
  std::map<std::string, Match> bySerial;
  for (const std::string& datagram : datagrams) {
    const Match match = ReadMatch(datagram);
    EXPECT_EQ(match.relatesTo, "urn:uuid:probe-1");
    EXPECT_EQ(match.address.rfind("urn:uuid:", 0), 0u);
    EXPECT_EQ(match.address.size(), 9u + 36u);
    for (const char* serial : {"CAM-A", "CAM-B", "NVR-C"}) {
      if (match.scopes.find(std::string("/name/") + serial) != std::string::npos) {
        bySerial[serial] = match;
      }
    }
  }
  ASSERT_EQ(bySerial.size(), 3u);
  EXPECT_NE(bySerial["CAM-A"].address, bySerial["NVR-C"].address);
  EXPECT_EQ(bySerial["CAM-A"].types, "dn:NetworkVideoTransmitter tds:Device");
  EXPECT_EQ(bySerial["CAM-A"].xaddrs, loopback + "/onvif/192.168.1.64/device_service");
  EXPECT_NE(bySerial["CAM-A"].scopes.find("onvif://www.onvif.org/type/video_encoder"),
            std::string::npos);
  EXPECT_NE(bySerial["CAM-A"].scopes.find("onvif://www.onvif.org/hardware/IPC-R4B"),
            std::string::npos);
  EXPECT_EQ(bySerial["NVR-C"].types, "tds:Device") << "a recorder is no video transmitter";

  // Types are QNames of the probe's own prefixes, whatever it calls them.
  prober.Probe("urn:uuid:probe-2", "nvt:NetworkVideoTransmitter",
               " xmlns:nvt=\"http://www.onvif.org/ver10/network/wsdl\"");
  auto matches = Matches(prober, 1);
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].address, bySerial["CAM-A"].address) << "the endpoint UUID is stable";
  EXPECT_EQ(matches[0].relatesTo, "urn:uuid:probe-2");
  prober.Probe("urn:uuid:probe-3", "x:Device",
               " xmlns:x=\"http://www.onvif.org/ver10/device/wsdl\"");
  prober.Receive(3, kPatience);
  prober.Probe("urn:uuid:probe-4", "tds:Device nope:Device");
  EXPECT_EQ(Matches(prober, 0).size(), 0u) << "an undeclared prefix names no known type";
  prober.Probe("urn:uuid:probe-5", "", "", "onvif://www.onvif.org/name/CAM");
  EXPECT_EQ(Matches(prober, 0).size(), 0u) << "scopes match by whole segments";
  prober.Probe("urn:uuid:probe-6", "", "", "onvif://www.onvif.org/name/NVR-C");
  matches = Matches(prober, 1);
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].types, "tds:Device");
}

TEST(OnvifDiscovery, GarbageDatagramsAreIgnoredAndTheResponderLivesOn) {
  Simulator sim(Parse("device serial=CAM-A ip=192.168.1.64 search_ms=50\n"), Protocol::kOnvif);
  Start(sim);
  Prober prober(sim.Port());
  std::mt19937 random(7);
  std::vector<std::string> garbage;
  for (int i = 0; i < 10; ++i) {
    std::string bytes(1 + random() % 3000, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    garbage.push_back(bytes);
  }
  const std::string probeBody = "<d:Probe><d:Types>dn:NetworkVideoTransmitter</d:Types></d:Probe>";
  garbage.push_back("");
  garbage.push_back("<not-soap/>");
  garbage.push_back(onvif::Envelope("", probeBody));  // no MessageID to answer to
  garbage.push_back(                                  // a SOAP 1.1 envelope
      "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\" xmlns:d=\"" +
      std::string(onvif::kNsDiscovery) + "\"><e:Body><d:Probe/></e:Body></e:Envelope>");
  garbage.push_back("<!DOCTYPE x [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>" +
                    onvif::Envelope("<wsa:MessageID>&b;</wsa:MessageID>", probeBody));
  std::string deep = probeBody;
  for (int i = 0; i < 100; ++i) deep = "<d:Scopes>" + deep + "</d:Scopes>";
  garbage.push_back(onvif::Envelope("<wsa:MessageID>urn:uuid:deep</wsa:MessageID>", deep));
  garbage.push_back(std::string(60000, '<'));
  garbage.push_back(onvif::Envelope("<wsa:MessageID>urn:uuid:match</wsa:MessageID>",
                                    "<d:ProbeMatches/>"));  // a device's message, not a probe
  for (const std::string& datagram : garbage) prober.SendRaw(datagram);

  prober.Probe("urn:uuid:after-garbage");
  const auto matches = Matches(prober, 1);
  ASSERT_EQ(matches.size(), 1u) << "nothing but the valid probe is answered";
  EXPECT_EQ(matches[0].relatesTo, "urn:uuid:after-garbage");
}

TEST(OnvifHttp, KeepsConnectionsAliveAndAnswersInOrder) {
  Simulator sim(Parse("device serial=CAM-A ip=192.168.1.64\n"), Protocol::kOnvif);
  Start(sim);
  const std::string target = "/onvif/192.168.1.64/device_service";
  const std::string time = Post(target, onvif::Envelope("", "<tds:GetSystemDateAndTime/>"));
  HttpClient client(sim.Port());
  client.Send(time + Post(target, onvif::Envelope("", "<tds:GetDeviceInformation/>")));
  const auto first = client.Receive();
  const auto second = client.Receive();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->status, 200);
  EXPECT_EQ(first->Get("content-type"), "application/soap+xml; charset=utf-8");
  EXPECT_FALSE(first->Value(onvif::kNsSchema, "Year").empty()) << first->body;
  EXPECT_EQ(second->status, 401) << "only the time is open";
  client.Send(time);
  const auto third = client.Receive();
  ASSERT_TRUE(third) << "the connection stays open after a refusal";
  EXPECT_EQ(third->status, 200);

  // Known device, wrong service, wrong method, not SOAP: answered, and the connection lives on.
  client.Send("GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n");
  auto reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 405);
  client.Send(Post("/onvif/192.168.1.64/ptz_service", ""));
  reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 404);
  // A request without a body is how digest clients ask for the challenge.
  client.Send(Post(target, ""));
  reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 401);
  EXPECT_FALSE(reply->All("www-authenticate").empty());
  client.Send(Post(target, "<unclosed"));
  reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 400);
  EXPECT_EQ(reply->FaultSubcode(), "WellFormed");
  client.Send(time);
  EXPECT_TRUE(client.Receive());
}

TEST(OnvifHttp, MalformedOversizedStalledAndUnroutedRequestsEndTheConnection) {
  Simulator sim(Parse("device serial=CAM-A ip=192.168.1.64\n"), Protocol::kOnvif);
  Start(sim);
  const std::string head = "POST /onvif/192.168.1.64/device_service HTTP/1.1\r\n";
  const std::pair<std::string, int> refused[] = {
      {"GARBAGE\r\n\r\n", 400},
      {"GET /onvif/192.168.1.64/device_service HTTP/1.1\nHost: x\n\n", 400},
      {head + "Content-Length: 12x\r\n\r\n", 400},
      {head + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nhello", 400},
      {head + " Folded: header\r\n\r\n", 400},
      {"POST /onvif/192.168.1.64/device_service HTTP/2.0\r\n\r\n", 505},
      {head + "X-Padding: " + std::string(17 * 1024, 'a') + "\r\n\r\n", 413},
      {head + std::string(17 * 1024, 'b'), 413},  // a head that never ends
      {head + "Content-Length: 1048577\r\n\r\n", 413},
      {head + "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 501},
  };
  for (const auto& [request, status] : refused) {
    HttpClient client(sim.Port());
    client.Send(request);
    const auto reply = client.Receive();
    ASSERT_TRUE(reply) << request.substr(0, 80);
    EXPECT_EQ(reply->status, status) << request.substr(0, 80);
    EXPECT_EQ(reply->Get("connection"), "close");
    EXPECT_TRUE(client.ClosedWithoutReply()) << request.substr(0, 80);
  }
  // Nobody at the address, or no device named: as with a camera that is not there.
  for (const std::string target : {"/onvif/192.168.1.99/device_service", "/index.html",
                                   "/onvif/192.168.1.64", "/onvif/not-an-ip/device_service"}) {
    HttpClient client(sim.Port());
    client.Send(Post(target, onvif::Envelope("", "<tds:GetSystemDateAndTime/>")));
    EXPECT_TRUE(client.ClosedWithoutReply()) << target;
  }
  // A request that stops halfway is given up after the time-out of the simulator's clock.
  sim.SetTimeScale(1000);
  HttpClient stalled(sim.Port());
  stalled.Send(head + "Content-Length: 100\r\n\r\n<s:Envelope");
  EXPECT_TRUE(stalled.ClosedWithoutReply());
  HttpClient stalledHead(sim.Port());
  stalledHead.Send("POST /onvif/192.168.1.64/dev");
  EXPECT_TRUE(stalledHead.ClosedWithoutReply());
  sim.SetTimeScale(kScale);
  HttpClient after(sim.Port());
  after.Send(Post("/onvif/192.168.1.64/device_service",
                  onvif::Envelope("", "<tds:GetSystemDateAndTime/>")));
  EXPECT_TRUE(after.Receive()) << "others are served on";
}

TEST(OnvifScenario, KeysAreReadOnDeviceDefaultsAndFleetLinesAndChecked) {
  const camsim::Scenario scenario = Parse(
      "defaults onvif_auth=token digest=sha256 clock_skew_s=-3600 lockout=3\n"
      "device serial=A ip=192.168.1.5 time_zone=CST-8 utc_is_local=1 time_needs_login=1 "
      "reboot_needed=1 service_host=lan lan_xaddr=1 probe_types=transmitter media2=0 "
      "http_upgrade=0 reboot_before_status=1\n"
      "device serial=B ip=192.168.1.6 onvif_auth=both digest=md5 service_host=10.0.0.9:8080 "
      "rtsp_redirect=127.0.0.1:8554 nonce_ttl_s=30 stale_flag=0 user_level=operator "
      "upload_auth=digest utc_field=0 daylight_savings=0 relates_to=other interfaces=dhcp "
      "services_error=404 upload_delay=P0Y0M0DT0H0M2S "
      "xaddrs=http://169.254.1.1/onvif/device_service,self rtsp_auth=basic main_codec=h265\n"
      "fleet count=2 nvr=0 onvif_auth=digest probe_types=device rtsp_auth=sha256\n");
  ASSERT_EQ(scenario.devices.size(), 4u);
  using Auth = camsim::OnvifSettings::Auth;
  using Types = camsim::OnvifSettings::Types;
  const camsim::OnvifSettings& a = scenario.devices[0].onvif;
  EXPECT_EQ(a.auth, Auth::kToken);
  EXPECT_TRUE(a.digestSha256 && !a.digestMd5);
  EXPECT_EQ(a.clockSkewS, -3600);
  EXPECT_EQ(a.lockout, 3);
  EXPECT_EQ(a.timeZone, "CST-8");
  EXPECT_TRUE(a.utcIsLocal && a.timeNeedsLogin && a.rebootNeeded && a.lanXAddr &&
              a.rebootBeforeStatus);
  EXPECT_FALSE(a.media2 || a.httpUpgrade);
  EXPECT_EQ(a.serviceHost, "lan");
  EXPECT_EQ(a.types, Types::kTransmitter);
  const camsim::OnvifSettings& b = scenario.devices[1].onvif;
  EXPECT_EQ(b.auth, Auth::kBoth);
  EXPECT_TRUE(b.digestMd5 && !b.digestSha256);
  EXPECT_EQ(b.serviceHost, "10.0.0.9:8080");
  EXPECT_EQ(b.rtspRedirect, "127.0.0.1:8554");
  EXPECT_EQ(a.rtspRedirect, "");
  using RtspAuth = camsim::OnvifSettings::RtspAuth;
  EXPECT_EQ(a.rtspAuth, RtspAuth::kMd5);
  EXPECT_EQ(b.rtspAuth, RtspAuth::kBasic);
  EXPECT_EQ(a.mainCodec, camsim::OnvifSettings::Codec::kH264);
  EXPECT_EQ(b.mainCodec, camsim::OnvifSettings::Codec::kH265);
  EXPECT_TRUE(b.media2 && b.httpUpgrade) << "defaults of a well-behaved camera";
  EXPECT_EQ(b.nonceTtlS, 30);
  EXPECT_EQ(b.userLevel, camsim::OnvifSettings::UserLevel::kOperator);
  EXPECT_EQ(b.interfaces, camsim::OnvifSettings::Interfaces::kDhcp);
  EXPECT_EQ(b.servicesError, 404);
  EXPECT_EQ(b.uploadDelay, "P0Y0M0DT0H0M2S");
  EXPECT_TRUE(b.uploadDigest && b.relatesToOther);
  EXPECT_FALSE(b.staleFlag || b.utcField || b.daylightSavings);
  EXPECT_EQ(b.xaddrs,
            (std::vector<std::string>{"http://169.254.1.1/onvif/device_service", "self"}));
  EXPECT_TRUE(a.staleFlag && a.utcField && a.daylightSavings && !a.uploadDigest && a.xaddrs.empty())
      << "defaults of a well-behaved camera";
  for (std::size_t i = 2; i < 4; ++i) {
    EXPECT_EQ(scenario.devices[i].onvif.auth, Auth::kDigest);
    EXPECT_EQ(scenario.devices[i].onvif.types, Types::kDevice);
    EXPECT_EQ(scenario.devices[i].onvif.lockout, 3) << "fleet devices take the defaults too";
    EXPECT_EQ(scenario.devices[i].onvif.rtspAuth, RtspAuth::kSha256);
  }

  const std::pair<const char*, const char*> errors[] = {
      {"device serial=A ip=1.2.3.4 onvif_auth=basic",
       "t:1: onvif_auth: 'basic' is not one of digest, token, both"},
      {"device serial=A ip=1.2.3.4 digest=sha1",
       "t:1: digest: 'sha1' is not one of md5, sha256, both"},
      {"device serial=A ip=1.2.3.4 clock_skew_s=1e9",
       "t:1: clock_skew_s: '1e9' is not a number from -316224000 to 316224000"},
      {"device serial=A ip=1.2.3.4 time_zone=CET-1CEST,M3.5.0",
       "t:1: time_zone: 'CET-1CEST,M3.5.0' is not a POSIX time zone such as UTC0, CST-8 or "
       "CET-1CEST,M3.5.0,M10.5.0/3"},
      {"device serial=A ip=1.2.3.4 xaddrs=ftp://x/,self",
       "t:1: xaddrs: 'ftp://x/' is not self or an http:// address"},
      {"device serial=A ip=1.2.3.4 user_level=root",
       "t:1: user_level: 'root' is not one of administrator, operator, user"},
      {"device serial=A ip=1.2.3.4 service_host=\"a b\"",
       "t:1: service_host: 'a b' is not lan or HOST[:PORT]"},
      {"device serial=A ip=1.2.3.4 service_host=host:0",
       "t:1: service_host: 'host:0' is not lan or HOST[:PORT]"},
      {"device serial=A ip=1.2.3.4 rtsp_redirect=host",
       "t:1: rtsp_redirect: 'host' is not HOST:PORT"},
      {"device serial=A ip=1.2.3.4 rtsp_auth=sha1",
       "t:1: rtsp_auth: 'sha1' is not one of md5, sha256, both, basic"},
      {"device serial=A ip=1.2.3.4 main_codec=vp8",
       "t:1: main_codec: 'vp8' is not one of h264, h265, mpeg4"},
      {"fleet count=1 password=x",
       "t:1: unknown key 'password' for fleet (expected count, nvr or an ONVIF key)"},
  };
  for (const auto& [text, expected] : errors) {
    camsim::Scenario ignored;
    std::string error;
    EXPECT_FALSE(camsim::ParseScenario(text, "t", &ignored, &error)) << text;
    EXPECT_EQ(error, expected);
  }
}

TEST(OnvifPrivateLan, ARealAddressIsServedOnlyInsideANetworkNamespaceOfItsOwn) {
  if (camsim::detail::InPrivateNetworkNamespace()) GTEST_SKIP() << "runs in the machine's network";
  for (const camsim::Protocol protocol : {camsim::Protocol::kOnvif, camsim::Protocol::kFramed}) {
    camsim::Simulator sim(camsim::Scenario{}, protocol);
    std::string error;
    EXPECT_FALSE(sim.StartOnPrivateLan("10.77.0.2:0", &error));
    EXPECT_NE(error.find("network namespace"), std::string::npos) << error;
    EXPECT_FALSE(sim.Start("10.77.0.2:0", &error)) << "loopback only, as ever";
  }
}

TEST(OnvifCommandLine, OnvifChoosesTheOnvifFace) {
  camsim::CommandLine line;
  std::string error;
  ASSERT_TRUE(
      camsim::ParseCommandLine({"--count", "2", "--onvif", "--time-scale", "5"}, &line, &error))
      << error;
  EXPECT_EQ(line.serve.protocol, Protocol::kOnvif);
  EXPECT_EQ(line.serve.count, 2);
  ASSERT_TRUE(camsim::ParseCommandLine({}, &line, &error));
  EXPECT_EQ(line.serve.protocol, Protocol::kFramed);
  EXPECT_NE(camsim::Usage().find("[--onvif]"), std::string::npos);
}

}  // namespace
