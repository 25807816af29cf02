#include "account/LoginDialogRules.h"

#include "model/Settings.h"
#include "platform/AppInfo.h"

const QString LoginDialogRules::EnterUserName = QStringLiteral("Please enter a username ");
const QString LoginDialogRules::EnterPassword = QStringLiteral("Please enter a password ");

namespace {

const QString ClickToChange = QStringLiteral(" (click to change)");

} // namespace

QString LoginDialogRules::missingInput(const QString &user, const QString &password)
{
    if (user.isEmpty())
        return EnterUserName;
    if (password.isEmpty())
        return EnterPassword;
    return QString();
}

QString LoginDialogRules::removalQuestion()
{
    return QStringLiteral("By removing your login details you will no longer be able to use ") +
           AppInfo::Title + QStringLiteral(".") + QStringLiteral("\r\n") +
           QStringLiteral("Are you sure?");
}

QString LoginDialogRules::userCaption(const QString &user)
{
    if (user.isEmpty())
        return QStringLiteral("Not set (click to set)");
    return user + ClickToChange;
}

QString LoginDialogRules::removedCaption()
{
    return QStringLiteral("Not set") + ClickToChange;
}

LoginDialogRules::Result LoginDialogRules::ok(Settings &settings, bool remove, const QString &user,
                                              const QString &password, const Confirm &confirm)
{
    Result result;
    if (remove) {
        if (!confirm || !confirm(removalQuestion()))
            return result;
        settings.SiteUserName.clear();
        settings.SitePassword.clear();
        settings.SitePasswordChanged = true;
        result.accepted = true;
        result.userCaption = removedCaption();
        return result;
    }
    result.message = missingInput(user, password);
    if (!result.message.isEmpty())
        return result;
    settings.SiteUserName = user;
    settings.SitePassword = password;
    settings.SitePasswordChanged = true;
    result.accepted = true;
    result.userCaption = userCaption(user);
    return result;
}
