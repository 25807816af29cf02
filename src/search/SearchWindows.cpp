#include "search/SearchWindows.h"

#include "platform/Services.h"
#include "search/frmSearch.h"

SearchWindows::SearchWindows(Services &services, ProgramState &state, DownloadStarter &downloads,
                             QObject *parent)
    : QObject(parent), m_services(services), m_state(state), m_downloads(downloads),
      m_databases(services.config.programFile(QStringLiteral("torrents.db")))
{
}

SearchWindows::~SearchWindows()
{
    for (const QPointer<frmSearch> &window : std::as_const(m_made))
        delete window;
}

frmSearch *SearchWindows::window() const
{
    return m_window && !m_window->isClosing() ? m_window.data() : nullptr;
}

void SearchWindows::showSearchWindow()
{
    if (frmSearch *open = window()) {
        open->present();
        return;
    }
    m_made.removeAll(nullptr);
    m_window = new frmSearch(m_services, m_state, m_databases, m_downloads);
    m_made.append(m_window);
    m_window->present();
}
