#include "core/OptionsPage.h"
#include "core/TrayIcon.h"
#include "NotificationServer.h"
#include "notify/AlertStyle.h"
#include "notify/DesktopNotifications.h"
#include "NotifyTestApp.h"
#include "PrivateBus.h"

#include <QComboBox>
#include <QDir>
#include <QStandardItemModel>

// New torrents as desktop notifications, against a notification server on a private bus: the
// style each setting gives on each platform, what a notification carries, its buttons, and
// the way back to the popup (or the tray's words) when no server answers.
class TestNotifications : public NotifyTest
{
    Q_OBJECT

    static constexpr int Newest = 700040; // the newest torrent of the site's fixed catalogue

    PrivateBus m_bus;
    QDBusConnection m_client{QString()};
    std::unique_ptr<NotificationServer> server;

    // The program on the given platform with notifications chosen; after start() its first
    // check finds what the site added since the newest of its catalogue.
    void prepare(const QString &platform = QStringLiteral("xcb"), int playsound = 0)
    {
        SettingsStore &store = *env->store;
        store.WriteSettingNumber("notifystyle", AlertStyle::Notifications);
        store.WriteSettingNumber("interval", 600); // else the first load stores the sound on
        store.WriteSettingNumber("playsound", qint16(playsound));
        store.WriteSettingText("lastparsed", QString::number(Newest));
        store.WriteSettingText("lastalerted", QString::number(Newest));
        store.WriteSettingText("torrentpath", env->folder() + "torrents/");
        QVERIFY(QDir().mkpath(env->folder() + "torrents/"));
        env->services.session.platformName = platform;
    }
    DesktopNotifications &notifications() { return t->notify().desktopNotifications(); }
    static Announcement announcement(const QString &name, qint32 id = 1, bool downloadable = true)
    {
        const QString line = name + " has just been uploaded.";
        return {{name, "has just been uploaded."},
                {line, "http://s/", id, "f", name, downloadable}};
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.error()));
        m_client = m_bus.connect(QStringLiteral("pollwick"));
        QVERIFY(m_client.isConnected());
    }
    void init()
    {
        NotifyTest::init();
        env->services.bus = &m_client;
        server = std::make_unique<NotificationServer>(m_bus.connect(QStringLiteral("server")));
        QVERIFY(server->isRegistered());
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmDownload" && w->isVisible())
                w->close();
        server.reset();
        NotifyTest::cleanup();
    }

    // Automatic follows the session; the popup cannot be chosen by a native Wayland client.
    void styleByDesktop_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<bool>("notify");
        QTest::addColumn<int>("shown"); // in the options list
        // clang-format off
        QTest::newRow("automatic on X11") << 0 << "xcb" << "" << false << 0;
        QTest::newRow("automatic through XWayland") << 0 << "xcb" << "wayland-0" << true << 0;
        QTest::newRow("automatic on native Wayland") << 0 << "wayland" << "wayland-0" << true << 0;
        QTest::newRow("popup on X11") << 1 << "xcb" << "" << false << 1;
        QTest::newRow("popup through XWayland") << 1 << "xcb" << "wayland-0" << false << 1;
        QTest::newRow("popup on native Wayland acts as automatic") << 1 << "wayland-egl" << ""
                                                                   << true << 0;
        QTest::newRow("notifications on X11") << 2 << "xcb" << "" << true << 2;
        QTest::newRow("notifications on Wayland") << 2 << "wayland" << "wayland-0" << true << 2;
        QTest::newRow("above the last value") << 3 << "xcb" << "" << false << 0;
        QTest::newRow("below the first value") << -1 << "xcb" << "wayland-0" << true << 0;
        // clang-format on
    }
    void styleByDesktop()
    {
        QFETCH(int, stored);
        QFETCH(QString, platform);
        QFETCH(QString, waylandDisplay);
        QFETCH(bool, notify);
        QFETCH(int, shown);
        DesktopSession &session = env->services.session;
        session = DesktopSession{platform, waylandDisplay};
        QCOMPARE(AlertStyle::desktopNotifications(qint16(stored), session), notify);

        // The options page: the three choices, the popup disabled on native Wayland, and a
        // stored choice the page could not show kept when the page is saved unchanged.
        env->store->WriteSettingNumber("notifystyle", qint16(stored));
        t->start();
        t->main()->showOptions();
        auto *combo = NotifyTestApp::child<QComboBox>(t->main(), "combo_notifystyle");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QStringLiteral("Automatic"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Pollwick's popup"));
        QCOMPARE(combo->itemText(2), QStringLiteral("Desktop notifications"));
        const auto *model = qobject_cast<QStandardItemModel *>(combo->model());
        QCOMPARE(model->item(1)->isEnabled(), !platform.startsWith("wayland"));
        QCOMPARE(combo->currentIndex(), shown);
        t->main()->options().SaveOptions(false);
        const qint16 kept = stored >= 0 && stored <= 2 ? qint16(stored) : 0;
        QCOMPARE(env->store->ReadSettingNumber("notifystyle"), kept);
        combo->setCurrentIndex(2);
        t->main()->options().SaveOptions(true);
        QCOMPARE(env->store->ReadSettingNumber("notifystyle"), qint16(2));
    }

    // A check's new torrent becomes one notification in the popup's words with the whole name,
    // the program's name, icon and desktop entry and the popup's stay; the body and the buttons
    // follow what the server can do and what the alert is about; the program's sound plays
    // instead of the server's. No popup shows.
    void checkNotifies_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<int>("playsound");
        QTest::addColumn<QString>("torrents"); // "one", "downloaded" (by a filter) or "two"
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("actions");
        const QString name = "Tom & Jerry" + QString(" <Long Name>").repeated(12);
        const QString line = name + " has just been uploaded.";
        const QStringList all{"default",  "New Torrents", "download",
                              "Download", "open",         "Open page"};
        const QStringList noDownload{"default", "New Torrents", "open", "Open page"};
        const QStringList markup{"actions", "body-markup"};
        // clang-format off
        QTest::newRow("markup and actions, sound on") << markup << 1 << "one"
            << line.toHtmlEscaped() << all;
        QTest::newRow("plain body, sound off") << QStringList{"actions", "body"} << 0 << "one"
            << line << all;
        QTest::newRow("no actions") << QStringList{"body-markup"} << 0 << "one"
            << line.toHtmlEscaped() << QStringList();
        QTest::newRow("downloaded by a Download filter") << markup << 0 << "downloaded"
            << line.toHtmlEscaped() << noDownload;
        QTest::newRow("two torrents") << markup << 1 << "two"
            << "2  new torrents have just been uploaded." << noDownload;
        // clang-format on
    }
    void checkNotifies()
    {
        QFETCH(QStringList, capabilities);
        QFETCH(int, playsound);
        QFETCH(QString, torrents);
        QFETCH(QString, body);
        prepare(QStringLiteral("xcb"), playsound);
        server->capabilities = capabilities;
        const QString name = "Tom & Jerry" + QString(" <Long Name>").repeated(12);
        t->site.catalogue().addTorrent(QString(name).replace(' ', '.'), "TV/XviD", 1000);
        if (torrents == "two")
            t->site.catalogue().addTorrent("Another.One", "TV/XviD", 1000);
        if (torrents == "downloaded") {
            env->store->WriteSettingNumber("filterenabled", 1);
            NotifyTestApp::writeFile(env->file("filters.dat"), "111Jerry\r\n*\r\n");
        }
        t->start();
        QTRY_COMPARE(notifications().shown().size(), 1);
        QCOMPARE(server->calls, QStringList({"GetCapabilities", "Notify"}));
        const NotificationServer::Notification &n = server->notifications.first();
        QCOMPARE(n.appName, QStringLiteral("Pollwick"));
        QCOMPARE(n.icon, QStringLiteral("pollwick"));
        QCOMPARE(n.summary, QStringLiteral("Pollwick"));
        QCOMPARE(n.body, body);
        QTEST(n.actions, "actions");
        QCOMPARE(n.hints.value("desktop-entry").toString(), QStringLiteral("pollwick"));
        QCOMPARE(n.hints.contains("suppress-sound"), playsound == 1);
        QCOMPARE(n.expiry, 11000);
        QCOMPARE(n.replacesId, 0u);
        QCOMPARE(env->sound.played.size(), playsound);
        QVERIFY(!t->popup());
        QCOMPARE(notifications().shown().value(n.id).torrentId, torrents == "two" ? 0 : Newest + 1);
    }

    // Each button acts on what its notification is about, also after the results were
    // acknowledged; a signal for an id this program never got does nothing.
    void actions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("acknowledged");
        QTest::addColumn<bool>("ownId");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("default") << "default" << false << true << "summary";
        QTest::newRow("Download") << "download" << false << true << "download";
        QTest::newRow("Download after the acknowledgement") << "download" << true << true
                                                            << "download";
        QTest::newRow("unknown action") << "other" << false << true << "";
        QTest::newRow("another program's notification") << "download" << false << false << "";
        // clang-format on
    }
    void actions()
    {
        QFETCH(QString, action);
        QFETCH(bool, acknowledged);
        QFETCH(bool, ownId);
        QFETCH(QString, expected);
        prepare();
        t->site.catalogue().addTorrent("Single.Show.S01E01", "TV/XviD", 1000);
        t->start();
        QTRY_COMPARE(notifications().shown().size(), 1);
        const uint id = server->notifications.first().id;
        if (acknowledged)
            t->app->seticonnonew();
        server->invokeAction(ownId ? id : id + 1, action);
        // Every row opens the page too; signals from one sender arrive in order, so once that
        // has acted, so has the action before it.
        server->invokeAction(id, "open");
        const QString page =
            t->site.baseUrl() + "/details.php?id=" + QString::number(Newest + 1) + "&hit=1";
        QTRY_COMPARE(env->shell.urls.size(), 1);
        QCOMPARE(env->shell.urls.first(), page);

        const QString target =
            env->folder() + "torrents/" + t->site.catalogue().torrent(Newest + 1)->fileName;
        if (expected == "download") {
            QTRY_COMPARE(env->shell.files, QStringList{target});
            QVERIFY(QFile::exists(target));
            QCOMPARE(t->state().results.size(), acknowledged ? 0 : 1);
            if (!acknowledged)
                QCOMPARE(t->state().results.first().Downloaded, 1.0f);
        }
        QCOMPARE(env->shell.files.isEmpty(), expected != "download");
        QCOMPARE(NotifyTestApp::openWindow("frmSummary") != nullptr, expected == "summary");
    }

    // Each alert replaces Pollwick's previous notification; once the server closed it, the next
    // one is a new notification.
    void replacesThePreviousOne()
    {
        prepare();
        t->start();
        notifications().show(announcement("First", 1));
        notifications().show(announcement("Second", 2));
        QTRY_COMPARE(server->notifications.size(), 2);
        const uint first = server->notifications[0].id;
        QCOMPARE(server->notifications[1].replacesId, first);
        QTRY_COMPARE(notifications().shown().value(first).name, QStringLiteral("Second"));
        QCOMPARE(notifications().shown().size(), 1);
        server->close(first + 1); // not ours: nothing changes
        server->close(first);
        QTRY_VERIFY(notifications().shown().isEmpty());
        notifications().show(announcement("Third", 3));
        QTRY_COMPARE(server->notifications.size(), 3);
        QCOMPARE(server->notifications[2].replacesId, 0u);
    }

    // Without a server the popup shows on X11; on native Wayland the tray's words tell instead;
    // either way one log line says why.
    void withoutAServer_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("no server, X11") << "none" << "xcb"
            << "org.freedesktop.Notifications is neither running nor activatable";
        QTest::newRow("no session bus") << "nobus" << "xcb" << "no session bus";
        QTest::newRow("Notify refused") << "error" << "xcb" << "Notify: refused by the test";
        QTest::newRow("no answer") << "never" << "wayland" << "Notify: ";
        // clang-format on
    }
    void withoutAServer()
    {
        QFETCH(QString, fault);
        QFETCH(QString, platform);
        QFETCH(QString, reason);
        prepare(platform, 1);
        if (fault == "none")
            server.reset();
        else if (fault == "nobus")
            env->services.bus = nullptr;
        else
            server->notifyAnswer = fault == "error" ? NotificationServer::Answer::WithError
                                                    : NotificationServer::Answer::Never;
        t->site.catalogue().addTorrent("Lonely.Torrent", "TV/XviD", 1000);
        t->app = std::make_unique<PollwickApp>(env->services, QStringList{"/usr/bin/pollwick"});
        t->app->trayIcon().setAvailabilityProbe([] { return false; });
        notifications().setAnswerTimeout(100);
        t->app->start();
        const bool x11 = platform == "xcb";
        const QString line = "No desktop notification (" + reason;
        QTRY_VERIFY(!t->messages().filter(line).isEmpty());
        const QStringList lines = t->messages().filter("No desktop notification");
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().endsWith(x11 ? "showing the popup instead."
                                            : "the tray tooltip and the options window tell of "
                                              "it instead."),
                 qPrintable(lines.first()));
        QCOMPARE(t->popup() != nullptr, x11);
        QCOMPARE(env->notifier.events,
                 x11 ? QStringList()
                     : QStringList{"notify: Lonely Torrent has just been uploaded."});
        QCOMPARE(env->sound.played.size(), 1);
        if (t->popup())
            t->popup()->unload();
        // Nor does the popup itself ever show as a window of its own on native Wayland.
        t->notify().showPopup(PopupRequest{"Lonely Torrent", "again."});
        QCOMPARE(t->popup() != nullptr, x11);
    }
};

QTEST_MAIN(TestNotifications)
#include "tst_notifications.moc"
