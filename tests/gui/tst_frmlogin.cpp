#include "account/frmLogin.h"
#include "core/Settings.h"
#include "TestEnv.h"
#include "WidgetFinder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using WidgetFinder::control;

// "User Details" over a main window, from the stored details "olduser" / "oldpass".
class TestFrmLogin : public QObject
{
    Q_OBJECT

private slots:
    // OK with the typed details; "remove" ticks Check1 and `answer` replies to the question.
    void ok_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("answer"); // "Y", "N", or "" when the box is not a question
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("caption"); // empty when not accepted
        const QString question = "By removing your login details you will no longer be able to "
                                 "use Pollwick.\r\nAre you sure?";
        // clang-format off
        QTest::newRow("empty password") << "bob" << "" << "" << "Please enter a password " << "";
        QTest::newRow("both empty: the user name first") << "" << "" << ""
            << "Please enter a username " << "";
        QTest::newRow("new details") << "bob" << "s3cret & more" << "" << "" 
            << "bob (click to change)";
        QTest::newRow("removal answered No") << "" << "" << "N" << question << "";
        QTest::newRow("removal answered Yes, typed details dropped") << "typed" << "typed" << "Y"
            << question << "Not set (click to change)";
        QTest::newRow("removal answered Yes, empty boxes") << "" << "" << "Y" << question
            << "Not set (click to change)";
        // clang-format on
    }
    void ok()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, answer);
        QFETCH(QString, box);
        QFETCH(QString, caption);
        TestEnv env;
        Settings settings;
        settings.SiteUserName = "olduser";
        settings.SitePassword = "oldpass";
        QWidget main;
        main.setGeometry(120, 90, 760, 560);
        main.show();
        auto *dialog = new frmLogin(env.services, settings, &main);
        QSignalSpy accepted(dialog, &frmLogin::userDetailsAccepted);
        dialog->show();
        // Centred on the main window.
        const QRect outer = main.frameGeometry();
        const QRect own = dialog->frameGeometry();
        QCOMPARE(own.topLeft(), QPoint(outer.left() + outer.width() / 2 - own.width() / 2,
                                       outer.top() + outer.height() / 2 - own.height() / 2));

        QTest::keyClicks(control<QLineEdit>(dialog, "txtUserName"), user);
        QTest::keyClicks(control<QLineEdit>(dialog, "txtPassword"), password);
        if (!answer.isEmpty()) {
            control<QCheckBox>(dialog, "Check1")->click();
            QVERIFY(!control<QLineEdit>(dialog, "txtUserName")->isEnabled());
            answer == "Y" ? env.dialogs.answerYes() : env.dialogs.answerNo();
        }
        QTest::mouseClick(control<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        if (!box.isEmpty()) {
            const ScriptedDialogs::Shown shown = env.dialogs.take();
            QCOMPARE(shown.kind, QString(answer.isEmpty() ? "message" : "yesno"));
            QCOMPARE(shown.text, box);
        }
        const bool ok = !caption.isEmpty();
        QCOMPARE(dialog->isVisible(), !ok);
        QCOMPARE(accepted.size(), ok ? 1 : 0);
        if (ok)
            QCOMPARE(accepted.first().first().toString(), caption);
        const bool removed = answer == "Y";
        QCOMPARE(settings.SiteUserName, removed ? "" : ok ? user : "olduser");
        QCOMPARE(settings.SitePassword, removed ? "" : ok ? password : "oldpass");
        QCOMPARE(env.problems(), QString());
    }
};

QTEST_MAIN(TestFrmLogin)
#include "tst_frmlogin.moc"
