// The ONVIF face as a widely used client meets it: the sequence such a client walks to connect,
// find the stream, read the device and set its clock, followed through the addresses the device
// hands out; and the snapshot behind GetSnapshotUri, fetched with a digest login and decoded.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "onvif_settings_fixture.h"
#include "sim/detail/preview_clip.h"
#include "sim/onvif_codes.h"

namespace {

using namespace onvif_test;
using onvif::kNsDevice;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::kNsSchema;

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// The picture of a JPEG, decoded by FFmpeg; null when it is not one.
FramePtr DecodeJpeg(const std::string& jpeg) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
  std::unique_ptr<AVCodecContext, CodecContextFree> context(avcodec_alloc_context3(codec));
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  if (!context || !packet || !frame || avcodec_open2(context.get(), codec, nullptr) < 0) {
    return nullptr;
  }
  packet->data = reinterpret_cast<std::uint8_t*>(const_cast<char*>(jpeg.data()));
  packet->size = static_cast<int>(jpeg.size());
  if (avcodec_send_packet(context.get(), packet.get()) < 0 ||
      avcodec_receive_frame(context.get(), frame.get()) < 0) {
    return nullptr;
  }
  return frame;
}

// How far the decoded picture's brightness is from the clip's picture index of a device, on
// average per pixel.
double LumaDistance(const AVFrame& picture, const std::string& serial, const std::string& address,
                    int index) {
  FramePtr clip(av_frame_alloc());
  clip->format = AV_PIX_FMT_YUV420P;
  clip->width = picture.width;
  clip->height = picture.height;
  if (av_frame_get_buffer(clip.get(), 0) < 0) return std::numeric_limits<double>::max();
  camsim::detail::DrawClipPicture(clip.get(), index, serial, address);
  double sum = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      sum += std::abs(picture.data[0][y * picture.linesize[0] + x] -
                      clip->data[0][y * clip->linesize[0] + x]);
    }
  }
  return sum / (picture.width * picture.height);
}

double NearestClipPicture(const AVFrame& picture, const std::string& serial,
                          const std::string& address) {
  double nearest = std::numeric_limits<double>::max();
  for (int index = 0; index < camsim::detail::kClipFrames; ++index) {
    nearest = std::min(nearest, LumaDistance(picture, serial, address, index));
  }
  return nearest;
}

// A GET with an HTTP digest login, as a client fetches a snapshot: the challenge first, then the
// answer to it. Returns the answer to the request with credentials.
std::optional<HttpReply> DigestGet(std::uint16_t port, const std::string& target,
                                   const std::string& password = "Admin123",
                                   std::optional<HttpReply>* challenge = nullptr) {
  HttpClient client(port);
  client.Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  auto first = client.Receive();
  if (challenge != nullptr) *challenge = first;
  if (!first || first->status != 401) return first;
  std::string offered;
  for (const std::string& value : first->All("www-authenticate")) {
    offered += (offered.empty() ? "" : ", ") + value;
  }
  const auto parsed = onvif::ParseDigestChallenge(offered);
  if (!parsed) return std::nullopt;
  const auto authorization =
      onvif::DigestAuthorization(*parsed, {"GET", target, "admin", password, 1, "5ca1ab1e"});
  if (!authorization) return std::nullopt;
  client.Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: " + *authorization +
              "\r\n\r\n");
  return client.Receive();
}

