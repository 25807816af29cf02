#include "notify/NotifyWindows.h"

#include "download/DownloadWindows.h"
#include "model/ProgramState.h"
#include "notify/AlertStyle.h"
#include "notify/DesktopNotifications.h"
#include "notify/frmSummary.h"
#include "notify/frmTorrentInfo.h"
#include "notify/FrmVSPopUp.h"
#include "notify/NotifyWindowsHost.h"
#include "notify/PopupAnimation.h"
#include "notify/ToastText.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/Notifier.h"
#include "platform/Services.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/WindowHelpers.h"

#include <QApplication>

NotifyWindows::NotifyWindows(NotifyWindowsHost &host, Services &services, ProgramState &state,
                             DownloadWindows &downloads, QObject *parent)
    : QObject(parent), m_host(host), m_services(services), m_state(state), m_downloads(downloads),
      m_notifications(std::make_unique<DesktopNotifications>(services, state, *this))
{
}

NotifyWindows::~NotifyWindows()
{
    delete m_popup;
    delete m_summary;
}

FrmVSPopUp *NotifyWindows::popup() const
{
    return m_popup;
}

frmSummary *NotifyWindows::summary() const
{
    return m_summary;
}

void NotifyWindows::announce(const Announcement &announcement)
{
    if (AlertStyle::desktopNotifications(m_state.settings.NotifyStyle, m_services.session))
        m_notifications->show(announcement);
    else
        showPopup(announcement.popup);
}

void NotifyWindows::showPopup(const PopupRequest &request)
{
    // A Wayland client cannot place the popup, and a toplevel of its own would be tiled among
    // the user's windows and take the focus.
    if (m_services.session.nativeWayland()) {
        m_services.notifier->notify(AppInfo::Title, ToastText::line(request.text, request.tail));
        return;
    }
    if (m_queue.submit(request))
        createPopup(request);
}

void NotifyWindows::notificationFailed(const Announcement &announcement, const QString &reason)
{
    const QString why = QStringLiteral("No desktop notification (") + reason + QStringLiteral(")");
    if (!m_services.session.nativeWayland()) {
        m_services.log->debug_console(why + QStringLiteral(": showing the popup instead."));
        showPopup(announcement.popup);
        return;
    }
    m_services.log->debug_console(
        why + QStringLiteral(": the tray tooltip and the options window tell of it instead."));
    if (StoredPlaySound(*m_services.store))
        m_services.sound->play(FrmVSPopUp::soundFile(m_services));
    m_services.notifier->notify(AppInfo::Title, announcement.notice.line);
}

void NotifyWindows::showNewTorrents()
{
    onPopupLeftClicked();
}

void NotifyWindows::startDownload(const DownloadRequest &request)
{
    m_downloads.startByHand(request);
    // An open "New Torrents" window shows the torrent downloaded.
    if (m_summary && m_summary->isVisible())
        m_summary->loadresults(!m_summary->rows().hideDownloadedChecked());
}

void NotifyWindows::openPage(const QString &address)
{
    m_services.shell->openUrl(address);
}

void NotifyWindows::createPopup(const PopupRequest &request)
{
    Services &services = m_services;
    auto *popup = new FrmVSPopUp(services);
    m_popup = popup;
    connect(popup, &FrmVSPopUp::unloaded, this, &NotifyWindows::onPopupUnloaded);
    connect(popup, &FrmVSPopUp::leftClicked, this, &NotifyWindows::onPopupLeftClicked);
    connect(popup, &FrmVSPopUp::otherClicked, this, &NotifyWindows::seticonnonew);
    popup->SetNumber(PopupAnimation::restingOffset(*services.screen));
    popup->setCaption(ToastText::line(request.text, request.tail));
    popup->showWithoutActivating();
}

void NotifyWindows::onPopupUnloaded()
{
    m_popup = nullptr;
    if (const std::optional<PopupRequest> next = m_queue.unloaded())
        createPopup(*next);
}

void NotifyWindows::onPopupLeftClicked()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->objectName() == QLatin1String("frmLogin") && w->isVisible())
            w->close();
    }
    if (!WindowHelpers::IsFormLoaded(QStringLiteral("frmTorrentInfo")))
        showSummary();
}

frmSummary &NotifyWindows::summaryWindow()
{
    if (!m_summary) {
        m_summary = new frmSummary(m_services, m_state, m_downloads);
        connect(m_summary, &frmSummary::acknowledged, this, &NotifyWindows::seticonnonew);
        connect(m_summary, &frmSummary::highlightfilter, this,
                [this](int slot) { m_host.highlightfilter(slot); });
    }
    return *m_summary;
}

frmTorrentInfo *NotifyWindows::torrentInfo() const
{
    return m_summary ? m_summary->torrentInfo() : nullptr;
}

void NotifyWindows::showSummary()
{
    frmSummary &summary = summaryWindow();
    summary.present();
    const qint16 hide = m_services.store->ReadSettingNumber(SettingName::SummaryHideDownloaded);
    summary.loadresults(SummaryRows::showAllFor(hide));
}

void NotifyWindows::seticonnonew()
{
    m_host.seticonnonew();
}

void NotifyWindows::closeTorrentInfo()
{
    if (frmTorrentInfo *info = torrentInfo())
        info->close();
}

void NotifyWindows::minimiseSummary()
{
    if (m_summary && m_summary->isVisible())
        m_summary->setWindowState(m_summary->windowState() | Qt::WindowMinimized);
}
