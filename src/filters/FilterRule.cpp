#include "filters/FilterRule.h"

namespace {

bool matchesName(const WildcardMatcher &keyword, QStringView name)
{
    return keyword.matchesLowered(name);
}

bool matchesName(const WildcardMatcher &keyword, QByteArrayView name)
{
    return keyword.matchesLoweredLatin1(name);
}

} // namespace

FilterRule::FilterRule(const FilterRecord &filter, int slot)
    : m_slot(slot), m_mode(modeOf(filter.MatchMode)), m_action(actionOf(filter.Action)),
      m_keywordCount(int(filter.Keywords.size())), m_categories(filter.Categories),
      m_limited(!filter.Limits.isEmpty()), m_lowBytes(filter.Limits.lowBytes()),
      m_highBytes(filter.Limits.highBytes())
{
    m_anyName = !filter.Keywords.isEmpty() && filter.Keywords.first() == QLatin1String("*");
    m_usable = !filter.Keywords.isEmpty() && !filter.Categories.isEmpty();
    if (!m_usable || m_anyName)
        return; // a first "*" tests no keyword, so the others need not be readable
    for (const QString &keyword : filter.Keywords) {
        // Only "Exactly Matches" compares the whole name; the other modes look for the
        // keyword anywhere in it.
        const QString pattern = m_mode == Mode::ExactlyMatches
                                    ? keyword
                                    : QLatin1Char('*') + keyword + QLatin1Char('*');
        WildcardMatcher matcher(pattern);
        if (!matcher.isValid())
            m_usable = false;
        const QString run = matcher.longestLiteralRun();
        if (run.size() > m_requiredText.size())
            m_requiredText = run;
        m_keywords.append(matcher);
    }
    if (!m_usable) {
        m_keywords.clear();
        m_requiredText.clear();
    }
}

template <typename Name> int FilterRule::countHits(const Name &name) const
{
    if (m_anyName)
        return m_keywordCount;
    int n = 0;
    for (const WildcardMatcher &keyword : m_keywords) {
        if (matchesName(keyword, name))
            ++n;
    }
    return n;
}

template <typename Name> bool FilterRule::allHit(const Name &name) const
{
    if (m_anyName)
        return true;
    if (m_keywords.size() != m_keywordCount)
        return false; // not usable: nothing was compiled
    for (const WildcardMatcher &keyword : m_keywords) {
        if (!matchesName(keyword, name))
            return false;
    }
    return true;
}

int FilterRule::hits(QStringView loweredName) const
{
    return countHits(loweredName);
}

int FilterRule::hits(QByteArrayView loweredLatin1Name) const
{
    return countHits(loweredLatin1Name);
}

bool FilterRule::everyKeywordMatches(QStringView loweredName) const
{
    return allHit(loweredName);
}

bool FilterRule::everyKeywordMatches(QByteArrayView loweredLatin1Name) const
{
    return allHit(loweredLatin1Name);
}

bool FilterRule::categoryFits(const QStringList &categories, const QString &category)
{
    if (categories.isEmpty())
        return false;
    if (categories.first() == QLatin1String("*"))
        return true;
    for (const QString &c : categories) {
        if (c.compare(category, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

FilterRule::Verdict FilterRule::containsVerdict(bool everyKeywordOccurs, bool categoryFits)
{
    return everyKeywordOccurs && categoryFits ? Verdict::Accept : Verdict::None;
}

FilterRule::Verdict FilterRule::exactlyMatchesVerdict(bool everyKeywordMatchesWholeName,
                                                      bool categoryFits)
{
    return everyKeywordMatchesWholeName && categoryFits ? Verdict::Accept : Verdict::None;
}

FilterRule::Verdict FilterRule::doesNotContainVerdict(bool everyKeywordOccurs, bool categoryFits)
{
    if (everyKeywordOccurs)
        return Verdict::Veto;
    return categoryFits ? Verdict::Accept : Verdict::None;
}

FilterRule::Verdict FilterRule::verdict(bool everyKeywordMatches, bool categoryFits) const
{
    if (!m_usable)
        return Verdict::None;
    switch (m_mode) {
    case Mode::Contains:
        return containsVerdict(everyKeywordMatches, categoryFits);
    case Mode::ExactlyMatches:
        return exactlyMatchesVerdict(everyKeywordMatches, categoryFits);
    case Mode::DoesNotContain:
        return doesNotContainVerdict(everyKeywordMatches, categoryFits);
    case Mode::Unknown:
        break;
    }
    return Verdict::None;
}

FilterRule::Verdict FilterRule::judge(QStringView loweredName, const QString &category) const
{
    if (!judges())
        return Verdict::None;
    return verdict(everyKeywordMatches(loweredName), categoryFits(category));
}

FilterRule::Effect FilterRule::effectOf(Verdict verdict) const
{
    switch (verdict) {
    case Verdict::Veto:
        return Effect::Exclude;
    case Verdict::Accept:
        return m_action == Action::Ignore ? Effect::Exclude : Effect::Take;
    case Verdict::None:
        break;
    }
    return Effect::None;
}

FilterRule::Mode FilterRule::modeOf(const QString &matchMode)
{
    if (matchMode == QLatin1String("Contains"))
        return Mode::Contains;
    if (matchMode == QLatin1String("Exactly Matches"))
        return Mode::ExactlyMatches;
    if (matchMode == QLatin1String("Does Not Contain"))
        return Mode::DoesNotContain;
    return Mode::Unknown;
}

FilterRule::Action FilterRule::actionOf(const QString &action)
{
    if (action == QLatin1String("Ignore"))
        return Action::Ignore;
    if (action == QLatin1String("Download"))
        return Action::Download;
    return Action::Notify;
}

bool FilterRule::readId(QStringView text, qint32 *value)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok;
}

bool FilterRule::readId(QByteArrayView text, qint32 *value)
{
    // Digits between ASCII blanks read alike either way; anything else is read as the text
    // it is (its blanks include the Latin-1 no-break space).
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    if (ok)
        return true;
    return readId(QStringView(QString::fromLatin1(text.data(), text.size())), value);
}
