#include "core/TrayIconState.h"
#include "download/frmDownload.h"
#include "NotifyTestApp.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

// The "New Torrents" window of the running program, driven through its controls against the
// local test site; the rules of its rows are tst_summaryrows'.
class TestSummary : public NotifyTest
{
    Q_OBJECT

    static constexpr int Ids[] = {700011, 700012, 700013}; // catalogue torrents, oldest first

    MatchRecord record(int id, bool downloaded = false) const
    {
        const SiteTorrent *s = t->site.catalogue().torrent(id);
        const QString name = QString(s->name).replace('.', ' ');
        return {1, s->fileName, QString::number(s->size), float(downloaded), s->category, name, id};
    }
    // The results a check left, and the tray icon double-clicked.
    frmSummary *showResults(const ResultList &results)
    {
        t->state().results = results;
        t->app->trayState().checkanimation("stopnew");
        t->app->onTrayDoubleClick();
        return t->summary();
    }
    // The program started hidden.
    frmSummary *open(const ResultList &results, int hideSetting = 0)
    {
        env->store->WriteSettingNumber("summary_hidedownloaded", qint16(hideSetting));
        env->store->WriteSettingText("lastparsed", "700040");
        t->start();
        return showResults(results);
    }
    QTreeWidget *list() { return NotifyTestApp::child<QTreeWidget>(t->summary(), "torrent_list"); }
    void click(const char *name)
    {
        QTest::mouseClick(NotifyTestApp::child<QAbstractButton>(t->summary(), name),
                          Qt::LeftButton);
    }
    QStringList column(int c)
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            texts << list()->topLevelItem(i)->text(c);
        return texts;
    }
    QPoint centreOf(int id)
    {
        return list()->visualItemRect(list()->findItems(record(id).Name, {}).value(0)).center();
    }
    static frmDownload *downloadWindow()
    {
        return WidgetFinder::shownWindows<frmDownload>().value(0);
    }

