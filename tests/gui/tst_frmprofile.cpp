#include "account/frmProfile.h"
#include "account/ProfileCache.h"
#include "account/ProfileExchange.h"
#include "EnvTest.h"
#include "model/Settings.h"
#include "platform/HttpTransfer.h"
#include "platform/TextUtils.h"
#include "platform/WholeFiles.h"
#include "PngEncoder.h"
#include "ProfilePages.h"
#include "SiteHtml.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QBuffer>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

using WidgetFinder::control;

Q_DECLARE_METATYPE(SiteMisbehaviour::Kind)

// The profile window against the test site: what it asks, what it shows, what it stores, and
// every way the exchange can fail.
class TestFrmProfile : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<TestSite> site;
    Settings settings;
    QPointer<frmProfile> w;

    frmProfile *open()
    {
        w = new frmProfile(env->services, settings);
        w->show();
        return w;
    }
    QLabel *label(const char *name) const { return control<QLabel>(w, name); }
    QString status() const { return label("Label4")->text(); }
    bool statusRed() const
    {
        return label("Label4")->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
    }
    bool refreshEnabled() const { return control<QPushButton>(w, "Command1")->isEnabled(); }
    bool waitPanelShown() const { return control<QFrame>(w, "Frame3")->isVisible(); }
    bool profileEnabled() const { return control<QGroupBox>(w, "Frame1")->isEnabled(); }
    QTreeWidget *list() const { return control<QTreeWidget>(w, "ListView1"); }
    HttpTransfer *transfer(const char *name) const { return control<HttpTransfer>(w, name); }
    bool finished() const { return status() == "Status: Finished" && refreshEnabled(); }
    QString cacheText() const { return ReadTextFile(env->file("profile.cache")); }
    QByteArray fileBytes(const QString &name) const { return TestEnv::readFile(env->file(name)); }
    QImage avatarShown() const { return label("pic_avatar")->pixmap().toImage(); }

    // The return path of every login the window posted.
    QStringList returnTos() const
    {
        QStringList out;
        for (const SiteRequest &r : site->requestsTo("/takelogin.php"))
            out << QString::fromLatin1(r.body.mid(r.body.indexOf("returnto=") + 9).trimmed());
        return out;
    }
    QStringList paths() const
    {
        QStringList out;
        for (const SiteRequest &r : site->requests())
            out << QString::fromLatin1(r.path());
        return out;
    }
    QStringList messages() const { return env->messages(); }
    // The details page the test site serves the demo member.
    QByteArray detailsPage() const
    {
        return ProfilePages::userDetails(site->demoUser(), site->demoUser(), site->catalogue(),
                                         site->baseUrl());
    }
    QString demoValue(const QString &which) const
    {
        const SiteUser &u = site->demoUser();
        if (which == "uploaded")
            return SiteHtml::sizeText(u.uploaded);
        if (which == "downloaded")
            return SiteHtml::sizeText(u.downloaded);
        return ProfilePages::ratioText(u.uploaded, u.downloaded);
    }
    // The cache the window writes for the demo member.
    QString demoCache() const
    {
        const SiteUser &u = site->demoUser();
        return "#PWKPC10#\r\ndemo\r\n1\r\ndemo\r\n" + u.joinDate + "\r\n" + u.lastSeen + "\r\n" +
               demoValue("uploaded") + "\r\n" + demoValue("downloaded") + "\r\n" +
               demoValue("ratio") + "\r\n" + u.userClass + "\r\n" + QString::number(u.comments) +
               "\r\n" + QString::number(u.posts);
    }
    void openAndFinish()
    {
        open();
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 5000);
    }
    // Opens the window and waits until Refresh is back: the exchange has ended, well or not.
    void openAndSettle()
    {
        open();
        QTRY_VERIFY_WITH_TIMEOUT(refreshEnabled(), 5000);
    }
    // A cache of the demo member's from an earlier opening, its values all "old".
    void writeOldCache()
    {
        QVERIFY(ProfileCache::write(env->file("profile.cache"), "demo", 1,
                                    ProfileTexts::fromList(QStringList(9, "old"))));
    }
    static void cachedOrNot()
    {
        QTest::addColumn<bool>("cached");
        QTest::newRow("first opening") << false;
        QTest::newRow("with a cache") << true;
    }
    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            w->onTimeoutTimerTick();
    }
    // 24 ticks leave the request running and the status as it was; the 25th ends the request
    // with the time-out status and gives Refresh back.
    void timeOut(const char *request)
    {
        const QString before = status();
        tick(24);
        QCOMPARE(status(), before);
        QVERIFY(!refreshEnabled());
        QVERIFY(transfer(request)->StillExecuting());
        tick(1);
        QCOMPARE(status(), QStringLiteral("Status: Failed to get page. Timeout exceeded."));
        QVERIFY(!transfer(request)->StillExecuting());
        QVERIFY(refreshEnabled());
    }

