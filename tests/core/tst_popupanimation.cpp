#include "notify/PopupQueue.h"

#include <QtTest>

// The popups' queue; the popup itself, and Toast with two popups in a row, are tst_popup's.
class TestPopupAnimation : public QObject
{
    Q_OBJECT

private slots:
    // Announcements wait in turn until the popup before them unloads.
    void oneAtATime()
    {
        PopupQueue queue;
        const PopupRequest a{"A", "has just been uploaded."};
        const PopupRequest b{"2", " new torrents have just been uploaded."};
        const PopupRequest c{"C", "has just been uploaded."};
        QVERIFY(queue.submit(a));
        QVERIFY(!queue.submit(b));
        QVERIFY(!queue.submit(c));
        QCOMPARE(queue.waiting(), 2);
        QCOMPARE(queue.unloaded(), std::optional<PopupRequest>(b));
        QCOMPARE(queue.unloaded(), std::optional<PopupRequest>(c));
        QCOMPARE(queue.unloaded(), std::nullopt);
        QVERIFY(!queue.popupVisible());
        QVERIFY(queue.submit(a));
    }
};

QTEST_APPLESS_MAIN(TestPopupAnimation)
#include "tst_popupanimation.moc"