std::int64_t UtcSeconds(const HttpReply& reply) {
  const auto document = reply.Soap();
  const xmlNode* utc = onvif::Find(document->Root(), kNsSchema, "UTCDateTime");
  auto field = [&](const char* name) {
    return std::atoi(onvif::Text(onvif::Find(utc, kNsSchema, name)).c_str());
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

TEST_F(OnvifSettingsTest, ACommonClientConnectsFindsTheStreamReadsTheDeviceAndSetsTheClock) {
  Start("device serial=CLIENT01 ip=192.168.1.64 type=IPC-R2M clock_skew_s=-3600\n");
  const std::string ip = "192.168.1.64";
  const std::string base = "http://127.0.0.1:" + std::to_string(m_sim->Port()) + "/onvif/" + ip;
  OnvifCaller client(m_sim->Port(), ip);
  // Such clients log in with a WS-Security token once they know the device's clock.
  const Credentials token{Auth::kToken, "admin", "Admin123", -3600};
  // The service a device-given address names; it must lie on the simulator's own address.
  auto serviceOf = [&](const std::string& xaddr) {
    EXPECT_EQ(xaddr.substr(0, base.size() + 1), base + "/") << xaddr;
    return xaddr.substr(xaddr.rfind('/') + 1);
  };

  // Connect: the clock without credentials, then the capabilities and the services.
  auto reply = client.Call("<tds:GetSystemDateAndTime/>", {Auth::kNone});
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->status, 200) << reply->body;
  const std::int64_t hostNow = std::time(nullptr);
  EXPECT_NEAR(static_cast<double>(UtcSeconds(*reply)), static_cast<double>(hostNow - 3600), 60);
  reply = client.Call("<tds:GetCapabilities><tds:Category>All</tds:Category></tds:GetCapabilities>",
                      token);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->status, 200) << reply->body;
  std::map<std::string, std::string> services;
  {
    const auto document = reply->Soap();
    const xmlNode* capabilities = onvif::Find(document->Root(), kNsDevice, "Capabilities");
    for (const char* name : {"Analytics", "Device", "Events", "Imaging", "Media"}) {
      services[name] = serviceOf(onvif::Text(
          onvif::Child(onvif::Child(capabilities, kNsSchema, name), kNsSchema, "XAddr")));
    }
  }
  reply = client.Call(
      "<tds:GetServices><tds:IncludeCapability>true</tds:IncludeCapability></tds:GetServices>",
      token);
  ASSERT_TRUE(reply);
  const auto xaddrs = reply->Values(kNsDevice, "XAddr");
  ASSERT_EQ(xaddrs.size(), 6u);
  for (const std::string& xaddr : xaddrs) serviceOf(xaddr);
  EXPECT_EQ(reply->AttributeOf(kNsMedia, "Capabilities", "SnapshotUri"), "true");
  reply = client.Call("<tds:GetServiceCapabilities/>", token);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->AttributeOf(kNsDevice, "Security", "HttpDigest"), "true");
  const std::string media = services["Media"];
  EXPECT_EQ(media, "media_service");

  // The video source and the profiles on it.
  reply = client.Call("<trt:GetVideoSources/>", token, media);
  ASSERT_TRUE(reply);
  const std::string source = reply->AttributeOf(kNsMedia, "VideoSources", "token");
  EXPECT_EQ(source, "video_source");
  EXPECT_EQ(reply->Value(kNsSchema, "Framerate"), "25");
  reply = client.Call("<trt:GetProfiles/>", token, media);
  ASSERT_TRUE(reply);
  std::vector<std::string> profiles;
  {
    const auto document = reply->Soap();
    for (const xmlNode* profile : onvif::FindAll(document->Root(), kNsMedia, "Profiles")) {
      profiles.push_back(onvif::Attribute(profile, "token"));
      const xmlNode* sourceConfiguration =
          onvif::Child(profile, kNsSchema, "VideoSourceConfiguration");
      EXPECT_EQ(onvif::Text(onvif::Child(sourceConfiguration, kNsSchema, "SourceToken")), source);
      EXPECT_NE(onvif::Child(profile, kNsSchema, "VideoEncoderConfiguration"), nullptr);
    }
  }
  EXPECT_EQ(profiles, (std::vector<std::string>{"main", "sub"}));

  // The stream of each profile, on the simulator's RTSP port.
  for (const std::string& profile : profiles) {
    reply = client.Call(
        "<trt:GetStreamUri><trt:StreamSetup><tt:Stream>RTP-Unicast</tt:Stream>"
        "<tt:Transport><tt:Protocol>RTSP</tt:Protocol></tt:Transport>"
        "</trt:StreamSetup><trt:ProfileToken>" +
            profile + "</trt:ProfileToken></trt:GetStreamUri>",
        token, media);
    ASSERT_TRUE(reply);
    EXPECT_EQ(
        reply->Value(kNsSchema, "Uri"),
        "rtsp://127.0.0.1:" + std::to_string(m_sim->RtspPort()) + "/onvif/" + ip + "/" + profile);
  }

  // The device's information, then its clock set and read back.
  reply = client.Call("<tds:GetDeviceInformation/>", token);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->Value(kNsDevice, "SerialNumber"), "CLIENT01");
  EXPECT_EQ(reply->Value(kNsDevice, "Model"), "IPC-R2M");
  reply = client.Call(
      "<tds:SetSystemDateAndTime><tds:DateTimeType>Manual</tds:DateTimeType>"
      "<tds:DaylightSavings>false</tds:DaylightSavings><tds:TimeZone><tt:TZ>UTC0</tt:TZ>"
      "</tds:TimeZone><tds:UTCDateTime><tt:Date><tt:Year>2030</tt:Year><tt:Month>6</tt:Month>"
      "<tt:Day>15</tt:Day></tt:Date><tt:Time><tt:Hour>12</tt:Hour><tt:Minute>0</tt:Minute>"
      "<tt:Second>0</tt:Second></tt:Time></tds:UTCDateTime></tds:SetSystemDateAndTime>",
      token);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200) << reply->body;
  // The token's clock now follows the device's new one.
  const std::int64_t set = 1907755200;  // 2030-06-15T12:00:00Z
  ASSERT_TRUE(WaitFor([&] {
    const auto now = client.Call("<tds:GetSystemDateAndTime/>", {Auth::kNone});
    return now && std::llabs(UtcSeconds(*now) - set) < 60;
  }));
  reply = client.Call("<tds:GetDeviceInformation/>",
                      {Auth::kToken, "admin", "Admin123", set - std::time(nullptr)});
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_EQ(Journal("CLIENT01", camsim::kOnvifSetDateTime).size(), 1u);
}

