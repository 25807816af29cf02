#pragma once

#include "SiteTorrent.h"
#include "SiteUser.h"

#include <QList>
#include <QRandomGenerator>
#include <QStringList>

// Everything the site knows: its torrents in ascending id order, its category list and its
// member accounts. Starts with the default categories, the user demo/demo and no torrents.
class SiteCatalogue
{
public:
    static constexpr int FirstGeneratedId = 700001;

    SiteCatalogue();

    // The site's 25 categories in the site's order.
    static QStringList defaultCategories();

    // Replaces the torrents by count made-up uploads with ids from firstId on. The same seed
    // gives the same torrents; later addRandomUpload() calls continue the same sequence.
    void generate(int count, quint32 seed, int firstId = FirstGeneratedId);
    // Adds a torrent, keeping the ids ascending. An id of 0 takes the last id + 1; an id that
    // exists replaces that torrent. An empty fileName becomes name + ".torrent". Returns it.
    SiteTorrent addTorrent(SiteTorrent torrent);
    SiteTorrent addTorrent(const QString &name, const QString &category, qint64 size, int id = 0);
    // A new made-up upload after the last id, as the site grows.
    SiteTorrent addRandomUpload();
    // Removes every torrent (categories and users stay).
    void clear();

    const QList<SiteTorrent> &torrents() const { return m_torrents; }
    int torrentCount() const { return int(m_torrents.size()); }
    // The torrent with that id, or nullptr. Valid until the catalogue changes.
    const SiteTorrent *torrent(int id) const;
    // Id of the newest torrent; 0 when there is none.
    int lastId() const;
    // The newest limit torrents, oldest first.
    QList<SiteTorrent> newest(int limit) const;
    // At most limit torrents whose id is startId or more, oldest first.
    QList<SiteTorrent> startingAt(int startId, int limit) const;

    const QStringList &categories() const { return m_categories; }
    void setCategories(const QStringList &categories);

    const QList<SiteUser> &users() const { return m_users; }
    // Adds an account with the next user id (the first is 1) and returns it. Pointers and
    // references to users stay valid until the next addUser() or clearUsers().
    SiteUser &addUser(const QString &name, const QString &password,
                      SiteUser::Status status = SiteUser::Status::Ok);
    void clearUsers();
    SiteUser *user(const QString &name);
    const SiteUser *user(const QString &name) const;
    SiteUser *userById(int id);
    const SiteUser *userById(int id) const;

    // Torrents listed on the user's profile as seeding and leeching: the user's own lists
    // when customTransfers is set, otherwise a few torrents picked from the catalogue.
    QList<SiteTorrent> seedingOf(const SiteUser &user) const;
    QList<SiteTorrent> leechingOf(const SiteUser &user) const;

private:
    QList<SiteTorrent> transfers(const QList<int> &ids) const;

    QList<SiteTorrent> m_torrents;
    QStringList m_categories;
    QList<SiteUser> m_users;
    QRandomGenerator m_random;
    int m_nextUserId = 1;
};
