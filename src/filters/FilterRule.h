#pragma once

#include "model/FilterRecord.h"
#include "platform/WildcardMatcher.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// One filter as the check judges a torrent with it: the rules of the match modes, the keyword
// patterns and the category restriction, compiled once from a FilterRecord. The filter stage
// of a check (FilterEngine) and the wizards' preview (FilterPreview) both judge torrents with
// it, so both follow the same rules.
//
// A name is judged lower-cased (as QString::toLower gives it), either as text or as Latin-1
// bytes; the two give the same answer for every Latin-1 name.
//   "Contains":         accepts when the name holds every keyword and the category fits.
//   "Exactly Matches":  accepts when the whole name matches every keyword and the category fits.
//   "Does Not Contain": vetoes a name holding every keyword; otherwise accepts when the
//                       category fits.
// A first keyword "*" counts as every keyword matching, without testing the others. A first
// category "*" fits every category; otherwise a category fits when it equals one of the list,
// letter case ignored.
//
// Size limits come before all of that: a torrent outside them meets the filter as it would a
// disabled one (see admitsSize).
//
// A filter that cannot be used judges nothing (neither accepts nor vetoes): no keywords, no
// categories, or a keyword that is not a readable pattern. A mode word other than the three
// gives no verdict either.
class FilterRule
{
public:
    enum class Mode
    {
        Contains,
        ExactlyMatches,
        DoesNotContain,
        Unknown
    };
    // What an accepting filter does: Ignore excludes the torrent, Download also fetches its
    // file, and any other action word keeps the result only (as Notify does).
    enum class Action
    {
        Notify,
        Download,
        Ignore
    };
    enum class Verdict
    {
        None,   // the filter does nothing with the torrent
        Accept, // the filter takes the torrent (its action applies)
        Veto    // "Does Not Contain": excluded for every later filter
    };
    // What a verdict does to the torrent in the check.
    enum class Effect
    {
        None,
        Exclude, // into the exclusion list: a veto, or an accepting Ignore filter
        Take     // a result of this filter, unless the torrent already has one
    };

    FilterRule() = default;
    // slot: the filter's place in the table (1 first), kept for whoever reports on it.
    explicit FilterRule(const FilterRecord &filter, int slot = 0);

    int slot() const { return m_slot; }
    Mode mode() const { return m_mode; }
    Action action() const { return m_action; }
    // Keywords and categories are there and every keyword is a readable pattern.
    bool isUsable() const { return m_usable; }
    // Usable and of a known mode: the filter can give a verdict.
    bool judges() const { return m_usable && m_mode != Mode::Unknown; }
    // The first keyword is "*": every name counts as matching every keyword.
    bool matchesEveryName() const { return m_anyName; }
    int keywordCount() const { return m_keywordCount; }
    const QStringList &categories() const { return m_categories; }

    // The number of keywords the lowered name matches (all of them for a first "*"). For
    // "Exactly Matches" a keyword must match the whole name; otherwise it may occur anywhere.
    int hits(QStringView loweredName) const;
    int hits(QByteArrayView loweredLatin1Name) const;
    // hits == keywordCount, stopping at the first keyword that does not match.
    bool everyKeywordMatches(QStringView loweredName) const;
    bool everyKeywordMatches(QByteArrayView loweredLatin1Name) const;

    // A run of characters that every name matching every keyword holds, lower-cased; empty
    // when there is none to name (a first "*", or patterns made of wildcards only). A search
    // over many names looks at the names holding it only.
    QString requiredText() const { return m_requiredText; }

    // The filter has a smallest or a largest size.
    bool hasSizeLimits() const { return m_limited; }
    // The torrent's size (SizeLimits::readSize; NotANumber when the feed's text is not a
    // number) is within the filter's limits, or the filter has none. A torrent outside them
    // skips the filter as if it were disabled: no exclusion test, no verdict, no log line.
    bool admitsSize(qint64 size) const
    {
        return !m_limited || (size >= m_lowBytes && size <= m_highBytes);
    }

    bool categoryFits(const QString &category) const
    {
        return categoryFits(m_categories, category);
    }
    // The category test: a first entry "*" fits all, otherwise any entry equal to the category,
    // letter case ignored. An empty list fits nothing.
    static bool categoryFits(const QStringList &categories, const QString &category);

    // The verdict of this filter's mode, given whether the name matches every keyword and
    // whether its category fits. None when the filter cannot judge.
    Verdict verdict(bool everyKeywordMatches, bool categoryFits) const;
    // The whole judgement of one lowered name and its category.
    Verdict judge(QStringView loweredName, const QString &category) const;
    // The effect of a verdict under this filter's action.
    Effect effectOf(Verdict verdict) const;

    // The rule of each mode.
    static Verdict containsVerdict(bool everyKeywordOccurs, bool categoryFits);
    static Verdict exactlyMatchesVerdict(bool everyKeywordMatchesWholeName, bool categoryFits);
    static Verdict doesNotContainVerdict(bool everyKeywordOccurs, bool categoryFits);

    static Mode modeOf(const QString &matchMode);
    static Action actionOf(const QString &action);

    // A torrent id as the check reads it: a 32-bit decimal number, blanks around it allowed.
    // False for anything else; the check passes such a torrent over.
    static bool readId(QStringView text, qint32 *value);
    static bool readId(QByteArrayView text, qint32 *value);

private:
    template <typename Name> int countHits(const Name &name) const;
    template <typename Name> bool allHit(const Name &name) const;

    int m_slot = 0;
    Mode m_mode = Mode::Unknown;
    Action m_action = Action::Notify;
    bool m_anyName = false;
    bool m_usable = false;
    int m_keywordCount = 0;
    QList<WildcardMatcher> m_keywords;
    QStringList m_categories;
    QString m_requiredText;
    bool m_limited = false;
    qint64 m_lowBytes = 0;
    qint64 m_highBytes = 0;
};
