#include "EnvTest.h"
#include "platform/DesktopShell.h"

#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <QUrl>

// Pages and .torrent files go to xdg-open (here a stand-in script first on PATH that records
// its argument and ends as the test says); what nothing opens is logged, and said in a box
// when the user asked for it.
class TestDesktopShell : public EnvTest
{
    Q_OBJECT
    QByteArray m_path;

private slots:
    void init()
    {
        m_path = qgetenv("PATH");
        EnvTest::init();
    }
    void cleanup()
    {
        qputenv("PATH", m_path);
        EnvTest::cleanup();
    }

    // A refusal is a failed start or a status other than 0 within the time to refuse; what
    // xdg-open does after that is no refusal, and it is not stopped.
    void refusals_data()
    {
        QTest::addColumn<int>("status");   // -1: no xdg-open on PATH
        QTest::addColumn<bool>("late");    // ends after its time to refuse
        QTest::addColumn<QString>("file"); // empty: a page
        QTest::addColumn<bool>("byUser");
        QTest::addColumn<QString>("box");
        const QString page = "No program on this computer opens http://site/details.php?id=7.";
        const QString torrent = "No program on this computer opens A Show.torrent.\nThe torrent "
                                "was saved to %1/A Show.torrent.";
        // clang-format off
        QTest::newRow("page opened") << 0 << false << "" << true << "";
        QTest::newRow("status 1 is a refusal too") << 1 << false << "" << true << page;
        QTest::newRow("no xdg-open") << -1 << false << "" << true << page;
        QTest::newRow("refused too late") << 3 << true << "" << true << "";
        QTest::newRow("torrent opened") << 0 << false << "A Show.torrent" << true << "";
        QTest::newRow("torrent refused, by the user") << 3 << false << "A Show.torrent" << true
                                                      << torrent;
        QTest::newRow("torrent refused, in the background") << 3 << false << "A Show.torrent"
                                                            << false << "";
        QTest::newRow("not a .torrent file") << 3 << false << "notes.txt" << true << "";
        // clang-format on
    }
    void refusals()
    {
        QFETCH(int, status);
        QFETCH(bool, late);
        QFETCH(QString, file);
        QFETCH(bool, byUser);
        QFETCH(QString, box);
        const QString dir = env->dir.path();
        qputenv("PATH", (dir + "/bin:/usr/bin:/bin").toLocal8Bit());
        QFile script(dir + "/bin/xdg-open");
        if (status >= 0) {
            QVERIFY(QDir().mkpath(dir + "/bin") && script.open(QIODevice::WriteOnly));
            script.write(QString("#!/bin/sh\necho \"$1\" >> '%1/args'\nwhile [ %2 -eq 1 ] && [ ! "
                                 "-e '%1/go' ]; do sleep 0.05; done\nexit %3\n")
                             .arg(dir)
                             .arg(late ? 1 : 0)
                             .arg(status)
                             .toUtf8());
            script.close();
            script.setPermissions(script.permissions() | QFile::ExeOwner);
        }
        DesktopShell shell(env->dialogs, *env->log);
        const QString path = dir + "/" + file;
        if (file.isEmpty())
            shell.openUrl("http://site/details.php?id=7");
        else
            shell.openFile(path, byUser ? Shell::Asked::ByUser : Shell::Asked::InBackground);
        if (late) {
            QPointer<QProcess> process = shell.watched().first();
            shell.stopWatching(process);
            QVERIFY(QFile(dir + "/go").open(QIODevice::WriteOnly));
            QTRY_VERIFY(!process);
        }
        QTRY_VERIFY(shell.watched().isEmpty());
        QCOMPARE(env->dialogs.take().text, box.contains("%1") ? box.arg(dir) : box);
        const bool ran = status >= 0 && file != "notes.txt";
        QCOMPARE(env->log->lines().filter("No program opened ").size(),
                 status != 0 && !late && file != "notes.txt" ? 1 : 0);
        QFile args(dir + "/args");
        QCOMPARE(args.open(QIODevice::ReadOnly), ran);
        if (ran)
            QCOMPARE(QString::fromUtf8(args.readAll().trimmed()),
                     file.isEmpty() ? "http://site/details.php?id=7"
                                    : QUrl::fromLocalFile(path).toString());
    }
};

QTEST_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
