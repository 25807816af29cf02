#pragma once

#include "platform/PasswordStore.h"

class QDBusConnection;

// The desktop's keyring through QtKeychain: the Secret Service (GNOME's keyring, KeePassXC...)
// or, on KDE, KWallet, under the service name "Pollwick". Whether one runs is asked on the
// session bus first, since QtKeychain takes the Secret Service library whenever it loads and
// only then finds nobody to talk to; QtKeychain's own fallback to a plain file stays off.
class KeychainPasswordStore : public PasswordStore
{
public:
    // bus: the session bus, null or not connected where there is none (no keyring then).
    explicit KeychainPasswordStore(QDBusConnection *bus);

    // org.freedesktop.secrets, or on KDE org.kde.kwalletd5 or kwalletd6, owned or activatable.
    bool available() const override;
    void read(const QString &key, QObject *context, Done done) override;
    void write(const QString &key, const QString &password, QObject *context, Done done) override;
    void remove(const QString &key, QObject *context, Done done) override;

private:
    QDBusConnection *m_bus;
};
