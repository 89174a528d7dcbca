// One RTSP connection of a live preview, relayed on loopback: libavformat connects to the relay and
// speaks RTSP as it would to the camera; the relay forwards each request over its own connection
// to the camera and answers the camera's login itself. libavformat never holds the credential, so
// it cannot send it where the library would not: in clear text (Basic) unless the setting allows
// it, after the camera refused it to a fresh challenge, or to anyone but the camera. The relay also
// answers SHA-256 digest, which libavformat cannot. Messages are bounded, interleaved packets pass
// unchanged, and a side that does not read stops the relay reading the other. The relay accepts
// one connection, whose first request must name the relay's random path, and ends with either.
// Its work runs on the gateway's thread; the public methods may be called from any thread.
#pragma once

#include <array>
#include <asio.hpp>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "library_options.h"
#include "onvif/http_digest.h"
#include "onvif_backend/rtsp_gateway.h"
#include "onvif_backend/url.h"
#include "settings.h"

namespace netsdk::onvif_backend {

enum class RelayOutcome {
  kNone,            // nothing conclusive yet
  kAccepted,        // the camera took the credential, or asked for none
  kRefused,         // it refused the credential to a fresh challenge; now recorded as refused
  kRefusedEarlier,  // the credential had been refused before: not sent
  kClearText,       // the camera offers only Basic and the setting refuses it
  kNoScheme,        // it offers no login the library can answer
};

// One RTSP request or answer. Headers are as received, less CSeq and Content-Length.
struct RtspMessage {
  std::string startLine;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string cseq;
  std::string body;

  const std::string* Header(const std::string& name) const;  // case-insensitive
};

// What the front of a byte stream holds: nothing whole yet, an interleaved packet, a message, or
// something that is neither (or beyond the bounds).
enum class RtspUnit { kMore, kPacket, kMessage, kBad };
// Takes the first whole unit off the front of in; raw receives its bytes.
RtspUnit TakeRtspUnit(std::string& in, std::string* raw, RtspMessage* message);
std::string WriteRtspMessage(const RtspMessage& message);

class RtspRelay : public std::enable_shared_from_this<RtspRelay> {
 public:
  struct Login {
    std::string device;  // names the device for refused credentials
    Credential credential;
    bool basicAllowed = false;
  };

  // Listens on loopback and connects to camera, whose address passed the destination guard; null
  // with the reason when it cannot listen.
  static std::shared_ptr<RtspRelay> Open(RtspGateway& gateway, const Settings& settings,
                                         const Url& camera, Login login, std::string* why);
  RtspRelay(RtspGateway& gateway, const Settings& settings, const Url& camera, Login login);
  ~RtspRelay();

  // The address libavformat opens: rtsp://127.0.0.1:PORT/<random path><the camera's path>.
  const std::string& Address() const { return m_address; }
  RelayOutcome Outcome() const { return m_outcome.load(); }
  // The schemes the camera offered, when none of them could be answered.
  std::string Offered() const;
  void Close();

 private:
  struct Side {
    explicit Side(asio::io_context& io) : socket(io) {}
    asio::ip::tcp::socket socket;
    std::array<char, 16 * 1024> buffer{};
    std::string in;
    std::deque<std::string> out;
    std::size_t queued = 0;
    bool writing = false;
    bool reading = false;
    bool paused = false;  // not read while the other side has too much to write
  };
  struct Pending {
    RtspMessage request;
    std::string method;
    std::string uri;
    std::string clientCSeq;
    std::string cseq;  // of the copy last sent to the camera
    int sends = 0;
    enum class Sent { kNothing, kDigest, kBasic } credential = Sent::kNothing;
  };

  void Start();
  void OnConnected();
  void Read(Side& side);
  void Write(Side& side);
  void Queue(Side& side, std::string bytes);
  Side& Other(Side& side) { return &side == &m_client ? m_camera : m_client; }
  void FromClient();
  void FromCamera();
  void OnRequest(RtspMessage message);
  void Send(Pending& pending);
  void OnAnswer(RtspMessage answer);
  // True when the request went out again with a credential instead of the answer going back.
  bool Answer401(Pending& pending, const RtspMessage& answer);
  void Shut();

  asio::io_context& m_io;
  RefusedCredentials& m_refused;
  const Settings& m_settings;
  const Url m_target;
  const Login m_login;
  asio::ip::tcp::acceptor m_acceptor;
  asio::steady_timer m_connectTimer;
  Side m_client;
  Side m_camera;
  std::string m_prefix;  // rtsp://127.0.0.1:PORT/<random path>
  std::string m_address;
  std::atomic<RelayOutcome> m_outcome{RelayOutcome::kNone};
  mutable std::mutex m_offeredMutex;
  std::string m_offered;

  // The gateway's thread only.
  bool m_clientUp = false;
  bool m_cameraUp = false;
  bool m_ours = false;  // the client named the random path
  bool m_shut = false;
  std::deque<Pending> m_pending;
  unsigned m_cseq = 0;
  std::optional<onvif::DigestChallenge> m_digest;
  bool m_basic = false;
  std::uint32_t m_nonceCount = 0;
};

}  // namespace netsdk::onvif_backend
