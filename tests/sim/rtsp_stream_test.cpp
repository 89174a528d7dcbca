// The ONVIF face's RTSP streams: played by FFmpeg's own RTSP client as a preview would play them,
// and taken apart by a raw client for the logins, refusals and packets a real client hides.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <asio.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "onvif/http_digest.h"
#include "onvif_test_client.h"
#include "rtsp_test_client.h"
#include "sim/onvif_codes.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "wire/codes.h"

namespace {

using namespace rtsp_test;
using namespace onvif_test;
using camsim::Protocol;

TEST_F(RtspStreamTest, FfmpegPlaysTheDevicesPicturesAndSoundWithItsOddPassword) {
  camsim::Scenario scenario = Parse("device serial=CAM ip=192.168.1.64 audio=1\n");
  scenario.devices[0].password = kOddPassword;
  Start(std::move(scenario));
  // The address the media service hands out, asked with the same account.
  auto reply = OnvifCaller(m_sim->Port(), "192.168.1.64")
                   .Call(
                       "<trt:GetStreamUri><trt:StreamSetup><tt:Stream>RTP-Unicast</tt:Stream>"
                       "<tt:Transport><tt:Protocol>RTSP</tt:Protocol></tt:Transport>"
                       "</trt:StreamSetup><trt:ProfileToken>main</trt:ProfileToken>"
                       "</trt:GetStreamUri>",
                       {Auth::kDigest, "admin", kOddPassword}, "media_service");
  ASSERT_TRUE(reply && reply->status == 200);
  const std::string uri = reply->Value(onvif::kNsSchema, "Uri");
  ASSERT_EQ(uri, Url("192.168.1.64"));

  avformat_network_init();
  AVDictionary* options = nullptr;
  av_dict_set(&options, "rtsp_transport", "tcp", 0);
  av_dict_set(&options, "timeout", "10000000", 0);
  const std::string address =
      "rtsp://admin:" + PercentEncoded(kOddPassword) + "@" + uri.substr(uri.find("127.0.0.1"));
  AVFormatContext* raw = nullptr;
  const int opened = avformat_open_input(&raw, address.c_str(), nullptr, &options);
  av_dict_free(&options);
  ASSERT_EQ(opened, 0) << "libavformat's login with the percent-encoded password";
  std::unique_ptr<AVFormatContext, InputClose> input(raw);
  EXPECT_TRUE(Journal("CAM", camsim::kOnvifLogin).empty());
  ASSERT_GE(avformat_find_stream_info(input.get(), nullptr), 0);
  ASSERT_EQ(input->nb_streams, 2u);
  const AVCodecParameters* video = input->streams[0]->codecpar;
  const AVCodecParameters* audio = input->streams[1]->codecpar;
  EXPECT_EQ(video->codec_id, AV_CODEC_ID_H264);
  EXPECT_GT(video->extradata_size, 0) << "the SDP carries the parameter sets";
  EXPECT_EQ(audio->codec_id, AV_CODEC_ID_PCM_MULAW);
  EXPECT_EQ(audio->sample_rate, 8000);

  const AVCodec* h264 = avcodec_find_decoder(AV_CODEC_ID_H264);
  std::unique_ptr<AVCodecContext, CodecFree> decoder(avcodec_alloc_context3(h264));
  ASSERT_GE(avcodec_parameters_to_context(decoder.get(), video), 0);
  decoder->thread_count = 1;
  ASSERT_EQ(avcodec_open2(decoder.get(), h264, nullptr), 0);
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(),
                                                        [](AVPacket* p) { av_packet_free(&p); });
  std::unique_ptr<AVFrame, void (*)(AVFrame*)> picture(av_frame_alloc(),
                                                       [](AVFrame* f) { av_frame_free(&f); });
  int keys = 0, pictures = 0, sounds = 0;
  std::int64_t lastVideo = AV_NOPTS_VALUE, lastAudio = AV_NOPTS_VALUE;
  // Two seconds and a bit: both key frames of the loop.
  while (pictures < 22 && av_read_frame(input.get(), packet.get()) >= 0) {
    if (packet->stream_index == 0) {
      keys += (packet->flags & AV_PKT_FLAG_KEY) != 0;
      EXPECT_TRUE(lastVideo == AV_NOPTS_VALUE || packet->pts > lastVideo);
      lastVideo = packet->pts;
      EXPECT_EQ(avcodec_send_packet(decoder.get(), packet.get()), 0);
      while (avcodec_receive_frame(decoder.get(), picture.get()) == 0) {
        EXPECT_EQ(picture->width, 320);
        EXPECT_EQ(picture->height, 180);
        EXPECT_EQ(picture->decode_error_flags, 0);
        ++pictures;
      }
    } else {
      EXPECT_EQ(packet->size, 800) << "a tenth of a second of samples";
      EXPECT_TRUE(lastAudio == AV_NOPTS_VALUE || packet->pts > lastAudio);
      lastAudio = packet->pts;
      ++sounds;
    }
    av_packet_unref(packet.get());
  }
  EXPECT_EQ(pictures, 22);
  EXPECT_GE(keys, 2);
  EXPECT_GE(sounds, 10);
  input.reset();
  ASSERT_TRUE(WaitFor([&] { return Journal("CAM", wire::kCodeStream).size() == 2; }));
  EXPECT_EQ(Journal("CAM", wire::kCodeStream),
            (std::vector<std::string>{"stream: start channel=1", "stream: stop"}));
}

