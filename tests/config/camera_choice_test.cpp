// The cameras choice on its own: what a stored file may hold, what the device library is handed,
// and a folder that cannot be written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <string>

#include "config/cameras/camera_choice.h"
#include "config/cameras/camera_settings.h"
#include "platform/ansi_text.h"

namespace config {
namespace {

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// Records what would reach the library; nothing does.
CameraLibraryCalls Recording(std::map<std::string, std::string>* handed) {
  CameraLibraryCalls calls;
  calls.setUserOption = [handed](const char* key, const char* value) {
    (*handed)[key] = value;
    return 0;
  };
  calls.getOption = [](const char*, char*, int) { return -1; };
  return calls;
}

TEST(CameraChoice, AHandEditedFileYieldsOnlyWhatTheLibraryTakesAndTheLinesAreGbk) {
  for (const char* good :
       {"", "127.0.0.1:3702", " 127.0.0.1:1, 10.0.0.255:65535 ", "1.2.3.4:80 5.6.7.8:81"})
    EXPECT_TRUE(ValidProbe(QString::fromUtf8(good))) << good;
  for (const char* bad : {"127.0.0.1", "127.0.0.1:0", "127.0.0.1:65536", "256.0.0.1:80", "host:80",
                          "127.0.0.1:80,x", "multicast", "::1:80"})
    EXPECT_FALSE(ValidProbe(QString::fromUtf8(bad))) << bad;
  const QString password63 = QString(63, QLatin1Char('p'));
  for (const CameraCredential& good :
       {CameraCredential{QStringLiteral("admin"), QString()},
        CameraCredential{QStringLiteral("管理员"), QStringLiteral("密码:#=& x")},
        CameraCredential{QString(39, QLatin1Char('u')), password63}})
    EXPECT_TRUE(ValidCredential(good)) << good.user.toStdString();
  for (const CameraCredential& bad :
       {CameraCredential{QString(), QStringLiteral("x")}, CameraCredential{QStringLiteral(" "), {}},
        CameraCredential{QStringLiteral("#admin"), {}}, CameraCredential{QStringLiteral("a:b"), {}},
        CameraCredential{QString(40, QLatin1Char('u')), {}},
        CameraCredential{QStringLiteral("admin"), password63 + QLatin1Char('p')},
        // 22 characters in GBK are 44 bytes, but 66 as the library reads them (UTF-8).
        CameraCredential{QStringLiteral("admin"), QString(22, QChar(0x5BC6))},
        CameraCredential{QStringLiteral("admin"), QStringLiteral("a\nb")},
        CameraCredential{QStringLiteral("admin"), QString::fromUtf8("\xF0\x9F\x98\x80")}})
    EXPECT_FALSE(ValidCredential(bad)) << bad.user.toStdString();

  QTemporaryDir directory;
  ASSERT_TRUE(directory.isValid());
  QByteArray rows;
  for (int i = 0; i < 20; ++i)
    rows += QByteArray(i == 0 ? "" : ",") + "{\"user\":\"u" + QByteArray::number(i) +
            "\",\"password\":\"p\"}";
  WriteAll(CamerasFilePath(directory.path()),
           "{\"backend\":\"onvif\",\"scope\":\"wan\",\"probe\":\"camera:80\",\"restore\":\"soft\","
           "\"credentials\":[{\"user\":\"a:b\",\"password\":\"x\"}," +
               rows + "]}");
  const std::optional<CameraChoice> loaded = LoadCameraChoice(directory.path());
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(loaded->onvif);
  EXPECT_FALSE(loaded->lan) << "only the word lan chooses the PC's network";
  EXPECT_TRUE(loaded->probe.isEmpty());
  EXPECT_TRUE(loaded->softRestore);
  ASSERT_EQ(static_cast<int>(loaded->credentials.size()), kMaxCameraCredentials);
  EXPECT_EQ(loaded->credentials[0].user, QStringLiteral("u0")) << "the refused row left out";
  WriteAll(CamerasFilePath(directory.path()), "not json");
  EXPECT_FALSE(LoadCameraChoice(directory.path()));

  CameraChoice choice;
  choice.credentials = {{QStringLiteral("管理员"), QStringLiteral("密:码")},
                        {QStringLiteral("viewer"), QString()}};
  EXPECT_EQ(OptionValue(choice, CameraOption::kCredentials),
            platform::ToAnsi(QStringLiteral("管理员:密:码\nviewer:\n")));
  EXPECT_EQ(OptionValue(choice, CameraOption::kProbe), "multicast");
  choice.probe = QStringLiteral("127.0.0.1:3702");
  EXPECT_EQ(OptionValue(choice, CameraOption::kProbe), "127.0.0.1:3702");
}

TEST(CameraChoice, AFolderThatCannotBeWrittenKeepsTheChoiceForThisRun) {
  std::map<std::string, std::string> handed;
  CameraSettings settings(Recording(&handed));
  settings.Load(QStringLiteral("/nonexistent/ravendock-cameras"));
  EXPECT_FALSE(settings.HandOverPending()) << "no file, nothing to hand over";
  settings.HandPendingToLibrary();
  EXPECT_TRUE(handed.empty());

  CameraChoice choice;
  choice.onvif = true;
  choice.probe = QStringLiteral("127.0.0.1:3702");
  EXPECT_FALSE(settings.Save(choice));
  EXPECT_EQ(settings.Saved(), choice);
  settings.HandPendingToLibrary();
  EXPECT_EQ(handed["backend"], "onvif");
  EXPECT_EQ(handed["probe"], "127.0.0.1:3702");
  EXPECT_EQ(handed["scope"], "loopback");
  EXPECT_EQ(handed.size(), 5u);
  EXPECT_FALSE(QFile::exists(settings.FilePath()));
}

}  // namespace
}  // namespace config
