#include "download/TorrentDownload.h"
#include "EnvTest.h"
#include "model/ActiveDownloads.h"
#include "platform/HttpTransfer.h"
#include "platform/SiteAddresses.h"
#include "platform/WholeFiles.h"
#include "TestSite.h"

#include <QDir>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

using Download = TorrentDownload;

// A download without its window, against the local test site: the login exchange, the saved
// file, every failure with its retry countdown, cancelling, and hostile file names from the site.
// closeRequested() deletes a download, as its window would close.
class TestTorrentDownload : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<TestSite> m_site;
    ActiveDownloads m_downloads;
    QString m_folder; // the torrent folder, three levels below the program folder
    QList<QPointer<Download>> m_windows;
    struct Told
    {
        QString caption, text;
        Dialogs::Icon icon;
    };
    QList<Told> m_told; // the boxes asked for
    // How each window's download ended, in the order they said so.
    QStringList m_outcomes;
    const QString File = QStringLiteral("/download.php");
    static constexpr int Id = 700007;

    QPointer<Download> start(const QString &target, const QString &password = "demo",
                             const QString &user = "demo")
    {
        auto *download = new Download(env->services, m_downloads, nullptr);
        m_windows.append(download);
        connect(download, &Download::finished, this,
                [this](Download::Outcome outcome, const QString &path) {
                    m_outcomes << QVariant::fromValue(outcome).toString() + ' ' +
                                      path.section('/', -1);
                });
        connect(download, &Download::closeRequested, download, &QObject::deleteLater);
        connect(download, &Download::tell, this,
                [this](const QString &caption, const QString &text, Dialogs::Icon icon) {
                    m_told << Told{caption, text, icon};
                });
        download->start({DownloadUrlPath(Id), target, user, password, "Some Movie"});
        return download;
    }
    QString target() const { return m_folder + m_site->catalogue().torrent(Id)->fileName; }
    QByteArray torrentBytes(const QString &user = "demo") const
    {
        return m_site->server().pages().torrentFile(*m_site->catalogue().torrent(Id),
                                                    *m_site->catalogue().user(user));
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList folderFiles() const
    {
        return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    static QString text(Download *d) { return d ? d->display().status : "closed"; }
    static bool statusIsRed(Download *d) { return d && d->display().statusRed; }
    static HttpTransfer *transfer(Download *d)
    {
        return d->findChild<HttpTransfer *>("inetDownloadFile");
    }
    // The attempt's timers that run, and "request" while a request does.
    static QStringList busy(Download *d)
    {
        QStringList out;
        for (const char *timer : {"timeouttimer", "retry"})
            if (d->findChild<QTimer *>(timer)->isActive())
                out << timer;
        if (transfer(d)->StillExecuting())
            out << "request";
        return out;
    }
    static void retryTicks(Download *window, int count)
    {
        for (int i = 0; i < count; ++i)
            window->onRetryTick();
    }
    // Runs action from the event loop once condition holds, also while the receive loop waits.
    static bool whenever(const std::function<bool()> &condition,
                         const std::function<void()> &action)
    {
        bool done = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!done && condition()) {
                done = true;
                action();
            }
        });
        poll.start(2);
        return QTest::qWaitFor([&] { return done; });
    }

