#pragma once

#include <QString>

// Where the program keeps its files, and the site it talks to. Built once from the
// environment in main(); tests build their own with temporary folders.
class AppConfig
{
public:
    // $POLLWICK_HOME when set, else ~/.local/share/Pollwick. The settings file lies in
    // $POLLWICK_HOME when that is set, else in ~/.config/Pollwick. The autostart entry lies in
    // $XDG_CONFIG_HOME/autostart (default ~/.config/autostart).
    static AppConfig fromEnvironment();

    // A configuration rooted in one folder (program folder and settings file both there,
    // autostart entry in <folder>/autostart). Used by tests and the demo.
    static AppConfig inFolder(const QString &folder);

    // The program folder, always ending in "/". Created on first use.
    QString programFolder() const;
    // Path of a file in the program folder.
    QString programFile(const QString &name) const { return programFolder() + name; }

    QString settingsPath() const { return m_settingsPath; }
    QString autostartPath() const { return m_autostartPath; }

    // Absolute path of the running executable (what the autostart entry starts).
    QString executablePath() const { return m_executablePath; }
    void setExecutablePath(const QString &path) { m_executablePath = path; }

    // Folders searched after the program folder for notify.wav and the help file.
    QString installedDataFolder() const { return m_dataFolder; }

private:
    QString m_programFolder;
    QString m_settingsPath;
    QString m_autostartPath;
    QString m_executablePath;
    QString m_dataFolder;
};

// Scheme and host of the site, without a trailing "/". POLLWICK_SITE_URL overrides the built-in
// address, which the binary holds only in scrambled form. Read afresh on every call.
QString SiteBaseUrl();

// The built-in address in scrambled form (exposed for the test that checks it unscrambles).
QString BuiltInSiteUrlScrambled();
