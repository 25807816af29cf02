#pragma once

#include <QString>
#include <QStringList>

class ProcessList;
class SettingsStore;

// The programs during which no check runs: stored as detectprocs (on/off) and procs (names
// joined by ";"), and the test whether one of them runs now.
class WatchedPrograms
{
public:
    struct Loaded
    {
        bool detect = false;
        // One entry per stored name, empty pieces included; a single empty entry when none is
        // stored. An empty last entry switches the test off.
        QStringList entries{QString()};
        // The rows of the list on the options page.
        QStringList rows;
    };

    static Loaded loadprocs(const SettingsStore &store);

    // The rows as stored in procs: joined by ";", no trailing ";".
    static QString joinForStorage(const QStringList &rows);

    // True when a running program carries a watched name, compared without regard to case
    // with the base name of its executable and with its kernel name (cut to 15 characters, so
    // it is compared with the watched name's first 15). A watched entry of one blank never
    // matches, nor does a process without a name.
    static bool IsListedProcessRunning(const QStringList &watched, const ProcessList &processes);
};
