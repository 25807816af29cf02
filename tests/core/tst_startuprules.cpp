#include "core/StartupRules.h"
#include "platform/SettingsStore.h"
#include "TestEnv.h"

#include <QFile>
#include <QTest>

class TestStartupRules : public QObject
{
    Q_OBJECT
private slots:
    void init() { env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void commandLineSwitches_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("developer");
        QTest::addColumn<bool>("startup");
        const QString exe = QStringLiteral("/usr/bin/pollwick");
        QTest::newRow("none") << QStringList{exe} << false << false;
        QTest::newRow("startup") << QStringList{exe, "/startup"} << false << true;
        QTest::newRow("dev") << QStringList{exe, "/dev"} << true << false;
        QTest::newRow("both, any order")
            << QStringList{exe, "/startup", "x", "/dev"} << true << true;
        QTest::newRow("dev inside a word") << QStringList{exe, "/device"} << true << false;
        QTest::newRow("dev across two arguments")
            << QStringList{exe, "a/", "dev"} << false << false;
        QTest::newRow("upper case ignored")
            << QStringList{exe, "/DEV", "/Startup"} << false << false;
        // The program path itself is not searched.
        QTest::newRow("path holding /dev") << QStringList{"/dev/shm/pollwick"} << false << false;
    }
    void commandLineSwitches()
    {
        QFETCH(QStringList, arguments);
        const auto options =
            StartupRules::get_commandlineoptions(StartupRules::commandLineText(arguments));
        QTEST(options.developerMode, "developer");
        QTEST(options.launchedAtStartup, "startup");
    }

    void upgradereg_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("wiped");
        QTest::newRow("506 wipes") << "506" << true;
        QTest::newRow("1000 sorts before 506") << "1000" << true;
        QTest::newRow("505 wipes") << "505" << true;
        QTest::newRow("512 keeps") << "512" << false;
        QTest::newRow("6 sorts after 506") << "6" << false;
        QTest::newRow("507 keeps") << "507" << false;
        QTest::newRow("missing wipes") << QString() << true;
    }
    void upgradereg()
    {
        QFETCH(QString, stored);
        QFETCH(bool, wiped);
        SettingsStore &store = *env->store;
        if (!stored.isNull())
            store.WriteSettingText("appbuild", stored);
        store.WriteSettingText("site_username", "alice");
        store.WriteSettingNumber("interval", 300);

        QCOMPARE(StartupRules::upgradereg(store), wiped);
        QCOMPARE(store.ReadSettingText("appbuild"), QStringLiteral("512"));
        QCOMPARE(store.ReadSettingText("site_username"),
                 wiped ? QString() : QStringLiteral("alice"));
        QCOMPARE(store.ReadSettingNumber("interval"), qint16(wiped ? 0 : 300));
    }

    void helpFileFoundInProgramFolder()
    {
        QCOMPARE(StartupRules::findHelpFile(env->services.config), QString());
        QFile help(env->file("pollwick help.chm"));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.close();
        QCOMPARE(StartupRules::findHelpFile(env->services.config), env->file("pollwick help.chm"));
    }

    void runEntryCommandLine_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("plain") << "/usr/bin/pollwick"
                               << "\"/usr/bin/pollwick\" /startup";
        QTest::newRow("blank") << "/opt/my apps/pollwick"
                               << "\"/opt/my apps/pollwick\" /startup";
        QTest::newRow("reserved") << "/o/a\"b$c`d\\e%f"
                                  << "\"/o/a\\\"b\\$c\\`d\\\\e%%f\" /startup";
    }
    void runEntryCommandLine()
    {
        QFETCH(QString, exe);
        QTEST(StartupRules::runEntryCommandLine(exe), "commandLine");
    }

    void xcbOnWayland_data()
    {
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("xcb");
        QTest::newRow("wayland with X") << "wayland-0"
                                        << "wayland"
                                        << ":0"
                                        << "" << true;
        QTest::newRow("session type only") << ""
                                           << "wayland"
                                           << ":0"
                                           << "" << true;
        QTest::newRow("no X server") << "wayland-0"
                                     << "wayland"
                                     << ""
                                     << "" << false;
        QTest::newRow("platform chosen") << "wayland-0"
                                         << "wayland"
                                         << ":0"
                                         << "wayland" << false;
        QTest::newRow("plain X") << ""
                                 << "x11"
                                 << ":0"
                                 << "" << false;
    }
    void xcbOnWayland()
    {
        QFETCH(QString, wayland);
        QFETCH(QString, session);
        QFETCH(QString, display);
        QFETCH(QString, platform);
        QTEST(StartupRules::shouldUseXcb(wayland, session, display, platform), "xcb");
    }

private:
    std::unique_ptr<TestEnv> env;
};

QTEST_GUILESS_MAIN(TestStartupRules)
#include "tst_startuprules.moc"
