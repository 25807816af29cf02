#include "platform/ProcessList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QList<RunningProcess> ProcFsProcessList::running() const
{
    QList<RunningProcess> result;
    QDir proc(m_procRoot);
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        RunningProcess p;
        const QString base = proc.absoluteFilePath(entry);
        // The exe link of another user's process cannot be read; comm still can.
        const QString target = QFileInfo(base + QStringLiteral("/exe")).symLinkTarget();
        if (!target.isEmpty()) {
            QString name = QFileInfo(target).fileName();
            if (name.endsWith(QStringLiteral(" (deleted)")))
                name.chop(10);
            p.exeName = name;
        }
        QFile comm(base + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))
            p.comm = QString::fromLocal8Bit(comm.readAll()).trimmed();
        if (!p.exeName.isEmpty() || !p.comm.isEmpty())
            result.append(p);
    }
    return result;
}
