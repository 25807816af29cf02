#include "ProfilePages.h"

#include "SiteHtml.h"

namespace {

QByteArray html(const QString &text)
{
    return SiteHtml::escape(text);
}

QByteArray number(qint64 n)
{
    return QByteArray::number(n);
}

// The site prints sizes in list cells on two lines: number, <br>, unit.
QByteArray twoLineSize(qint64 bytes)
{
    return SiteHtml::sizeText(bytes).toLatin1().replace(' ', "<br>");
}

} // namespace

QString ProfilePages::ratioText(qint64 uploaded, qint64 downloaded)
{
    if (downloaded <= 0)
        return QStringLiteral("Inf.");
    return QString::number(double(uploaded) / double(downloaded), 'f', 3);
}

QString ProfilePages::ratioColour(qint64 uploaded, qint64 downloaded)
{
    if (downloaded <= 0)
        return QStringLiteral("#000000");
    const double ratio = double(uploaded) / double(downloaded);
    if (ratio < 0.2)
        return QStringLiteral("#ff0000");
    if (ratio < 0.5)
        return QStringLiteral("#cc0000");
    if (ratio < 0.8)
        return QStringLiteral("#990000");
    if (ratio < 1.0)
        return QStringLiteral("#660000");
    if (ratio < 2.0)
        return QStringLiteral("#000000");
    return QStringLiteral("#007700");
}

QString ProfilePages::avatarPath(int userId)
{
    return QStringLiteral("/pic/avatar%1.png").arg(userId);
}

QByteArray ProfilePages::messageNotice(const SiteUser &viewer)
{
    // The only "<font color=white>" on a page: clients take the first one as the notice.
    if (viewer.newMessages <= 0)
        return "<td align=right>No new messages</td>";
    const QByteArray text =
        number(viewer.newMessages) + (viewer.newMessages == 1 ? " new message" : " new messages");
    return "<td align=right bgcolor=#aa0000><a href=/inbox.php><b><font color=white>" + text +
           "</font></b></a></td>";
}

QByteArray ProfilePages::myPage(const SiteUser &user)
{
    QByteArray out = "<html><head><title>Vellumstacks :: " + html(user.name) +
                     "'s private page</title></head>\n<body>\n";
    out += "<table width=100% cellpadding=4><tr><td>Welcome, <a href=userdetails.php?id=" +
           number(user.id) + ">" + html(user.name) + "</a>! [<a href=/logout.php>logout</a>]</td>" +
           messageNotice(user) + "</tr></table>\n";
    out += "<h1>Vellumstacks</h1>\n<p><a href=/browse.php>Browse</a> | "
           "<a href=/inbox.php>Inbox</a></p>\n";
    out += "<h2>" + html(user.name) + "'s private page</h2>\n";
    out += "<table border=1 cellspacing=0 cellpadding=5>\n";
    out +=
        "<tr><td class=rowhead>Class</td><td align=left>" + html(user.userClass) + "</td></tr>\n";
    out += "<tr><td class=rowhead>Uploaded</td><td align=left>" +
           html(SiteHtml::sizeText(user.uploaded)) + "</td></tr>\n";
    out += "<tr><td class=rowhead>Downloaded</td><td align=left>" +
           html(SiteHtml::sizeText(user.downloaded)) + "</td></tr>\n";
    out += "</table>\n<p><a href=userdetails.php?id=" + number(user.id) +
           ">View your public profile</a></p>\n</body></html>\n";
    return out;
}

QByteArray ProfilePages::transferTable(const QList<SiteTorrent> &torrents, bool seeding)
{
    // Header row first so that, split at "<tr>", the torrents are pieces 2 onward.
    QByteArray out = "<table class=main border=1 cellspacing=0 cellpadding=5>\n"
                     "<tr><td class=colhead>Type</td><td class=colhead>Name</td>"
                     "<td class=colhead align=center>Conn.</td>"
                     "<td class=colhead align=center>Size</td>"
                     "<td class=colhead align=right>Se.</td>"
                     "<td class=colhead align=right>Le.</td>"
                     "<td class=colhead align=center>Upl.</td>"
                     "<td class=colhead align=center>Downl.</td>"
                     "<td class=colhead align=center>Ratio</td></tr>\n";
    for (const SiteTorrent &t : torrents) {
        // Per-torrent figures made up from the id so pages stay the same between runs.
        const qint64 downloaded = seeding ? t.size : t.size * (t.id % 9 + 1) / 10;
        const qint64 uploaded = t.size * (t.id % 5 + 1) / 2;
        const int seeders = t.field3.toInt() + 1;
        const int leechers = t.id % 13;
        out += "<tr><td style='padding: 0px'><img src=/pic/cat.gif alt=\"" + html(t.category) +
               "\"></td>";
        out += "<td><a href=details.php?id=" + number(t.id) + "&amp;hit=1&amp;dllist=1><strong>" +
               html(t.name) + "</strong></a></td>";
        out += "<td align=center>" + QByteArray(t.id % 4 ? "yes" : "no") + "</td>";
        out += "<td align=center>" + twoLineSize(t.size) + "</td>";
        out += "<td align=right>" + number(seeders) + "</td>";
        out += "<td align=right>" + number(leechers) + "</td>";
        out += "<td align=center>" + twoLineSize(uploaded) + "</td>";
        out += "<td align=center>" + twoLineSize(downloaded) + "</td>";
        out += "<td align=center><font color=" + ratioColour(uploaded, downloaded).toLatin1() +
               ">" + ratioText(uploaded, downloaded).toLatin1() + "</font></td></tr>\n";
    }
    return out + "</table>";
}

