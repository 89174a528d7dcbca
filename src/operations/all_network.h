// The all-network switch (instruction rows 2 and 3, check boxes 1215 "开启全网通" and 1216
// "关闭全网通"): every checked device that supports the function gets the wanted state through
// ModifyIPC. It runs on the window thread, one device per turn of the event loop so that the
// window paints between them, and hands over to row 4 after a pause.
#pragma once

#include <cstdint>

#include "operations/operation_context.h"

namespace operations {

constexpr DWORD kAfterAllNetworkPauseMs = 1000;

class AllNetworkSwitch {
 public:
  explicit AllNetworkSwitch(OperationContext& context) : m_context(context) {}

  void Register();
  void Start();

 private:
  void Step();
  void Switch(int row, discovery::DeviceRecord& record);

  OperationContext& m_context;
  std::uint8_t m_wanted = 0;
  int m_nextRow = 0;
};

}  // namespace operations
