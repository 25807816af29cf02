#include "account/ProfilePage.h"

#include <QStringList>

#include <limits>

namespace {

const QString Lf = QStringLiteral("\n");

const QString OwnTitleStart = QStringLiteral("Vellumstacks :: ");
const QString OwnTitleEnd = QStringLiteral("'s private page");
const QString WelcomeStart = QStringLiteral("Welcome, <a href=userdetails.php?id=");
const QString DetailsTitle = QStringLiteral("Vellumstacks :: Details for ");
const QString CellEnd = QStringLiteral("</td>");

// One value of the details page: its start and end markers.
struct Marker
{
    QString start;
    QString end;
};

const Marker JoinDate{QStringLiteral("Join&nbsp;date</td><td align=left width=99%>"), CellEnd};
const Marker LastSeen{QStringLiteral("Last&nbsp;seen</td><td align=left>"), CellEnd};
const Marker Uploaded{QStringLiteral("Uploaded</td><td align=left>"), CellEnd};
const Marker Downloaded{QStringLiteral("Downloaded</td><td align=left>"), CellEnd};
const Marker ShareRatio{
    QStringLiteral("Share ratio</td><td align=left valign=center style='padding-top: 1px; "
                   "padding-bottom:") +
        Lf +
        QStringLiteral("0px'><table border=0 cellspacing=0 cellpadding=0><tr><td "
                       "class=embedded><font color="),
    Lf + QStringLiteral("</font>")};
const Marker UserClass{QStringLiteral("Class</td><td align=left>"), CellEnd};
const Marker Comments{QStringLiteral("Torrent&nbsp;comments</td><td align=left>"), CellEnd};
const Marker Posts{QStringLiteral("Forum&nbsp;posts</td><td align=left>"), CellEnd};
const Marker NewMessages{QStringLiteral("<font color=white>"), QStringLiteral("</font>")};
const Marker Seeding{QStringLiteral("Currently&nbsp;seeding</td><td align=left>"),
                     QStringLiteral("</table>")};
const Marker Leeching{QStringLiteral("Currently&nbsp;leeching</td><td align=left>"),
                      QStringLiteral("</table>")};
const Marker Avatar{QStringLiteral("Avatar</td><td align=left><img src=\""),
                    QStringLiteral("\"></td>")};

QString element(const QString &page, const Marker &marker)
{
    return ProfilePage::getelement(page, marker.start, marker.end);
}

// The link around a count names the member: "<a href=userhistory.php?action=ACTION&id=ID>".
QString countText(const QString &cell, const QString &action, qint32 userId)
{
    QString text = cell;
    text.remove(QStringLiteral("<a href=userhistory.php?action=") + action +
                QStringLiteral("&id=") + QString::number(userId) + QStringLiteral(">"));
    text.remove(QStringLiteral("</a>"));
    return ProfilePage::displayText(text);
}

// One cell of a torrent row; the row is then cut just after the first character of the start
// marker, so that the next search finds the next cell.
QString nextCell(QString &row, const QString &start, const QString &end)
{
    const QString value = ProfilePage::getelement(row, start, end);
    row = row.mid(row.indexOf(start) + 1);
    return value;
}

// A size cell holds the number and its unit on two lines ("6.08<br>GB"): both are kept, so
// that 534.62 MB and 6.08 GB do not both read as bare numbers.
QString sizeCell(QString &row, const QString &start)
{
    QString cell = nextCell(row, start, CellEnd);
    cell.replace(QStringLiteral("<br>"), QStringLiteral(" "));
    return ProfilePage::displayText(cell).simplified();
}

// "&#NN;" and "&#xHH;": the character, or a null QChar for codes that name none.
char32_t numericEntity(QStringView digits)
{
    bool ok = false;
    const uint code = digits.startsWith(QLatin1Char('x'), Qt::CaseInsensitive)
                          ? digits.mid(1).toUInt(&ok, 16)
                          : digits.toUInt(&ok, 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return char32_t(code);
}

} // namespace

QString ProfilePage::getelement(const QString &source, const QString &start, const QString &end)
{
    const qsizetype at = source.indexOf(start);
    if (at < 0)
        return QString();
    const qsizetype from = at + start.size();
    const qsizetype to = source.indexOf(end, from);
    if (to <= from)
        return QString();
    return source.mid(from, to - from);
}

QString ProfilePage::ownName(const QString &page)
{
    return displayText(getelement(page, OwnTitleStart, OwnTitleEnd));
}

qint32 ProfilePage::ownUserId(const QString &page)
{
    return numberFrom(getelement(page, WelcomeStart, QStringLiteral(">")));
}

bool ProfilePage::isDetailsPage(const QString &page)
{
    return page.contains(DetailsTitle);
}

ProfilePage::Details ProfilePage::details(const QString &page, qint32 userId)
{
    Details d;
    d.values.joinDate = displayText(element(page, JoinDate));
    d.values.lastSeen = displayText(element(page, LastSeen));
    d.values.uploaded = displayText(element(page, Uploaded));
    d.values.downloaded = displayText(element(page, Downloaded));
    d.values.shareRatio = shareRatio(element(page, ShareRatio));
    d.values.userClass = displayText(element(page, UserClass));
    d.values.comments = countText(element(page, Comments), QStringLiteral("viewcomments"), userId);
    d.values.posts = countText(element(page, Posts), QStringLiteral("viewposts"), userId);

    const QString notice = displayText(element(page, NewMessages));
    if (notice.contains(QStringLiteral("message")))
        d.newMessages = notice;

    d.torrents = tableRows(element(page, Seeding));
    d.torrents += tableRows(element(page, Leeching));
    d.avatarAddress = displayText(element(page, Avatar)).trimmed();
    return d;
}

QList<ProfileTorrent> ProfilePage::tableRows(const QString &table)
{
    QList<ProfileTorrent> rows;
    const QStringList pieces = table.split(QStringLiteral("<tr>"));
    for (qsizetype i = 2; i < pieces.size(); ++i)
        rows.append(row(pieces.at(i)));
    return rows;
}

ProfileTorrent ProfilePage::row(QString row)
{
    const QString centre = QStringLiteral("<td align=center>");
    const QString right = QStringLiteral("<td align=right>");

    ProfileTorrent t;
    t.name = displayText(
        getelement(row, QStringLiteral("dllist=1><strong>"), QStringLiteral("</strong>")));
    t.id = getelement(row, QStringLiteral("<a href=details.php?id="), QStringLiteral("&amp;hit=1"));
    t.connectable = displayText(nextCell(row, centre, CellEnd));
    t.size = sizeCell(row, centre);
    t.seeders = displayText(nextCell(row, right, CellEnd));
    t.leechers = displayText(nextCell(row, right, CellEnd));
    t.uploaded = sizeCell(row, centre);
    t.downloaded = sizeCell(row, centre);
    t.ratio = displayText(
        getelement(nextCell(row, centre, CellEnd), QStringLiteral(">"), QStringLiteral("</font>")));
    return t;
}

QString ProfilePage::shareRatio(const QString &cell)
{
    const qsizetype mark = cell.indexOf(QLatin1Char('>'));
    if (mark < 0)
        return QString();
    return displayText(cell.mid(mark + 1));
}

QString ProfilePage::displayText(const QString &html)
{
    if (!html.contains(QLatin1Char('&')) && !html.contains(QLatin1Char('\n')) &&
        !html.contains(QLatin1Char('\r')))
        return html;
    QString out;
    out.reserve(html.size());
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c == QLatin1Char('\r')) {
            // CR LF is one line break.
            if (i + 1 < html.size() && html.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1Char(' ');
            continue;
        }
        if (c == QLatin1Char('\n')) {
            out += QLatin1Char(' ');
            continue;
        }
        if (c != QLatin1Char('&')) {
            out += c;
            continue;
        }
        const qsizetype semi = html.indexOf(QLatin1Char(';'), i + 1);
        // Entity names are short; a lone "&" stays as it is.
        if (semi < 0 || semi - i > 10) {
            out += c;
            continue;
        }
        const QStringView name = QStringView(html).mid(i + 1, semi - i - 1);
        QString decoded;
        if (name == QLatin1String("amp"))
            decoded = QStringLiteral("&");
        else if (name == QLatin1String("lt"))
            decoded = QStringLiteral("<");
        else if (name == QLatin1String("gt"))
            decoded = QStringLiteral(">");
        else if (name == QLatin1String("quot"))
            decoded = QStringLiteral("\"");
        else if (name == QLatin1String("apos"))
            decoded = QStringLiteral("'");
        else if (name == QLatin1String("nbsp"))
            decoded = QStringLiteral(" ");
        else if (name.startsWith(QLatin1Char('#'))) {
            const char32_t code = numericEntity(name.mid(1));
            // A control character (a line break among them) would split the value's line.
            if (code != 0)
                decoded = code < 0x20 ? QStringLiteral(" ") : QString::fromUcs4(&code, 1);
        }
        if (decoded.isNull()) {
            out += c;
            continue;
        }
        out += decoded;
        i = semi;
    }
    return out;
}

qint32 ProfilePage::numberFrom(const QString &text)
{
    if (text.isEmpty() || text.size() > 10)
        return 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    const qint64 value = text.toLongLong();
    if (value <= 0 || value > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(value);
}
