#include "platform/StoredPassword.h"

#include "platform/DebugConsole.h"
#include "platform/PasswordScramble.h"
#include "platform/PasswordStore.h"
#include "platform/SettingsStore.h"
#include "platform/TextUtils.h"

#include <QTimer>

QString StoredPassword::lockedText()
{
    return QStringLiteral("Your keyring is locked: Pollwick cannot read your password.");
}

QString StoredPassword::noKeyringText()
{
    return QStringLiteral("No keyring found: your password is kept in Pollwick's settings file.");
}

StoredPassword::StoredPassword(const QString &key, const QString &markerName, SettingsStore &store,
                               PasswordStore *keyring, DebugConsole &log, QObject *parent)
    : QObject(parent), m_key(key), m_marker(markerName), m_store(store), m_keyring(keyring),
      m_log(log)
{
}

bool StoredPassword::keyringAvailable() const
{
    return m_keyring && m_keyring->available();
}

void StoredPassword::load()
{
    if (m_state != State::Unread)
        return;
    if (m_store.ReadSettingNumber(m_marker) == 1) {
        readKeyring();
        return;
    }
    // Every byte counts: the scramble of a character equal to its position is a NUL.
    m_password = UnscrambleText(FromAnsi(m_store.ReadSettingBytes(m_key)));
    m_state = State::Known;
    if (!m_password.isEmpty() && keyringAvailable())
        migrate();
}

void StoredPassword::retry()
{
    if (m_state == State::Unreadable)
        readKeyring();
}

void StoredPassword::readKeyring()
{
    m_state = State::Reading;
    if (!keyringAvailable()) {
        m_log.debug_console(QStringLiteral("No keyring answers; it holds your password."));
        // Reported from the event loop, as a keyring's answer would be.
        QTimer::singleShot(0, this, [this] { endRead(false); });
        return;
    }
    const quint64 generation = m_generation;
    m_keyring->read(m_key, this, [this, generation](const PasswordStore::Result &result) {
        if (generation != m_generation) {
            endRead(true); // a new password was stored meanwhile
            return;
        }
        if (result.status == PasswordStore::Status::Ok) {
            m_password = result.password;
            endRead(true);
            return;
        }
        m_log.debug_console(QStringLiteral("The keyring did not give your password: ") +
                            result.error);
        endRead(false);
    });
}

void StoredPassword::endRead(bool known)
{
    m_state = known ? State::Known : State::Unreadable;
    emit readEnded(known);
}

void StoredPassword::migrate()
{
    const quint64 generation = m_generation;
    const QString password = m_password;
    const auto stays = [this](const QString &why) {
        m_log.debug_console(QStringLiteral("Your password stays in the settings file: ") + why);
    };
    m_keyring->write(
        m_key, password, this,
        [this, generation, password, stays](const PasswordStore::Result &written) {
            if (generation != m_generation)
                return;
            if (written.status != PasswordStore::Status::Ok) {
                stays(QStringLiteral("the keyring did not take it (") + written.error +
                      QStringLiteral(")."));
                return;
            }
            m_keyring->read(m_key, this,
                            [this, generation, password, stays](const PasswordStore::Result &read) {
                                if (generation != m_generation)
                                    return;
                                if (read.status != PasswordStore::Status::Ok ||
                                    read.password != password) {
                                    stays(QStringLiteral("the keyring did not give it back "
                                                         "unchanged."));
                                    return;
                                }
                                if (markInKeyring())
                                    m_log.debug_console(QStringLiteral(
                                        "Your password moved from the settings file to the "
                                        "desktop's keyring."));
                            });
        });
}

bool StoredPassword::keepInFile(const QString &password)
{
    SettingsStore::Batch batch(m_store);
    m_store.WriteSettingText(m_key, ScrambleText(password));
    m_store.RegDeleteValueName(SettingsStore::HKEY_CURRENT_USER, SettingsStore::ProgramKey(),
                               m_marker);
    return batch.commit();
}

bool StoredPassword::markInKeyring()
{
    SettingsStore::Batch batch(m_store);
    m_store.WriteSettingNumber(m_marker, 1);
    m_store.RegDeleteValueName(SettingsStore::HKEY_CURRENT_USER, SettingsStore::ProgramKey(),
                               m_key);
    return batch.commit();
}

void StoredPassword::store(const QString &password, std::function<void(bool)> done)
{
    ++m_generation;
    const quint64 generation = m_generation;
    // A read still under way ends with this password (see readKeyring).
    m_password = password;
    m_state = State::Known;
    if (!keyringAvailable()) {
        const bool stored = keepInFile(password);
        if (done)
            done(stored);
        return;
    }
    const auto finish = [this, generation, done](bool stored) {
        if (done)
            done(generation == m_generation ? stored : true);
    };
    if (password.isEmpty()) {
        m_keyring->remove(m_key, this, [this, finish](const PasswordStore::Result &result) {
            if (result.status != PasswordStore::Status::Ok &&
                result.status != PasswordStore::Status::NotFound)
                m_log.debug_console(
                    QStringLiteral("Unable to delete your password from the keyring: ") +
                    result.error);
            finish(keepInFile(QString()));
        });
        return;
    }
    m_keyring->write(m_key, password, this,
                     [this, generation, password, finish](const PasswordStore::Result &result) {
                         if (generation != m_generation) {
                             finish(true);
                             return;
                         }
                         if (result.status == PasswordStore::Status::Ok) {
                             finish(markInKeyring());
                             return;
                         }
                         m_log.debug_console(
                             QStringLiteral("The keyring did not take your password (") +
                             result.error + QStringLiteral("); it is kept in the settings file."));
                         finish(keepInFile(password));
                     });
}
