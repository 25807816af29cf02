#include "platform/HttpTransfer.h"

#include "platform/Services.h"
#include "platform/SiteWait.h"
#include "platform/TextUtils.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

#include <algorithm>
#include <limits>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// A reply this large leaves its pieces spread over the allocator's heaps; once they are freed
// the pages are handed back to the system, so that one huge reply does not keep the memory it
// passed through.
constexpr qint64 ReleaseAfterBytes = qint64(1) << 20;

void releaseFreedMemorySoon()
{
#ifdef __GLIBC__
    static bool pending = false;
    if (pending || !QCoreApplication::instance())
        return;
    pending = true;
    // A moment later: the network thread lets go of its buffers on its own time.
    QTimer::singleShot(500, QCoreApplication::instance(), [] {
        pending = false;
        malloc_trim(0);
    });
#endif
}

} // namespace

HttpTransfer::HttpTransfer(QNetworkAccessManager *network, QObject *parent)
    : QObject(parent), m_network(network)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &HttpTransfer::onTimeout);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &HttpTransfer::onDeadline);
}

HttpTransfer::HttpTransfer(const Services &services, QObject *parent)
    : HttpTransfer(services.network, parent)
{
    m_siteWait = services.siteWait;
}

HttpTransfer::~HttpTransfer()
{
    ++m_serial;
    if (m_reply)
        dispose(m_reply, true);
    wakeWaiters();
}

void HttpTransfer::dispose(QNetworkReply *reply, bool abort)
{
    reply->disconnect(this);
    if (abort)
        reply->abort();
    if (m_received >= ReleaseAfterBytes)
        connect(reply, &QObject::destroyed, QCoreApplication::instance(), releaseFreedMemorySoon);
    reply->deleteLater();
}

void HttpTransfer::setRequestTimeout(int seconds)
{
    m_timeoutSeconds = seconds;
    if (m_timeout.isActive())
        m_timeout.start(seconds * 1000);
}

void HttpTransfer::stopTimers()
{
    m_timeout.stop();
    m_deadline.stop();
}

void HttpTransfer::start(const QString &url, const QByteArray &operation, const QByteArray &body,
                         const QString &headers, bool streaming)
{
    if (m_reply)
        dispose(m_reply, true);
    ++m_serial;
    stopTimers();
    m_buffer.clear();
    m_readPos = 0;
    m_streaming = streaming;
    m_received = 0;
    m_headerBlock.clear();
    m_headers.clear();
    m_statusCode = 0;
    m_responseCode = 0;
    m_responseInfo.clear();
    m_failed = false;
    m_timedOut = false;
    m_cancelled = false;
    m_refusedTo.clear();
    m_origin = url;
    m_announced = false;
    m_finished = false;
    m_executing = true;

    const QUrl address(url);
    if (m_siteWait && m_siteWait->active() && SiteWait::isSiteAddress(address)) {
        // Nothing goes to the site before the time it named.
        finishWith(ErrorSiteWait, m_siteWait->text());
        announce(icError);
        return;
    }

    QNetworkRequest request{address};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         m_redirectPolicy == RedirectPolicy::SameSiteOnly
                             ? QNetworkRequest::UserVerifiedRedirectPolicy
                             : QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    const QStringList lines = headers.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        request.setRawHeader(ToAnsi(line.left(colon).trimmed()),
                             ToAnsi(line.mid(colon + 1).trimmed()));
    }

    if (operation == "POST")
        m_reply = m_network->post(request, body);
    else
        m_reply =
            m_network->sendCustomRequest(request, operation.isEmpty() ? "GET" : operation, body);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpTransfer::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpTransfer::onFinished);
    connect(m_reply, &QNetworkReply::redirected, this, &HttpTransfer::onRedirected);
    m_startedAt.start();
    if (m_timeoutSeconds > 0) {
        m_timeout.start(m_timeoutSeconds * 1000);
        m_deadline.start(m_timeoutSeconds * 1000);
    }
}

