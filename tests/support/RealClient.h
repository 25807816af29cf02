#pragma once

#include "model/HandoffSettings.h"

#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QTemporaryDir>

// A real torrent client for tests: Debian's qbittorrent-nox or transmission-daemon on
// 127.0.0.1, with ports and a configuration folder of its own, stopped by its process id when
// the object goes. Its user is User with the password Password.
//
//     RealClient qbt(RealClient::Qbittorrent);
//     QVERIFY2(qbt.start(), qPrintable(qbt.error()));
//     ... hand a torrent to qbt.settings() ...
//     QVERIFY(!qbt.listed(infoHash).isEmpty()); // asked through the client's own interface
class RealClient
{
public:
    enum Kind
    {
        Qbittorrent,
        Transmission
    };
    static inline const QString User = QStringLiteral("tester");
    static inline const QString Password = QStringLiteral("s3same & \"open\"");

    // transmissionArguments: further daemon options (a whitelist, say).
    explicit RealClient(Kind kind, const QStringList &transmissionArguments = {});
    ~RealClient() { stop(); }
    RealClient(const RealClient &) = delete;
    RealClient &operator=(const RealClient &) = delete;

    // Empty when the program is installed, else what is missing (script/setup installs both).
    static QString missing(Kind kind);

    // Starts the client and waits until its web interface takes connections. A start after
    // stop() keeps the configuration, the torrents and the ports.
    bool start();
    void stop();
    QString error() const { return m_error; }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_webPort); }
    // Settings that reach this client as User with the right password.
    TorrentClientSettings settings() const { return {url(), User, Password, {}, {}, false}; }

    // The client's own record of a torrent: qBittorrent's torrents/info entry ("category",
    // "save_path", "state") or Transmission's torrent-get fields ("labels", "downloadDir",
    // "status"). Empty when it has no such torrent.
    QJsonObject listed(const QByteArray &infoHash);

private:
    bool writeQbittorrentConfiguration();
    QByteArray ask(const QString &path, const QByteArray &body);

    Kind m_kind;
    QStringList m_arguments;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_webPort = 0;
    quint16 m_peerPort = 0;
    QString m_error;
    // The test's own exchange with the client, independent of the code under test.
    QNetworkAccessManager m_network;
    QByteArray m_sessionId;
};

// Fails the test when the client is missing under CI (CI set), skips it elsewhere.
#define REQUIRE_CLIENT(kind)                                                                       \
    do {                                                                                           \
        const QString missing_ = RealClient::missing(kind);                                        \
        if (!missing_.isEmpty() && qEnvironmentVariableIsSet("CI"))                                \
            QFAIL(qPrintable(missing_));                                                           \
        if (!missing_.isEmpty())                                                                   \
            QSKIP(qPrintable(missing_));                                                           \
    } while (false)
