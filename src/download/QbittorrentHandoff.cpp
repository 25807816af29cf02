#include "download/QbittorrentHandoff.h"

#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QHttpPart textPart(const QByteArray &name, const QString &value)
{
    QHttpPart part;
    part.setRawHeader("Content-Disposition", "form-data; name=\"" + name + '"');
    part.setBody(value.toUtf8());
    return part;
}

// Newer versions answer a successful login with 204 and no text.
bool loggedIn(const ClientRequest::Reply &reply)
{
    return reply.status == 204 || (reply.status == 200 && reply.body.trimmed() == "Ok.");
}

bool saysFails(const ClientRequest::Reply &reply)
{
    return reply.status == 200 && reply.body.trimmed() == "Fails.";
}

} // namespace

QbittorrentHandoff::QbittorrentHandoff(const TorrentClientSettings &settings,
                                       QNetworkAccessManager &network, QObject *parent)
    : TorrentHandoff(settings, network, parent)
{
}

QNetworkRequest QbittorrentHandoff::request(const QString &path) const
{
    QNetworkRequest r = ClientRequest::prepare(address(path));
    if (!m_cookies.isEmpty())
        r.setHeader(QNetworkRequest::CookieHeader, QVariant::fromValue(m_cookies));
    return r;
}

void QbittorrentHandoff::logIn(std::function<void()> next)
{
    m_loggedIn = false;
    m_cookies.clear();
    QNetworkRequest r = request(QStringLiteral("/api/v2/auth/login"));
    r.setHeader(QNetworkRequest::ContentTypeHeader,
                QByteArrayLiteral("application/x-www-form-urlencoded"));
    const QByteArray body = "username=" + QUrl::toPercentEncoding(m_settings.user) +
                            "&password=" + QUrl::toPercentEncoding(m_settings.password);
    send(r, "POST", body, [this, next](const ClientRequest::Reply &reply) {
        if (saysFails(reply)) {
            refuse(WrongPassword);
            return;
        }
        if (!loggedIn(reply)) {
            refuse(reasonFor(reply));
            return;
        }
        m_loggedIn = true;
        for (const QNetworkCookie &cookie : reply.cookies)
            m_cookies << QNetworkCookie(cookie.name(), cookie.value());
        next();
    });
}

void QbittorrentHandoff::runAdd(const Job &job)
{
    if (m_loggedIn)
        post(job, true);
    else
        logIn([this, job] { post(job, false); });
}

void QbittorrentHandoff::post(const Job &job, bool mayLogInAgain)
{
    auto *form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart file;
    QByteArray name = job.fileName.toUtf8();
    name.replace('"', "%22");
    file.setRawHeader("Content-Disposition",
                      "form-data; name=\"torrents\"; filename=\"" + name + '"');
    file.setHeader(QNetworkRequest::ContentTypeHeader,
                   QByteArrayLiteral("application/x-bittorrent"));
    file.setBody(job.torrent);
    form->append(file);
    if (!m_settings.sorting.isEmpty())
        form->append(textPart("category", m_settings.sorting));
    if (!m_settings.folder.isEmpty())
        form->append(textPart("savepath", m_settings.folder));
    if (m_settings.paused) {
        // Versions before 5 read "paused", later ones "stopped".
        form->append(textPart("paused", QStringLiteral("true")));
        form->append(textPart("stopped", QStringLiteral("true")));
    }
    send(request(QStringLiteral("/api/v2/torrents/add")), form,
         [this, job, mayLogInAgain](const ClientRequest::Reply &reply) {
             if (reply.status == 403 && mayLogInAgain) {
                 logIn([this, job] { post(job, false); });
                 return;
             }
             if (saysFails(reply)) {
                 checkListed(job.infoHash);
                 return;
             }
             if (reply.status == 415) {
                 refuse(NotATorrent);
                 return;
             }
             if (reply.status >= 200 && reply.status < 300)
                 finish(Result{true, QString(), QString()});
             else
                 refuse(reasonFor(reply));
         });
}

void QbittorrentHandoff::checkListed(const QByteArray &infoHash)
{
    QNetworkRequest r = request(QStringLiteral("/api/v2/torrents/info"));
    QUrl url = r.url();
    url.setQuery(QStringLiteral("hashes=") + QString::fromLatin1(infoHash));
    r.setUrl(url);
    send(r, "GET", QByteArray(), [this, infoHash](const ClientRequest::Reply &reply) {
        if (reply.status == 200) {
            const QJsonArray listed = QJsonDocument::fromJson(reply.body).array();
            for (const QJsonValue &torrent : listed) {
                if (torrent.toObject().value(QStringLiteral("hash")).toString().toLower() ==
                    QLatin1String(infoHash)) {
                    finish(Result{true, QString(), QString()});
                    return;
                }
            }
        }
        // Not listed: the client would not add it and said no more than this.
        refuse(QStringLiteral("Fails."));
    });
}

void QbittorrentHandoff::runTest()
{
    logIn([this] {
        send(request(QStringLiteral("/api/v2/app/version")), "GET", QByteArray(),
             [this](const ClientRequest::Reply &reply) {
                 if (reply.status == 200)
                     finish(Result{true, QString(), QString::fromUtf8(reply.body).trimmed()});
                 else
                     refuse(reasonFor(reply));
             });
    });
}
