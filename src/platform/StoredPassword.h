#pragma once

#include <QObject>
#include <QString>

#include <functional>

class DebugConsole;
class PasswordStore;
class SettingsStore;

// A password the program keeps for the member (the site's), and the copy in memory that every
// request uses. It lives in the desktop's keyring where one answers, under its key name, and the
// number value `markerName` = 1 in the settings file says so; where no keyring service runs it
// stays in the settings file under the key name, scrambled, every byte of it.
//
// The keyring is read once, asynchronously; until the read ends state() is Reading and whoever
// needs the password waits for readEnded. A read that fails (locked, refused, gone) leaves the
// state Unreadable and deletes nothing; retry() reads again.
class StoredPassword : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Unread,    // load() has not run
        Reading,   // the keyring is being read
        Known,     // password() holds it
        Unreadable // the keyring holds it but would not give it
    };

    // What a check says when the keyring would not give the password.
    static QString lockedText();
    // The login dialog's line where no keyring runs.
    static QString noKeyringText();

    // keyring may be null: no keyring, the settings file keeps the password.
    StoredPassword(const QString &key, const QString &markerName, SettingsStore &store,
                   PasswordStore *keyring, DebugConsole &log, QObject *parent = nullptr);

    // Reads the stored password, once: from the keyring (asynchronously), or from the settings
    // file at once. A password found in the settings file moves to the keyring when one
    // answers: written, read back equal, and only then taken out of the file. Later calls do
    // nothing.
    void load();
    // Reads the keyring again after a failed read; ends with readEnded.
    void retry();

    State state() const { return m_state; }
    // The keyring holds the password but has not given it (yet): a request sent now would go
    // out with an empty password. With changedByUser (a password typed in the login dialog and
    // not yet stored) the password in memory is the one to use.
    static bool pending(const StoredPassword *stored, bool changedByUser = false)
    {
        return stored && !changedByUser &&
               (stored->m_state == State::Reading || stored->m_state == State::Unreadable);
    }
    QString password() const { return m_password; }
    bool keyringAvailable() const;

    // Keeps a new password (an empty one removes it, from the keyring too): the copy in memory
    // at once, the keyring or the settings file after. When the keyring will not take it, the
    // settings file keeps it. done(stored) runs once it is stored, possibly inside this call.
    void store(const QString &password, std::function<void(bool)> done = {});

signals:
    // A read of the keyring ended; known: password() holds the password now.
    void readEnded(bool known);

private:
    void readKeyring();
    void endRead(bool known);
    void migrate();
    // The settings file holds the password; false when the file could not be written.
    bool keepInFile(const QString &password);
    // The keyring holds it: the file's copy goes and the marker is set.
    bool markInKeyring();

    QString m_key;
    QString m_marker;
    SettingsStore &m_store;
    PasswordStore *m_keyring;
    DebugConsole &m_log;
    State m_state = State::Unread;
    QString m_password;
    // Counts store() calls: a read or a move that began before one must not undo it.
    quint64 m_generation = 0;
};
