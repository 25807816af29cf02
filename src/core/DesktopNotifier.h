#pragma once

#include "platform/Notifier.h"

class TrayIcon;

// The notifier of the running program: the tray icon's message, or, while no tray shows the
// icon, the stand-in line on the options window.
class DesktopNotifier : public Notifier
{
public:
    explicit DesktopNotifier(TrayIcon &tray) : m_tray(tray) {}

    void notify(const QString &title, const QString &text) override;
    void withdraw() override;

private:
    TrayIcon &m_tray;
};
