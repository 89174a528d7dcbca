// Where config.dat and the cameras settings live. An installed program never writes beside its
// executable: its settings live in the user's configuration folder, whoever runs it (root too).
// A program run from its build or unpacked folder keeps them beside the executable while that
// folder takes files, else in the user's folder.
#pragma once

#include <QString>
#include <QStringList>

namespace config {

struct ConfigLocation {
  // The folder config.dat is read from and stored in.
  QString directory;
  // False when neither folder takes a file: settings still load from directory, but no store can
  // succeed in this run.
  bool writable = false;
  // An installed program's first start with config.dat or cameras.json left beside its
  // executable: the folder they were copied from into directory, to be read once and never
  // written again, and the names of the files taken.
  QString movedFrom;
  QStringList movedFiles;
};

// Whether the executable in programDirectory runs from an installed layout: a bin/ with the
// private ../lib/ravendock beside it, or anywhere under /usr, /usr/local or /opt.
bool IsInstalledLayout(const QString& programDirectory);

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
// The start-up message after an installed program took the files beside its executable: it names
// the ones it took.
QString MovedConfigMessage(const ConfigLocation& location);

}  // namespace config
