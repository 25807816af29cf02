#include "filters/FilterEngine.h"

#include "filters/FilterRule.h"
#include "model/ProgramState.h"
#include "platform/DebugConsole.h"

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

// An exclusion entry as a number for the result clean-up; one that is not a number can equal
// no result id.
qint64 exclusionNumber(const QString &entry)
{
    qint32 id = 0;
    return idNumber(entry, &id) ? id : std::numeric_limits<qint64>::min();
}

} // namespace

FilterEngine::FilterEngine(ProgramState &state, DebugConsole *log, DownloadStarter startDownload)
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
    return DownloadRequest::forTorrent(state, id, fileName, name);
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
    bool anyLimited = false;
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
        if (rule.judges()) { // an unknown mode word gives no outcome
            filters.append(rule);
            anyLimited = anyLimited || rule.hasSizeLimits();
        }
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
        // Read once per torrent, and only when some filter looks at it.
        const qint64 size =
            anyLimited ? SizeLimits::readSize(torrent.Size) : SizeLimits::NotANumber;
        // Entries are only added during a run, and only for the torrent being filtered, so one
        // lookup per torrent and the flag that exclude() sets are enough.
        m_currentExcluded = m_state.exclusion.contains(torrent.Id);
        for (const FilterRule &rule : std::as_const(filters)) {
            // Outside its size limits the filter is passed over as a disabled one is.
            if (rule.admitsSize(size))
                applyFilter(rule, torrent, id, loweredName, lastparsed);
        }
    }
    log(QStringLiteral("All torrents filtered."));
}

// The steps of one enabled filter with one torrent: a torrent excluded earlier in the check
// meets no more filters; a "Does Not Contain" filter first drops the results that later
// exclusions took back; then the filter's mode gives its verdict and the verdict its effect.
void FilterEngine::applyFilter(const FilterRule &rule, const TorrentRecord &torrent, qint32 id,
                               const QString &loweredName, qint32 lastparsed)
{
    if (m_currentExcluded) {
        logExcluded(rule, torrent);
        return;
    }
    if (rule.mode() == FilterRule::Mode::DoesNotContain)
        cleanUpResults();
    applyVerdict(rule, verdictFor(rule, torrent, loweredName), torrent, id, lastparsed);
}

void FilterEngine::logExcluded(const FilterRule &rule, const TorrentRecord &torrent) const
{
    // "Contains" says so for every torrent and filter: the line is built only when it is kept.
    if (m_log && rule.mode() == FilterRule::Mode::Contains)
        log(QStringLiteral("id ") + torrent.Id + QStringLiteral(" found in exc array. no hit"));
}

FilterRule::Verdict FilterEngine::verdictFor(const FilterRule &rule, const TorrentRecord &torrent,
                                             const QString &loweredName) const
{
    if (rule.mode() == FilterRule::Mode::Contains)
        return containsVerdict(rule, torrent, loweredName);
    // "Exactly Matches" and "Does Not Contain": the mode's rule on the two tests.
    return rule.verdict(rule.everyKeywordMatches(loweredName), rule.categoryFits(torrent.Category));
}

FilterRule::Verdict FilterEngine::containsVerdict(const FilterRule &rule,
                                                  const TorrentRecord &torrent,
                                                  const QString &loweredName) const
{
    // The log follows the test: the keywords that hit, then the category when they all did.
    const int hits = rule.hits(loweredName);
    if (m_log && rule.matchesEveryName())
        log(QStringLiteral("display_all_overide"));
    else if (m_log)
        log(QStringLiteral("afhits = ") + QString::number(hits) + QLatin1Char('/') +
            QString::number(rule.keywordCount()));
    if (hits != rule.keywordCount())
        return FilterRule::Verdict::None;
    const bool fits = rule.categoryFits(torrent.Category);
    if (m_log)
        log(QStringLiteral("cat check ") + (fits ? QLatin1Char('1') : QLatin1Char('0')));
    return FilterRule::containsVerdict(true, fits);
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
        const bool started =
            m_startDownload(downloadRequestFor(m_state, id, torrent.FileName, torrent.Name));
        m_state.results.last().Downloaded = started ? 1.0f : 0.0f;
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
