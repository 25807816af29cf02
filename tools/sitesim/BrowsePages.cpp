#include "BrowsePages.h"

#include "SiteHtml.h"

#include <algorithm>

namespace {

QByteArray html(const QString &text)
{
    return SiteHtml::escape(text);
}

} // namespace

QByteArray BrowsePages::home(const SiteCatalogue &catalogue)
{
    QByteArray body = "<p>" + QByteArray::number(catalogue.torrentCount()) +
                      " torrents tracked. Newest uploads:</p>\n<ul>\n";
    const QList<SiteTorrent> newest = catalogue.newest(5);
    for (auto it = newest.crbegin(); it != newest.crend(); ++it)
        body += "<li><a href=/details.php?id=" + QByteArray::number(it->id) + ">" + html(it->name) +
                "</a></li>\n";
    body += "</ul>\n";
    return SiteHtml::page(QStringLiteral("Home"), body);
}

QByteArray BrowsePages::browse(const SiteCatalogue &catalogue, int page)
{
    const QList<SiteTorrent> &all = catalogue.torrents();
    const int total = int(all.size());
    const int pages = std::max(1, (total + RowsPerPage - 1) / RowsPerPage);
    page = std::clamp(page, 0, pages - 1);

    QByteArray body = "<table class=main border=1 cellspacing=0 cellpadding=5 width=100%>\n"
                      "<tr><td class=colhead>Type</td><td class=colhead>Name</td>"
                      "<td class=colhead>DL</td><td class=colhead align=right>Size</td>"
                      "<td class=colhead align=right>Seeders</td></tr>\n";
    // Newest first, as the site lists them.
    const int first = total - 1 - page * RowsPerPage;
    for (int i = first; i >= 0 && i > first - RowsPerPage; --i) {
        const SiteTorrent &t = all.at(i);
        const QByteArray id = QByteArray::number(t.id);
        body += "<tr><td>" + html(t.category) + "</td><td><a href=/details.php?id=" + id +
                "&amp;hit=1><b>" + html(t.name) +
                "</b></a></td><td><a href=/download.php?id=" + id + ">DL</a></td><td align=right>" +
                html(SiteHtml::sizeText(t.size)) + "</td><td align=right>" + html(t.field3) +
                "</td></tr>\n";
    }
    body += "</table>\n<p>";
    if (page > 0)
        body += "<a href=/browse.php?page=" + QByteArray::number(page - 1) + ">&lt;&lt; Newer</a> ";
    body += "Page " + QByteArray::number(page + 1) + " of " + QByteArray::number(pages);
    if (page + 1 < pages)
        body += " <a href=/browse.php?page=" + QByteArray::number(page + 1) + ">Older &gt;&gt;</a>";
    body += "</p>";
    return SiteHtml::page(QStringLiteral("Browse"), body);
}

QByteArray BrowsePages::details(const SiteTorrent &torrent)
{
    const QByteArray id = QByteArray::number(torrent.id);
    QByteArray body = "<h2>" + html(torrent.name) +
                      "</h2>\n"
                      "<table border=1 cellspacing=0 cellpadding=5>\n";
    body += "<tr><td class=rowhead>Download</td><td align=left><a href=/download.php?id=" + id +
            ">" + html(torrent.fileName) + "</a></td></tr>\n";
    body +=
        "<tr><td class=rowhead>Type</td><td align=left>" + html(torrent.category) + "</td></tr>\n";
    body += "<tr><td class=rowhead>Size</td><td align=left>" +
            html(SiteHtml::sizeText(torrent.size)) + " (" + QByteArray::number(torrent.size) +
            " bytes)</td></tr>\n";
    body +=
        "<tr><td class=rowhead>Seeders</td><td align=left>" + html(torrent.field3) + "</td></tr>\n";
    body += "<tr><td class=rowhead>Id</td><td align=left>" + id + "</td></tr>\n</table>\n";
    return SiteHtml::page(QStringLiteral("Details for torrent \"%1\"").arg(torrent.name), body);
}

QByteArray BrowsePages::inbox(const SiteUser &user)
{
    QByteArray body = "<h2>Inbox of " + html(user.name) + "</h2>\n";
    if (user.newMessages <= 0) {
        body += "<p>No messages.</p>";
    } else {
        body += "<table border=1 cellspacing=0 cellpadding=5>\n"
                "<tr><td class=colhead>Subject</td><td class=colhead>From</td></tr>\n";
        for (int i = 1; i <= user.newMessages; ++i)
            body += "<tr><td><b>Welcome message " + QByteArray::number(i) +
                    "</b> (new)</td><td>System</td></tr>\n";
        body += "</table>";
    }
    return SiteHtml::page(QStringLiteral("Inbox"), body);
}
