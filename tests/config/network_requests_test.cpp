#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/requests/group_requests.h"
#include "request_helpers.h"

namespace config {
namespace {

TEST(NetworkRequests, EthernetSendsTheFiveAddressesAndEmptyFieldsAsEmptyValues) {
  ConfigSet set;
  set.Set(kEthernetGroupFlag, 1);
  EXPECT_EQ(Request(PushGroup::kEthernet, set),
            R"(<LANConfig IPAddress="" Netmask="" Gateway="" DNS1="" DNS2="" />)");

  set.Set(kEthernetIPAddress, QStringLiteral("192.168.1.20"));
  set.Set(kEthernetNetmask, QStringLiteral("255.255.255.0"));
  set.Set(kEthernetGateway, QStringLiteral("192.168.1.1"));
  set.Set(kEthernetDNS1, QStringLiteral("8.8.8.8"));
  EXPECT_EQ(Request(PushGroup::kEthernet, set),
            R"(<LANConfig IPAddress="192.168.1.20" Netmask="255.255.255.0" )"
            R"(Gateway="192.168.1.1" DNS1="8.8.8.8" DNS2="" />)");
}

TEST(NetworkRequests, CloudAndStreamingSendTheirNumbersAsStored) {
  ConfigSet set;
  set.Set(kCloudEnable, 1);
  set.Set(kCloudSyncTime, 1);
  EXPECT_EQ(Request(PushGroup::kCloud, set), R"(<P2PConfig Enable="1" SyncTime="1" />)");
  set.Set(kCloudEnable, 0);
  set.Set(kCloudSyncTime, -7);
  EXPECT_EQ(Request(PushGroup::kCloud, set), R"(<P2PConfig Enable="0" SyncTime="-7" />)");

  // The wrapper and child names differ from the group's page name.
  set.Set(kStreamingAuth, 1);
  set.Set(kStreamingVideoPort, 554);
  set.Set(kStreamingRTPOverRTSP, 1);
  set.Set(kStreamingPTZPort, 6000);
  set.Set(kStreamingWEBPort, -1);
  EXPECT_EQ(Request(PushGroup::kStreaming, set),
            R"(<MediaStreamConfig><StreamAccess Auth="1" VideoPort="554" RTPOverRTSP="1" )"
            R"(PTZPort="6000" WEBPort="-1" /></MediaStreamConfig>)");
}

TEST(NetworkRequests, FtpSendsAllFourRecordsInIndexOrderWithEscapedText) {
  ConfigSet set;
  set.Set(FtpRecord(0).serverIP, QStringLiteral("10.0.0.1"));
  set.Set(FtpRecord(0).serverPort, 21);
  set.Set(FtpRecord(0).username, QStringLiteral("alarm"));
  set.Set(FtpRecord(0).password, QStringLiteral("a&b"));
  set.Set(FtpRecord(0).filePath, QStringLiteral("/up"));
  set.Set(FtpRecord(2).serverPort, 2121);
  set.Set(FtpRecord(2).filePath, QStringLiteral("/cfg"));
  set.Set(FtpRecord(3).serverIP, QStringLiteral("10.0.0.4"));
  set.Set(FtpRecord(3).username, QStringLiteral("fw"));
  EXPECT_EQ(Request(PushGroup::kFtp, set),
            R"(<FTPList>)"
            R"(<FTPConfig Index="0" ServerIP="10.0.0.1" ServerPort="21" Username="alarm" )"
            R"(Password="a&amp;b" FilePath="/up" />)"
            R"(<FTPConfig Index="1" ServerIP="" ServerPort="0" Username="" Password="" )"
            R"(FilePath="" />)"
            R"(<FTPConfig Index="2" ServerIP="" ServerPort="2121" Username="" Password="" )"
            R"(FilePath="/cfg" />)"
            R"(<FTPConfig Index="3" ServerIP="10.0.0.4" ServerPort="0" Username="fw" Password="" )"
            R"(FilePath="" />)"
            R"(</FTPList>)");
}

TEST(NetworkRequests, SmtpCarriesTheAccountOnTheListAndThreeRecipients) {
  ConfigSet set;
  set.Set(kSmtpServerIP, QStringLiteral("smtp.example.com"));
  set.Set(kSmtpServerPort, 25);
  set.Set(kSmtpAuth, 1);
  set.Set(kSmtpUsername, QStringLiteral("cam"));
  set.Set(kSmtpPassword, QStringLiteral("pw"));
  set.Set(kSmtpPasswordConfirm, QStringLiteral("pw"));
  set.Set(kSmtpFromEmail, QStringLiteral("cam@example.com"));
  set.Set(SmtpRecipient(0).toEmail, QStringLiteral("a@example.com"));
  set.Set(SmtpRecipient(0).subject, QStringLiteral("say \"hi\""));
  set.Set(SmtpRecipient(1).ccEmail, QStringLiteral("b@example.com"));
  set.Set(SmtpRecipient(2).subject, QStringLiteral("log"));
  // A value holding a double quote is delimited by apostrophes, the quote itself escaped.
  EXPECT_EQ(Request(PushGroup::kSmtp, set),
            R"(<SMTPList ServerIP="smtp.example.com" ServerPort="25" Auth="1" Username="cam" )"
            R"(Password="pw" FromEmail="cam@example.com">)"
            R"(<SMTPConfig Index="0" ToEmail="a@example.com" CcEmail="" )"
            R"(Subject='say &quot;hi&quot;' />)"
            R"(<SMTPConfig Index="1" ToEmail="" CcEmail="b@example.com" Subject="" />)"
            R"(<SMTPConfig Index="2" ToEmail="" CcEmail="" Subject="log" />)"
            R"(</SMTPList>)");
}

TEST(NetworkRequests, SmtpWithAnUnconfirmedPasswordIsNotSent) {
  ConfigSet set;
  set.Set(kSmtpPassword, QStringLiteral("secret1"));
  set.Set(kSmtpPasswordConfirm, QStringLiteral("secret2"));
  EXPECT_EQ(Request(PushGroup::kSmtp, set), kNotSent);
  set.Set(kSmtpPasswordConfirm, QStringLiteral("secret"));  // a prefix is no match either
  EXPECT_EQ(Request(PushGroup::kSmtp, set), kNotSent);
  set.Set(kSmtpPasswordConfirm, QStringLiteral("secret1"));
  EXPECT_EQ(Request(PushGroup::kSmtp, set),
            R"(<SMTPList ServerIP="" ServerPort="0" Auth="0" Username="" Password="secret1" )"
            R"(FromEmail=""><SMTPConfig Index="0" ToEmail="" CcEmail="" Subject="" />)"
            R"(<SMTPConfig Index="1" ToEmail="" CcEmail="" Subject="" />)"
            R"(<SMTPConfig Index="2" ToEmail="" CcEmail="" Subject="" /></SMTPList>)");
}

TEST(NetworkRequests, PlatformAccessEscapesMarkupControlBytesAndEveryAmpersand) {
  ConfigSet set;
  set.Set(kPlatformEnable, 1);
  set.Set(kPlatformServer, QStringLiteral("a<b>c"));
  set.Set(kPlatformPort, 8000);
  SetBytes(set, kPlatformUsername, "it's \xd3\xc3\xbb\xa7");  // GBK bytes pass unchanged
  SetBytes(set, kPlatformPassword, "\x01\x1f\t&#x41;");
  EXPECT_EQ(Request(PushGroup::kPlatformAccess, set),
            "<PlatformConfig><KelmarConfig Enable=\"1\" Server=\"a&lt;b&gt;c\" Port=\"8000\" "
            "Username=\"it&apos;s \xd3\xc3\xbb\xa7\" Password=\"&#x01;&#x1F;&#x09;&amp;#x41;\" />"
            "</PlatformConfig>");
}

TEST(NetworkRequests, DocumentLongerThanItsGroupsLimitIsNeverSent) {
  // The platform-access document holds at most 1023 bytes. With empty texts it is 103 bytes;
  // each "&" of a text takes five once escaped.
  const std::string empty =
      R"(<PlatformConfig><KelmarConfig Enable="0" Server="" Port="0" Username="" )"
      R"(Password="" /></PlatformConfig>)";
  ASSERT_EQ(empty.size(), 103u);
  ConfigSet set;
  SetBytes(set, kPlatformServer, std::string(184, '&'));  // 920 bytes escaped: 1023 in all
  const std::optional<std::string> full = BuildGroupRequest(PushGroup::kPlatformAccess, set);
  ASSERT_TRUE(full.has_value());
  EXPECT_EQ(full->size(), 1023u);
  set.Set(kPlatformUsername, QStringLiteral("u"));
  EXPECT_EQ(Request(PushGroup::kPlatformAccess, set), kNotSent);

  // Ethernet holds at most 2047 bytes although its buffer is 4096: 64 bytes with empty texts,
  // 1530 for 255 escaped quotes, 453 more for 90 ampersands and three letters.
  ConfigSet lan;
  SetBytes(lan, kEthernetIPAddress, std::string(255, '"'));
  SetBytes(lan, kEthernetNetmask, std::string(90, '&') + "abc");
  const std::optional<std::string> lanFull = BuildGroupRequest(PushGroup::kEthernet, lan);
  ASSERT_TRUE(lanFull.has_value());
  EXPECT_EQ(lanFull->size(), 2047u);
  SetBytes(lan, kEthernetNetmask, std::string(90, '&') + "abcd");
  EXPECT_EQ(Request(PushGroup::kEthernet, lan), kNotSent);

  // Four FTP records of full 255-byte texts exceed 2047 bytes without any escaping.
  ConfigSet ftp;
  for (int k = 0; k < kFtpRecordCount; ++k) {
    for (TextField field : {FtpRecord(k).serverIP, FtpRecord(k).username, FtpRecord(k).password,
                            FtpRecord(k).filePath}) {
      ftp.Set(field, QString(255, QChar(u'f')));
    }
  }
  EXPECT_EQ(Request(PushGroup::kFtp, ftp), kNotSent);
}

TEST(NetworkRequests, GroupOutsideTheFifteenGivesNothing) {
  const ConfigSet set;
  EXPECT_FALSE(BuildGroupRequest(static_cast<PushGroup>(kPushGroupCount), set).has_value());
  EXPECT_FALSE(BuildGroupRequest(static_cast<PushGroup>(-1), set).has_value());
  EXPECT_TRUE(BuildGroupRequest(static_cast<PushGroup>(kPushGroupCount - 1), set).has_value());
}

}  // namespace
}  // namespace config
