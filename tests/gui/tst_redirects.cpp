#include "account/CredentialCheck.h"
#include "account/frmProfile.h"
#include "download/frmDownload.h"
#include "EnvTest.h"
#include "feed/FeedCheck.h"
#include "model/ActiveDownloads.h"
#include "model/ProgramState.h"
#include "platform/HttpTransfer.h"
#include "platform/SiteAddresses.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <optional>

// A site that redirects a request carrying the member's details or cookies to another address
// (here a second site on another port, which records whatever reaches it) gets nothing sent
// there: the request ends with a text that says where it was sent. Redirects within the site
// are followed as before.
class TestRedirects : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<TestSite> site;
    std::unique_ptr<TestSite> other;

    // The path each kind of request redirects at, and the request that reaches it.
    static QString pathOf(const QString &kind)
    {
        if (kind == "login")
            return "/takelogin.php";
        if (kind == "download")
            return DownloadUrlPath(700007);
        if (kind == "profile")
            return "/my.php";
        return "/bots.php";
    }

    // Runs one request of the kind to its end: the text it ended with (tooltip, result line or
    // status line) and whether it succeeded.
    std::pair<QString, bool> run(const QString &kind)
    {
        if (kind == "feed") {
            RecordingFeedHost host;
            ProgramState state;
            state.settings.SiteUserName = state.settings.SitePassword = "demo";
            bool parsed = false;
            FeedCheck check(env->services, state, host);
            check.setCompletion([&](const FeedCheckContext &) { parsed = true; });
            check.checkfeed();
            return {host.tips.last(), parsed};
        }
        if (kind == "wizard") {
            HttpTransfer transfer(&env->network);
            CredentialCheck credentials(&transfer);
            const CredentialCheck::Outcome outcome = credentials.check("demo", "demo");
            return {outcome.text, outcome.verified};
        }
        const auto status = [](QWidget *window) {
            return WidgetFinder::control<QLabel>(window, "Label4")->text();
        };
        if (kind == "profile") {
            Settings settings;
            settings.SiteUserName = settings.SitePassword = "demo";
            frmProfile window(env->services, settings);
            window.show();
            const auto ended = [&] {
                return status(&window).contains("Failed") ||
                       (status(&window) == "Status: Finished" &&
                        WidgetFinder::control<QPushButton>(&window, "Command1")->isEnabled());
            };
            if (!QTest::qWaitFor(ended, 5000))
                return {"still running: " + status(&window), false};
            return {status(&window), status(&window) == "Status: Finished"};
        }
        ActiveDownloads downloads;
        QPointer<frmDownload> window = new frmDownload(env->services, downloads);
        std::optional<frmDownload::Outcome> outcome;
        connect(window, &frmDownload::finished, this,
                [&](frmDownload::Outcome how, const QString &) { outcome = how; });
        window->show();
        QString texts[] = {DownloadUrlPath(700007),
                           env->folder() + "torrents/" +
                               site->catalogue().torrent(700007)->fileName,
                           "demo", "demo", "Some Movie"};
        QDir().mkpath(env->folder() + "torrents");
        window->DownloadFile(texts[0], texts[1], texts[2], texts[3], texts[4]);
        if (!QTest::qWaitFor([&] { return outcome.has_value(); }, 5000))
            return {"still running", false};
        const QString text = window ? status(window) : QString();
        const bool retrying = window && WidgetFinder::control<QTimer>(window, "retry")->isActive();
        delete window;
        return {text + (retrying ? " (retrying)" : ""), outcome == frmDownload::Outcome::Saved};
    }

private slots:
    void init()
    {
        EnvTest::init();
        site = std::make_unique<TestSite>();
        other = std::make_unique<TestSite>();
        QVERIFY(site->isListening() && other->isListening());
        env->useSite(site->baseUrl());
    }
    void cleanup()
    {
        other.reset();
        site.reset();
        EnvTest::cleanup();
    }

    void redirects_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("elsewhere");
        for (const char *kind : {"feed", "wizard", "login", "download", "profile"}) {
            for (int status : {301, 302, 303, 307, 308})
                QTest::addRow("%s %d to another site", kind, status)
                    << QString(kind) << status << true;
            // The two that keep the method: a login sent again is still a login.
            for (int status : {307, 308})
                QTest::addRow("%s %d within the site", kind, status)
                    << QString(kind) << status << false;
        }
    }
    void redirects()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(bool, elsewhere);
        const QString path = pathOf(kind);
        // The request as sent, sent again on the site or to the same place on the other site.
        QString again = kind == "feed"     ? site->feedUrl(0, true)
                        : kind == "wizard" ? CredentialCheck::testUrl("demo", "demo")
                                           : site->baseUrl() + path;
        again = again.mid(site->baseUrl().size()) + (again.contains('?') ? "&" : "?") + "again=1";
        const QString target = (elsewhere ? other->baseUrl() : site->baseUrl()) + again;
        site->scriptReply(path, QByteArray(), status, {{"Location", target.toLatin1()}});

        const auto [text, succeeded] = run(kind);

        QCOMPARE(other->requests().size(), 0);
        if (!elsewhere) {
            QVERIFY2(succeeded, qPrintable(text));
            QCOMPARE(site->requestsTo(again).size(), 1);
            return;
        }
        const QString said = "The site sent Pollwick to another address (127.0.0.1:" +
                             QString::number(QUrl(other->baseUrl()).port()) +
                             "); your details were not sent.";
        QVERIFY(!succeeded);
        if (kind == "feed")
            QCOMPARE(text, QStringLiteral("Unable to fetch torrent feed. Sent to another site."));
        else if (kind == "wizard")
            QCOMPARE(text, said);
        else
            QVERIFY2(text.contains(said) && !text.contains("retrying"), qPrintable(text));
        const QString log = env->log->lines().join('\n');
        if (kind != "wizard")
            QVERIFY2(log.contains(said), qPrintable(log));
        // Not tried again: the site would send it to the same place.
        QCOMPARE(site->requestsTo(path).size(), 1);
    }
};

QTEST_MAIN(TestRedirects)
#include "tst_redirects.moc"
