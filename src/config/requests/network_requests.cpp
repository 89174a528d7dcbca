// Ethernet, cloud, FTP, SMTP, streaming and platform-access requests. Text fields go out as the
// stored GBK bytes; TinyXML escapes them.
#include "config/requests/group_builders.h"
#include "config/requests/request_writer.h"

namespace config::requests {

std::string BuildEthernet(const ConfigSet& set) {
  TiXmlElement lan("LANConfig");
  SetText(lan, "IPAddress", set.GetAnsi(kEthernetIPAddress));
  SetText(lan, "Netmask", set.GetAnsi(kEthernetNetmask));
  SetText(lan, "Gateway", set.GetAnsi(kEthernetGateway));
  SetText(lan, "DNS1", set.GetAnsi(kEthernetDNS1));
  SetText(lan, "DNS2", set.GetAnsi(kEthernetDNS2));
  return Serialise(lan);
}

std::string BuildCloud(const ConfigSet& set) {
  TiXmlElement p2p("P2PConfig");
  SetNumber(p2p, "Enable", set.Get(kCloudEnable));
  SetNumber(p2p, "SyncTime", set.Get(kCloudSyncTime));
  return Serialise(p2p);
}

std::string BuildFtp(const ConfigSet& set) {
  // Every record goes out, empty or not: a push always sends the whole group.
  TiXmlElement list("FTPList");
  for (int k = 0; k < kFtpRecordCount; ++k) {
    const FtpRecordFields record = FtpRecord(k);
    TiXmlElement& ftp = AppendChild(list, "FTPConfig");
    SetNumber(ftp, "Index", k);
    SetText(ftp, "ServerIP", set.GetAnsi(record.serverIP));
    SetNumber(ftp, "ServerPort", set.Get(record.serverPort));
    SetText(ftp, "Username", set.GetAnsi(record.username));
    SetText(ftp, "Password", set.GetAnsi(record.password));
    SetText(ftp, "FilePath", set.GetAnsi(record.filePath));
  }
  return Serialise(list);
}

std::string BuildSmtp(const ConfigSet& set) {
  // The account rides on the list element itself; the recipients are its children.
  TiXmlElement list("SMTPList");
  SetText(list, "ServerIP", set.GetAnsi(kSmtpServerIP));
  SetNumber(list, "ServerPort", set.Get(kSmtpServerPort));
  SetNumber(list, "Auth", set.Get(kSmtpAuth));
  SetText(list, "Username", set.GetAnsi(kSmtpUsername));
  SetText(list, "Password", set.GetAnsi(kSmtpPassword));
  SetText(list, "FromEmail", set.GetAnsi(kSmtpFromEmail));
  for (int k = 0; k < kSmtpRecipientCount; ++k) {
    const SmtpRecipientFields recipient = SmtpRecipient(k);
    TiXmlElement& smtp = AppendChild(list, "SMTPConfig");
    SetNumber(smtp, "Index", k);
    SetText(smtp, "ToEmail", set.GetAnsi(recipient.toEmail));
    SetText(smtp, "CcEmail", set.GetAnsi(recipient.ccEmail));
    SetText(smtp, "Subject", set.GetAnsi(recipient.subject));
  }
  return Serialise(list);
}

std::string BuildStreaming(const ConfigSet& set) {
  TiXmlElement media("MediaStreamConfig");
  TiXmlElement& access = AppendChild(media, "StreamAccess");
  SetNumber(access, "Auth", set.Get(kStreamingAuth));
  SetNumber(access, "VideoPort", set.Get(kStreamingVideoPort));
  SetNumber(access, "RTPOverRTSP", set.Get(kStreamingRTPOverRTSP));
  SetNumber(access, "PTZPort", set.Get(kStreamingPTZPort));
  SetNumber(access, "WEBPort", set.Get(kStreamingWEBPort));
  return Serialise(media);
}

std::string BuildPlatformAccess(const ConfigSet& set) {
  TiXmlElement platform("PlatformConfig");
  TiXmlElement& kelmar = AppendChild(platform, "KelmarConfig");
  SetNumber(kelmar, "Enable", set.Get(kPlatformEnable));
  SetText(kelmar, "Server", set.GetAnsi(kPlatformServer));
  SetNumber(kelmar, "Port", set.Get(kPlatformPort));
  SetText(kelmar, "Username", set.GetAnsi(kPlatformUsername));
  SetText(kelmar, "Password", set.GetAnsi(kPlatformPassword));
  return Serialise(platform);
}

}  // namespace config::requests
