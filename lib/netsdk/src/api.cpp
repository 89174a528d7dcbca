// The C functions. Each checks its arguments, finds the runtime and the login, and turns every
// failure, including an exception, into its failure result: nothing escapes into the caller.
#include <cstring>
#include <string>

#include "ansi_path.h"
#include "library.h"
#include "netsdk.h"
#include "onvif_backend/text_encoding.h"
#include "timing.h"
#include "wire/codes.h"

namespace {

using netsdk::DeviceLogin;
using netsdk::Library;
using netsdk::Runtime;

// Texts handed to the library are bounded before they are copied.
constexpr std::size_t kMaxArgument = 255;
constexpr std::size_t kMaxPath = 4095;

template <typename Body>
int Guarded(Body&& body) {
  try {
    return body();
  } catch (...) {
    return -1;
  }
}

bool BoundedText(const char* text, std::size_t max, std::string* out) {
  if (text == nullptr) return false;
  const std::size_t length = strnlen(text, max + 1);
  if (length > max) return false;
  out->assign(text, length);
  return true;
}

// A setting's key and value (a path or a list may be long).
bool OptionArguments(const char* key, const char* value, std::string* name, std::string* text) {
  return BoundedText(key, kMaxArgument, name) && BoundedText(value, kMaxPath, text);
}

bool ValidCode(int code) {
  return code > 0 && static_cast<unsigned>(code) <= NETSDK_RESPONSE_CODE_MASK;
}

// Runs body with the login of handle, or gives -1 before Init or for an unknown handle.
template <typename Body>
int WithSession(int handle, Body&& body) {
  return Guarded([&] {
    std::shared_ptr<Runtime> runtime = Library::Instance().Current();
    if (!runtime) return -1;
    std::shared_ptr<DeviceLogin> session = runtime->Find(handle);
    if (!session) return -1;
    return body(*runtime, *session);
  });
}

template <typename Body>
int WithRuntime(Body&& body) {
  return Guarded([&] {
    std::shared_ptr<Runtime> runtime = Library::Instance().Current();
    if (!runtime) return -1;
    return body(*runtime);
  });
}

}  // namespace

