#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QEventLoop;
class QUrl;
class QNetworkAccessManager;
class QNetworkReply;
class SiteWait;
struct Services;

// Every exchange with the site goes through one HttpTransfer per window. All instances of a
// process share one QNetworkAccessManager, hence one cookie jar: the cookie that a login reply
// sets goes out with the request its redirect leads to.
//
// Waiting: OpenURL and GetChunk wait in a nested QEventLoop rather than splitting every caller
// into continuations. The program's procedures (the feed check, the receive loop of a download)
// are written as straight sequences that let window events run while they wait, and callers
// guard against re-entry with StillExecuting, which is true for the whole wait. A nested loop
// keeps those sequences readable and lets a Cancel click or a timer tick arrive mid-transfer.
// An instance may be destroyed while one of its waits runs (the window closed); the wait then
// returns an empty result without touching the object again.
//
// No site can hold a request: besides the time-out between pieces, a request that has run its
// RequestTimeout at under MinBytesPerSecond on average ends as timed out. A body read through
// Execute and GetChunk is held at most StreamBufferBytes at a time (the network waits for the
// reader), so a large body passes through a fixed amount of memory; OpenURL keeps the whole
// body, under the body limit. While the site's wait (SiteWait) runs, a request to the site is
// not sent and fails at once with ErrorSiteWait.
class HttpTransfer : public QObject
{
    Q_OBJECT
public:
    // The two states callers act on; other states are never reported.
    static constexpr int icError = 11;
    static constexpr int icResponseCompleted = 12;

    // ResponseCode values after a failure.
    static constexpr int ErrorTimeout = 12002;
    static constexpr int ErrorNameNotResolved = 12007;
    static constexpr int ErrorCancelled = 12017;
    static constexpr int ErrorCannotConnect = 12029;
    static constexpr int ErrorConnectionAborted = 12030;
    static constexpr int ErrorConnectionReset = 12031;
    static constexpr int ErrorOther = 12000;
    // The body passed the size limit (or announced that it would).
    static constexpr int ErrorTooLarge = 12300;
    // A redirect to another site was refused (RedirectPolicy::SameSiteOnly).
    static constexpr int ErrorSentElsewhere = 12301;

    // Which redirects a request follows.
    enum class RedirectPolicy
    {
        // Any address, except from https to http.
        AnyAddress,
        // For requests that carry the member's name, password or the site's cookies: only to
        // the scheme, host and port of the request's own address, or from http to https on
        // the same host. A redirect elsewhere ends the request as a failure before anything
        // is sent there (ErrorSentElsewhere; ResponseInfo is sentElsewhereText).
        SameSiteOnly
    };
    // Not sent: the site asked for a pause that has not ended (ResponseInfo says until when).
    static constexpr int ErrorSiteWait = 12302;

    // A request slower than this on average, once it has run RequestTimeout seconds, ends.
    static constexpr qint64 MinBytesPerSecond = 1024;
    // The most body bytes held for a reader of Execute's body.
    static constexpr qint64 StreamBufferBytes = 64 * 1024;

    // Bodies longer than this end the request as too large unless a caller says otherwise.
    static constexpr qint64 DefaultBodyLimit = qint64(16) << 20;

    explicit HttpTransfer(QNetworkAccessManager *network, QObject *parent = nullptr);
    // The process's network, and the site's wait that every request to the site keeps to.
    explicit HttpTransfer(const Services &services, QObject *parent = nullptr);
    ~HttpTransfer() override;

    // Seconds a request may go without receiving anything before it fails, and after which it
    // fails when it brought less than MinBytesPerSecond on average (0 = no limit).
    int RequestTimeout() const { return m_timeoutSeconds; }
    void setRequestTimeout(int seconds);

    // The most body bytes a request may bring (negative: no limit; DefaultBodyLimit unless set).
    // A response that announces more (Content-Length), or whose body goes past it, ends at once
    // as a failure with ErrorTooLarge and ResponseInfo "The reply is too large", and what had
    // arrived of it is dropped; so nothing larger is ever held in memory.
    qint64 bodyLimit() const { return m_bodyLimit; }
    void setBodyLimit(qint64 bytes) { m_bodyLimit = bytes; }

    // For every later request of this instance; AnyAddress unless set.
    void setRedirectPolicy(RedirectPolicy policy) { m_redirectPolicy = policy; }
    // True when a request from `from` may follow a redirect to `to` under SameSiteOnly.
    static bool isSameSite(const QUrl &from, const QUrl &to);
    // "The site sent Pollwick to another address (" + host + "); your details were not sent."
    // The host carries its port when the address names one.
    static QString sentElsewhereText(const QUrl &to);

    // Blocking GET: waits for the whole response and returns the first piece of the body (at
    // most 1024 characters); GetChunkText returns the rest. Any failure of the transfer gives
    // empty text (an HTTP error page is not a failure: its body is returned). Called while
    // another request runs, it returns empty text at once.
    QString OpenURL(const QString &url);

    // Starts a request and returns at once; StateChanged reports 12 when the response has begun
    // (status line and headers known) or 11 when the transfer failed before that. headers holds
    // "Name: value" lines separated by CR LF. operation is "GET" or "POST".
    void Execute(const QString &url, const QString &operation, const QString &data = QString(),
                 const QString &headers = QString());

