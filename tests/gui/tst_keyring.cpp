#include "account/frmFirstRun.h"
#include "account/frmLogin.h"
#include "account/frmProfile.h"
#include "account/LoginDialogRules.h"
#include "core/HandoffOptions.h"
#include "core/OptionsStore.h"
#include "download/DownloadWindows.h"
#include "EnvTest.h"
#include "feed/FeedCheck.h"
#include "GnomeKeyring.h"
#include "MainWindowHarness.h"
#include "model/ProgramState.h"
#include "platform/KeychainPasswordStore.h"
#include "platform/PasswordScramble.h"
#include "platform/StoredPassword.h"
#include "platform/TextUtils.h"
#include "platform/WholeFiles.h"
#include "PrivateBus.h"
#include "search/SearchWindows.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using WidgetFinder::control;

// The site password in a real Secret Service: GNOME's keyring daemon on a bus of this test
// program's own (GIO and QtDBus keep one session bus per process), beside a second bus where no
// keyring runs.
class TestKeyring : public EnvTest
{
    Q_OBJECT

    // The real keyring with a planted fault in its reads: none, a failure, or another password.
    struct Tampered : PasswordStore
    {
        explicit Tampered(PasswordStore &real) : real(real) {}
        bool available() const override { return real.available(); }
        void read(const QString &key, QObject *context, Done done) override
        {
            real.read(key, context, [this, done](Result result) {
                if (fault == "fails")
                    result = Result{Status::Failed, QString(), "planted"};
                else if (fault == "differs")
                    result.password += 'x';
                done(result);
            });
        }
        void write(const QString &key, const QString &text, QObject *context, Done done) override
        {
            real.write(key, text, context, std::move(done));
        }
        void remove(const QString &, QObject *, Done) override {}
        PasswordStore &real;
        QString fault;
    };
    PrivateBus bus;
    PrivateBus emptyBus;
    std::unique_ptr<GnomeKeyring> daemon;
    QDBusConnection session{QString()};
    QDBusConnection empty{QString()};
    std::unique_ptr<KeychainPasswordStore> keyring;

    std::unique_ptr<StoredPassword> kept(PasswordStore *store)
    {
        return std::make_unique<StoredPassword>("site_password", "password_in_keyring", *env->store,
                                                store, *env->log);
    }
    // Stores and waits until it is stored.
    bool storeAndWait(StoredPassword &password, const QString &text)
    {
        std::optional<bool> stored;
        password.store(text, [&](bool ok) { stored = ok; });
        return QTest::qWaitFor([&] { return stored.has_value(); }, 10000) && *stored;
    }
    // A later start: the password as read from where it is kept.
    std::unique_ptr<StoredPassword> startAgain(PasswordStore *store)
    {
        auto later = kept(store);
        later->load();
        QTest::qWaitFor([&] { return later->state() != StoredPassword::State::Reading; }, 10000);
        return later;
    }
    QString log() const { return env->log->lines().join('\n'); }
    int marker() const { return env->store->ReadSettingNumber("password_in_keyring"); }

private slots:
    void initTestCase()
    {
        QVERIFY2(bus.isRunning(), qPrintable(bus.error()));
        QVERIFY2(emptyBus.isRunning(), qPrintable(emptyBus.error()));
        bus.exportAsSessionBus();
        daemon = std::make_unique<GnomeKeyring>(bus);
        QVERIFY2(daemon->isRunning(), qPrintable(daemon->error()));
        session = QDBusConnection::sessionBus();
        empty = emptyBus.connect("no-keyring");
        keyring = std::make_unique<KeychainPasswordStore>(&session);
    }
    void cleanupTestCase()
    {
        keyring.reset();
        daemon.reset();
    }
    void init()
    {
        QVERIFY(!daemon->isLocked() || daemon->unlock());
        daemon->clear("Pollwick", "site_password");
        EnvTest::init();
    }
    void cleanup()
    {
        QVERIFY(!daemon->isLocked() || daemon->unlock());
        EnvTest::cleanup();
    }