private slots:
    void init()
    {
        EnvTest::init();
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        env->useSite(m_site->baseUrl());
        m_folder = env->folder() + QStringLiteral("a/b/torrents/");
        QVERIFY(QDir().mkpath(m_folder));
        m_downloads.clear();
        m_outcomes.clear();
        m_told.clear();
    }
    void cleanup()
    {
        for (const QPointer<Download> &window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
        // A download problem never ends the program.
        QCOMPARE(env->endProgramCalls, QList<int>());
        m_site.reset();
        EnvTest::cleanup();
    }

    // Refused unasked: a target already downloading in any letter case, a missing folder.
    void refusedTargets_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Dialogs::Icon>("icon");
        // clang-format off
        QTest::newRow("same target in other letter case") << "a/b/torrents/mOVIE.TORRENT"
            << "Pollwick" << "Unable to download file. File is already being downloaded."
            << Dialogs::Information;
        QTest::newRow("missing folder") << "gone/x.torrent" << "Critical Error"
            << "Pollwick was unable to save the .torrent file to the path you have specified.\r\n"
               "Please check to see if the path is correct, and the appropriate permissions exist. "
            << Dialogs::Critical;
        // clang-format on
    }
    void refusedTargets()
    {
        QFETCH(QString, second);
        m_site->misbehave(File, SiteMisbehaviour::Stall);
        QPointer<Download> first = start(m_folder + QStringLiteral("Movie.torrent"));
        QTRY_COMPARE(m_site->requestsTo(File).size(), 1);
        QPointer<Download> refused = start(env->folder() + second);
        QCOMPARE(m_told.size(), 1);
        const Told box = m_told.value(0);
        QTEST(box.caption, "caption");
        QTEST(box.text, "text");
        QTEST(box.icon, "icon");
        QTRY_VERIFY(refused.isNull() && first);
        QCOMPARE(m_downloads.paths(), QStringList{m_folder + QStringLiteral("Movie.torrent")});
        QCOMPARE(m_outcomes, QStringList{(second.startsWith("gone") ? "Failed " : "Refused ") +
                                         second.section('/', -1)});
        QCOMPARE(m_site->requests().size(), 2);
    }

    // One attempt by the site's answer and how the download ends: failures but a short body, a
    // body that is no torrent and one that is too large are retried, five attempts at most; an
    // earlier file survives a short body and a page; a name from the site stays in the torrent
    // folder, and only a .torrent file is opened. (How a refused connection differs from an unknown
    // host is the HTTP transfer tests'; here both fail an attempt.)
    void oneAttempt_data()
    {
        QTest::addColumn<QString>("login");      // user name / password
        QTest::addColumn<QString>("name");       // the file name in the target; "": the catalogue's
        QTest::addColumn<QString>("answer");     // how the site answers ("body:" these bytes)
        QTest::addColumn<QByteArray>("earlier"); // a file of the same name before the download
        QTest::addColumn<QString>("statusText"); // "": opened; "*": a prefix; "Failed.": retried
        QTest::addColumn<QString>("onDisk");     // "torrent", "earlier", "page", "answer", "none"
        QTest::addColumn<QByteArray>("posted");  // the login body the site received
        // "saved"; "retried" (a countdown, no outcome yet), "retried five times" (then failed
        // for good); "failed" (for good at once)
        QTest::addColumn<QString>("ends");
        const QByteArray no, earlier = "d8:announce4:good4:infod4:name1:xee";
        const QString page = "Status: Failed to download torrent. Site returned unexpected data.";
        const QString d = "demo/demo";
        const QByteArray tail = "&login=Log+in&returnto=/download.php?id=700007\r\n";
        // clang-format off
        // Login, redirect with the cookie, the file saved over an earlier one and opened.
        QTest::newRow("credentials that need encoding, earlier file replaced")
            << "jo smith/p&ss=w~rd.-_" << "" << "" << earlier << "" << "torrent"
            << "username=jo+smith&password=p%26ss%3Dw%7Erd%2E%2D%5F" + tail << "saved";
        QTest::newRow("file not found") << d << "" << "404" << no
            << "Status: Failed. File not found on server." << "none" << no << "retried five times";
        QTest::newRow("unresolvable host") << d << "" << "unresolvable" << no << "Status: Failed. (*"
            << "none" << no << "retried";
        QTest::newRow("empty reply") << d << "" << "empty" << no
            << "Status: Failed. (The site sent an empty file)" << "none" << no << "retried";
        QTest::newRow("server error") << d << "" << "500" << no
            << "Status: Failed. (HTTP/1.1 500 Internal Server Error)" << "none" << no << "retried";
        QTest::newRow("busy without Retry-After") << d << "" << "429" << no
            << "Status: Failed. (HTTP/1.1 429 Too Many Requests)" << "none" << no << "retried";
        QTest::newRow("short body, earlier file survives") << d << "" << "truncated" << earlier
            << "Status: Receiving File " << "earlier" << no << "failed";
        QTest::newRow("no Content-Length") << d << "" << "no length" << no << "" << "torrent" << no << "saved";
        QTest::newRow("login failed") << "demo/wrong" << "" << "" << no << page << "page" << no << "failed";
        QTest::newRow("login failed, earlier torrent kept") << "demo/wrong" << "" << "" << earlier
            << page << "earlier" << no << "failed";
        // Which bodies are torrents is torrentFileCheck's (tst_downloadcore); here a page kept
        // or not, and a torrent that is no catalogue file.
        QTest::newRow("blanks, earlier torrent kept") << d << "" << "body:  <HTML>Log in" << earlier
            << page << "earlier" << no << "failed";
        QTest::newRow("just a torrent") << d << "" << "body:" + QString(earlier) << no << "" << "answer"
            << no << "saved";
        // 64 MiB is the most; beyond it nothing is kept and nothing is tried again.
        const QString tooLarge = "Status: Failed. (The file is too large)";
        QTest::newRow("announced one byte too large") << d << "" << "announce 67108865" << earlier
            << tooLarge << "earlier" << no << "failed";
        QTest::newRow("announced 64 MiB, body short") << d << "" << "announce 67108864" << no
            << "Status: Receiving File " << "none" << no << "failed";
        QTest::newRow("64 MiB and a byte, no length") << d << "" << "big" << no << tooLarge
            << "none" << no << "failed";
        QTest::newRow("name climbing out") << d << "../../x.torrent" << "" << no << "" << "torrent"
            << no << "saved";
        QTest::newRow("desktop entry, not opened") << d << "evil.desktop" << "" << no
            << "Status: Saved as evil.desktop. Not opened: it is not a .torrent file." << "torrent"
            << no << "saved";
        QTest::newRow("name too long to save") << d << QString(300, 'n') + ".torrent" << "" << no
            << "Status: Failed. Unable to save the file. (*" << "none" << no << "failed";
        // clang-format on
    }
    void oneAttempt()
    {
        QFETCH(QString, login);
        QFETCH(QString, name);
        QFETCH(QString, answer);
        QFETCH(QByteArray, earlier);
        QFETCH(QString, statusText);
        QFETCH(QString, onDisk);
        QFETCH(QByteArray, posted);
        QFETCH(QString, ends);
        const QString user = login.section('/', 0, 0), password = login.section('/', 1);
        if (user != "demo")
            m_site->catalogue().addUser(user, password);
        const QString saved = name.isEmpty() ? target() : m_folder + name.section('/', -1);
        if (!earlier.isEmpty())
            QVERIFY(ReplaceFileAtomically(saved, earlier));
        using M = SiteMisbehaviour;
        const QHash<QString, M::Kind> kinds{{"404", M::NotFound},
                                            {"empty", M::Empty},
                                            {"truncated", M::Truncated},
                                            {"no length", M::NoContentLength}};
        if (kinds.contains(answer))
            m_site->misbehave(File, kinds[answer]);
        else if (answer == "unresolvable")
            env->useSite(QStringLiteral("http://no-such-host.invalid"));
        else if (answer == "500" || answer == "429")
            m_site->setRawReply(File, answer.toInt(), "Sorry");
        else if (answer.startsWith("body:"))
            m_site->scriptReply(File, answer.mid(5).toLatin1());
        else if (answer.startsWith("announce "))
            m_site->scriptReply(File, "d4:infodee", 200,
                                {{"Content-Length", answer.mid(9).toLatin1()}});
        if (answer == "big") {
            M rule;
            rule.prefix = File;
            rule.kind = M::Raw;
            rule.raw.body = QByteArray(Download::MaxFileBytes + 1, 'x');
            rule.rawWithoutLength = true;
            rule.remaining = 1;
            m_site->addMisbehaviour(rule);
        }
        QPointer<Download> window =
            start(name.isEmpty() ? target() : m_folder + name, password, user);
        const bool retried = ends.startsWith("retried");

        if (statusText.isEmpty()) {
            QTRY_VERIFY(window.isNull());
        } else if (statusText.startsWith("Status: Saved")) {
            QTRY_COMPARE(window ? window->display().title : "closed",
                         QStringLiteral("Download Complete"));
            QCOMPARE(text(window), statusText);
        } else {
            QTRY_VERIFY(window && statusIsRed(window));
            QVERIFY2(statusText.endsWith('*') ? text(window).startsWith(statusText.chopped(1)) &&
                                                    text(window).size() > statusText.size()
                                              : text(window) == statusText,
                     qPrintable(text(window)));
            QCOMPARE(busy(window), retried ? QStringList{"retry"} : QStringList());
            if (statusText.startsWith("Status: Failed to"))
                QCOMPARE(window->display().title, QStringLiteral("Download Failed"));
        }
        // A site that never recovers: five attempts, the last without a countdown, end quiet.
        for (int attempt = 1; ends == "retried five times" && attempt <= 5; ++attempt) {
            QTRY_COMPARE(m_site->requestsTo(File).size(), attempt);
            QTRY_COMPARE(busy(window), QStringList{"retry"});
            // Only the fifth failure is one for good.
            QCOMPARE(m_outcomes.size(), attempt == 5 ? 1 : 0);
            retryTicks(window, 1);
            QCOMPARE(window->display().retry,
                     attempt < 5 ? QStringLiteral("Retry in 60") : QString());
            retryTicks(window, 60);
            QCOMPARE(busy(window).isEmpty(), attempt == 5);
        }
        QCOMPARE(env->shell.files, statusText.isEmpty() ? QStringList{saved} : QStringList());
        // A file that cannot be saved says so in the log too, its name cut short.
        QCOMPARE(env->log->lines()
                     .filter("Download failed: unable to save " + QString(100, 'n') +
                             "... (308 characters): ")
                     .size(),
                 statusText.contains("Unable to save") ? 1 : 0);
        const QString ended = ends == "saved" ? "Saved" : ends == "retried" ? "" : "Failed";
        QCOMPARE(m_outcomes, ended.isEmpty() ? QStringList()
                                             : QStringList{ended + ' ' + saved.section('/', -1)});
        // A download that failed for good lets go of its target, so it can be tried again.
        if (!window || !statusIsRed(window) || ended == "Failed")
            QCOMPARE(m_downloads.count(), 0);
        const QByteArray bytes = contents(saved);
        if (onDisk == QLatin1String("page"))
            QVERIFY(bytes.startsWith("<html>"));
        else
            QCOMPARE(bytes, onDisk == QLatin1String("torrent")   ? torrentBytes(user)
                            : onDisk == QLatin1String("earlier") ? earlier
                            : onDisk == QLatin1String("answer")  ? answer.mid(5).toLatin1()
                                                                 : QByteArray("<missing>"));
        QCOMPARE(folderFiles().size(), onDisk == QLatin1String("none") ? 0 : 1);
        QCOMPARE(QDir(env->folder() + "a").entryList(QDir::Files), QStringList());
        if (posted.isEmpty())
            return;
        const QList<SiteRequest> seen = m_site->requests();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].method + ' ' + seen[0].target, QByteArray("POST /takelogin.php"));
        QCOMPARE(seen[0].body, posted);
        QCOMPARE(seen[0].header("Referer"), (m_site->baseUrl() + DownloadUrlPath(Id)).toLatin1());
        QCOMPARE(seen[0].header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(seen[0].header("User-Agent"), QByteArray("Pollwick Autodownloader - 1.3.512"));
        QCOMPARE(seen[1].target, QByteArray("/download.php?id=700007"));
        QVERIFY(!seen[1].cookie.isEmpty());
    }

    // A site that asks for a pause fails the attempt; the next waits for the pause's end, asks
    // for the file with the session it has and logs in again only when the site sends its
    // login page instead.
    void siteAskedToWait_data()
    {
        QTest::addColumn<QString>("answering"); // the path that answers 429 once
        QTest::addColumn<QStringList>("requests");
        const QString login = "POST /takelogin.php", file = "GET /download.php?id=700007";
        QTest::newRow("the file") << "/download.php" << QStringList{login, file, file};
        QTest::newRow("the login") << "/takelogin.php" << QStringList{login, file, login, file};
    }
    void siteAskedToWait()
    {
        QFETCH(QString, answering);
        env->clock.set(QDateTime(QDate(2026, 12, 6), QTime(14, 30), Qt::UTC));
        m_site->scriptReply(answering, "Slow down", 429, {{"Retry-After", "120"}});
        QPointer<Download> window = start(target());
        QTRY_COMPARE(busy(window), QStringList{"retry"});
        QCOMPARE(text(window),
                 QStringLiteral("Status: Failed. (The site asked Pollwick to wait until 14:32.)"));
        QCOMPARE(window->display().retry, QStringLiteral("Retry at 14:32"));
        QCOMPARE(window->findChild<QTimer *>("retry")->interval(), 5000);
        // Another window met a later wait.
        env->clock.advanceSeconds(60);
        QVERIFY(env->siteWait->obey(503, "120"));
        window->onRetryTick();
        QCOMPARE(window->display().retry, QStringLiteral("Retry at 14:33"));
        env->clock.advanceSeconds(119);
        window->onRetryTick();
        QCOMPARE(busy(window), QStringList{"retry"});
        QCOMPARE(m_site->requests().size(), answering == File ? 2 : 1);
        env->clock.advanceSeconds(1);
        window->onRetryTick();
        QTRY_VERIFY(window.isNull());
        QStringList seen;
        for (const SiteRequest &r : m_site->requests())
            seen << QString::fromLatin1(r.method + ' ' + r.target);
        QTEST(seen, "requests");
        QCOMPARE(m_outcomes, QStringList{"Saved " + target().section('/', -1)});
        QCOMPARE(contents(target()), torrentBytes());
    }

    // A body that stops coming for the transfer's time-out fails the attempt as a time-out,
    // and the next attempt brings the file.
    void silentBodyIsTriedAgain()
    {
        m_site->misbehave(File, SiteMisbehaviour::StallAfterHeaders, 1); // half the body
        QPointer<Download> window = start(target());
        transfer(window)->setRequestTimeout(1);
        QTRY_COMPARE(busy(window), QStringList{"retry"});
        QCOMPARE(text(window),
                 QStringLiteral("Status: Failed to download torrent. Timeout exceeded."));
        QCOMPARE(folderFiles(), QStringList());
        QCOMPARE(m_outcomes, QStringList());
        retryTicks(window, 61);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(contents(target()), torrentBytes());
    }

    // 30 seconds without an answer fail an attempt and the next one succeeds; Cancel and the close
    // box stop everything at once in every phase and leave nothing on disk.
    void timeOutOrCancel_data()
    {
        QTest::addColumn<QString>("phase");  // "connecting", "counting down" or "receiving"
        QTest::addColumn<QString>("action"); // "time out" or "cancel"
        QTest::newRow("silent site times out") << "connecting"
                                               << "time out";
        QTest::newRow("connecting, cancel") << "connecting"
                                            << "cancel";
        QTest::newRow("counting down, cancel") << "counting down"
                                               << "cancel";
        QTest::newRow("receiving, cancel") << "receiving"
                                           << "cancel";
    }
    void timeOutOrCancel()
    {
        QFETCH(QString, phase);
        QFETCH(QString, action);
        // A body stalls after its first half: the receive loop waits for the rest.
        m_site->misbehave(File,
                          phase == "connecting"      ? SiteMisbehaviour::Stall
                          : phase == "counting down" ? SiteMisbehaviour::NotFound
                                                     : SiteMisbehaviour::StallAfterHeaders,
                          1);
        QPointer<Download> window = start(target());
        const auto ready = [&] {
            if (!window || phase == "connecting")
                return !m_site->requestsTo(File).isEmpty();
            if (phase == "counting down")
                return busy(window).contains("retry");
            return window->display().progressMaximum == torrentBytes().size();
        };
        const bool timeOut = action == "time out";
        QVERIFY(whenever(ready, [&] {
            QVERIFY(window);
            if (!timeOut) {
                // The receive loop lets go of the file and asks to be closed itself.
                if (window->cancel())
                    delete window.data();
                QCOMPARE(m_downloads.count(), 0);
                QCOMPARE(window ? busy(window) : QStringList(), QStringList());
                return;
            }
            QCOMPARE(busy(window), QStringList({"timeouttimer", "request"}));
            for (int i = 0; i < 29; ++i)
                window->onTimeoutTimerTick();
            QCOMPARE(text(window), QStringLiteral("Status: Connecting..."));
            window->onTimeoutTimerTick();
            QCOMPARE(text(window),
                     QStringLiteral("Status: Failed to download torrent. Timeout exceeded."));
            QVERIFY(statusIsRed(window));
            QCOMPARE(busy(window).value(0), QStringLiteral("retry")); // the request may go on
            retryTicks(window, 60);
            QCOMPARE(window->display().retry, QStringLiteral("Retry in 1"));
            retryTicks(window, 1);
            QCOMPARE(window->display().retry, QStringLiteral("Retrying"));
            QVERIFY(!statusIsRed(window));
        }));
        QTRY_VERIFY(window.isNull());
        QCOMPARE(m_outcomes,
                 QStringList{(timeOut ? "Saved " : "Cancelled ") + target().section('/', -1)});
        QCOMPARE(contents(target()), timeOut ? torrentBytes() : QByteArray("<missing>"));
        QCOMPARE(env->shell.files, timeOut ? QStringList{target()} : QStringList());
        QCOMPARE(folderFiles().size(), timeOut ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestTorrentDownload)
#include "tst_torrentdownload.moc"
