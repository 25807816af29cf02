#include "filters/WildcardMatcher.h"

WildcardMatcher::WildcardMatcher(const QString &pattern)
{
    m_valid = parse(pattern.toLower());
    if (!m_valid) {
        m_tokens.clear();
        m_ranges.clear();
        m_requiredRuns.clear();
        return;
    }

    // Collect the literal runs, and notice the two shapes that need no pattern walk at all.
    QString run;
    int literals = 0;
    for (const Token &t : std::as_const(m_tokens)) {
        if (t.kind == Kind::Literal) {
            run += QChar(t.ch);
            ++literals;
            continue;
        }
        if (!run.isEmpty())
            m_requiredRuns.append(run);
        run.clear();
    }
    if (!run.isEmpty())
        m_requiredRuns.append(run);
    for (const QString &r : std::as_const(m_requiredRuns)) {
        for (const QChar c : r)
            m_beyondLatin1 = m_beyondLatin1 || c.unicode() > 0xff;
        m_requiredRunsLatin1.append(r.toLatin1());
    }

    const qsizetype n = m_tokens.size();
    if (literals == n) {
        m_plainEquals = true;
        m_plainText = m_requiredRuns.value(0);
    } else if (n >= 3 && literals == n - 2 && m_tokens.first().kind == Kind::Star &&
               m_tokens.last().kind == Kind::Star) {
        m_plainContains = true;
        m_plainText = m_requiredRuns.value(0);
    }
}

bool WildcardMatcher::parse(const QString &p)
{
    const qsizetype n = p.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        switch (c) {
        case u'*':
            // Neighbouring stars mean the same as one.
            if (m_tokens.isEmpty() || m_tokens.last().kind != Kind::Star)
                m_tokens.append({Kind::Star, 0, false, 0, 0});
            break;
        case u'?':
            m_tokens.append({Kind::AnyOne, 0, false, 0, 0});
            break;
        case u'#':
            m_tokens.append({Kind::Digit, 0, false, 0, 0});
            break;
        case u'[': {
            qsizetype j = i + 1;
            const bool negated = j < n && p[j] == u'!';
            if (negated)
                ++j;
            const int first = int(m_ranges.size());
            while (j < n && p[j] != u']') {
                const char16_t low = p[j].unicode();
                if (j + 2 < n && p[j + 1] == u'-' && p[j + 2] != u']') {
                    const char16_t high = p[j + 2].unicode();
                    if (high < low)
                        return false; // reversed range
                    m_ranges.append({low, high});
                    j += 3;
                } else {
                    m_ranges.append({low, low});
                    ++j;
                }
            }
            if (j >= n)
                return false; // no closing "]"
            const int count = int(m_ranges.size()) - first;
            if (count == 0)
                return false; // "[]" or "[!]" names no character
            m_tokens.append({Kind::Set, 0, negated, first, count});
            i = j;
            break;
        }
        default:
            m_tokens.append({Kind::Literal, c, false, 0, 0});
            break;
        }
    }
    return true;
}

bool WildcardMatcher::tokenMatches(const Token &token, char16_t c) const
{
    switch (token.kind) {
    case Kind::Literal:
        return c == token.ch;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= u'0' && c <= u'9';
    case Kind::Set: {
        bool inList = false;
        for (int r = token.firstRange; r < token.firstRange + token.rangeCount; ++r) {
            if (c >= m_ranges[r].low && c <= m_ranges[r].high) {
                inList = true;
                break;
            }
        }
        return inList != token.negated;
    }
    case Kind::Star:
        break;
    }
    return false;
}

template <typename Text> bool WildcardMatcher::walk(const Text &text) const
{
    // Greedy walk: each non-star token takes one character; on a mismatch the last star takes
    // one more character and the walk resumes after it. Earlier stars never need to be
    // revisited, which keeps the walk polynomial.
    const qsizetype n = text.size();
    const qsizetype m = m_tokens.size();
    qsizetype t = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starT = 0;
    while (t < n) {
        if (p < m && m_tokens[p].kind == Kind::Star) {
            starP = p++;
            starT = t;
        } else if (p < m && tokenMatches(m_tokens[p], char16_t(text[t]))) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < m && m_tokens[p].kind == Kind::Star)
        ++p;
    return p == m;
}

bool WildcardMatcher::matchesLowered(QStringView text) const
{
    if (!m_valid)
        return false;
    if (m_plainEquals)
        return text == m_plainText;
    if (m_plainContains)
        return text.contains(m_plainText);
    for (const QString &run : m_requiredRuns) {
        if (!text.contains(run))
            return false;
    }
    struct Utf16
    {
        QStringView view;
        qsizetype size() const { return view.size(); }
        char16_t operator[](qsizetype i) const { return view[i].unicode(); }
    };
    return walk(Utf16{text});
}

bool WildcardMatcher::matchesLoweredLatin1(QByteArrayView text) const
{
    if (!m_valid || m_beyondLatin1)
        return false;
    if (m_plainEquals)
        return text == QByteArrayView(m_requiredRunsLatin1.value(0));
    for (const QByteArray &run : m_requiredRunsLatin1) {
        if (!text.contains(QByteArrayView(run)))
            return false;
    }
    if (m_plainContains)
        return true;
    struct Latin1
    {
        QByteArrayView view;
        qsizetype size() const { return view.size(); }
        char16_t operator[](qsizetype i) const { return char16_t(uchar(view[i])); }
    };
    return walk(Latin1{text});
}

QString WildcardMatcher::longestLiteralRun() const
{
    QString longest;
    for (const QString &run : m_requiredRuns) {
        if (run.size() > longest.size())
            longest = run;
    }
    return longest;
}

bool WildcardMatcher::match(const QString &text, const QString &pattern)
{
    return WildcardMatcher(pattern).matches(text);
}