TEST_F(RtspStreamTest, LoginsPathsTransportsAndMisuseAreAnsweredAsACameraWould) {
  Start(
      Parse("device serial=CAM ip=192.168.1.64\n"
            "device serial=NOS ip=192.168.1.65\n"
            "device serial=BAD ip=192.168.1.66\n"
            "fault serial=NOS kind=no-stream\n"
            "fault serial=BAD kind=bad-header\n"));
  const std::string cam = Url("192.168.1.64");
  RtspClient client(m_sim->RtspPort());
  auto reply = client.Request("OPTIONS", "*");
  EXPECT_EQ(Status(reply), 200);
  EXPECT_NE(reply->Get("public").find("GET_PARAMETER"), std::string::npos);

  // A challenge without a journal entry, a wrong password refused and journaled, and both forms
  // of a right digest taken.
  reply = client.Request("DESCRIBE", cam);
  ASSERT_EQ(Status(reply), 401);
  EXPECT_EQ(reply->Get("www-authenticate").rfind("Digest realm=\"camsim\"", 0), 0u);
  EXPECT_TRUE(Journal("CAM", camsim::kOnvifLogin).empty());
  EXPECT_EQ(Status(client.Call("DESCRIBE", cam, {}, "Admin124")), 401);
  ASSERT_EQ(Journal("CAM", camsim::kOnvifLogin),
            (std::vector<std::string>{"refused login: admin: wrong user or password (DESCRIBE)"}));
  for (const bool qop : {true, false}) {
    reply = client.Call("DESCRIBE", cam, {"Accept: application/sdp"}, "Admin123", qop);
    ASSERT_EQ(Status(reply), 200) << "qop " << qop;
    EXPECT_EQ(reply->Get("content-type"), "application/sdp");
    EXPECT_EQ(reply->Get("content-base"), cam + "/");
    EXPECT_NE(reply->body.find("a=rtpmap:96 H264/90000"), std::string::npos);
    EXPECT_NE(reply->body.find("packetization-mode=1;sprop-parameter-sets=Z"), std::string::npos);
    EXPECT_NE(reply->body.find("a=control:trackID=0"), std::string::npos);
    EXPECT_EQ(reply->body.find("m=audio"), std::string::npos) << "a device without sound";
  }
  // Another connection's nonce is stale there, not a wrong login.
  RtspClient other(m_sim->RtspPort());
  other.challenge = client.challenge;
  reply = other.Call("DESCRIBE", cam);
  EXPECT_EQ(Status(reply), 401);
  EXPECT_NE(reply->Get("www-authenticate").find("stale=TRUE"), std::string::npos);
  EXPECT_EQ(Journal("CAM", camsim::kOnvifLogin).size(), 1u);

  // Paths of nobody, resources that are not there, and transports the device cannot serve.
  EXPECT_EQ(Status(client.Call("DESCRIBE", Url("10.9.9.9"))), 404);
  const std::string third =
      "rtsp://127.0.0.1:" + std::to_string(m_sim->RtspPort()) + "/onvif/192.168.1.64/third";
  EXPECT_EQ(Status(client.Call("DESCRIBE", third)), 404);
  EXPECT_EQ(Status(client.Call("SETUP", cam + "/trackID=1", {"Transport: RTP/AVP/TCP;unicast"})),
            404);
  EXPECT_EQ(Status(client.Call("SETUP", cam, {"Transport: RTP/AVP/TCP;unicast"})), 459);
  for (const char* transport : {"RTP/AVP;unicast;client_port=5000-5001", "RTP/AVP/UDP;unicast",
                                "RTP/AVP/TCP;multicast", "RTP/AVP/TCP;interleaved=4-9"}) {
    EXPECT_EQ(
        Status(client.Call("SETUP", cam + "/trackID=0", {std::string("Transport: ") + transport})),
        461)
        << transport;
  }
  EXPECT_EQ(Status(client.Call("PLAY", cam + "/", {"Session: 1234"})), 454);

  // The framed faults: a description without parameter sets, and a stream that never comes.
  reply = client.Call("DESCRIBE", Url("192.168.1.66"));
  ASSERT_EQ(Status(reply), 200);
  EXPECT_EQ(reply->body.find("sprop-parameter-sets"), std::string::npos);
  EXPECT_NE(reply->body.find("profile-level-id="), std::string::npos);
  const std::string nos = Url("192.168.1.65");
  reply = client.Call("SETUP", nos + "/trackID=0",
                      {"Transport: RTP/AVP;unicast;client_port=5000-5001,RTP/AVP/TCP;unicast;"
                       "interleaved=0-1"});
  ASSERT_EQ(Status(reply), 200) << "the first transport the device can serve";
  EXPECT_EQ(reply->Get("transport").rfind("RTP/AVP/TCP;unicast;interleaved=0-1", 0), 0u);
  const std::string session = SessionOf(reply);
  EXPECT_EQ(Status(client.Call("PLAY", nos + "/", {"Session: " + session})), 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Status(client.Call("GET_PARAMETER", nos + "/", {"Session: " + session})), 200);
  EXPECT_TRUE(client.packets.empty());
  EXPECT_EQ(Journal("NOS", wire::kCodeStream),
            (std::vector<std::string>{"stream: start channel=1"}));

  // What does not parse is answered and the connection ends; the server goes on serving.
  std::string noise(4096, '\0');
  std::uint32_t state = 7;
  for (char& c : noise) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
  noise[0] = 'G';
  const std::string big = "OPTIONS * RTSP/1.0\r\nCSeq: 1\r\nX-Pad: " + std::string(17000, 'a');
  for (const auto& [bytes, status] : std::vector<std::pair<std::string, int>>{
           {noise, 400},
           {"OPTIONS * RTSP/1.0\r\n\r\n", 400},
           {"OPTIONS * HTTP/1.1\r\nCSeq: 1\r\n\r\n", 400},
           {"OPTIONS * RTSP/2.0\r\nCSeq: 1\r\n\r\n", 505},
           {"OPTIONS * RTSP/1.0\r\nCSeq: 1\r\nCSeq: 2\r\n\r\n", 400},
           {"OPTIONS\trtsp:// RTSP/1.0\r\nCSeq: 1\r\n\r\n", 400},
           {big + "\r\n\r\n", 413},
           {big, 413},
           {"GET_PARAMETER * RTSP/1.0\r\nCSeq: 1\r\nContent-Length: 100000\r\n\r\n", 413}}) {
    RtspClient misuse(m_sim->RtspPort());
    misuse.Send(bytes);
    EXPECT_EQ(Status(misuse.Receive()), status) << bytes.substr(0, 40);
    EXPECT_TRUE(misuse.Ends()) << bytes.substr(0, 40);
  }
  RtspClient chatty(m_sim->RtspPort());
  chatty.Send(
      std::string("$\x01\x00\x03"
                  "abc",
                  7));
  EXPECT_EQ(Status(chatty.Request("OPTIONS", "*")), 200) << "the client's RTCP is skipped";
  chatty.Send("GET_PARAMETER * RTSP/1.0\r\nCSeq: 2\r\nContent-Length: 5\r\n\r\nhello");
  EXPECT_EQ(Status(chatty.Receive()), 200) << "a keep-alive; its body is read past";
  EXPECT_EQ(Status(chatty.Request("OPTIONS", "*")), 200);
}

