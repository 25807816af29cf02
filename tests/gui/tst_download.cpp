#include "download/DownloadWindows.h"
#include "download/frmDownload.h"
#include "download/TorrentInfoHash.h"
#include "EnvTest.h"
#include "model/ProgramState.h"
#include "platform/SiteAddresses.h"
#include "RealClient.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using WidgetFinder::control;
Q_DECLARE_METATYPE(HandoffSettings::Choice)

// The download window as the user sees it: what it draws of its download, its boxes, Cancel and
// the close box, and the hand-off to a torrent client after the save (the download itself:
// tst_torrentdownload).
class TestDownload : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<TestSite> m_site;
    ProgramState m_state;
    QList<QPointer<frmDownload>> m_windows;
    static constexpr int Id = 700007;
    const QString File = QStringLiteral("/download.php");

    QString target() const
    {
        return m_state.settings.TorrentFolder + m_site->catalogue().torrent(Id)->fileName;
    }
    DownloadRequest request() const
    {
        return DownloadRequest{DownloadUrlPath(Id), target(), "demo", "demo", "Some Movie", Id};
    }
    QByteArray torrentBytes() const
    {
        return m_site->server().pages().torrentFile(*m_site->catalogue().torrent(Id),
                                                    *m_site->catalogue().user("demo"));
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList folderFiles() const
    {
        return QDir(m_state.settings.TorrentFolder).entryList(QDir::Files | QDir::Hidden);
    }
    static QString text(QWidget *window, const char *name = "Label4")
    {
        return window ? control<QLabel>(window, name)->text() : "closed";
    }
    static bool statusIsRed(QWidget *window)
    {
        return control<QLabel>(window, "Label4")->palette().color(QPalette::WindowText) ==
               QColor(255, 0, 0);
    }
    static frmDownload *shown()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<frmDownload *>(w); window && window->isVisible())
                return window;
        return nullptr;
    }

