// config.dat: the configuration set stored byte for byte in the folder ChooseConfigDirectory picks
// (config_location.h).
#pragma once

#include <QString>

#include "config/config_set.h"

namespace config {

inline constexpr char kConfigFileName[] = "config.dat";

inline constexpr int kStoreOk = 0;
inline constexpr int kStoreCannotWrite = -1;

inline constexpr int kLoadOk = 0;
inline constexpr int kLoadCannotOpen = -1;
inline constexpr int kLoadWrongLength = -2;  // file length differs from the header's total size
inline constexpr int kLoadWrongMagic = -3;
inline constexpr int kLoadWrongVersion = -4;  // not within 0.0001 of 1.2

QString ConfigFilePath(const QString& directory);

// Sets the header of set and writes the whole image to directory/config.dat. Returns kStoreOk, or
// kStoreCannotWrite when the file cannot be written; a failed store leaves any earlier file as it
// was, never a partly written one.
int StoreConfigSet(ConfigSet& set, const QString& directory);

// Reads directory/config.dat into set. Returns kLoadOk or one of the negative kLoad codes. When
// the file cannot be opened set is untouched; when its header is refused set is all zero; when
// the file's settings area is shorter than the image the rest reads as zero.
int LoadConfigSet(ConfigSet& set, const QString& directory);

// The folder config.dat lives in, set once at start-up from ChooseConfigDirectory; every writer of
// the process-wide set stores it there.
void SetConfigDirectory(const QString& directory);
QString ConfigDirectory();

// StoreConfigSet / LoadConfigSet on ProcessConfigSet() in ConfigDirectory().
int StoreConfig();
int LoadConfig();

}  // namespace config
