#pragma once

#include "platform/Shell.h"

#include <QList>
#include <QObject>

class DebugConsole;
class Dialogs;
class QProcess;

// Opens pages and files through the desktop: xdg-open, started asynchronously. Qt's openUrl
// reports a failure only when xdg-open itself is missing, so the answer is read from xdg-open:
// a failed start, or an exit status other than 0 within RefusalWindowMs, counts as refused.
// After that the program it started may run as long as the user keeps it (xdg-open often
// becomes the browser), and it is no longer watched, nor ever stopped.
//
// A refusal gets a debug-log line always and, when the user asked, the information box "No
// program on this computer opens <address>." (for a .torrent file its name, and where it was
// saved).
class DesktopShell : public QObject, public Shell
{
    Q_OBJECT
public:
    static constexpr int RefusalWindowMs = 10000;

    DesktopShell(Dialogs &dialogs, DebugConsole &log, QObject *parent = nullptr);

    void openUrl(const QString &url) override;
    void openFile(const QString &path, Asked asked) override;

    // The xdg-open processes still watched.
    const QList<QProcess *> &watched() const { return m_watched; }
    // The refusal window of one of them has passed: what it does from now on is no refusal.
    void stopWatching(QProcess *process);

private:
    // address: what the user is told cannot be opened; savedPath: a saved file's path.
    void launch(const QString &target, const QString &address, const QString &savedPath,
                Asked asked);
    void refused(const QString &address, const QString &savedPath, Asked asked,
                 const QString &reason);

    Dialogs &m_dialogs;
    DebugConsole &m_log;
    QList<QProcess *> m_watched;
};