void HttpTransfer::captureMetaData()
{
    if (!m_reply)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    m_statusCode = status.toInt();
    QString reason =
        FromAnsi(m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    m_headers = m_reply->rawHeaderPairs();
    QString block = QStringLiteral("HTTP/1.1 %1 %2\r\n").arg(m_statusCode).arg(reason);
    for (const auto &pair : m_headers)
        block += FromAnsi(pair.first) + QStringLiteral(": ") + FromAnsi(pair.second) +
                 QStringLiteral("\r\n");
    m_headerBlock = block;
    if (m_siteWait && SiteWait::isBusyStatus(m_statusCode) &&
        SiteWait::isSiteAddress(m_reply->url()))
        m_siteWait->obey(m_statusCode, GetHeader(QStringLiteral("Retry-After")));
}

void HttpTransfer::onReadyRead()
{
    if (!m_reply)
        return;
    if (m_timeoutSeconds > 0)
        m_timeout.start(m_timeoutSeconds * 1000);
    if (m_headerBlock.isEmpty())
        captureMetaData();
    if (!fill())
        return;
    if (!m_announced && !m_headerBlock.isEmpty())
        announce(icResponseCompleted);
    wakeWaiters();
}

bool HttpTransfer::fill()
{
    if (!m_reply || !m_reply->isOpen())
        return true;
    // What has arrived counts against the limit, read or not: a reader slower than the site
    // never makes the process hold more than the limit.
    if (m_bodyLimit >= 0 && m_received + m_reply->bytesAvailable() > m_bodyLimit) {
        endTooLarge();
        return false;
    }
    const qint64 room = m_streaming ? StreamBufferBytes - buffered()
                                    : std::max<qint64>(m_reply->bytesAvailable(), 0);
    if (room <= 0)
        return true;
    const QByteArray data = m_reply->read(room);
    if (data.isEmpty())
        return true;
    // Bytes handed out go once they are at least half of what is held: each byte is moved at
    // most once more.
    if (m_readPos > 0 && m_readPos >= m_buffer.size() / 2) {
        m_buffer.remove(0, m_readPos);
        m_readPos = 0;
    }
    // The reader took bytes: the site is not the one that keeps the request waiting.
    if (m_timeoutSeconds > 0 && m_timeout.isActive())
        m_timeout.start(m_timeoutSeconds * 1000);
    return takeBody(data);
}

bool HttpTransfer::takeBody(const QByteArray &data)
{
    bool numeric = false;
    const qint64 announced =
        GetHeader(QStringLiteral("Content-Length")).trimmed().toLongLong(&numeric);
    m_received += data.size();
    if (m_bodyLimit >= 0 && ((numeric && announced > m_bodyLimit) || m_received > m_bodyLimit)) {
        endTooLarge();
        return false;
    }
    m_buffer += data;
    return true;
}

void HttpTransfer::endTooLarge()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    stopTimers();
    m_buffer.clear();
    m_readPos = 0;
    if (reply)
        dispose(reply, true);
    finishWith(ErrorTooLarge, QStringLiteral("The reply is too large"));
    if (!m_announced)
        announce(icError);
    wakeWaiters();
}

void HttpTransfer::onFinished()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    stopTimers();
    if (m_headerBlock.isEmpty())
        captureMetaData();
    if (reply->isOpen() && !takeBody(reply->readAll()))
        return;
    const QNetworkReply::NetworkError error = reply->error();
    // An HTTP error status is an answer, not a transport failure: its page is the body.
    const bool transportFailure =
        error != QNetworkReply::NoError &&
        (m_statusCode == 0 || error < QNetworkReply::ContentAccessDenied || m_timedOut ||
         m_cancelled);
    if (!m_refusedTo.isEmpty()) {
        finishWith(ErrorSentElsewhere, sentElsewhereText(QUrl(m_refusedTo)));
    } else if (m_timedOut) {
        finishWith(ErrorTimeout, QStringLiteral("The request has timed out"));
    } else if (m_cancelled) {
        finishWith(ErrorCancelled, QStringLiteral("The operation was cancelled"));
    } else if (transportFailure) {
        int code = ErrorOther;
        switch (error) {
        case QNetworkReply::HostNotFoundError:
            code = ErrorNameNotResolved;
            break;
        case QNetworkReply::ConnectionRefusedError:
            code = ErrorCannotConnect;
            break;
        case QNetworkReply::RemoteHostClosedError:
            code = m_statusCode == 0 ? ErrorConnectionReset : ErrorConnectionAborted;
            break;
        case QNetworkReply::TimeoutError:
            code = ErrorTimeout;
            break;
        case QNetworkReply::OperationCanceledError:
            code = ErrorCancelled;
            break;
        default:
            break;
        }
        finishWith(code, reply->errorString());
    } else {
        m_finished = true;
        m_executing = false;
    }
    m_reply = nullptr;
    dispose(reply, false);
    if (!m_announced)
        announce(m_failed ? icError : icResponseCompleted);
    wakeWaiters();
}

