#pragma once

#include <QString>

#include <functional>

class QObject;

// The desktop's keyring as the program uses it: one password per key name ("site_password")
// under the program's service name. Every operation returns at once; its callback runs later
// from the event loop, never inside the call, and not at all once `context` is gone.
class PasswordStore
{
public:
    enum class Status
    {
        Ok,
        NotFound, // no password under that key
        Refused,  // the keyring is locked, or its user or service said no
        Failed    // anything else
    };
    struct Result
    {
        Status status = Status::Failed;
        QString password; // of a read that succeeded
        QString error;    // the keyring's own words, for the debug log
    };
    using Done = std::function<void(const Result &)>;

    virtual ~PasswordStore() = default;

    // A keyring service runs or can be started on the session bus. Asked before every use:
    // without one the callers keep the password in the settings file.
    virtual bool available() const = 0;
    virtual void read(const QString &key, QObject *context, Done done) = 0;
    virtual void write(const QString &key, const QString &password, QObject *context,
                       Done done) = 0;
    virtual void remove(const QString &key, QObject *context, Done done) = 0;
};
