#include "config/config_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstring>
#include <mutex>

namespace config {
namespace {

constexpr double kVersionTolerance = 0.0001;

std::mutex g_directoryMutex;
QString g_directory;

bool VersionAccepted(float version) {
  const double difference = static_cast<double>(version) - 1.2;
  // Written so that a NaN version is refused too.
  return difference > -kVersionTolerance && difference < kVersionTolerance;
}

}  // namespace

QString ConfigFilePath(const QString& directory) {
  return QDir(directory).filePath(QString::fromLatin1(kConfigFileName));
}

int StoreConfigSet(ConfigSet& set, const QString& directory) {
  set.SetHeader();
  const ConfigImage image = set.Image();
  // The image goes to a temporary file beside config.dat that replaces it only once complete, so
  // a full disk or a crash mid-write cannot leave a truncated file that the next start refuses.
  QSaveFile file(ConfigFilePath(directory));
  if (!file.open(QIODevice::WriteOnly)) return kStoreCannotWrite;
  // The set holds device passwords: owner only, set on the still empty temporary file so that the
  // image is never readable by others, and an older file with wider rights is tightened by the
  // replacement. A file system without Unix rights refuses this; the store goes on regardless.
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  const auto* data = reinterpret_cast<const char*>(image.data());
  if (file.write(data, kConfigSize) != kConfigSize) {
    file.cancelWriting();
    return kStoreCannotWrite;
  }
  return file.commit() ? kStoreOk : kStoreCannotWrite;
}

int LoadConfigSet(ConfigSet& set, const QString& directory) {
  QFile file(ConfigFilePath(directory));
  if (!file.open(QIODevice::ReadOnly)) return kLoadCannotOpen;
  const qint64 length = file.size();

  // Build the image aside and hand it over whole, so readers of set never see a half-read file.
  ConfigImage image{};
  auto* data = reinterpret_cast<char*>(image.data());
  if (file.read(data, kHeaderSize) < 0) return kLoadCannotOpen;
  ConfigSet header;
  header.SetImage(image);

  int result = kLoadOk;
  if (length != header.Get(kTotalSize)) {
    result = kLoadWrongLength;
  } else if (std::memcmp(data + kMagicOffset, kMagic, kMagicSize) != 0) {
    result = kLoadWrongMagic;
  } else if (!VersionAccepted(header.Get(kVersion))) {
    result = kLoadWrongVersion;
  } else if (file.read(data + kHeaderSize, kSettingsSize) < 0) {
    return kLoadCannotOpen;
  }
  // A refused file leaves nothing behind: not even its header bytes reach the next store.
  if (result != kLoadOk) image.fill(0);
  set.SetImage(image);
  return result;
}

void SetConfigDirectory(const QString& directory) {
  std::lock_guard lock(g_directoryMutex);
  g_directory = directory;
}

QString ConfigDirectory() {
  std::lock_guard lock(g_directoryMutex);
  return g_directory;
}

int StoreConfig() {
  return StoreConfigSet(ProcessConfigSet(), ConfigDirectory());
}

int LoadConfig() {
  return LoadConfigSet(ProcessConfigSet(), ConfigDirectory());
}

}  // namespace config
