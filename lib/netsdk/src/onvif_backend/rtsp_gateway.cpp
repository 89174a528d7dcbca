#include "onvif_backend/rtsp_gateway.h"

namespace netsdk::onvif_backend {

RtspGateway::RtspGateway(RefusedCredentials& refused)
    : m_refused(refused), m_work(asio::make_work_guard(m_io)), m_thread([this] { m_io.run(); }) {}

RtspGateway::~RtspGateway() {
  Stop();
}

void RtspGateway::Stop() {
  m_work.reset();
  m_io.stop();
  if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

RtspGateway::Turn RtspGateway::TakeTurn(const std::string& device, const Credential& credential) {
  if (m_refused.IsRefused(device, credential)) return Turn::kRefused;
  std::lock_guard lock(m_mutex);
  Trial& trial = m_trials[{device, credential.user, credential.password}];
  if (trial.proven) return Turn::kGo;
  if (trial.running) return Turn::kWait;
  trial.running = true;
  return Turn::kTrial;
}

void RtspGateway::Finish(const std::string& device, const Credential& credential, bool trial,
                         Verdict verdict) {
  std::lock_guard lock(m_mutex);
  Trial& state = m_trials[{device, credential.user, credential.password}];
  if (trial) state.running = false;
  if (verdict == Verdict::kAccepted) state.proven = true;
  if (verdict == Verdict::kRefused) state.proven = false;
}

void RtspGateway::Lost(const std::string& device, const Credential& credential) {
  std::lock_guard lock(m_mutex);
  m_trials[{device, credential.user, credential.password}].proven = false;
}

bool RtspGateway::FirstReport(const std::string& device, const std::string& reason) {
  std::lock_guard lock(m_mutex);
  return m_reported.emplace(device, reason).second;
}

}  // namespace netsdk::onvif_backend
