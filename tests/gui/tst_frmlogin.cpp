#include "account/frmLogin.h"
#include "EnvTest.h"
#include "model/Settings.h"
#include "WidgetFinder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using WidgetFinder::control;

// "User Details" over a main window, from the stored details "olduser" / "oldpass".
class TestFrmLogin : public EnvTest
{
    Q_OBJECT

private slots:
    // OK with a box left empty, or with "remove" ticked (Check1) and `answer` given to the
    // question; typed details that are taken are tst_accountflow's login from the options.
    void ok_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("answer"); // "Y", "N", or "" when the box is not a question
        QTest::addColumn<QString>("box");
        const QString question = "By removing your login details you will no longer be able to "
                                 "use Pollwick.\r\nAre you sure?";
        // clang-format off
        QTest::newRow("empty password") << "bob" << "" << "" << "Please enter a password ";
        QTest::newRow("both empty: the user name first") << "" << "" << ""
            << "Please enter a username ";
        QTest::newRow("removal answered No") << "" << "" << "N" << question;
        QTest::newRow("removal answered Yes, typed details dropped") << "typed" << "typed" << "Y"
            << question;
        // clang-format on
    }
    void ok()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, answer);
        Settings settings;
        settings.SiteUserName = "olduser";
        settings.SitePassword = "oldpass";
        QWidget main;
        main.setGeometry(120, 90, 760, 560);
        main.show();
        auto *dialog = new frmLogin(env->services, settings, &main);
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
            answer == "Y" ? env->dialogs.answerYes() : env->dialogs.answerNo();
        }
        QTest::mouseClick(control<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        const ScriptedDialogs::Shown shown = env->dialogs.take();
        QCOMPARE(shown.kind, QString(answer.isEmpty() ? "message" : "yesno"));
        QTEST(shown.text, "box");
        const bool removed = answer == "Y"; // the only row the dialog accepts
        QCOMPARE(dialog->isVisible(), !removed);
        QCOMPARE(accepted.size(), removed ? 1 : 0);
        if (removed)
            QCOMPARE(accepted.first().first().toString(), QString("Not set (click to change)"));
        QCOMPARE(settings.SiteUserName, QString(removed ? "" : "olduser"));
        QCOMPARE(settings.SitePassword, QString(removed ? "" : "oldpass"));
    }
};

QTEST_MAIN(TestFrmLogin)
#include "tst_frmlogin.moc"
