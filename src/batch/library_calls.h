// The device library calls the engine itself makes. They are the real IP_NET_DVR_* functions;
// a test may wrap one (to hold a login back until its outcome has arrived, say) and still call
// through to the library.
#pragma once

#include <functional>

#include "sdk/sdk.h"

namespace batch {

struct LibraryCalls {
  std::function<int(const char* ip, int port, const char* user, const char* password)> login =
      [](const char* ip, int port, const char* user, const char* password) {
        return IP_NET_DVR_Login(ip, port, user, password, nullptr);
      };
  std::function<int(int loginHandle, int enable)> setAutoReconnect = IP_NET_DVR_SetAutoReconnect;
  std::function<int(int loginHandle)> logout = IP_NET_DVR_Logout;
  std::function<int(int loginHandle, int code, int channel, const char* text)> systemControl =
      IP_NET_DVR_SystemControl;
};

}  // namespace batch