TEST_F(OnvifSettingsTest, SnapshotsAreJpegsOfTheProfilesClipsBehindADigestLogin) {
  Start(
      "device serial=SNAP01 ip=192.168.1.64\n"
      "device serial=SNAP02 ip=192.168.1.65 onvif_auth=token\n");
  const std::string ip = "192.168.1.64";
  const std::string base = "http://127.0.0.1:" + std::to_string(m_sim->Port());

  HttpReply reply = Call(ip, "media_service",
                         "<trt:GetSnapshotUri><trt:ProfileToken>main</trt:ProfileToken>"
                         "</trt:GetSnapshotUri>");
  const std::string mainUri = reply.Value(kNsSchema, "Uri");
  EXPECT_EQ(mainUri, base + "/onvif/" + ip + "/snapshot/main");
  reply = Call(ip, "media2_service",
               "<tr2:GetSnapshotUri><tr2:ProfileToken>sub</tr2:ProfileToken>"
               "</tr2:GetSnapshotUri>");
  const std::string subUri = reply.Value(kNsMedia2, "Uri");
  EXPECT_EQ(subUri, base + "/onvif/" + ip + "/snapshot/sub");
  EXPECT_EQ(Call(ip, "media2_service",
                 "<tr2:GetSnapshotUri><tr2:ProfileToken>third</tr2:ProfileToken>"
                 "</tr2:GetSnapshotUri>")
                .FaultSubcode(),
            "InvalidArgVal");

  // Each profile's picture at its clip's size, the device's own picture and no other's.
  for (const auto& [uri, width, height] :
       {std::tuple{mainUri, camsim::detail::kClipWidth, camsim::detail::kClipHeight},
        std::tuple{subUri, camsim::detail::kSubClipWidth, camsim::detail::kSubClipHeight}}) {
    SCOPED_TRACE(uri);
    std::optional<HttpReply> challenge;
    const auto snapshot = DigestGet(m_sim->Port(), uri.substr(base.size()), "Admin123", &challenge);
    ASSERT_TRUE(challenge);
    EXPECT_EQ(challenge->status, 401) << "no picture without a login";
    ASSERT_TRUE(snapshot);
    ASSERT_EQ(snapshot->status, 200) << snapshot->body;
    EXPECT_EQ(snapshot->Get("content-type"), "image/jpeg");
    const FramePtr picture = DecodeJpeg(snapshot->body);
    ASSERT_TRUE(picture) << "not a JPEG";
    EXPECT_EQ(picture->width, width);
    EXPECT_EQ(picture->height, height);
    const double own = NearestClipPicture(*picture, "SNAP01", ip);
    EXPECT_LT(own, 3.0);
    EXPECT_GT(NearestClipPicture(*picture, "OTHER99", "192.168.1.99"), own + 3.0);
  }

  // A device whose services take tokens only still guards its pictures with a digest.
  const auto tokenOnly = DigestGet(m_sim->Port(), "/onvif/192.168.1.65/snapshot/main");
  ASSERT_TRUE(tokenOnly);
  EXPECT_EQ(tokenOnly->status, 200);
  EXPECT_TRUE(DecodeJpeg(tokenOnly->body));

  // A wrong password, a profile that is not there, and a method a picture does not take.
  const auto wrong = DigestGet(m_sim->Port(), mainUri.substr(base.size()), "Admin124");
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 401);
  const auto missing = DigestGet(m_sim->Port(), "/onvif/" + ip + "/snapshot/third");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  HttpClient post(m_sim->Port());
  post.Send(Post(mainUri.substr(base.size()), ""));
  const auto refused = post.Receive();
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 405);
  const auto journal = Journal("SNAP01", camsim::kOnvifSnapshot);
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0].text, "main 320x180");
  EXPECT_EQ(journal[1].text, "sub 160x90");
}

