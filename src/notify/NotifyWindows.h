#pragma once

#include "notify/DesktopNotificationsHost.h"
#include "notify/PopupQueue.h"

#include <QObject>
#include <QPointer>

#include <memory>

class DesktopNotifications;
class DownloadWindows;
class FrmVSPopUp;
class NotifyWindowsHost;
class frmSummary;
class frmTorrentInfo;
struct ProgramState;
struct Services;

// The program-wide notification windows, owned by the application so that they outlive a
// reloaded main window: the popup with its queue (one popup on screen at a time; the next
// announcement shows when the previous popup has unloaded), or the desktop notifications that
// take its place (the notifystyle option, AlertStyle), and the one "New Torrents" window,
// created on first use, with its "Filter Info" window.
//
// Where no notification server answers, an alert shows in the popup on X11; on native Wayland,
// where the popup cannot be placed, in the tray icon's message or the options window's line
// that stands in for a missing tray (the tooltip already counts the new torrents).
class NotifyWindows : public QObject, public DesktopNotificationsHost
{
    Q_OBJECT
public:
    // downloads: where the summary window's downloads start.
    NotifyWindows(NotifyWindowsHost &host, Services &services, ProgramState &state,
                  DownloadWindows &downloads, QObject *parent = nullptr);
    ~NotifyWindows() override;

    // Tells the user of new torrents the way the options and the desktop ask for. Returns at
    // once.
    void announce(const Announcement &announcement);
    // Shows the announcement now, or once the popups before it have unloaded. Returns at once.
    void showPopup(const PopupRequest &request);
    DesktopNotifications &desktopNotifications() { return *m_notifications; }
    // The popup on screen, if any.
    FrmVSPopUp *popup() const;
    const PopupQueue &popupQueue() const { return m_queue; }

    // The summary window, created on first use.
    frmSummary &summaryWindow();
    // Null until first used.
    frmSummary *summary() const;
    // The "Filter Info" window, if one was opened.
    frmTorrentInfo *torrentInfo() const;

    // Shows the summary window (restored when minimised) and loads the results: all of them
    // when the stored summary_hidedownloaded is 0, otherwise those not downloaded.
    void showSummary();
    // The acknowledgement of the results, through the main window when there is one (the
    // host's answer).
    void seticonnonew();
    // For highlightfilter: the Filter Info window closes, the summary window is minimised.
    void closeTorrentInfo();
    void minimiseSummary();

    // DesktopNotificationsHost.
    void showNewTorrents() override;
    void startDownload(const DownloadRequest &request) override;
    void openPage(const QString &address) override;
    void notificationFailed(const Announcement &announcement, const QString &reason) override;

private:
    void createPopup(const PopupRequest &request);
    void onPopupUnloaded();
    void onPopupLeftClicked();

    NotifyWindowsHost &m_host;
    Services &m_services;
    ProgramState &m_state;
    DownloadWindows &m_downloads;
    PopupQueue m_queue;
    std::unique_ptr<DesktopNotifications> m_notifications;
    QPointer<FrmVSPopUp> m_popup;
    QPointer<frmSummary> m_summary;
};
