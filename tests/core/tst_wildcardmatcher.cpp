#include "filters/WildcardMatcher.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// A plain recursive matcher for patterns of literals, "*", "?" and "#": slow on long input but
// obviously right, to check the single-pass walk against.
bool reference(QStringView text, QStringView pattern)
{
    if (pattern.isEmpty())
        return text.isEmpty();
    const QChar p = pattern.front();
    if (p == u'*')
        return reference(text, pattern.mid(1)) ||
               (!text.isEmpty() && reference(text.mid(1), pattern));
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    const bool one = p == u'?' || (p == u'#' && c.isDigit()) || p == c;
    return one && reference(text.mid(1), pattern.mid(1));
}

} // namespace

class TestWildcardMatcher : public QObject
{
    Q_OBJECT

private slots:
    void wholeTextMatch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("result");

        // Literals and case.
        QTest::newRow("literal equal") << "linux iso"
                                       << "linux iso" << true;
        QTest::newRow("literal is whole text, not part") << "linux iso"
                                                         << "linux" << false;
        QTest::newRow("case ignored in text") << "Show S01E05 HDTV"
                                              << "show s01e05 hdtv" << true;
        QTest::newRow("case ignored in pattern") << "show s01e05"
                                                 << "SHOW S01E05" << true;
        QTest::newRow("latin-1 letters fold") << "Édition"
                                              << "éDITION" << true;
        QTest::newRow("empty pattern, empty text") << ""
                                                   << "" << true;
        QTest::newRow("empty pattern, some text") << "a"
                                                  << "" << false;
        QTest::newRow("closing bracket alone is literal") << "a]b"
                                                          << "a]b" << true;
        QTest::newRow("exclamation outside list is literal") << "wow!"
                                                             << "wow!" << true;

        // Star.
        QTest::newRow("star prefix") << "Show S01E05"
                                     << "show*" << true;
        QTest::newRow("star matches nothing") << "show"
                                              << "show*" << true;
        QTest::newRow("star alone matches empty") << ""
                                                  << "*" << true;
        QTest::newRow("star inside") << "the big linux dvd"
                                     << "the*dvd" << true;
        QTest::newRow("star needs the tail") << "the big linux dvd"
                                             << "the*cd" << false;
        QTest::newRow("contains form") << "Show S01E05 HDTV"
                                       << "*s01e05*" << true;
        QTest::newRow("contains form misses") << "Show S01E06 HDTV"
                                              << "*s01e05*" << false;
        QTest::newRow("many stars, backtracking") << "abcabcabd"
                                                  << "*a*b*d" << true;
        QTest::newRow("star must retry later occurrence") << "aaab"
                                                          << "*ab" << true;
        QTest::newRow("last char must match after star") << "mississippi"
                                                         << "m*issip*i" << true;
        QTest::newRow("order of parts matters") << "cd then dvd"
                                                << "*dvd*cd*" << false;

        // One character and digits.
        QTest::newRow("question mark one char") << "cat"
                                                << "c?t" << true;
        QTest::newRow("question mark not zero chars") << "ct"
                                                      << "c?t" << false;
        QTest::newRow("question mark not two chars") << "coat"
                                                     << "c?t" << false;
        QTest::newRow("hash digit") << "Show S01E05 HDTV"
                                    << "*s01e0#*" << true;
        QTest::newRow("hash rejects letter") << "s01e0x"
                                             << "s01e0#" << false;
        QTest::newRow("hash one digit only") << "s01e055"
                                             << "s01e0#" << false;
        QTest::newRow("two hashes") << "episode 42"
                                    << "episode ##" << true;

        // Lists, ranges, negation.
        QTest::newRow("list member") << "b"
                                     << "[abc]" << true;
        QTest::newRow("list non-member") << "d"
                                         << "[abc]" << false;
        QTest::newRow("range inside") << "m"
                                      << "[a-z]" << true;
        QTest::newRow("range outside") << "5"
                                       << "[a-z]" << false;
        QTest::newRow("range upper case folded") << "Q"
                                                 << "[A-Z]" << true;
        QTest::newRow("negated digit range") << "x"
                                             << "[!0-9]" << true;
        QTest::newRow("negated digit range rejects digit") << "7"
                                                           << "[!0-9]" << false;
        QTest::newRow("list of ranges") << "2008 release"
                                        << "[0-9a-f][0-9]0[5-9]*" << true;
        QTest::newRow("negated list takes exactly one char") << ""
                                                             << "[!a]" << false;
        QTest::newRow("dash first is literal") << "-"
                                               << "[-a]" << true;
        QTest::newRow("dash last is literal") << "-"
                                              << "[a-]" << true;
        QTest::newRow("contains with negated list") << "ubuntu x86 iso"
                                                    << "*[!a-z]iso*" << true;
        QTest::newRow("negated list misses") << "ubuntu xiso"
                                             << "*[!a-z]iso*" << false;

