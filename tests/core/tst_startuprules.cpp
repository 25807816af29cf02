#include "core/StartupRules.h"
#include "EnvTest.h"
#include "platform/AppConfig.h"
#include "platform/SettingsStore.h"

#include <QTest>

using namespace StartupRules;

Q_DECLARE_METATYPE(StartupRules::EarlyStart)

class TestStartupRules : public EnvTest
{
    Q_OBJECT
private slots:
    // The arguments after the program path, joined with blanks, hold the switches anywhere.
    void commandLineSwitches_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("developer");
        QTest::addColumn<bool>("startup");
        const QString exe = QStringLiteral("/usr/bin/pollwick");
        QTest::newRow("startup") << QStringList{exe, "/startup"} << false << true;
        QTest::newRow("dev inside a word") << QStringList{exe, "/device"} << true << false;
        QTest::newRow("joined with a blank") << QStringList{exe, "a/", "dev"} << false << false;
        QTest::newRow("upper case") << QStringList{exe, "/DEV", "/Startup"} << false << false;
        QTest::newRow("program path not searched") << QStringList{"/dev/x"} << false << false;
    }
    void commandLineSwitches()
    {
        QFETCH(QStringList, arguments);
        const auto options = get_commandlineoptions(commandLineText(arguments));
        QTEST(options.developerMode, "developer");
        QTEST(options.launchedAtStartup, "startup");
    }

    // Compared as text: "1000" sorts before "506", "6" after it.
    void upgradereg_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("wiped");
        for (const char *build : {"506", "1000"})
            QTest::newRow(build) << build << true;
        for (const char *build : {"512", "6"})
            QTest::newRow(build) << build << false;
        QTest::newRow("missing") << QString() << true;
    }
    void upgradereg()
    {
        QFETCH(QString, stored);
        if (!stored.isNull())
            env->store->WriteSettingText("appbuild", stored);
        env->store->WriteSettingText("site_username", "alice");
        QTEST(StartupRules::upgradereg(*env->store), "wiped");
        QCOMPARE(env->store->ReadSettingText("appbuild"), QStringLiteral("512"));
        QTEST(env->store->ReadSettingText("site_username").isEmpty(), "wiped");
    }

    // A program path with blanks and the desktop entry's reserved characters stays one path.
    void runEntryQuotesThePath()
    {
        QCOMPARE(runEntryCommandLine("/o/my a\"b$c`d\\e%f"),
                 QStringLiteral("\"/o/my a\\\"b\\$c\\`d\\\\e%%f\" /startup"));
    }

    // "--help" and "--version" count only as whole arguments after the program path, and before
    // any display; with no display at all the start ends with a message, unless a platform is
    // named (Qt then decides).
    void earlyStart_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("display"); // QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY
        QTest::addColumn<EarlyStart>("early");
        const QString exe = QStringLiteral("/usr/bin/pollwick");
        const QStringList none{"", "", ""};
        const QStringList x11{"", ":0", ""};
        QTest::newRow("help") << QStringList{exe, "--help"} << none << EarlyStart::Help;
        QTest::newRow("version after a switch")
            << QStringList{exe, "/startup", "--version"} << x11 << EarlyStart::Version;
        QTest::newRow("help wins")
            << QStringList{exe, "--version", "--help"} << x11 << EarlyStart::Help;
        QTest::newRow("not a whole argument")
            << QStringList{exe, "--helpme", "-version"} << x11 << EarlyStart::Run;
        QTest::newRow("program path") << QStringList{"--help"} << x11 << EarlyStart::Run;
        QTest::newRow("Wayland") << QStringList{exe} << QStringList{"", "", "wayland-0"}
                                 << EarlyStart::Run;
        QTest::newRow("platform named")
            << QStringList{exe} << QStringList{"offscreen", "", ""} << EarlyStart::Run;
        QTest::newRow("no display")
            << QStringList{exe, "/startup"} << none << EarlyStart::NoDisplay;
    }
    void earlyStart()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, display);
        QTEST(StartupRules::earlyStart(arguments, display[0], display[1], display[2]), "early");
    }

    // POLLWICK_CHECK_SECONDS: a positive whole number, at least 5 and at most what the countdown
    // counts; anything else is no override. POLLWICK_AUTOSTART_DIR moves the autostart entry;
    // POLLWICK_NO_KEYRING set to anything keeps the keyring out.
    void environmentOverrides_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");
        const QList<QPair<const char *, int>> rows = {{"20", 20},
                                                      {" 6 ", 6},
                                                      {"5", 5},
                                                      {"4", 5},
                                                      {"1", 5},
                                                      {"0", 0},
                                                      {"-5", 0},
                                                      {"2.5", 0},
                                                      {"twenty", 0},
                                                      {"", 0},
                                                      {"32767", 32767},
                                                      {"32768", 32767},
                                                      {"99999999999", 32767}};
        for (const auto &[text, seconds] : rows)
            QTest::newRow(text[0] ? text : "unset") << QString(text) << seconds;
    }
    void environmentOverrides()
    {
        QFETCH(QString, text);
        const QString folder = env->file("demo/autostart");
        qputenv("POLLWICK_CHECK_SECONDS", text.toLatin1());
        qputenv("POLLWICK_AUTOSTART_DIR", folder.toLocal8Bit());
        const AppConfig config = AppConfig::fromEnvironment();
        qunsetenv("POLLWICK_CHECK_SECONDS");
        qunsetenv("POLLWICK_AUTOSTART_DIR");
        QTEST(config.checkSecondsOverride(), "seconds");
        QCOMPARE(config.autostartPath(), folder + "/Pollwick.desktop");
        QVERIFY(config.keyringAllowed());
        const AppConfig plain = AppConfig::fromEnvironment();
        QCOMPARE(plain.autostartPath(), env->folder() + "config/autostart/Pollwick.desktop");
        qputenv("POLLWICK_NO_KEYRING", text.toLatin1());
        QCOMPARE(AppConfig::fromEnvironment().keyringAllowed(), text.isEmpty());
        qunsetenv("POLLWICK_NO_KEYRING");
    }
};

QTEST_GUILESS_MAIN(TestStartupRules)
#include "tst_startuprules.moc"
