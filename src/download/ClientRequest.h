#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkReply;

// One request to a torrent client's web interface. Unlike the site's requests it follows no
// redirect, leaves the program's cookie jar alone (the caller sends the client's session
// cookie itself), sends no Referer or Origin (the clients refuse requests that look
// cross-site), may take TimeLimitMs in all, and takes a certificate error for a failure like
// an unreachable host (nothing here ignores one).
class ClientRequest : public QObject
{
    Q_OBJECT
public:
    static constexpr int TimeLimitMs = 30000;
    // The clients' answers are short; a longer body is no answer of theirs.
    static constexpr qint64 BodyLimit = qint64(1) << 20;

    struct Reply
    {
        int status = 0; // HTTP status; 0 when no answer came
        QString error;  // why no answer came, when status is 0
        QByteArray body;
        QByteArray contentType;
        QByteArray location;           // of a redirect
        QByteArray sessionId;          // X-Transmission-Session-Id
        QList<QNetworkCookie> cookies; // set by the answer
    };
    using Done = std::function<void(const Reply &)>;

    // The request is sent at once; done is called once, later, unless this object is destroyed
    // first (which aborts the request).
    ClientRequest(QNetworkAccessManager &network, QNetworkRequest request, const QByteArray &verb,
                  const QByteArray &body, Done done, int timeLimitMs = TimeLimitMs,
                  QObject *parent = nullptr);
    // The same with a multipart form body, which this object then owns.
    ClientRequest(QNetworkAccessManager &network, QNetworkRequest request,
                  QHttpMultiPart *multipart, Done done, int timeLimitMs = TimeLimitMs,
                  QObject *parent = nullptr);
    ~ClientRequest() override;

    // The request as every client request is sent: the rules above applied to url.
    static QNetworkRequest prepare(const QUrl &url);

private:
    void watch(int timeLimitMs);
    void onReadyRead();
    void onFinished();
    void end(const QString &error);

    QPointer<QNetworkReply> m_reply;
    Done m_done;
    QTimer m_timer;
    QByteArray m_body;
    int m_timeLimitMs = TimeLimitMs;
};
