#include "config/pages/network_ethernet_dlg.h"

namespace config {
namespace {

struct AddressRow {
  int id;
  const char16_t* label;
  TextField field;
  int y;
};
constexpr AddressRow kAddressRows[] = {
    {IDC_ETHERNET_IP, u"IP地址", kEthernetIPAddress, 43},
    {IDC_ETHERNET_NETMASK, u"子网掩码", kEthernetNetmask, 66},
    {IDC_ETHERNET_GATEWAY, u"网关", kEthernetGateway, 89},
    {IDC_ETHERNET_DNS1, u"DNS1", kEthernetDNS1, 112},
    {IDC_ETHERNET_DNS2, u"DNS2", kEthernetDNS2, 135},
};

}  // namespace

CNetworkEthernetDlg::CNetworkEthernetDlg(QWidget* parent)
    : SettingsPage(IDD_NETWORK_ETHERNET, parent) {
  AddGroupBox({7, 7, 424, 159});
  AddEnableFlag(IDC_ETHERNET_ENABLE, QStringLiteral("设置以太网"), {15, 17, 192, 10},
                kEthernetGroupFlag);
  for (const AddressRow& row : kAddressRows) {
    AddLabel(QString::fromUtf16(row.label), {20, row.y + 3, 59, 8}, true);
    AddAddress(row.id, {98, row.y, 100, 15}, row.field);
  }
  AddSaveButton(IDC_ETHERNET_SAVE, {381, 174, 50, 14});
}

}  // namespace config
