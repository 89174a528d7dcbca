// A small ONVIF client for the simulator's tests: raw HTTP/1.1 over one TCP connection, SOAP calls
// with HTTP digest or a WS-Security token (lib/onvif's client pieces), and WS-Discovery probes on
// UDP. Everything goes to loopback, with a bounded patience for every answer.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <asio.hpp>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "onvif/http_digest.h"
#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif/ws_security.h"
#include "sim/scenario.h"

namespace onvif_test {

constexpr auto kPatience = std::chrono::seconds(10);

// A scenario from its text, which the test expects to be valid.
inline camsim::Scenario Parse(const std::string& text) {
  camsim::Scenario scenario;
  std::string error;
  EXPECT_TRUE(camsim::ParseScenario(text, "test", &scenario, &error)) << error;
  return scenario;
}

using ReadBuffer = std::array<char, 65536>;

// One read on a test client's own io_context, bounded by patience: the bytes read; 0 when none
// came in time or the connection ended, which *closed then says.
inline std::size_t ReadWithin(asio::io_context& io, asio::ip::tcp::socket& socket,
                              ReadBuffer& buffer, std::chrono::milliseconds patience,
                              bool* closed) {
  std::error_code error;
  std::size_t size = 0;
  bool done = false;
  socket.async_read_some(asio::buffer(buffer), [&](const std::error_code& e, std::size_t n) {
    error = e;
    size = n;
    done = true;
  });
  io.restart();
  io.run_for(patience);
  if (!done) {
    socket.cancel();
    io.restart();
    io.run();
    return 0;
  }
  if (error) *closed = true;
  return error ? 0 : size;
}

// Polls until condition holds; false when it did not within the patience.
inline bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

struct HttpReply {
  int status = 0;
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
  std::string body;

  std::vector<std::string> All(const std::string& name) const {
    std::vector<std::string> values;
    for (const auto& [key, value] : headers) {
      if (key == name) values.push_back(value);
    }
    return values;
  }
  std::string Get(const std::string& name) const {
    const auto values = All(name);
    return values.empty() ? std::string() : values.front();
  }
  std::optional<onvif::SoapDocument> Soap() const { return onvif::ParseSoap(body, nullptr); }
  // The first element of this local name in the answer, its text.
  std::string Value(std::string_view ns, std::string_view name) const {
    const auto document = Soap();
    return document ? onvif::Text(onvif::Find(document->Root(), ns, name)) : std::string();
  }
  // Every element of this name in the answer, its text.
  std::vector<std::string> Values(std::string_view ns, std::string_view name) const {
    std::vector<std::string> texts;
    if (const auto document = Soap()) {
      for (const xmlNode* node : onvif::FindAll(document->Root(), ns, name)) {
        texts.push_back(onvif::Text(node));
      }
    }
    return texts;
  }
  // The attribute of the first element of this name in the answer.
  std::string AttributeOf(std::string_view ns, std::string_view name,
                          std::string_view attribute) const {
    const auto document = Soap();
    return document ? onvif::Attribute(onvif::Find(document->Root(), ns, name), attribute)
                    : std::string();
  }
  std::string FaultSubcode() const {
    const auto document = Soap();
    const auto fault = document ? document->Fault() : std::nullopt;
    return fault ? fault->subcode.name : std::string();
  }
};

// A test client's TCP connection to the simulator on loopback: what it sends, and what has
// arrived and is not taken yet.
class LoopbackStream {
 public:
  explicit LoopbackStream(std::uint16_t port) : m_socket(m_io) {
    std::error_code error;
    m_socket.connect({asio::ip::make_address_v4("127.0.0.1"), port}, error);
    m_closed = static_cast<bool>(error);
  }

  void Send(const std::string& bytes) {
    std::error_code ignored;
    asio::write(m_socket, asio::buffer(bytes), ignored);
  }

