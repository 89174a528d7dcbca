// The frame parser and the payload decoders against random, truncated and hostile input, and the
// library against a peer on its endpoint that speaks garbage.
#include <asio.hpp>
#include <random>
#include <thread>

#include "library_fixture.h"
#include "wire/codec.h"
#include "wire/frame.h"
#include "wire/messages.h"

namespace netsdk_test {
namespace {

using wire::FrameAssembler;
using wire::MsgType;

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// One valid payload of every decodable message.
std::vector<std::pair<MsgType, wire::Bytes>> SamplePayloads() {
  wire::DeviceInfo info{
      "SN01",         "IPC-R2M",       "admin",       "pw", 1, 9000, "02:00:00:00:00:01",
      "192.168.1.64", "255.255.255.0", "192.168.1.1", 0xFF, 1};
  return {{MsgType::kProbeAnswer, wire::Encode(info)},
          {MsgType::kModify, wire::Encode(wire::Modify{"192.168.1.64", 9000, "SN01", "192.168.1.3",
                                                       "255.255.255.0", "192.168.1.1", 1})},
          {MsgType::kHello, wire::Encode(wire::Hello{"192.168.1.64", 9000})},
          {MsgType::kLogin, wire::Encode(wire::Login{"admin", "pw"})},
          {MsgType::kCommand, wire::Encode(wire::Command{1012, 0, 0, "RESPONSE_PARAM"})},
          {MsgType::kCommandResult, wire::Encode(wire::CommandResult{1012, true, "<V/>"})},
          {MsgType::kLoginResult, wire::EncodeFlag(true)},
          {MsgType::kUpgradeAck, wire::EncodeCount(65536)},
          {MsgType::kHelloAnswer, wire::EncodeText("SN01")}};
}

// Decodes payload as the message type says; false when the payload is not that message.
bool DecodeAs(MsgType type, const wire::Bytes& payload) {
  switch (type) {
    case MsgType::kProbeAnswer: {
      wire::DeviceInfo value;
      return wire::Decode(payload, &value);
    }
    case MsgType::kModify: {
      wire::Modify value;
      return wire::Decode(payload, &value);
    }
    case MsgType::kHello: {
      wire::Hello value;
      return wire::Decode(payload, &value);
    }
    case MsgType::kLogin: {
      wire::Login value;
      return wire::Decode(payload, &value);
    }
    case MsgType::kCommand: {
      wire::Command value;
      return wire::Decode(payload, &value);
    }
    case MsgType::kCommandResult: {
      wire::CommandResult value;
      return wire::Decode(payload, &value);
    }
    case MsgType::kLoginResult: {
      bool value;
      return wire::DecodeFlag(payload, &value);
    }
    case MsgType::kUpgradeAck: {
      std::uint64_t value;
      return wire::DecodeCount(payload, &value);
    }
    default: {
      std::string value;
      return wire::DecodeText(payload, &value);
    }
  }
}

TEST(FrameFuzz, FramesSurviveAnySplitOfTheStream) {
  std::vector<std::uint8_t> stream;
  std::vector<std::pair<MsgType, wire::Bytes>> sent = SamplePayloads();
  for (std::size_t i = 0; i < sent.size(); ++i) {
    const auto bytes =
        wire::EncodeFrame(sent[i].first, static_cast<std::uint32_t>(i), sent[i].second);
    stream.insert(stream.end(), bytes.begin(), bytes.end());
  }
  std::mt19937 random(7);
  for (int trial = 0; trial < 200; ++trial) {
    FrameAssembler assembler;
    std::size_t next = 0;
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t piece = std::min<std::size_t>(1 + random() % 40, stream.size() - at);
      assembler.Feed(stream.data() + at, piece);
      at += piece;
      wire::Frame frame;
      while (assembler.Next(&frame) == FrameAssembler::Result::kFrame) {
        ASSERT_LT(next, sent.size());
        EXPECT_EQ(frame.type, sent[next].first);
        EXPECT_EQ(frame.id, next);
        EXPECT_EQ(frame.payload, sent[next].second);
        ++next;
      }
    }
    EXPECT_EQ(next, sent.size());
    EXPECT_FALSE(assembler.Failed());
  }
}

TEST(FrameFuzz, HostileHeadersFailBeforeAnyPayloadIsHeld) {
  const std::vector<std::vector<std::uint8_t>> headers = {
      {'X', 'V', 1, 9, 0, 0, 0, 0, 0, 0, 0, 0},               // magic
      {'R', 'V', 2, 9, 0, 0, 0, 0, 0, 0, 0, 0},               // version
      {'R', 'V', 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},               // type below the range
      {'R', 'V', 1, 99, 0, 0, 0, 0, 0, 0, 0, 0},              // type above it
      {'R', 'V', 1, 9, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},   // 4 GiB payload
      {'R', 'V', 1, 9, 0, 0, 0, 0, 0x01, 0x00, 0x04, 0x00}};  // just over the limit
  for (const auto& header : headers) {
    FrameAssembler assembler;
    assembler.Feed(header.data(), header.size());
    wire::Frame frame;
    EXPECT_EQ(assembler.Next(&frame), FrameAssembler::Result::kBad);
    EXPECT_EQ(assembler.Buffered(), 0u);
    const std::uint8_t more[64] = {};
    assembler.Feed(more, sizeof more);
    EXPECT_EQ(assembler.Next(&frame), FrameAssembler::Result::kBad) << "failed for good";
  }
}

TEST(FrameFuzz, RandomAndTruncatedPayloadsNeverDecodeAsSomethingElse) {
  std::mt19937 random(11);
  for (const auto& [type, payload] : SamplePayloads()) {
    ASSERT_TRUE(DecodeAs(type, payload));
    for (std::size_t cut = 0; cut < payload.size(); ++cut) {
      EXPECT_FALSE(DecodeAs(type, wire::Bytes(payload.begin(), payload.begin() + cut)))
          << "type " << int(type) << " cut at " << cut;
    }
    wire::Bytes longer = payload;
    longer.push_back(0);
    EXPECT_FALSE(DecodeAs(type, longer)) << "trailing bytes";
    for (int trial = 0; trial < 2000; ++trial) {
      wire::Bytes mutated = payload;
      for (int flips = 1 + random() % 4; flips > 0; --flips) {
        mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
      }
      DecodeAs(type, mutated);  // whatever it says, it must not crash or over-read
      DecodeAs(type, RandomBytes(random, random() % 64));
    }
  }
  // A string whose declared length is beyond both the payload and its limit.
  const wire::Bytes declared = wire::Writer().U32(0xFFFFFFF0u).Take();
  wire::Reader reader(declared);
  EXPECT_TRUE(reader.Str(1 << 20).empty());
  EXPECT_FALSE(reader.Ok());
}

TEST(FrameFuzz, RandomStreamsEndInFramesOrFailure) {
  std::mt19937 random(3);
  for (int trial = 0; trial < 3000; ++trial) {
    FrameAssembler assembler;
    std::vector<std::uint8_t> bytes = RandomBytes(random, random() % 300);
    if (bytes.size() >= 4 && trial % 2 == 0) {  // half of them start like a frame
      bytes[0] = 'R';
      bytes[1] = 'V';
      bytes[2] = 1;
      bytes[3] = static_cast<std::uint8_t>(1 + random() % 15);
    }
    assembler.Feed(bytes.data(), bytes.size());
    wire::Frame frame;
    FrameAssembler::Result result;
    while ((result = assembler.Next(&frame)) == FrameAssembler::Result::kFrame) {
      EXPECT_LE(frame.payload.size(), wire::kMaxPayload);
    }
    EXPECT_LE(assembler.Buffered(), bytes.size());
  }
}

// A "virtual LAN" that answers every connection with garbage.
class GarbagePeer {
 public:
  explicit GarbagePeer(int mode)
      : m_acceptor(m_io, asio::ip::tcp::endpoint(asio::ip::make_address_v4("127.0.0.1"), 0)),
        m_mode(mode) {
    Accept();
    m_thread = std::thread([this] { m_io.run(); });
  }
  ~GarbagePeer() {
    m_io.stop();
    m_thread.join();
  }
  std::string Endpoint() const {
    return "127.0.0.1:" + std::to_string(m_acceptor.local_endpoint().port());
  }
  int Connections() const { return m_connections; }

