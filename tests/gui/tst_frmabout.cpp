#include "account/frmAbout.h"
#include "EnvTest.h"
#include "WidgetFinder.h"

#include <QLabel>
#include <QPointer>
#include <QtTest>

// Only a left click on the About window's link opens the home page, and closes the window.
class TestFrmAbout : public EnvTest
{
    Q_OBJECT

private slots:
    void linkClick_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("release"); // where the button is let go, from the middle
        QTest::newRow("left click") << Qt::LeftButton << QPoint();
        QTest::newRow("right click") << Qt::RightButton << QPoint();
        QTest::newRow("left press, released elsewhere") << Qt::LeftButton << QPoint(-200, -200);
    }
    void linkClick()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, release);
        QPointer<frmAbout> about = new frmAbout(env->services, nullptr);
        about->show();
        QLabel *link = WidgetFinder::control<QLabel>(about, "Label4");
        QTest::mousePress(link, button, {}, link->rect().center());
        QTest::mouseRelease(link, button, {}, link->rect().center() + release);
        const bool opens = button == Qt::LeftButton && release.isNull();
        QCOMPARE(env->shell.urls,
                 opens ? QStringList{"https://pollwick.example.org/"} : QStringList{});
        QTRY_COMPARE(about.isNull(), opens);
        QCOMPARE(about && about->isVisible(), !opens);
        delete about;
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
