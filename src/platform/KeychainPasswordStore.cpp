#include "platform/KeychainPasswordStore.h"

#include "platform/AppInfo.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <qt6keychain/keychain.h>

namespace {

PasswordStore::Status statusOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return PasswordStore::Status::Ok;
    case QKeychain::EntryNotFound:
        return PasswordStore::Status::NotFound;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return PasswordStore::Status::Refused;
    default:
        return PasswordStore::Status::Failed;
    }
}

// Starts the job and hands its outcome to done, unless context has gone by then.
void run(QKeychain::Job *job, const QString &key, QObject *context, PasswordStore::Done done)
{
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [done = std::move(done)](QKeychain::Job *finished) {
                         PasswordStore::Result result;
                         result.status = statusOf(finished->error());
                         result.error = finished->errorString();
                         if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(finished);
                             read && result.status == PasswordStore::Status::Ok)
                             result.password = QString::fromUtf8(read->binaryData());
                         done(result);
                     });
    job->start();
}

bool desktopIsKde()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP")
        .contains(QLatin1String("KDE"), Qt::CaseInsensitive);
}

} // namespace

KeychainPasswordStore::KeychainPasswordStore(QDBusConnection *bus) : m_bus(bus) {}

bool KeychainPasswordStore::available() const
{
    if (!m_bus || !m_bus->isConnected() || !m_bus->interface())
        return false;
    QStringList services{QStringLiteral("org.freedesktop.secrets")};
    if (desktopIsKde())
        services << QStringLiteral("org.kde.kwalletd6") << QStringLiteral("org.kde.kwalletd5");
    QDBusConnectionInterface *bus = m_bus->interface();
    const QDBusReply<QStringList> activatable = bus->call(QStringLiteral("ListActivatableNames"));
    for (const QString &service : std::as_const(services)) {
        if (bus->isServiceRegistered(service).value() ||
            (activatable.isValid() && activatable.value().contains(service)))
            return true;
    }
    return false;
}

void KeychainPasswordStore::read(const QString &key, QObject *context, Done done)
{
    run(new QKeychain::ReadPasswordJob(AppInfo::Title), key, context, std::move(done));
}

void KeychainPasswordStore::write(const QString &key, const QString &password, QObject *context,
                                  Done done)
{
    auto *job = new QKeychain::WritePasswordJob(AppInfo::Title);
    // The Secret Service takes text up to its first NUL: a password holding one goes in as
    // bytes. Both forms read back through binaryData() as the same UTF-8.
    if (password.contains(QChar(0)))
        job->setBinaryData(password.toUtf8());
    else
        job->setTextData(password);
    run(job, key, context, std::move(done));
}

void KeychainPasswordStore::remove(const QString &key, QObject *context, Done done)
{
    run(new QKeychain::DeletePasswordJob(AppInfo::Title), key, context, std::move(done));
}
