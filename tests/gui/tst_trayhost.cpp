#include "MainWindowHarness.h"
#include "notify/FrmVSPopUp.h"
#include "platform/X11Window.h"
#include "PrivateBus.h"
#include "StatusNotifierWatcher.h"

#include <QLabel>

#include <csignal>

// On a virtual X display (xvfb-run) with a private session bus: a tray that appears after the
// program gets its icon (a StatusNotifier host on the bus, an XEmbed tray on the display), and the
// popup is a notification window that stays out of the taskbar and never takes the focus.
// Qt settles once per process whether a D-Bus tray exists, so the XEmbed case runs in a
// process of its own.
class TestTrayHost : public MainWindowTest
{
    Q_OBJECT
    PrivateBus &m_bus;
    QDBusConnection m_session = QDBusConnection::sessionBus();

    // The program started in the tray, with no tray to show it yet.
    TrayIcon &startInTheTray()
    {
        m->storeUser();
        m->env.store->WriteSettingText("lastparsed", "700040");
        m->env.services.bus = &m_session;
        m->env.services.session.platformName = QStringLiteral("xcb");
        m->app = std::make_unique<PollwickApp>(m->env.services, QStringList{"/usr/bin/pollwick"});
        m->app->start();
        return m->app->trayIcon();
    }
    bool standInShown() const
    {
        return m->control<QLabel>("info_notray")->isVisibleTo(m->window());
    }

public:
    explicit TestTrayHost(PrivateBus &bus) : m_bus(bus) {}

private slots:

    // Qt is not asked about the tray before a host is there; the watcher's host appearing on
    // the bus brings the icon, registered with the watcher, and takes the stand-in away.
    void statusNotifierHostAppearsLater()
    {
        TrayIcon &icon = startInTheTray();
        QVERIFY(!icon.shown() && standInShown());
        QVERIFY(!icon.systemTrayIcon());
        StatusNotifierWatcher watcher(m_bus.connect(QStringLiteral("watcher")));
        QVERIFY(watcher.isRegistered());
        QTRY_VERIFY(icon.shown());
        QTRY_COMPARE(watcher.items().size(), 1);
        QVERIFY(!standInShown());
    }

    // An XEmbed tray (tint2's, beside openbox, without which tint2 waits for a window manager)
    // that starts later is found at the next look.
    void xembedTrayAppearsLater()
    {
        TrayIcon &icon = startInTheTray();
        icon.onTmrTrayTick();
        QVERIFY(!icon.shown() && standInShown());
        QTemporaryDir dir;
        QFile config(dir.filePath("tint2rc"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("panel_items = S\npanel_size = 100% 30\n"
                     "panel_position = bottom center horizontal\nsystray_icon_size = 22\n");
        config.close();
        QProcess openbox, tint2;
        for (QProcess *p : {&openbox, &tint2}) {
            p->setStandardErrorFile(QProcess::nullDevice());
            p->setStandardOutputFile(QProcess::nullDevice());
        }
        openbox.start("openbox", {});
        tint2.start("tint2", {"-c", config.fileName()});
        QVERIFY2(openbox.waitForStarted(5000) && tint2.waitForStarted(5000),
                 qPrintable(openbox.errorString() + tint2.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(X11Window::systemTrayOwned(), 10000);
        icon.onTmrTrayTick();
        QVERIFY(icon.shown());
        QVERIFY(!standInShown());
        for (QProcess *p : {&tint2, &openbox}) {
            ::kill(pid_t(p->processId()), SIGTERM);
            QVERIFY(p->waitForFinished(5000));
        }
    }

    // Skip taskbar, skip pager and the notification type are set before the popup is mapped;
    // it takes no input focus (its window flag is tst_popup's).
    void popupIsANotificationWindow()
    {
        m->makeApp();
        auto *popup = new FrmVSPopUp(m->env.services);
        popup->setCaption("Pollwick has news");
        popup->showWithoutActivating();
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        QProcess xprop;
        xprop.start("xprop", {"-id", QString::number(popup->winId()), "_NET_WM_STATE",
                              "_NET_WM_WINDOW_TYPE", "WM_HINTS"});
        QVERIFY2(xprop.waitForFinished(10000), qPrintable(xprop.errorString()));
        const QString properties = QString::fromLatin1(xprop.readAllStandardOutput());
        for (const char *expected : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
                                     "_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NOTIFICATION",
                                     "Client accepts input or input focus: False"})
            QVERIFY2(properties.contains(expected), qPrintable(properties));
        QVERIFY(QGuiApplication::focusWindow() != popup->windowHandle());
        popup->unload();
    }
};

// Run under xvfb-run, which gives the display.
int main(int argc, char *argv[])
{
    PrivateBus bus;
    if (!bus.isRunning())
        qFatal("%s", qPrintable(bus.error()));
    // Qt's tray reaches the session bus through the environment.
    bus.exportAsSessionBus();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestTrayHost test(bus);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_trayhost.moc"
