#pragma once

#include <QObject>
#include <QString>

#include <functional>

class HttpTransfer;
class SettingsStore;
class StoredPassword;

// Tests a user name and password against the site's bot feed before the first-run wizard
// accepts them: one feed request for a single row, whose reply says whether the member may use
// the feed. The window shows text() in info_verify, runs tmr_ani every 300 ms calling
// onTmrAniTick() while check() waits, and shows the tick or the cross from the outcome.
class CredentialCheck : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        // The site accepted the details: show the tick and enable "Continue".
        bool verified = false;
        // The result line for info_verify.
        QString text;
        // False when the check ended without asking the site.
        bool asked = false;
    };

    static const QString Validating;    // "Validating credentials"
    static const QString Verified;      // "Success. Login details verified."
    static const QString InvalidUser;   // reason 1, and user names shorter than 2 characters
    static const QString WrongPassword; // reason 2
    static const QString Disabled;      // reason 3
    static const QString NotPowerUser;  // reason 4
    static const QString WrongVersion;  // another feed version
    static const QString BadData;       // anything else, an empty reply included

    // SiteBaseUrl() + "/bots.php?limit=1&&u=USER&p=PASSWORD&v=11", the user name and password
    // form-encoded so that "&", "#", "+" and "%" reach the site as typed.
    static QString testUrl(const QString &user, const QString &password);

    // The outcome for a reply. An "Unauthorised" reply whose 14th character is not a known
    // reason keeps `currentText` (what the animation showed last) and still fails.
    static Outcome classify(const QString &reply, const QString &currentText);

    // "Validating credentials" followed by 1 to 4 dots for the animation steps 0 to 3.
    static QString animationText(int step);

    // The transfer belongs to the window (one per window); it must outlive this object. It
    // follows redirects within the site only, since the test request carries the details.
    explicit CredentialCheck(HttpTransfer *transfer, QObject *parent = nullptr);

    // Runs one check and waits for the reply while events run. A user name shorter than 2
    // characters fails at once without asking the site. A redirect to another site fails with
    // the transfer's text saying where. While a check runs, a second call
    // returns a failed outcome that did not ask.
    Outcome check(const QString &user, const QString &password);
    bool isChecking() const { return m_checking; }

    // The text info_verify shows now.
    QString text() const { return m_text; }
    // tmr_ani: the next animation text, cycling through one to four dots.
    QString onTmrAniTick();

    // Stores the accepted details: the password where passwords are kept (the keyring, or the
    // settings file), then site_username, so that a name is never stored without its password.
    // done(false) when the settings file could not be written; it may run inside this call.
    static void storeCredentials(SettingsStore &store, StoredPassword &kept, const QString &user,
                                 const QString &password, std::function<void(bool)> done);

signals:
    // info_verify changes: the check started or the animation moved on.
    void textChanged(const QString &text);

private:
    void setText(const QString &text);

    HttpTransfer *m_transfer;
    QString m_text;
    int m_step = 0;
    bool m_checking = false;
};
