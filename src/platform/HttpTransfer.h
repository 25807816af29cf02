#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QEventLoop;
class QNetworkAccessManager;
class QNetworkReply;

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

    explicit HttpTransfer(QNetworkAccessManager *network, QObject *parent = nullptr);
    ~HttpTransfer() override;

    // Seconds a request may go without receiving anything before it fails (0 = no limit).
    int RequestTimeout() const { return m_timeoutSeconds; }
    void setRequestTimeout(int seconds);

    // The most body bytes a request may bring (negative: no limit); a reply that brings more
    // fails at once, with ResponseInfo "The reply is too large", and bodyTooLarge() is true.
    void setBodyLimit(qint64 bytes) { m_bodyLimit = bytes; }
    bool bodyTooLarge() const { return m_tooLarge; }

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

    // Next piece of the body, at most size bytes. While the response is still arriving it waits
    // for data; an empty result means the body has ended (or the transfer failed or was
    // cancelled).
    QByteArray GetChunk(int size);
    QString GetChunkText(int size);

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
    // HTTP status of the last response, 0 when none arrived.
    int statusCode() const { return m_statusCode; }

signals:
    void StateChanged(int state);

private:
    void start(const QString &url, const QByteArray &operation, const QByteArray &body,
               const QString &headers);
    void onReadyRead();
    void onFinished();
    void onTimeout();
    void captureMetaData();
    void announce(int state);
    void finishWith(int code, const QString &info);
    void wakeWaiters();
    // Lets events run while `waiting` holds; false when this object was destroyed meanwhile.
    bool waitWhile(const std::function<bool()> &waiting);

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timeout;
    int m_timeoutSeconds = 60;

    QByteArray m_buffer; // received but not yet handed out
    bool m_executing = false;
    bool m_finished = true;
    bool m_announced = false;
    bool m_failed = false;
    bool m_timedOut = false;
    bool m_cancelled = false;
    bool m_tooLarge = false;
    qint64 m_bodyLimit = -1;
    qint64 m_received = 0;
    quint64 m_serial = 0;
    int m_responseCode = 0;
    QString m_responseInfo;
    int m_statusCode = 0;
    QString m_headerBlock;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QList<QEventLoop *> m_waiters;
};
