#pragma once

#include "filters/FilterEngine.h"
#include "notify/AlertStage.h"

struct FeedCheckContext;
struct ProgramState;
struct Services;

// What a feed check does once its reply is parsed (the rows are in ProgramState::feed): the
// torrents.db append, the filters and the alert stage, in that order. The values they store
// are written to the settings file as one change at the end; then the downloads that Download
// filters asked for are started through the given starter, in the filters' order.
//
// Each stage runs on its own: an error thrown inside one (a failed allocation, a starter that
// throws) is written to the debug log and the next stage still runs, so the check always
// stores its bookkeeping and shows its outcome. Nothing is thrown out of run(). A failed
// torrents.db write is only logged; the file keeps its old length (see TorrentDb).
class CheckCycle
{
public:
    CheckCycle(const Services &services, ProgramState &state,
               FilterEngine::DownloadStarter startDownload);

    // filtering: the "Filter Torrents?" switch; onetime: alert each result only once.
    AlertStage::Outcome run(const FeedCheckContext &context, bool filtering, bool onetime);

    // Stages that ended with an error in the last run ("torrent db", "filters", "alerts", and
    // "download" once for each download that could not start).
    const QStringList &failedStages() const { return m_failed; }

private:
    template <typename Stage> void guarded(const QString &name, Stage &&stage);

    const Services &m_services;
    ProgramState &m_state;
    FilterEngine::DownloadStarter m_startDownload;
    QStringList m_failed;
};
