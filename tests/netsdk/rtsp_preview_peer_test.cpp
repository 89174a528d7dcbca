// An RTSP preview against a peer on loopback that misbehaves: whatever comes, the preview delivers
// nothing to the window, tries the device again after each failure, and closes promptly.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "onvif_backend/rtsp_preview.h"
#include "settings.h"
#include "stream_delivery.h"

namespace {

using namespace netsdk;
using namespace netsdk::onvif_backend;

enum class Misbehaviour {
  kGarbage,         // noise instead of an answer, then the connection closes
  kCutBody,         // an answer that announces a megabyte and closes after a few bytes
  kGarbagePackets,  // a proper session, then interleaved packets of noise
  kSilence,         // takes the connection and never answers
  kUnknownScheme,   // asks every request for a login in a digest algorithm nobody answers
};

std::string RandomBytes(std::mt19937& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string Field(const std::string& head, const std::string& name) {
  const std::size_t at = head.find("\r\n" + name + ": ");
  if (at == std::string::npos) return {};
  const std::size_t from = at + name.size() + 4;
  return head.substr(from, head.find("\r\n", from) - from);
}

class MisbehavingRtspPeer {
 public:
  explicit MisbehavingRtspPeer(Misbehaviour mode)
      : m_acceptor(m_io, {asio::ip::make_address_v4("127.0.0.1"), 0}), m_mode(mode) {
    Accept();
    m_thread = std::thread([this] { m_io.run(); });
  }
  ~MisbehavingRtspPeer() {
    m_io.stop();
    m_thread.join();
  }
  std::uint16_t Port() const { return m_acceptor.local_endpoint().port(); }
  int Connections() const { return m_connections; }
  int Authorizations() const { return m_authorizations; }

 private:
  struct Connection {
    explicit Connection(asio::ip::tcp::socket connected) : socket(std::move(connected)) {}
    asio::ip::tcp::socket socket;
    asio::streambuf in;
  };

  void Accept() {
    m_acceptor.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
      if (error) return;
      ++m_connections;
      auto connection = std::make_shared<Connection>(std::move(socket));
      m_open.push_back(connection);  // kept until the peer ends, so that silence stays silent
      if (m_mode != Misbehaviour::kSilence) Read(connection);
      Accept();
    });
  }

  void Read(const std::shared_ptr<Connection>& connection) {
    asio::async_read_until(connection->socket, connection->in, "\r\n\r\n",
                           [this, connection](const std::error_code& error, std::size_t size) {
                             if (error) return;
                             const auto data = connection->in.data();
                             const std::string head(
                                 asio::buffers_begin(data),
                                 asio::buffers_begin(data) + static_cast<long>(size));
                             connection->in.consume(size);
                             Answer(connection, head);
                           });
  }

  void Answer(const std::shared_ptr<Connection>& connection, const std::string& head) {
    const std::string method = head.substr(0, head.find(' '));
    const std::string ok = "RTSP/1.0 200 OK\r\nCSeq: " + Field(head, "CSeq") + "\r\n";
    auto reply = std::make_shared<std::string>();
    bool last = true;
    if (!Field(head, "Authorization").empty()) ++m_authorizations;
    if (m_mode == Misbehaviour::kUnknownScheme) {
      *reply = "RTSP/1.0 401 Unauthorized\r\nCSeq: " + Field(head, "CSeq") +
               "\r\nWWW-Authenticate: Digest realm=\"peer\", nonce=\"abc\", "
               "algorithm=SHA-512-256, qop=\"auth\"\r\n\r\n";
      last = false;
    } else if (m_mode == Misbehaviour::kGarbage) {
      *reply = RandomBytes(m_random, 4096);
    } else if (m_mode == Misbehaviour::kCutBody) {
      *reply = ok + "Content-Type: application/sdp\r\nContent-Length: 1000000\r\n\r\nv=0\r\n";
    } else if (method == "DESCRIBE") {
      const std::string sdp =
          "v=0\r\no=- 1 1 IN IP4 127.0.0.1\r\ns=peer\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n"
          "m=video 0 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\na=control:track0\r\n";
      *reply = ok +
               "Content-Type: application/sdp\r\nContent-Length: " + std::to_string(sdp.size()) +
               "\r\n\r\n" + sdp;
      last = false;
    } else if (method == "SETUP") {
      *reply = ok + "Transport: RTP/AVP/TCP;unicast;interleaved=0-1\r\nSession: 1234\r\n\r\n";
      last = false;
    } else if (method == "PLAY") {
      *reply = ok + "Session: 1234\r\n\r\n";
      // Packets of every length on the session's channels and others, RTP-looking or not.
      for (int i = 0; i < 300; ++i) {
        const std::size_t size = m_random() % 1500;
        std::string payload = RandomBytes(m_random, size);
        if (size >= 2 && i % 2 == 0) {
          payload[0] = static_cast<char>(0x80);
          payload[1] = static_cast<char>(96 | (i % 4 == 0 ? 0x80 : 0));
        }
        *reply += '$';
        *reply += static_cast<char>(i % 3);
        *reply += static_cast<char>(size >> 8);
        *reply += static_cast<char>(size & 0xFF);
        *reply += payload;
      }
    } else {
      *reply = ok + "Public: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN\r\n\r\n";
      last = false;
    }
    asio::async_write(connection->socket, asio::buffer(*reply),
                      [this, connection, reply, last](const std::error_code& error, std::size_t) {
                        if (error) return;
                        if (!last) return Read(connection);
                        std::error_code ignored;
                        connection->socket.close(ignored);
                      });
  }