void HttpTransfer::finishWith(int code, const QString &info)
{
    m_failed = true;
    m_responseCode = code;
    m_responseInfo = info;
    m_finished = true;
    m_executing = false;
}

bool HttpTransfer::isSameSite(const QUrl &from, const QUrl &to)
{
    const auto defaultPort = [](const QString &scheme) {
        return scheme == QLatin1String("https") ? 443 : scheme == QLatin1String("http") ? 80 : -1;
    };
    const QString fromScheme = from.scheme().toLower();
    const QString toScheme = to.scheme().toLower();
    if (to.host().isEmpty() || from.host().compare(to.host(), Qt::CaseInsensitive) != 0)
        return false;
    if (fromScheme == toScheme)
        return from.port(defaultPort(fromScheme)) == to.port(defaultPort(toScheme));
    return fromScheme == QLatin1String("http") && toScheme == QLatin1String("https");
}

QString HttpTransfer::sentElsewhereText(const QUrl &to)
{
    QString host = to.host();
    if (to.port() != -1)
        host += QLatin1Char(':') + QString::number(to.port());
    return QStringLiteral("The site sent Pollwick to another address (") + host +
           QStringLiteral("); your details were not sent.");
}

void HttpTransfer::onRedirected(const QUrl &to)
{
    if (!m_reply || m_redirectPolicy != RedirectPolicy::SameSiteOnly)
        return;
    const QUrl target = m_reply->url().resolved(to);
    if (isSameSite(QUrl(m_origin), target)) {
        emit m_reply->redirectAllowed();
        // Qt 6.4 connects one more follow-up to this signal at every redirect of a reply and
        // keeps the old ones: the next redirect of a chain would be sent once for each.
        disconnect(m_reply, &QNetworkReply::redirectAllowed, nullptr, nullptr);
        return;
    }
    m_refusedTo = target.toString();
    m_reply->abort(); // delivers finished(), which records the refusal
}

void HttpTransfer::onTimeout()
{
    if (!m_reply)
        return;
    m_timedOut = true;
    m_reply->abort(); // delivers finished(), which records the time-out
}

void HttpTransfer::onDeadline()
{
    if (!m_reply)
        return;
    const qint64 elapsedMs = m_startedAt.elapsed();
    // The moment at which what has arrived falls under the least average rate.
    const qint64 steadyUntilMs = m_received * 1000 / MinBytesPerSecond;
    if (steadyUntilMs <= elapsedMs) {
        onTimeout();
        return;
    }
    m_deadline.start(
        int(std::min<qint64>(steadyUntilMs - elapsedMs + 1, std::numeric_limits<int>::max())));
}

void HttpTransfer::announce(int state)
{
    m_announced = true;
    // Reported from the event loop, not from inside the network reply's own signal, so a
    // handler may wait for the body without re-entering the reply.
    const quint64 serial = m_serial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, state] {
            if (serial == m_serial)
                emit StateChanged(state);
        },
        Qt::QueuedConnection);
}

void HttpTransfer::wakeWaiters()
{
    for (QEventLoop *loop : std::as_const(m_waiters))
        loop->quit();
}

void HttpTransfer::Cancel()
{
    m_cancelled = true;
    m_buffer.clear();
    m_readPos = 0;
    if (m_reply) {
        m_reply->abort(); // finished() arrives synchronously and records the cancel
    } else {
        stopTimers();
        m_executing = false;
        m_finished = true;
    }
    ++m_serial; // a report still queued for this request is dropped
    wakeWaiters();
}

bool HttpTransfer::waitWhile(const std::function<bool()> &waiting)
{
    QPointer<HttpTransfer> self(this);
    while (waiting()) {
        QEventLoop loop;
        m_waiters.append(&loop);
        loop.exec();
        if (!self)
            return false; // destroyed while waiting: touch nothing
        m_waiters.removeOne(&loop);
    }
    return true;
}

