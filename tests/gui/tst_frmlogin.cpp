#include "account/frmLogin.h"
#include "core/Settings.h"
#include "TestEnv.h"
#include "WidgetFinder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString RemovalQuestion =
    QStringLiteral("By removing your login details you will no longer be able to use "
                   "Pollwick.\r\nAre you sure?");

} // namespace

using WidgetFinder::control;

class TestFrmLogin : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<QWidget> m_main;
    Settings m_settings;
    QPointer<frmLogin> m_dialog;
    std::unique_ptr<QSignalSpy> m_accepted;

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(120, 90, 760, 560);
        m_main->show();
        m_settings = Settings();
        m_settings.SiteUserName = QStringLiteral("olduser");
        m_settings.SitePassword = QStringLiteral("oldpass");
        m_dialog = new frmLogin(m_env->services, m_settings, m_main.get());
        m_accepted = std::make_unique<QSignalSpy>(m_dialog.data(), &frmLogin::userDetailsAccepted);
        m_dialog->show();
    }
    void cleanup()
    {
        QCOMPARE(m_env->problems(), QString());
        m_accepted.reset();
        m_main.reset();
        m_env.reset();
    }

    void opens()
    {
        QCOMPARE(m_dialog->objectName(), QStringLiteral("frmLogin"));
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("User Details"));
        QVERIFY(m_dialog->isModal());
        QCOMPARE(control<QLabel>(m_dialog, "Label1")->text(),
                 QStringLiteral("Please enter your Vellumstacks user details:"));
        QCOMPARE(control<QLabel>(m_dialog, "lblLabels_0")->text(), QStringLiteral("User Name:"));
        QCOMPARE(control<QLabel>(m_dialog, "lblLabels_1")->text(), QStringLiteral("Password:"));
        QCOMPARE(control<QLineEdit>(m_dialog, "txtPassword")->echoMode(), QLineEdit::Password);
        QCOMPARE(control<QCheckBox>(m_dialog, "Check1")->text(),
                 QStringLiteral("Remove my user details from this PC"));
        QVERIFY(!control<QCheckBox>(m_dialog, "Check1")->isChecked());
        QCOMPARE(control<QPushButton>(m_dialog, "cmdOK")->text(), QStringLiteral("OK"));
        QCOMPARE(control<QPushButton>(m_dialog, "cmdCancel")->text(), QStringLiteral("Cancel"));
        // Centred on the main window.
        const QRect main = m_main->frameGeometry();
        const QRect own = m_dialog->frameGeometry();
        QCOMPARE(own.topLeft(), QPoint(main.left() + main.width() / 2 - own.width() / 2,
                                       main.top() + main.height() / 2 - own.height() / 2));
    }

    void removalTickDisablesTheDetails()
    {
        const QStringList names{"lblLabels_0", "lblLabels_1", "txtUserName", "txtPassword"};
        for (bool tick : {true, false, true}) {
            control<QCheckBox>(m_dialog, "Check1")->click();
            for (const QString &name : names)
                QCOMPARE(control<QWidget>(m_dialog, qPrintable(name))->isEnabled(), !tick);
        }
    }

    // OK with the typed details; "remove" ticks Check1 and `answer` replies to the question.
    void ok_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("newUser");
        QTest::addColumn<QString>("newPassword");
        QTest::newRow("empty user name") << ""
                                         << "secret" << false << ""
                                         << "Please enter a username "
                                         << ""
                                         << "olduser"
                                         << "oldpass";
        QTest::newRow("empty password") << "bob"
                                        << "" << false << ""
                                        << "Please enter a password "
                                        << ""
                                        << "olduser"
                                        << "oldpass";
        QTest::newRow("both empty: the user name first") << ""
                                                         << "" << false << ""
                                                         << "Please enter a username "
                                                         << ""
                                                         << "olduser"
                                                         << "oldpass";
        QTest::newRow("new details") << "bob"
                                     << "s3cret & more" << false << ""
                                     << ""
                                     << "bob (click to change)"
                                     << "bob"
                                     << "s3cret & more";
        QTest::newRow("removal answered No") << ""
                                             << "" << true << "N" << RemovalQuestion << ""
                                             << "olduser"
                                             << "oldpass";
        QTest::newRow("removal answered Yes")
            << "typed"
            << "typed" << true << "Y" << RemovalQuestion << "Not set (click to change)"
            << ""
            << "";
    }
    void ok()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, remove);
        QFETCH(QString, answer);
        QFETCH(QString, box);
        QFETCH(QString, caption);
        QFETCH(QString, newUser);
        QFETCH(QString, newPassword);
        QTest::keyClicks(control<QLineEdit>(m_dialog, "txtUserName"), user);
        QTest::keyClicks(control<QLineEdit>(m_dialog, "txtPassword"), password);
        if (remove)
            control<QCheckBox>(m_dialog, "Check1")->click();
        if (answer == QLatin1String("Y"))
            m_env->dialogs.answerYes();
        else if (answer == QLatin1String("N"))
            m_env->dialogs.answerNo();

        QTest::mouseClick(control<QPushButton>(m_dialog, "cmdOK"), Qt::LeftButton);

        if (!box.isEmpty()) {
            const ScriptedDialogs::Shown shown = m_env->dialogs.take();
            QCOMPARE(shown.kind, remove ? QStringLiteral("yesno") : QStringLiteral("message"));
            QCOMPARE(shown.caption, QStringLiteral("Pollwick"));
            QCOMPARE(shown.text, box);
            QCOMPARE(shown.icon, Dialogs::Information);
        }
        const bool accepted = !caption.isEmpty();
        QCOMPARE(m_dialog->isVisible(), !accepted);
        QCOMPARE(m_accepted->size(), accepted ? 1 : 0);
        if (accepted) {
            QCOMPARE(m_accepted->first().first().toString(), caption);
            QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        }
        QCOMPARE(m_settings.SiteUserName, newUser);
        QCOMPARE(m_settings.SitePassword, newPassword);
        QCOMPARE(m_env->dialogs.pending(), 0);
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void cancelChangesNothing()
    {
        QFETCH(QString, way);
        QTest::keyClicks(control<QLineEdit>(m_dialog, "txtUserName"), QStringLiteral("bob"));
        QTest::keyClicks(control<QLineEdit>(m_dialog, "txtPassword"), QStringLiteral("pw"));
        control<QCheckBox>(m_dialog, "Check1")->click();
        if (way == QLatin1String("cancel"))
            QTest::mouseClick(control<QPushButton>(m_dialog, "cmdCancel"), Qt::LeftButton);
        else if (way == QLatin1String("escape"))
            QTest::keyClick(m_dialog, Qt::Key_Escape);
        else
            m_dialog->close();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QCOMPARE(m_accepted->size(), 0);
        QCOMPARE(m_settings.SiteUserName, QStringLiteral("olduser"));
        QCOMPARE(m_settings.SitePassword, QStringLiteral("oldpass"));
    }
};

QTEST_MAIN(TestFrmLogin)
#include "tst_frmlogin.moc"
