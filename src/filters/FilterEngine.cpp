#include "filters/FilterEngine.h"

#include "core/DebugLog.h"
#include "core/ProgramState.h"
#include "download/DownloadTarget.h"
#include "filters/FilterRule.h"
#include "platform/TextUtils.h"

#include <QList>

#include <limits>

namespace {

// The result that an accepting filter (or, with filtering off, slot 0) makes of a torrent.
MatchRecord resultFor(const TorrentRecord &torrent, qint32 id, int filterIndex)
{
    MatchRecord record;
    record.FilterIndex = filterIndex;
    record.FileName = torrent.FileName;
    record.Size = torrent.Size;
    record.Downloaded = 0;
    record.Category = torrent.Category;
    record.Name = torrent.Name;
    record.Id = id;
    return record;
}

// The id as a number; false for text that is not a 32-bit decimal number.
bool idNumber(const QString &id, qint32 *value)
{
    return FilterRule::readId(QStringView(id), value);
}

// The part of a feed file name after its last "/" or "\"; "<id>.torrent" when nothing usable
// is left, so a download never writes outside the torrent folder or onto the folder itself.
QString plainFileName(const QString &fileName, qint32 id)
{
    const qsizetype cut =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const QString plain = fileName.mid(cut + 1);
    if (plain.isEmpty() || plain == QLatin1String(".") || plain == QLatin1String(".."))
        return QString::number(id) + QStringLiteral(".torrent");
    return plain;
}

// An exclusion entry as a number for the result clean-up; one that is not a number can equal
// no result id.
qint64 exclusionNumber(const QString &entry)
{
    qint32 id = 0;
    return idNumber(entry, &id) ? id : std::numeric_limits<qint64>::min();
}

} // namespace

FilterEngine::FilterEngine(ProgramState &state, DebugLog *log, DownloadStarter startDownload)
    : m_state(state), m_log(log), m_startDownload(std::move(startDownload))
{
}

void FilterEngine::log(const QString &line) const
{
    if (m_log)
        m_log->debug_console(line);
}

DownloadRequest FilterEngine::downloadRequestFor(const ProgramState &state, qint32 id,
                                                 const QString &fileName, const QString &name)
{
    DownloadRequest request;
    request.path = DownloadUrlPath(id);
    // The id names a file whose name left nothing usable; DownloadTarget then drops what a
    // file name must not hold (control characters, leading dots).
    request.target =
        DownloadTarget::path(state.settings.TorrentFolder, plainFileName(fileName, id));
    request.userName = state.settings.SiteUserName;
    request.password = state.settings.SitePassword;
    request.name = name;
    return request;
}

void FilterEngine::run(bool filtering, qint32 lastparsed)
{
    m_exclusionIds.clear();
    for (const QString &entry : std::as_const(m_state.exclusion))
        m_exclusionIds.append(exclusionNumber(entry));
    if (!filtering || m_state.Filters.CountActiveFilters() == 0)
        runUnfiltered(lastparsed);
    else
        runFiltered(lastparsed);
}

void FilterEngine::runUnfiltered(qint32 lastparsed)
{
    log(QStringLiteral("No active filters detected, showing all torrents."));
    for (const TorrentRecord &torrent : std::as_const(m_state.feed)) {
        qint32 id = 0;
        if (!idNumber(torrent.Id, &id)) {
            log(QStringLiteral("Skipping torrent with an unreadable ID: ") + torrent.Id);
            continue;
        }
        if (id <= lastparsed)
            continue;
        m_state.results.append(resultFor(torrent, id, 0));
        log(QStringLiteral("Torrent: ") + torrent.Name +
            QStringLiteral(" Found. Filtering not enabled."));
    }
    log(QStringLiteral("All torrents loaded."));
}

void FilterEngine::runFiltered(qint32 lastparsed)
{
    log(QStringLiteral("Applying filters to torrents..."));

    // Compile every enabled filter once for the whole check.
    QList<FilterRule> filters;
    const FilterTable &table = m_state.Filters;
    for (int slot = 1; slot <= table.count(); ++slot) {
        const FilterRecord &record = table[slot];
        if (!record.Enabled)
            continue;
        FilterRule rule(record, slot);
        if (!rule.isUsable()) {
            log(QStringLiteral("Skipping filter ") + QString::number(slot) + QStringLiteral(" (") +
                table.ffname(slot) +
                QStringLiteral("): its keywords or categories cannot be used."));
            continue;
        }
        if (rule.judges()) // an unknown mode word gives no outcome
            filters.append(rule);
    }

    for (const TorrentRecord &torrent : std::as_const(m_state.feed)) {
        if (m_log)
            log(QStringLiteral("checking ") + torrent.Id + QStringLiteral(" (") + torrent.Name +
                QLatin1Char(')'));
        qint32 id = 0;
        if (!idNumber(torrent.Id, &id)) {
            log(QStringLiteral("Skipping torrent with an unreadable ID: ") + torrent.Id);
            continue;
        }
        if (id <= lastparsed) {
            log(torrent.Id + QStringLiteral(" < lp"));
            continue;
        }
        const QString loweredName = torrent.Name.toLower();
        // Entries are only added during a run, and only for the torrent being filtered, so one
        // lookup per torrent and the flag that exclude() sets are enough.
        m_currentExcluded = m_state.exclusion.contains(torrent.Id);
        for (const FilterRule &rule : std::as_const(filters))
            applyFilter(rule, torrent, id, loweredName, lastparsed);
    }
    log(QStringLiteral("All torrents filtered."));
}

