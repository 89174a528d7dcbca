// What the RTSP stream tests share: a raw RTSP client that keeps interleaved packets, and the
// fixture that starts the ONVIF face.
#pragma once
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
#include "sim/onvif_codes.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "wire/codes.h"

namespace rtsp_test {

using namespace onvif_test;
using camsim::Protocol;
using camsim::Simulator;

constexpr double kScale = 20;
// Every character that needs escaping in XML, quoting in a digest header or encoding in a URL.
const std::string kOddPassword = "p&<\":@/%x";

struct RtspReply {
  int status = 0;
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
  std::string body;
  std::string Get(const std::string& name) const {
    for (const auto& [key, value] : headers) {
      if (key == name) return value;
    }
    return {};
  }
};

struct Interleaved {
  int channel = 0;
  std::vector<std::uint8_t> bytes;
};

// RTSP over one TCP connection; interleaved packets that arrive meanwhile are kept in order.
class RtspClient : public onvif_test::LoopbackStream {
 public:
  using LoopbackStream::LoopbackStream;

  std::optional<RtspReply> Request(const std::string& method, const std::string& uri,
                                   const std::vector<std::string>& headers = {}) {
    std::string text =
        method + " " + uri + " RTSP/1.0\r\nCSeq: " + std::to_string(++m_cseq) + "\r\n";
    for (const std::string& header : headers) text += header + "\r\n";
    Send(text + "\r\n");
    auto reply = Receive();
    if (reply) {
      EXPECT_EQ(reply->Get("cseq"), std::to_string(m_cseq)) << method;
    }
    return reply;
  }
  // A request with digest credentials, answering the first challenge of the connection first.
  std::optional<RtspReply> Call(const std::string& method, const std::string& uri,
                                std::vector<std::string> headers = {},
                                const std::string& password = "Admin123", bool qop = true) {
    if (!challenge) {
      auto reply = Request(method, uri, headers);
      if (!reply || reply->status != 401) return reply;
      challenge = onvif::ParseDigestChallenge(reply->Get("www-authenticate"));
      if (!challenge) return reply;
    }
    onvif::DigestChallenge answered = *challenge;
    answered.qopAuth = qop;
    headers.push_back(
        "Authorization: " +
        onvif::DigestAuthorization(answered, {method, uri, "admin", password, 1, "0a4f113b"})
            .value_or(""));
    return Request(method, uri, headers);
  }
  // The next reply; nullopt when the connection ended or nothing came within the patience.
  std::optional<RtspReply> Receive() {
    for (;;) {
      while (!m_in.empty() && m_in[0] == '$') {
        if (!TakePacket()) return std::nullopt;
      }
      const std::size_t headEnd = m_in.find("\r\n\r\n");
      if (headEnd == std::string::npos) {
        if (!Fill()) return std::nullopt;
        continue;
      }
      if (m_in.compare(0, 9, "RTSP/1.0 ") != 0) return std::nullopt;
      RtspReply reply;
      reply.status = std::stoi(m_in.substr(9, 3));
      std::size_t length = 0;
      for (std::size_t line = m_in.find("\r\n") + 2; line < headEnd + 2;) {
        const std::size_t end = m_in.find("\r\n", line);
        const std::string field = m_in.substr(line, end - line);
        std::string name = field.substr(0, field.find(':'));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string value = field.substr(field.find_first_not_of(' ', name.size() + 1));
        if (name == "content-length") length = std::stoul(value);
        reply.headers.emplace_back(name, value);
        line = end + 2;
      }
      while (m_in.size() < headEnd + 4 + length) {
        if (!Fill()) return std::nullopt;
      }
      reply.body = m_in.substr(headEnd + 4, length);
      m_in.erase(0, headEnd + 4 + length);
      return reply;
    }
  }
  // The next interleaved packet; nullopt when none came within the patience.
  std::optional<Interleaved> Packet() {
    while (packets.empty()) {
      if (m_in.empty() && !Fill()) return std::nullopt;
      if (m_in[0] != '$' || !TakePacket()) return std::nullopt;
    }
    Interleaved packet = std::move(packets.front());
    packets.erase(packets.begin());
    return packet;
  }
  // True when the peer ends the connection, having sent nothing more than interleaved data.
  bool Ends() {
    while (Fill()) {
    }
    while (!m_in.empty() && m_in[0] == '$' && TakePacket()) {
    }
    return m_closed && m_in.empty();
  }

  std::vector<Interleaved> packets;  // received while waiting for a reply
  std::optional<onvif::DigestChallenge> challenge;

 private:
  bool TakePacket() {
    const auto size = [this] {
      return static_cast<std::size_t>(static_cast<unsigned char>(m_in[2]) << 8 |
                                      static_cast<unsigned char>(m_in[3]));
    };
    while (m_in.size() < 4 || m_in.size() < 4 + size()) {
      if (!Fill()) return false;
    }
    packets.push_back({static_cast<unsigned char>(m_in[1]),
                       std::vector<std::uint8_t>(m_in.begin() + 4,
                                                 m_in.begin() + 4 + static_cast<long>(size()))});
    m_in.erase(0, 4 + size());
    return true;
  }
  bool Fill() { return LoopbackStream::Fill(kPatience); }

  int m_cseq = 0;
};

inline std::string PercentEncoded(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", c);
    out += std::isalnum(c) ? std::string(1, static_cast<char>(c)) : std::string(escape);
  }
  return out;
}

class RtspStreamTest : public ::testing::Test {
 protected:
  void Start(camsim::Scenario scenario) {
    m_sim = std::make_unique<Simulator>(std::move(scenario), Protocol::kOnvif);
    m_sim->SetTimeScale(kScale);
    std::string error;
    ASSERT_TRUE(m_sim->Start("127.0.0.1:0", &error)) << error;
    ASSERT_NE(m_sim->RtspPort(), 0);
    ASSERT_NE(m_sim->RtspPort(), m_sim->Port());
  }
  std::string Url(const std::string& ip, const std::string& rest = "") const {
    return "rtsp://127.0.0.1:" + std::to_string(m_sim->RtspPort()) + "/onvif/" + ip + "/main" +
           rest;
  }
  std::vector<std::string> Journal(const std::string& serial, std::uint32_t code) const {
    std::vector<std::string> texts;
    for (const auto& entry : m_sim->GetJournal().Find(serial, code)) {
      texts.push_back(entry.kind + ": " + entry.text);
    }
    return texts;
  }

  std::unique_ptr<Simulator> m_sim;
};

struct InputClose {
  void operator()(AVFormatContext* input) const { avformat_close_input(&input); }
};
struct CodecFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};

inline int Status(const std::optional<RtspReply>& reply) {
  return reply ? reply->status : -1;
}

inline std::string SessionOf(const std::optional<RtspReply>& reply) {
  const std::string session = reply ? reply->Get("session") : std::string();
  return session.substr(0, session.find(';'));
}

}  // namespace rtsp_test