 protected:
  // Appends what arrives within patience to m_in; false when nothing came.
  bool Fill(std::chrono::milliseconds patience) {
    if (m_closed) return false;
    const std::size_t size = ReadWithin(m_io, m_socket, m_buffer, patience, &m_closed);
    if (size == 0) return false;
    m_in.append(m_buffer.data(), size);
    return true;
  }

  std::string m_in;
  bool m_closed = false;  // the peer ended the connection

 private:
  asio::io_context m_io;
  asio::ip::tcp::socket m_socket;
  ReadBuffer m_buffer{};
};

class HttpClient : public LoopbackStream {
 public:
  using LoopbackStream::LoopbackStream;

  // The next reply; nullopt when the connection ended or nothing came within patience.
  std::optional<HttpReply> Receive(std::chrono::milliseconds patience = kPatience) {
    std::size_t headEnd;
    while ((headEnd = m_in.find("\r\n\r\n")) == std::string::npos) {
      if (!Fill(patience)) return std::nullopt;
    }
    HttpReply reply;
    std::size_t lineEnd = m_in.find("\r\n");
    const std::string status = m_in.substr(0, lineEnd);
    if (status.size() < 12) return std::nullopt;
    reply.status = std::stoi(status.substr(9, 3));
    std::size_t length = 0;
    while (lineEnd < headEnd) {
      const std::size_t next = m_in.find("\r\n", lineEnd + 2);
      const std::string line = m_in.substr(lineEnd + 2, next - lineEnd - 2);
      const std::size_t colon = line.find(':');
      std::string name = line.substr(0, colon);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      if (name == "content-length") length = std::stoul(value);
      reply.headers.emplace_back(name, value);
      lineEnd = next;
    }
    while (m_in.size() < headEnd + 4 + length) {
      if (!Fill(patience)) return std::nullopt;
    }
    reply.body = m_in.substr(headEnd + 4, length);
    m_in.erase(0, headEnd + 4 + length);
    // The peer ends the connection after this answer: nothing more is sent on it.
    if (reply.Get("connection") == "close") m_ending = true;
    return reply;
  }

  // True when the peer ends the connection, having sent nothing (more).
  bool ClosedWithoutReply() {
    while (Fill(kPatience)) {
    }
    return m_closed && m_in.empty();
  }
  // True when nothing more can be sent on this connection.
  bool Closed() const { return m_closed || m_ending; }

 private:
  bool m_ending = false;  // the peer said it will end the connection
};

inline std::string Post(const std::string& target, const std::string& body,
                        const std::vector<std::string>& headers = {},
                        const std::string& contentType = "application/soap+xml; charset=utf-8") {
  std::string request = "POST " + target +
                        " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " + contentType +
                        "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  for (const std::string& header : headers) request += header + "\r\n";
  return request + "\r\n" + body;
}

enum class Auth { kNone, kDigest, kToken };

struct Credentials {
  Auth auth = Auth::kDigest;
  std::string user = "admin";
  std::string password = "Admin123";
  std::int64_t clockOffsetS = 0;  // added to the host's clock for the token's Created
};

// SOAP calls to the services of one device address, on one kept-alive connection.
class OnvifCaller {
 public:
  OnvifCaller(std::uint16_t port, std::string ip) : m_port(port), m_ip(std::move(ip)) {}

  std::string Target(const std::string& service) const { return "/onvif/" + m_ip + "/" + service; }
  void SetAddress(std::string ip) { m_ip = std::move(ip); }
  HttpClient& Connection() {
    if (!m_client || m_client->Closed()) m_client = std::make_unique<HttpClient>(m_port);
    return *m_client;
  }