// One RTP packet, as far as the checks below read it.
struct Rtp {
  bool marker = false;
  int type = 0;
  std::uint16_t sequence = 0;
  std::uint32_t timestamp = 0;
  std::uint32_t ssrc = 0;
  std::vector<std::uint8_t> payload;
};

std::optional<Rtp> ParseRtp(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 12 || (bytes[0] & 0xC0) != 0x80 || (bytes[0] & 0x3F) != 0) return {};
  Rtp rtp;
  rtp.marker = (bytes[1] & 0x80) != 0;
  rtp.type = bytes[1] & 0x7F;
  rtp.sequence = static_cast<std::uint16_t>(bytes[2] << 8 | bytes[3]);
  rtp.timestamp =
      static_cast<std::uint32_t>(bytes[4]) << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7];
  rtp.ssrc =
      static_cast<std::uint32_t>(bytes[8]) << 24 | bytes[9] << 16 | bytes[10] << 8 | bytes[11];
  rtp.payload.assign(bytes.begin() + 12, bytes.end());
  return rtp;
}

// The value of key in the RTP-Info entry of url.
std::uint32_t RtpInfo(const std::string& info, const std::string& url, const std::string& key) {
  const std::size_t entry = info.find("url=" + url + ";");
  const std::size_t at = entry == std::string::npos ? entry : info.find(key + "=", entry);
  return at == std::string::npos
             ? 0
             : static_cast<std::uint32_t>(std::stoul(info.substr(at + key.size() + 1)));
}