QByteArray ProfilePages::userDetails(const SiteUser &shown, const SiteUser &viewer,
                                     const SiteCatalogue &catalogue, const QString &baseUrl)
{
    const QByteArray id = number(shown.id);
    const QString colour = shown.ratioColour.isEmpty()
                               ? ratioColour(shown.uploaded, shown.downloaded)
                               : shown.ratioColour;

    QByteArray out = "<html><head><title>Vellumstacks :: Details for " + html(shown.name) +
                     "</title></head>\n<body>\n";
    out += "<table width=100% cellpadding=4><tr><td>Welcome back, <a href=userdetails.php?id=" +
           number(viewer.id) + ">" + html(viewer.name) + "</a></td>" + messageNotice(viewer) +
           "</tr></table>\n";
    out += "<h1>" + html(shown.name) + "</h1>\n";
    out += "<table width=100% border=1 cellspacing=0 cellpadding=5>\n";
    out += "<tr><td class=rowhead width=1%>Join&nbsp;date</td><td align=left width=99%>" +
           html(shown.joinDate) + "</td></tr>\n";
    out += "<tr><td class=rowhead>Last&nbsp;seen</td><td align=left>" + html(shown.lastSeen) +
           "</td></tr>\n";
    out += "<tr><td class=rowhead>Uploaded</td><td align=left>" +
           html(SiteHtml::sizeText(shown.uploaded)) + "</td></tr>\n";
    out += "<tr><td class=rowhead>Downloaded</td><td align=left>" +
           html(SiteHtml::sizeText(shown.downloaded)) + "</td></tr>\n";
    // The ratio cell keeps the site's line breaks inside the style attribute and before
    // "</font>": clients use both as part of their markers.
    out += "<tr><td class=rowhead style='vertical-align: middle'>Share ratio</td>"
           "<td align=left valign=center style='padding-top: 1px; padding-bottom:\n"
           "0px'><table border=0 cellspacing=0 cellpadding=0><tr><td class=embedded>"
           "<font color=" +
           colour.toLatin1() + ">" + ratioText(shown.uploaded, shown.downloaded).toLatin1() +
           "\n</font></td><td class=embedded>&nbsp;&nbsp;<img src=/pic/smile.gif></td>"
           "</tr></table></td></tr>\n";
    out += "<tr><td class=rowhead>Avatar</td><td align=left><img src=\"" + baseUrl.toLatin1() +
           avatarPath(shown.id).toLatin1() + "\"></td></tr>\n";
    out +=
        "<tr><td class=rowhead>Class</td><td align=left>" + html(shown.userClass) + "</td></tr>\n";
    out += "<tr><td class=rowhead>Torrent&nbsp;comments</td><td align=left>"
           "<a href=userhistory.php?action=viewcomments&id=" +
           id + ">" + number(shown.comments) + "</a></td></tr>\n";
    out += "<tr><td class=rowhead>Forum&nbsp;posts</td><td align=left>"
           "<a href=userhistory.php?action=viewposts&id=" +
           id + ">" + number(shown.posts) + "</a></td></tr>\n";
    const QList<SiteTorrent> seeding = catalogue.seedingOf(shown);
    if (!seeding.isEmpty())
        out += "<tr><td class=rowhead>Currently&nbsp;seeding</td><td align=left>" +
               transferTable(seeding, true) + "</td></tr>\n";
    const QList<SiteTorrent> leeching = catalogue.leechingOf(shown);
    if (!leeching.isEmpty())
        out += "<tr><td class=rowhead>Currently&nbsp;leeching</td><td align=left>" +
               transferTable(leeching, false) + "</td></tr>\n";
    out += "</table>\n</body></html>\n";
    return out;
}
