#include "account/frmAbout.h"
#include "TestEnv.h"
#include "WidgetFinder.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

const QString InternalBuild =
    QStringLiteral("This is an internal build and is not intended for public release.");

} // namespace

using WidgetFinder::control;

class TestFrmAbout : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<QWidget> m_main;
    QPointer<frmAbout> m_about;

    QLabel *link() { return control<QLabel>(m_about, "Label4"); }

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(100, 100, 700, 500);
        m_main->show();
        m_about = new frmAbout(m_env->services, m_main.get());
        m_about->show();
    }
    void cleanup()
    {
        QCOMPARE(m_env->problems(), QString());
        m_main.reset();
        QVERIFY(!m_about);
        m_env.reset();
    }

    void texts()
    {
        QCOMPARE(m_about->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(m_about->windowTitle(), QStringLiteral("About Pollwick"));
        QVERIFY(!m_about->isModal());
        QCOMPARE(m_about->parentWidget(), m_main.get());
        QCOMPARE(control<QLabel>(m_about, "Label1")->text(), QStringLiteral("Pollwick"));
        QCOMPARE(control<QLabel>(m_about, "Label2")->text(),
                 QStringLiteral("Version 1.3  Build 512"));
        QVERIFY(control<QLabel>(m_about, "Label3")->text().startsWith(QStringLiteral("Copyright")));
        QCOMPARE(link()->text(), QStringLiteral("https://pollwick.example.org/"));
        QCOMPARE(link()->cursor().shape(), Qt::PointingHandCursor);
        link()->ensurePolished();
        QCOMPARE(link()->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QFrame *frame2 = control<QFrame>(m_about, "Frame2");
        QCOMPARE(control<QLabel>(frame2, "Label5")->text(), InternalBuild);
        QCOMPARE(control<QLabel>(frame2, "Label6")->text(), InternalBuild);
        QVERIFY(!control<QLabel>(m_about, "Image1")->pixmap().isNull());
        // The main window stays usable beside it.
        QVERIFY(m_main->isEnabled());
    }

    // Only a left click on the link opens the home page, and then the window closes.
    void linkClick_data()
    {
        QTest::addColumn<Qt::MouseButton>("pressed");
        QTest::addColumn<Qt::MouseButton>("released");
        QTest::addColumn<bool>("releasedOutside");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left click") << Qt::LeftButton << Qt::LeftButton << false << true;
        QTest::newRow("right click") << Qt::RightButton << Qt::RightButton << false << false;
        QTest::newRow("middle click") << Qt::MiddleButton << Qt::MiddleButton << false << false;
        QTest::newRow("left press, released elsewhere")
            << Qt::LeftButton << Qt::LeftButton << true << false;
    }
    void linkClick()
    {
        QFETCH(Qt::MouseButton, pressed);
        QFETCH(Qt::MouseButton, released);
        QFETCH(bool, releasedOutside);
        QFETCH(bool, opens);
        const QPoint inside = link()->rect().center();
        QTest::mousePress(link(), pressed, Qt::NoModifier, inside);
        QTest::mouseRelease(link(), released, Qt::NoModifier,
                            releasedOutside ? QPoint(-20, -20) : inside);
        QCOMPARE(m_env->shell.urls,
                 opens ? QStringList{"https://pollwick.example.org/"} : QStringList{});
        if (opens) {
            QTRY_VERIFY_WITH_TIMEOUT(!m_about, 1000);
        } else {
            QCoreApplication::processEvents();
            QVERIFY(m_about && m_about->isVisible());
            m_about->close();
        }
    }

    void command1Closes()
    {
        QTest::mouseClick(control<QPushButton>(m_about, "Command1"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_about, 1000);
        QVERIFY(m_env->shell.urls.isEmpty());
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
