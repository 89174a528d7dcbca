// The configuration push through the real window to ONVIF cameras of three models: every page set,
// each group's row outcome as far as the device's services and options carry it.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <map>

#include "config/config_fields.h"
#include "config/config_set.h"
#include "config/pages/other_set_dlg.h"
#include "config/pages/settings_page.h"
#include "config/push/push_groups.h"
#include "operations_fixture.h"

namespace optest {
namespace {

using camsim::OnvifSettings;

class OnvifPushing : public OperationsTest {
 protected:
  void BeforeInit() override {
    m_protocol = camsim::Protocol::kOnvif;
    OperationsTest::BeforeInit();
  }

  config::SettingsPage& Page(int index) { return *window().OtherSettings().Page(index); }
  void Select(int page, int id, const QString& text) {
    auto* list = Page(page).DlgItem<QComboBox>(id);
    ASSERT_NE(list, nullptr) << id;
    const int index = list->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list->setCurrentIndex(index);
  }
  void Type(int page, int id, const QString& text) {
    auto* edit = Page(page).DlgItem<QLineEdit>(id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
  }
};

// Where a group ends on each model: true for "…成功", false for "…失败".
struct Outcome {
  const char16_t* statusName;
  bool a;
  bool b;
  bool c;
};

// Cloud, FTP, SMTP, platform access, maintenance and language have no ONVIF counterpart; Ethernet
// never goes out with one address for three devices. Model C (an older box camera) has only the
// H.264 Baseline profile, no automatic IR-cut filter and no on-screen display.
constexpr Outcome kOutcomes[] = {
    {u"设置云平台", false, false, false},   {u"设置FTP", false, false, false},
    {u"设置SMTP", false, false, false},     {u"设置流媒体", true, true, true},
    {u"设置平台接入", false, false, false}, {u"设置视频采集", true, true, false},
    {u"设置时间和标题", true, true, false}, {u"设置视频编码", true, true, false},
    {u"设置音频编码", true, true, true},    {u"设置移动侦测告警", true, true, true},
    {u"设置admin帐号", true, true, true},   {u"设置时钟", true, true, true},
    {u"设置定时维护", false, false, false}, {u"设置设备语言", false, false, false},
    {u"设置以太网", false, false, false}};

TEST_F(OnvifPushing, EveryPageSetReachesThreeModelsAndEachGroupEndsAsItsDeviceAllows) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[0].onvif.model = OnvifSettings::Model::kA;
  scenario.devices[1].onvif.model = OnvifSettings::Model::kB;
  scenario.devices[2].onvif.model = OnvifSettings::Model::kC;
  StartWith(scenario);
  FindDevices(3);
  // Every group's box, page by page in tree order.
  constexpr int kEnableBoxes[config::kPushGroupCount] = {
      1059, 1039, 1110, 1126, 1139, 1146, 1153, 1169, 1175, 1186, 1191, 1198, 1059, 1203, 1200};
  for (int page = 0; page < config::kPushGroupCount; ++page) {
    auto* box = Page(page).DlgItem<QCheckBox>(kEnableBoxes[page]);
    ASSERT_NE(box, nullptr) << page;
    if (!box->isChecked()) box->click();
  }
  // Video encoding: 720P and VGA, which all three offer; the main stream at a constant rate.
  Select(8, 1178, QStringLiteral("720P"));
  Select(8, 1179, QStringLiteral("VGA"));
  Select(8, 1180, QStringLiteral("CBR"));
  Select(8, 1026, QStringLiteral("VBR"));
  Type(8, 1181, QStringLiteral("2"));
  Type(8, 1182, QStringLiteral("1"));
  Type(8, 1183, QStringLiteral("2048"));
  Type(8, 1184, QStringLiteral("512"));
  Select(8, 1025, QStringLiteral("20"));
  Select(8, 1027, QStringLiteral("15"));
  // The time at the upper left, a title at the lower left.
  Select(7, 1170, QStringLiteral("启用"));
  Select(7, 1172, QStringLiteral("左上角"));
  Select(7, 1174, QStringLiteral("左下角"));
  Type(7, 1090, QStringLiteral("Gate 3"));
  Select(9, 1187, QStringLiteral("启用"));
  // Capture: the IR-cut filter switching by itself, the picture a little brighter.
  Select(6, 1154, QStringLiteral("主动模式"));
  Type(6, 1092, QStringLiteral("160"));
  Select(10, 1192, QStringLiteral("启用"));
  Select(10, 1023, QStringLiteral("2X2"));
  Type(10, 1193, QStringLiteral("60"));
  Type(10, 1087, QStringLiteral("2"));
  config::ConfigSet& set = config::ProcessConfigSet();
  set.Set(config::MotionBlockFlag(0), 1);
  set.Set(config::kAccountPassword, QStringLiteral("Site42pw"));
  set.Set(config::kAccountPasswordConfirm, QStringLiteral("Site42pw"));
  set.Set(config::kStreamingVideoPort, 554);
  set.Set(config::kStreamingWEBPort, 8080);
  set.Set(config::kClockTimeMode, 1);
  set.Set(config::kClockTimeZone, 20);
  set.Set(config::kEthernetIPAddress, QStringLiteral("192.168.1.77"));
  set.Set(config::kEthernetNetmask, QStringLiteral("255.255.255.0"));
  set.Set(config::kEthernetGateway, QStringLiteral("192.168.1.1"));

  const std::vector<std::string> serials = {"SN1000", "SN1001", "SN1002"};
  std::map<std::string, std::vector<QString>> seen;
  Choose({batch::kRowOtherSettings});
  ClickRun();
  ASSERT_TRUE(RunUntil(
      [&] {
        for (const std::string& serial : serials) {
          const QString text = StatusOf(serial);
          auto& texts = seen[serial];
          if (texts.empty() || texts.back() != text) texts.push_back(text);
        }
        return !window().Runs().IsRunning();
      },
      180000));
  for (std::size_t device = 0; device < serials.size(); ++device) {
    const auto& texts = seen[serials[device]];
    auto shown = [&texts](const QString& text) {
      return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    for (const Outcome& outcome : kOutcomes) {
      const QString name = QString::fromUtf16(outcome.statusName);
      const bool carried = device == 0 ? outcome.a : device == 1 ? outcome.b : outcome.c;
      EXPECT_EQ(shown(name + QStringLiteral("成功")), carried)
          << serials[device] << " " << name.toStdString();
      EXPECT_EQ(shown(name + QStringLiteral("失败")), !carried)
          << serials[device] << " " << name.toStdString();
    }
  }
  // What the devices took: the new password, and on model A the encoder and the title.
  for (const std::string& serial : serials) {
    EXPECT_EQ(sim().Device(serial)->password, "Site42pw") << serial;
  }
  const auto encoders = Journal("SN1000", 523);
  ASSERT_EQ(encoders.size(), 2u) << "main and second stream";
  EXPECT_NE(encoders[0].text.find("1280x720"), std::string::npos) << encoders[0].text;
  EXPECT_NE(encoders[1].text.find("640x480"), std::string::npos) << encoders[1].text;
  bool titled = false;
  for (const auto& entry : Journal("SN1000", 525))
    titled |= entry.text.find("Gate 3") != std::string::npos;
  EXPECT_TRUE(titled);
  EXPECT_TRUE(Journal("SN1002", 523).empty()) << "model C's refused encoding set nothing";
}

}  // namespace
}  // namespace optest
