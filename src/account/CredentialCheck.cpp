#include "account/CredentialCheck.h"

#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/HttpTransfer.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/StoredPassword.h"
#include "platform/TextUtils.h"

#include <QPointer>

const QString CredentialCheck::Validating = QStringLiteral("Validating credentials");
const QString CredentialCheck::Verified = QStringLiteral("Success. Login details verified.");
const QString CredentialCheck::InvalidUser =
    QStringLiteral("Failed. Invalid username entered. Please check and try again.");
const QString CredentialCheck::WrongPassword =
    QStringLiteral("Failed. Incorrect password entered. Please check and try again.");
const QString CredentialCheck::Disabled = QStringLiteral("Failed. Your account is disabled.");
const QString CredentialCheck::NotPowerUser =
    QStringLiteral("Failed. You must be a Power User or above to use ") + AppInfo::Title +
    QStringLiteral(".");
const QString CredentialCheck::WrongVersion =
    QStringLiteral("Failed. Feed wrong version. You may need to update ") + AppInfo::Title;
const QString CredentialCheck::BadData =
    QStringLiteral("Failed. Bad data returned from site. The site may be offline or busy.");

QString CredentialCheck::testUrl(const QString &user, const QString &password)
{
    return SiteBaseUrl() + QStringLiteral("/bots.php?limit=1&") + QStringLiteral("&u=") +
           UrlEncode(user) + QStringLiteral("&p=") + UrlEncode(password) + QStringLiteral("&v=11");
}

CredentialCheck::Outcome CredentialCheck::classify(const QString &reply, const QString &currentText)
{
    Outcome out;
    out.asked = true;
    if (reply.startsWith(QLatin1String("#PWKF12#"))) {
        out.verified = true;
        out.text = Verified;
    } else if (reply.startsWith(QLatin1String("Unauthorised"))) {
        // The reason is the 14th character; the one before it is a separator of any kind.
        const QChar reason = reply.size() >= 14 ? reply.at(13) : QChar();
        if (reason == QLatin1Char('1'))
            out.text = InvalidUser;
        else if (reason == QLatin1Char('2'))
            out.text = WrongPassword;
        else if (reason == QLatin1Char('3'))
            out.text = Disabled;
        else if (reason == QLatin1Char('4'))
            out.text = NotPowerUser;
        else
            out.text = currentText;
    } else if (reply.startsWith(QLatin1String("#PWKF"))) {
        out.text = WrongVersion;
    } else {
        out.text = BadData;
    }
    return out;
}

QString CredentialCheck::animationText(int step)
{
    const int dots = ((step % 4) + 4) % 4 + 1;
    return Validating + QString(dots, QLatin1Char('.'));
}

CredentialCheck::CredentialCheck(HttpTransfer *transfer, QObject *parent)
    : QObject(parent), m_transfer(transfer)
{
    m_transfer->setRedirectPolicy(HttpTransfer::RedirectPolicy::SameSiteOnly);
}

void CredentialCheck::setText(const QString &text)
{
    m_text = text;
    emit textChanged(text);
}

QString CredentialCheck::onTmrAniTick()
{
    setText(animationText(m_step));
    m_step = (m_step + 1) % 4;
    return m_text;
}

CredentialCheck::Outcome CredentialCheck::check(const QString &user, const QString &password)
{
    if (m_checking) {
        Outcome busy;
        busy.text = m_text;
        return busy;
    }
    if (user.size() < 2) {
        Outcome out;
        out.text = InvalidUser;
        setText(out.text);
        return out;
    }
    m_checking = true;
    m_step = 0;
    setText(Validating);
    // The wait lets events run; the window owning this object may close meanwhile.
    QPointer<CredentialCheck> self(this);
    const QString reply = FetchUrlText(testUrl(user, password), *m_transfer);
    if (!self)
        return Outcome();
    m_checking = false;
    Outcome out = classify(reply, m_text);
    if (m_transfer->sentElsewhere())
        out.text = m_transfer->ResponseInfo();
    setText(out.text);
    return out;
}

void CredentialCheck::storeCredentials(SettingsStore &store, StoredPassword &kept,
                                       const QString &user, const QString &password,
                                       std::function<void(bool)> done)
{
    SettingsStore *file = &store;
    kept.store(password, [file, user, done = std::move(done)](bool stored) {
        done(stored && file->WriteSettingText(SettingName::SiteUserName, user));
    });
}