  // One call; a digest call answers the 401 challenge of its first request. nullopt when the
  // connection ended without an answer.
  std::optional<HttpReply> Call(const std::string& body, const Credentials& credentials = {},
                                const std::string& service = "device_service") {
    const std::string target = Target(service);
    std::string header;
    if (credentials.auth == Auth::kToken) {
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      header = onvif::UsernameTokenHeader(
          credentials.user, credentials.password, onvif::RandomNonce(),
          onvif::FormatCreated(std::chrono::duration_cast<std::chrono::seconds>(now).count() +
                               credentials.clockOffsetS));
    }
    const std::string envelope = onvif::Envelope(header, body);
    Connection().Send(Post(target, envelope));
    auto reply = Connection().Receive();
    if (credentials.auth != Auth::kDigest || !reply || reply->status != 401) return reply;
    std::string offered;
    for (const std::string& value : reply->All("www-authenticate")) {
      offered += (offered.empty() ? "" : ", ") + value;
    }
    const auto challenge = onvif::ParseDigestChallenge(offered);
    if (!challenge) return reply;
    lastChallenge = *challenge;
    return CallWithChallenge(*challenge, 1, body, credentials, service);
  }

  std::optional<HttpReply> CallWithChallenge(const onvif::DigestChallenge& challenge,
                                             std::uint32_t nc, const std::string& body,
                                             const Credentials& credentials,
                                             const std::string& service = "device_service") {
    const std::string target = Target(service);
    const auto authorization = onvif::DigestAuthorization(
        challenge, {"POST", target, credentials.user, credentials.password, nc, "0a4f113b"});
    if (!authorization) return std::nullopt;
    Connection().Send(
        Post(target, onvif::Envelope("", body), {"Authorization: " + *authorization}));
    return Connection().Receive();
  }

  std::optional<onvif::DigestChallenge> lastChallenge;

 private:
  std::uint16_t m_port;
  std::string m_ip;
  std::unique_ptr<HttpClient> m_client;
};

// Probes on UDP from a socket of its own, and the datagrams that come back.
class Prober {
 public:
  explicit Prober(std::uint16_t port)
      : m_socket(m_io, asio::ip::udp::endpoint(asio::ip::make_address_v4("127.0.0.1"), 0)),
        m_target(asio::ip::make_address_v4("127.0.0.1"), port) {}

  void SendRaw(const std::string& bytes) {
    std::error_code ignored;
    m_socket.send_to(asio::buffer(bytes), m_target, 0, ignored);
  }

  // A Probe; types is the d:Types text, declarations extra xmlns attributes for it.
  void Probe(const std::string& messageId, const std::string& types = "",
             const std::string& declarations = "", const std::string& scopes = "") {
    std::string probe = "<d:Probe" + declarations + ">";
    if (!types.empty()) probe += "<d:Types>" + types + "</d:Types>";
    if (!scopes.empty()) probe += "<d:Scopes>" + scopes + "</d:Scopes>";
    probe += "</d:Probe>";
    SendRaw(onvif::Envelope(
        "<wsa:MessageID>" + messageId +
            "</wsa:MessageID><wsa:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</wsa:To>"
            "<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</wsa:Action>",
        probe));
  }

  // Datagrams until count arrived or nothing came within patience.
  std::vector<std::string> Receive(std::size_t count, std::chrono::milliseconds patience) {
    std::vector<std::string> datagrams;
    while (datagrams.size() < count) {
      std::size_t size = 0;
      bool done = false;
      asio::ip::udp::endpoint from;
      m_socket.async_receive_from(asio::buffer(m_buffer), from,
                                  [&](const std::error_code& error, std::size_t n) {
                                    size = error ? 0 : n;
                                    done = true;
                                  });
      m_io.restart();
      m_io.run_for(patience);
      if (!done) {
        m_socket.cancel();
        m_io.restart();
        m_io.run();
        break;
      }
      datagrams.emplace_back(m_buffer.data(), size);
    }
    return datagrams;
  }

 private:
  asio::io_context m_io;
  asio::ip::udp::socket m_socket;
  asio::ip::udp::endpoint m_target;
  std::array<char, 65536> m_buffer{};
};

}  // namespace onvif_test
