#include "core/TrayIconState.h"
#include "notify/AlertStage.h"
#include "notify/frmSummary.h"
#include "NotifyTestApp.h"
#include "platform/WindowHelpers.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>

// The popup window through its timers' handlers on a fixed screen, its sound, its clicks, and
// Toast with its queue.
class TestPopup : public QObject
{
    Q_OBJECT

    std::unique_ptr<NotifyTestApp> t;

    static int opacityLevel(const QWidget *w) { return qRound(w->windowOpacity() * 255); }
    static QString caption(FrmVSPopUp *popup)
    {
        return NotifyTestApp::child<QLabel>(popup, "lblMessage")->text();
    }
    // A popup loaded the way Toast loads one, on the test's screen.
    FrmVSPopUp *loadPopup()
    {
        auto *popup = new FrmVSPopUp(t->env->services);
        popup->SetNumber(PopupAnimation::restingOffset(t->env->screen));
        popup->setCaption("Some Torrent has just been uploaded.");
        popup->showWithoutActivating();
        return popup;
    }
    void results(int count)
    {
        for (int i = 0; i < count; ++i)
            t->state().results.append({0, QString("t%1.torrent").arg(i), "1048576", 0, "TV",
                                       QString("Torrent %1").arg(i), 700001 + i});
        t->app->trayState().checkanimation("stopnew");
    }

private slots:
    void init() { t = std::make_unique<NotifyTestApp>(); }
    void cleanup()
    {
        const QString problems = t->env->problems();
        t.reset();
        QCOMPARE(problems, QString());
    }

