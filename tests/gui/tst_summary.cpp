#include "core/TrayIconState.h"
#include "download/frmDownload.h"
#include "notify/frmTorrentInfo.h"
#include "NotifyTestApp.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

// The "New Torrents" window and its "Filter Info" window, opened the way the user opens them
// and driven through their controls, against the local test site.
class TestSummary : public QObject
{
    Q_OBJECT

    std::unique_ptr<NotifyTestApp> t;

    // Catalogue torrents of the test site used as results, oldest first.
    static constexpr int Ids[] = {700011, 700012, 700013};

    void startWithFilters()
    {
        NotifyTestApp::writeFile(t->env->file("filters.dat"),
                                 "110harbour\r\n*\r\n111linux\r\nTV, Music\r\n");
        t->env->store->WriteSettingNumber("filterenabled", 1);
        t->env->store->WriteSettingText("lastparsed", "700040");
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
    }
    MatchRecord record(int id, bool downloaded = false, int filterIndex = 1, qint64 size = -1) const
    {
        const SiteTorrent *torrent = t->site->catalogue().torrent(id);
        MatchRecord r;
        r.FilterIndex = filterIndex;
        r.FileName = torrent->fileName;
        r.Size = QString::number(size >= 0 ? size : torrent->size);
        r.Downloaded = downloaded ? 1.0f : 0.0f;
        r.Category = torrent->category;
        r.Name = QString(torrent->name).replace('.', ' ');
        r.Id = id;
        return r;
    }
    // Results as a check leaves them: the tray shows new torrents.
    void setResults(const ResultList &results)
    {
        t->state().results = results;
        t->app->trayState().checkanimation("stopnew");
    }
    // The tray icon double-clicked with results pending.
    frmSummary *openByTray()
    {
        t->app->onTrayDoubleClick();
        frmSummary *s = t->summary();
        if (!s || !s->isVisible())
            qFatal("the summary window did not open");
        return s;
    }
    QTreeWidget *list() { return NotifyTestApp::child<QTreeWidget>(t->summary(), "torrent_list"); }
    QPushButton *button(const char *name)
    {
        return NotifyTestApp::child<QPushButton>(t->summary(), name);
    }
    QCheckBox *hideBox() { return NotifyTestApp::child<QCheckBox>(t->summary(), "Check1"); }
    QAction *menuItem(const char *name)
    {
        return NotifyTestApp::child<QAction>(t->summary(), name);
    }
    QList<int> listedIds()
    {
        QList<int> ids;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QString name = list()->topLevelItem(i)->text(0);
            for (const MatchRecord &r : std::as_const(t->state().results))
                if (r.Name == name)
                    ids << r.Id;
        }
        return ids;
    }
    QTreeWidgetItem *rowOf(int id)
    {
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            if (list()->topLevelItem(i)->text(0) == record(id).Name)
                return list()->topLevelItem(i);
        qFatal("no row for %d", id);
        return nullptr;
    }
    QPoint centreOf(QTreeWidgetItem *item) { return list()->visualItemRect(item).center(); }
    void clickRow(QTreeWidgetItem *item, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list()->viewport(), button, {}, centreOf(item));
    }
    void clickHeader(int column)
    {
        QHeaderView *header = list()->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }
    QString targetOf(int id) const
    {
        return t->app->state().settings.TorrentFolder + record(id).FileName;
    }
    QByteArray torrentBytes(int id) const
    {
        return t->site->server().pages().torrentFile(*t->site->catalogue().torrent(id),
                                                     *t->site->catalogue().user("demo"));
    }
    static frmDownload *downloadWindow()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<frmDownload *>(w); d && d->isVisible())
                return d;
        return nullptr;
    }