private slots:
    void cleanup()
    {
        if (frmDownload *w = downloadWindow())
            w->close();
        NotifyTest::cleanup();
    }

    // Download Now and View Details by button, menu and double-click; nothing without a row; a
    // row whose result was acknowledged or replaced meanwhile refreshes the list instead (the
    // downloaded row leaving the list with the box ticked: downloadEndsWithoutFile).
    void rowActions_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("option");       // DoubleClickAction
        QTest::addColumn<QString>("before");   // "acknowledge", "replace" or ""
        QTest::addColumn<QString>("expected"); // "download", "details" or ""
        // clang-format off
        QTest::newRow("Download Now button") << "Command1" << 2 << "" << "download";
        QTest::newRow("Download Now in the menu") << "mnuDownload" << 2 << "" << "download";
        QTest::newRow("View Details in the menu") << "mnuDetails" << 1 << "" << "details";
        QTest::newRow("double-click, Download Now") << "row" << 1 << "" << "download";
        QTest::newRow("double-click, View Details") << "row" << 2 << "" << "details";
        QTest::newRow("Download Now after acknowledging") << "Command1" << 2 << "acknowledge" << "";
        QTest::newRow("View Details after a replacement") << "Command2" << 2 << "replace" << "";
        QTest::newRow("Filter Info after acknowledging") << "mnuInfo" << 2 << "acknowledge" << "";
        // clang-format on
    }
    void rowActions()
    {
        QFETCH(QString, how);
        QFETCH(int, option);
        QFETCH(QString, before);
        QFETCH(QString, expected);
        open({record(Ids[0]), record(Ids[1])});
        t->state().settings.DoubleClickAction = qint16(option);
        click("Command1");
        click("Command2");
        QTest::mouseClick(list()->viewport(),
                          how.startsWith("mnu") ? Qt::RightButton : Qt::LeftButton, {},
                          centreOf(Ids[0]));
        if (before == "replace")
            t->state().results = {record(Ids[2]), record(700020)};
        else if (before == "acknowledge")
            t->app->seticonnonew();
        if (how.startsWith("mnu")) {
            QVERIFY(t->summary()->mnuAction()->isVisible());
            NotifyTestApp::child<QAction>(t->summary(), how.toLatin1())->trigger();
            t->summary()->mnuAction()->hide();
        } else if (how == "row") {
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centreOf(Ids[0]));
        } else {
            click(how.toLatin1());
        }
        QCOMPARE(env->shell.urls,
                 expected == "details"
                     ? QStringList{t->site.baseUrl() + "/details.php?id=700011&hit=1"}
                     : QStringList{});
        for (const MatchRecord &r : std::as_const(t->state().results))
            QCOMPARE(r.Downloaded, r.Id == Ids[0] && expected == "download" ? 1.0f : 0.0f);
        QVERIFY(!NotifyTestApp::openWindow("frmTorrentInfo"));
        if (before == "acknowledge" || before == "replace")
            QCOMPARE(column(0), before == "replace"
                                    ? QStringList({record(700020).Name, record(Ids[2]).Name})
                                    : QStringList());
        QCOMPARE(bool(downloadWindow()), expected == "download");
        if (expected != "download")
            return;
        QVERIFY(!downloadWindow()->isMinimized());
        QCOMPARE(column(3), (QStringList{"none", "downloaded"}));
        QTRY_COMPARE(env->shell.files,
                     QStringList{t->app->state().settings.TorrentFolder + record(Ids[0]).FileName});
        // The user watches this download in its window (which reports the end before it opens
        // the file); only a check's downloads log their path.
        QCOMPARE(t->messages().filter(QStringLiteral("Saved ")), QStringList());
    }

    // A download started from the list that ends without a file (the window closed while it
    // waited, or the site sent a page instead of the torrent) puts its row back to "none",
    // found by its id after the list has changed, shown again with downloaded ones hidden.
    void downloadEndsWithoutFile_data()
    {
        QTest::addColumn<QString>("ending"); // "cancelled" or "page"
        QTest::addColumn<bool>("hide");
        QTest::newRow("cancelled") << "cancelled" << false;
        QTest::newRow("site sent a page, downloaded hidden") << "page" << true;
    }
    void downloadEndsWithoutFile()
    {
        QFETCH(QString, ending);
        QFETCH(bool, hide);
        if (ending == "page")
            t->site.scriptReply("/download.php", "<html><body>Log in</body></html>");
        else
            t->site.misbehave("/download.php", SiteMisbehaviour::Stall);
        open({record(Ids[0]), record(Ids[1])}, hide);
        list()->setCurrentItem(list()->findItems(record(Ids[0]).Name, {}).value(0));
        click("Command1");
        QPointer<frmDownload> window = downloadWindow();
        QVERIFY(window);
        QCOMPARE(column(0).contains(record(Ids[0]).Name), !hide);
        if (ending == "cancelled") {
            // Download Now on the row while its download runs is refused with the box; the row
            // stays "downloaded", as that download may still end well.
            click("Command1");
            QCOMPARE(env->dialogs.take().text,
                     QStringLiteral("Unable to download file. File is already being downloaded."));
            QCOMPARE(column(3), (QStringList{"none", "downloaded"}));
        }
        // The list changes meanwhile: a later result comes first, the row's position moves.
        t->state().results.prepend(record(Ids[2]));
        if (ending == "cancelled") {
            QVERIFY(t->site.waitForRequests(1, "/download.php"));
            QTest::mouseClick(NotifyTestApp::child<QPushButton>(window, "Command1"),
                              Qt::LeftButton);
        }
        QTRY_COMPARE(t->state().results[1].Downloaded, 0.0f);
        QCOMPARE(column(0),
                 (QStringList{record(Ids[1]).Name, record(Ids[0]).Name, record(Ids[2]).Name}));
        QCOMPARE(column(3), (QStringList{"none", "none", "none"}));
        QVERIFY(NotifyTestApp::child<QPushButton>(t->summary(), "Command1")->isEnabled());
        QCOMPARE(env->shell.files, QStringList());
        if (ending == "page")
            QCOMPARE(window->windowTitle(), QStringLiteral("Download Failed"));
        else
            QTRY_VERIFY(!window);
        // Offered again, and started again, while the failed window still shows why.
        t->site.clearMisbehaviour();
        list()->setCurrentItem(list()->findItems(record(Ids[0]).Name, {}).value(0));
        click("Command1");
        QTRY_COMPARE(env->shell.files,
                     QStringList{t->app->state().settings.TorrentFolder + record(Ids[0]).FileName});
        QCOMPARE(t->state().results[1].Downloaded, 1.0f);
    }

    // The hide box is stored when clicked; a minimised window is restored; closing acknowledges
    // and stores the size, and the same window comes back at that size.
    void hideBoxAndClosing()
    {
        frmSummary *s = open({record(Ids[0]), record(Ids[1], true)}, 7);
        QCOMPARE(s->windowTitle(), QStringLiteral("1 new torrent"));
        click("Check1");
        QCOMPARE(env->store->ReadSettingNumber("summary_hidedownloaded"), qint16(0));
        QCOMPARE(column(3), (QStringList{"downloaded", "none"}));
        s->resize(700, 300);
        s->showMinimized();
        QCOMPARE(showResults({record(Ids[0]), record(Ids[1]), record(Ids[2])}), s);
        QVERIFY(!s->isMinimized());
        click("Command3");
        QVERIFY(!s->isVisible());
        QVERIFY(t->state().results.isEmpty());
        QCOMPARE(t->app->trayState().IconState(), QStringLiteral("nonew"));
        QCOMPARE(env->store->ReadSettingNumber("summary_width"), qint16(700 * 15));
        QCOMPARE(env->store->ReadSettingNumber("summary_height"), qint16(300 * 15));
        QCOMPARE(showResults({record(Ids[2])}), s);
        QCOMPARE(s->size(), QSize(700, 300));
        QCOMPARE(column(0), QStringList{record(Ids[2]).Name});
    }
    // Name and type headers sort both ways without regard to letter case; the size header does
    // not sort; rows keep acting on their own torrents afterwards.
    void headerSorting()
    {
        open({{1, "b.torrent", "9437184", 0, "TV", "Beta", Ids[0]},
              {1, "a.torrent", "10485760", 0, "Music", "alpha", Ids[1]},
              {1, "g.torrent", "9437184", 0, "Apps", "Gamma", Ids[2]}});
        QCOMPARE(column(0), (QStringList{"Gamma", "alpha", "Beta"}));
        WidgetFinder::clickHeader(list(), 2);
        QCOMPARE(column(0), (QStringList{"Gamma", "alpha", "Beta"}));
        WidgetFinder::clickHeader(list(), 0);
        const QStringList first = column(0);
        WidgetFinder::clickHeader(list(), 0);
        QCOMPARE(column(0), (QStringList{"alpha", "Beta", "Gamma"}));
        QCOMPARE(first, (QStringList{"Gamma", "Beta", "alpha"}));
        WidgetFinder::clickHeader(list(), 1);
        QVERIFY(column(1) == (QStringList{"Apps", "Music", "TV"}) ||
                column(1) == (QStringList{"TV", "Music", "Apps"}));
        list()->setCurrentItem(list()->findItems("alpha", Qt::MatchExactly).value(0));
        click("Command2");
        QCOMPARE(env->shell.urls, QStringList{t->site.baseUrl() + "/details.php?id=700012&hit=1"});
    }

    // Filter Info for a filter and for one that is gone (every answer is tst_summaryrows');
    // "Show me this filter" brings the filter up in the main window and leaves the results
    // waiting.
    void filterInfo_data()
    {
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QString>("text");
        const QString changed("Unabled to display filter info.\r\nYour filters may have changed "
                              "since this torrent was uploaded.");
        QTest::newRow("filter 2") << 2 << "Contains linux in TV, Music";
        QTest::newRow("filter 3 of 2") << 3 << changed;
    }
    void filterInfo()
    {
        QFETCH(int, filterIndex);
        NotifyTestApp::writeFile(env->file("filters.dat"),
                                 "110harbour\r\n*\r\n111linux\r\nTV, Music\r\n");
        env->store->WriteSettingNumber("filterenabled", 1);
        MatchRecord hit = record(Ids[1]);
        hit.FilterIndex = filterIndex;
        frmSummary *s = open({record(Ids[0]), hit});
        QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, centreOf(Ids[1]));
        NotifyTestApp::child<QAction>(s, "mnuInfo")->trigger();
        s->mnuAction()->hide();
        QWidget *info = NotifyTestApp::openWindow("frmTorrentInfo");
        QVERIFY(info);
        QCOMPARE(info->windowTitle(), hit.Name);
        QTEST(NotifyTestApp::child<QLabel>(info, "info_filterhit")->text(), "text");
        auto *go = NotifyTestApp::child<QPushButton>(info, "command_goto");
        QCOMPARE(go->isEnabled(), filterIndex == 2);
        if (!go->isEnabled()) {
            QTest::mouseClick(NotifyTestApp::child<QPushButton>(info, "command_ok"),
                              Qt::LeftButton);
            QVERIFY(!info->isVisible() && s->isVisible());
            return;
        }
        QTest::mouseClick(go, Qt::LeftButton);
        QVERIFY(t->main()->isVisible() && !info->isVisible() && s->isMinimized());
        QCOMPARE(NotifyTestApp::child<QTabWidget>(t->main(), "SSTab1")->currentIndex(), 2);
        auto *filters = NotifyTestApp::child<QTreeWidget>(t->main(), "ListView1");
        QCOMPARE(filters->selectedItems(), QList<QTreeWidgetItem *>{filters->topLevelItem(1)});
        QCOMPARE(t->state().results.size(), 2);
    }
};

QTEST_MAIN(TestSummary)
#include "tst_summary.moc"