private slots:
    void init()
    {
        EnvTest::init();
        site = std::make_unique<TestSite>();
        QVERIFY(site->isListening());
        env->useSite(site->baseUrl());
        settings = Settings();
        settings.SiteUserName = "demo";
        settings.SitePassword = "demo";
    }
    void cleanup()
    {
        delete w;
        site.reset();
        EnvTest::cleanup();
    }

    // The first opening for this member: another member's cache and avatar are not shown.
    void firstOpeningReadsBothPagesAndWritesTheCache()
    {
        const ProfileTexts other = ProfileTexts::fromList(QStringList(9, "other"));
        QVERIFY(ProfileCache::write(env->file("profile.cache"), "someone", 5, other));
        QVERIFY(ReplaceFileAtomically(env->file("avatar.img"), PngEncoder::avatar(5)));
        open();
        QCOMPARE(label("label_username")->text(), QString());
        QVERIFY(label("pic_avatar")->pixmap().isNull());
        QCOMPARE(status(), QStringLiteral("Status: Logging in..."));
        QVERIFY(waitPanelShown());
        QVERIFY(!refreshEnabled());
        QVERIFY(!profileEnabled());
        QCOMPARE(w->windowTitle(), QStringLiteral("Profile"));
        QCOMPARE(control<QGroupBox>(w, "Frame1")->title(), QStringLiteral("User Details"));
        QStringList captions;
        for (const char *name :
             {"Label5", "Label6", "Label7", "Label8", "Label9", "Label10", "Label11", "Label12"})
            captions << label(name)->text();
        QCOMPARE(captions,
                 (QStringList{"Join Date", "Last Seen", "Uploaded", "Downloaded", "Share Ratio",
                              "Class", "Torrent Comments", "Forum Posts"}));
        QStringList columns;
        for (int c = 0; c < list()->columnCount(); ++c)
            columns << list()->headerItem()->text(c);
        QCOMPARE(columns,
                 (QStringList{"Name", "Conn.", "Size", "Se.", "Le.", "Upl.", "Downl.", "Ratio"}));
        QCOMPARE(label("Label1")->text(), QStringLiteral("Loading profile..."));
        QCOMPARE(label("Label2")->text(), QStringLiteral("Please wait..."));
        QCOMPARE(control<QPushButton>(w, "Command1")->text(), QStringLiteral("Refresh"));
        QCOMPARE(control<QPushButton>(w, "Command2")->text(), QStringLiteral("Close"));
        QCOMPARE(control<QTimer>(w, "timeouttimer")->interval(), 1000);
        QCOMPARE(transfer("InetGetPage")->RequestTimeout(), 30);
        QCOMPARE(transfer("InetGetImage")->RequestTimeout(), 30);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 5000);

        QCOMPARE(returnTos(), (QStringList{"/my.php", "/userdetails.php?id=1"}));
        const QList<SiteRequest> logins = site->requestsTo("/takelogin.php");
        QCOMPARE(logins.at(0).body, TestSite::loginBody("demo", "demo", "/my.php"));
        QCOMPARE(logins.at(1).body, TestSite::loginBody("demo", "demo", "/userdetails.php?id=1"));
        const QByteArray agent = "Pollwick Profile Client - 1.3.512";
        QCOMPARE(logins.at(1).header("User-Agent"), agent);
        QCOMPARE(logins.at(1).header("Referer"),
                 (site->baseUrl() + "/userdetails.php?id=1").toLatin1());
        QCOMPARE(logins.at(1).header("Content-Type"),
                 QByteArray("application/x-www-form-urlencoded"));
        const QList<SiteRequest> avatar = site->requestsTo("/pic/avatar1.png");
        QCOMPARE(avatar.size(), 1);
        QCOMPARE(avatar.at(0).header("User-Agent"), agent);

        const SiteUser &u = site->demoUser();
        const QStringList shown{label("label_username")->text(),   label("label_joindate")->text(),
                                label("label_lastseen")->text(),   label("label_uploaded")->text(),
                                label("label_downloaded")->text(), label("label_ratio")->text(),
                                label("label_class")->text(),      label("label_comments")->text(),
                                label("label_posts")->text()};
        QCOMPARE(shown, (QStringList{"demo", u.joinDate, u.lastSeen, demoValue("uploaded"),
                                     demoValue("downloaded"), demoValue("ratio"), u.userClass, "12",
                                     "34"}));

        const QList<SiteTorrent> rows =
            site->catalogue().seedingOf(u) + site->catalogue().leechingOf(u);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(list()->topLevelItemCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(list()->topLevelItem(i)->text(0), rows.at(i).name);
            QCOMPARE(list()->topLevelItem(i)->data(0, Qt::UserRole).toString(),
                     QString::number(rows.at(i).id));
        }
        QCOMPARE(list()->topLevelItem(0)->text(2), SiteHtml::sizeText(rows.at(0).size));

        const QImage avatarImage = avatarShown();
        QCOMPARE(avatarImage.size(), QSize(150, 185));
        QCOMPARE(avatarImage.pixelColor(24, 24), QColor(235, 225, 200)); // the avatar's disc
        QCOMPARE(avatarImage.pixelColor(100, 100).alpha(), 0);           // beyond its 48 pixels
        QVERIFY(!waitPanelShown());
        QVERIFY(profileEnabled());
        QVERIFY(!statusRed());

        QCOMPARE(cacheText(), demoCache());
        QCOMPARE(fileBytes("avatar.img"), PngEncoder::avatar(1));
        QVERIFY(!QFileInfo::exists(env->file("avatar.img.temp")));
        QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
        QTRY_VERIFY(w.isNull());
    }

    void secondOpeningShowsTheCacheBeforeTheSiteAnswers()
    {
        site->demoUser().password = "Pa55-word";
        settings.SitePassword = "Pa55-word";
        openAndFinish();
        w->close();
        QTRY_VERIFY(w.isNull());
        site->clearRequests();
        site->demoUser().comments = 13;

        open();
        // Straight from profile.cache, nothing asked yet.
        QCOMPARE(label("label_username")->text(), QStringLiteral("demo"));
        QCOMPARE(label("label_ratio")->text(), demoValue("ratio"));
        QCOMPARE(label("label_comments")->text(), QStringLiteral("12"));
        QCOMPARE(avatarShown().pixelColor(24, 24), QColor(235, 225, 200));
        QVERIFY(!profileEnabled());
        QCOMPARE(status(), QStringLiteral("Status: Getting profile..."));
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 5000);
        QCOMPARE(returnTos(), QStringList{"/userdetails.php?id=1"});
        QCOMPARE(label("label_comments")->text(), QStringLiteral("13"));
        QVERIFY(cacheText().contains("\r\n13\r\n34"));
        // Neither the log, the cache nor the status shows the password (a wrong one: below).
        const QString everything = messages().join('\n') + cacheText() + status();
        QVERIFY(!everything.contains(settings.SitePassword));
        QVERIFY(!everything.contains(UrlEncode(settings.SitePassword)));
        QVERIFY(messages().contains("Profile: logging in to read /my.php"));
    }

    void wrongPasswordEndsInTheCriticalBox_data() { cachedOrNot(); }
    void wrongPasswordEndsInTheCriticalBox()
    {
        QFETCH(bool, cached);
        if (cached)
            writeOldCache();
        const QString before = cacheText();
        settings.SitePassword = "Wr0ng-word";
        open();
        QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 5000);
        const ScriptedDialogs::Shown box = env->dialogs.take();
        QCOMPARE(box.caption, QStringLiteral("Pollwick"));
        QCOMPARE(box.text, QStringLiteral("ERROR: Unable to get profile information. Please make "
                                          "sure your username & password are correct."));
        QCOMPARE(box.icon, Dialogs::Critical);
        QCOMPARE(returnTos(), QStringList{cached ? "/userdetails.php?id=1" : "/my.php"});
        QCOMPARE(cacheText(), before);
        const QString said = messages().join('\n');
        QVERIFY(!said.contains(settings.SitePassword) && !said.contains(UrlEncode("Wr0ng-word")));
    }

    void pageFailures_data()
    {
        QTest::addColumn<QString>("siteUrl"); // empty: the test site
        QTest::addColumn<SiteMisbehaviour::Kind>("misbehaviour");
        QTest::addColumn<QString>("expected"); // the whole status, or its start before "("
        QTest::addColumn<int>("responseCode");
        QTest::addColumn<bool>("cached"); // the failure comes with the details page
        const QString notFound = "Status: Failed to get profile. File not found on server.";
        const QString failed = "Status: Failed to get profile. (";
        QTest::newRow("404") << "" << SiteMisbehaviour::NotFound << notFound << 0 << false;
        QTest::newRow("404 with a cache")
            << "" << SiteMisbehaviour::NotFound << notFound << 0 << true;
        QTest::newRow("refused") << TestSite::unusedPortUrl() << SiteMisbehaviour::None << failed
                                 << int(HttpTransfer::ErrorCannotConnect) << false;
        QTest::newRow("cut short") << "" << SiteMisbehaviour::Truncated << failed << -1 << false;
        QTest::newRow("server error")
            << "" << SiteMisbehaviour::Raw
            << "Status: Failed to get profile. (HTTP/1.1 500 Internal Server Error)" << 0 << false;
    }
    void pageFailures()
    {
        QFETCH(QString, siteUrl);
        QFETCH(SiteMisbehaviour::Kind, misbehaviour);
        QFETCH(QString, expected);
        QFETCH(int, responseCode);
        QFETCH(bool, cached);
        if (cached)
            writeOldCache();
        const QString cache = cacheText();
        const QString path = cached ? "/userdetails.php" : "/my.php";
        if (!siteUrl.isEmpty())
            env->useSite(siteUrl);
        if (misbehaviour == SiteMisbehaviour::Raw)
            site->setRawReply(path, 500, "<html>Vellumstacks :: demo's private page</html>");
        else if (misbehaviour != SiteMisbehaviour::None)
            site->misbehave(path, misbehaviour);
        open();
        QTRY_VERIFY_WITH_TIMEOUT(refreshEnabled(), 10000);
        if (expected.endsWith('('))
            QVERIFY2(status().startsWith(expected) && status().endsWith(')'), qPrintable(status()));
        else
            QCOMPARE(status(), expected);
        if (responseCode > 0)
            QCOMPARE(transfer("InetGetPage")->ResponseCode(), responseCode);
        QVERIFY(statusRed());
        QVERIFY(!waitPanelShown());
        QVERIFY(!control<QTimer>(w, "timeouttimer")->isActive());
        QCOMPARE(cacheText(), cache);
        // Values shown from the cache are there to read again.
        QCOMPARE(profileEnabled(), cached);
        QVERIFY(messages().contains("Profile: " + status().mid(8)));
    }

    void pageSizeStop_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("read");
        QTest::newRow("exactly 16 MiB") << ProfileExchange::MaxPageBytes << true;
        QTest::newRow("one byte more") << ProfileExchange::MaxPageBytes + 1 << false;
    }
    void pageSizeStop()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, read);
        QByteArray page = "<title>Vellumstacks :: demo's private page</title>Welcome, <a "
                          "href=userdetails.php?id=1>demo</a>";
        page += QByteArray(bytes - page.size(), ' ');
        site->setRawReply("/my.php", 200, page);
        openAndSettle();
        QCOMPARE(status(), read ? QStringLiteral("Status: Finished")
                                : QStringLiteral("Status: Failed to get profile. The page is too "
                                                 "large."));
        QCOMPARE(statusRed(), !read);
        QCOMPARE(returnTos(),
                 read ? QStringList({"/my.php", "/userdetails.php?id=1"}) : QStringList{"/my.php"});
        QCOMPARE(messages().contains("Profile: the page is larger than 16 MiB; reading stopped."),
                 !read);
    }

    void stalledSiteTimesOutAfter25Ticks_data() { cachedOrNot(); }
    void stalledSiteTimesOutAfter25Ticks()
    {
        QFETCH(bool, cached);
        if (cached)
            writeOldCache();
        const QString path = cached ? "/userdetails.php" : "/my.php";
        site->misbehave(path, SiteMisbehaviour::Stall);
        open();
        QVERIFY(control<QTimer>(w, "timeouttimer")->isActive());
        QVERIFY(site->waitForRequests(1, path));
        timeOut("InetGetPage");
        QVERIFY(statusRed());
        QVERIFY(!waitPanelShown());
        QCOMPARE(profileEnabled(), cached);
        QVERIFY(!control<QTimer>(w, "timeouttimer")->isActive());

        // Refresh starts afresh and gets through once the site answers.
        site->clearMisbehaviour();
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QVERIFY(!statusRed());
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 5000);
        QVERIFY(!statusRed());
        // The name comes from the cache when there was one.
        QCOMPARE(cacheText(), QString(demoCache())
                                  .replace("\r\n1\r\ndemo\r\n",
                                           cached ? "\r\n1\r\nold\r\n" : "\r\n1\r\ndemo\r\n"));
    }

    // Ticks counted during one request do not count against the next.
    void ticksRestartWithEveryRequest()
    {
        site->misbehave("/pic/", SiteMisbehaviour::Stall);
        open();
        tick(20); // before the private page has arrived
        QVERIFY(site->waitForRequests(1, "/pic/"));
        QTRY_COMPARE(status(), QStringLiteral("Status: Getting images..."));
        timeOut("InetGetImage");
        QVERIFY(profileEnabled());
    }

    void newMessageMark_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("none") << 0 << "";
        QTest::newRow("one") << 1 << "1 new message";
    }
    void newMessageMark()
    {
        QFETCH(int, count);
        QFETCH(QString, tooltip);
        site->demoUser().newMessages = count;
        openAndFinish();
        QLabel *pm = label("pic_pm");
        QCOMPARE(pm->isVisible(), count > 0);
        QCOMPARE(pm->toolTip(), tooltip);
        // The name is centred in the frame and the mark sits 30 twips (2 pixels) beside it.
        QLabel *name = label("label_username");
        const int frame = control<QGroupBox>(w, "Frame1")->width();
        QCOMPARE(name->x(), frame / 2 - name->width() / 2);
        QCOMPARE(pm->x(), name->x() + name->width() + 2);
        // A left click on the mark opens the inbox and closes the window; a right one does not.
        QTest::mouseClick(pm, Qt::RightButton);
        QVERIFY(env->shell.urls.isEmpty());
        if (count == 0)
            return;
        QTest::mouseClick(pm, Qt::LeftButton);
        QCOMPARE(env->shell.urls, QStringList{site->baseUrl() + "/inbox.php"});
        QTRY_VERIFY(w.isNull());
    }

    void avatarAddressFromThePage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("logged"); // how the log line shows a refused address
        const QString host = "http://elsewhere.invalid/";
        const QString longest = host + QString(200 - host.size(), 'a');
        // Which addresses are the site's is tst_profilepage's, one on the site is
        // firstOpeningReadsBothPagesAndWritesTheCache's; here a refused one and its log line.
        QTest::newRow("another host, 200 characters logged whole") << longest << longest;
        QTest::newRow("another host, 201 characters logged as 200 and dots")
            << longest + "b" << longest + "...";
    }
    void avatarAddressFromThePage()
    {
        QFETCH(QString, address);
        QFETCH(QString, logged);
        QByteArray page = detailsPage();
        page.replace((site->baseUrl() + "/pic/avatar1.png").toLatin1(), address.toLatin1());
        site->setRawReply("/userdetails.php", 200, page, {{"Content-Type", "text/html"}});
        openAndFinish();
        QCOMPARE(paths().size(), 4);
        QVERIFY(avatarShown().isNull());
        QVERIFY(!QFileInfo::exists(env->file("avatar.img")));
        const QString refused = "Profile: avatar address not on the site, not requested: ";
        QCOMPARE(messages().filter(refused), QStringList{refused + logged});
    }

    void avatarDownloadFailures_data()
    {
        QTest::addColumn<int>("bytes"); // the avatar's size; 0: the failure below
        QTest::addColumn<SiteMisbehaviour::Kind>("misbehaviour");
        QTest::addColumn<QString>("expected"); // empty: stored and shown
        const int limit = int(AvatarFile::MaxBytes);
        QTest::newRow("exactly 2 MiB") << limit << SiteMisbehaviour::Raw << "";
        QTest::newRow("one byte over 2 MiB")
            << limit + 1 << SiteMisbehaviour::Raw
            << "Status: Failed to download image. The picture is larger than 2 MiB.";
        QTest::newRow("cut short")
            << 0 << SiteMisbehaviour::Truncated << "Status: Failed to download image. (";
        QTest::newRow("404") << 0 << SiteMisbehaviour::NotFound
                             << "Status: Failed to download image. File not found on server.";
        QTest::newRow("empty") << 0 << SiteMisbehaviour::Empty
                               << "Status: Failed to download image. (The site sent an empty "
                                  "picture)";
    }
    void avatarDownloadFailures()
    {
        QFETCH(int, bytes);
        QFETCH(SiteMisbehaviour::Kind, misbehaviour);
        QFETCH(QString, expected);
        const QByteArray previous = PngEncoder::avatar(9);
        QVERIFY(ReplaceFileAtomically(env->file("avatar.img"), previous));
        QByteArray body = PngEncoder::avatar(1);
        if (misbehaviour == SiteMisbehaviour::Raw)
            site->setRawReply("/pic/avatar1.png", 200, body + QByteArray(bytes - body.size(), 0),
                              {{"Content-Type", "image/png"}});
        else
            site->misbehave("/pic/", misbehaviour);
        openAndSettle();
        QVERIFY(!QFileInfo::exists(env->file("avatar.img.temp")));
        if (expected.isEmpty()) {
            QCOMPARE(fileBytes("avatar.img").size(), bytes);
            QCOMPARE(avatarShown().pixelColor(24, 24), QColor(235, 225, 200));
            return;
        }
        QCOMPARE(fileBytes("avatar.img"), previous);
        QVERIFY2(status().startsWith(expected), qPrintable(status()));
        QVERIFY(statusRed());
        // The values are in and cached all the same.
        QCOMPARE(cacheText(), demoCache());
    }

    void avatarFormats_data()
    {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("shown");
        QImage red(60, 40, QImage::Format_RGB32);
        red.fill(Qt::red);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        red.save(&buffer, "JPG");
        QTest::newRow("jpeg") << jpeg << true;
        // Three by two blue pixels.
        QTest::newRow("gif") << QByteArray::fromHex("47494638396103000200f000000000ff00000021f904"
                                                    "00000000002c0000000003000200000202845f003b")
                             << true;
        QTest::newRow("no picture") << QByteArray("<html>not a picture</html>") << false;
    }
    void avatarFormats()
    {
        QFETCH(QByteArray, picture);
        QFETCH(bool, shown);
        site->setRawReply("/pic/avatar1.png", 200, picture);
        openAndFinish();
        QCOMPARE(fileBytes("avatar.img"), picture);
        QCOMPARE(!avatarShown().isNull() && avatarShown().pixelColor(0, 0).alpha() == 255, shown);
        QCOMPARE(messages().contains("Failed to load profile image > no png support"), !shown);
    }

    void closingDuringTheExchange_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<SiteMisbehaviour::Kind>("misbehaviour");
        QTest::addColumn<QString>("statusWhenClosed");
        QTest::addColumn<bool>("windowCloses"); // false: only the exchange is told
        QTest::newRow("waiting for the page")
            << "/my.php" << SiteMisbehaviour::Stall << "Status: Logging in..." << true;
        QTest::newRow("reading the page")
            << "/userdetails.php" << SiteMisbehaviour::SlowDrip << "Status: Receiving File" << true;
        QTest::newRow("receiving the avatar")
            << "/pic/" << SiteMisbehaviour::SlowDrip << "Status: Receiving File" << true;
        QTest::newRow("receiving the avatar, the window not yet gone")
            << "/pic/" << SiteMisbehaviour::SlowDrip << "Status: Receiving File" << false;
    }
    void closingDuringTheExchange()
    {
        QFETCH(QString, path);
        QFETCH(SiteMisbehaviour::Kind, misbehaviour);
        QFETCH(QString, statusWhenClosed);
        QFETCH(bool, windowCloses);
        const QByteArray previous = PngEncoder::avatar(9);
        QVERIFY(ReplaceFileAtomically(env->file("avatar.img"), previous));
        SiteMisbehaviour rule;
        rule.prefix = path;
        rule.kind = misbehaviour;
        rule.dripChunk = 16;
        rule.dripIntervalMs = 20;
        site->addMisbehaviour(rule);
        open();
        QPointer<HttpTransfer> page = transfer("InetGetPage");
        // The window reads inside its own wait; a user's click arrives there as this timer does.
        QTimer closer;
        bool closed = false;
        bool stillRunning = true;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (!closed && !site->requestsTo(path).isEmpty() && status() == statusWhenClosed) {
                closed = true;
                if (windowCloses)
                    w->close();
                else
                    w->exchange().close();
                // Both requests end at once, before the window is gone.
                stillRunning = w->exchange().InetGetPage()->StillExecuting() ||
                               w->exchange().InetGetImage()->StillExecuting();
            }
        });
        closer.start(5);
        if (windowCloses) {
            QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 10000);
            QVERIFY(page.isNull());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(closed, 10000);
            QTRY_VERIFY(!QFileInfo::exists(env->file("avatar.img.temp")));
            QVERIFY(w);
        }
        QVERIFY(closed);
        QVERIFY(!stillRunning);
        QCOMPARE(QFileInfo::exists(env->file("profile.cache")), path == "/pic/");
        QVERIFY(!QFileInfo::exists(env->file("avatar.img.temp")));
        QCOMPARE(fileBytes("avatar.img"), previous);
    }

    // The menu and a double-click open a torrent's page; a torrent whose id is not a number
    // (the first row here) opens nothing.
    void listMenuAndDoubleClickOpenTheTorrentsPage()
    {
        QByteArray page = detailsPage();
        const QByteArray firstId =
            QByteArray::number(site->catalogue().seedingOf(site->demoUser()).at(0).id);
        page.replace("details.php?id=" + firstId + "&amp;hit=1",
                     "details.php?id=../../x&amp;hit=1");
        site->setRawReply("/userdetails.php", 200, page);
        openAndFinish();
        QTreeWidget *view = list();
        QTreeWidgetItem *second = view->topLevelItem(1);
        const QPoint at = view->visualItemRect(second).center();
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
        QMenu *menu = w->mnuTorrents();
        QCOMPARE(menu->objectName(), QStringLiteral("mnuTorrents"));
        QTRY_VERIFY(menu->isVisible());
        QAction *details = menu->actions().value(0);
        QCOMPARE(details->objectName(), QStringLiteral("mnuViewDetails"));
        QCOMPARE(details->text(), QStringLiteral("View Details"));
        details->trigger();
        menu->hide();
        const QString id = second->data(0, Qt::UserRole).toString();
        QCOMPARE(env->shell.urls,
                 QStringList{site->baseUrl() + "/details.php?id=" + id + "&dllist=1"});

        QTreeWidgetItem *third = view->topLevelItem(2);
        const QPoint thirdAt = view->visualItemRect(third).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, thirdAt);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, thirdAt);
        QCOMPARE(env->shell.urls.value(1),
                 site->baseUrl() + "/details.php?id=" + third->data(0, Qt::UserRole).toString() +
                     "&dllist=1");

        QCOMPARE(view->topLevelItem(0)->data(0, Qt::UserRole).toString(),
                 QStringLiteral("../../x"));
        view->setCurrentItem(view->topLevelItem(0));
        w->mnuViewDetailsClick();
        QCOMPARE(env->shell.urls.size(), 2);
        QVERIFY(messages().contains(
            "Profile: the torrent's id is not a number; its page is not opened."));
    }

    // Names, values and the notice come from the site's HTML: they are shown as written.
    void siteTextIsShownAsPlainText()
    {
        site->demoUser().userClass = "<b>Power</b> User";
        site->setRawReply("/my.php", 200,
                          "<title>Vellumstacks :: <i>demo</i>'s private page</title>Welcome, "
                          "<a href=userdetails.php?id=1>demo</a>");
        QByteArray page = detailsPage();
        page.replace("1 new message", "<b>1</b> new message");
        site->setRawReply("/userdetails.php", 200, page);
        openAndFinish();
        QCOMPARE(label("label_username")->text(), QStringLiteral("<i>demo</i>"));
        QCOMPARE(label("label_class")->text(), QStringLiteral("<b>Power</b> User"));
        for (const char *name :
             {"label_username", "label_joindate", "label_lastseen", "label_uploaded",
              "label_downloaded", "label_ratio", "label_class", "label_comments", "label_posts"})
            QCOMPARE(label(name)->textFormat(), Qt::PlainText);
        QLabel *pm = label("pic_pm");
        QCOMPARE(pm->toolTip(), QStringLiteral("<b>1</b> new message"));
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), pm->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(pm, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().contains("&lt;b&gt;1&lt;/b&gt; new message"),
                 qPrintable(QToolTip::text()));
        QToolTip::hideText();
    }
};

QTEST_MAIN(TestFrmProfile)
#include "tst_frmprofile.moc"
