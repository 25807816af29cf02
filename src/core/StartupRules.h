#pragma once

#include <QString>
#include <QStringList>

class AppConfig;
class SettingsStore;

// The rules of a start that need no window: the command-line switches, the settings-key
// upgrade, the help file and the autostart command line. The display platform is Qt's choice
// (native Wayland on a Wayland session).
namespace StartupRules {

struct CommandLineOptions
{
    bool developerMode = false;     // "/dev"
    bool launchedAtStartup = false; // "/startup"
};

// The text searched for switches: the arguments after the program path, joined with blanks.
QString commandLineText(const QStringList &arguments);

// Each switch is a case-sensitive substring anywhere in the text, so a word that contains
// "/dev" turns developer mode on, while "/DEV" does not.
CommandLineOptions get_commandlineoptions(const QString &commandLine);

// Wipes the program key when no build is recorded or the recorded build sorts at or before
// "506" as text (so "1000" wipes and "6" does not), then records this build. True when the
// key was wiped.
bool upgradereg(SettingsStore &store);

// "Pollwick 1.3  (build 512)  loaded"
QString loadedLine();

// The autostart command line: the executable path quoted by the desktop-entry rules, then
// " /startup".
QString runEntryCommandLine(const QString &executablePath);

// What a start does before the application object exists: an argument exactly "--help" or
// "--version" prints and ends (no display needed); with no display at all (QT_QPA_PLATFORM
// unset, neither DISPLAY nor WAYLAND_DISPLAY set) it says so instead of letting Qt abort.
enum class EarlyStart
{
    Run,
    Help,
    Version,
    NoDisplay
};
EarlyStart earlyStart(const QStringList &arguments, const QString &qpaPlatform,
                      const QString &display, const QString &waylandDisplay);
// The text printed for each early end, with its final line break.
QString usageText();
// "Pollwick 1.3 (build 512)"
QString versionLine();
QString noDisplayText();

} // namespace StartupRules