  asio::io_context m_io;
  asio::ip::tcp::acceptor m_acceptor;
  const Misbehaviour m_mode;
  std::mt19937 m_random{7};
  std::atomic<int> m_connections{0};
  std::atomic<int> m_authorizations{0};
  std::vector<std::shared_ptr<Connection>> m_open;
  std::thread m_thread;
};

int CountCall(int, int, const unsigned char*, int, const NETSDK_FRAME_INFO* frame) {
  ++*static_cast<std::atomic<int>*>(frame->user);
  return 0;
}

// A preview of the peer's stream at the given time scale, with the delivery it feeds; Stop
// closes it and returns how many callbacks came.
class PeerPreview {
 public:
  PeerPreview(const MisbehavingRtspPeer& peer, double scale)
      : m_stream{"rtsp", "127.0.0.1", peer.Port(), "/onvif/192.168.1.11/main"} {
    m_settings.SetTimeScale(scale);
    m_feed = m_delivery.Open(1, &CountCall, &m_calls);
    m_delivery.Release(*m_feed);
    m_preview = std::make_unique<RtspPreview>(
        m_settings, m_delivery, m_feed,
        [stream = m_stream](const std::atomic<bool>&) { return std::optional(stream); }, m_gateway,
        "peer", Credential{"admin", "Admin123"});
    m_preview->Start();
  }
  const Settings& GetSettings() const { return m_settings; }
  int Stop() {
    m_preview->Close();
    m_delivery.Close(*m_feed);
    return m_calls.load();
  }

 private:
  Settings m_settings;
  StreamDelivery m_delivery;
  std::atomic<int> m_calls{0};
  std::shared_ptr<StreamDelivery::Feed> m_feed;
  const Url m_stream;
  RefusedCredentials m_refused;
  RtspGateway m_gateway{m_refused};
  std::unique_ptr<RtspPreview> m_preview;
};

class RtspPreviewAgainstPeer : public ::testing::TestWithParam<Misbehaviour> {};

TEST_P(RtspPreviewAgainstPeer, DeliversNothingTriesAgainAndCloses) {
  MisbehavingRtspPeer peer(GetParam());
  PeerPreview preview(peer, 20);
  // Three connections: the stream failed twice and was opened again each time.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (peer.Connections() < 3 && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(preview.Stop(), 0);
  EXPECT_GE(peer.Connections(), 3) << "the preview stopped trying";
}

INSTANTIATE_TEST_SUITE_P(Peers, RtspPreviewAgainstPeer,
                         ::testing::Values(Misbehaviour::kGarbage, Misbehaviour::kCutBody,
                                           Misbehaviour::kGarbagePackets, Misbehaviour::kSilence),
                         [](const auto& info) {
                           switch (info.param) {
                             case Misbehaviour::kGarbage:
                               return "Garbage";
                             case Misbehaviour::kCutBody:
                               return "CutBody";
                             case Misbehaviour::kGarbagePackets:
                               return "GarbagePackets";
                             case Misbehaviour::kUnknownScheme:
                               return "UnknownScheme";
                             case Misbehaviour::kSilence:
                               break;
                           }
                           return "Silence";
                         });

// A login nobody can answer (a digest algorithm the library does not know): the pane stays black,
// the log says why once, the credential never goes out, and the preview asks ever more rarely
// (the pause doubles from 3 s to a minute) instead of every few seconds.
TEST(RtspPreviewLogin, UnanswerableLoginIsLoggedOnceAndAskedForEverMoreRarely) {
  MisbehavingRtspPeer peer(Misbehaviour::kUnknownScheme);
  testing::internal::CaptureStderr();
  PeerPreview preview(peer, 200);
  // Ten minutes of program time.
  const auto until =
      std::chrono::steady_clock::now() + preview.GetSettings().Scale().Real(10 * 60000);
  while (std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const int calls = preview.Stop();
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_GE(peer.Connections(), 3) << "the preview stopped trying";
  EXPECT_LE(peer.Connections(), 16) << "a retry storm";
  EXPECT_EQ(peer.Authorizations(), 0);
  EXPECT_EQ(calls, 0);
  const std::string why = "offers no login the library can answer (Digest SHA-512-256)";
  const std::size_t first = log.find(why);
  EXPECT_NE(first, std::string::npos) << log;
  EXPECT_EQ(log.find(why, first + 1), std::string::npos) << "logged more than once";
}

// A stream that keeps failing is opened again ever more rarely, up to once a minute; one that
// played is opened again soon after it is lost, and the pause grows again from there.
TEST(RtspPreviewPause, GrowsToAMinuteAndStartsAgainOnceAStreamPlayed) {
  ReopenPause pauses;
  std::vector<double> seen;
  for (int i = 0; i < 7; ++i) seen.push_back(pauses.After(false));
  EXPECT_EQ(seen, (std::vector<double>{3000, 6000, 12000, 24000, 48000, 60000, 60000}));
  seen.clear();
  seen.push_back(pauses.After(true));
  for (int i = 0; i < 3; ++i) seen.push_back(pauses.After(false));
  EXPECT_EQ(seen, (std::vector<double>{3000, 3000, 6000, 12000}));
}

}  // namespace
