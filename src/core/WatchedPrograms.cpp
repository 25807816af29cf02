#include "core/WatchedPrograms.h"

#include "platform/ProcessList.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"

WatchedPrograms::Loaded WatchedPrograms::loadprocs(const SettingsStore &store)
{
    Loaded loaded;
    loaded.detect = store.ReadSettingNumber(SettingName::DetectProcs) != 0;
    const QString procs = store.ReadSettingText(SettingName::Procs);
    if (!procs.isEmpty()) {
        loaded.entries = procs.split(QLatin1Char(';'));
        loaded.rows = loaded.entries;
    }
    return loaded;
}

QString WatchedPrograms::joinForStorage(const QStringList &rows)
{
    return rows.join(QLatin1Char(';'));
}

bool WatchedPrograms::IsListedProcessRunning(const QStringList &watched,
                                             const ProcessList &processes)
{
    if (watched.isEmpty() || watched.last().isEmpty())
        return false;
    const QList<RunningProcess> running = processes.running();
    for (const RunningProcess &process : running) {
        for (const QString &name : watched) {
            if (name.isEmpty() || name == QLatin1String(" "))
                continue;
            if (!process.exeName.isEmpty() &&
                process.exeName.compare(name, Qt::CaseInsensitive) == 0)
                return true;
            if (!process.comm.isEmpty() &&
                process.comm.compare(name.left(15), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}
