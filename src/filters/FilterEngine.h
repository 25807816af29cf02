#pragma once

#include "download/DownloadRequest.h"
#include "filters/FilterRule.h"
#include "model/FilterRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class DebugConsole;
struct ProgramState;
struct TorrentRecord;

// The filter stage of a feed check: runs the new torrents of the parsed feed (state.feed)
// through the filter table (state.Filters) and appends the accepted ones to the result list
// (state.results), using the exclusion list (state.exclusion) for vetoes and Ignore filters.
// Download filters start their download through the callback given to the constructor.
//
// With filtering off (the switch unticked or no enabled filter) every torrent newer than
// lastparsed becomes a result with FilterIndex 0. With filtering on, each torrent newer than
// lastparsed meets every enabled filter in slot order, except the filters whose size limits
// it is outside of (a size that is not a number is outside every limit), which it meets as
// disabled ones:
//   "Does Not Contain": a name holding every keyword is vetoed for the rest of the check;
//                       otherwise the filter accepts when the category fits. Before testing it
//                       drops trailing results whose id the exclusion list holds.
//   "Contains":         accepts when the name holds every keyword and the category fits.
//   "Exactly Matches":  accepts when the whole name matches every keyword and the category fits.
// A first keyword "*" counts as every keyword matching; a first category "*" fits every category.
// An accepting Ignore filter excludes the torrent; any other action adds one result per torrent
// (a second acceptance only logs the duplicate), and Download also starts the download unless
// this is a first run (lastparsed 0).
// The download target is the torrent folder followed by the plain file name: whatever the feed
// puts before the last "/" or "\" is dropped, so a name from the site never points elsewhere.
//
// Hand-edited filters.dat files can give records the program itself never stores. They are
// handled so that a damaged filter never accepts more than it says: a filter with no keywords
// or no categories, or with a keyword that is not a readable pattern, accepts nothing (and so
// vetoes nothing). A feed row whose id is not a number is logged and passed over. Nothing here
// throws; every torrent and filter is handled on its own.
class FilterEngine
{
public:
    // True when the download started (or waits its turn), false when it was passed over.
    using DownloadStarter = std::function<bool(const DownloadRequest &)>;

    // log may be null (no log lines). startDownload may be empty: Download filters then start
    // nothing and their results stay marked as not downloaded, as do those whose download was
    // passed over.
    FilterEngine(ProgramState &state, DebugConsole *log, DownloadStarter startDownload);

    // filtering: the "Filter Torrents?" switch. lastparsed: the value read at the start of
    // the check (0 on a first run).
    void run(bool filtering, qint32 lastparsed);

    // The download of a result: the site path of its .torrent file, the target in the torrent
    // folder, the site credentials and its name.
    static DownloadRequest downloadRequestFor(const ProgramState &state, qint32 id,
                                              const QString &fileName, const QString &name);

private:
    void runUnfiltered(qint32 lastparsed);
    void runFiltered(qint32 lastparsed);
    // One filter with one torrent: the steps below, in order.
    void applyFilter(const FilterRule &rule, const TorrentRecord &torrent, qint32 id,
                     const QString &loweredName, qint32 lastparsed);
    // The torrent was excluded earlier in this check: the filter passes it over.
    void logExcluded(const FilterRule &rule, const TorrentRecord &torrent) const;
    // The verdict of the filter's mode (FilterRule's rule of that mode).
    FilterRule::Verdict verdictFor(const FilterRule &rule, const TorrentRecord &torrent,
                                   const QString &loweredName) const;
    // "Contains", with its log lines: the keyword hits, then the category test.
    FilterRule::Verdict containsVerdict(const FilterRule &rule, const TorrentRecord &torrent,
                                        const QString &loweredName) const;
    // A veto excludes the torrent; an acceptance applies the filter's action.
    void applyVerdict(const FilterRule &rule, FilterRule::Verdict verdict,
                      const TorrentRecord &torrent, qint32 id, qint32 lastparsed);
    void accept(const FilterRule &filter, const TorrentRecord &torrent, qint32 id,
                qint32 lastparsed);
    void exclude(const QString &id);
    void cleanUpResults();
    void log(const QString &line) const;

    ProgramState &m_state;
    DebugConsole *m_log;
    DownloadStarter m_startDownload;
    // The exclusion list's entries as numbers, for the result clean-up.
    QList<qint64> m_exclusionIds;
    // The torrent being filtered is in the exclusion list.
    bool m_currentExcluded = false;
};
