#include "download/TorrentHandoff.h"

#include "download/QbittorrentHandoff.h"
#include "download/TorrentInfoHash.h"
#include "download/TransmissionHandoff.h"

#include <QHttpMultiPart>
#include <QUrl>

const QString TorrentHandoff::WrongPassword = QStringLiteral("wrong user name or password");
const QString TorrentHandoff::NotAllowed =
    QStringLiteral("this computer is not allowed (HTTP 403)");
const QString TorrentHandoff::NotATorrent = QStringLiteral("not a valid torrent");

namespace {
// Longer client texts are cut: the reason goes into a status line and a log line.
constexpr int MaxReasonLength = 200;
} // namespace

std::unique_ptr<TorrentHandoff> TorrentHandoff::create(const HandoffSettings &settings,
                                                       QNetworkAccessManager &network,
                                                       QObject *parent)
{
    switch (settings.choice) {
    case HandoffSettings::Qbittorrent:
        return std::make_unique<QbittorrentHandoff>(settings.qbt, network, parent);
    case HandoffSettings::Transmission:
        return std::make_unique<TransmissionHandoff>(settings.tr, network, parent);
    default:
        return nullptr;
    }
}

TorrentHandoff::TorrentHandoff(const TorrentClientSettings &settings,
                               QNetworkAccessManager &network, QObject *parent)
    : QObject(parent), m_settings(settings), m_network(network)
{
}

TorrentHandoff::~TorrentHandoff()
{
    delete m_request;
}

void TorrentHandoff::add(const QString &fileName, const QByteArray &torrent, QObject *context,
                         Done done)
{
    Job job;
    job.fileName = fileName;
    job.torrent = torrent;
    job.infoHash = TorrentInfoHash::of(torrent);
    job.guarded = context != nullptr;
    job.context = context;
    job.done = std::move(done);
    m_jobs.enqueue(job);
    startNext();
}

void TorrentHandoff::test(QObject *context, Done done)
{
    Job job;
    job.isTest = true;
    job.guarded = context != nullptr;
    job.context = context;
    job.done = std::move(done);
    m_jobs.enqueue(job);
    startNext();
}

QString TorrentHandoff::testLine(const Result &result) const
{
    if (!result.ok)
        return QStringLiteral("Not connected: ") + result.reason;
    return clientName() + QLatin1Char(' ') + result.version + QStringLiteral(": connected.");
}

void TorrentHandoff::startNext()
{
    if (m_running || m_jobs.isEmpty())
        return;
    m_running = true;
    // Always later, never inside add() or test(): callers see one way of reporting.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const Job &job = m_jobs.head();
            if (job.isTest)
                runTest();
            else if (job.infoHash.isEmpty())
                refuse(NotATorrent);
            else
                runAdd(job);
        },
        Qt::QueuedConnection);
}

void TorrentHandoff::finish(const Result &result)
{
    const Job job = m_jobs.dequeue();
    m_running = false;
    startNext();
    if (job.done && (!job.guarded || job.context))
        job.done(result);
}

void TorrentHandoff::adopt(ClientRequest *request)
{
    // The previous request has reported already; it goes once its reply is done with.
    if (m_request)
        m_request->deleteLater();
    m_request = request;
}

void TorrentHandoff::send(const QNetworkRequest &request, const QByteArray &verb,
                          const QByteArray &body, ClientRequest::Done done)
{
    adopt(new ClientRequest(m_network, request, verb, body, std::move(done), m_timeLimitMs));
}

void TorrentHandoff::send(const QNetworkRequest &request, QHttpMultiPart *multipart,
                          ClientRequest::Done done)
{
    adopt(new ClientRequest(m_network, request, multipart, std::move(done), m_timeLimitMs));
}

QString TorrentHandoff::reasonFor(const ClientRequest::Reply &reply) const
{
    if (reply.status == 0)
        return QStringLiteral("not reachable at %1 (%2)").arg(m_settings.url, reply.error);
    if (reply.status == 401)
        return WrongPassword;
    if (reply.status == 403)
        return NotAllowed;
    if (reply.status >= 300 && reply.status < 400 && !reply.location.isEmpty())
        return QStringLiteral("sent elsewhere (HTTP %1 to %2)")
            .arg(reply.status)
            .arg(QString::fromUtf8(reply.location));
    QString words = QString::fromUtf8(reply.body).trimmed();
    words = words.left(words.indexOf(QLatin1Char('\n'))).trimmed();
    if (words.isEmpty() || words.startsWith(QLatin1Char('<')))
        return QStringLiteral("unexpected answer (HTTP %1)").arg(reply.status);
    if (words.size() > MaxReasonLength)
        words = words.left(MaxReasonLength) + QStringLiteral("...");
    return words;
}

QUrl TorrentHandoff::address(const QString &path) const
{
    // An address ending in "/" gives "//" here, which goes out as one "/": a request's path is
    // normalised on the wire.
    QUrl url(m_settings.url.trimmed());
    url.setPath(url.path() + path);
    return url;
}