void FilterEngine::applyFilter(const FilterRule &rule, const TorrentRecord &torrent, qint32 id,
                               const QString &loweredName, qint32 lastparsed)
{
    switch (rule.mode()) {
    case FilterRule::Mode::DoesNotContain:
        if (m_currentExcluded)
            return;
        cleanUpResults();
        applyVerdict(rule,
                     FilterRule::doesNotContainVerdict(rule.everyKeywordMatches(loweredName),
                                                       rule.categoryFits(torrent.Category)),
                     torrent, id, lastparsed);
        return;
    case FilterRule::Mode::Contains: {
        // These lines come for every torrent and filter: build them only when they are kept.
        if (m_currentExcluded) {
            if (m_log)
                log(QStringLiteral("id ") + torrent.Id +
                    QStringLiteral(" found in exc array. no hit"));
            return;
        }
        const int hits = rule.hits(loweredName);
        if (m_log && rule.matchesEveryName())
            log(QStringLiteral("display_all_overide"));
        else if (m_log)
            log(QStringLiteral("afhits = ") + QString::number(hits) + QLatin1Char('/') +
                QString::number(rule.keywordCount()));
        if (hits != rule.keywordCount())
            return;
        const bool fits = rule.categoryFits(torrent.Category);
        if (m_log)
            log(QStringLiteral("cat check ") + (fits ? QLatin1Char('1') : QLatin1Char('0')));
        applyVerdict(rule, FilterRule::containsVerdict(true, fits), torrent, id, lastparsed);
        return;
    }
    case FilterRule::Mode::ExactlyMatches:
        if (m_currentExcluded)
            return;
        applyVerdict(rule,
                     FilterRule::exactlyMatchesVerdict(rule.everyKeywordMatches(loweredName),
                                                       rule.categoryFits(torrent.Category)),
                     torrent, id, lastparsed);
        return;
    case FilterRule::Mode::Unknown:
        return;
    }
}

void FilterEngine::applyVerdict(const FilterRule &rule, FilterRule::Verdict verdict,
                                const TorrentRecord &torrent, qint32 id, qint32 lastparsed)
{
    if (verdict == FilterRule::Verdict::Veto)
        exclude(torrent.Id); // vetoed for every later filter of this check
    else if (verdict == FilterRule::Verdict::Accept)
        accept(rule, torrent, id, lastparsed);
}

void FilterEngine::accept(const FilterRule &f, const TorrentRecord &torrent, qint32 id,
                          qint32 lastparsed)
{
    if (f.effectOf(FilterRule::Verdict::Accept) == FilterRule::Effect::Exclude) {
        log(QStringLiteral("type 2. adding to exc array"));
        exclude(torrent.Id);
        return;
    }
    for (const MatchRecord &r : std::as_const(m_state.results)) {
        if (r.Id == id) {
            log(QStringLiteral("Duplicate result for ID: ") + torrent.Id);
            return;
        }
    }
    log(QStringLiteral("Torrent found matching \"") + m_state.Filters.ffname(f.slot()) +
        QStringLiteral("\" Name: ") + torrent.Name + QStringLiteral(" Type: ") + torrent.Category +
        QStringLiteral(" ID: ") + torrent.Id);
    m_state.results.append(resultFor(torrent, id, f.slot()));

    if (f.action() == FilterRule::Action::Download && lastparsed > 0 && m_startDownload) {
        log(QStringLiteral("Autodownloading ") + torrent.Name);
        m_startDownload(downloadRequestFor(m_state, id, torrent.FileName, torrent.Name));
        m_state.results.last().Downloaded = 1.0f;
    }
}

void FilterEngine::exclude(const QString &id)
{
    m_state.exclusion.append(id);
    m_exclusionIds.append(exclusionNumber(id));
    m_currentExcluded = true;
}

// Drops results that a later Ignore or veto excluded: walking the exclusion list in order,
// an entry equal to the id of the current last result removes that result.
void FilterEngine::cleanUpResults()
{
    for (const qint64 entry : std::as_const(m_exclusionIds)) {
        if (m_state.results.isEmpty())
            return;
        if (entry == m_state.results.last().Id)
            m_state.results.removeLast();
    }
}
