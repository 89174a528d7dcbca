#include "config/cameras/camera_choice.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

#include "platform/ansi_text.h"

namespace config {
namespace {

// A choice with every credential at its longest is about 2 KiB.
constexpr qint64 kMaxFileBytes = 64 * 1024;

bool ValidTarget(const QString& target) {
  static const QRegularExpression kTarget(
      QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3}):(\\d{1,5})$"));
  const QRegularExpressionMatch match = kTarget.match(target);
  if (!match.hasMatch()) return false;
  for (int part = 1; part <= 4; ++part)
    if (match.captured(part).toInt() > 255) return false;
  const int port = match.captured(5).toInt();
  return port >= 1 && port <= 65535;
}

QStringList Targets(const QString& probe) {
  static const QRegularExpression kSeparators(QStringLiteral("[,\\s]+"));
  return probe.split(kSeparators, Qt::SkipEmptyParts);
}

}  // namespace

QString CamerasFilePath(const QString& directory) {
  return QDir(directory).filePath(QString::fromLatin1(kCamerasFileName));
}

bool ValidProbe(const QString& probe) {
  for (const QString& target : Targets(probe))
    if (!ValidTarget(target)) return false;
  return true;
}

bool ValidCredential(const CameraCredential& credential) {
  const QString& user = credential.user;
  // The library skips blank lines and lines starting with # (after blanks), and splits at the
  // first colon; a line break would end the line.
  if (user.trimmed().isEmpty() || user.trimmed().startsWith(QLatin1Char('#')) ||
      user.contains(QLatin1Char(':')))
    return false;
  for (const QString& text : {user, credential.password}) {
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) return false;
    if (!platform::FitsAnsi(text, std::string::npos)) return false;
  }
  return user.toUtf8().size() <= kMaxCameraUserBytes &&
         credential.password.toUtf8().size() <= kMaxCameraPasswordBytes;
}

std::optional<CameraChoice> LoadCameraChoice(const QString& directory) {
  QFile file(CamerasFilePath(directory));
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return std::nullopt;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
  if (!document.isObject()) return std::nullopt;
  const QJsonObject object = document.object();
  CameraChoice choice;
  choice.onvif = object.value(QStringLiteral("backend")).toString() == QStringLiteral("onvif");
  choice.lan = object.value(QStringLiteral("scope")).toString() == QStringLiteral("lan");
  const QString probe = object.value(QStringLiteral("probe")).toString();
  if (ValidProbe(probe)) choice.probe = probe;
  choice.softRestore = object.value(QStringLiteral("restore")).toString() == QStringLiteral("soft");
  for (const QJsonValue& entry : object.value(QStringLiteral("credentials")).toArray()) {
    const QJsonObject row = entry.toObject();
    CameraCredential credential{row.value(QStringLiteral("user")).toString(),
                                row.value(QStringLiteral("password")).toString()};
    if (ValidCredential(credential) &&
        static_cast<int>(choice.credentials.size()) < kMaxCameraCredentials)
      choice.credentials.push_back(std::move(credential));
  }
  return choice;
}

bool StoreCameraChoice(const CameraChoice& choice, const QString& directory) {
  QJsonArray credentials;
  for (const CameraCredential& credential : choice.credentials)
    credentials.append(QJsonObject{{QStringLiteral("user"), credential.user},
                                   {QStringLiteral("password"), credential.password}});
  const QJsonObject object{
      {QStringLiteral("backend"), choice.onvif ? QStringLiteral("onvif") : QStringLiteral("sim")},
      {QStringLiteral("scope"), choice.lan ? QStringLiteral("lan") : QStringLiteral("loopback")},
      {QStringLiteral("probe"), choice.probe},
      {QStringLiteral("credentials"), credentials},
      {QStringLiteral("restore"),
       choice.softRestore ? QStringLiteral("soft") : QStringLiteral("hard")}};
  const QByteArray bytes = QJsonDocument(object).toJson();
  // As config.dat: a temporary file made owner-only while still empty, renamed over the old one
  // once complete.
  QSaveFile file(CamerasFilePath(directory));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
    // Unlike config.dat, this file must never be readable by others: no rights, no file.
    file.cancelWriting();
    return false;
  }
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace config
