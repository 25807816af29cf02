#include "TestSite.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The real program, started the way a user starts it, against the test site.
class TestPollwickBinary : public QObject
{
    Q_OBJECT
private slots:
    // Answered before anything of a start (no lock, no settings, no display needed); with no
    // display at all the program says so instead of Qt's abort.
    void answeredBeforeTheStart_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out"); // the first line of standard output
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("--version") << QStringList{"--version"} << 0
                                   << QByteArray("Pollwick 1.3 (build 512)\n") << QByteArray();
        QTest::newRow("--help after a switch")
            << QStringList{"/startup", "--help"} << 0
            << QByteArray("Usage: pollwick [/startup] [/dev]\n") << QByteArray();
        QTest::newRow("no display") << QStringList{"/startup"} << 1 << QByteArray()
                                    << QByteArray("Pollwick needs a graphical desktop (no "
                                                  "display found).\n");
    }
    void answeredBeforeTheStart()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("POLLWICK_HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(POLLWICK_BINARY), arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QTEST(program.exitCode(), "exitCode");
        const QByteArray out = program.readAllStandardOutput();
        QTEST(out.left(out.indexOf('\n') + 1), "out");
        QTEST(program.readAllStandardError(), "err");
        QVERIFY(QDir(home.path()).isEmpty());
    }

    void upgradedSilentStartChecksAtOnce()
    {
        QTemporaryDir home;
        TestSite site;
        QVERIFY(home.isValid() && site.isListening());
        QFile settings(home.filePath("settings.reg"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n"
                       "\"appbuild\"=\"507\"\r\n\"site_username\"=\"demo\"\r\n"
                       "\"site_password\"=\"ccjk\"\r\n\"lastparsed\"=\"700030\"\r\n\r\n");
        settings.close();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("POLLWICK_HOME", home.path());
        environment.insert("POLLWICK_SITE_URL", site.baseUrl());
        environment.insert("POLLWICK_LOG", home.filePath("log.txt"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(POLLWICK_BINARY), {});
        QVERIFY(program.waitForStarted(10000));
        const auto log = [&] {
            QFile file(home.filePath("log.txt"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };

        QVERIFY(site.waitForRequests(1, "/bots.php", 20000));
        QCOMPARE(QString::fromLatin1(site.requestsTo("/bots.php").first().target),
                 QStringLiteral("/bots.php?startid=700030&limit=150&u=demo&p=demo&v=11&c=1"));
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("Feed successfully parsed."), 10000);
        QVERIFY(log().contains(") Pollwick 1.3  (build 512)  loaded\n"));
        QVERIFY(!log().contains("First run detected"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray stored = settings.readAll();
        QVERIFY(stored.contains("\"appbuild\"=\"512\"\r\n"));
        QVERIFY(stored.contains("\"interval\"=dword:00000258\r\n"));
        QVERIFY(stored.contains("\"site_username\"=\"demo\"\r\n"));
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestPollwickBinary)
#include "tst_pollwickbinary.moc"
