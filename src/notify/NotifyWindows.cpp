#include "notify/NotifyWindows.h"

#include "notify/frmSummary.h"
#include "notify/frmTorrentInfo.h"
#include "notify/FrmVSPopUp.h"
#include "notify/NotifyWindowsHost.h"
#include "notify/PopupAnimation.h"
#include "notify/ToastText.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/WindowHelpers.h"

#include <QApplication>

NotifyWindows::NotifyWindows(NotifyWindowsHost &host, Services &services, ProgramState &state,
                             DownloadWindows &downloads, QObject *parent)
    : QObject(parent), m_host(host), m_services(services), m_state(state), m_downloads(downloads)
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

void NotifyWindows::showPopup(const PopupRequest &request)
{
    if (m_queue.submit(request))
        createPopup(request);
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
    const qint16 hide =
        m_services.store->ReadSettingNumber(QStringLiteral("summary_hidedownloaded"));
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
