#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The real program, started the way a user starts it; its start against the test site is
// tst_installedtree's.
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
};

QTEST_GUILESS_MAIN(TestPollwickBinary)
#include "tst_pollwickbinary.moc"
