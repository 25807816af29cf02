#pragma once

#include "model/TorrentRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

class Clock;
class DebugConsole;
class SettingsStore;
struct ProgramState;

// torrents.db, the local copy of the site's torrent list that the search window searches: one
// torrent per line, ascending ids, six TAB-separated fields (Id, Size, Category, the feed's
// unused fourth field or "1", Name, FileName), every line ended by CR LF. The settings keep
// search_newest (the id of the last line) and search_updated (time of the last change,
// "dd-mm-yyyy|hh:mm:ss").
//
// A successful feed check appends its new rows when the file is in step with the check, that
// is when search_newest is a number equal to the check's lastparsed (a missing or unreadable
// value means out of step, and so does a first run). Only rows newer than both search_newest
// and the file's last whole line go in (search_newest is stored with the check's other values
// after the append, so a crash in between leaves the file ahead of it), in ascending order, so the
// start row that the site repeats is left out and a reply whose start row has vanished from the
// site still loses no torrent. The rows are written as whole lines in one append; a line left
// without its CR LF at the end of the file (a crash during an earlier write) is closed first so
// that no two rows run together. A failed write is cut back to the old length once the file is
// closed, reported, and leaves search_newest untouched, so the search window's own update catches
// up later. The search window's update appends through the same appendNewer().
class TorrentDb
{
public:
    enum class AppendStatus
    {
        Appended, // rows written, search_newest and search_updated stored
        Skipped,  // out of step, nothing new, no file, or the file is busy: nothing changed
        Failed,   // the write failed: the file keeps its old length, settings untouched
    };
    struct AppendResult
    {
        AppendStatus status = AppendStatus::Skipped;
        int rows = 0;
        QString error;
        qint64 lastId = 0; // the id of the last row written (Appended)
    };
    // A row to append: its id as text and its line without CR LF.
    struct PendingLine
    {
        QString id;
        QString line;
    };

    TorrentDb(ProgramState &state, SettingsStore &store, const Clock &clock, DebugConsole *log,
              const QString &path);

    // The append of a check: state.feed's new rows, given the lastparsed the check started from.
    AppendResult appendFromCheck(qint32 lastparsed);

    // The append both writers share: of `lines`, in order, those whose id is a number greater
    // than `newest` and than every id taken before it, written as whole lines in one append
    // while state.TorrentDbBusy is set (callers have waited for it to be clear). Settings are
    // the caller's. Skipped when no line is newer.
    static AppendResult appendNewer(ProgramState &state, const QString &path, qint64 newest,
                                    const QList<PendingLine> &lines);

    // One line as the feed check writes it, without its CR LF.
    static QString lineFor(const TorrentRecord &record);
    // "dd-mm-yyyy|hh:mm:ss" on a 24-hour clock.
    static QString timestampText(const QDateTime &time);
    // Reads one line (without CR LF) the way every reader must: an empty category becomes
    // "n/a" and each "." of the name a blank, so lines written by either writer read alike.
    // Missing trailing fields stay empty. False for a line without a TAB.
    static bool readLine(QStringView line, TorrentRecord *record);

private:
    ProgramState &m_state;
    SettingsStore &m_store;
    const Clock &m_clock;
    DebugConsole *m_log;
    QString m_path;
};
