#pragma once

#include "search/SearchDatabaseHost.h"
#include "search/SearchResultModel.h"
#include "search/SearchSession.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class DownloadStarter;
class HttpTransfer;
class QLabel;
class QMenu;
class QTimer;
class SearchDatabase;
class SearchDatabaseProvider;
class SearchDatabaseUpdater;
struct ProgramState;
struct Services;

namespace Ui {
class frmSearch;
}

// "Search Torrents": finds torrents in the local copy of the site's torrent list by a piece of
// the name and a category, and downloads them or opens their pages. 10 ms after it opens it
// creates, updates or loads torrents.db (SearchDatabaseUpdater); every keystroke then lists the
// matches at once, newest first. The window deletes itself when it closes.
class frmSearch : public QWidget, public SearchDatabaseHost
{
    Q_OBJECT
public:
    static constexpr int Timer1IntervalMs = 10;
    static constexpr int ResizeIntervalMs = 30;
    // The smallest window, in twips, grown where its font needs more
    // (WindowHelpers::FontFittedMinimum).
    static constexpr int MinimumWidthTwips = 4290;
    static constexpr int MinimumHeightTwips = 3180;

    frmSearch(Services &services, ProgramState &state, SearchDatabaseProvider &provider,
              DownloadStarter &downloads, QWidget *parent = nullptr);
    ~frmSearch() override;

    // Runs the query of Text1 in the chosen category (see SearchSession for when it does
    // nothing); forced by the Search button.
    void search(bool forced);

    // The busy panel for the three kinds of work.
    void searching(bool on);
    void loading(bool on) override;
    void downloading(bool on) override;

    // Timer handlers: Timer1 (once, 10 ms after opening) brings the database up to date;
    // resize (30 ms after a resize) sets the column widths.
    void onTimer1Tick();
    void onResizeTick();
    // Control handlers.
    void onText1Changed(const QString &text);
    void onComboCatActivated(int index);
    void onCommand4Clicked();
    void onCommand3Clicked();
    void onHeaderClicked(int column);
    // The columns' widths in pixels at a list width in pixels: 8, 2 and 2 parts of the list
    // width less 345 twips.
    QList<int> columnWidths(int listWidth) const;
    // "Download Now" and "View Details" on the selected row.
    void onDownload();
    void onDetails();

    // Shows the window, restored when minimised, in front.
    void present();
    // The window was closed while its download ran and waits for the fetch to return.
    bool isClosing() const;

    SearchResultModel &model() { return m_model; }
    const SearchSession &session() const { return m_session; }
    SearchDatabaseUpdater &updater() { return *m_updater; }
    const std::shared_ptr<const SearchDatabase> &database() const { return m_database; }
    QMenu *mnuAction() const { return m_mnuAction; }
    QTimer *timer1() const { return m_timer1; }
    QTimer *resizeTimer() const { return m_resize; }
    // Status bar panel 1, 2 or 3.
    QLabel *panel(int number) const;

    // SearchDatabaseHost.
    void clearResults() override;
    void databaseLoaded(std::shared_ptr<const SearchDatabase> database) override;
    void closeWindow() override;
    bool retryDownload(SearchReply::Kind kind, SearchReply::Failure why) override;
    void databaseNotWritten() override;
    void passwordUnavailable(SearchReply::Kind kind) override;
    bool retryUnreadableDatabase() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Work
    {
        Searching,
        Loading,
        Downloading,
    };
    void busy(Work work, bool on);
    void centreFrame3();
    void setColumnWidths();
    void fitCategoryBox();
    void restoreSize();
    void saveSize();
    // The result of the selected row, or -1.
    int selectedResult() const;
    void download(int result);
    void details(int result);
    void onDoubleClick(const QPoint &pos);
    void showCount(int found);

    Services &m_services;
    ProgramState &m_state;
    SearchDatabaseProvider &m_provider;
    DownloadStarter &m_downloads;
    std::unique_ptr<Ui::frmSearch> m_ui;
    SearchResultModel m_model;
    SearchSession m_session;
    HttpTransfer *m_inet2;
    SearchDatabaseUpdater *m_updater;
    std::shared_ptr<const SearchDatabase> m_database;
    QMenu *m_mnuAction;
    QTimer *m_timer1;
    QTimer *m_resize;
    QLabel *m_panels[3];
    // The result of the last click on the list.
    int m_clickedResult = -1;
    // Where the keyboard was before a search disabled the controls.
    QPointer<QWidget> m_focusBeforeSearch;
};
