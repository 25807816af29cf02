#include "notify/CheckCycle.h"

#include "feed/FeedCheck.h"
#include "feed/TorrentDb.h"
#include "model/ProgramState.h"
#include "platform/DebugConsole.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"

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
    // What the check stores (search_newest and search_updated after the append, lastalerted
    // and lastparsed) is one change of the settings file. Nothing inside waits for the user:
    // the downloads the filters ask for start once it is stored.
    SettingsStore::Batch batch(*m_services.store);
    QList<DownloadRequest> downloads;

    guarded(QStringLiteral("torrent db"), [&] {
        TorrentDb db(m_state, *m_services.store, *m_services.clock, log,
                     m_services.config.programFile(QStringLiteral("torrents.db")));
        db.appendFromCheck(context.lastparsed);
    });

    guarded(QStringLiteral("filters"), [&] {
        // A queued download counts as started; one that then cannot start is marked below.
        FilterEngine::DownloadStarter queue;
        if (m_startDownload) {
            queue = [&downloads](const DownloadRequest &r) {
                downloads.append(r);
                return true;
            };
        }
        FilterEngine engine(m_state, log, queue);
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
    outcome.stored = batch.commit() && outcome.stored;

    // One download that cannot start does not keep the others from starting. A download that
    // was passed over (its target is already downloading, the folder is missing) or failed to
    // start leaves its result marked as not downloaded.
    for (const DownloadRequest &request : std::as_const(downloads)) {
        bool started = false;
        guarded(QStringLiteral("download"), [&] { started = m_startDownload(request); });
        if (started)
            continue;
        for (MatchRecord &result : m_state.results) {
            if (result.Id == request.id)
                result.Downloaded = 0.0f;
        }
    }
    return outcome;
}
