#include "core/HandoffOptions.h"
#include "MainWindowHarness.h"
#include "platform/StoredPassword.h"
#include "RealClient.h"

#include <QtWidgets>

Q_DECLARE_METATYPE(RealClient::Kind)

// The options page's torrent-client fields: what they store and load, the address check, and
// the Test line against the real clients.
class TestHandoffPanel : public MainWindowTest
{
    Q_OBJECT

    template <typename T> T *control(const QString &name) const
    {
        return m->control<T>(name.toLatin1().constData());
    }
    void type(const QString &name, const QString &text)
    {
        QLineEdit *edit = control<QLineEdit>(name);
        QVERIFY(edit->isVisible());
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QCOMPARE(edit->text(), text);
    }
    void choose(int choice)
    {
        auto *combo = control<QComboBox>("combo_handoff");
        combo->setCurrentIndex(choice);
        emit combo->activated(choice);
    }
    void click(const char *name)
    {
        QTest::mouseClick(m->control<QPushButton>(name), Qt::LeftButton);
    }

private slots:
    void init()
    {
        MainWindowTest::init();
        m->startShown();
        m->control<QTabWidget>("SSTab1")->setCurrentIndex(4);
    }

    // The chosen client's fields are typed, saved with OK and shown again by the next start;
    // the choices without a client show none, and a new user's choice is the default program.
    void savedAndLoaded_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("default program") << 0 << "";
        QTest::newRow("only save") << 1 << "";
        QTest::newRow("qBittorrent") << 2 << "qbt";
        QTest::newRow("Transmission") << 3 << "tr";
    }
    void savedAndLoaded()
    {
        QFETCH(int, choice);
        QFETCH(QString, prefix);
        QCOMPARE(control<QComboBox>("combo_handoff")->currentText(),
                 "Open it with the default program");
        choose(choice);
        QCOMPARE(control<QWidget>("text_qbt_url")->isVisible(), prefix == "qbt");
        QCOMPARE(control<QWidget>("text_tr_url")->isVisible(), prefix == "tr");
        QVERIFY(m->control<QPushButton>("command_APPLY")->isEnabled());
        const QStringList fields{"url", "user", "password", prefix == "qbt" ? "category" : "labels",
                                 prefix == "qbt" ? "savepath" : "dir"};
        if (!prefix.isEmpty()) {
            for (const QString &field : fields)
                type("text_" + prefix + "_" + field,
                     field == "url" ? "https://nas.local:8080" : "my " + field);
            WidgetFinder::clickOption(control<QCheckBox>("check_" + prefix + "_paused"));
        }
        click("command_OK");
        QCOMPARE(m->env.store->ReadSettingNumber("handoff"), qint16(choice));
        QCOMPARE(m->state().settings.Handoff.choice, choice);
        if (prefix.isEmpty())
            return;
        QCOMPARE(m->env.store->ReadSettingText(prefix + "_user"), "my user");
        QCOMPARE(m->env.store->ReadSettingNumber(prefix + "_paused"), qint16(1));
        // Without a keyring the settings file keeps the password, scrambled.
        const auto later =
            HandoffOptions::storedPassword(choice, *m->env.store, nullptr, *m->env.log);
        later->load();
        QCOMPARE(later->password(), "my password");
        QVERIFY(m->env.store->ReadSettingText(prefix == "qbt"
                                                  ? "qbittorrent_password"
                                                  : "transmission_password") != "my password");

        m->app.reset();
        m->makeApp();
        m->app->start();
        QCOMPARE(control<QComboBox>("combo_handoff")->currentIndex(), choice);
        for (const QString &field : fields)
            QCOMPARE(control<QLineEdit>("text_" + prefix + "_" + field)->text(),
                     field == "url" ? "https://nas.local:8080" : "my " + field);
        QVERIFY(control<QCheckBox>("check_" + prefix + "_paused")->isChecked());
        // Loading changed nothing; each kind of field does.
        m->control<QAction>("mnuOptions")->trigger();
        m->control<QTabWidget>("SSTab1")->setCurrentIndex(4);
        QPushButton *apply = m->control<QPushButton>("command_APPLY");
        QVERIFY(!apply->isEnabled());
        WidgetFinder::clickOption(control<QCheckBox>("check_" + prefix + "_paused"));
        QVERIFY(apply->isEnabled());
        click("command_APPLY");
        QVERIFY(!apply->isEnabled());
        type("text_" + prefix + "_user", "other");
        QVERIFY(apply->isEnabled());
    }

    // An address that is no web address is refused with a notice and nothing is stored; Cancel
    // puts the stored values back. (Which addresses pass, the chosen client's or not, and the
    // message for a missing one: tst_handoff's addressCheck.)
    void addressChecked()
    {
        choose(2);
        type("text_qbt_url", "nas:8080");
        auto *tabs = m->control<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(0);
        click("command_APPLY");
        QCOMPARE(m->env.dialogs.take().text,
                 "The address of qBittorrent must begin with http:// or https:// ");
        QCOMPARE(tabs->currentIndex(), 4);
        QVERIFY(control<QLineEdit>("text_qbt_url")->hasFocus());
        QCOMPARE(control<QComboBox>("combo_handoff")->currentIndex(), 2);
        QCOMPARE(m->env.store->ReadSettingText("qbt_url"), "");
        click("command_CANCEL");
        QCOMPARE(control<QComboBox>("combo_handoff")->currentIndex(), 0);
        QCOMPARE(control<QLineEdit>("text_qbt_url")->text(), "");
    }

    // Test logs in with the fields as they stand and says what came of it in one line. (A
    // refused login's reason is tst_handoff's refused.)
    void testLine_data()
    {
        QTest::addColumn<RealClient::Kind>("kind");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("line");
        // The versions of Debian 12's packages.
        QTest::newRow("qBittorrent")
            << RealClient::Qbittorrent << RealClient::Password << "qBittorrent v4.5.2: connected.";
        QTest::newRow("Transmission")
            << RealClient::Transmission << RealClient::Password << "Transmission 3.00: connected.";
    }
    void testLine()
    {
        QFETCH(RealClient::Kind, kind);
        QFETCH(QString, password);
        QFETCH(QString, line);
        REQUIRE_CLIENT(kind);
        RealClient client(kind);
        QVERIFY2(client.start(), qPrintable(client.error()));
        const QString prefix = kind == RealClient::Qbittorrent ? "qbt" : "tr";
        choose(kind == RealClient::Qbittorrent ? 2 : 3);
        type("text_" + prefix + "_url", "127.0.0.1:1");
        auto *test = control<QPushButton>("command_" + prefix + "_test");
        auto *info = control<QLabel>("info_" + prefix + "_test");
        QTest::mouseClick(test, Qt::LeftButton);
        QCOMPARE(info->text(), "Not connected: the address must begin with http:// or https://");
        type("text_" + prefix + "_url", client.url());
        type("text_" + prefix + "_user", RealClient::User);
        type("text_" + prefix + "_password", password);
        QTest::mouseClick(test, Qt::LeftButton);
        QCOMPARE(info->text(), "Connecting...");
        QTRY_COMPARE_WITH_TIMEOUT(info->text(), line, 30000);
        // Testing stores nothing.
        QCOMPARE(m->env.store->ReadSettingText(prefix + "_url"), "");
    }
};

QTEST_MAIN(TestHandoffPanel)
#include "tst_handoffpanel.moc"
