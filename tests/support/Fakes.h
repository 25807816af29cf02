#pragma once

#include "feed/FeedCheckHost.h"
#include "platform/Clock.h"
#include "platform/Notifier.h"
#include "platform/ProcessList.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

#include <QStringList>

// A clock the test sets and moves.
class FakeClock : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &t) { m_now = t; }
    void advanceSeconds(qint64 s) { m_now = m_now.addSecs(s); }

private:
    QDateTime m_now{QDate(2026, 12, 6), QTime(14, 30, 0)};
};

// Records what the program asked the desktop to open.
class RecordingShell : public Shell
{
public:
    void openUrl(const QString &url) override { urls.append(url); }
    void openFile(const QString &path, Asked) override { files.append(path); }
    QStringList urls;
    QStringList files;
};

// Records the sounds played.
class RecordingSound : public Sound
{
public:
    void play(const QString &wavFile) override { played.append(wavFile); }
    QStringList played;
};

// Running programs as the test says.
class FakeProcessList : public ProcessList
{
public:
    QList<RunningProcess> running() const override { return processes; }
    void add(const QString &exeName, const QString &comm = QString())
    {
        processes.append({exeName, comm.isEmpty() ? exeName.left(15) : comm});
    }
    QList<RunningProcess> processes;
};

// Records the notices: "notify: " + text, and "withdraw".
class RecordingNotifier : public Notifier
{
public:
    void notify(const QString &title, const QString &text) override
    {
        titles.append(title);
        events.append(QStringLiteral("notify: ") + text);
    }
    void withdraw() override { events.append(QStringLiteral("withdraw")); }
    QStringList titles;
    QStringList events;
};

// A main window for a feed check: the animation words and tooltips it was given.
struct RecordingFeedHost : FeedCheckHost
{
    void checkanimation(const QString &word) override { words << word; }
    void setTrayTip(const QString &text) override { tips << text; }
    void setStatusText(const QString &text) override { statuses << text; }
    void showNextCheckStatus() override {}
    QStringList words;
    QStringList tips;
    QStringList statuses;
};
