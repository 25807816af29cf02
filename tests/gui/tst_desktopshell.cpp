#include "platform/DesktopShell.h"
#include "TestEnv.h"

#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <QUrl>

// Pages and .torrent files go to xdg-open (here a stand-in script first on PATH that records
// its argument and ends as the test says); what nothing opens is logged, and said in a box
// when the user asked for it.
class TestDesktopShell : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestEnv> env;
    QByteArray m_path;

    // The stand-in xdg-open: records its argument, waits for the file "go" when asked, ends
    // with the status.
    void xdgOpen(int status, bool waitForGo = false)
    {
        QFile script(env->dir.filePath("bin/xdg-open"));
        QVERIFY(QDir().mkpath(env->dir.filePath("bin")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        const QByteArray dir = env->dir.path().toLocal8Bit();
        script.write("#!/bin/sh\necho \"$1\" >> '" + dir + "/args'\n");
        if (waitForGo)
            script.write("while [ ! -e '" + dir + "/go' ]; do sleep 0.05; done\n");
        script.write("exit " + QByteArray::number(status) + "\n");
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        qputenv("PATH", env->dir.filePath("bin").toLocal8Bit() + ":/usr/bin:/bin");
    }
    QStringList refusalLines() const { return env->log->lines().filter("No program opened "); }

private slots:
    void init()
    {
        m_path = qgetenv("PATH");
        env = std::make_unique<TestEnv>();
    }
    void cleanup()
    {
        qputenv("PATH", m_path);
        const QString problems = env->problems();
        env.reset();
        QCOMPARE(problems, QString());
    }

    void refusals_data()
    {
        QTest::addColumn<int>("status");   // -1: no xdg-open on PATH
        QTest::addColumn<QString>("file"); // empty: a page
        QTest::addColumn<bool>("byUser");
        QTest::addColumn<QString>("box");
        const QString page = "No program on this computer opens http://site/details.php?id=7.";
        const QString torrent = "No program on this computer opens A Show.torrent.\nThe torrent "
                                "was saved to %1/A Show.torrent.";
        // clang-format off
        QTest::newRow("page opened") << 0 << "" << true << "";
        QTest::newRow("page refused") << 4 << "" << true << page;
        QTest::newRow("status 1 is a refusal too") << 1 << "" << true << page;
        QTest::newRow("no xdg-open") << -1 << "" << true << page;
        QTest::newRow("torrent opened") << 0 << "A Show.torrent" << true << "";
        QTest::newRow("torrent refused, by the user") << 3 << "A Show.torrent" << true << torrent;
        QTest::newRow("torrent refused, in the background") << 3 << "A Show.torrent" << false
                                                           << "";
        // clang-format on
    }
    void refusals()
    {
        QFETCH(int, status);
        QFETCH(QString, file);
        QFETCH(bool, byUser);
        QFETCH(QString, box);
        if (status >= 0)
            xdgOpen(status);
        else
            qputenv("PATH", env->dir.path().toLocal8Bit());
        DesktopShell shell(env->dialogs, *env->log);
        const QString path = env->dir.path() + "/" + file;
        if (file.isEmpty())
            shell.openUrl("http://site/details.php?id=7");
        else
            shell.openFile(path, byUser ? Shell::Asked::ByUser : Shell::Asked::InBackground);
        QTRY_VERIFY(shell.watched().isEmpty());
        QCOMPARE(env->dialogs.take().text, box.contains("%1") ? box.arg(env->dir.path()) : box);
        QCOMPARE(refusalLines().size(), status != 0 ? 1 : 0);
        if (status >= 0) {
            QFile args(env->dir.filePath("args"));
            QVERIFY(args.open(QIODevice::ReadOnly));
            QCOMPARE(args.readAll().trimmed(),
                     (file.isEmpty() ? QString("http://site/details.php?id=7")
                                     : QUrl::fromLocalFile(path).toString())
                         .toUtf8());
        }
    }

    // Only .torrent files are handed over; what xdg-open does once its time to refuse has
    // passed is no refusal, and it is not stopped.
    void afterTheRefusalWindow()
    {
        xdgOpen(3, true);
        DesktopShell shell(env->dialogs, *env->log);
        shell.openFile(env->dir.filePath("notes.txt"), Shell::Asked::ByUser);
        QVERIFY(shell.watched().isEmpty());
        shell.openUrl("http://site/browse.php");
        QCOMPARE(shell.watched().size(), 1);
        QPointer<QProcess> process = shell.watched().first();
        QVERIFY(process->waitForStarted(5000));
        shell.stopWatching(process);
        QVERIFY(shell.watched().isEmpty());
        QFile go(env->dir.filePath("go"));
        QVERIFY(go.open(QIODevice::WriteOnly));
        go.close();
        QTRY_VERIFY(!process);
        QVERIFY(refusalLines().isEmpty());
    }
};

QTEST_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
