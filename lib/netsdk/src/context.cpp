#include "context.h"

namespace netsdk {

void ConnectToLan(const Context& context, ConnectHandler done) {
  const wire::Endpoint endpoint = context.settings.Endpoint();
  std::error_code error;
  const asio::ip::address_v4 address = asio::ip::make_address_v4(endpoint.host, error);
  auto socket = std::make_shared<asio::ip::tcp::socket>(context.io);
  if (error || !address.is_loopback()) {
    asio::post(context.io, [done = std::move(done), socket] {
      done(asio::error::make_error_code(asio::error::address_family_not_supported),
           std::move(*socket));
    });
    return;
  }
  socket->async_connect(asio::ip::tcp::endpoint(address, endpoint.port),
                        [done = std::move(done), socket](const std::error_code& result) {
                          done(result, std::move(*socket));
                        });
}

}  // namespace netsdk
