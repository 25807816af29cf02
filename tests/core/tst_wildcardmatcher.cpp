#include "platform/WildcardMatcher.h"

#include <QtTest>

namespace {

void row(const char *name, const QString &text, const QString &pattern, bool result)
{
    QTest::newRow(name) << text << pattern << result;
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
        row("literal equal", "linux iso", "linux iso", true);
        row("case ignored in the text", "Show S01E05 HDTV", "show s01e05 hdtv", true);
        row("latin-1 letters fold", "Édition", "éDITION", true);
        row("empty pattern, some text", "a", "", false);
        row("closing bracket alone is a literal", "a]b", "a]b", true);
        // Star. (A literal or a star prefix against a whole name: tst_filterengine's "exactly
        // matches needs the whole name".)
        row("star alone matches the empty text", "", "*", true);
        row("star needs the tail", "the big linux dvd", "the*cd", false);
        row("contains form", "Show S01E05 HDTV", "*s01e05*", true);
        row("last part after a star", "mississippi", "m*issip*i", true);
        row("order of the parts matters", "cd then dvd", "*dvd*cd*", false);
        // Only "*literal*" is a plain search for the literal anywhere in the text.
        row("question mark first, star last: one character before", "linux iso", "?inux*", true);
        row("question mark first, star last: not anywhere", "xlinux iso", "?inux*", false);
        row("literal first, star last: at the start", "linux iso", "l?nux*", true);
        row("literal first, star last: not anywhere", "ubuntu linux", "l?nux*", false);
        row("star first, question mark last: at the end", "a linux", "*linu?", true);
        row("star first, question mark last: not anywhere", "a linux iso", "*linu?", false);
        // One character and digits.
        row("question mark, one character", "cat", "c?t", true);
        row("question mark, not zero characters", "ct", "c?t", false);
        row("hash, a digit", "Show S01E05 HDTV", "*s01e0#*", true);
        row("hash rejects a letter", "s01e0x", "s01e0#", false);
        row("hash takes 0, the lowest digit", "s01e00", "s01e0#", true);
        row("hash rejects the character before 0", "s01e0/", "s01e0#", false);
        row("hash takes 9, the highest digit", "s01e09", "s01e0#", true);
        row("hash rejects the character after 9", "s01e0:", "s01e0#", false);
        row("hash alone is one digit, not two", "10", "#", false);
        // Lists, ranges, negation.
        row("list member", "b", "[abc]", true);
        row("list non-member", "d", "[abc]", false);
        row("range inside", "m", "[a-z]", true);
        row("upper-case range folded", "Q", "[A-Z]", true);
        row("negated digit range", "x", "[!0-9]", true);
        row("list of ranges", "2008 release", "[0-9a-f][0-9]0[5-9]*", true);
        row("negated list takes exactly one character", "", "[!a]", false);
        row("dash first is a literal", "-", "[-a]", true);
        row("dash last in a list matches a dash", "x-", "x[a-]", true);
        row("dash last in a list still takes its other members", "xa", "x[a-]", true);
        row("dash last is not a range up to the bracket", "xb", "x[a-]", false);
        row("negated list in the contains form misses", "ubuntu xiso", "*[!a-z]iso*", false);
        // Wildcard characters as literals inside brackets.
        row("bracketed star is a literal", "a*b", "a[*]b", true);
        row("bracketed question mark is not any", "whyx", "why[?]", false);
        row("bracketed hash is not a digit", "11", "[#]1", false);
        row("bracketed open bracket", "[dvd]", "[[]dvd]", true);
        // Malformed patterns match nothing, not everything.
        row("unclosed bracket", "abc", "abc[", false);
        row("reversed range in the contains form", "zebra", "*[z-a]*", false);
        row("reversed range negated", "x", "[!z-a]", false);
        row("empty negated list", "x", "[!]", false);
    }
    void wholeTextMatch()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QTEST(WildcardMatcher::match(text, pattern), "result");
    }
};

QTEST_APPLESS_MAIN(TestWildcardMatcher)
#include "tst_wildcardmatcher.moc"