    // What is stored goes to a running keyring under Pollwick / site_password, never into the
    // settings file, and a later start reads it back unchanged. A keyring that will not take it
    // (locked, its prompt unanswered) or no keyring service on the bus leaves it to the settings
    // file (the next start moves it: migration); only without a service does the login dialog
    // say so under the password.
    void storeAndReadBack_data()
    {
        QTest::addColumn<QString>("keyring"); // "runs", "locked" or "none"
        QTest::addColumn<QString>("password");
        QTest::newRow("letters") << "runs"
                                 << "demo";
        QTest::newRow("blank at 32 of 40") << "runs" << QString(31, 'x') + ' ' + QString(8, 'y');
        QTest::newRow("Latin-1") << "runs" << QString::fromLatin1("Gr\xfc\xdf\x65 \xe9\xff&%+");
        QTest::newRow("255 characters") << "runs" << QString(255, QChar(0xe4));
        QTest::newRow("a NUL inside") << "runs" << QString("a") + QChar(0) + "b";
        QTest::newRow("keyring locked") << "locked"
                                        << "s3cret";
        QTest::newRow("no keyring service") << "none"
                                            << "s3cret";
    }
    void storeAndReadBack()
    {
        QFETCH(QString, keyring);
        QFETCH(QString, password);
        const bool runs = keyring == "runs";
        KeychainPasswordStore store(keyring == "none" ? &empty : &session);
        QCOMPARE(store.available(), keyring != "none");
        QVERIFY(keyring != "locked" || daemon->lock());
        auto stored = kept(&store);
        QVERIFY(storeAndWait(*stored, password));
        QCOMPARE(marker(), runs ? 1 : 0);
        QCOMPARE(UnscrambleText(FromAnsi(env->store->ReadSettingBytes("site_password"))),
                 runs ? QString() : password);
        if (runs && !password.contains(QChar(0)))
            QCOMPARE(daemon->lookup("Pollwick", "site_password"), password);
        QVERIFY(!daemon->isLocked() || daemon->unlock());
        auto later = kept(&store);
        later->load();
        if (runs)
            QCOMPARE(later->state(), StoredPassword::State::Reading);
        QTRY_COMPARE_WITH_TIMEOUT(later->state(), StoredPassword::State::Known, 10000);
        QCOMPARE(later->password(), password);
        env->services.sitePassword = stored.get();
        Settings settings;
        QWidget main;
        frmLogin dialog(env->services, settings, &main);
        dialog.show();
        QLabel *line = control<QLabel>(&dialog, "info_keyring");
        QCOMPARE(line->isVisible(), keyring == "none");
        QCOMPARE(line->text(), QStringLiteral("No keyring found: your password is kept in "
                                              "Pollwick's settings file."));
    }