// The account lock counts wrong logins by RTSP and by SOAP alike, and then stops both.
TEST_F(RtspStreamTest, AccountLockCountsAndStopsRtspAndSoapLoginsAlike) {
  Start(Parse("device serial=CAM ip=192.168.1.64 lockout=3\n"));
  const std::string cam = Url("192.168.1.64");
  OnvifCaller soap(m_sim->Port(), "192.168.1.64");
  const auto soapStatus = [&soap](const Credentials& credentials) {
    const auto reply = soap.Call("<tds:GetDeviceInformation/>", credentials);
    return reply ? reply->status : 0;
  };
  RtspClient client(m_sim->RtspPort());
  // Two wrong by RTSP, a right one by SOAP: the count starts again.
  EXPECT_EQ(Status(client.Call("DESCRIBE", cam, {}, "Admin124")), 401);
  EXPECT_EQ(Status(client.Call("DESCRIBE", cam, {}, "Admin124")), 401);
  EXPECT_EQ(soapStatus({}), 200);
  EXPECT_EQ(Status(client.Call("DESCRIBE", cam)), 200);
  // Two wrong by RTSP and one by SOAP lock the account for both, right password or not.
  EXPECT_EQ(Status(client.Call("DESCRIBE", cam, {}, "Admin124")), 401);
  EXPECT_EQ(Status(client.Call("DESCRIBE", cam, {}, "Admin124")), 401);
  EXPECT_EQ(soapStatus({Auth::kDigest, "admin", "Admin124"}), 401);
  EXPECT_EQ(Status(client.Call("DESCRIBE", cam)), 401);
  EXPECT_EQ(soapStatus({}), 401);
  const std::vector<std::string> refused = Journal("CAM", camsim::kOnvifLogin);
  ASSERT_EQ(refused.size(), 7u);
  EXPECT_EQ(refused[5], "refused login: admin: locked after 3 wrong logins (DESCRIBE)");
  EXPECT_NE(refused[6].find("locked after 3 wrong logins"), std::string::npos);
}

