#pragma once

#include "core/WatchedPrograms.h"

#include <QString>
#include <QStringList>

class AppConfig;
class DebugConsole;
class SettingsStore;
class StoredPassword;
struct Settings;

// The stored half of the options page: reading every option into Settings (writing the
// defaults that must exist), re-reading them when the user cancels, and writing them back
// after the page has been validated.
class OptionsStore
{
public:
    // password: the site password as kept (keyring or settings file) with its copy in memory,
    // which loading and Cancel take.
    OptionsStore(SettingsStore &store, const AppConfig &config, DebugConsole &log,
                 StoredPassword &password);

    // Fills settings from the store. A missing interval writes the defaults of interval,
    // playsound and onetime; a missing start-up wait writes 300 seconds; what it writes is one
    // change of the settings file. A torrent folder that
    // is not stored, or does not exist right now (a drive not mounted yet), is replaced by
    // <program folder>torrents/ for this run, which is created; the stored value is written
    // only when none was stored, so an unmounted drive is used again once it is back.
    void load(Settings &settings);

    // Cancel: the check boxes' values and the credentials are read again; the folder, the
    // interval and the wait keep their values in memory.
    void reloadForCancel(Settings &settings);

    // What the page holds besides the Settings fields its check boxes change at once.
    struct PageValues
    {
        bool filterEnabled = false; // check_filter
        qint16 waitSeconds = 300;   // text_wait, validated and converted
        QStringList procRows;       // proc_list
        qint16 doubleClickAction = 1;
        qint16 notifyStyle = 0; // notifystyle as it is to be stored
        QString torrentPath;    // text_torrentpath
    };

    // Writes every option and the user name as one change of the settings file (the
    // interval is written by the caller together with the scheduler change, in a batch around
    // this one), and a password the login dialog changed to where passwords are kept. An empty
    // watched-program list switches process detection off. Returns the torrent folder as
    // stored (ending in "/"), which the page shows.
    QString save(const PageValues &page, Settings &settings);

    // The Run entry (autostart) command line for this executable.
    QString runEntryCommandLine() const;
    bool runEntryPresent() const;

    // The watched programs as stored, into settings.
    WatchedPrograms::Loaded loadprocs(Settings &settings);

    QString defaultTorrentFolder() const;

private:
    void reloadCredentials(Settings &settings);
    void reloadCheckBoxes(Settings &settings);

    SettingsStore &m_store;
    const AppConfig &m_config;
    DebugConsole &m_log;
    StoredPassword &m_password;
};
