#include "onvif_backend/device_details.h"

#include <chrono>

namespace netsdk::onvif_backend {
namespace {

class DetailsFetch : public std::enable_shared_from_this<DetailsFetch> {
 public:
  DetailsFetch(OnvifServices& services, std::string endpoint, std::vector<Url> addresses,
               std::vector<Credential> credentials,
               std::function<void(std::optional<DeviceDetails>)> done)
      : m_services(services),
        m_endpoint(std::move(endpoint)),
        m_addresses(std::move(addresses)),
        m_credentials(std::move(credentials)),
        m_done(std::move(done)) {}

  void Begin() { TryAddress(0); }

 private:
  void TryAddress(std::size_t index) {
    if (index >= m_addresses.size()) return Finish(false);
    m_address = index;
    m_service = m_addresses[index];
    TryCredential(0);
  }

  void TryCredential(std::size_t index) {
    if (index >= m_credentials.size()) return Finish(false);
    m_index = index;
    m_details.channel = std::make_shared<SoapChannel>(m_services.http, m_services.refused,
                                                      m_endpoint, m_credentials[index]);
    if (m_details.channel->CredentialRefused()) return TryCredential(index + 1);
    auto self = shared_from_this();
    if (m_clockKnown) {
      m_details.channel->SetClockOffset(m_clockOffset);
      return ReadInformation();
    }
    ReadClock(m_details.channel, m_service, [self](const CallResult& result, const DeviceClock&) {
      if (result.outcome == CallResult::Outcome::kRefused) {
        return self->TryCredential(self->m_index + 1);
      }
      // Nobody there: the device's next announced address may be the one that works.
      if (!result.Answered()) return self->TryAddress(self->m_address + 1);
      if (!result.Ok()) return self->Finish(false);
      self->m_clockKnown = true;
      self->m_details.service = self->m_service;
      self->m_clockOffset = self->m_details.channel->ClockOffset();
      self->ReadInformation();
    });
  }

  // Every step after the clock needs the credential; a refusal moves on to the next one.
  void Step(const std::string& operation, const std::string& body,
            std::function<bool(const CallResult&)> read, std::function<void()> next) {
    auto self = shared_from_this();
    m_details.channel->Call(
        m_service, DeviceAction(operation), body, true,
        [self, read = std::move(read), next = std::move(next)](CallResult result) {
          if (result.outcome == CallResult::Outcome::kRefused) {
            return self->TryCredential(self->m_index + 1);
          }
          if (!read(result)) return self->Finish(false);
          next();
        });
  }

  void ReadInformation() {
    auto self = shared_from_this();
    Step(
        "GetDeviceInformation", GetDeviceInformationBody(),
        [self](const CallResult& result) {
          return result.Ok() && ReadDeviceInformation(result.Body(), &self->m_details.information);
        },
        [self] { self->ReadNetwork(); });
  }

  void ReadNetwork() {
    auto self = shared_from_this();
    Step(
        "GetNetworkInterfaces", GetNetworkInterfacesBody(),
        [self](const CallResult& result) {
          // A device that lists no interface, or refuses to, is still listed: at the address
          // that answered, without a MAC (and cannot be re-addressed).
          if (result.Ok() && ReadNetworkInterface(result.Body(), &self->m_details.network)) {
            return true;
          }
          if (!result.Answered()) return false;
          self->m_details.network = NetworkInterface{};
          self->m_details.network.address = self->m_service.host;
          return true;
        },
        [self] { self->ReadGateway(); });
  }

  void ReadGateway() {
    auto self = shared_from_this();
    Step(
        "GetNetworkDefaultGateway", GetNetworkDefaultGatewayBody(),
        [self](const CallResult& result) {
          // A device without the operation still has a usable address: no gateway then.
          if (result.Answered() && !result.Ok()) return true;
          return result.Ok() && ReadDefaultGateway(result.Body(), &self->m_details.gateway);
        },
        [self] { self->Finish(true); });
  }

  void Finish(bool filled) {
    auto done = std::move(m_done);
    if (!done) return;
    if (filled) {
      done(std::move(m_details));
    } else {
      done(std::nullopt);
    }
  }

  OnvifServices& m_services;
  const std::string m_endpoint;
  const std::vector<Url> m_addresses;
  std::size_t m_address = 0;
  Url m_service;
  const std::vector<Credential> m_credentials;
  std::function<void(std::optional<DeviceDetails>)> m_done;
  std::size_t m_index = 0;
  bool m_clockKnown = false;
  std::int64_t m_clockOffset = 0;
  DeviceDetails m_details;
};

}  // namespace

std::int64_t ClockOffsetOf(const DeviceClock& clock) {
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  return clock.utcSeconds - now;
}

void ReadClock(const std::shared_ptr<SoapChannel>& channel, const Url& service,
               std::function<void(const CallResult&, const DeviceClock&)> done) {
  std::weak_ptr<SoapChannel> weak = channel;
  channel->Call(service, DeviceAction("GetSystemDateAndTime"), GetSystemDateAndTimeBody(), false,
                [weak, done = std::move(done)](CallResult result) {
                  DeviceClock clock;
                  if (result.Ok() && !ReadDeviceClock(result.Body(), &clock)) {
                    result.outcome = CallResult::Outcome::kBroken;
                    result.error = "no time in the answer";
                  }
                  if (auto channel = weak.lock(); channel && result.Ok()) {
                    channel->SetClockOffset(ClockOffsetOf(clock));
                  }
                  done(result, clock);
                });
}

void FetchDetails(OnvifServices& services, const std::string& endpoint, std::vector<Url> addresses,
                  std::vector<Credential> credentials,
                  std::function<void(std::optional<DeviceDetails>)> done) {
  auto fetch = std::make_shared<DetailsFetch>(services, endpoint, std::move(addresses),
                                              std::move(credentials), std::move(done));
  fetch->Begin();
}

}  // namespace netsdk::onvif_backend
