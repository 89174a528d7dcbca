#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <utility>

#include "text/fixed_texts.h"
#include "text/text.h"
#include "text/text_table.h"

namespace texts {
namespace {

// The texts as operators know them, spelled in UTF-8 so that a slip in the UTF-16 table (or in
// its encoding) shows up as a difference.
constexpr std::pair<const char*, const char*> kExpectedPairs[] = {
    {"全选", "All"},
    {"反选", "INV"},
    {"总数:", "Total:"},
    {"已选:", "Check:"},
    {"设备升级数目:", "Num of Cameras:"},
    {"成功:", "Success:"},
    {"失败:", "Failed:"},
    {"IP地址", "IP Address"},
    {"物理地址", "MAC Address"},
    {"序列号", "SN"},
    {"设备类型", "Device Type"},
    {"升级前版本号", "Current Version"},
    {"升级后版本号", "New Version"},
    {"状态信息", "Status Info"},
    {"设备信息", "Device Info"},
    {"固件升级", "Firmware Upgrade"},
    {"升级文件", "Upgrade File:"},
    {"浏览", "Upgrade"},
    {"升级指令", "Select Action"},
    {"搜索", "Search"},
    {"修改IP", "Modify IP"},
    {"升级", "Upgrade"},
    {"同步时间", "Set Time"},
    {"格式化超时时间(分钟)", "Format Timeout(Minute)"},
    {"格式化SD1", "Format SD1"},
    {"格式化SD2", "Format SD2"},
    {"格式化USB", "Format USB"},
    {"恢复设置", "Factory Set"},
    {"重启设备", "Reboot"},
    {"执行", "Enter"},
    {"升级信息", "Upgrade Information"},
    {"当前动作:", "Current Action:"},
    {"搜索到的IPC数量与设备升级数量不一致，是否继续搜索？",
     "The selected number of cameras have not been found,continue searching?"},
    {"设备IP修改失败，升级停止", "Device IP modification fails, the upgrade stops"},
    {"请先选择设备!", "Please select the device!"},
    {"请先选择升级文件!", "Please select the upgrade files!"},
    {"是否继续执行剩下的指令？", "Whether to continue the rest of the instructions？"},
    {"升级完成, 总共:", "Upgrading the devices are completed, total :"},
    {"是否播放视频来找出这些设备?", "whether to play the video to find out these devices?"},
    {"正在搜索", "Searching"},
    {"执行结束", "Complete"},
    {"正在升级", "Upgrading"},
    {"正在修改IP", "Modifying IP"},
    {"正在格式化SD1", "Formatting SD1"},
    {"正在格式化SD2", "Formatting SD2"},
    {"正在格式化USB", "Formatting USB"},
    {"正在重启设备", "Rebooting devices"},
    {"正在恢复出厂设置", "Restore to factory settings"},
    {"正在设置时间", "Setting Time"},
    {"正在登录", "Loging in"},
    {"登录成功", "Login OK"},
    {"登录失败", "login failed"},
    {"获取存储设备信息", "get storage info"},
    {"获取存储设备信息失败", "Getting storage info failed"},
    {"未挂载", "not mount"},
    {"格式化失败", "Format failed"},
    {"格式化超时", "format timeout"},
    {"正在格式化", "Formatting"},
    {"格式化成功", "Format OK"},
    {"重启设备成功", "reboot device OK"},
    {"重启设备失败", "reboot device failed"},
    {"恢复出厂设置失败", "Restoring to factory setting failed"},
    {"恢复出厂设置成功", "Factory Reset OK"},
    {"同步时间成功", "set time OK"},
    {"同步时间失败", "set time Failed"},
    {"登录内存申请失败", "login malloc memory failed"},
    {"内存申请失败", "malloc memory failed"},
    {"获取版本号", "get version"},
    {"上传文件内存申请失败", "upload file malloc memory failed"},
    {"获取上传文件进度内存申请失败", "malloc memory failt when get upload progress"},
    {"获取版本号失败", "get version failed"},
    {"提交上传文件失败", "upload file failed"},
    {"上传完成，校验文件", "finished upload,checking file"},
    {"上传文件失败", "upload file failed"},
    {"该文件不能升级", "the file can not upgrade"},
    {"设备重启，尝试登录", "device rebooted, trying to login"},
    {"校验文件超时，升级失败", "checking file timeout, upgrade failed"},
    {"上传完成，校验文件", "finished upload,checking file"},
    {"获取上传文件进度失败", "get progress of uploading file failed"},
    {"上传文件", "uploading file"},
    {"修改IP失败", "modify IP failed"},
    {"修改IP成功", "modify IP OK"},
    {"新IP", "new IP"},
    {"升级成功", "upgrade scuccess"},
    {"版本号一致，升级失败", "same version, upgrade failed"},
    {"重启设备完成, 总共", "Finished rebooting the devices"},
    {"恢复出厂设置完成, 总共", "Restoring to factory setting is complete."},
    {"是否继续操作？", "Continue operating？"},
    {"同步时间完成, 总共", "Time Changed is complete, Total"},
    {"格式化完成, 总共", "Formatting is finish, Total"},
};

QString Units(std::initializer_list<char16_t> units) {
  return QString(reinterpret_cast<const QChar*>(std::data(units)),
                 static_cast<qsizetype>(units.size()));
}

TEST(TextPairTable, HoldsTheNinetyPairsExactlyAsWrittenFirstAndEveryLaterPairInBothLanguages) {
  static_assert(std::size(kExpectedPairs) == kHistoricTextPairCount);
  ASSERT_EQ(kHistoricTextPairCount, 90);
  ASSERT_EQ(kTextPairs.size(), static_cast<std::size_t>(kTextPairCount));
  for (int k = kHistoricTextPairCount; k < kTextPairCount; ++k) {
    const TextId id = static_cast<TextId>(k);
    EXPECT_FALSE(Text(id, kLanguageChinese).isEmpty()) << "pair " << k;
    EXPECT_FALSE(Text(id, kLanguageEnglish).isEmpty()) << "pair " << k;
  }
  for (int k = 0; k < kHistoricTextPairCount; ++k) {
    const TextId id = static_cast<TextId>(k);
    EXPECT_EQ(Text(id, kLanguageChinese), QString::fromUtf8(kExpectedPairs[k].first))
        << "pair " << k;
    EXPECT_EQ(Text(id, kLanguageEnglish), QString::fromUtf8(kExpectedPairs[k].second))
        << "pair " << k;
  }
}

TEST(TextPairTable, KeepsMisspellingsAndFullWidthPunctuation) {
  EXPECT_EQ(Text(kTextUpgradeSucceeded, kLanguageEnglish),
            Units({u'u', u'p', u'g', u'r', u'a', u'd', u'e', u' ', u's', u'c', u'u', u'c', u'c',
                   u'e', u's', u's'}));
  EXPECT_EQ(Text(kTextProgressOutOfMemory, kLanguageEnglish),
            QStringLiteral("malloc memory failt when get upload progress"));
  EXPECT_EQ(Text(kTextLoggingIn, kLanguageEnglish),
            Units({u'L', u'o', u'g', u'i', u'n', u'g', u' ', u'i', u'n'}));

  // Pairs 36 and 87 end in the full-width question mark U+FF1F in both languages.
  for (TextId id : {kTextAskContinueInstructions, kTextAskContinueOperating}) {
    for (int language : {kLanguageChinese, kLanguageEnglish}) {
      const QString text = Text(id, language);
      ASSERT_FALSE(text.isEmpty());
      EXPECT_EQ(text.back().unicode(), 0xFF1F) << "pair " << id << " language " << language;
      EXPECT_FALSE(text.contains(QChar(u'?')));
    }
  }
  EXPECT_EQ(Text(kTextAskContinueInstructions, kLanguageEnglish),
            QStringLiteral("Whether to continue the rest of the instructions") + QChar(0xFF1F));

  // Full-width comma in the Chinese status texts, ASCII punctuation where the table has it.
  EXPECT_EQ(Text(kTextUploadedCheckingFile, kLanguageChinese),
            Units({0x4E0A, 0x4F20, 0x5B8C, 0x6210, 0xFF0C, 0x6821, 0x9A8C, 0x6587, 0x4EF6}));
  EXPECT_EQ(Text(kTextSameVersionFailed, kLanguageChinese).at(5).unicode(), 0xFF0C);
  EXPECT_EQ(Text(kTextUpgradeCompleteTotal, kLanguageChinese),
            QString::fromUtf8("升级完成, 总共:"));
  EXPECT_EQ(Text(kTextFormatTimeout, kLanguageChinese), QString::fromUtf8("格式化超时时间(分钟)"));
}

TEST(TextPairTable, SharedTextsStayShared) {
  EXPECT_EQ(Text(kTextBrowse, kLanguageEnglish), QStringLiteral("Upgrade"));
  EXPECT_EQ(Text(kTextUpgrade, kLanguageEnglish), QStringLiteral("Upgrade"));
  EXPECT_NE(Text(kTextBrowse, kLanguageChinese), Text(kTextUpgrade, kLanguageChinese));

  EXPECT_EQ(Text(kTextSubmitUploadFailed, kLanguageEnglish), QStringLiteral("upload file failed"));
  EXPECT_EQ(Text(kTextUploadFailed, kLanguageEnglish), QStringLiteral("upload file failed"));
  EXPECT_NE(Text(kTextSubmitUploadFailed, kLanguageChinese),
            Text(kTextUploadFailed, kLanguageChinese));

  for (int language : {kLanguageChinese, kLanguageEnglish}) {
    EXPECT_EQ(Text(kTextUploadedCheckingFile, language), Text(kTextCheckingFileSeconds, language));
  }
  EXPECT_EQ(Text(kTextCheckingFileSeconds, kLanguageEnglish),
            QStringLiteral("finished upload,checking file"));
}

TEST(TextLookup, UnknownLanguageReadsChineseAndUnknownIdReadsEmpty) {
  for (int language : {-1, 2, 1000}) {
    EXPECT_EQ(Text(kTextSearching, language), QString::fromUtf8("正在搜索"));
  }
  EXPECT_EQ(Text(kTextSearching, kLanguageEnglish), QStringLiteral("Searching"));
  EXPECT_TRUE(Text(static_cast<TextId>(-1), kLanguageChinese).isEmpty());
  EXPECT_TRUE(Text(static_cast<TextId>(kTextPairCount), kLanguageEnglish).isEmpty());
  EXPECT_TRUE(IsLanguageIndex(0));
  EXPECT_TRUE(IsLanguageIndex(1));
  EXPECT_FALSE(IsLanguageIndex(2));
  EXPECT_FALSE(IsLanguageIndex(-1));
}

TEST(FixedTexts, AreTheSameChineseTextsInBothLanguages) {
  EXPECT_EQ(QString::fromUtf16(kAllNetworkHeading), QString::fromUtf8("全网通"));
  EXPECT_EQ(QString::fromUtf16(kAllNetworkEnabled), QString::fromUtf8("已启用"));
  EXPECT_EQ(QString::fromUtf16(kAllNetworkDisabled), QString::fromUtf8("未启用"));
  EXPECT_EQ(QString::fromUtf16(kAllNetworkUnsupported), QString::fromUtf8("不支持"));
  EXPECT_EQ(QString::fromUtf16(kModifySucceeded), QString::fromUtf8("修改成功"));
  EXPECT_EQ(QString::fromUtf16(kModifyFailed), QString::fromUtf8("修改失败"));
}

}  // namespace
}  // namespace texts