private slots:
    void init() { t = std::make_unique<NotifyTestApp>(); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<frmDownload *>(w))
                w->close();
        const QString problems = t->env->problems();
        t.reset();
        QCOMPARE(problems, QString());
    }

    void rowsCaptionAndHideBox_data()
    {
        QTest::addColumn<QList<bool>>("downloaded"); // by result position
        QTest::addColumn<int>("hideSetting");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("listed");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("three, one downloaded, box ticked")
            << QList<bool>{false, true, false} << 1 << "2 new torrents"
            << QList<int>{Ids[2], Ids[0]} << QStringList{"none", "none"};
        QTest::newRow("three, one downloaded, all shown")
            << QList<bool>{false, true, false} << 0 << "3 new torrents"
            << QList<int>{Ids[2], Ids[1], Ids[0]} << QStringList{"none", "downloaded", "none"};
        QTest::newRow("one result") << QList<bool>{false} << 0 << "1 new torrent"
                                    << QList<int>{Ids[0]} << QStringList{"none"};
        QTest::newRow("all downloaded, box ticked")
            << QList<bool>{true, true} << 1 << "0 new torrents" << QList<int>{} << QStringList{};
        QTest::newRow("stored value other than 0 or 1 hides")
            << QList<bool>{true, false} << 7 << "1 new torrent" << QList<int>{Ids[1]}
            << QStringList{"none"};
    }
    void rowsCaptionAndHideBox()
    {
        QFETCH(QList<bool>, downloaded);
        QFETCH(int, hideSetting);
        QFETCH(QList<int>, listed);
        QFETCH(QStringList, actions);
        startWithFilters();
        t->env->store->WriteSettingNumber("summary_hidedownloaded", qint16(hideSetting));
        ResultList results;
        for (int i = 0; i < downloaded.size(); ++i)
            results << record(Ids[i], downloaded[i]);
        setResults(results);
        frmSummary *s = openByTray();
        QTEST(s->windowTitle(), "caption");
        QCOMPARE(listedIds(), listed);
        QStringList shownActions;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            shownActions << list()->topLevelItem(i)->text(3);
            QCOMPARE(list()->topLevelItem(i)->text(1), record(listed[i]).Category);
        }
        QCOMPARE(shownActions, actions);
        QCOMPARE(hideBox()->isChecked(), hideSetting != 0);
        QVERIFY(list()->selectedItems().isEmpty());
        QCOMPARE(button("Command1")->isEnabled(), !listed.isEmpty());
        QCOMPARE(button("Command2")->isEnabled(), !listed.isEmpty());
        QVERIFY(button("Command3")->isEnabled());
        QCOMPARE(hideBox()->text(), QStringLiteral("Hide \"downloaded\" torrents"));
    }

    void sizeInMegabytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one and a half") << qint64(3 * 524288) << "1.50";
        QTest::newRow("over 2 GB") << qint64(4831838208) << "4608.00";
    }
    void sizeInMegabytes()
    {
        QFETCH(qint64, bytes);
        startWithFilters();
        setResults({record(Ids[0], false, 1, bytes)});
        openByTray();
        QTEST(list()->topLevelItem(0)->text(2), "shown");
    }

    void hideBoxIsStored()
    {
        startWithFilters();
        setResults({record(Ids[0]), record(Ids[1], true)});
        openByTray();
        QCOMPARE(list()->topLevelItemCount(), 2);
        QTest::mouseClick(hideBox(), Qt::LeftButton);
        QCOMPARE(t->env->store->ReadSettingNumber("summary_hidedownloaded"), qint16(1));
        QCOMPARE(listedIds(), QList<int>{Ids[0]});
        QCOMPARE(t->summary()->windowTitle(), QStringLiteral("1 new torrent"));
        QTest::mouseClick(hideBox(), Qt::LeftButton);
        QCOMPARE(t->env->store->ReadSettingNumber("summary_hidedownloaded"), qint16(0));
        QCOMPARE(listedIds(), (QList<int>{Ids[1], Ids[0]}));
    }

    void headerSorting()
    {
        startWithFilters();
        ResultList results;
        const QStringList names = {"Beta", "alpha", "Gamma"};
        const QStringList types = {"TV", "Music", "Apps"};
        for (int i = 0; i < 3; ++i) {
            MatchRecord r = record(Ids[i], false, 1, 1048576 * (i == 1 ? 10 : 9));
            r.Name = names[i];
            r.Category = types[i];
            results << r;
        }
        setResults(results);
        openByTray();
        const auto column = [this](int c) {
            QStringList texts;
            for (int i = 0; i < list()->topLevelItemCount(); ++i)
                texts << list()->topLevelItem(i)->text(c);
            return texts;
        };
        QCOMPARE(column(0), (QStringList{"Gamma", "alpha", "Beta"}));
        clickHeader(2); // "Size (MB)" does not sort
        QCOMPARE(column(0), (QStringList{"Gamma", "alpha", "Beta"}));
        clickHeader(0);
        const QStringList first = column(0);
        clickHeader(0);
        const QStringList second = column(0);
        QCOMPARE(second.size(), 3);
        QCOMPARE(first, QList<QString>(second.rbegin(), second.rend()));
        // Letter case does not decide the order.
        QCOMPARE(second, (QStringList{"alpha", "Beta", "Gamma"}));
        clickHeader(1);
        const QStringList byType = column(1);
        QVERIFY(byType == (QStringList{"Apps", "Music", "TV"}) ||
                byType == (QStringList{"TV", "Music", "Apps"}));
        // The rows still act on their own torrents after sorting.
        list()->setCurrentItem(list()->findItems("alpha", Qt::MatchExactly).value(0));
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(t->env->shell.urls.last(), t->site->baseUrl() + "/details.php?id=700012&hit=1");
    }

    void viewDetails_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << "Command2";
        QTest::newRow("context menu") << "mnuDetails";
    }
    void viewDetails()
    {
        QFETCH(QString, how);
        startWithFilters();
        setResults({record(Ids[0]), record(Ids[1])});
        openByTray();
        // Nothing selected: nothing happens.
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QVERIFY(t->env->shell.urls.isEmpty());

        clickRow(rowOf(Ids[0]), how == "mnuDetails" ? Qt::RightButton : Qt::LeftButton);
        if (how == "mnuDetails") {
            QMenu *menu = t->summary()->mnuAction();
            QVERIFY(menu->isVisible());
            QStringList items;
            for (QAction *a : menu->actions())
                items << a->objectName() + "=" + a->text();
            QCOMPARE(items, (QStringList{"mnuDownload=Download Now", "mnuDetails=View Details",
                                         "mnuInfo=Filter Info"}));
            menuItem("mnuDetails")->trigger();
            menu->hide();
        } else {
            QTest::mouseClick(button("Command2"), Qt::LeftButton);
        }
        QCOMPARE(t->env->shell.urls,
                 QStringList{t->site->baseUrl() + "/details.php?id=700011&hit=1"});
        QVERIFY(!downloadWindow());
    }

    void doubleClick_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("expected"); // "download", "details" or ""
        QTest::newRow("Download Now") << 1 << "row"
                                      << "download";
        QTest::newRow("View Details") << 2 << "row"
                                      << "details";
        QTest::newRow("any other setting views details") << 0 << "row"
                                                         << "details";
        QTest::newRow("beside the rows") << 1 << "below"
                                         << "";
        QTest::newRow("on another row than the one clicked") << 2 << "other"
                                                             << "";
    }
    void doubleClick()
    {
        QFETCH(int, setting);
        QFETCH(QString, where);
        QFETCH(QString, expected);
        startWithFilters();
        t->state().settings.DoubleClickAction = qint16(setting);
        setResults({record(Ids[0]), record(Ids[1])});
        openByTray();
        QTreeWidgetItem *item = rowOf(Ids[0]);
        if (where == "row") {
            // What the window system sends for a double-click: a click, then the double-click.
            clickRow(item);
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centreOf(item));
        } else {
            clickRow(item);
            const QPoint at = where == "below" ? QPoint(10, list()->viewport()->height() - 3)
                                               : centreOf(rowOf(Ids[1]));
            QMouseEvent dbl(QEvent::MouseButtonDblClick, at, list()->viewport()->mapToGlobal(at),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list()->viewport(), &dbl);
        }
        if (expected == "details") {
            QCOMPARE(t->env->shell.urls,
                     QStringList{t->site->baseUrl() + "/details.php?id=700011&hit=1"});
            QVERIFY(!downloadWindow());
        } else if (expected == "download") {
            QVERIFY(downloadWindow());
            QVERIFY(t->env->shell.urls.isEmpty());
            QTRY_COMPARE(t->env->shell.files, QStringList{targetOf(Ids[0])});
        } else {
            QVERIFY(t->env->shell.urls.isEmpty());
            QVERIFY(!downloadWindow());
            QCOMPARE(t->state().results[0].Downloaded, 0.0f);
        }
    }

    // "Download Now" fetches the file from the site in a window that is not minimised, marks
    // the result downloaded and, with the hide box ticked, takes its row off the list.
    void downloadNow_data()
    {
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("listedAfter");
        QTest::newRow("all shown") << false << "Command1" << QList<int>{Ids[1], Ids[0]};
        QTest::newRow("downloaded hidden") << true << "Command1" << QList<int>{Ids[1]};
        QTest::newRow("context menu") << false << "mnuDownload" << QList<int>{Ids[1], Ids[0]};
    }
    void downloadNow()
    {
        QFETCH(bool, hide);
        QFETCH(QString, how);
        startWithFilters();
        t->env->store->WriteSettingNumber("summary_hidedownloaded", hide ? 1 : 0);
        setResults({record(Ids[0]), record(Ids[1])});
        openByTray();
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QVERIFY(!downloadWindow());

        list()->setCurrentItem(rowOf(Ids[0]));
        if (how == "Command1")
            QTest::mouseClick(button("Command1"), Qt::LeftButton);
        else
            menuItem("mnuDownload")->trigger();
        frmDownload *window = downloadWindow();
        QVERIFY(window);
        QVERIFY(!window->isMinimized());
        QCOMPARE(window->targetPath(), targetOf(Ids[0]));
        QCOMPARE(t->state().results[0].Downloaded, 1.0f);
        QCOMPARE(t->state().results[1].Downloaded, 0.0f);
        QTEST(listedIds(), "listedAfter");
        if (!hide)
            QCOMPARE(rowOf(Ids[0])->text(3), QStringLiteral("downloaded"));
        QTRY_COMPARE(t->env->shell.files, QStringList{targetOf(Ids[0])});
        QCOMPARE(NotifyTestApp::readFile(targetOf(Ids[0])), torrentBytes(Ids[0]));
        QCOMPARE(t->site->requestsTo("/takelogin.php").size(), 1);
    }

    // A row whose result was acknowledged or replaced while the window was open refreshes the
    // list instead of acting on whatever torrent now has its position.
    void staleRowRefreshes_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("replaced");
        for (const char *action : {"Command1", "Command2", "mnuInfo"}) {
            QTest::addRow("%s after acknowledging", action) << action << false;
            QTest::addRow("%s after a replacement", action) << action << true;
        }
    }
    void staleRowRefreshes()
    {
        QFETCH(QString, action);
        QFETCH(bool, replaced);
        startWithFilters();
        setResults({record(Ids[0]), record(Ids[1])});
        openByTray();
        list()->setCurrentItem(rowOf(Ids[0]));
        if (replaced)
            t->state().results = {record(Ids[2]), record(700020)};
        else
            t->main()->seticonnonew();
        if (action == "mnuInfo")
            menuItem("mnuInfo")->trigger();
        else
            QTest::mouseClick(button(action.toLatin1()), Qt::LeftButton);
        QVERIFY(t->env->shell.urls.isEmpty());
        QVERIFY(!downloadWindow());
        QVERIFY(!NotifyTestApp::openWindow("frmTorrentInfo"));
        QCOMPARE(listedIds(), replaced ? (QList<int>{700020, Ids[2]}) : QList<int>());
        QCOMPARE(t->summary()->windowTitle(),
                 replaced ? QStringLiteral("2 new torrents") : QStringLiteral("0 new torrents"));
        for (const MatchRecord &r : std::as_const(t->state().results))
            QCOMPARE(r.Downloaded, 0.0f);
    }

    void closingAcknowledges_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close button") << "Command3";
        QTest::newRow("window closed") << "close";
    }
    void closingAcknowledges()
    {
        QFETCH(QString, how);
        startWithFilters();
        setResults({record(Ids[0]), record(Ids[1])});
        frmSummary *s = openByTray();
        QCOMPARE(s->minimumSize(), QSize(639, 182));
        s->resize(700, 300);
        QCOMPARE(t->app->trayState().IconState(), QStringLiteral("new"));
        if (how == "Command3")
            QTest::mouseClick(button("Command3"), Qt::LeftButton);
        else
            s->close();
        QVERIFY(!s->isVisible());
        QVERIFY(t->state().results.isEmpty());
        QCOMPARE(t->app->trayState().IconState(), QStringLiteral("nonew"));
        QCOMPARE(t->app->trayState().tip(), QStringLiteral("No new torrents"));
        QCOMPARE(t->env->store->ReadSettingNumber("summary_width"), qint16(700 * 15));
        QCOMPARE(t->env->store->ReadSettingNumber("summary_height"), qint16(300 * 15));

        // Opened again: the same window at the stored size.
        setResults({record(Ids[2])});
        QCOMPARE(openByTray(), s);
        QCOMPARE(s->size(), QSize(700, 300));
        QCOMPARE(listedIds(), QList<int>{Ids[2]});
    }

    void minimisedWindowIsRestored()
    {
        startWithFilters();
        setResults({record(Ids[0])});
        frmSummary *s = openByTray();
        s->showMinimized();
        setResults({record(Ids[0]), record(Ids[1])});
        t->app->onTrayDoubleClick();
        QVERIFY(!s->isMinimized());
        QCOMPARE(s->windowTitle(), QStringLiteral("2 new torrents"));
        // Nothing is acknowledged by minimising.
        QCOMPARE(t->state().results.size(), 2);
    }

    // Filter Info's three answers, and "Show me this filter" bringing the filter up in the
    // main window.
    void filterInfo_data()
    {
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("gotoEnabled");
        QTest::newRow("filtering was off")
            << 0 << "Torrent filtering not enabled. You will be notified of all new torrents."
            << false;
        QTest::newRow("filter 2") << 2 << "Contains linux in TV, Music" << true;
        QTest::newRow("filter 3 of 2")
            << 3
            << "Unabled to display filter info.\r\nYour filters may have changed since this "
               "torrent was uploaded."
            << false;
    }
    void filterInfo()
    {
        QFETCH(int, filterIndex);
        QFETCH(QString, text);
        QFETCH(bool, gotoEnabled);
        startWithFilters();
        QVERIFY(!t->main()->isVisible());
        setResults({record(Ids[0], false, 1), record(Ids[1], false, filterIndex)});
        frmSummary *s = openByTray();
        clickRow(rowOf(Ids[1]), Qt::RightButton);
        menuItem("mnuInfo")->trigger();
        s->mnuAction()->hide();
        QWidget *info = NotifyTestApp::openWindow("frmTorrentInfo");
        QVERIFY(info);
        QCOMPARE(info->windowModality(), Qt::ApplicationModal);
        QCOMPARE(info->windowTitle(), record(Ids[1]).Name);
        QCOMPARE(NotifyTestApp::child<QLabel>(info, "Label1")->text(),
                 QStringLiteral("This torrent is a result of the following filter:"));
        QCOMPARE(NotifyTestApp::child<QLabel>(info, "info_filterhit")->text(), text);
        auto *go = NotifyTestApp::child<QPushButton>(info, "command_goto");
        QCOMPARE(go->text(), QStringLiteral("Show me this filter"));
        QCOMPARE(go->isEnabled(), gotoEnabled);
        // A double-click on the tray icon does nothing while it is open.
        t->app->onTrayDoubleClick();
        QVERIFY(t->env->shell.urls.isEmpty());

        if (!gotoEnabled) {
            QTest::mouseClick(NotifyTestApp::child<QPushButton>(info, "command_ok"),
                              Qt::LeftButton);
            QVERIFY(!info->isVisible());
            QVERIFY(s->isVisible());
            QCOMPARE(t->state().results.size(), 2);
            return;
        }
        QTest::mouseClick(go, Qt::LeftButton);
        frmMain *main = t->main();
        QVERIFY(main->isVisible());
        QVERIFY(!main->isMinimized());
        QCOMPARE(NotifyTestApp::child<QTabWidget>(main, "SSTab1")->currentIndex(), 2);
        auto *filters = NotifyTestApp::child<QTreeWidget>(main, "ListView1");
        QCOMPARE(filters->selectedItems(), QList<QTreeWidgetItem *>{filters->topLevelItem(1)});
        QCOMPARE(filters->currentItem(), filters->topLevelItem(1));
        QVERIFY(!NotifyTestApp::openWindow("frmTorrentInfo"));
        QVERIFY(s->isMinimized());
        // Minimising is not closing: the results wait.
        QCOMPARE(t->state().results.size(), 2);
    }
};

QTEST_MAIN(TestSummary)
#include "tst_summary.moc"
