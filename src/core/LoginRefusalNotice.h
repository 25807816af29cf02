#pragma once

#include "feed/FeedFailure.h"

#include <QString>

struct Services;

// Says once, through the notifier, that the site refused the stored user name or password:
// a check that keeps failing with "Unauthorised" is not announced again on every retry or
// every interval, only after the details it uses have changed. The notice is withdrawn when a
// check gets through or the details change.
class LoginRefusalNotice
{
public:
    static QString text();

    // The notifier is taken from the services at each check, so that it may be set after the
    // application is built.
    explicit LoginRefusalNotice(const Services &services);

    // One check has ended with this failure (None when it got through), asking with these
    // details.
    void checkEnded(FeedFailure failure, const QString &user, const QString &password);

private:
    void withdraw();

    const Services &m_services;
    bool m_seen = false; // a check has ended before
    QString m_user;
    QString m_password;
    bool m_said = false;    // told about these details
    bool m_showing = false; // the notice has not been withdrawn since
};