QString HttpTransfer::OpenURL(const QString &url)
{
    if (m_executing)
        return QString();
    start(url, "GET", QByteArray(), QString(), false);
    const quint64 serial = m_serial;
    if (!waitWhile([this, serial] { return !m_finished && m_serial == serial; }))
        return QString();
    if (m_failed || m_serial != serial)
        return QString();
    return FromAnsi(GetChunk(1024));
}

QByteArray HttpTransfer::GetChunk(int size)
{
    // A streamed body is held StreamBufferBytes at a time: a larger piece is what that holds.
    return take(size, m_streaming ? std::min<qsizetype>(size, StreamBufferBytes) : size);
}

QByteArray HttpTransfer::GetAvailable(int size)
{
    return take(size, 1);
}

QByteArray HttpTransfer::take(int size, qsizetype wanted)
{
    if (size <= 0)
        return QByteArray();
    // A wait belongs to the request it began on: when that request is cancelled and another
    // one started meanwhile (a handler running inside the wait may do both), the wait ends
    // empty instead of handing the new request's bytes to the old reader.
    const quint64 serial = m_serial;
    if (m_streaming && buffered() < wanted && !fill())
        return QByteArray();
    if (!waitWhile([this, wanted, serial] {
            return buffered() < wanted && !m_finished && !m_cancelled && m_serial == serial;
        }))
        return QByteArray();
    if (m_cancelled || m_serial != serial)
        return QByteArray();
    const QByteArray piece = m_buffer.mid(m_readPos, size);
    m_readPos += piece.size();
    if (m_readPos >= m_buffer.size()) {
        m_buffer.clear();
        m_readPos = 0;
    }
    // Room for the next bytes once half of what is held was read.
    if (m_streaming && buffered() < StreamBufferBytes / 2)
        fill();
    return piece;
}

HttpTransfer::ReadEnd HttpTransfer::readBody(int size, Pace pace, const std::function<bool()> &stop,
                                             const std::function<bool(const QByteArray &)> &take)
{
    const QPointer<HttpTransfer> self(this);
    for (;;) {
        const QByteArray piece = pace == Pace::Available ? GetAvailable(size) : GetChunk(size);
        if (!self)
            return ReadEnd::Gone;
        if (stop && stop())
            return ReadEnd::Stopped;
        if (piece.isEmpty())
            return ReadEnd::Complete;
        if (!take(piece))
            return self ? ReadEnd::Stopped : ReadEnd::Gone;
        QCoreApplication::processEvents();
        if (!self)
            return ReadEnd::Gone;
    }
}

QString HttpTransfer::GetChunkText(int size)
{
    return FromAnsi(GetChunk(size));
}

void HttpTransfer::Execute(const QString &url, const QString &operation, const QString &data,
                           const QString &headers)
{
    start(url, ToAnsi(operation.toUpper()), ToAnsi(data), headers, true);
}

QString HttpTransfer::GetHeader() const
{
    return m_headerBlock;
}

QString HttpTransfer::GetHeader(const QString &name) const
{
    const QByteArray wanted = ToAnsi(name).toLower();
    for (const auto &pair : m_headers) {
        if (pair.first.toLower() == wanted)
            return FromAnsi(pair.second);
    }
    return QString();
}

QString FetchUrlText(const QString &url, HttpTransfer &transfer, qint64 maxBytes, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    transfer.setBodyLimit(maxBytes);
    // The transfer belongs to a window that may close while the events run here.
    QPointer<HttpTransfer> alive(&transfer);
    QString body = transfer.OpenURL(url);
    if (!alive)
        return QString();
    if (tooLarge)
        *tooLarge = transfer.bodyTooLarge();
    if (transfer.failed())
        return QString();
    // The whole body is in by now (OpenURL waits for it): large pieces take it out without a
    // round of events for every kilobyte.
    const HttpTransfer::ReadEnd end = transfer.readBody(64 * 1024, HttpTransfer::Pace::Chunks, {},
                                                        [&body](const QByteArray &piece) {
                                                            body += FromAnsi(piece);
                                                            return true;
                                                        });
    if (end == HttpTransfer::ReadEnd::Gone)
        return QString();
    if (tooLarge)
        *tooLarge = transfer.bodyTooLarge();
    if (transfer.failed())
        return QString();
    return body;
}
