#pragma once

#include "download/TorrentHandoff.h"

#include <QJsonObject>

// Transmission's RPC (at /transmission/rpc when the address names no path): torrent-add with
// the file in base64, the paused state and the download folder, then the labels with
// torrent-set on the added torrent (version 3.00 takes labels only there). The session id
// that a 409 answer carries is kept and the request sent once more.
class TransmissionHandoff : public TorrentHandoff
{
    Q_OBJECT
public:
    TransmissionHandoff(const TorrentClientSettings &settings, QNetworkAccessManager &network,
                        QObject *parent = nullptr);

    QString clientName() const override { return QStringLiteral("Transmission"); }

    // The labels field split at commas, each trimmed, the empty ones dropped.
    static QStringList labels(const QString &field);

protected:
    void runAdd(const Job &job) override;
    void runTest() override;

private:
    using Answer = std::function<void(const QJsonObject &arguments)>;
    using Failure = std::function<void(const QString &reason)>;
    // One RPC call; a reply other than "success" goes to failed with its reason.
    void call(const QString &method, const QJsonObject &arguments, Answer answered, Failure failed,
              bool mayRenewSession = true);
    void setLabels(const QString &hashString, const QStringList &labels);

    QByteArray m_sessionId;
};