private slots:
    void init()
    {
        EnvTest::init();
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        env->useSite(m_site->baseUrl());
        m_state = ProgramState();
        m_state.settings.TorrentFolder = env->folder() + QStringLiteral("torrents/");
        QVERIFY(QDir().mkpath(m_state.settings.TorrentFolder));
    }
    void cleanup()
    {
        for (const QPointer<frmDownload> &window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
        QCOMPARE(env->endProgramCalls, QList<int>());
        m_site.reset();
        EnvTest::cleanup();
    }

    // A failed attempt in red with its countdown; a refused one as a box, and the window goes.
    void drawsTheDownload()
    {
        m_site->misbehave(File, SiteMisbehaviour::NotFound);
        DownloadWindows windows(env->services, m_state);
        QPointer<frmDownload> window = windows.startByHand(request());
        m_windows << window;
        QTRY_COMPARE(text(window), QStringLiteral("Status: Failed. File not found on server."));
        QVERIFY(statusIsRed(window));
        window->onRetryTick();
        QCOMPARE(text(window, "Label7"), QStringLiteral("Retry in 60"));
        QCOMPARE(text(window, "info_filename"), QStringLiteral("Some Movie"));
        QPointer<frmDownload> second = windows.startByHand(request());
        QCOMPARE(env->dialogs.take().text,
                 QStringLiteral("Unable to download file. File is already being downloaded."));
        QTRY_VERIFY(second.isNull());
        QVERIFY(window);
    }

    // Cancel and the close box while the body arrives: the window goes, nothing stays on disk.
    void closedWhileReceiving_data()
    {
        QTest::addColumn<bool>("button");
        QTest::newRow("Cancel") << true;
        QTest::newRow("close box") << false;
    }
    void closedWhileReceiving()
    {
        QFETCH(bool, button);
        m_site->misbehave(File, SiteMisbehaviour::StallAfterHeaders, 1); // half the body
        DownloadWindows windows(env->services, m_state);
        QPointer<frmDownload> window = windows.startByHand(request());
        // Clicked from a timer: the receive loop waits for the body in an event loop of its own.
        bool clicked = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (clicked || !window || text(window) != "Status: Receiving File ")
                return;
            clicked = true;
            QCOMPARE(control<QProgressBar>(window, "ProgressBar1")->maximum(),
                     torrentBytes().size());
            if (button)
                QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
            else
                window->close();
        });
        poll.start(2);
        QTRY_VERIFY(clicked && window.isNull());
        QCOMPARE(m_state.downloads.count(), 0);
        QCOMPARE(folderFiles(), QStringList());
    }

    // After the save the file goes where the options say, outside the four download places. A
    // client that refuses it leaves it saved: the user's download shows why, a check's download
    // closes and logs it; the result stays downloaded either way.
    void handedOnAfterSave_data()
    {
        QTest::addColumn<HandoffSettings::Choice>("choice");
        QTest::addColumn<bool>("byHand");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("status"); // of a window left open; "": it closed
        QTest::addColumn<QString>("logged");
        using C = HandoffSettings;
        const QString pw = RealClient::Password, wrong = "wrong user name or password";
        QTest::newRow("only save") << C::SaveOnly << true << pw << ""
                                   << "";
        QTest::newRow("qBittorrent takes it") << C::Qbittorrent << true << pw << ""
                                              << "";
        QTest::newRow("Transmission takes it") << C::Transmission << false << pw << ""
                                               << "";
        QTest::newRow("qBittorrent refuses, by hand")
            << C::Qbittorrent << true << "x"
            << "Status: Saved; qBittorrent did not take it: " + wrong << "";
        QTest::newRow("Transmission refuses, automatic")
            << C::Transmission << false << "x"
            << ""
            << "Transmission did not take %1: " + wrong;
    }
    void handedOnAfterSave()
    {
        QFETCH(HandoffSettings::Choice, choice);
        QFETCH(bool, byHand);
        QFETCH(QString, password);
        QFETCH(QString, status);
        std::unique_ptr<RealClient> client;
        m_state.settings.Handoff.choice = choice;
        if (choice != HandoffSettings::SaveOnly) {
            const auto kind = choice == HandoffSettings::Qbittorrent ? RealClient::Qbittorrent
                                                                     : RealClient::Transmission;
            REQUIRE_CLIENT(kind);
            client = std::make_unique<RealClient>(kind);
            QVERIFY2(client->start(), qPrintable(client->error()));
            TorrentClientSettings &c = kind == RealClient::Qbittorrent
                                           ? m_state.settings.Handoff.qbt
                                           : m_state.settings.Handoff.tr;
            c = client->settings();
            c.password = password;
            c.sorting = "Pollwick";
            c.paused = true;
        }
        MatchRecord result;
        result.Id = Id;
        result.Downloaded = 1;
        m_state.results.append(result);
        DownloadWindows windows(env->services, m_state);
        if (byHand)
            m_windows.append(windows.startByHand(request()));
        else
            QVERIFY(windows.startAutomatic(request()));
        QTRY_COMPARE(contents(target()), torrentBytes());
        QTRY_COMPARE(m_state.downloads.count(), 0);
        QCOMPARE(windows.queue().running(), 0);
        if (status.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(!shown(), 30000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(text(shown()), status, 30000);
            QVERIFY(statusIsRed(shown()));
            // The reason wraps inside the window, above the button.
            const QRect line = control<QLabel>(shown(), "Label4")->geometry();
            QVERIFY(line.right() < shown()->width() &&
                    line.bottom() < control<QPushButton>(shown(), "Command1")->y());
        }
        QFETCH(QString, logged);
        if (!logged.isEmpty())
            QVERIFY2(env->log->lines().join('\n').contains(logged.arg(target().section('/', -1))),
                     qPrintable(env->log->lines().join('\n')));
        QCOMPARE(env->shell.files, QStringList());
        QCOMPARE(m_state.results.value(0).Downloaded, 1.0f);
        QCOMPARE(folderFiles(), QStringList{target().section('/', -1)});
        if (client && password == RealClient::Password) {
            const QJsonObject listed = client->listed(TorrentInfoHash::of(torrentBytes()));
            QVERIFY(!listed.isEmpty());
            QCOMPARE(choice == HandoffSettings::Qbittorrent
                         ? listed.value("category").toString()
                         : listed.value("labels").toVariant().toStringList().join(','),
                     QStringLiteral("Pollwick"));
        }
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
