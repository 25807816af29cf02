#include "filters/FilterPreview.h"

#include "model/FilterTable.h"
#include "search/SearchDatabase.h"

namespace {

bool isLatin1(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

} // namespace

FilterPreview::FilterPreview(std::shared_ptr<const SearchDatabase> database,
                             const QList<FilterRule> &above)
    : m_database(std::move(database))
{
    const SearchDatabase &db = *m_database;
    m_outcomes.resize(size_t(db.rowCount()), Free);
    for (int row = 0; row < db.rowCount(); ++row) {
        qint32 id = 0;
        if (!FilterRule::readId(db.idText(row), &id))
            m_outcomes[size_t(row)] = PassedOver;
    }
    // Each torrent meets the filters in slot order; rows do not affect one another, so each
    // filter can be run over all rows before the next.
    for (const FilterRule &rule : above) {
        forEachVerdict(rule, [&](int row, FilterRule::Verdict verdict) {
            qint32 &outcome = m_outcomes[size_t(row)];
            if (outcome < 0)
                return; // excluded torrents meet no later filter
            switch (rule.effectOf(verdict)) {
            case FilterRule::Effect::Exclude:
                outcome = Excluded;
                break;
            case FilterRule::Effect::Take:
                if (outcome == Free)
                    outcome = rule.slot(); // a later acceptance is a duplicate
                break;
            case FilterRule::Effect::None:
                break;
            }
        });
    }
}

template <typename Visit>
void FilterPreview::forEachVerdict(const FilterRule &rule, Visit visit) const
{
    if (!rule.judges())
        return;
    const SearchDatabase &db = *m_database;
    // A verdict depends on the name only through whether it matches every keyword, and on the
    // category only through whether it fits: both answers are worked out once per category.
    const QStringList &categories = db.categories();
    std::vector<FilterRule::Verdict> whenMatching(size_t(categories.size()));
    std::vector<FilterRule::Verdict> otherwise(size_t(categories.size()));
    bool otherNamesCount = false;
    for (qsizetype c = 0; c < categories.size(); ++c) {
        const bool fits = rule.categoryFits(categories[c]);
        whenMatching[size_t(c)] = rule.verdict(true, fits);
        otherwise[size_t(c)] = rule.verdict(false, fits);
        otherNamesCount = otherNamesCount || otherwise[size_t(c)] != FilterRule::Verdict::None;
    }
    // A row outside the rule's size limits meets it as a disabled filter: no verdict.
    const bool limited = rule.hasSizeLimits();
    const auto call = [&](int row, bool matches) {
        if (limited && !rule.admitsSize(SizeLimits::readSize(db.sizeText(row))))
            return;
        const size_t category = size_t(db.categoryIndex(row));
        const FilterRule::Verdict verdict = matches ? whenMatching[category] : otherwise[category];
        if (verdict != FilterRule::Verdict::None)
            visit(row, verdict);
    };

    if (rule.matchesEveryName()) {
        for (int row = db.rowCount() - 1; row >= 0; --row)
            call(row, true);
        return;
    }
    // The names matching every keyword, oldest first: only names holding the rule's required
    // text can, and no Latin-1 name holds a text beyond Latin-1.
    std::vector<quint32> matching;
    const QString required = rule.requiredText();
    if (isLatin1(required)) {
        db.forEachRowHolding(required.toLatin1(), [&](int row) {
            if (rule.everyKeywordMatches(db.loweredName(row)))
                matching.push_back(quint32(row));
        });
    }
    if (!otherNamesCount) {
        for (auto it = matching.rbegin(); it != matching.rend(); ++it)
            call(int(*it), true);
        return;
    }
    auto next = matching.rbegin();
    for (int row = db.rowCount() - 1; row >= 0; --row) {
        const bool matches = next != matching.rend() && *next == quint32(row);
        if (matches)
            ++next;
        call(row, matches);
    }
}

FilterPreview::Result FilterPreview::run(const FilterRecord &pending) const
{
    Result result;
    result.rowCount = m_database->rowCount();
    const FilterRule rule(pending);
    // Higher Notify and Download filters keep a torrent from becoming this filter's result too
    // (a duplicate); an Ignore filter excludes it all the same.
    const bool takenCounts = rule.effectOf(FilterRule::Verdict::Accept) == FilterRule::Effect::Take;
    forEachVerdict(rule, [&](int row, FilterRule::Verdict verdict) {
        if (verdict != FilterRule::Verdict::Accept)
            return;
        const qint32 outcome = m_outcomes[size_t(row)];
        if (outcome == PassedOver)
            return;
        ++result.matched;
        if (outcome == Excluded || (outcome > 0 && takenCounts)) {
            ++result.takenAbove;
            return;
        }
        if (result.rows.size() < size_t(MaxListedRows))
            result.rows.push_back(quint32(row));
    });
    return result;
}

QList<FilterRule> FilterPreview::rulesAbove(const FilterTable &table, int firstSlotBelow)
{
    QList<FilterRule> rules;
    const int last = std::min(firstSlotBelow - 1, table.count());
    for (int slot = 1; slot <= last; ++slot) {
        if (!table[slot].Enabled)
            continue;
        FilterRule rule(table[slot], slot);
        if (rule.judges())
            rules.append(rule);
    }
    return rules;
}

QString FilterPreview::countText(const Result &result)
{
    QString text = QStringLiteral("Would have matched %1 of the newest %2 torrents")
                       .arg(result.matched)
                       .arg(result.rowCount);
    if (result.takenAbove > 0)
        text += QStringLiteral(" (%1 taken first by higher filters)").arg(result.takenAbove);
    return text;
}

QString FilterPreview::noDatabaseText()
{
    return QStringLiteral("No local torrent database yet. Open Search Torrents once to build it.");
}
