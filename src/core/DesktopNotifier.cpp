#include "core/DesktopNotifier.h"

#include "core/TrayIcon.h"

void DesktopNotifier::notify(const QString &title, const QString &text)
{
    if (!m_tray.showMessage(title, text))
        m_tray.setStandInText(text);
}

void DesktopNotifier::withdraw()
{
    m_tray.setStandInText(TrayIcon::noTrayText());
}
