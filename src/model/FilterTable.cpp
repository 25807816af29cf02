#include "model/FilterTable.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString joinedOrStar(const QStringList &items, const QString &separator, const QString &star)
{
    if (items.size() > 1)
        return items.join(separator);
    if (items.size() == 1)
        return items.first() == QLatin1String("*") ? star : items.first();
    return QString();
}

} // namespace

int FilterTable::CountActiveFilters() const
{
    int n = 0;
    for (int i = 1; i <= count(); ++i) {
        if (m_slots[i].Enabled)
            ++n;
    }
    return n;
}

QString FilterTable::describe(const FilterRecord &filter)
{
    QString text =
        filter.MatchMode + QLatin1Char(' ') +
        joinedOrStar(filter.Keywords, QStringLiteral(" AND "), QStringLiteral("anything")) +
        QStringLiteral(" in ") +
        joinedOrStar(filter.Categories, QStringLiteral(", "), QStringLiteral("all categories"));
    if (!filter.Limits.isEmpty())
        text += QLatin1Char(' ') + filter.Limits.text();
    return text;
}

QString FilterTable::ffname(int slot) const
{
    if (slot < 1 || slot > count())
        return QString();
    return describe(m_slots[slot]);
}

QString FilterTable::matchModeCode(const QString &matchMode)
{
    if (matchMode == QLatin1String("Contains"))
        return QStringLiteral("1");
    if (matchMode == QLatin1String("Exactly Matches"))
        return QStringLiteral("2");
    if (matchMode == QLatin1String("Does Not Contain"))
        return QStringLiteral("3");
    return QString();
}

QString FilterTable::actionCode(const QString &action)
{
    if (action == QLatin1String("Notify"))
        return QStringLiteral("0");
    if (action == QLatin1String("Download"))
        return QStringLiteral("1");
    if (action == QLatin1String("Ignore"))
        return QStringLiteral("2");
    return QString();
}

QString FilterTable::ruleLine(const FilterRecord &f)
{
    // A mode or action the program does not know (only a hand-edited file has one) still
    // takes its character position, so the keywords stay where a later load reads them.
    const QString mode = matchModeCode(f.MatchMode);
    const QString action = actionCode(f.Action);
    return (f.Enabled ? QStringLiteral("1") : QStringLiteral("0")) +
           (mode.isEmpty() ? QStringLiteral("0") : mode) +
           (action.isEmpty() ? QStringLiteral("9") : action) +
           f.Keywords.join(QStringLiteral("&&"));
}

QString FilterTable::categoryLine(const FilterRecord &f)
{
    return f.Categories.join(QStringLiteral(", "));
}

QString FilterTable::serialize() const
{
    QString out;
    for (int i = 1; i <= count(); ++i) {
        const FilterRecord &f = m_slots[i];
        if (f.Removed)
            continue;
        out += ruleLine(f) + CrLf;
        out += categoryLine(f) + CrLf;
    }
    return out;
}

FilterTable FilterTable::parse(const QString &text)
{
    FilterTable table;
    const QStringList pieces = text.split(CrLf);
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const QString &rule = pieces[i];
        const QString &categories = pieces[i + 1];
        FilterRecord f;
        f.Enabled = rule.startsWith(QLatin1Char('1'));
        const QChar mode = rule.size() > 1 ? rule[1] : QChar();
        if (mode == QLatin1Char('1'))
            f.MatchMode = QStringLiteral("Contains");
        else if (mode == QLatin1Char('2'))
            f.MatchMode = QStringLiteral("Exactly Matches");
        else if (mode == QLatin1Char('3'))
            f.MatchMode = QStringLiteral("Does Not Contain");
        const QChar action = rule.size() > 2 ? rule[2] : QChar();
        if (action == QLatin1Char('0'))
            f.Action = QStringLiteral("Notify");
        else if (action == QLatin1Char('1'))
            f.Action = QStringLiteral("Download");
        else if (action == QLatin1Char('2'))
            f.Action = QStringLiteral("Ignore");
        const QString keywords = rule.mid(3);
        f.Keywords = keywords.contains(QStringLiteral("&&")) ? keywords.split(QStringLiteral("&&"))
                                                             : QStringList{keywords};
        f.Categories = categories.contains(QStringLiteral(", "))
                           ? categories.split(QStringLiteral(", "))
                           : QStringList{categories};
        table.append(f);
    }
    return table;
}
