#pragma once

#include <QString>

// Where the program keeps its files, and the site it talks to. Built once from the
// environment in main(); tests build their own with temporary folders.
class AppConfig
{
public:
    // $POLLWICK_HOME when set, else ~/.local/share/Pollwick. The settings file lies in
    // $POLLWICK_HOME when that is set, else in ~/.config/Pollwick. The autostart entry lies in
    // $POLLWICK_AUTOSTART_DIR when set, else in $XDG_CONFIG_HOME/autostart (default
    // ~/.config/autostart). $POLLWICK_CHECK_SECONDS gives checkSecondsOverride().
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

    // Seconds between checks that replace the stored interval for this run only (never stored
    // or shown): 0 when POLLWICK_CHECK_SECONDS is unset or not a positive whole number; a value
    // under MinCheckSeconds counts as MinCheckSeconds, one past MaxCheckSeconds as that.
    int checkSecondsOverride() const { return m_checkSeconds; }
    static int checkSecondsFrom(const QString &text);
    static constexpr int MinCheckSeconds = 5;
    static constexpr int MaxCheckSeconds = 32767;

    // False when POLLWICK_NO_KEYRING is set to anything: passwords then stay in the settings
    // file, never in the desktop's keyring (the demo's run, which must not touch the user's).
    bool keyringAllowed() const { return m_keyringAllowed; }
    // Folders searched after the program folder for notify.wav and the help file.
    QString installedDataFolder() const { return m_dataFolder; }

private:
    QString m_programFolder;
    QString m_settingsPath;
    QString m_autostartPath;
    QString m_executablePath;
    QString m_dataFolder;
    int m_checkSeconds = 0;
    bool m_keyringAllowed = true;
};

// Scheme and host of the site, without a trailing "/". POLLWICK_SITE_URL overrides the built-in
// address, which the binary holds only in scrambled form. Read afresh on every call.
QString SiteBaseUrl();

// The built-in address in scrambled form (exposed for the test that checks it unscrambles).
QString BuiltInSiteUrlScrambled();
