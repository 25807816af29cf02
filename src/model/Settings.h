#pragma once

#include <QString>
#include <QStringList>

// The options in memory, one program-wide instance. Each field has its stored value (named in
// the comment) and default; LoadOptions fills it and SaveOptions writes it back.
struct Settings
{
    qint16 CheckIntervalSeconds = 600; // interval
    QString SiteUserName;              // site_username
    // The keyring's password_in_keyring entry, or site_password (stored scrambled); plain in
    // memory. Changed by the login dialog, it is stored with the other options
    // (SitePasswordChanged says so until then).
    QString SitePassword;
    bool SitePasswordChanged = false;
    QString TorrentFolder;           // torrentpath, always ending in "/"
    qint16 DoubleClickAction = 1;    // doubleclick: 1 Download Now, 2 View Details
    qint16 ShowDebugLog = 0;         // showdebug
    qint16 PlaySound = 1;            // playsound
    bool AlertOnce = true;           // onetime
    qint16 NotifyStyle = 0;          // notifystyle: 0 automatic, 1 popup, 2 notifications
    bool StartupWaitEnabled = false; // startupwaitenabled
    qint16 StartupWaitSeconds = 300; // startupwait
    bool RunAtStartup = false;       // the autostart entry exists
    bool DetectProcesses = false;    // detectprocs
    // procs split at ";"; a single empty entry means that no program is watched.
    QStringList WatchedProcesses{QString()};
};
