#pragma once

#include "notify/PopupRequest.h"

#include <QString>

#include <optional>

class DebugConsole;
class SettingsStore;
struct ProgramState;

// The last stage of a feed check: turns the result list into what the user sees and stores
// the bookkeeping values, so the next check asks only for newer torrents and does not alert
// twice.
//
// run() changes the program state itself (the first run's clean-up of results, exclusion list
// and parsed feed; TrayTipText; AlertAddress) and writes lastalerted and lastparsed to the
// settings store, neither of them lower than it was stored. What needs the screen comes back in the
// Outcome for the caller to apply: the tray animation word, the tooltip to show and at most one
// popup.
class AlertStage
{
public:
    struct Outcome
    {
        QString animation;                 // "stopnew" with results waiting, else "stop"
        QString tooltip;                   // also stored as TrayTipText
        QString alertAddress;              // also stored as AlertAddress
        std::optional<PopupRequest> popup; // the announcement to show, if any
        qint32 alertedId = 0;              // the one torrent the announcement names, else 0
        qint32 lastalerted = 0;            // the value after this check
        bool stored = false;               // lastalerted and lastparsed were written
    };

    static const QString SingleTail;  // "has just been uploaded."
    static const QString SeveralTail; // " new torrents have just been uploaded."

    AlertStage(ProgramState &state, SettingsStore &store, DebugConsole *log);

    // lastparsed and lastalerted: the values read at the start of the check (lastparsed 0 on a
    // first run). onetime: alert each result only once.
    Outcome run(qint32 lastparsed, qint32 lastalerted, bool onetime);

    // Tooltip for one result: the name + " has just been uploaded", a name of 28 characters or
    // more cut to 27 followed by "...".
    static QString singleTooltip(const QString &name);

private:
    void log(const QString &line) const;
    // A stored id; 0 when missing or not a number.
    qint32 storedId(const QString &name) const;

    ProgramState &m_state;
    SettingsStore &m_store;
    DebugConsole *m_log;
};
