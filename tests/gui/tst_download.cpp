#include "download/ActiveDownloads.h"
#include "download/DownloadTarget.h"
#include "download/frmDownload.h"
#include "platform/HttpTransfer.h"
#include "platform/TextUtils.h"
#include "platform/WindowHelpers.h"
#include "TestEnv.h"
#include "TestSite.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// The download window against the local test site: the login exchange, the saved file, every
// failure and its retry countdown, cancelling, and file names from the site that try to leave
// the torrent folder.
class TestDownload : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<TestSite> m_site;
    ActiveDownloads m_downloads;
    QString m_folder; // the torrent folder, three levels below the program folder
    QList<QPointer<frmDownload>> m_windows;

    static constexpr int Id = 700007;

    QPointer<frmDownload> start(const QString &target, const QString &user = "demo",
                                const QString &password = "demo", int id = Id,
                                const QString &name = "Some Movie 2008")
    {
        auto *window = new frmDownload(m_env->services, m_downloads);
        m_windows.append(window);
        window->show();
        QString texts[] = {DownloadUrlPath(id), target, user, password, name};
        window->DownloadFile(texts[0], texts[1], texts[2], texts[3], texts[4]);
        return window;
    }
    QString fileNameOf(int id) const { return m_site->catalogue().torrent(id)->fileName; }
    QByteArray torrentBytes(int id, const QString &user = "demo") const
    {
        return m_site->server().pages().torrentFile(*m_site->catalogue().torrent(id),
                                                    *m_site->catalogue().user(user));
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList folderFiles() const
    {
        return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    template <typename T> static T *control(QWidget *window, const char *name)
    {
        T *child = window->findChild<T *>(QLatin1String(name));
        if (!child)
            qFatal("no control %s", name);
        return child;
    }
    static QString text(QWidget *window, const char *name)
    {
        return control<QLabel>(window, name)->text();
    }
    static QString status(QWidget *window) { return text(window, "Label4"); }
    static bool statusIsRed(QWidget *window)
    {
        return control<QLabel>(window, "Label4")->palette().color(QPalette::WindowText) ==
               QColor(255, 0, 0);
    }
    static bool timerRunning(QWidget *window, const char *name)
    {
        return control<QTimer>(window, name)->isActive();
    }
    static void ticks(int count, const std::function<void()> &tick)
    {
        for (int i = 0; i < count; ++i)
            tick();
    }
    // Runs action once condition holds, checked from the event loop, so that it also runs
    // while the window's receive loop waits for data.
    static void whenever(QTimer &poll, std::function<bool()> condition,
                         std::function<void()> action)
    {
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, [&poll, condition, action] {
            if (!condition())
                return;
            poll.stop();
            action();
        });
        poll.start();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        m_env->useSite(m_site->baseUrl());
        m_folder = m_env->folder() + QStringLiteral("a/b/torrents/");
        QVERIFY(QDir().mkpath(m_folder));
        m_downloads.clear();
    }
    void cleanup()
    {
        for (const QPointer<frmDownload> &window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
        QVERIFY2(m_env->problems().isEmpty(), qPrintable(m_env->problems()));
        QCOMPARE(m_env->endProgramCalls, QList<int>());
        m_site.reset();
        m_env.reset();
    }

    void loginFetchesTheFileAndOpensIt_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("earlier"); // a file of the same name, replaced
        const QByteArray tail = "&login=Log+in&returnto=/download.php?id=700007\r\n";
        // clang-format off
        QTest::newRow("demo") << "demo" << "demo" << "username=demo&password=demo" + tail
            << QByteArray();
        QTest::newRow("credentials that need encoding, earlier file") << "jo smith" << "p&ss=w~rd.-_"
            << "username=jo+smith&password=p%26ss%3Dw%7Erd%2E%2D%5F" + tail
            << QByteArray("d8:announce4:old!e");
        // clang-format on
    }
    void loginFetchesTheFileAndOpensIt()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, earlier);
        if (user != QLatin1String("demo"))
            m_site->catalogue().addUser(user, password);
        const QString target = m_folder + fileNameOf(Id);
        if (!earlier.isEmpty())
            write(target, earlier);
        QPointer<frmDownload> window = start(target, user, password);
        QCOMPARE(m_downloads.paths(), QStringList{target});
        QCOMPARE(status(window), QStringLiteral("Status: Connecting..."));

        QTRY_VERIFY(window.isNull());
        QCOMPARE(contents(target), torrentBytes(Id, user));
        QCOMPARE(m_env->shell.files, QStringList{target});
        QCOMPARE(folderFiles(), QStringList{fileNameOf(Id)});
        QCOMPARE(m_downloads.count(), 0);

        const QList<SiteRequest> seen = m_site->requests();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].method, QByteArray("POST"));
        QCOMPARE(seen[0].target, QByteArray("/takelogin.php"));
        QCOMPARE(seen[0].body, body);
        QCOMPARE(seen[0].header("Referer"),
                 (m_site->baseUrl() + QStringLiteral("/download.php?id=700007")).toLatin1());
        QCOMPARE(seen[0].header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(seen[0].header("User-Agent"), QByteArray("Pollwick Autodownloader - 1.3.512"));
        QCOMPARE(seen[1].target, QByteArray("/download.php?id=700007"));
        QVERIFY(!seen[1].cookie.isEmpty());
    }

    void severalDownloadsRunAtOnce()
    {
        const QList<int> ids{700003, 700011, 700029};
        QList<QPointer<frmDownload>> windows;
        for (int id : ids)
            windows.append(start(m_folder + fileNameOf(id), "demo", "demo", id));
        QCOMPARE(m_downloads.count(), 3);
        for (const QPointer<frmDownload> &window : windows)
            QTRY_VERIFY(window.isNull());
        for (int id : ids)
            QCOMPARE(contents(m_folder + fileNameOf(id)), torrentBytes(id));
        QCOMPARE(m_env->shell.files.size(), 3);
        QCOMPARE(m_downloads.count(), 0);
    }

    void sameTargetInOtherLetterCaseIsRefused()
    {
        m_site->misbehave(QStringLiteral("/download.php"), SiteMisbehaviour::Stall);
        QPointer<frmDownload> first = start(m_folder + QStringLiteral("Movie.torrent"));
        QPointer<frmDownload> second = start(m_folder + QStringLiteral("mOVIE.TORRENT"));
        const ScriptedDialogs::Shown box = m_env->dialogs.take();
        QCOMPARE(box.caption, QStringLiteral("Pollwick"));
        QCOMPARE(box.text,
                 QStringLiteral("Unable to download file. File is already being downloaded."));
        QCOMPARE(box.icon, Dialogs::Information);
        QTRY_VERIFY(second.isNull());
        QVERIFY(first);
        QCOMPARE(m_downloads.paths(), QStringList{m_folder + QStringLiteral("Movie.torrent")});
        QTRY_COMPARE(m_site->requestsTo(QStringLiteral("/download.php")).size(), 1);
        QCOMPARE(m_site->requestsTo(QStringLiteral("/takelogin.php")).size(), 1);
    }

    void missingFolderClosesOnlyThisWindow()
    {
        QPointer<frmDownload> window = start(m_env->folder() + QStringLiteral("gone/x.torrent"));
        const ScriptedDialogs::Shown box = m_env->dialogs.take();
        QCOMPARE(box.caption, QStringLiteral("Critical Error"));
        QCOMPARE(box.text,
                 QStringLiteral("Pollwick was unable to save the .torrent file to the "
                                "path you have specified.\r\nPlease check to see if the "
                                "path is correct, and the appropriate permissions exist. "));
        QCOMPARE(box.icon, Dialogs::Critical);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(m_downloads.count(), 0);
        QVERIFY(m_site->requests().isEmpty());
        // cleanup() checks that the program was not ended.
    }

    void failedAttemptCountsDownAndRetries_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("statusText"); // ends in "*": a prefix
        // clang-format off
        QTest::newRow("file not found") << "404" << "Status: Failed. File not found on server.";
        QTest::newRow("unresolvable host") << "unresolvable" << "Status: Failed. (*";
        QTest::newRow("connection refused") << "refused" << "Status: Failed. (*";
        QTest::newRow("closed without an answer") << "closed" << "Status: Failed. (*";
        QTest::newRow("empty reply") << "empty" << "Status: Failed. (The site sent an empty file)";
        QTest::newRow("server error") << "500"
            << "Status: Failed. (HTTP/1.1 500 Internal Server Error)";
        // clang-format on
    }
    void failedAttemptCountsDownAndRetries()
    {
        QFETCH(QString, failure);
        QFETCH(QString, statusText);
        if (failure == QLatin1String("404"))
            m_site->misbehave(QStringLiteral("/download.php"), SiteMisbehaviour::NotFound);
        else if (failure == QLatin1String("unresolvable"))
            m_env->useSite(QStringLiteral("http://no-such-host.invalid"));
        else if (failure == QLatin1String("refused"))
            m_env->useSite(TestSite::unusedPortUrl());
        else if (failure == QLatin1String("closed"))
            m_site->misbehave(QStringLiteral("/download.php"), SiteMisbehaviour::Refuse);
        else if (failure == QLatin1String("empty"))
            m_site->misbehave(QStringLiteral("/download.php"), SiteMisbehaviour::Empty);
        else
            m_site->setRawReply(QStringLiteral("/download.php"), 500, "Sorry");
        const QString target = m_folder + fileNameOf(Id);
        QPointer<frmDownload> window = start(target);

        QTRY_VERIFY(timerRunning(window, "retry"));
        if (statusText.endsWith(QLatin1Char('*'))) {
            QVERIFY2(status(window).startsWith(statusText.chopped(1)), qPrintable(status(window)));
            QVERIFY(status(window).size() > statusText.size() + 1); // the error text is shown
        } else {
            QCOMPARE(status(window), statusText);
        }
        QVERIFY(statusIsRed(window));
        QVERIFY(!timerRunning(window, "timeouttimer"));
        QVERIFY(!control<HttpTransfer>(window, "inetDownloadFile")->StillExecuting());
        QCOMPARE(folderFiles(), QStringList());
        QCOMPARE(m_env->shell.files, QStringList());
        QCOMPARE(m_downloads.paths(), QStringList{target});

        // The site recovers; the countdown runs out and the next attempt succeeds.
        m_site->clearMisbehaviour();
        m_env->useSite(m_site->baseUrl());
        window->onRetryTick();
        QCOMPARE(text(window, "Label7"), QStringLiteral("Retry in 60"));
        ticks(59, [&] { window->onRetryTick(); });
        QCOMPARE(text(window, "Label7"), QStringLiteral("Retry in 1"));
        window->onRetryTick();
        QCOMPARE(text(window, "Label7"), QStringLiteral("Retrying"));
        QVERIFY(!statusIsRed(window));
        QCOMPARE(status(window), QStringLiteral("Status: Connecting..."));
        QTRY_VERIFY(window.isNull());
        QCOMPARE(contents(target), torrentBytes(Id));
        QCOMPARE(m_env->shell.files, QStringList{target});
        QCOMPARE(m_downloads.count(), 0);
    }

    void stalledSiteTimesOutAndRetries_data()
    {
        QTest::addColumn<bool>("headersFirst");
        // clang-format off
        QTest::newRow("no answer at all") << false;
        // The receive loop is waiting for the body when the countdown ends.
        QTest::newRow("some of the body, then silence") << true;
        // clang-format on
    }
    void stalledSiteTimesOutAndRetries()
    {
        QFETCH(bool, headersFirst);
        SiteMisbehaviour stall;
        stall.prefix = QStringLiteral("/download.php");
        stall.kind = headersFirst ? SiteMisbehaviour::StallAfterHeaders : SiteMisbehaviour::Stall;
        stall.remaining = 1;
        stall.bodyBytes = 100; // less than a piece: the receive loop waits for more
        m_site->addMisbehaviour(stall);
        const QString target = m_folder + fileNameOf(Id);
        const qint64 size = torrentBytes(Id).size();
        QPointer<frmDownload> window = start(target);
        QProgressBar *bar = control<QProgressBar>(window, "ProgressBar1");

        bool driven = false;
        QTimer poll;
        whenever(
            poll,
            [&] {
                return headersFirst
                           ? bar->maximum() == size
                           : !m_site->requestsTo(QStringLiteral("/download.php")).isEmpty();
            },
            [&] {
                driven = true;
                ticks(29, [&] { window->onTimeoutTimerTick(); });
                QCOMPARE(status(window), QStringLiteral("Status: Connecting..."));
                window->onTimeoutTimerTick();
                QCOMPARE(status(window),
                         QStringLiteral("Status: Failed to download torrent. Timeout exceeded."));
                QVERIFY(statusIsRed(window));
                QVERIFY(!timerRunning(window, "timeouttimer"));
                QVERIFY(timerRunning(window, "retry"));
                ticks(60, [&] { window->onRetryTick(); });
                QCOMPARE(text(window, "Label7"), QStringLiteral("Retry in 1"));
                window->onRetryTick();
            });
        QTRY_VERIFY(driven);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(contents(target), torrentBytes(Id));
        QCOMPARE(folderFiles(), QStringList{fileNameOf(Id)});
        QCOMPARE(m_site->requestsTo(QStringLiteral("/takelogin.php")).size(), 2);
        QCOMPARE(m_downloads.count(), 0);
    }

    void fiveFailedAttemptsEndQuietly()
    {
        m_site->misbehave(QStringLiteral("/download.php"), SiteMisbehaviour::NotFound);
        QPointer<frmDownload> window = start(m_folder + fileNameOf(Id));
        for (int attempt = 1; attempt <= 5; ++attempt) {
            QTRY_COMPARE(m_site->requestsTo(QStringLiteral("/download.php")).size(), attempt);
            QTRY_VERIFY(timerRunning(window, "retry"));
            QCOMPARE(status(window), QStringLiteral("Status: Failed. File not found on server."));
            window->onRetryTick();
            QCOMPARE(text(window, "Label7"),
                     attempt < 5 ? QStringLiteral("Retry in 60") : QString());
            ticks(60, [&] { window->onRetryTick(); });
        }
        QVERIFY(window);
        QVERIFY(!timerRunning(window, "retry"));
        QVERIFY(!control<HttpTransfer>(window, "inetDownloadFile")->StillExecuting());
        QCOMPARE(text(window, "Label7"), QString());
        QVERIFY(statusIsRed(window));
        QCOMPARE(m_site->requestsTo(QStringLiteral("/takelogin.php")).size(), 5);
        QCOMPARE(folderFiles(), QStringList());
    }

    void theBodyDecidesTheOutcome_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("earlier"); // a file of the same name before the download
        QTest::addColumn<QString>("outcome");    // "opened", "short" or "page"
        QTest::addColumn<QString>("onDisk");     // "torrent", "earlier", "page", "answer", "none"
        const QByteArray earlier = "d8:announce4:good4:infod4:name1:xee";
        // clang-format off
        QTest::newRow("short body") << "truncated" << QByteArray() << "short" << "none";
        QTest::newRow("short body, earlier file survives") << "truncated" << earlier << "short"
            << "earlier";
        QTest::newRow("no Content-Length") << "no length" << QByteArray() << "opened" << "torrent";
        QTest::newRow("login failed") << "login failed" << QByteArray() << "page" << "page";
        QTest::newRow("login failed, earlier torrent kept") << "login failed" << earlier << "page"
            << "earlier";
        QTest::newRow("unrelated page") << "<html><body>Hi</body></html>" << QByteArray() << "page"
            << "page";
        // Only the exact tag counts.
        QTest::newRow("capital tag") << "<HTML>not a page" << QByteArray() << "opened" << "answer";
        // clang-format on
    }
    void theBodyDecidesTheOutcome()
    {
        QFETCH(QString, answer);
        QFETCH(QByteArray, earlier);
        QFETCH(QString, outcome);
        QFETCH(QString, onDisk);
        const QString target = m_folder + fileNameOf(Id);
        if (!earlier.isEmpty())
            write(target, earlier);
        const QString file = QStringLiteral("/download.php");
        if (answer == QLatin1String("truncated"))
            m_site->misbehave(file, SiteMisbehaviour::Truncated);
        else if (answer == QLatin1String("no length"))
            m_site->misbehave(file, SiteMisbehaviour::NoContentLength);
        else if (answer.startsWith(QLatin1Char('<')))
            m_site->scriptReply(file, answer.toLatin1());
        QPointer<frmDownload> window =
            start(target, "demo", answer == QLatin1String("login failed") ? "wrong" : "demo");

        if (outcome == QLatin1String("opened")) {
            QTRY_VERIFY(window.isNull());
            QCOMPARE(m_env->shell.files, QStringList{target});
        } else {
            QTRY_VERIFY(statusIsRed(window));
            QVERIFY(!timerRunning(window, "retry")); // neither case is retried
            QCOMPARE(m_env->shell.files, QStringList());
            if (outcome == QLatin1String("short")) {
                QCOMPARE(status(window), QStringLiteral("Status: Receiving File "));
            } else {
                QCOMPARE(window->windowTitle(), QStringLiteral("Download Failed"));
                QCOMPARE(status(window), QStringLiteral("Status: Failed to download torrent. "
                                                        "Site returned unexpected data."));
                QCOMPARE(text(window, "info_remaining"), QString());
            }
        }
        const QByteArray saved = contents(target);
        if (onDisk == QLatin1String("torrent"))
            QCOMPARE(saved, torrentBytes(Id));
        else if (onDisk == QLatin1String("earlier"))
            QCOMPARE(saved, earlier);
        else if (onDisk == QLatin1String("page"))
            QVERIFY(saved.startsWith("<html>"));
        else if (onDisk == QLatin1String("answer"))
            QCOMPARE(saved, answer.toLatin1());
        else
            QCOMPARE(saved, QByteArray("<missing>"));
        QCOMPARE(folderFiles(),
                 onDisk == QLatin1String("none") ? QStringList() : QStringList{fileNameOf(Id)});
    }

    void progressWhileReceiving()
    {
        SiteMisbehaviour part;
        part.prefix = QStringLiteral("/download.php");
        part.kind = SiteMisbehaviour::StallAfterHeaders;
        part.bodyBytes = 2048;
        m_site->addMisbehaviour(part);
        const qint64 size = torrentBytes(Id).size();
        QVERIFY(size > 3000);
        QPointer<frmDownload> window = start(m_folder + fileNameOf(Id));
        QProgressBar *bar = control<QProgressBar>(window, "ProgressBar1");
        bool checked = false;
        QTimer poll;
        whenever(
            poll, [&] { return bar->value() == 2048; },
            [&] {
                checked = true;
                QCOMPARE(bar->maximum(), int(size));
                QCOMPARE(status(window), QStringLiteral("Status: Receiving File "));
                QCOMPARE(
                    text(window, "info_downloaded"),
                    QStringLiteral("(2 KB of %1 KB downloaded)").arg(std::llround(size / 1024.0)));
                QLabel *progress = control<QLabel>(window, "info_downloaded");
                QVERIFY(progress->isVisible());
                QVERIFY(progress->x() > control<QLabel>(window, "Label4")->geometry().right());
                QVERIFY(timerRunning(window, "speed"));
                QVERIFY(!timerRunning(window, "timeouttimer"));
                window->onSpeedTick();
                QVERIFY(QRegularExpression(QStringLiteral("^Transfer rate: \\d+\\.\\d KB/Sec$"))
                            .match(text(window, "Label6"))
                            .hasMatch());
                QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
            });
        QTRY_VERIFY(checked);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(folderFiles(), QStringList());
    }

    void cancelStopsEverythingAtOnce_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<bool>("closeBox");
        // clang-format off
        for (const char *phase : {"connecting", "counting down", "receiving"}) {
            QTest::addRow("%s, Cancel button", phase) << phase << false;
            QTest::addRow("%s, close box", phase) << phase << true;
        }
        // clang-format on
    }
    void cancelStopsEverythingAtOnce()
    {
        QFETCH(QString, phase);
        QFETCH(bool, closeBox);
        const auto misbehaviour = phase == QLatin1String("connecting") ? SiteMisbehaviour::Stall
                                  : phase == QLatin1String("counting down")
                                      ? SiteMisbehaviour::NotFound
                                      : SiteMisbehaviour::SlowDrip;
        m_site->setDripPace(64, 20);
        m_site->misbehave(QStringLiteral("/download.php"), misbehaviour);
        QPointer<frmDownload> window = start(m_folder + fileNameOf(Id));
        const auto cancel = [&] {
            if (closeBox)
                window->close();
            else
                QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
        };
        const auto ready = [&] {
            if (phase == QLatin1String("connecting"))
                return !m_site->requestsTo(QStringLiteral("/download.php")).isEmpty();
            if (phase == QLatin1String("counting down"))
                return timerRunning(window, "retry");
            return status(window) == QStringLiteral("Status: Receiving File ");
        };
        bool cancelled = false;
        QTimer poll;
        whenever(poll, ready, [&] {
            cancelled = true;
            cancel();
            QCOMPARE(m_downloads.count(), 0);
            QVERIFY(!timerRunning(window, "retry"));
            QVERIFY(!timerRunning(window, "timeouttimer"));
            QVERIFY(!control<HttpTransfer>(window, "inetDownloadFile")->StillExecuting());
        });
        QTRY_VERIFY(cancelled);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(folderFiles(), QStringList());
        QCOMPARE(m_env->shell.files, QStringList());
    }

    void siteFileNamesStayInTheFolder_data()
    {
        QTest::addColumn<QString>("siteName");
        QTest::addColumn<bool>("builtWithPath"); // the caller used DownloadTarget::path
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("opened");
        // clang-format off
        QTest::newRow("climbs out, as given") << "../../x.torrent" << false << "x.torrent" << true;
        QTest::newRow("climbs out, built") << "../../x.torrent" << true << "x.torrent" << true;
        QTest::newRow("sub-folder, built") << "a/b.torrent" << true << "b.torrent" << true;
        QTest::newRow("hidden, as given") << ".hidden.torrent" << false << "hidden.torrent" << true;
        QTest::newRow("desktop entry") << "evil.desktop" << false << "evil.desktop" << false;
        // clang-format on
    }
    void siteFileNamesStayInTheFolder()
    {
        QFETCH(QString, siteName);
        QFETCH(bool, builtWithPath);
        QFETCH(QString, saved);
        QFETCH(bool, opened);
        const QString target =
            builtWithPath ? DownloadTarget::path(m_folder, siteName) : m_folder + siteName;
        QPointer<frmDownload> window = start(target);
        QCOMPARE(window->targetPath(), m_folder + saved);
        if (opened) {
            QTRY_VERIFY(window.isNull());
            QCOMPARE(m_env->shell.files, QStringList{m_folder + saved});
        } else {
            QTRY_COMPARE(window->windowTitle(), QStringLiteral("Download Complete"));
            QCOMPARE(status(window), QStringLiteral("Status: Saved as evil.desktop. Not opened: "
                                                    "it is not a .torrent file."));
            QCOMPARE(m_env->shell.files, QStringList());
        }
        QCOMPARE(folderFiles(), QStringList{saved});
        QCOMPARE(contents(m_folder + saved), torrentBytes(Id));
        QCOMPARE(QDir(m_env->folder() + QStringLiteral("a")).entryList(QDir::Files), QStringList());
        QCOMPARE(m_downloads.count(), 0);
    }

    void longNameAndPathAreShortenedToFit()
    {
        m_site->misbehave(QStringLiteral("/download.php"), SiteMisbehaviour::Stall);
        const QString folder = m_folder + QString(60, QLatin1Char('f')) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QString(60, QLatin1Char('n')) + QStringLiteral(".torrent");
        const QString name = QString(40, QLatin1Char('W')) + QStringLiteral(" The End");
        QPointer<frmDownload> window = start(target, "demo", "demo", Id, name);
        const auto width = [&](const QString &t) {
            return WindowHelpers::TextWidthTwips(WindowHelpers::LabelFont(), t, m_env->screen);
        };
        const QString shownName = text(window, "info_filename");
        QVERIFY(shownName.endsWith(QStringLiteral("...")));
        QVERIFY(name.startsWith(shownName.chopped(3)));
        QVERIFY(width(shownName) <= frmDownload::NameWidthTwips);
        const QString shownPath = text(window, "Label5");
        const qsizetype dots = shownPath.indexOf(QStringLiteral("..."));
        QVERIFY(dots > 0);
        QVERIFY(target.startsWith(shownPath.left(dots)));
        QVERIFY(target.endsWith(shownPath.mid(dots + 3)));
        QVERIFY(shownPath.endsWith(QStringLiteral("nnn.torrent")));
        QVERIFY(width(shownPath) <= frmDownload::PathWidthTwips);
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
