#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// The keyword pattern language of the filters, compiled once and matched against whole names.
// Pattern and text are compared lower-cased:
//   "*"      any run of characters, also none
//   "?"      any one character
//   "#"      any one digit 0-9
//   "[abc]"  one character of the list; "a-z" inside a list is a range
//   "[!0-9]" one character not in the list
// Inside brackets "*", "?", "#" and "[" stand for themselves ("[*]", "[?]", "[#]", "[[]"); a "-"
// first or last in a list is literal. Every other character is literal.
// A pattern that cannot be read (an unclosed "[", an empty list "[]" or "[!]", a reversed range
// such as "[z-a]") is invalid and matches nothing, so a typing error never turns a filter into
// one that accepts every torrent.
// Matching walks text and pattern once, going back only to the last "*" seen, so the cost is at
// most length(text) x length(pattern) however many stars there are.
class WildcardMatcher
{
public:
    WildcardMatcher() = default;
    explicit WildcardMatcher(const QString &pattern);

    bool isValid() const { return m_valid; }
    // True when the whole text matches. The text must already be lower-cased (toLower()).
    bool matchesLowered(QStringView loweredText) const;
    // Lower-cases the text first.
    bool matches(const QString &text) const { return matchesLowered(text.toLower()); }
    // The same test on Latin-1 bytes that are already lower-cased (byte n is character n).
    bool matchesLoweredLatin1(QByteArrayView loweredText) const;

    // The longest run of literal characters that every matching text contains; empty when the
    // pattern has none (or is invalid). Searches use it to skip texts before the full match.
    QString longestLiteralRun() const;

    // One-off convenience: does the whole text match the pattern?
    static bool match(const QString &text, const QString &pattern);

private:
    enum class Kind : quint8
    {
        Literal,
        AnyOne,
        Digit,
        Set,
        Star
    };
    struct Token
    {
        Kind kind;
        char16_t ch;    // Literal
        bool negated;   // Set
        int firstRange; // Set: index into m_ranges
        int rangeCount;
    };
    struct Range
    {
        char16_t low;
        char16_t high;
    };

    bool parse(const QString &lowered);
    bool tokenMatches(const Token &token, char16_t c) const;
    template <typename Text> bool walk(const Text &text) const;

    QList<Token> m_tokens;
    QList<Range> m_ranges;
    // Runs of literals that any matching text must contain; checked first with a fast search.
    QList<QString> m_requiredRuns;
    QList<QByteArray> m_requiredRunsLatin1;
    // A literal of the pattern lies beyond Latin-1, so no Latin-1 text can match.
    bool m_beyondLatin1 = false;
    // The pattern is "*" + literals + "*" (or literals only): a plain substring (or equality) test.
    bool m_plainContains = false;
    bool m_plainEquals = false;
    QString m_plainText;
    bool m_valid = false;
};
