#include "config/config_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <vector>

#include "config/cameras/camera_choice.h"
#include "config/config_file.h"

namespace config {
namespace {

constexpr char kApplicationFolder[] = "ravendock";
constexpr mode_t kPrivateDirectoryMode = 0700;

QString HomeDirectory() {
  const QString home = qEnvironmentVariable("HOME");
  if (!home.isEmpty() && QDir::isAbsolutePath(home)) return home;
  // Without HOME (a service, a stripped environment) the account's own entry still knows it.
  long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
  if (bufferSize <= 0) bufferSize = 16384;
  std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
    return QString();
  const QString directory = QFile::decodeName(found->pw_dir);
  return QDir::isAbsolutePath(directory) ? directory : QString();
}

// Creates, writes and removes a named file in directory, where the store must create its own.
// Only this answers for root (who may write where the bits forbid) and for read-only
// mounts (where the bits allow it).
bool CanWriteIn(const QString& directory) {
  if (directory.isEmpty()) return false;
  QByteArray path =
      QFile::encodeName(QDir(directory).filePath(QStringLiteral(".config-probe-XXXXXX")));
  const int fd = mkstemp(path.data());
  if (fd < 0) return false;
  const bool written = write(fd, "0", 1) == 1;
  const bool closed = close(fd) == 0;
  const bool removed = unlink(path.constData()) == 0;
  return written && closed && removed;
}

// Creates directory and any missing parents, each owner-only as the XDG folders should be. An
// existing directory is left as its owner set it.
bool MakePrivateDirectory(const QString& directory) {
  const QFileInfo info(directory);
  if (info.isDir()) return true;
  if (info.exists() || info.isSymLink()) return false;
  const QString parent = info.absolutePath();
  if (parent != info.absoluteFilePath() && !MakePrivateDirectory(parent)) return false;
  const QByteArray path = QFile::encodeName(directory);
  if (mkdir(path.constData(), kPrivateDirectoryMode) != 0) return QFileInfo(directory).isDir();
  // The umask may have taken bits away; the folder holds passwords, so it is exactly 0700.
  return chmod(path.constData(), kPrivateDirectoryMode) == 0;
}

}  // namespace

QString UserConfigDirectory() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  // A relative value is invalid by the XDG rules and would follow the working directory.
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
    const QString home = HomeDirectory();
    if (home.isEmpty()) return QString();
    base = QDir(home).filePath(QStringLiteral(".config"));
  }
  return QDir::cleanPath(QDir(base).filePath(QString::fromLatin1(kApplicationFolder)));
}

bool IsInstalledLayout(const QString& programDirectory) {
  const QString directory = QDir::cleanPath(QFileInfo(programDirectory).absoluteFilePath());
  for (const char* prefix : {"/usr/", "/opt/"}) {
    if (directory.startsWith(QString::fromLatin1(prefix))) return true;
  }
  return QFileInfo(directory).fileName() == QStringLiteral("bin") &&
         QFileInfo(QDir(directory).filePath(QStringLiteral("../lib/ravendock"))).isDir();
}

ConfigLocation ChooseConfigDirectory(const QString& programDirectory) {
  const bool installed = IsInstalledLayout(programDirectory);
  if (!installed && CanWriteIn(programDirectory)) return {programDirectory, true, {}, {}};
  const QString userDirectory = UserConfigDirectory();
  if (userDirectory.isEmpty() || !MakePrivateDirectory(userDirectory) ||
      !CanWriteIn(userDirectory)) {
    return {installed ? userDirectory : programDirectory, false, {}, {}};
  }
  ConfigLocation location{userDirectory, true, {}, {}};
  if (!installed) return location;
  // The files an earlier start left beside the installed executable are taken over once.
  for (const char* file : {kConfigFileName, kCamerasFileName}) {
    const QString name = QString::fromLatin1(file);
    const QString left = QDir(programDirectory).filePath(name);
    const QString current = QDir(userDirectory).filePath(name);
    if (!QFileInfo(left).isFile() || QFileInfo::exists(current) || !QFile::copy(left, current))
      continue;
    QFile::setPermissions(current, QFile::ReadOwner | QFile::WriteOwner);
    location.movedFrom = programDirectory;
    location.movedFiles.push_back(name);
  }
  return location;
}

QString UnwritableConfigMessage(const QString& programDirectory) {
  const QString program = QDir::toNativeSeparators(programDirectory);
  const QString user = QDir::toNativeSeparators(UserConfigDirectory());
  if (user.isEmpty()) {
    return QStringLiteral(
               "无法保存设置：%1 不能写入，本次运行的更改不会保留。\n"
               "Settings cannot be saved: %1 cannot be written; changes made in this "
               "run will not be kept.")
        .arg(program);
  }
  return QStringLiteral(
             "无法保存设置：%1 和 %2 都不能写入，本次运行的更改不会保留。\n"
             "Settings cannot be saved: neither %1 nor %2 can be written; changes made "
             "in this run will not be kept.")
      .arg(program, user);
}

QString MovedConfigMessage(const ConfigLocation& location) {
  return QStringLiteral(
             "设置现在保存在 %1。%2 中的 %3 已读入，以后不再写入。\n"
             "Settings now live in %1. Read from %2 and not written there again: %4.")
      .arg(QDir::toNativeSeparators(location.directory),
           QDir::toNativeSeparators(location.movedFrom), location.movedFiles.join(u'、'),
           location.movedFiles.join(QStringLiteral(", ")));
}

}  // namespace config
