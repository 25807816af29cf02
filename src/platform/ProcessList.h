#pragma once

#include <QList>
#include <QString>

// One running process as the watched-program test sees it.
struct RunningProcess
{
    QString exeName; // base name of /proc/<pid>/exe (a Wine game shows its "game.exe" here)
    QString comm;    // /proc/<pid>/comm, which the kernel cuts to 15 characters
};

// The running programs, behind a seam so tests can say what runs.
class ProcessList
{
public:
    virtual ~ProcessList() = default;
    // An empty list when the processes cannot be read.
    virtual QList<RunningProcess> running() const = 0;
};

// Reads /proc.
class ProcFsProcessList : public ProcessList
{
public:
    explicit ProcFsProcessList(const QString &procRoot = QStringLiteral("/proc"))
        : m_procRoot(procRoot)
    {
    }
    QList<RunningProcess> running() const override;

private:
    QString m_procRoot;
};
