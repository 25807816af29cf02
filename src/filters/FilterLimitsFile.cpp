#include "filters/FilterLimitsFile.h"

#include <QHash>
#include <QSet>

#include <limits>

const QString FilterLimitsFile::FileName = QStringLiteral("filterlimits.dat");

namespace {

const QString CrLf = QStringLiteral("\r\n");
constexpr QChar Tab = QLatin1Char('\t');
constexpr QChar Backslash = QLatin1Char('\\');

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool unescaped(QStringView text, QString *out)
{
    out->clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QChar(0))
            return false;
        if (c != Backslash) {
            *out += c;
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i].unicode()) {
        case '\\':
            *out += Backslash;
            break;
        case 't':
            *out += Tab;
            break;
        case 'r':
            *out += QLatin1Char('\r');
            break;
        case 'n':
            *out += QLatin1Char('\n');
            break;
        default:
            return false;
        }
    }
    return true;
}

// The two lines of a filter, escaped and joined, as the lookup key.
QString linesKey(const QString &rule, const QString &categories)
{
    return escaped(rule) + Tab + escaped(categories);
}

QString entryKey(const FilterLimitsFile::Entry &entry)
{
    return linesKey(entry.rule, entry.categories) + Tab + QString::number(entry.occurrence);
}

bool readLimit(QStringView field, SizeLimit *limit)
{
    if (field.isEmpty()) {
        *limit = SizeLimit();
        return true;
    }
    return SizeLimit::fromText(field, limit);
}

bool readEntry(QStringView line, FilterLimitsFile::Entry *entry)
{
    const QList<QStringView> fields = line.split(Tab);
    if (fields.size() != 5)
        return false;
    if (!readLimit(fields[0], &entry->limits.smallest) ||
        !readLimit(fields[1], &entry->limits.largest))
        return false;
    if (entry->limits.isEmpty() || !entry->limits.isOrdered())
        return false;
    const qint64 occurrence = SizeLimits::readSize(fields[2]);
    if (occurrence < 1 || occurrence > std::numeric_limits<int>::max())
        return false;
    entry->occurrence = int(occurrence);
    return unescaped(fields[3], &entry->rule) && unescaped(fields[4], &entry->categories);
}

} // namespace

QList<FilterLimitsFile::Entry> FilterLimitsFile::entriesOf(const FilterTable &table)
{
    QList<Entry> entries;
    QHash<QString, int> seen;
    for (int slot = 1; slot <= table.count(); ++slot) {
        const FilterRecord &filter = table[slot];
        if (filter.Removed)
            continue;
        Entry entry;
        entry.rule = FilterTable::ruleLine(filter).mid(1);
        entry.categories = FilterTable::categoryLine(filter);
        // Every filter counts for the occurrence, with limits or not: a later load counts them
        // all alike.
        entry.occurrence = ++seen[linesKey(entry.rule, entry.categories)];
        if (filter.Limits.isEmpty())
            continue;
        entry.limits = filter.Limits;
        entries.append(entry);
    }
    return entries;
}

QString FilterLimitsFile::format(const QList<Entry> &entries)
{
    QString out;
    for (const Entry &entry : entries) {
        out += entry.limits.smallest.text() + Tab + entry.limits.largest.text() + Tab +
               QString::number(entry.occurrence) + Tab + escaped(entry.rule) + Tab +
               escaped(entry.categories) + CrLf;
    }
    return out;
}

bool FilterLimitsFile::parse(const QString &text, QList<Entry> *entries)
{
    entries->clear();
    QList<QStringView> lines = QStringView(text).split(CrLf);
    if (lines.last().isEmpty())
        lines.removeLast(); // the piece after the last CR LF
    QSet<QString> named;
    for (const QStringView line : std::as_const(lines)) {
        Entry entry;
        if (!readEntry(line, &entry))
            return false;
        const QString key = entryKey(entry);
        if (named.contains(key))
            return false;
        named.insert(key);
        entries->append(entry);
    }
    return true;
}

QList<FilterLimitsFile::Entry> FilterLimitsFile::attach(FilterTable *table,
                                                        const QList<Entry> &entries)
{
    QHash<QString, qsizetype> byKey;
    for (qsizetype i = 0; i < entries.size(); ++i)
        byKey.insert(entryKey(entries[i]), i);
    QList<bool> used(entries.size(), false);
    // The same lines and occurrences as entriesOf gives the table.
    Entry named;
    QHash<QString, int> seen;
    for (int slot = 1; slot <= table->count(); ++slot) {
        FilterRecord &filter = (*table)[slot];
        if (filter.Removed)
            continue;
        named.rule = FilterTable::ruleLine(filter).mid(1);
        named.categories = FilterTable::categoryLine(filter);
        named.occurrence = ++seen[linesKey(named.rule, named.categories)];
        const auto found = byKey.constFind(entryKey(named));
        if (found == byKey.constEnd())
            continue;
        filter.Limits = entries[*found].limits;
        used[*found] = true;
    }
    QList<Entry> dropped;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!used[i])
            dropped.append(entries[i]);
    }
    return dropped;
}

QString FilterLimitsFile::droppedLine(const Entry &entry)
{
    return QStringLiteral("Size limit dropped, its filter is no longer in filters.dat (") +
           entry.limits.text() + QStringLiteral("; occurrence ") +
           QString::number(entry.occurrence) + QStringLiteral(" of ") + escaped(entry.rule) +
           QStringLiteral(" | ") + escaped(entry.categories) + QLatin1Char(')');
}
