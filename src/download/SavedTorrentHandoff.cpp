#include "download/SavedTorrentHandoff.h"

#include "download/TorrentHandoff.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/StoredPassword.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

SavedTorrentHandoff::SavedTorrentHandoff(Services &services, const HandoffSettings &settings,
                                         QObject *parent)
    : QObject(parent), m_services(services), m_settings(settings)
{
}

SavedTorrentHandoff::~SavedTorrentHandoff() = default;

bool SavedTorrentHandoff::toClient() const
{
    return m_settings.choice == HandoffSettings::Qbittorrent ||
           m_settings.choice == HandoffSettings::Transmission;
}

QString SavedTorrentHandoff::clientName() const
{
    switch (m_settings.choice) {
    case HandoffSettings::Qbittorrent:
        return QStringLiteral("qBittorrent");
    case HandoffSettings::Transmission:
        return QStringLiteral("Transmission");
    default:
        return QString();
    }
}

QString SavedTorrentHandoff::waitingStatus(const QString &client)
{
    return QStringLiteral("Status: Saved; adding it to ") + client + QStringLiteral("...");
}

QString SavedTorrentHandoff::logLine(const Outcome &outcome, const QString &fileName)
{
    return outcome.client +
           (outcome.taken ? QStringLiteral(" took ") : QStringLiteral(" did not take ")) +
           fileName + (outcome.taken ? QStringLiteral(" but: ") : QStringLiteral(": ")) +
           outcome.reason;
}

QString SavedTorrentHandoff::refusedStatus(const Outcome &outcome)
{
    return QStringLiteral("Status: Saved; ") + outcome.client +
           QStringLiteral(" did not take it: ") + outcome.reason;
}

StoredPassword *SavedTorrentHandoff::storedPassword(int choice) const
{
    return choice == HandoffSettings::Qbittorrent ? m_services.qbittorrentPassword
                                                  : m_services.transmissionPassword;
}

void SavedTorrentHandoff::handOff(const QString &path, bool byUser, QObject *context, Done done)
{
    if (toClient()) {
        addToClient(path, context, std::move(done));
        return;
    }
    if (m_settings.choice != HandoffSettings::SaveOnly)
        m_services.shell->openFile(path,
                                   byUser ? Shell::Asked::ByUser : Shell::Asked::InBackground);
    done(Outcome{});
}

void SavedTorrentHandoff::addToClient(const QString &path, QObject *context, Done done)
{
    const int choice = m_settings.choice;
    StoredPassword *stored = storedPassword(choice);
    const QString client = clientName();
    const QPointer<QObject> guard(context);
    if (stored && (stored->state() == StoredPassword::State::Reading ||
                   stored->state() == StoredPassword::State::Unreadable)) {
        // The keyring has not given the password yet: an empty one would only be refused.
        if (stored->state() == StoredPassword::State::Unreadable) {
            done(Outcome{false, client, StoredPassword::lockedText()});
            return;
        }
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(stored, &StoredPassword::readEnded, this,
                              [this, connection, path, guard, context, done, client](bool known) {
                                  disconnect(*connection);
                                  if (context && !guard)
                                      return;
                                  if (known)
                                      addToClient(path, context, done);
                                  else
                                      done(Outcome{false, client, StoredPassword::lockedText()});
                              });
        return;
    }

    HandoffSettings settings = m_settings;
    TorrentClientSettings &own =
        choice == HandoffSettings::Qbittorrent ? settings.qbt : settings.tr;
    if (stored && stored->state() == StoredPassword::State::Known)
        own.password = stored->password();
    if (!m_client || !(settings == m_clientSettings)) {
        m_client = TorrentHandoff::create(settings, *m_services.network, this);
        m_clientSettings = settings;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        done(Outcome{false, client, file.errorString()});
        return;
    }
    m_client->add(QFileInfo(path).fileName(), file.readAll(), context,
                  [done, client](const TorrentHandoff::Result &result) {
                      done(Outcome{result.ok, client, result.reason});
                  });
}
