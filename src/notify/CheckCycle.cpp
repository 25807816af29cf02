#include "notify/CheckCycle.h"

#include "feed/FeedCheck.h"
#include "feed/TorrentDb.h"
#include "model/ProgramState.h"
#include "platform/DebugConsole.h"
#include "platform/Services.h"

#include <exception>

CheckCycle::CheckCycle(const Services &services, ProgramState &state,
                       FilterEngine::DownloadStarter startDownload)
    : m_services(services), m_state(state), m_startDownload(std::move(startDownload))
{
}

template <typename Stage> void CheckCycle::guarded(const QString &name, Stage &&stage)
{
    QString error;
    try {
        stage();
        return;
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        error = QStringLiteral("unknown error");
    }
    m_failed.append(name);
    if (m_services.log)
        m_services.log->debug_console(QStringLiteral("Error in the ") + name +
                                      QStringLiteral(" step: ") + error +
                                      QStringLiteral(". Continuing the check."));
}

AlertStage::Outcome CheckCycle::run(const FeedCheckContext &context, bool filtering, bool onetime)
{
    m_failed.clear();
    DebugConsole *log = m_services.log;

    guarded(QStringLiteral("torrent db"), [&] {
        TorrentDb db(m_state, *m_services.store, *m_services.clock, log,
                     m_services.config.programFile(QStringLiteral("torrents.db")));
        db.appendFromCheck(context.lastparsed);
    });

    guarded(QStringLiteral("filters"), [&] {
        FilterEngine engine(m_state, log, m_startDownload);
        engine.run(filtering, context.lastparsed);
    });

    AlertStage::Outcome outcome;
    bool alerted = false;
    guarded(QStringLiteral("alerts"), [&] {
        AlertStage alerts(m_state, *m_services.store, log);
        outcome = alerts.run(context.lastparsed, context.lastalerted, onetime);
        alerted = true;
    });
    if (!alerted) {
        // Without the alert stage's outcome the tray would keep spinning and say it is still
        // checking: show at least what is waiting.
        const ResultList &results = m_state.results;
        outcome = AlertStage::Outcome();
        outcome.lastalerted = context.lastalerted;
        outcome.alertAddress = m_state.AlertAddress;
        if (results.isEmpty()) {
            outcome.animation = QStringLiteral("stop");
            outcome.tooltip = QStringLiteral("No new torrents");
        } else {
            outcome.animation = QStringLiteral("stopnew");
            outcome.tooltip = results.size() == 1 ? AlertStage::singleTooltip(results.first().Name)
                                                  : QString::number(results.size()) +
                                                        QStringLiteral(" new torrents");
        }
        m_state.TrayTipText = outcome.tooltip;
    }
    return outcome;
}