TEST_F(OnvifSettingsTest, TheDeviceServiceReportsScopesServersAccountsAndStorage) {
  Start(
      "device serial=INFO01 ip=192.168.1.64 type=IPC-R4B sd1=30436 usb=7600\n"
      "device serial=BARE01 ip=192.168.1.65 user_level=operator\n");
  const std::string ip = "192.168.1.64";
  HttpReply reply = Call(ip, "device_service", "<tds:GetScopes/>");
  const auto scopes = reply.Values(kNsSchema, "ScopeItem");
  EXPECT_NE(std::find(scopes.begin(), scopes.end(), "onvif://www.onvif.org/hardware/IPC-R4B"),
            scopes.end());
  EXPECT_NE(std::find(scopes.begin(), scopes.end(), "onvif://www.onvif.org/name/INFO01"),
            scopes.end());
  EXPECT_EQ(Call(ip, "device_service", "<tds:GetHostname/>").Value(kNsSchema, "Name"),
            "cam-info01");

  // What SetNTP and SetDNS stored is what GetNTP and GetDNS answer.
  EXPECT_EQ(Call(ip, "device_service", "<tds:GetNTP/>").Values(kNsSchema, "NTPManual").size(), 0u);
  EXPECT_EQ(
      Call(ip, "device_service",
           "<tds:SetNTP><tds:FromDHCP>false</tds:FromDHCP><tds:NTPManual><tt:Type>IPv4"
           "</tt:Type><tt:IPv4Address>10.1.0.5</tt:IPv4Address></tds:NTPManual><tds:NTPManual>"
           "<tt:Type>DNS</tt:Type><tt:DNSname>ntp.example</tt:DNSname></tds:NTPManual>"
           "</tds:SetNTP>")
          .status,
      200);
  reply = Call(ip, "device_service", "<tds:GetNTP/>");
  EXPECT_EQ(reply.Value(kNsSchema, "FromDHCP"), "false");
  EXPECT_EQ(reply.Values(kNsSchema, "IPv4Address"), std::vector<std::string>{"10.1.0.5"});
  EXPECT_EQ(reply.Values(kNsSchema, "DNSname"), std::vector<std::string>{"ntp.example"});
  EXPECT_EQ(Call(ip, "device_service",
                 "<tds:SetDNS><tds:FromDHCP>false</tds:FromDHCP><tds:SearchDomain>lan.example"
                 "</tds:SearchDomain><tds:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>"
                 "10.1.0.53</tt:IPv4Address></tds:DNSManual></tds:SetDNS>")
                .status,
            200);
  reply = Call(ip, "device_service", "<tds:GetDNS/>");
  EXPECT_EQ(reply.Values(kNsSchema, "SearchDomain"), std::vector<std::string>{"lan.example"});
  EXPECT_EQ(reply.Values(kNsSchema, "IPv4Address"), std::vector<std::string>{"10.1.0.53"});

  // The account with its level, never its password.
  reply = Call(ip, "device_service", "<tds:GetUsers/>");
  EXPECT_EQ(reply.Value(kNsSchema, "Username") + " " + reply.Value(kNsSchema, "UserLevel"),
            "admin Administrator");
  EXPECT_EQ(reply.body.find("Admin123"), std::string::npos);
  reply = Call("192.168.1.65", "device_service", "<tds:GetUsers/>");
  EXPECT_EQ(reply.Value(kNsSchema, "Username") + " " + reply.Value(kNsSchema, "UserLevel"),
            "admin Operator");
  EXPECT_EQ(reply.body.find("Admin123"), std::string::npos);

  // One storage configuration for each medium present, under the storage query's code.
  reply = Call(ip, "device_service", "<tds:GetStorageConfigurations/>");
  std::vector<std::string> media;
  {
    const auto document = reply.Soap();
    for (const xmlNode* storage :
         onvif::FindAll(document->Root(), kNsDevice, "StorageConfigurations")) {
      media.push_back(onvif::Attribute(storage, "token") + " " +
                      onvif::Attribute(onvif::Child(storage, kNsDevice, "Data"), "type") + " " +
                      onvif::Text(onvif::Find(storage, kNsDevice, "LocalPath")));
    }
  }
  EXPECT_EQ(media,
            (std::vector<std::string>{"SD1 LocalStorage /mnt/sd1", "USB LocalStorage /mnt/usb"}));
  EXPECT_EQ(Journal("INFO01", camsim::kOnvifGetStorage).size(), 1u);
  reply = Call("192.168.1.65", "device_service", "<tds:GetStorageConfigurations/>");
  EXPECT_EQ(reply.status, 200);
  EXPECT_TRUE(reply.Values(kNsDevice, "StorageConfigurations").empty());
}

