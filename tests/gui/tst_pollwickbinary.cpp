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
    void init()
    {
        home = std::make_unique<QTemporaryDir>();
        QVERIFY(home->isValid());
        site = std::make_unique<TestSite>();
        QVERIFY(site->isListening());
    }
    void cleanup()
    {
        if (program && program->state() != QProcess::NotRunning) {
            program->kill();
            program->waitForFinished(5000);
        }
        program.reset();
        site.reset();
        home.reset();
    }

    void upgradedSilentStartChecksAtOnce()
    {
        writeSettings({"\"appbuild\"=\"507\"", "\"site_username\"=\"demo\"",
                       "\"site_password\"=\"ccjk\"", "\"lastparsed\"=\"700030\""});
        startProgram();
        QVERIFY(site->waitForRequests(1, "/bots.php", 20000));
        QCOMPARE(QString::fromLatin1(site->requestsTo("/bots.php").first().target),
                 QStringLiteral("/bots.php?startid=700030&limit=150&u=demo&p=demo&v=11&c=1"));
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("Feed successfully parsed."), 10000);
        QVERIFY(log().contains(") Pollwick 1.3  (build 512)  loaded\n"));
        QVERIFY(!log().contains("First run detected"));
        const QByteArray settings = settingsFile();
        QVERIFY(settings.contains("\"appbuild\"=\"512\"\r\n"));
        QVERIFY(settings.contains("\"interval\"=dword:00000258\r\n"));
        QVERIFY(settings.contains("\"site_username\"=\"demo\"\r\n"));
        QCOMPARE(program->state(), QProcess::Running);
    }

    void oldBuildLosesItsSettings()
    {
        writeSettings({"\"appbuild\"=\"506\"", "\"site_username\"=\"demo\""});
        startProgram();
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("No username/firsrun. Showing login wizard."),
                                 10000);
        QVERIFY(site->requests().isEmpty());
        QVERIFY(!settingsFile().contains("site_username"));
    }

private:
    void writeSettings(const QStringList &values)
    {
        QFile file(home->filePath("settings.reg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n" +
                   values.join("\r\n").toLatin1() + "\r\n\r\n");
    }
    void startProgram()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("POLLWICK_HOME", home->path());
        environment.insert("POLLWICK_SITE_URL", site->baseUrl());
        environment.insert("POLLWICK_LOG", home->filePath("log.txt"));
        environment.insert("XDG_CONFIG_HOME", home->filePath("config"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        program = std::make_unique<QProcess>();
        program->setProcessEnvironment(environment);
        program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program->start(QStringLiteral(POLLWICK_BINARY), {});
        QVERIFY(program->waitForStarted(10000));
    }
    QByteArray log() const
    {
        QFile file(home->filePath("log.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray settingsFile() const
    {
        QFile file(home->filePath("settings.reg"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<TestSite> site;
    std::unique_ptr<QProcess> program;
};

QTEST_GUILESS_MAIN(TestPollwickBinary)
#include "tst_pollwickbinary.moc"
