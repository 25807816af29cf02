#include "core/StartupRules.h"
#include "platform/SettingsStore.h"
#include "TestEnv.h"

#include <QTest>

using namespace StartupRules;

class TestStartupRules : public QObject
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
        TestEnv env;
        if (!stored.isNull())
            env.store->WriteSettingText("appbuild", stored);
        env.store->WriteSettingText("site_username", "alice");
        QTEST(StartupRules::upgradereg(*env.store), "wiped");
        QCOMPARE(env.store->ReadSettingText("appbuild"), QStringLiteral("512"));
        QTEST(env.store->ReadSettingText("site_username").isEmpty(), "wiped");
    }

    // A program path with blanks and the desktop entry's reserved characters stays one path.
    void runEntryQuotesThePath()
    {
        QCOMPARE(runEntryCommandLine("/o/my a\"b$c`d\\e%f"),
                 QStringLiteral("\"/o/my a\\\"b\\$c\\`d\\\\e%%f\" /startup"));
    }
};

QTEST_GUILESS_MAIN(TestStartupRules)
#include "tst_startuprules.moc"