 private:
  void Accept() {
    m_acceptor.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
      if (error) return;
      ++m_connections;
      auto peer = std::make_shared<asio::ip::tcp::socket>(std::move(socket));
      auto bytes = std::make_shared<std::vector<std::uint8_t>>(Garbage());
      asio::async_write(*peer, asio::buffer(*bytes),
                        [peer, bytes](const std::error_code&, std::size_t) {
                          // Closed after the garbage, except in the mode that leaves a frame half
                          // sent.
                        });
      if (m_mode == 3) m_held.push_back(peer);
      Accept();
    });
  }

  std::vector<std::uint8_t> Garbage() {
    std::mt19937 random(static_cast<unsigned>(m_connections));
    switch (m_mode) {
      case 0:
        return RandomBytes(random, 4096);
      case 1:  // a well-formed frame with a payload that is not its message
        return wire::EncodeFrame(MsgType::kHelloAnswer, 0, RandomBytes(random, 3));
      case 2: {  // a login answer for nobody's login, then a huge length
        auto bytes = wire::EncodeFrame(MsgType::kLoginResult, 0, wire::EncodeFlag(true));
        const std::uint8_t huge[] = {'R', 'V', 1, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
        bytes.insert(bytes.end(), huge, huge + sizeof huge);
        return bytes;
      }
      default: {  // half a frame, and the connection held open
        auto bytes = wire::EncodeFrame(MsgType::kProbeAnswer, 1, RandomBytes(random, 100));
        bytes.resize(40);
        return bytes;
      }
    }
  }

  asio::io_context m_io;
  asio::ip::tcp::acceptor m_acceptor;
  int m_mode;
  std::atomic<int> m_connections{0};
  std::vector<std::shared_ptr<asio::ip::tcp::socket>> m_held;
  std::thread m_thread;
};

