// What one RTSP connection has done: its login (a challenge of its own in the scheme the device
// asks for, against the account of the device a request names), the one session it set up on one
// device, and the stream that session plays. The stream's start and stop are journaled as the
// framed stream's are (1020), refused logins as the ONVIF face's (1004). Network thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "sim/detail/device.h"
#include "sim/detail/rtp_sender.h"
#include "sim/detail/rtsp_connection.h"

namespace camsim::detail {

class RtspSession : public std::enable_shared_from_this<RtspSession> {
 public:
  // Within a device's stream path: the stream as a whole, or one of its tracks.
  static constexpr int kAggregate = -1;

  // base is rtsp://HOST:PORT of the server, for the addresses the answers carry.
  RtspSession(Environment& environment, std::weak_ptr<RtspConnection> connection, std::string base);

  // A request whose path names device (null: nobody, or nothing of its), the stream of one of its
  // profiles and track in it.
  void OnRequest(RtspRequest& request, Device* device, int track, const std::string& profile);
  // The device the session was set up on went away, restarted or moved since.
  bool DeviceGone() const;
  // Stops the stream, if one plays.
  void End();

 private:
  enum class Login { kOk, kMissing, kStale, kRefused };

  void Respond(RtspResponse response);
  void Respond(int status) { Respond(RtspResponse{status, {}, {}, {}, false}); }
  // True when the request may go on; otherwise it has been answered.
  bool Authenticate(const RtspRequest& request, Device& device);
  // Against the scheme the device's RTSP server asks for.
  Login CheckCredentials(const RtspRequest& request, const Device& device, std::string* user,
                         std::string* reason) const;
  Login CheckDigest(const RtspRequest& request, const std::string& authorization,
                    const Device& device, std::string* user, std::string* reason) const;
  bool SessionNamed(const RtspRequest& request) const;
  // Of the profile the request names, with a final slash.
  std::string StreamAddress(const Device& device) const;
  // Runs then with the device's clip once it is there, unless the device left meanwhile.
  void WithClip(Device& device, std::function<void(std::shared_ptr<const PreviewClip>)> then);

  void Describe(Device& device);
  void Setup(const RtspRequest& request, Device& device, int track);
  void Play(const RtspRequest& request, Device& device);
  void Teardown(const RtspRequest& request);
  void GetParameter(const RtspRequest& request);

  Environment& m_env;
  const std::weak_ptr<RtspConnection> m_connection;
  const std::string m_base;
  std::string m_nonce;  // of this connection's challenges; a digest on another one is stale
  std::string m_asked;  // the profile the request being answered names
  // The session: set up on one device in one of its lives, at one address.
  std::string m_id;
  Device* m_device = nullptr;
  std::string m_profile;
  unsigned m_generation = 0;
  std::string m_ip;
  RtpTracks m_tracks;
  bool m_playing = false;  // started and journaled, even when the device then sends nothing
  std::shared_ptr<RtpSender> m_sender;
};

}  // namespace camsim::detail
