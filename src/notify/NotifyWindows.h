#pragma once

#include "notify/PopupQueue.h"

#include <QObject>
#include <QPointer>

class DownloadWindows;
class FrmVSPopUp;
class NotifyWindowsHost;
class frmSummary;
class frmTorrentInfo;
struct ProgramState;
struct Services;

// The program-wide notification windows, owned by the application so that they outlive a
// reloaded main window: the popup with its queue (one popup on screen at a time; the next
// announcement shows when the previous popup has unloaded) and the one "New Torrents" window,
// created on first use, with its "Filter Info" window.
class NotifyWindows : public QObject
{
    Q_OBJECT
public:
    // downloads: where the summary window's downloads start.
    NotifyWindows(NotifyWindowsHost &host, Services &services, ProgramState &state,
                  DownloadWindows &downloads, QObject *parent = nullptr);
    ~NotifyWindows() override;

    // Shows the announcement now, or once the popups before it have unloaded. Returns at once.
    void showPopup(const PopupRequest &request);
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

private:
    void createPopup(const PopupRequest &request);
    void onPopupUnloaded();
    void onPopupLeftClicked();

    NotifyWindowsHost &m_host;
    Services &m_services;
    ProgramState &m_state;
    DownloadWindows &m_downloads;
    PopupQueue m_queue;
    QPointer<FrmVSPopUp> m_popup;
    QPointer<frmSummary> m_summary;
};
