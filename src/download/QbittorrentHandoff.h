#pragma once

#include "download/TorrentHandoff.h"

#include <QList>
#include <QNetworkCookie>

// qBittorrent's Web API v2: log in (keeping the session cookie the client sets), then post the
// file to torrents/add with the category, save path and paused state asked for. A session the
// client has forgotten (403, after a restart of the client) is renewed once; an answer
// "Fails." is checked against the client's list, since qBittorrent answers so for a torrent
// it has already.
class QbittorrentHandoff : public TorrentHandoff
{
    Q_OBJECT
public:
    QbittorrentHandoff(const TorrentClientSettings &settings, QNetworkAccessManager &network,
                       QObject *parent = nullptr);

    QString clientName() const override { return QStringLiteral("qBittorrent"); }

protected:
    void runAdd(const Job &job) override;
    void runTest() override;

private:
    void logIn(std::function<void()> next);
    void post(const Job &job, bool mayLogInAgain);
    void checkListed(const QByteArray &infoHash);
    QNetworkRequest request(const QString &path) const;

    bool m_loggedIn = false;
    QList<QNetworkCookie> m_cookies;
};
