#pragma once

#include "notify/SummaryRows.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QMenu;
class QTimer;
class QTreeWidgetItem;
class DownloadWindows;
class frmTorrentInfo;
struct ProgramState;
struct Services;

namespace Ui {
class frmSummary;
}

// "New Torrents": the accepted torrents waiting for acknowledgement, newest first. From it the
// user downloads a .torrent file by hand, opens a torrent's page on the site, or asks which
// filter accepted it. Closing the window in any way acknowledges the results.
//
// Every row keeps the key and id of its result (SummaryRows) and finds the result again
// before each action: a row whose result is gone (acknowledged by a right click on a popup,
// or replaced) refreshes the list instead of acting on another torrent. With no row selected
// the actions do nothing.
class frmSummary : public QWidget
{
    Q_OBJECT
public:
    // The smallest window, grown where its font needs more (WindowHelpers::FontFittedMinimum).
    static constexpr QSize MinimumSize{639, 182};
    static constexpr int ResizeIntervalMs = 30;

    // downloads: where "Download Now" starts its download; a result whose download ends
    // without a saved file shows "none" again.
    frmSummary(Services &services, ProgramState &state, DownloadWindows &downloads,
               QWidget *parent = nullptr);
    ~frmSummary() override;

    // Fills the list from the result list: every result with showAll, otherwise only those
    // not downloaded. Sets the caption, the hide box and the buttons; leaves no row selected.
    void loadresults(bool showAll);
    // Shows the window: a hidden one at its stored size, a minimised one restored.
    void present();

    // The row actions, on the selected row ("Download Now", "View Details", "Filter Info").
    void onDownloadNow();
    void onViewDetails();
    void onFilterInfo();
    // The hide box was clicked.
    void onCheck1Clicked(bool checked);
    // The resize timer: column widths from the list's width, and a window above the screen
    // centred.
    void onResizeTick();
    void onHeaderClicked(int column);
    // The columns' widths in pixels at a list width in pixels: 5.3, 1.6, 1.5 and 1.6 parts of
    // 10.1, the last less 222 twips.
    QList<int> columnWidths(int listWidth) const;

    const SummaryRows &rows() const { return m_rows; }
    QMenu *mnuAction() const { return m_mnuAction; }
    QTimer *resizeTimer() const { return m_resize; }
    // The "Filter Info" window; null until first opened.
    frmTorrentInfo *torrentInfo() const;

signals:
    // The window closed: the results are acknowledged.
    void acknowledged();
    // "Show me this filter" in the Filter Info window.
    void highlightfilter(int slot);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeWidgetItem *selectedRow() const;
    // The row an item stands for, or null.
    const SummaryRows::Row *rowOf(const QTreeWidgetItem *item) const;
    // The position of the item's result, or -1 after refreshing the list when it is gone.
    int positionOrRefresh(const QTreeWidgetItem *item);
    void refresh();
    void downloadNow(QTreeWidgetItem *item);
    void viewDetails(const QTreeWidgetItem *item);
    void filterInfo(const QTreeWidgetItem *item);
    void onDoubleClick(const QPoint &pos);
    void restoreSize();
    void saveSize();

    Services &m_services;
    ProgramState &m_state;
    DownloadWindows &m_downloads;
    std::unique_ptr<Ui::frmSummary> m_ui;
    QMenu *m_mnuAction;
    QTimer *m_resize;
    QPointer<frmTorrentInfo> m_info;
    SummaryRows m_rows;
    // The row of the last click on the list and the button of the last press.
    QTreeWidgetItem *m_clickedRow = nullptr;
    Qt::MouseButton m_lastButton = Qt::NoButton;
};
