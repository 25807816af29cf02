#include "RealClient.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>

namespace {

QString program(RealClient::Kind kind)
{
    return kind == RealClient::Qbittorrent ? "qbittorrent-nox" : "transmission-daemon";
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

RealClient::RealClient(Kind kind, const QStringList &transmissionArguments)
    : m_kind(kind), m_webPort(freePort()), m_peerPort(freePort())
{
    const QString downloads = m_dir.filePath("downloads");
    if (kind == Qbittorrent)
        m_arguments << "--profile=" + m_dir.path() << QString("--webui-port=%1").arg(m_webPort);
    else
        m_arguments = QString("-f -p %1 -P %2 -r 127.0.0.1 -i 127.0.0.1 -t -M -O")
                          .arg(m_webPort)
                          .arg(m_peerPort)
                          .split(' ') +
                      QStringList{"-g", m_dir.filePath("config"), "-w", downloads} +
                      QStringList{"-u", User, "-v", Password} + transmissionArguments;
    QDir().mkpath(downloads);
}

QString RealClient::missing(Kind kind)
{
    return QStandardPaths::findExecutable(program(kind)).isEmpty()
               ? program(kind) + " is not installed (script/setup installs it)"
               : QString();
}

bool RealClient::writeQbittorrentConfiguration()
{
    // The Web UI keeps its password as PBKDF2-HMAC-SHA512 of 100000 rounds with a 16-byte salt
    // and a 64-byte key. The legal notice would wait for a key; nothing reaches beyond
    // 127.0.0.1.
    QByteArray salt(16, 0);
    for (char &c : salt)
        c = char(QRandomGenerator::global()->bounded(256));
    const QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha512,
                                                              Password.toUtf8(), salt, 100000, 64);
    const QString text =
        QString("[LegalNotice]\nAccepted=true\n[Preferences]\n"
                "WebUI\\Username=%1\nWebUI\\Password_PBKDF2=\"@ByteArray(%2:%3)\"\n"
                "WebUI\\Address=127.0.0.1\nConnection\\ResolvePeerCountries=false\n"
                "Connection\\UPnP=false\n[BitTorrent]\nSession\\DHTEnabled=false\n"
                "Session\\LSDEnabled=false\nSession\\PeXEnabled=false\n"
                "Session\\Port=%4\nSession\\InterfaceAddress=127.0.0.1\n"
                "Session\\DefaultSavePath=%5\n")
            .arg(User, salt.toBase64(), key.toBase64())
            .arg(m_peerPort)
            .arg(m_dir.filePath("downloads"));
    QDir().mkpath(m_dir.filePath("qBittorrent/config"));
    QFile file(m_dir.filePath("qBittorrent/config/qBittorrent.conf"));
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

bool RealClient::start()
{
    const QString output = m_dir.filePath("output.txt");
    if (m_kind == Qbittorrent && !QFile::exists(output) && !writeQbittorrentConfiguration()) {
        m_error = "cannot write qBittorrent.conf";
        return false;
    }
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(output, QIODevice::Append);
    m_process.setStandardErrorFile(output, QIODevice::Append);
    m_process.start(program(m_kind), m_arguments);
    // Ready once the web port takes a connection; a loaded machine may take a while.
    QDeadlineTimer deadline(60000);
    while (m_process.waitForStarted(10000) && !deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_webPort);
        if (probe.waitForConnected(1000))
            return true;
        m_process.waitForFinished(100);
    }
    QFile log(output);
    log.open(QIODevice::ReadOnly);
    m_error = program(m_kind) + " does not answer: " + log.readAll().right(2000);
    stop();
    return false;
}

void RealClient::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    const auto pid = pid_t(m_process.processId());
    ::kill(pid, SIGTERM);
    if (!m_process.waitForFinished(20000)) {
        ::kill(pid, SIGKILL);
        m_process.waitForFinished(5000);
    }
}

QByteArray RealClient::ask(const QString &path, const QByteArray &body)
{
    // qBittorrent keeps its session in the cookie jar; Transmission wants its session id.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QNetworkRequest request(QUrl(url() + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        request.setRawHeader("Authorization",
                             "Basic " + (User + ":" + Password).toUtf8().toBase64());
        request.setRawHeader("X-Transmission-Session-Id", m_sessionId);
        QNetworkReply *reply = m_network.post(request, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        reply->deleteLater();
        m_sessionId = reply->rawHeader("X-Transmission-Session-Id");
        if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 409)
            return reply->readAll();
    }
    return QByteArray();
}

QJsonObject RealClient::listed(const QByteArray &infoHash)
{
    QJsonArray torrents;
    if (m_kind == Qbittorrent) {
        ask("/api/v2/auth/login", "username=" + QUrl::toPercentEncoding(User) +
                                      "&password=" + QUrl::toPercentEncoding(Password));
        torrents =
            QJsonDocument::fromJson(ask("/api/v2/torrents/info?hashes=" + infoHash, "")).array();
    } else {
        torrents = QJsonDocument::fromJson(
                       ask("/transmission/rpc",
                           R"({"method":"torrent-get","arguments":{"fields":["hashString",)"
                           R"("labels","downloadDir","status"]}})"))
                       .object()
                       .value("arguments")
                       .toObject()
                       .value("torrents")
                       .toArray();
    }
    for (const QJsonValue &t : torrents) {
        if (t["hash"] == QString(infoHash) || t["hashString"] == QString(infoHash))
            return t.toObject();
    }
    return QJsonObject();
}