    // The whole life of a popup, tick by tick: 24 growth ticks fading in from 0 to 230, an
    // arrival tick at rest, the stay, 23 shrinking ticks fading out from 240 to 20, a last
    // step and the unload.
    void tickSequence_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("work");
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("baseOffset"); // twips
        QTest::addColumn<QRect>("rest");     // pixels, after arriving
        QTest::newRow("taskbar of 30 pixels") << QRect(0, 0, 1280, 1024) << QRect(0, 0, 1280, 994)
                                              << 15.0 << 420 << QRect(904, 932, 359, 62);
        QTest::newRow("no taskbar: 2 pixels below the screen")
            << QRect(0, 0, 1280, 1024) << QRect(0, 0, 1280, 1024) << 15.0 << -30
            << QRect(904, 962, 359, 62);
        QTest::newRow("primary screen not at the origin")
            << QRect(1920, 100, 1280, 1024) << QRect(1920, 100, 1280, 984) << 15.0 << 570
            << QRect(2824, 1022, 359, 62);
        QTest::newRow("120 dpi") << QRect(0, 0, 1280, 1024) << QRect(0, 0, 1280, 994) << 12.0 << 336
                                 << QRect(814, 916, 449, 78);
    }
    void tickSequence()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, work);
        QFETCH(double, twips);
        QFETCH(int, baseOffset);
        QFETCH(QRect, rest);
        t->env->screen = FixedScreenMetrics(screen, work, twips);
        QPointer<FrmVSPopUp> popup = loadPopup();
        QSignalSpy unloaded(popup.data(), &FrmVSPopUp::unloaded);
        QCOMPARE(popup->baseOffset(), qint16(baseOffset));
        QVERIFY(popup->isVisible());
        QVERIFY(popup->TmrMove()->isActive());
        QVERIFY(popup->TmrUnload()->isActive());
        QVERIFY(!popup->TmrUnloader()->isActive());
        QCOMPARE(popup->TmrMove()->interval(), 15);
        QCOMPARE(popup->TmrUnloader()->interval(), 15);
        QCOMPARE(popup->TmrUnload()->interval(), 11000);
        // Loaded below the screen.
        QCOMPARE(popup->y(), screen.bottom() + 1);
        QCOMPARE(popup->x(), rest.x());

        const int screenTwips = qRound(screen.height() * twips);
        const auto topAt = [&](int heightTwips) {
            return screen.y() + qRound((screenTwips - heightTwips - baseOffset) / twips);
        };
        for (int tick = 1; tick <= 24; ++tick) {
            popup->onTmrMoveTick();
            QCOMPARE(opacityLevel(popup), (tick - 1) * 10);
            QCOMPARE(popup->y(), topAt(40 * tick));
            QCOMPARE(popup->height(), qRound(40 * tick / twips));
            QVERIFY(popup->TmrMove()->isActive());
        }
        popup->onTmrMoveTick();
        QVERIFY(!popup->TmrMove()->isActive());
        QCOMPARE(popup->geometry(), rest);
        QCOMPARE(opacityLevel(popup), 230);

        popup->onTmrUnloadTick();
        QVERIFY(popup->TmrUnloader()->isActive());
        for (int tick = 1; tick <= 23; ++tick) {
            popup->onTmrUnloaderTick();
            QCOMPARE(opacityLevel(popup), 240 - (tick - 1) * 10);
            QCOMPARE(popup->y(), topAt(930 - 40 * tick));
        }
        QCOMPARE(popup->animation().height(), 10);
        popup->onTmrUnloaderTick();
        QCOMPARE(popup->animation().height(), 0);
        QCOMPARE(unloaded.count(), 0);
        popup->onTmrUnloaderTick();
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(!popup->isVisible());
        QTRY_VERIFY(!popup);
    }

    void neverTakesTheFocus()
    {
        QPointer<FrmVSPopUp> popup = loadPopup();
        const Qt::WindowFlags flags = popup->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(popup->testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(popup->focusPolicy(), Qt::NoFocus);
        QVERIFY(QApplication::activeWindow() != popup);
        auto *label = NotifyTestApp::child<QLabel>(popup, "lblMessage");
        QCOMPARE(label->geometry(), QRect(8, 24, 341, 13));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(224, 224, 224));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        const QPixmap banner = NotifyTestApp::child<QLabel>(popup, "ImgMsnBG")->pixmap();
        QCOMPARE(banner.size(), QSize(359, 62));
        // Blue.
        const QColor middle = banner.toImage().pixelColor(180, 31);
        QVERIFY(middle.blue() > middle.red() + 60);
        popup->unload();
    }

    void sound_data()
    {
        QTest::addColumn<int>("playsound");
        QTest::addColumn<bool>("ownFile");
        QTest::addColumn<bool>("played");
        QTest::newRow("on, file in the program folder") << 1 << true << true;
        QTest::newRow("on, installed file") << 1 << false << true;
        QTest::newRow("off") << 0 << true << false;
        QTest::newRow("any other value is off") << 2 << true << false;
        QTest::newRow("never stored") << -1 << true << false;
    }
    void sound()
    {
        QFETCH(int, playsound);
        QFETCH(bool, ownFile);
        QFETCH(bool, played);
        if (playsound >= 0)
            t->env->store->WriteSettingNumber("playsound", qint16(playsound));
        if (ownFile)
            NotifyTestApp::writeFile(t->env->file("notify.wav"), "RIFF");
        QPointer<FrmVSPopUp> popup = loadPopup();
        const QString expected = ownFile
                                     ? t->env->file("notify.wav")
                                     : t->env->services.config.installedDataFolder() + "notify.wav";
        QCOMPARE(t->env->sound.played, played ? QStringList{expected} : QStringList{});
        popup->onTmrMoveTick();
        QCOMPARE(t->env->sound.played.size(), played ? 1 : 0);
        popup->unload();
    }

    // Toast returns at once; a second popup waits until the first has unloaded.
    void toastQueue()
    {
        t->env->store->WriteSettingNumber("playsound", 0);
        t->start();
        frmMain *main = t->main();
        QString first = "First Torrent";
        QString second = "3";
        main->Toast(first, AlertStage::SingleTail);
        QPointer<FrmVSPopUp> shown = t->popup();
        QVERIFY(shown);
        QVERIFY(shown->isVisible());
        main->Toast(second, AlertStage::SeveralTail);
        QCOMPARE(t->popup(), shown.data());
        QCOMPARE(caption(shown), QStringLiteral("First Torrent has just been uploaded."));
        QCOMPARE(t->notify().popupQueue().waiting(), 1);
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget *w) { return w->objectName() == "FrmVSPopUp"; }),
                 1);

        shown->onTmrUnloadTick();
        for (int tick = 0; tick < 24 && !shown->isUnloaded(); ++tick)
            shown->onTmrUnloaderTick();
        QVERIFY(shown->isUnloaded());
        QPointer<FrmVSPopUp> next = t->popup();
        QVERIFY(next);
        QVERIFY(next != shown);
        QCOMPARE(caption(next), QStringLiteral("3  new torrents have just been uploaded."));
        QCOMPARE(next->animation().height(), 0);
        QVERIFY(next->TmrMove()->isActive());
        QCOMPARE(t->notify().popupQueue().waiting(), 0);
        next->unload();
        QVERIFY(!t->notify().popupQueue().popupVisible());
        QVERIFY(!t->popup());
    }

    void toastWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shortened");
        QTest::newRow("fits") << "Short Name" << false;
        QTest::newRow("too wide")
            << "A Very Long Torrent Name With Many Words In It That Goes On And On And On Well "
               "Past The Popup Width 2008 DVDRip XviD"
            << true;
    }
    void toastWidth()
    {
        QFETCH(QString, text);
        QFETCH(bool, shortened);
        t->start();
        QString shown = text;
        t->main()->Toast(shown, AlertStage::SingleTail);
        const QString line = caption(t->popup());
        QCOMPARE(shown != text, shortened);
        QCOMPARE(line, shown + " " + AlertStage::SingleTail);
        const QFontMetrics metrics(WindowHelpers::LabelFont());
        if (shortened) {
            QVERIFY(shown.endsWith("..."));
            QVERIFY(text.startsWith(shown.chopped(3)));
            // What is left of the name still fits the popup's width.
            QVERIFY(metrics.horizontalAdvance(shown.chopped(3)) * 15 <= 4500);
        } else {
            QVERIFY(metrics.horizontalAdvance(line) * 15 <= 4500);
        }
        QCOMPARE(NotifyTestApp::child<QLabel>(t->main(), "lblMessagetest")->isVisible(), false);
        t->popup()->unload();
    }

    // Clicks on the popup: the left button opens the summary (unless Filter Info is open) and
    // closes the login dialog; any other button acknowledges the results.
    void clicks_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("infoOpen");
        QTest::addColumn<bool>("summaryShown");
        QTest::addColumn<bool>("acknowledged");
        QTest::newRow("left on the text")
            << "lblMessage" << Qt::LeftButton << false << true << false;
        QTest::newRow("left on the banner")
            << "ImgMsnBG" << Qt::LeftButton << false << true << false;
        QTest::newRow("left with Filter Info open")
            << "lblMessage" << Qt::LeftButton << true << false << false;
        QTest::newRow("right") << "lblMessage" << Qt::RightButton << false << false << true;
        QTest::newRow("middle on the banner")
            << "ImgMsnBG" << Qt::MiddleButton << false << false << true;
    }
    void clicks()
    {
        QFETCH(QString, control);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, infoOpen);
        QFETCH(bool, summaryShown);
        QFETCH(bool, acknowledged);
        t->env->store->WriteSettingText("lastparsed", "700040");
        t->start();
        results(3);
        QWidget login;
        login.setObjectName("frmLogin");
        login.show();
        QWidget info;
        info.setObjectName("frmTorrentInfo");
        if (infoOpen)
            info.show();
        QString text = "3";
        t->main()->Toast(text, AlertStage::SeveralTail);
        QPointer<FrmVSPopUp> popup = t->popup();
        popup->onTmrMoveTick();
        QTest::mouseClick(NotifyTestApp::child<QWidget>(popup, control.toLatin1()), button);
        QVERIFY(popup->isUnloaded());
        QVERIFY(!popup->isVisible());
        QCOMPARE(login.isVisible(), button != Qt::LeftButton);
        const bool summaryVisible = t->summary() && t->summary()->isVisible();
        QCOMPARE(summaryVisible, summaryShown);
        if (summaryShown) {
            QCOMPARE(t->summary()->windowTitle(), QStringLiteral("3 new torrents"));
            QCOMPARE(NotifyTestApp::child<QTreeWidget>(t->summary(), "torrent_list")
                         ->topLevelItemCount(),
                     3);
        }
        QCOMPARE(t->state().results.isEmpty(), acknowledged);
        QCOMPARE(t->app->trayState().IconState(),
                 acknowledged ? QStringLiteral("nonew") : QStringLiteral("new"));
        QTRY_VERIFY(!popup);
    }
};

QTEST_MAIN(TestPopup)
#include "tst_popup.moc"