extern "C" {

int IP_NET_DVR_Init(void) {
  return Guarded([] { return Library::Instance().Init(); });
}

int IP_NET_DVR_Cleanup(void) {
  return Guarded([] { return Library::Instance().Cleanup(); });
}

int IP_NET_DVR_SetStatusEventCallBack(IP_NET_DVR_StatusCallBack callback, void* user) {
  return Guarded([&] {
    Library::Instance().GetCallbacks().SetStatus(callback, user);
    return 0;
  });
}

int IP_NET_DVR_SetAUXResponseCallBack(IP_NET_DVR_ResponseCallBack callback, void* user) {
  return Guarded([&] {
    Library::Instance().GetCallbacks().SetResponse(callback, user);
    return 0;
  });
}

int IP_NET_DVR_SetEndpoint(const char* hostPort) {
  return Guarded([&] {
    std::string text;
    if (!BoundedText(hostPort, kMaxArgument, &text)) return -1;
    return Library::Instance().GetSettings().SetEndpoint(text) ? 0 : -1;
  });
}

int IP_NET_DVR_SetTimeScale(double factor) {
  return Guarded([&] { return Library::Instance().GetSettings().SetTimeScale(factor) ? 0 : -1; });
}

int IP_NET_DVR_SetOption(const char* key, const char* value) {
  return Guarded([&] {
    std::string name;
    std::string text;
    std::string why;
    if (!OptionArguments(key, value, &name, &text)) return -1;
    return Library::Instance().GetSettings().SetOption(name, text, &why) ? 0 : -1;
  });
}

int IP_NET_DVR_SetUserOption(const char* key, const char* value) {
  return Guarded([&] {
    std::string name;
    std::string text;
    std::string why;
    if (!OptionArguments(key, value, &name, &text)) return -1;
    // The credentials are GBK, as every text of the interface, and reach devices as UTF-8.
    if (name == "credentials") {
      auto utf8 = netsdk::onvif_backend::GbkToUtf8(text);
      if (!utf8) return -1;
      text = std::move(*utf8);
    }
    return Library::Instance().GetSettings().SetUserOption(name, text, &why) ? 0 : -1;
  });
}

int IP_NET_DVR_GetOption(const char* key, char* value, int size) {
  return Guarded([&] {
    std::string name;
    std::string text;
    netsdk::Settings::Source source{};
    if (!BoundedText(key, kMaxArgument, &name) ||
        !Library::Instance().GetSettings().GetOption(name, &source, &text)) {
      return -1;
    }
    if (value != nullptr) {
      if (size <= 0 || text.size() >= static_cast<std::size_t>(size)) return -1;
      std::memcpy(value, text.c_str(), text.size() + 1);
    }
    return static_cast<int>(source);
  });
}

int IP_NET_DVR_StartSearchIPC(void) {
  return WithRuntime([](Runtime& runtime) {
    runtime.FollowSettings();
    runtime.Search()->Start();
    return 0;
  });
}

int IP_NET_DVR_GetSearchIPCCount(void) {
  return WithRuntime([](Runtime& runtime) { return runtime.Search()->Count(); });
}

int IP_NET_DVR_GetIPCInfo(int index, unsigned char* block) {
  return WithRuntime([&](Runtime& runtime) { return runtime.Search()->Read(index, block); });
}

int IP_NET_DVR_StopSearchIPC(void) {
  return WithRuntime([](Runtime& runtime) {
    runtime.Search()->Stop();
    return 0;
  });
}

int IP_NET_DVR_ModifyIPC(int searchIndex, unsigned char* block) {
  return WithRuntime(
      [&](Runtime& runtime) { return runtime.Search()->Modify(searchIndex, block); });
}

int IP_NET_DVR_Login(const char* ip, int port, const char* user, const char* password,
                     void* /*reserved*/) {
  return WithRuntime([&](Runtime& runtime) {
    netsdk::LoginTarget target;
    if (!BoundedText(ip, kMaxArgument, &target.ip) ||
        !BoundedText(user, kMaxArgument, &target.user) ||
        !BoundedText(password, kMaxArgument, &target.password) || port <= 0 || port > 65535) {
      return -1;
    }
    target.port = static_cast<std::uint16_t>(port);
    const int handle = Library::Instance().NextHandle();
    return runtime.Open(handle, std::move(target)) ? handle : -1;
  });
}

int IP_NET_DVR_SetAutoReconnect(int loginHandle, int enable) {
  return WithSession(loginHandle, [&](Runtime&, DeviceLogin& session) {
    session.SetAutoReconnect(enable != 0);
    return 0;
  });
}

int IP_NET_DVR_Logout(int loginHandle) {
  return WithRuntime([&](Runtime& runtime) {
    std::shared_ptr<DeviceLogin> session = runtime.Remove(loginHandle);
    if (!session) return -1;
    session->Close();
    return 0;
  });
}

int IP_NET_DVR_RebootDVR(int loginHandle) {
  return WithSession(loginHandle, [](Runtime&, DeviceLogin& session) {
    return session.Action(wire::kCodeReboot, 0);
  });
}

int IP_NET_DVR_RestoreConfig(int loginHandle) {
  return WithSession(loginHandle, [](Runtime&, DeviceLogin& session) {
    return session.Action(wire::kCodeRestore, 0);
  });
}

int IP_NET_DVR_FormatDisk(int loginHandle, int disk) {
  return WithSession(loginHandle, [&](Runtime&, DeviceLogin& session) {
    if (disk < 0 || disk > 2) return -1;
    return session.Command(wire::CommandKind::kAction, wire::kCodeFormatDisk, disk, {});
  });
}

int IP_NET_DVR_Upgrade(int loginHandle, const char* path) {
  return WithSession(loginHandle, [&](Runtime& runtime, DeviceLogin& session) {
    std::string ansi;
    std::string file;
    if (!BoundedText(path, kMaxPath, &ansi) || ansi.empty() ||
        !netsdk::AnsiPathToFileSystem(ansi, &file)) {
      return -1;
    }
    auto image = runtime.Firmware().Load(file);
    if (!image) return -1;
    return session.StartUpgrade(std::move(image));
  });
}

int IP_NET_DVR_GetUpgradeState(int loginHandle) {
  return WithSession(loginHandle,
                     [](Runtime&, DeviceLogin& session) { return session.UpgradeState(); });
}

int IP_NET_DVR_GetUpgradeProgress(int loginHandle) {
  return WithSession(loginHandle,
                     [](Runtime&, DeviceLogin& session) { return session.UpgradeProgress(); });
}

int IP_NET_DVR_SystemControl(int loginHandle, int code, int channel, const char* text) {
  return WithSession(loginHandle, [&](Runtime&, DeviceLogin& session) {
    std::string request;
    if (!ValidCode(code) || !BoundedText(text, wire::kMaxText, &request)) return -1;
    return session.Command(wire::CommandKind::kControl, static_cast<std::uint32_t>(code), channel,
                           std::move(request));
  });
}

int IP_NET_DVR_SetDVRConfig(int loginHandle, int code, int channel, const char* xml, int length) {
  return WithSession(loginHandle, [&](Runtime&, DeviceLogin& session) {
    if (!ValidCode(code) || xml == nullptr || length <= 0 ||
        static_cast<std::size_t>(length) > wire::kMaxText + 1) {
      return -1;
    }
    // length counts the terminator; the document ends at the first zero within it.
    std::string document(xml, strnlen(xml, static_cast<std::size_t>(length)));
    return session.Command(wire::CommandKind::kConfig, static_cast<std::uint32_t>(code), channel,
                           std::move(document));
  });
}

int IP_NET_DVR_RealPlayEx(int loginHandle, const char* ip, const char* user, const char* password,
                          IP_NET_DVR_StreamDataCallBack callback, NETSDK_PREVIEW_INFO* request,
                          int /*reserved*/) {
  return WithSession(loginHandle, [&](Runtime& runtime, DeviceLogin& session) {
    netsdk::PreviewTarget target;
    if (callback == nullptr || request == nullptr || !BoundedText(ip, kMaxArgument, &target.ip) ||
        !BoundedText(user, kMaxArgument, &target.user) ||
        !BoundedText(password, kMaxArgument, &target.password)) {
      return -1;
    }
    // A preview logs in with what the program passes, but only beside a login that works.
    if (!session.LoggedIn()) return -1;
    target.port = session.Port();
    target.channel = request->channel;
    target.streamType = request->streamType;
    const int handle = Library::Instance().NextHandle();
    if (!runtime.OpenPreview(handle, session, target, callback, request->user)) return -1;
    runtime.ReleasePreview(handle);
    return handle;
  });
}

int IP_NET_DVR_StopRealPlay(int previewHandle) {
  return WithRuntime([&](Runtime& runtime) { return runtime.ClosePreview(previewHandle); });
}

}  // extern "C"
