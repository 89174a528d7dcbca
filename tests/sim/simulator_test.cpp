// The simulator seen from the wire: a raw client, a misbehaving one, the journal file, the clock.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include <unistd.h>

#include "sim/simulator.h"
#include "wire/codes.h"
#include "wire/frame.h"
#include "wire/messages.h"

namespace {

using wire::MsgType;

constexpr double kScale = 20;
constexpr auto kPatience = std::chrono::seconds(10);

// A bare client of the virtual LAN.
class RawClient {
 public:
  explicit RawClient(std::uint16_t port) : m_socket(m_io) {
    m_socket.connect({asio::ip::make_address_v4("127.0.0.1"), port});
  }

  void SendBytes(const std::vector<std::uint8_t>& bytes) {
    std::error_code ignored;
    asio::write(m_socket, asio::buffer(bytes), ignored);
  }
  void Send(MsgType type, const wire::Bytes& payload, std::uint32_t id = 0) {
    SendBytes(wire::EncodeFrame(type, id, payload));
  }

  // The next frame; false when the peer closed or nothing came within patience.
  bool Receive(wire::Frame* frame, std::chrono::milliseconds patience = kPatience) {
    for (;;) {
      if (m_assembler.Next(frame) == wire::FrameAssembler::Result::kFrame) return true;
      std::error_code error;
      std::size_t size = 0;
      bool done = false;
      m_socket.async_read_some(asio::buffer(m_buffer),
                               [&](const std::error_code& e, std::size_t n) {
                                 error = e;
                                 size = n;
                                 done = true;
                               });
      m_io.restart();
      m_io.run_for(patience);
      if (!done) {
        m_socket.cancel();
        m_io.restart();
        m_io.run();
        return false;
      }
      if (error) {
        m_closed = true;
        return false;
      }
      m_assembler.Feed(m_buffer.data(), size);
    }
  }

  // True when the simulator closed this connection.
  bool ClosedByPeer() {
    wire::Frame frame;
    while (Receive(&frame)) {
    }
    return m_closed;
  }

 private:
  asio::io_context m_io;
  asio::ip::tcp::socket m_socket;
  std::array<std::uint8_t, 65536> m_buffer{};
  wire::FrameAssembler m_assembler;
  bool m_closed = false;
};

camsim::Scenario OneCamera() {
  camsim::DeviceConfig device;
  device.serial = "SN01";
  device.ip = "192.168.1.64";
  device.mac = "02:00:00:00:00:01";
  device.timings.searchMs = 100;
  device.faults.dropSteps["1012"] = 50;
  return {{device}};
}

class SimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_sim.SetTimeScale(kScale);
    std::string error;
    ASSERT_TRUE(m_sim.Start("127.0.0.1:0", &error)) << error;
  }

  // A client logged in to SN01.
  std::unique_ptr<RawClient> LoggedIn() {
    auto client = std::make_unique<RawClient>(m_sim.Port());
    client->Send(MsgType::kHello, wire::Encode(wire::Hello{"192.168.1.64", 9000}));
    wire::Frame frame;
    EXPECT_TRUE(client->Receive(&frame));
    EXPECT_EQ(frame.type, MsgType::kHelloAnswer);
    client->Send(MsgType::kLogin, wire::Encode(wire::Login{"admin", "Admin123"}));
    EXPECT_TRUE(client->Receive(&frame));
    bool accepted = false;
    EXPECT_TRUE(wire::DecodeFlag(frame.payload, &accepted) && accepted);
    return client;
  }

  camsim::Simulator m_sim{OneCamera()};
};

TEST_F(SimulatorTest, ProbeHelloLoginAndCommandOverTheWire) {
  RawClient lan(m_sim.Port());
  lan.Send(MsgType::kProbe, {}, 77);
  wire::Frame frame;
  ASSERT_TRUE(lan.Receive(&frame));
  EXPECT_EQ(frame.type, MsgType::kProbeAnswer);
  EXPECT_EQ(frame.id, 77u) << "the answer names its search";
  wire::DeviceInfo info;
  ASSERT_TRUE(wire::Decode(frame.payload, &info));
  EXPECT_EQ(info.serial, "SN01");

  // Commands before a login are refused; a hello for an empty address is not answered.
  RawClient stranger(m_sim.Port());
  stranger.Send(MsgType::kHello, wire::Encode(wire::Hello{"192.168.1.99", 9000}));
  EXPECT_FALSE(stranger.Receive(&frame, std::chrono::milliseconds(200)));
  RawClient early(m_sim.Port());
  early.Send(MsgType::kHello, wire::Encode(wire::Hello{"192.168.1.64", 9000}));
  ASSERT_TRUE(early.Receive(&frame));
  early.Send(MsgType::kCommand, wire::Encode(wire::Command{1014, 0, 0, ""}), 5);
  ASSERT_TRUE(early.Receive(&frame));
  wire::CommandResult result;
  ASSERT_TRUE(wire::Decode(frame.payload, &result));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(frame.id, 5u);

  auto client = LoggedIn();
  client->Send(MsgType::kCommand, wire::Encode(wire::Command{1014, 0, 0, ""}), 9);
  ASSERT_TRUE(client->Receive(&frame));
  ASSERT_TRUE(wire::Decode(frame.payload, &result));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.code, 1014u);
  EXPECT_EQ(frame.id, 9u);
  // This device drops the connection the first time it is asked for its version, not the second.
  client->Send(MsgType::kCommand, wire::Encode(wire::Command{1012, 0, 0, "RESPONSE_PARAM"}));
  EXPECT_TRUE(client->ClosedByPeer());
  auto again = LoggedIn();
  again->Send(MsgType::kCommand, wire::Encode(wire::Command{1012, 0, 0, "RESPONSE_PARAM"}));
  ASSERT_TRUE(again->Receive(&frame));
  EXPECT_EQ(frame.type, MsgType::kCommandResult);
}

