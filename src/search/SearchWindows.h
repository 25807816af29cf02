#pragma once

#include "search/SearchDatabaseProvider.h"
#include "search/SearchOpener.h"

#include <QList>
#include <QObject>
#include <QPointer>

class DownloadStarter;
class frmSearch;
struct ProgramState;
struct Services;

// The search window of the program, one at a time, shown modeless without an owner, and the
// program-wide holder of the torrents.db snapshot it loads (databases()), from which other
// windows may take it. Owned by the application.
class SearchWindows : public QObject, public SearchOpener
{
    Q_OBJECT
public:
    // downloads: where the window's downloads start.
    SearchWindows(Services &services, ProgramState &state, DownloadStarter &downloads,
                  QObject *parent = nullptr);
    ~SearchWindows() override;

    // Creates the window, or brings the open one forward. A window that is only waiting for
    // its cancelled download to return before it closes counts as gone.
    void showSearchWindow() override;
    // The open window, or null.
    frmSearch *window() const;
    SearchDatabaseProvider &databases() { return m_databases; }

private:
    Services &m_services;
    ProgramState &m_state;
    DownloadStarter &m_downloads;
    SearchDatabaseProvider m_databases;
    QPointer<frmSearch> m_window;
    // Every window made, the one closing after its cancelled download included.
    QList<QPointer<frmSearch>> m_made;
};
