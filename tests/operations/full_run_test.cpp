// A run as a new user starts it: the check marks of the first start, less the upgrade (no file
// chosen), over the devices of a real search.
#include <QCheckBox>

#include "operations_fixture.h"

namespace optest {
namespace {

// The same run on either backend: the simulator journals an ONVIF operation under the code of
// its framed counterpart.
using FullRun = BackendTest;

TEST_P(FullRun, TheFirstStartInstructionsRunInTableOrderWithSummariesOnlyWhereDevicesFailed) {
  SetExpectedCount(3);
  window().DlgItem<QCheckBox>(1041)->click();  // "升级固件" off: no file chosen
  for (int id : {1059, 1039, 1040, 1045, 1060}) ASSERT_TRUE(window().IsDlgButtonChecked(id)) << id;
  ClickRun();
  ASSERT_TRUE(WaitForRunEnd(120000));

  for (int i = 0; i < 3; ++i) {
    const std::string serial = "SN100" + std::to_string(i);
    const auto modify = Journal(serial, 1003);
    const auto time = Journal(serial, 1005);
    const auto restore = Journal(serial, 1002);
    ASSERT_EQ(modify.size(), 1u) << serial;
    ASSERT_EQ(time.size(), 1u) << serial;
    ASSERT_EQ(restore.size(), 1u) << serial;
    EXPECT_LT(modify[0].timeMs, time[0].timeMs);
    EXPECT_LT(time[0].timeMs, restore[0].timeMs);
    // After the restore every device answers at the factory address.
    EXPECT_EQ(sim().Device(serial)->ip, "192.168.1.123");
    EXPECT_EQ(Journal(serial, 1001).size(), 0u) << "the logins went with the restore";
    EXPECT_EQ(StatusOf(serial), QStringLiteral("重启设备失败"));
  }
  // The IP change, the time and the restore succeeded everywhere and asked nothing; the reboot
  // met devices whose logins the restore had ended.
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("重启设备完成, 总共:3，成功:0 失败:3。")});
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("执行结束"));
}

INSTANTIATE_TEST_SUITE_P(Backends, FullRun, kBothBackends, BackendName);

}  // namespace
}  // namespace optest
