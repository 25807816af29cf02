#include "core/LoginRefusalNotice.h"

#include "platform/AppInfo.h"
#include "platform/Notifier.h"
#include "platform/Services.h"

QString LoginRefusalNotice::text()
{
    return QStringLiteral("Vellumstacks refused your user name or password. Open Options, "
                          "Advanced Options, and click your user name to change them.");
}

LoginRefusalNotice::LoginRefusalNotice(const Services &services) : m_services(services) {}

void LoginRefusalNotice::checkEnded(FeedFailure failure, const QString &user,
                                    const QString &password)
{
    if (!m_seen || user != m_user || password != m_password) {
        // Other details: what was said about the old ones no longer holds.
        withdraw();
        m_said = false;
        m_seen = true;
        m_user = user;
        m_password = password;
    }
    if (failure == FeedFailure::Error6) {
        if (m_said || !m_services.notifier)
            return;
        m_services.notifier->notify(AppInfo::Title, text());
        m_said = true;
        m_showing = true;
    } else if (failure == FeedFailure::None) {
        withdraw();
    }
}

void LoginRefusalNotice::withdraw()
{
    if (!m_showing || !m_services.notifier)
        return;
    m_services.notifier->withdraw();
    m_showing = false;
}