TEST_F(OnvifSettingsTest, AFactoryRestoreBringsTheModelsSettingsBack) {
  Start("device serial=RST01 ip=192.168.1.64 restore_ms=2000\n");
  const std::string ip = "192.168.1.64";
  const std::string start = Media2EncoderNow(ip, "video_encoder_main");
  ASSERT_EQ(
      Call(ip, "media2_service",
           "<tr2:SetVideoEncoderConfiguration><tr2:Configuration token=\"video_encoder_main\" "
           "GovLength=\"25\" Profile=\"High\"><tt:Name>m</tt:Name><tt:UseCount>1</tt:UseCount>"
           "<tt:Encoding>H264</tt:Encoding><tt:Resolution><tt:Width>640</tt:Width><tt:Height>"
           "480</tt:Height></tt:Resolution><tt:RateControl><tt:FrameRateLimit>5"
           "</tt:FrameRateLimit><tt:BitrateLimit>512</tt:BitrateLimit></tt:RateControl>"
           "<tt:Quality>5</tt:Quality></tr2:Configuration></tr2:SetVideoEncoderConfiguration>")
          .status,
      200);
  ASSERT_NE(Media2EncoderNow(ip, "video_encoder_main"), start);
  const int restarts = m_sim->Device("RST01")->restarts;
  OnvifCaller restore(m_sim->Port(), ip);
  const auto answer = restore.Call(
      "<tds:SetSystemFactoryDefault><tds:FactoryDefault>Soft</tds:FactoryDefault>"
      "</tds:SetSystemFactoryDefault>");
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->status, 200);
  ASSERT_TRUE(WaitFor([&] {
    const auto snapshot = m_sim->Device("RST01");
    return snapshot && snapshot->online && snapshot->restarts > restarts;
  }));
  m_callers.clear();
  EXPECT_EQ(Media2EncoderNow(ip, "video_encoder_main"), start);
}

}  // namespace