TEST_F(RtspStreamTest, PacketsAreRfc6184AndStopWithTheSessionOrTheDevice) {
  Start(Parse("device serial=CAM ip=192.168.1.64 audio=1 reboot_ms=60000\n"));
  const std::string cam = Url("192.168.1.64");
  RtspClient client(m_sim->RtspPort());
  auto reply = client.Call("DESCRIBE", cam);
  ASSERT_EQ(Status(reply), 200);
  EXPECT_NE(reply->body.find("a=rtpmap:0 PCMU/8000"), std::string::npos);
  EXPECT_NE(reply->body.find("a=control:trackID=1"), std::string::npos);
  reply =
      client.Call("SETUP", cam + "/trackID=0", {"Transport: RTP/AVP/TCP;unicast;interleaved=0-1"});
  ASSERT_EQ(Status(reply), 200);
  const std::string session = SessionOf(reply);
  EXPECT_NE(reply->Get("session").find(";timeout=60"), std::string::npos);
  EXPECT_EQ(Status(client.Call(
                "SETUP", cam + "/trackID=1",
                {"Transport: RTP/AVP/TCP;unicast;interleaved=1-2", "Session: " + session})),
            461)
      << "the video's RTCP channel";
  EXPECT_EQ(Status(client.Call(
                "SETUP", cam + "/trackID=1",
                {"Transport: RTP/AVP/TCP;unicast;interleaved=2-3", "Session: " + session})),
            200);
  reply = client.Call("PLAY", cam + "/", {"Session: " + session, "Range: npt=0.000-"});
  ASSERT_EQ(Status(reply), 200);
  const std::string info = reply->Get("rtp-info");
  auto sequence = static_cast<std::uint16_t>(RtpInfo(info, cam + "/trackID=0", "seq"));
  std::uint32_t timestamp = RtpInfo(info, cam + "/trackID=0", "rtptime");
  std::uint32_t audioTime = RtpInfo(info, cam + "/trackID=1", "rtptime");

  // Twelve access units: the loop's two key frames are among them.
  std::optional<std::uint32_t> ssrc;
  std::vector<std::vector<int>> units(1);  // the NAL unit types of each access unit
  int fragments = 0, reports = 0, sounds = 0;
  bool inFragment = false;
  while (units.size() <= 12) {
    const auto packet = client.Packet();
    ASSERT_TRUE(packet);
    if (packet->channel % 2 == 1) {
      EXPECT_EQ(packet->bytes.size(), 28u);
      reports += packet->bytes.size() > 1 && packet->bytes[1] == 200;
      continue;
    }
    const auto rtp = ParseRtp(packet->bytes);
    ASSERT_TRUE(rtp);
    if (packet->channel == 2) {
      EXPECT_EQ(rtp->type, 0);
      EXPECT_EQ(rtp->payload.size(), 800u);
      EXPECT_EQ(rtp->timestamp, audioTime);
      audioTime += 800;
      ++sounds;
      continue;
    }
    ASSERT_EQ(packet->channel, 0);
    EXPECT_EQ(rtp->type, 96);
    EXPECT_EQ(rtp->sequence, sequence++);
    EXPECT_EQ(rtp->timestamp, timestamp);
    if (!ssrc) ssrc = rtp->ssrc;
    EXPECT_EQ(rtp->ssrc, *ssrc);
    ASSERT_FALSE(rtp->payload.empty());
    EXPECT_LE(rtp->payload.size(), 1400u);
    const int type = rtp->payload[0] & 0x1F;
    if (type == 28) {
      ASSERT_GE(rtp->payload.size(), 2u);
      const bool start = (rtp->payload[1] & 0x80) != 0, end = (rtp->payload[1] & 0x40) != 0;
      EXPECT_EQ(start, !inFragment);
      if (start) units.back().push_back(rtp->payload[1] & 0x1F);
      inFragment = !end;
      fragments += end;
    } else {
      EXPECT_FALSE(inFragment);
      units.back().push_back(type);
    }
    if (rtp->marker) {
      EXPECT_FALSE(inFragment);
      units.emplace_back();
      timestamp += 9000;
    }
  }
  units.pop_back();
  int keys = 0;
  for (const std::vector<int>& types : units) {
    const auto idr = std::find(types.begin(), types.end(), 5);
    if (idr == types.end()) continue;
    ++keys;
    EXPECT_GE(std::count(types.begin(), idr, 7), 1) << "the parameter sets before each IDR";
    EXPECT_GE(std::count(types.begin(), idr, 8), 1);
  }
  EXPECT_GE(keys, 2);
  EXPECT_GT(fragments, 0) << "key frames are larger than a packet";
  EXPECT_GE(reports, 2);
  EXPECT_GE(sounds, 10);

  // After TEARDOWN's answer nothing more comes, on a connection that stays open.
  EXPECT_EQ(Status(client.Call("TEARDOWN", cam + "/", {"Session: " + session})), 200);
  client.packets.clear();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Status(client.Request("OPTIONS", "*")), 200);
  EXPECT_TRUE(client.packets.empty());
  EXPECT_EQ(Journal("CAM", wire::kCodeStream),
            (std::vector<std::string>{"stream: start channel=1", "stream: stop"}));

  // A device that restarts ends its streams, and its path has nobody until it is back.
  RtspClient viewer(m_sim->RtspPort());
  reply = viewer.Call("SETUP", cam + "/trackID=0", {"Transport: RTP/AVP/TCP;unicast"});
  ASSERT_EQ(Status(reply), 200);
  EXPECT_NE(reply->Get("transport").find("interleaved=0-1"), std::string::npos);
  ASSERT_EQ(Status(viewer.Call("PLAY", cam, {"Session: " + SessionOf(reply)})), 200);
  ASSERT_TRUE(viewer.Packet());
  const auto rebooted = OnvifCaller(m_sim->Port(), "192.168.1.64").Call("<tds:SystemReboot/>");
  ASSERT_TRUE(rebooted && rebooted->status == 200);
  EXPECT_TRUE(viewer.Ends());
  EXPECT_EQ(Journal("CAM", wire::kCodeStream).size(), 4u);
  EXPECT_EQ(Journal("CAM", wire::kCodeStream).back(), "stream: stop");
  EXPECT_EQ(Status(RtspClient(m_sim->RtspPort()).Request("OPTIONS", cam)), 404);
}

}  // namespace
