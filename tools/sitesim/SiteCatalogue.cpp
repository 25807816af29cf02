#include "SiteCatalogue.h"

#include "ReleaseNameGenerator.h"

#include <algorithm>

namespace {

bool idLess(const SiteTorrent &torrent, int id)
{
    return torrent.id < id;
}

} // namespace

SiteCatalogue::SiteCatalogue() : m_categories(defaultCategories()), m_random(1u)
{
    addUser(QStringLiteral("demo"), QStringLiteral("demo"));
}

QStringList SiteCatalogue::defaultCategories()
{
    return {QStringLiteral("Appz/PC ISO"),
            QStringLiteral("Games/PC ISO"),
            QStringLiteral("Movies/SVCD"),
            QStringLiteral("Music"),
            QStringLiteral("XXX"),
            QStringLiteral("Handheld"),
            QStringLiteral("Games/Xbox 360"),
            QStringLiteral("Anime"),
            QStringLiteral("Movies/XviD"),
            QStringLiteral("Movies/DVD-R"),
            QStringLiteral("Games/PC Rip"),
            QStringLiteral("Appz/misc"),
            QStringLiteral("Games/Xbox"),
            QStringLiteral("Games/PS3"),
            QStringLiteral("Games/PS2"),
            QStringLiteral("Games/Wii"),
            QStringLiteral("Movies/VCD"),
            QStringLiteral("DOX"),
            QStringLiteral("Misc"),
            QStringLiteral("Music Videos"),
            QStringLiteral("TV/HR"),
            QStringLiteral("TV/XviD"),
            QStringLiteral("Nuked"),
            QStringLiteral("TV/HD"),
            QStringLiteral("Movies/HD")};
}

void SiteCatalogue::generate(int count, quint32 seed, int firstId)
{
    m_torrents.clear();
    m_torrents.reserve(count);
    m_random.seed(seed);
    ReleaseNameGenerator generator(m_random);
    for (int i = 0; i < count; ++i) {
        SiteTorrent torrent = generator.make(m_categories);
        torrent.id = firstId + i;
        m_torrents.append(torrent);
    }
}

SiteTorrent SiteCatalogue::addTorrent(SiteTorrent torrent)
{
    if (torrent.id <= 0)
        torrent.id = lastId() + 1;
    if (torrent.fileName.isEmpty())
        torrent.fileName = torrent.name + QStringLiteral(".torrent");
    auto it = std::lower_bound(m_torrents.begin(), m_torrents.end(), torrent.id, idLess);
    if (it != m_torrents.end() && it->id == torrent.id)
        *it = torrent;
    else
        m_torrents.insert(it, torrent);
    return torrent;
}

SiteTorrent SiteCatalogue::addTorrent(const QString &name, const QString &category, qint64 size,
                                      int id)
{
    SiteTorrent torrent;
    torrent.id = id;
    torrent.name = name;
    torrent.category = category;
    torrent.size = size;
    torrent.field3 = QStringLiteral("0");
    return addTorrent(torrent);
}

SiteTorrent SiteCatalogue::addRandomUpload()
{
    ReleaseNameGenerator generator(m_random);
    SiteTorrent torrent = generator.make(m_categories);
    torrent.id = m_torrents.isEmpty() ? FirstGeneratedId : lastId() + 1;
    return addTorrent(torrent);
}

void SiteCatalogue::clear()
{
    m_torrents.clear();
}

const SiteTorrent *SiteCatalogue::torrent(int id) const
{
    auto it = std::lower_bound(m_torrents.cbegin(), m_torrents.cend(), id, idLess);
    if (it != m_torrents.cend() && it->id == id)
        return &*it;
    return nullptr;
}

int SiteCatalogue::lastId() const
{
    return m_torrents.isEmpty() ? 0 : m_torrents.constLast().id;
}

QList<SiteTorrent> SiteCatalogue::newest(int limit) const
{
    if (limit <= 0)
        return {};
    return m_torrents.mid(std::max<qsizetype>(0, m_torrents.size() - limit));
}

QList<SiteTorrent> SiteCatalogue::startingAt(int startId, int limit) const
{
    if (limit <= 0)
        return {};
    auto it = std::lower_bound(m_torrents.cbegin(), m_torrents.cend(), startId, idLess);
    return m_torrents.mid(it - m_torrents.cbegin(), limit);
}

void SiteCatalogue::setCategories(const QStringList &categories)
{
    m_categories = categories;
}

SiteUser &SiteCatalogue::addUser(const QString &name, const QString &password,
                                 SiteUser::Status status)
{
    SiteUser user;
    user.id = m_nextUserId++;
    user.name = name;
    user.password = password;
    user.status = status;
    if (status == SiteUser::Status::NotPowerUser)
        user.userClass = QStringLiteral("User");
    m_users.append(user);
    return m_users.last();
}

void SiteCatalogue::clearUsers()
{
    m_users.clear();
    m_nextUserId = 1;
}

SiteUser *SiteCatalogue::user(const QString &name)
{
    for (SiteUser &u : m_users) {
        if (u.name == name)
            return &u;
    }
    return nullptr;
}

const SiteUser *SiteCatalogue::user(const QString &name) const
{
    return const_cast<SiteCatalogue *>(this)->user(name);
}

SiteUser *SiteCatalogue::userById(int id)
{
    for (SiteUser &u : m_users) {
        if (u.id == id)
            return &u;
    }
    return nullptr;
}

const SiteUser *SiteCatalogue::userById(int id) const
{
    return const_cast<SiteCatalogue *>(this)->userById(id);
}

QList<SiteTorrent> SiteCatalogue::transfers(const QList<int> &ids) const
{
    QList<SiteTorrent> list;
    for (int id : ids) {
        if (const SiteTorrent *t = torrent(id))
            list.append(*t);
    }
    return list;
}

QList<SiteTorrent> SiteCatalogue::seedingOf(const SiteUser &user) const
{
    if (user.customTransfers)
        return transfers(user.seeding);
    // Every seventh torrent from the user's own offset on, at most three of them.
    QList<SiteTorrent> list;
    for (qsizetype i = user.id % 7; i < m_torrents.size() && list.size() < 3; i += 7)
        list.append(m_torrents.at(i));
    return list;
}

QList<SiteTorrent> SiteCatalogue::leechingOf(const SiteUser &user) const
{
    if (user.customTransfers)
        return transfers(user.leeching);
    // The two newest torrents, newest first.
    QList<SiteTorrent> list;
    for (qsizetype i = m_torrents.size() - 1; i >= 0 && list.size() < 2; --i)
        list.append(m_torrents.at(i));
    return list;
}
