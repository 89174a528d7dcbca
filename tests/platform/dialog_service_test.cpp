#include <gtest/gtest.h>

#include "platform/dialog_service.h"
#include "platform/host_address.h"

namespace {

TEST(DialogService, ScriptedAnswersAreGivenInOrderAndTextsRemembered) {
  platform::ScriptedDialogs scripted;
  platform::SetDialogService(&scripted);
  scripted.QueueAnswer(platform::IDYES);
  EXPECT_TRUE(platform::AskYesNo(nullptr, QStringLiteral("continue?")));
  EXPECT_FALSE(platform::AskYesNo(nullptr, QStringLiteral("again?")));  // unscripted: No
  EXPECT_EQ(platform::AfxMessageBox(nullptr, QStringLiteral("done")), platform::IDOK);
  ASSERT_EQ(scripted.shown().size(), 3u);
  EXPECT_EQ(scripted.shown()[0].text, QStringLiteral("continue?"));
  EXPECT_EQ(scripted.shown()[2].buttons, platform::MessageButtons::Ok);
  scripted.QueueFile(QStringLiteral("/tmp/fw.bin"));
  EXPECT_EQ(platform::Dialogs().GetOpenFileName(nullptr, {}), QStringLiteral("/tmp/fw.bin"));
  EXPECT_TRUE(platform::Dialogs().GetOpenFileName(nullptr, {}).isEmpty());
  platform::SetDialogService(nullptr);
  EXPECT_NE(&platform::Dialogs(), &scripted);
}

TEST(DialogService, Win32FilterBecomesQtFilter) {
  EXPECT_EQ(
      platform::ToQtFileFilter(QStringLiteral("bin Files (*.bin)|*.bin|ALL Files (*.*)|*.*||")),
      QStringLiteral("bin Files (*.bin);;ALL Files (*.*)"));
}

TEST(HostAddress, IsADottedQuadOutsideLoopbackOrNothing) {
  const std::string address = platform::PcAddress();
  if (!address.empty()) {
    int parts[4];
    char tail;
    EXPECT_EQ(std::sscanf(address.c_str(), "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2],
                          &parts[3], &tail),
              4)
        << address;
    EXPECT_NE(parts[0], 127) << address;
  }
  platform::SetPcAddressForTesting("192.168.1.3");
  EXPECT_EQ(platform::PcAddress(), "192.168.1.3");
  platform::SetPcAddressForTesting("");
  EXPECT_EQ(platform::PcAddress(), "");
  platform::SetPcAddressForTesting(std::nullopt);
  EXPECT_EQ(platform::PcAddress(), address);
}

}  // namespace