    // A password in the settings file moves to the keyring at start: written, read back equal,
    // and only then taken out of the file. Nothing is lost when a step fails.
    void migration_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("moves") << "";
        QTest::newRow("the write fails: keyring locked") << "locked";
        QTest::newRow("the read-back fails") << "fails";
        QTest::newRow("the read-back differs") << "differs";
    }
    void migration()
    {
        QFETCH(QString, fault);
        const QString password = QString(31, 'p') + " it";
        QVERIFY(env->store->WriteSettingText("site_password", ScrambleText(password)));
        const QByteArray before = env->store->ReadSettingBytes("site_password");
        if (fault == "locked")
            QVERIFY(daemon->lock());
        Tampered store(*keyring);
        store.fault = fault;
        auto start = kept(&store);
        start->load();
        QCOMPARE(start->password(), password);
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("moved") || log().contains("stays"), 10000);
        const bool moved = fault.isEmpty();
        QCOMPARE(log().count("Your password moved from the settings file to the desktop's "
                             "keyring."),
                 moved ? 1 : 0);
        QCOMPARE(env->store->ReadSettingBytes("site_password"), moved ? QByteArray() : before);
        QCOMPARE(marker(), moved ? 1 : 0);
        QCOMPARE(startAgain(keyring.get())->password(), password);
    }

    // "Remove my user details from this computer", saved with the options, takes the password
    // out of the keyring too.
    void removeDeletesTheEntry()
    {
        QVERIFY(storeAndWait(*env->sitePassword, "x")); // the file's copy, before the keyring
        auto stored = kept(keyring.get());
        QVERIFY(storeAndWait(*stored, "s3cret"));
        QCOMPARE(daemon->lookup("Pollwick", "site_password"), QStringLiteral("s3cret"));
        Settings settings;
        OptionsStore options(*env->store, env->services.config, *env->log, *stored);
        options.load(settings);
        QVERIFY(LoginDialogRules::ok(settings, true, "", "", [](const QString &) {
                    return true;
                }).accepted);
        OptionsStore::PageValues page;
        page.torrentPath = env->folder();
        options.save(page, settings);
        QTRY_COMPARE_WITH_TIMEOUT(daemon->lookup("Pollwick", "site_password"), QString(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(marker(), 0, 10000);
        QCOMPARE(startAgain(keyring.get())->password(), QString());
    }

    // Nothing that logs in sends an empty password while the keyring is locked: a check fails
    // with its message (logged once) and a download's attempt with the keyring's, asking nothing
    // of the site, nothing is deleted, and the next one reads it again; the search window and
    // the profile say so and ask nothing of the site.
    void lockedKeyringHoldsLogins_data()
    {
        QTest::addColumn<QString>("by");
        QTest::newRow("the feed check") << "check";
        QTest::newRow("a download") << "download";
        QTest::newRow("the search window") << "search";
        QTest::newRow("the profile") << "profile";
        QTest::newRow("a hand-off to qBittorrent") << "hand-off";
    }
    void lockedKeyringHoldsLogins()
    {
        QFETCH(QString, by);
        TestSite site;
        env->useSite(site.baseUrl());
        QVERIFY(storeAndWait(*kept(keyring.get()), "demo"));
        QVERIFY(daemon->lock());
        auto start = kept(keyring.get());
        env->services.sitePassword = start.get();
        start->load();
        ProgramState state;
        state.settings.SiteUserName = "demo";
        state.settings.TorrentFolder = env->folder();
        const QString locked = StoredPassword::lockedText();
        if (by == "check") {
            RecordingFeedHost host;
            bool parsed = false;
            FeedCheck check(env->services, state, host);
            check.setCompletion([&](const FeedCheckContext &) { parsed = true; });
            check.checkfeed(); // waits for the keyring
            QSignalSpy ended(&check, &FeedCheck::checkEnded);
            QVERIFY(ended.wait(10000));
            QCOMPARE(host.tips.last(),
                     "Your keyring is locked: Pollwick cannot read your password.");
            QCOMPARE(log().count(locked), 1);
            QCOMPARE(site.requests().size(), 0);
            QCOMPARE(marker(), 1);
            QVERIFY(daemon->unlock());
            QCOMPARE(daemon->lookup("Pollwick", "site_password"), QStringLiteral("demo"));
            check.checkfeed();
            QTRY_VERIFY_WITH_TIMEOUT(parsed, 10000);
            QCOMPARE(site.requestsTo("/bots.php").size(), 1);
            return;
        }
        if (by == "profile") {
            QPointer<frmProfile> profile = new frmProfile(env->services, state.settings);
            profile->show();
            QTRY_COMPARE(profile ? control<QLabel>(profile, "Label4")->text() : "closed",
                         "Status: " + locked);
            delete profile.data();
        } else if (by == "search") {
            DownloadWindows downloads(env->services, state);
            SearchWindows search(env->services, state, downloads);
            QTRY_COMPARE_WITH_TIMEOUT(start->state(), StoredPassword::State::Unreadable, 10000);
            search.showSearchWindow();
            QTRY_VERIFY(env->dialogs.pending() > 0);
            QCOMPARE(env->dialogs.take().text, locked);
        }
        if (by == "search" || by == "profile") {
            QCOMPARE(site.requests().size(), 0);
            return;
        }
        std::unique_ptr<StoredPassword> client;
        if (by == "hand-off") {
            // The site's password was typed in; the client's is in the locked keyring.
            state.settings.SitePassword = "demo";
            state.settings.Handoff.choice = HandoffSettings::Qbittorrent;
            state.settings.Handoff.qbt.url = "http://127.0.0.1:1";
            client = HandoffOptions::storedPassword(HandoffSettings::Qbittorrent, *env->store,
                                                    keyring.get(), *env->log);
            QVERIFY(daemon->unlock());
            QVERIFY(storeAndWait(*client, "qpass"));
            QVERIFY(daemon->lock());
            client = HandoffOptions::storedPassword(HandoffSettings::Qbittorrent, *env->store,
                                                    keyring.get(), *env->log);
            env->services.qbittorrentPassword = client.get();
            client->load();
        }
        DownloadWindows downloads(env->services, state);
        frmDownload *window = downloads.startByHand(
            DownloadRequest::forTorrent(state, 700007, "Some.torrent", "Some Movie"));
        if (by == "hand-off") {
            QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(window, "Label4")->text(),
                                      "Status: Saved; qBittorrent did not take it: " + locked,
                                      10000);
            env->services.qbittorrentPassword = nullptr;
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(window, "Label4")->text(),
                                  "Status: Failed. (" + locked + ")", 10000);
        QCOMPARE(site.requests().size(), 0);
        QVERIFY(daemon->unlock());
        for (int i = 0; i < 61; ++i)
            window->onRetryTick();
        QTRY_COMPARE_WITH_TIMEOUT(env->shell.files, QStringList{env->folder() + "Some.torrent"},
                                  10000);
        QVERIFY(site.requests().value(0).body.contains("password=demo&"));
    }

    // A torrent client's password goes to the keyring too. Read after the options page has
    // loaded, it reaches Settings and its box then; a save before that leaves it alone.
    void clientPasswordInTheKeyring()
    {
        daemon->clear("Pollwick", "qbittorrent_password");
        MainWindowHarness m(*env);
        QVERIFY(m.ready());
        // Started at logon with a wait before the first check: nothing runs the event loop
        // during a start, and nothing waits for the keyring's answers, the site password's
        // included: they still reach the options in memory.
        m.storeUser();
        m.env.store->WriteSettingText("lastparsed", "700001");
        m.env.store->WriteSettingNumber("startupwaitenabled", 1);
        std::unique_ptr<StoredPassword> kept, site;
        const auto start = [&] {
            m.app.reset();
            kept = HandoffOptions::storedPassword(HandoffSettings::Qbittorrent, *m.env.store,
                                                  keyring.get(), *m.env.log);
            m.env.services.qbittorrentPassword = kept.get();
            site = std::make_unique<StoredPassword>("site_password", "password_in_keyring",
                                                    *m.env.store, keyring.get(), *m.env.log);
            m.env.services.sitePassword = site.get();
            m.makeApp({"/usr/bin/pollwick", "/startup"});
            m.app->start();
            return m.control<QLineEdit>("text_qbt_password");
        };
        start();
        QVERIFY(storeAndWait(*kept, "qpass") && storeAndWait(*site, "demo"));
        m.env.store->WriteSettingNumber("handoff", HandoffSettings::Qbittorrent);
        m.env.store->WriteSettingText("qbt_url", "http://127.0.0.1:1");
        QLineEdit *box = start();
        QCOMPARE(kept->state(), StoredPassword::State::Reading);
        QCOMPARE(m.state().settings.SitePassword, QString());
        QTest::keyClicks(m.control<QLineEdit>("text_qbt_category"), "TV");
        QTest::mouseClick(m.control<QPushButton>("command_APPLY"), Qt::LeftButton);
        QCOMPARE(m.env.store->ReadSettingText("qbt_category"), QStringLiteral("TV"));
        QTRY_COMPARE_WITH_TIMEOUT(box->text(), QStringLiteral("qpass"), 10000);
        QCOMPARE(m.state().settings.Handoff.qbt.password, QStringLiteral("qpass"));
        QTRY_COMPARE_WITH_TIMEOUT(m.state().settings.SitePassword, QStringLiteral("demo"), 10000);
        QCOMPARE(m.site.requests().size(), 0);

        QTest::keyClicks(box, "2");
        QTest::mouseClick(m.control<QPushButton>("command_APPLY"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(daemon->lookup("Pollwick", "qbittorrent_password"),
                                  QStringLiteral("qpass2"), 10000);
        QVERIFY(m.env.store->ReadSettingBytes("qbittorrent_password").isEmpty());
        // What the user types before the keyring answers stays in the box.
        QTest::keyClicks(box = start(), "mine");
        QCOMPARE(kept->state(), StoredPassword::State::Reading);
        QTRY_COMPARE_WITH_TIMEOUT(m.state().settings.Handoff.qbt.password, "qpass2", 10000);
        QCOMPARE(box->text(), QStringLiteral("mine"));
    }

    // A new member on a desktop with a keyring: the first-run wizard stores the password there
    // and settings.reg holds none; a later start reads it (its check: lockedKeyringHoldsLogins).
    void firstRunStoresInTheKeyring()
    {
        TestSite site;
        env->useSite(site.baseUrl());
        auto stored = kept(keyring.get());
        env->services.sitePassword = stored.get();
        bool continued = false;
        auto *wizard = new frmFirstRun(env->services, [&] { continued = true; });
        wizard->show();
        control<QLineEdit>(wizard, "txtUserName")->setText("demo");
        control<QLineEdit>(wizard, "txtPassword")->setText("demo");
        QTest::mouseClick(control<QPushButton>(wizard, "command_check"), Qt::LeftButton);
        QTRY_VERIFY(control<QPushButton>(wizard, "command_next")->isEnabled());
        QTest::mouseClick(control<QPushButton>(wizard, "command_next"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(continued, 10000);
        delete wizard;
        QCOMPARE(env->store->ReadSettingText("site_username"), QStringLiteral("demo"));
        QVERIFY(!QString::fromLatin1(ReadTextFile(env->services.config.settingsPath()).toLatin1())
                     .contains("site_password"));

        QCOMPARE(startAgain(keyring.get())->password(), QStringLiteral("demo"));
    }
};

QTEST_MAIN(TestKeyring)
#include "tst_keyring.moc"