TEST_F(SimulatorTest, MisbehavingClientsAreCutOffAndOthersServedOn) {
  std::mt19937 random(5);
  std::vector<std::vector<std::uint8_t>> attacks;
  for (int i = 0; i < 20; ++i) {
    std::vector<std::uint8_t> bytes(1 + random() % 2000);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    attacks.push_back(bytes);
  }
  attacks.push_back({'R', 'V', 1, 9, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});  // 4 GiB payload
  attacks.push_back(wire::EncodeFrame(MsgType::kHello, 0, {1, 2, 3}));      // payload not a hello
  attacks.push_back(wire::EncodeFrame(MsgType::kProbeAnswer, 0, {}));       // a device's message
  auto truncated = wire::EncodeFrame(MsgType::kModify, 1,
                                     wire::Encode(wire::Modify{"a", 1, "b", "c", "d", "e", 0}));
  truncated[8] = static_cast<std::uint8_t>(truncated[8] - 3);  // declared shorter than its modify
  attacks.push_back(truncated);

  for (std::size_t i = 0; i < attacks.size(); ++i) {
    RawClient attacker(m_sim.Port());
    attacker.SendBytes(attacks[i]);
    EXPECT_TRUE(attacker.ClosedByPeer()) << "attack " << i;
  }
  // Half a frame, then the attacker goes away.
  {
    RawClient quitter(m_sim.Port());
    auto frame = wire::EncodeFrame(MsgType::kProbe, 0, std::vector<std::uint8_t>(100, 0));
    frame.resize(30);
    quitter.SendBytes(frame);
  }
  auto client = LoggedIn();
  client->Send(MsgType::kCommand, wire::Encode(wire::Command{1014, 0, 0, ""}));
  wire::Frame frame;
  EXPECT_TRUE(client->Receive(&frame));
  EXPECT_EQ(frame.type, MsgType::kCommandResult);
}

TEST_F(SimulatorTest, JournalFileHasOneJsonObjectPerRequest) {
  const std::string path = (std::filesystem::path(::testing::TempDir()) /
                            ("camsim_journal_" + std::to_string(::getpid()) + ".jsonl"))
                               .string();
  std::string error;
  ASSERT_TRUE(m_sim.GetJournal().WriteTo(path, &error)) << error;
  auto client = LoggedIn();
  // GBK bytes in a request survive as text.
  const std::string document = "<Overlay Name=\"\xB2\xE2\xCA\xD4\"/>";
  client->Send(MsgType::kCommand, wire::Encode(wire::Command{525, 0, 1, document}));
  wire::Frame frame;
  ASSERT_TRUE(client->Receive(&frame));

  std::ifstream in(path);
  std::vector<nlohmann::json> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  std::filesystem::remove(path);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["kind"], "login");
  EXPECT_EQ(lines[0]["code"], wire::kCodeLogin);
  EXPECT_EQ(lines[0]["text"], "admin");
  EXPECT_EQ(lines[1]["serial"], "SN01");
  EXPECT_EQ(lines[1]["code"], 525);
  EXPECT_EQ(lines[1]["kind"], "config");
  EXPECT_LE(lines[0]["t"].get<double>(), lines[1]["t"].get<double>());
  EXPECT_EQ(m_sim.GetJournal().Entries().at(1).text, document) << "the journal keeps the bytes";
  EXPECT_EQ(m_sim.Device("SN01")->configs.at(525), document);
}

TEST(SimulatorClock, ProgramTimeRunsAtTheScaleAndStaysContinuous) {
  camsim::Simulator sim(OneCamera());
  sim.SetTimeScale(50);
  const double start = sim.NowMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  const double fast = sim.NowMs();
  EXPECT_GE(fast - start, 40 * 50);
  sim.SetTimeScale(1);
  const double slowStart = sim.NowMs();
  EXPECT_GE(slowStart, fast) << "no jump back when the scale changes";
  EXPECT_LT(slowStart - fast, 40 * 50) << "nor a jump forward";
  sim.SetTimeScale(-1);
  EXPECT_EQ(sim.TimeScale(), 1);
}

}  // namespace
