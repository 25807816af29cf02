#include "account/frmAbout.h"
#include "MainWindowHarness.h"

#include <QLabel>
#include <QtTest>

namespace {

// The PNG that the install puts at share/icons/hicolor/<size>x<size>/apps/pollwick.png, in
// the premultiplied form in which a pixmap holds it, so that the pixels compare exactly.
QImage installedIcon(int size)
{
    return QImage(QStringLiteral(POLLWICK_SOURCE_DIR "/resources/icons/pollwick-%1.png").arg(size))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

// The task switcher, the application menu and the About window show one picture: the windows'
// icon at every installed size, and the About picture, are the installed icon's pixels.
class TestProgramIcon : public EnvTest
{
    Q_OBJECT

private slots:
    void mainWindowIcon_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }
    void mainWindowIcon()
    {
        QFETCH(int, size);
        const QImage installed = installedIcon(size);
        QCOMPARE(installed.size(), QSize(size, size));
        MainWindowHarness h(*env);
        QVERIFY(h.ready());
        QCOMPARE(h.startShown(), PollwickApp::LoadEnd::FirstStart);
        const QPixmap shown = h.window()->windowIcon().pixmap(QSize(size, size));
        QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), installed);
        if (size == 64) { // the About picture too
            frmAbout about(env->services, nullptr);
            const QLabel *image = WidgetFinder::control<QLabel>(&about, "Image1");
            QCOMPARE(image->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     installed);
        }
    }
};

QTEST_MAIN(TestProgramIcon)
#include "tst_programicon.moc"
