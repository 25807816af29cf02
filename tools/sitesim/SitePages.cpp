#include "SitePages.h"

#include "BrowsePages.h"
#include "FeedWriter.h"
#include "FormFields.h"
#include "PngEncoder.h"
#include "ProfilePages.h"
#include "SiteHtml.h"
#include "TorrentFileBuilder.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace {

// A number from a query value; fallback when it is missing or not a whole positive number.
int positiveNumber(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

} // namespace

SitePages::SitePages(SiteCatalogue *catalogue) : m_catalogue(catalogue) {}

SiteResponse SitePages::respond(const SiteRequest &request) const
{
    const QByteArray path = request.path();
    if (path == "/bots.php")
        return feed(request);
    if (path == "/takelogin.php")
        return login(request);
    if (path == "/download.php")
        return download(request);
    if (path == "/my.php")
        return myPage(request);
    if (path == "/userdetails.php")
        return userDetails(request);

    static const QRegularExpression avatar(QStringLiteral("^/pic/avatar(\\d+)\\.png$"));
    const QRegularExpressionMatch match = avatar.match(QString::fromLatin1(path));
    if (match.hasMatch() && m_catalogue->userById(match.captured(1).toInt())) {
        SiteResponse response;
        response.addHeader("Content-Type", "image/png");
        response.body = PngEncoder::avatar(match.captured(1).toInt());
        return response;
    }

    const FormFields query = FormFields::parseQuery(request.query());
    if (path == "/" || path == "/index.php")
        return SiteResponse::html(200, BrowsePages::home(*m_catalogue));
    if (path == "/browse.php")
        return SiteResponse::html(
            200, BrowsePages::browse(*m_catalogue, query.value(QStringLiteral("page")).toInt()));
    if (path == "/details.php") {
        if (const SiteTorrent *t = m_catalogue->torrent(query.value(QStringLiteral("id")).toInt()))
            return SiteResponse::html(200, BrowsePages::details(*t));
        return SiteResponse::html(404, SiteHtml::notFoundPage(request.target));
    }
    if (path == "/inbox.php") {
        if (const SiteUser *user = loggedInUser(request))
            return SiteResponse::html(200, BrowsePages::inbox(*user));
        return loginRequired(request);
    }
    if (path == "/login.php")
        return SiteResponse::html(
            200, SiteHtml::loginPage(query.value(QStringLiteral("returnto")), QString()));
    return SiteResponse::html(404, SiteHtml::notFoundPage(request.target));
}

SiteResponse SitePages::feed(const SiteRequest &request) const
{
    const FormFields query = FormFields::parseQuery(request.query());
    const SiteUser *user = m_catalogue->user(query.value(QStringLiteral("u")));
    if (!user)
        return SiteResponse::plainText(FeedWriter::unauthorised(1));
    if (user->password != query.value(QStringLiteral("p")))
        return SiteResponse::plainText(FeedWriter::unauthorised(2));
    if (user->status == SiteUser::Status::Disabled)
        return SiteResponse::plainText(FeedWriter::unauthorised(3));
    if (user->status == SiteUser::Status::NotPowerUser)
        return SiteResponse::plainText(FeedWriter::unauthorised(4));

    const int limit = std::min(
        positiveNumber(query.value(QStringLiteral("limit")), DefaultFeedLimit), MaxFeedLimit);
    bool haveStart = false;
    const int startId = query.value(QStringLiteral("startid")).trimmed().toInt(&haveStart);
    const QList<SiteTorrent> rows =
        haveStart ? m_catalogue->startingAt(startId, limit) : m_catalogue->newest(limit);
    const bool withCategories = query.value(QStringLiteral("c")).trimmed() == QLatin1String("1");
    return SiteResponse::plainText(
        FeedWriter::feed(rows, withCategories ? m_catalogue->categories() : QStringList()));
}