        // Wildcard characters as literals inside brackets.
        QTest::newRow("bracketed star is literal") << "a*b"
                                                   << "a[*]b" << true;
        QTest::newRow("bracketed star not a run") << "axxb"
                                                  << "a[*]b" << false;
        QTest::newRow("bracketed question mark") << "why?"
                                                 << "why[?]" << true;
        QTest::newRow("bracketed question mark not any") << "whyx"
                                                         << "why[?]" << false;
        QTest::newRow("bracketed hash") << "#1"
                                        << "[#]1" << true;
        QTest::newRow("bracketed hash not a digit") << "11"
                                                    << "[#]1" << false;
        QTest::newRow("bracketed open bracket") << "[dvd]"
                                                << "[[]dvd]" << true;

        // Malformed patterns match nothing, not everything.
        QTest::newRow("unclosed bracket") << "abc"
                                          << "abc[" << false;
        QTest::newRow("unclosed list") << "a"
                                       << "[a-z" << false;
        QTest::newRow("unclosed list after star") << "anything at all"
                                                  << "*[*" << false;
        QTest::newRow("reversed range") << "m"
                                        << "[z-a]" << false;
        QTest::newRow("reversed range in contains form") << "zebra"
                                                         << "*[z-a]*" << false;
        QTest::newRow("reversed range negated") << "x"
                                                << "[!z-a]" << false;
        QTest::newRow("empty list") << ""
                                    << "[]" << false;
        QTest::newRow("empty negated list") << "x"
                                            << "[!]" << false;
    }
    void wholeTextMatch()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, result);
        QCOMPARE(WildcardMatcher::match(text, pattern), result);
    }

    void validity_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "linux" << true;
        QTest::newRow("all wildcards") << "*?#[a-c][!x]" << true;
        QTest::newRow("unclosed") << "[abc" << false;
        QTest::newRow("reversed") << "[9-0]" << false;
        QTest::newRow("empty list") << "x[]" << false;
        QTest::newRow("single-character range") << "[a-a]" << true;
    }
    void validity()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, valid);
        QCOMPARE(WildcardMatcher(pattern).isValid(), valid);
    }

    // A long name against a pattern of many stars that almost matches: a backtracking matcher
    // that tries every split takes exponential time here; the greedy walk answers at once.
    void manyStarsOnLongTextFinish()
    {
        const QString text = QString(4000, QLatin1Char('a'));
        QString pattern;
        for (int i = 0; i < 30; ++i)
            pattern += QStringLiteral("*a");
        QCOMPARE(WildcardMatcher::match(text, pattern + QStringLiteral("*b")), false);
        QCOMPARE(WildcardMatcher::match(text, pattern + QLatin1Char('*')), true);
    }

    // Thousands of short random patterns and names, where a wrong step back to a star shows.
    void agreesWithAPlainRecursiveMatcher()
    {
        QRandomGenerator rng(4711);
        const QString patternChars = QStringLiteral("ab1*?#");
        const QString textChars = QStringLiteral("ab1");
        for (int i = 0; i < 20000; ++i) {
            QString pattern;
            QString text;
            for (int n = int(rng.bounded(8)); n > 0; --n)
                pattern += patternChars[rng.bounded(int(patternChars.size()))];
            for (int n = int(rng.bounded(10)); n > 0; --n)
                text += textChars[rng.bounded(int(textChars.size()))];
            if (WildcardMatcher::match(text, pattern) != reference(text, pattern))
                QFAIL(qPrintable(QStringLiteral("text \"%1\" pattern \"%2\"").arg(text, pattern)));
        }
    }

    void defaultMatcherMatchesNothing()
    {
        const WildcardMatcher none;
        QVERIFY(!none.isValid());
        QVERIFY(!none.matches(QString()));
        QVERIFY(!none.matches(QStringLiteral("x")));
    }
};

QTEST_APPLESS_MAIN(TestWildcardMatcher)
#include "tst_wildcardmatcher.moc"
