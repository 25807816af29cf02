#pragma once

#include "download/ClientRequest.h"
#include "model/HandoffSettings.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>

#include <functional>
#include <memory>

class QNetworkAccessManager;

// Hands a saved .torrent file to the user's torrent client through the client's own web
// interface (one subclass per client), so that it reaches a client running as a daemon, under
// another account or on another machine. It is given the client's address, user name and
// password; it keeps the client's session between hand-offs. Requests run one at a time in
// the order asked; each reports once, later, through its callback.
class TorrentHandoff : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        // add: the client has the torrent (added now, or listed already); test: connected.
        bool ok = false;
        // Why not; after a torrent was taken, what else did not work (empty when nothing).
        QString reason;
        // test: the version the client reports ("v4.5.2", "3.00").
        QString version;
    };
    using Done = std::function<void(const Result &)>;

    // The reasons the Test line, the download window and the log give.
    static const QString WrongPassword; // "wrong user name or password"
    static const QString NotAllowed;    // "this computer is not allowed (HTTP 403)"
    static const QString NotATorrent;   // "not a valid torrent"

    // The hand-off the settings choose; null for the choices that name no client.
    static std::unique_ptr<TorrentHandoff> create(const HandoffSettings &settings,
                                                  QNetworkAccessManager &network,
                                                  QObject *parent = nullptr);

    ~TorrentHandoff() override;

    // "qBittorrent", "Transmission".
    virtual QString clientName() const = 0;

    // Hands over a torrent file; fileName is the name it has in the torrent folder. Bytes that
    // are no torrent file are refused without asking the client. done is not called when
    // context is given and has been destroyed by then.
    void add(const QString &fileName, const QByteArray &torrent, QObject *context, Done done);
    // Logs in and asks the client for its version.
    void test(QObject *context, Done done);

    // The line the options page shows after a test: "qBittorrent v4.5.2: connected." or
    // "Not connected: " + reason.
    QString testLine(const Result &result) const;

    // How long one request may take in all (ClientRequest::TimeLimitMs unless set).
    void setTimeLimit(int ms) { m_timeLimitMs = ms; }

protected:
    TorrentHandoff(const TorrentClientSettings &settings, QNetworkAccessManager &network,
                   QObject *parent);

    struct Job
    {
        bool isTest = false;
        QString fileName;
        QByteArray torrent;
        QByteArray infoHash; // lower-case hex
        bool guarded = false;
        QPointer<QObject> context;
        Done done;
    };

    // Run the job at the head of the queue; each path ends in finish().
    virtual void runAdd(const Job &job) = 0;
    virtual void runTest() = 0;
    // Reports the running job's result and goes on with the next.
    void finish(const Result &result);
    void refuse(const QString &reason) { finish(Result{false, reason, QString()}); }

    // Sends one request; the answer goes to done unless this object is destroyed first.
    void send(const QNetworkRequest &request, const QByteArray &verb, const QByteArray &body,
              ClientRequest::Done done);
    void send(const QNetworkRequest &request, class QHttpMultiPart *multipart,
              ClientRequest::Done done);

    // The reason for an answer that is not the one hoped for: no answer, 401, 403, a
    // redirect, or else the client's own words (the first line of its text, or the status).
    QString reasonFor(const ClientRequest::Reply &reply) const;

    // The address as the user gave it, with path joined on.
    QUrl address(const QString &path) const;

    const TorrentClientSettings m_settings;

private:
    void startNext();
    void adopt(ClientRequest *request);

    QNetworkAccessManager &m_network;
    QQueue<Job> m_jobs;
    bool m_running = false;
    int m_timeLimitMs = ClientRequest::TimeLimitMs;
    QPointer<ClientRequest> m_request;
};
