#include "TestSite.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Reports the files named notify.wav that any process opens in the watched folders.
class OpenWatch
{
public:
    OpenWatch() : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~OpenWatch()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    bool watch(const QString &folder)
    {
        const int wd = inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN);
        if (wd < 0)
            return false;
        m_folders.insert(wd, QDir(folder).absolutePath());
        return true;
    }
    // Every notify.wav opened so far, as a full path, each path once.
    QStringList opened()
    {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t length = read(m_fd, buffer, sizeof buffer);
            if (length <= 0)
                break;
            for (ssize_t at = 0; at < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                const QString name = event->len ? QFile::decodeName(event->name) : QString();
                const QString path = m_folders.value(event->wd) + QLatin1Char('/') + name;
                if (name == QLatin1String("notify.wav") && !m_opened.contains(path))
                    m_opened << path;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return m_opened;
    }

private:
    int m_fd;
    QHash<int, QString> m_folders;
    QStringList m_opened;
};

} // namespace

// `cmake --install` into a temporary prefix gives a tree in which the installed program finds
// its data: notify.wav from the program folder when the user put one there, else the one
// installed in <prefix>/share/pollwick.
class TestInstalledTree : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(POLLWICK_CMAKE),
                      {"--install", POLLWICK_BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
        QVERIFY(QFileInfo(m_prefix.filePath("bin/pollwick")).isExecutable());
        QVERIFY(QFileInfo::exists(m_prefix.filePath("share/pollwick/notify.wav")));
    }

    void soundFromProgramFolderElseInstalled_data()
    {
        QTest::addColumn<bool>("ownSound"); // a notify.wav in the program folder
        QTest::newRow("the program folder's own sound first") << true;
        QTest::newRow("else the installed share/pollwick sound") << false;
    }
    void soundFromProgramFolderElseInstalled()
    {
        QFETCH(bool, ownSound);
        QTemporaryDir home;
        TestSite site;
        QVERIFY(home.isValid() && site.isListening());
        const QString own = home.filePath("notify.wav");
        if (ownSound)
            QVERIFY(QFile::copy(QStringLiteral(POLLWICK_SOURCE_DIR "/resources/notify.wav"), own));
        // A stored member of an older build with ten torrents of the site not yet seen,
        // filtering off and the sound on: a silent start upgrades the settings and checks at
        // once; the check announces them with a popup that plays notify.wav.
        QFile settings(home.filePath("settings.reg"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n"
                       "\"appbuild\"=\"507\"\r\n\"site_username\"=\"demo\"\r\n"
                       "\"site_password\"=\"ccjk\"\r\n\"lastparsed\"=\"700030\"\r\n"
                       "\"interval\"=dword:00000258\r\n\"playsound\"=dword:00000001\r\n\r\n");
        settings.close();

        OpenWatch watch;
        QVERIFY(watch.watch(home.path()));
        QVERIFY(watch.watch(m_prefix.filePath("share/pollwick")));

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
        program.start(m_prefix.filePath("bin/pollwick"), {});
        QVERIFY(program.waitForStarted(10000));
        const auto log = [&] {
            QFile file(home.filePath("log.txt"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };

        QVERIFY(site.waitForRequests(1, "/bots.php", 20000));
        QCOMPARE(QString::fromLatin1(site.requestsTo("/bots.php").first().target),
                 QStringLiteral("/bots.php?startid=700030&limit=150&u=demo&p=demo&v=11&c=1"));
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("Number of results: 10"), 10000);
        QVERIFY(log().contains(") Pollwick 1.3  (build 512)  loaded\n"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("\"appbuild\"=\"512\"\r\n"));
#ifndef POLLWICK_HAVE_MULTIMEDIA
        program.kill();
        program.waitForFinished(5000);
        QSKIP("Built without Qt Multimedia: the program beeps and opens no sound file.");
#endif
        const QString expected =
            ownSound ? QDir(home.path()).absoluteFilePath("notify.wav")
                     : QDir(m_prefix.path()).absoluteFilePath("share/pollwick/notify.wav");
        QTRY_VERIFY_WITH_TIMEOUT(!watch.opened().isEmpty(), 20000);
        QCOMPARE(watch.opened(), QStringList{expected});
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestInstalledTree)
#include "tst_installedtree.moc"
