#pragma once

#include <QString>
#include <QStringList>

class AppConfig;

// The files that hold the member's details (settings.reg with its set-aside copy, udata.temp,
// profile.cache, avatar.img) are the user's alone: written 0600, in folders the program
// creates 0700. Folders that exist already, the torrent folder and the .torrent files keep the
// user's own modes: torrent clients running as other users read them.
namespace PrivateFiles {

// Creates the folder when it is missing, with the folders above it; the folder itself is made
// 0700, those above it follow the umask. An existing folder is left as it is. True when the
// folder exists afterwards.
bool makeFolder(const QString &path);

// Each of the files that exists and has group or other bits becomes 0600. One line for the
// debug log per file changed (or that could not be changed). Symbolic links are left alone.
QStringList tighten(const QStringList &paths);

// The private files of the configuration, tightened as above; run once at start.
QStringList tightenStoredFiles(const AppConfig &config);

} // namespace PrivateFiles
