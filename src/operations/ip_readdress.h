// IP re-addressing (instruction row 1, hidden button 1029): every checked device gets the next
// free address of one subnet, one device after the other, 400 ms apart; then the LAN is searched
// again (timer 1007) and each device must answer at its new address. The pass runs on the window
// thread, one device per step, so that the window paints the "新IP" texts as they come; from its
// start to the end of the verification it owns the device table.
#pragma once

#include <QString>
#include <array>
#include <map>
#include <set>
#include <string>

#include "operations/next_free_address.h"
#include "operations/operation_context.h"

namespace operations {

constexpr UINT kTimerModifyIpSearch = 1007;
constexpr DWORD kModifyIpSearchPeriodMs = 1500;
constexpr DWORD kBetweenDevicesMs = 400;
constexpr DWORD kBeforeReSearchMs = 4000;
// How often a re-search held back by an open preview looks again.
constexpr DWORD kPreviewPollMs = 500;
// Mask and gateway are written into the record with at most this many characters.
constexpr std::size_t kMaxNetworkTextChars = 127;

// One entry of the modify-IP map: the device, where it was and where it was sent.
struct _MODIFYIP {
  std::array<char, 32> serialNumber{};
  std::array<char, 256> oldAddress{};
  std::array<char, 256> newAddress{};
};

class IpReaddress {
 public:
  explicit IpReaddress(OperationContext& context) : m_context(context) {}

  void Register();
  // In start-address mode a mask or gateway that is no address refuses the run before it starts,
  // naming the field; the start address itself is judged by the pass.
  QString StartAddressRefusal() const;
  // The instruction and button 1029.
  void Start();
  // Timer 1007: the re-search and the verification.
  void OnReSearchTimer();

  // Keyed by the serial number in UTF-16; kept until the next pass.
  const std::map<QString, _MODIFYIP>& ModifyIpMap() const { return m_modifyIpMap; }

 private:
  void BeginPass();
  void PassStep();
  // Gives the record of row the next free address; false when none was free.
  bool Readdress(int row, discovery::DeviceRecord& record);
  bool AddressTaken(const std::string& candidate) const;
  void EndPass();
  void StartReSearch();
  void Verify();
  // The batch ends, then the operator learns that the addresses could not be given.
  void EndWithFailure();

  OperationContext& m_context;
  std::map<QString, _MODIFYIP> m_modifyIpMap;
  std::string m_pcAddress;
  StartAddressSettings m_settings;
  // Addresses the library's search results held when the pass began (NVRs and devices beyond
  // the expected count included).
  std::set<std::string> m_heldBySearch;
  // The rows checked before the pass; only they are checked again after the re-search.
  std::set<std::string> m_checkedSerials;
  int m_nextRow = 0;
  int m_changed = 0;
  bool m_devicesLeftUnchanged = false;
};

}  // namespace operations
