#include <gtest/gtest.h>

#include <cstring>

#include "discovery/device_record.h"

namespace {

using discovery::DeviceRecord;

TEST(DeviceRecord, StartsZeroFilled) {
  auto record = std::make_unique<DeviceRecord>();
  EXPECT_EQ(record->loginHandle, 0);
  EXPECT_EQ(record->refoundState, discovery::kRefoundNotSeen);
  EXPECT_EQ(record->responseFlags[14], 0);
  EXPECT_TRUE(record->StatusText().isEmpty());
  EXPECT_EQ(record->info.Serial(), "");
}

TEST(DeviceRecord, ResetFromZeroesEveryFieldAndCopiesTheBlock) {
  DeviceRecord record;
  record.loginHandle = 7;
  record.formatState = discovery::kStateFailed;
  record.workPhase = discovery::kPhaseUpgradeRestarting;
  record.responseFlags[3] = -1;
  record.SetStatusText(QStringLiteral("登录成功"));
  DeviceRecord::CopyVersion(record.versionBefore, "V1");
  sdk::DeviceInfoBlock block;
  std::strcpy(reinterpret_cast<char*>(block.data()), "SN42");
  record.ResetFrom(block);
  EXPECT_EQ(record.info.Serial(), "SN42");
  EXPECT_EQ(record.loginHandle, 0);
  EXPECT_EQ(record.formatState, discovery::kStateWaiting);
  EXPECT_EQ(record.workPhase, discovery::kPhaseNone);
  EXPECT_EQ(record.responseFlags[3], 0);
  EXPECT_TRUE(record.StatusText().isEmpty());
  EXPECT_EQ(record.versionBefore[0], 0);
}

TEST(DeviceRecord, StatusTextKeepsAtMost255Units) {
  DeviceRecord record;
  record.SetStatusText(QString(300, QChar(u'升')));
  EXPECT_EQ(record.StatusText().size(), 255);
}

TEST(DeviceRecord, AProgressTextIsWrittenOnlyWhileTheUpgradeHasNoResult) {
  DeviceRecord running;
  EXPECT_TRUE(running.SetProgressText(QString(300, QChar(u'传'))));
  EXPECT_EQ(running.StatusText(), QString(255, QChar(u'传')));
  EXPECT_TRUE(running.SetProgressText(QStringLiteral("上传文件 40%")));
  EXPECT_EQ(running.StatusText(), QStringLiteral("上传文件 40%"));

  for (const discovery::UpgradeResult result :
       {discovery::kUpgradeSucceeded, discovery::kUpgradeFailed}) {
    DeviceRecord judged;
    judged.SetProgressText(QStringLiteral("上传文件 40%"));
    judged.upgradeResult = result;
    judged.SetStatusText(QStringLiteral("verdict"));
    EXPECT_FALSE(judged.SetProgressText(QStringLiteral("上传文件 41%"))) << result;
    EXPECT_FALSE(judged.SetProgressText(QStringLiteral("校验文件 3(s)"))) << result;
    EXPECT_EQ(judged.StatusText(), QStringLiteral("verdict")) << result;
  }
}

TEST(DeviceRecord, VersionCopyIsBoundedAndTerminated) {
  DeviceRecord record;
  const std::string longVersion(400, 'v');
  DeviceRecord::CopyVersion(record.versionAfter, longVersion.c_str());
  EXPECT_EQ(std::strlen(record.versionAfter.data()), 255u);
  DeviceRecord::CopyVersion(record.versionAfter, nullptr);
  EXPECT_EQ(record.versionAfter[0], 0);
}

}  // namespace