SiteResponse SitePages::login(const SiteRequest &request) const
{
    // The body is "username=..&password=..&login=Log+in&returnto=PATH" and may end in CR LF.
    // The return path is sent unencoded and may hold '?', '=' and '&', so it is everything
    // after "returnto=".
    QByteArray body = request.body;
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    QByteArray fieldsPart = body;
    QString returnTo = QStringLiteral("/my.php");
    const qsizetype mark = body.indexOf("returnto=");
    if (mark >= 0 && (mark == 0 || body.at(mark - 1) == '&')) {
        fieldsPart = body.left(mark);
        // A browser form encodes the path; decoding leaves a client's raw path as it is.
        const QByteArray raw = body.mid(mark + 9);
        if (!raw.isEmpty())
            returnTo = QString::fromLatin1(QByteArray::fromPercentEncoding(raw));
    }
    if (!returnTo.startsWith(QLatin1Char('/')))
        returnTo.prepend(QLatin1Char('/'));

    const FormFields fields = FormFields::parseQuery(fieldsPart);
    const SiteUser *user = m_catalogue->user(fields.value(QStringLiteral("username")));
    if (!user || user->password != fields.value(QStringLiteral("password")))
        return SiteResponse::html(
            200, SiteHtml::loginFailedPage(QStringLiteral("Username or password incorrect.")));
    if (user->status == SiteUser::Status::Disabled)
        return SiteResponse::html(
            200, SiteHtml::loginFailedPage(QStringLiteral("This account has been disabled.")));

    SiteResponse response;
    response.status = 302;
    response.addHeader("Set-Cookie", "uid=" + QByteArray::number(user->id) + "; path=/");
    response.addHeader("Set-Cookie", "pass=" + sessionToken(*user) + "; path=/");
    response.addHeader("Location", (m_baseUrl + returnTo).toLatin1());
    response.addHeader("Content-Type", "text/html; charset=ISO-8859-1");
    response.body = "<html><body>Redirecting to <a href=\"" + SiteHtml::escape(returnTo) + "\">" +
                    SiteHtml::escape(returnTo) + "</a></body></html>\n";
    return response;
}

SiteResponse SitePages::download(const SiteRequest &request) const
{
    const SiteUser *user = loggedInUser(request);
    if (!user)
        return loginRequired(request);
    const FormFields query = FormFields::parseQuery(request.query());
    const SiteTorrent *torrent = m_catalogue->torrent(query.value(QStringLiteral("id")).toInt());
    if (!torrent)
        return SiteResponse::html(404, SiteHtml::notFoundPage(request.target));

    SiteResponse response;
    response.addHeader("Content-Type", "application/x-bittorrent");
    response.addHeader("Content-Disposition",
                       "attachment; filename=\"" + torrent->fileName.toLatin1() + "\"");
    response.body = torrentFile(*torrent, *user);
    return response;
}

SiteResponse SitePages::myPage(const SiteRequest &request) const
{
    const SiteUser *user = loggedInUser(request);
    if (!user)
        return loginRequired(request);
    return SiteResponse::html(200, ProfilePages::myPage(*user));
}

SiteResponse SitePages::userDetails(const SiteRequest &request) const
{
    const SiteUser *viewer = loggedInUser(request);
    if (!viewer)
        return loginRequired(request);
    const FormFields query = FormFields::parseQuery(request.query());
    const SiteUser *shown = m_catalogue->userById(query.value(QStringLiteral("id")).toInt());
    if (!shown)
        return SiteResponse::html(404, SiteHtml::notFoundPage(request.target));
    return SiteResponse::html(200,
                              ProfilePages::userDetails(*shown, *viewer, *m_catalogue, m_baseUrl));
}

SiteResponse SitePages::loginRequired(const SiteRequest &request) const
{
    return SiteResponse::html(
        200, SiteHtml::loginPage(QString::fromLatin1(request.target),
                                 QStringLiteral("You need to be logged in to view this page.")));
}

const SiteUser *SitePages::loggedInUser(const SiteRequest &request) const
{
    const FormFields cookies = FormFields::parseCookies(request.cookie);
    bool ok = false;
    const int uid = cookies.value(QStringLiteral("uid")).toInt(&ok);
    if (!ok)
        return nullptr;
    const SiteUser *user = m_catalogue->userById(uid);
    if (!user || user->status == SiteUser::Status::Disabled)
        return nullptr;
    if (cookies.value(QStringLiteral("pass")).toLatin1() != sessionToken(*user))
        return nullptr;
    return user;
}

QByteArray SitePages::sessionToken(const SiteUser &user)
{
    return QCryptographicHash::hash(
               (user.name + QLatin1Char(':') + user.password + QStringLiteral(":session"))
                   .toLatin1(),
               QCryptographicHash::Md5)
        .toHex();
}

QByteArray SitePages::passkey(const SiteUser &user)
{
    return QCryptographicHash::hash((QStringLiteral("passkey:") + user.name).toLatin1(),
                                    QCryptographicHash::Md5)
        .toHex();
}

QByteArray SitePages::torrentFile(const SiteTorrent &torrent, const SiteUser &user) const
{
    return TorrentFileBuilder::build(torrent, m_baseUrl + QStringLiteral("/announce.php?passkey=") +
                                                  QString::fromLatin1(passkey(user)));
}
