#include "core/TrayIcon.h"

#include "core/TrayIconPainter.h"
#include "core/TrayIconState.h"

#include <QApplication>
#include <QMenu>

QString TrayIcon::noTrayText()
{
    return QStringLiteral("No notification area found: Pollwick keeps running and shows its "
                          "popups; start Pollwick again to open this window.");
}

TrayIcon::TrayIcon(TrayIconState &state, QObject *parent)
    : QObject(parent), m_state(state), m_available(&QSystemTrayIcon::isSystemTrayAvailable),
      m_standInText(noTrayText())
{
    m_tmrTray.setInterval(10000);
    connect(&m_tmrTray, &QTimer::timeout, this, &TrayIcon::onTmrTrayTick);
    m_tmrClick.setSingleShot(true);
    connect(&m_tmrClick, &QTimer::timeout, this, &TrayIcon::onTmrClickTick);
    connect(&m_state, &TrayIconState::changed, this, &TrayIcon::refresh);
}

TrayIcon::~TrayIcon()
{
    delete m_icon;
}

void TrayIcon::add(QMenu *menu)
{
    m_menu = menu;
    m_wanted = true;
    m_shown = false;
    m_everShown = false;
    m_firstTick = true;
    if (m_icon)
        m_icon->setContextMenu(menu);
    lookForTray();
    m_tmrTray.start();
    emit standInChanged();
}

void TrayIcon::remove()
{
    m_wanted = false;
    m_shown = false;
    m_firstTick = false;
    m_tmrTray.stop();
    m_tmrClick.stop();
    if (m_icon)
        m_icon->hide();
    emit standInChanged();
}

void TrayIcon::onTmrTrayTick()
{
    lookForTray();
    if (!m_firstTick || !m_wanted)
        return;
    m_firstTick = false;
    if (!m_shown)
        emit noTrayAtStart();
}

void TrayIcon::lookForTray()
{
    if (!m_wanted)
        return;
    if (!m_available()) {
        // The panel went away; its successor gets the icon again.
        setShown(false);
        return;
    }
    if (m_shown || (m_everShown && !m_readd))
        return;
    showIcon();
}

void TrayIcon::setShown(bool shown)
{
    if (m_shown == shown)
        return;
    m_shown = shown;
    emit standInChanged();
}

void TrayIcon::setStandInText(const QString &text)
{
    if (m_standInText == text)
        return;
    m_standInText = text;
    emit standInChanged();
}

bool TrayIcon::showMessage(const QString &title, const QString &text)
{
    if (!m_shown || !m_icon)
        return false;
    m_icon->showMessage(title, text, QSystemTrayIcon::Warning);
    return true;
}

void TrayIcon::showIcon()
{
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
    }
    m_icon->setContextMenu(m_menu);
    m_icon->setIcon(TrayIconPainter::icon(m_state.picture()));
    m_icon->setToolTip(m_state.tip());
    // Hidden first, so that a tray that restarted registers the icon anew.
    m_icon->hide();
    m_icon->show();
    m_everShown = true;
    setShown(true);
}

void TrayIcon::refresh()
{
    if (!m_icon || !m_wanted)
        return;
    m_icon->setIcon(TrayIconPainter::icon(m_state.picture()));
    m_icon->setToolTip(m_state.tip());
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick) {
        m_tmrClick.stop();
        emit doubleClicked();
    } else if (reason == QSystemTrayIcon::Trigger) {
        if (!m_tmrClick.isActive()) {
            m_tmrClick.setInterval(QApplication::doubleClickInterval());
            m_tmrClick.start();
        }
    }
}

void TrayIcon::onTmrClickTick()
{
    emit doubleClicked();
}
