// Where config.dat lives: beside the executable while that folder takes files, as when the program
// runs from its build or unpacked folder; otherwise (an installed copy under /usr/bin) in the
// user's configuration folder.
#pragma once

#include <QString>

namespace config {

struct ConfigLocation {
  // The folder config.dat is read from and stored in.
  QString directory;
  // False when neither folder takes a file: settings still load from directory, but no store can
  // succeed in this run.
  bool writable = false;
};

// $XDG_CONFIG_HOME/ravendock, or ~/.config/ravendock when XDG_CONFIG_HOME is unset, empty or
// relative. Empty when no home folder is known either.
QString UserConfigDirectory();

// The program's folder when a file can be created and written there; otherwise the user folder,
// created owner-only (0700) if missing, when a file can be created and written there; otherwise
// the program's folder, not writable. Writability is probed with a real file: permission bits say
// nothing about root or a read-only mount.
ConfigLocation ChooseConfigDirectory(const QString& programDirectory);

// The start-up message when ChooseConfigDirectory found no writable folder. In both languages: it
// is shown before the stored language is known.
QString UnwritableConfigMessage(const QString& programDirectory);

}  // namespace config