class MisbehavingPeerTest : public LibraryTest, public ::testing::WithParamInterface<int> {
 protected:
  std::atomic<int> m_events{0};  // failures count 1, accepted logins 1000
};

TEST_P(MisbehavingPeerTest, LibrarySurvivesAndReportsNothingFalse) {
  GarbagePeer peer(GetParam());
  ASSERT_EQ(IP_NET_DVR_Init(), 0);
  ASSERT_EQ(IP_NET_DVR_SetEndpoint(peer.Endpoint().c_str()), 0);
  ASSERT_EQ(IP_NET_DVR_SetTimeScale(kScale), 0);
  IP_NET_DVR_SetStatusEventCallBack(
      [](int, int event, int, void* user) {
        static_cast<std::atomic<int>*>(user)->fetch_add(event == NETSDK_EVENT_LOGIN_OK ? 1000 : 1);
        return 0;
      },
      &m_events);

  ASSERT_EQ(IP_NET_DVR_StartSearchIPC(), 0);
  const int handle = IP_NET_DVR_Login("192.168.1.64", 9000, "admin", "Admin123", nullptr);
  ASSERT_GT(handle, 0);
  IP_NET_DVR_SetAutoReconnect(handle, 1);
  // Long enough for several probes and reconnection attempts.
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(12000 / kScale)));
  EXPECT_EQ(IP_NET_DVR_GetSearchIPCCount(), 0);
  EXPECT_EQ(IP_NET_DVR_SystemControl(handle, 1012, 0, "RESPONSE_PARAM"), -1);
  EXPECT_GE(peer.Connections(), 2);
  EXPECT_EQ(m_events.load() % 1000, 1) << "one login failure";
  EXPECT_LT(m_events.load(), 1000) << "no login accepted";
}

INSTANTIATE_TEST_SUITE_P(Garbage, MisbehavingPeerTest, ::testing::Values(0, 1, 2, 3));

}  // namespace
}  // namespace netsdk_test
