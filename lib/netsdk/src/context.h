// What the library's parts share: the network thread's io_context, the settings and the callback
// thread.
#pragma once

#include <asio.hpp>
#include <functional>
#include <memory>

#include "dispatcher.h"
#include "settings.h"

namespace netsdk {

struct Context {
  asio::io_context& io;
  const Settings& settings;
  Dispatcher& events;
};

// Opens a TCP connection to the virtual LAN's endpoint (loopback, checked when it was set).
// done(error, socket) runs on the network thread.
using ConnectHandler = std::function<void(const std::error_code&, asio::ip::tcp::socket)>;
void ConnectToLan(const Context& context, ConnectHandler done);

}  // namespace netsdk
