#pragma once

#include <QString>
#include <QStringList>

class AppConfig;

// The stored files that the program reads and later rewrites whole (settings.reg,
// filters.dat, filterlimits.dat). One that exists but cannot be read as what it should be is set
// aside under its name + ".bad" before anything is written over it, so that a damaged or foreign
// file is kept for the user instead of being replaced by a fresh one; the program then goes on as
// for a missing file.
namespace BrokenFiles {

enum class Kind
{
    Settings, // first line "REGEDIT4"
    Filters   // lines ended by CR LF
};

// True when the file exists but cannot be opened, or is not empty yet lacks what every such
// file has: a first line "REGEDIT4" (settings), a CR LF (filters). A missing or empty file is
// not broken: it holds nothing to lose.
bool isBroken(const QString &path, Kind kind);

// Renames the file to path + ".bad", replacing an older one. The new path, or empty text with
// the reason in errorText.
QString setAside(const QString &path, QString *errorText = nullptr);

// Sets the file aside when it is broken. The line for the debug log (and the message), or empty
// text when nothing was set aside: "<name> could not be read; kept as <path>", or, when even
// the rename failed, "<name> could not be read, nor set aside: <reason>".
QString setAsideIfBroken(const QString &path, Kind kind, bool *failed = nullptr);

// The same for a file its reader found broken (a check of its own, such as a line that does
// not parse): sets it aside and gives the line.
QString setAsideBroken(const QString &path, bool *failed = nullptr);

// settings.reg and filters.dat of the configuration, each set aside when broken: the lines
// saying which (none when both are fine or missing). Run once at start, before any write.
QStringList setAsideStoredFiles(const AppConfig &config);

} // namespace BrokenFiles
