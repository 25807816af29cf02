#include "core/TrayIconState.h"
#include "notify/AlertStage.h"
#include "notify/NotifyController.h"
#include "NotifyTestApp.h"
#include "platform/WindowHelpers.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>

// The popup through its timers' handlers on a fixed screen, and Toast with its queue.
class TestPopup : public NotifyTest
{
    Q_OBJECT

    static int opacityLevel(const QWidget *w) { return qRound(w->windowOpacity() * 255); }
    static QString caption(FrmVSPopUp *popup)
    {
        return NotifyTestApp::child<QLabel>(popup, "lblMessage")->text();
    }

private slots:

    // Tick by tick: 24 growth ticks fading in from 0 to 230, the rest, 23 shrinking ticks fading
    // out from 240 to 20, a last step and the unload; a blue banner, and never the focus.
    void tickSequence_data()
    {
        QTest::addColumn<int>("taskbar"); // pixels at the bottom of a 1280 x 1024 screen
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("baseOffset"); // twips
        QTest::addColumn<QRect>("rest");     // pixels, after arriving
        QTest::addColumn<QString>("platform");
        const QRect rest(904, 932, 359, 62);
        QTest::newRow("taskbar of 30 pixels") << 30 << 15.0 << 420 << rest << "xcb";
        QTest::newRow("no taskbar: 2 pixels below the screen")
            << 0 << 15.0 << -30 << QRect(904, 962, 359, 62) << "offscreen";
        QTest::newRow("120 dpi") << 30 << 12.0 << 336 << QRect(814, 916, 449, 78) << "xcb";
        // Where a window cannot fade, no call tries.
        QTest::newRow("Wayland: no fade") << 30 << 15.0 << 420 << rest << "wayland";
        QTest::newRow("Wayland with EGL: no fade") << 30 << 15.0 << 420 << rest << "wayland-egl";
    }
    void tickSequence()
    {
        QFETCH(int, taskbar);
        QFETCH(double, twips);
        QFETCH(int, baseOffset);
        QFETCH(QRect, rest);
        QFETCH(QString, platform);
        env->services.session.platformName = platform;
        const bool fades = !platform.startsWith("wayland");
        const auto faded = [fades](int level) { return fades ? level : 255; };
        const QRect screen(0, 0, 1280, 1024);
        env->screen = FixedScreenMetrics(screen, screen.adjusted(0, 0, 0, -taskbar), twips);
        QPointer<FrmVSPopUp> popup = new FrmVSPopUp(env->services);
        popup->SetNumber(PopupAnimation::restingOffset(env->screen));
        popup->setCaption("Some Torrent has just been uploaded."); // loads it, as Toast does
        popup->showWithoutActivating();
        QSignalSpy unloaded(popup.data(), &FrmVSPopUp::unloaded);
        QVERIFY(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        const QImage banner = NotifyTestApp::child<QLabel>(popup, "ImgMsnBG")->pixmap().toImage();
        QCOMPARE(banner.size(), QSize(359, 62));
        QVERIFY(banner.pixelColor(180, 31).blue() > banner.pixelColor(180, 31).red() + 60);
        QCOMPARE(popup->TmrUnload()->interval(), 11000);
        QCOMPARE(popup->pos(), QPoint(rest.x(), screen.bottom() + 1));

        const auto topAt = [&](int heightTwips) {
            return screen.y() +
                   qRound((qRound(screen.height() * twips) - heightTwips - baseOffset) / twips);
        };
        for (int tick = 1; tick <= 24; ++tick) {
            popup->onTmrMoveTick();
            QCOMPARE(opacityLevel(popup), faded((tick - 1) * 10));
            QCOMPARE(popup->y(), topAt(40 * tick));
            QCOMPARE(popup->height(), qRound(40 * tick / twips));
        }
        popup->onTmrMoveTick();
        QVERIFY(!popup->TmrMove()->isActive());
        QCOMPARE(popup->geometry(), rest);
        QCOMPARE(opacityLevel(popup), faded(230));

        popup->onTmrUnloadTick();
        QCOMPARE(popup->TmrUnloader()->interval(), 15);
        for (int tick = 1; tick <= 23; ++tick) {
            popup->onTmrUnloaderTick();
            QCOMPARE(opacityLevel(popup), faded(240 - (tick - 1) * 10));
            QCOMPARE(popup->y(), topAt(930 - 40 * tick));
        }
        popup->onTmrUnloaderTick();
        QCOMPARE(unloaded.count(), 0);
        popup->onTmrUnloaderTick();
        QCOMPARE(unloaded.count(), 1);
        QTRY_VERIFY(!popup);
    }

    // Toast cuts the name to the popup's width and plays the program folder's sound; a second
    // popup waits until the first unloads, here by a right click that acknowledges the results.
    void twoToastsInARow()
    {
        env->store->WriteSettingNumber("playsound", 1);
        NotifyTestApp::writeFile(env->file("notify.wav"), "RIFF");
        t->start();
        const QString name = "A Very Long Torrent Name With Many Words In It That Goes On And On "
                             "Well Past The Popup Width 2008 DVDRip XviD";
        QString first = name, second = "3";
        t->main()->notifyController().Toast(first, AlertStage::SingleTail);
        t->main()->notifyController().Toast(second, AlertStage::SeveralTail);
        QPointer<FrmVSPopUp> shown = t->popup();
        QVERIFY(first.endsWith("...") && name.startsWith(first.chopped(3)));
        const QFontMetrics metrics(WindowHelpers::LabelFont());
        QVERIFY(metrics.horizontalAdvance(first.chopped(3)) * 15 <= 4500);
        QCOMPARE(caption(shown), first + " " + AlertStage::SingleTail);
        QCOMPARE(t->notify().popupQueue().waiting(), 1);
        QCOMPARE(env->sound.played, QStringList{env->file("notify.wav")});

        t->state().results = {{0, "a.torrent", "1", 0, "TV", "A", 700001}};
        t->app->trayState().checkanimation("stopnew");
        QTest::mouseClick(NotifyTestApp::child<QWidget>(shown, "lblMessage"), Qt::RightButton);
        QVERIFY(t->state().results.isEmpty());
        QCOMPARE(t->app->trayState().IconState(), QStringLiteral("nonew"));
        QPointer<FrmVSPopUp> next = t->popup();
        QVERIFY(shown->isUnloaded() && next && next != shown);
        QCOMPARE(caption(next), QStringLiteral("3  new torrents have just been uploaded."));
        QVERIFY(next->TmrMove()->isActive()); // the queue's turns are tst_popupanimation's
    }
    // The sound plays once per popup and only when the setting is exactly 1 (a value never
    // stored reads as 0: tst_settingsstore); without a sound in the program folder the installed
    // one plays.
    void sound_data()
    {
        QTest::addColumn<int>("playsound");
        QTest::newRow("on, installed file") << 1;
        QTest::newRow("off") << 0;
        QTest::newRow("any other value is off") << 2;
    }
    void sound()
    {
        QFETCH(int, playsound);
        t->start(); // a first start stores the sound switched on
        env->store->WriteSettingNumber("playsound", qint16(playsound));
        QString name = "Quiet";
        t->main()->notifyController().Toast(name, AlertStage::SingleTail);
        QPointer<FrmVSPopUp> popup = t->popup();
        popup->onTmrMoveTick();
        QCOMPARE(env->sound.played,
                 playsound == 1
                     ? QStringList{env->services.config.installedDataFolder() + "notify.wav"}
                     : QStringList{});
        popup->unload();
    }
};

QTEST_MAIN(TestPopup)
#include "tst_popup.moc"