    // Next piece of the body, at most size bytes (for Execute's body, at most StreamBufferBytes).
    // While the response is still arriving it waits for data; an empty result means the body
    // has ended (or the transfer failed or was cancelled).
    QByteArray GetChunk(int size);
    // The same, but waits only until some bytes are there and hands out what is, at most size
    // bytes: a reader that keeps up with a fast site takes large pieces, one of a slow site
    // sees each piece as it comes.
    QByteArray GetAvailable(int size);
    QString GetChunkText(int size);

    // How readBody takes the body: GetChunk's full pieces, or GetAvailable's.
    enum class Pace
    {
        Chunks,
        Available
    };
    enum class ReadEnd
    {
        Complete, // the body ended (or the transfer failed: see failed())
        Stopped,  // stop() said so, or take() returned false
        Gone      // this transfer (and its owner) was destroyed meanwhile: touch nothing
    };
    // Reads the body to its end, in pieces of at most size bytes, handing each non-empty piece
    // to take; between pieces the events run, so a Cancel click or a close gets through (it
    // cancels the transfer, which ends the wait for the next piece). stop (may be empty) is asked
    // after every wait. Gone when the transfer, and so the object that owns it, was destroyed
    // meanwhile. The one reader of a body for every caller.
    ReadEnd readBody(int size, Pace pace, const std::function<bool()> &stop,
                     const std::function<bool(const QByteArray &)> &take);

    // The status line ("HTTP/1.1 404 Not Found", characters 10 to 12 are the code) followed by
    // every response header line, each ended by CR LF. Empty before a response.
    QString GetHeader() const;
    // One header's value, or empty text.
    QString GetHeader(const QString &name) const;

    bool StillExecuting() const { return m_executing; }
    void Cancel();

    // After a failure: the error number (12007: host name not resolved) and its text.
    int ResponseCode() const { return m_responseCode; }
    QString ResponseInfo() const { return m_responseInfo; }
    // True when the last request ended in a transport failure (time-out, refused, reset,
    // unresolved, cancelled, truncated), as opposed to any HTTP answer.
    bool failed() const { return m_failed; }
    // True when the last request ended because its body was too large.
    bool bodyTooLarge() const { return m_responseCode == ErrorTooLarge; }
    // True when the last request ended at a redirect to another site.
    bool sentElsewhere() const { return m_responseCode == ErrorSentElsewhere; }
    // True when the last request was not sent because the site's wait runs.
    bool siteWaiting() const { return m_responseCode == ErrorSiteWait; }
    // HTTP status of the last response, 0 when none arrived.
    int statusCode() const { return m_statusCode; }

signals:
    void StateChanged(int state);

private:
    void start(const QString &url, const QByteArray &operation, const QByteArray &body,
               const QString &headers, bool streaming);
    void onReadyRead();
    void onFinished();
    void onTimeout();
    void onDeadline();
    void stopTimers();
    // Moves arrived body bytes from the reply into the buffer (a streamed body up to
    // StreamBufferBytes); false when they pass the limit.
    bool fill();
    qsizetype buffered() const { return m_buffer.size() - m_readPos; }
    // Hands out at most size bytes once `wanted` are there or the body has ended.
    QByteArray take(int size, qsizetype wanted);
    void onRedirected(const QUrl &to);
    // Takes the body bytes that have arrived; false when they pass the limit (the request has
    // then ended as too large).
    bool takeBody(const QByteArray &data);
    void endTooLarge();
    // Lets go of a reply (aborting it first when asked).
    void dispose(QNetworkReply *reply, bool abort);
    void captureMetaData();
    void announce(int state);
    void finishWith(int code, const QString &info);
    void wakeWaiters();
    // Lets events run while `waiting` holds; false when this object was destroyed meanwhile.
    bool waitWhile(const std::function<bool()> &waiting);

    QNetworkAccessManager *m_network;
    SiteWait *m_siteWait = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timeout;  // between pieces
    QTimer m_deadline; // the average rate, from RequestTimeout on
    QElapsedTimer m_startedAt;
    int m_timeoutSeconds = 60;
    qint64 m_bodyLimit = DefaultBodyLimit;
    RedirectPolicy m_redirectPolicy = RedirectPolicy::AnyAddress;
    QString m_origin;      // the address the request was made to
    QString m_refusedTo;   // where a refused redirect pointed
    qint64 m_received = 0; // body bytes of this request so far

    QByteArray m_buffer; // received; handed out up to m_readPos
    qsizetype m_readPos = 0;
    bool m_streaming = false; // the body is read as it arrives (Execute)
    bool m_executing = false;
    bool m_finished = true;
    bool m_announced = false;
    bool m_failed = false;
    bool m_timedOut = false;
    bool m_cancelled = false;
    quint64 m_serial = 0;
    int m_responseCode = 0;
    QString m_responseInfo;
    int m_statusCode = 0;
    QString m_headerBlock;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QList<QEventLoop *> m_waiters;
};

// The longest reply FetchUrlText takes unless its caller says otherwise.
constexpr qint64 FetchLimitBytes = qint64(16) << 20;

// Whole body of a GET as text, letting pending events run between pieces; empty on failure.
// A body longer than maxBytes (16 MiB unless the caller says otherwise; negative: no limit), or
// announced so, ends the transfer at once: the result is empty, transfer.bodyTooLarge() is true
// and so is *tooLarge when given.
QString FetchUrlText(const QString &url, HttpTransfer &transfer, qint64 maxBytes = FetchLimitBytes,
                     bool *tooLarge = nullptr);
