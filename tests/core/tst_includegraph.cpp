#include "IncludeGraph.h"

#include <QtTest>

// The folders of src/ include each other one way only: platform/ at the bottom, then model/,
// the subsystems without cycles between them, core/ and app/ at the top. The rows on made-up
// trees show that each rule fails when it is broken.
class TestIncludeGraph : public QObject
{
    Q_OBJECT

    static QString sourceTree() { return QStringLiteral(POLLWICK_SOURCE_DIR "/src"); }

    // "path|line" entries, the lines of one file in order.
    static IncludeGraph graphOf(const QStringList &entries)
    {
        QMap<QString, QStringList> files;
        for (const QString &entry : entries) {
            const qsizetype bar = entry.indexOf(QLatin1Char('|'));
            files[entry.left(bar)] << entry.mid(bar + 1);
        }
        IncludeGraph graph;
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            graph.addFile(it.key(), it.value().join(QLatin1Char('\n')));
        return graph;
    }

private slots:
    void sourceTreeKeepsTheLayers()
    {
        const IncludeGraph graph = IncludeGraph::read(sourceTree());
        // Read from the right place: the folders are there and they include each other.
        for (const char *folder : {"app", "core", "feed", "filters", "model", "platform"})
            QVERIFY2(graph.folders().contains(QLatin1String(folder)), folder);
        QVERIFY(graph.includes().size() > 100);
        const QStringList problems = graph.problems();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        // The same tree with one upward include more fails (the rules on made-up trees below).
        IncludeGraph upward = graph;
        upward.addFile("notify/NotifyController.cpp", "#include \"core/frmMain.h\"");
        QVERIFY(upward.problems().contains(
            "notify/NotifyController.cpp:1 includes core/frmMain.h: only app/ includes core/"));
    }

    void rules_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("layered tree")
            << QStringList{"platform/Text.h|#include <QString>",
                           "platform/Text.cpp|#include \"platform/Text.h\"",
                           "model/State.h|#include \"platform/Text.h\"",
                           "feed/Feed.cpp|#include \"model/State.h\"",
                           "feed/Feed.cpp|#include \"platform/Text.h\"",
                           "filters/Rule.cpp|#include \"feed/Feed.h\"",
                           "core/Main.cpp|#include \"filters/Rule.h\"",
                           "core/Main.cpp|#include \"model/State.h\"",
                           "app/main.cpp|#include \"core/Main.h\"",
                           "app/main.cpp|#include \"platform/Text.h\""}
            << QStringList{};
        QTest::newRow("platform includes a subsystem")
            << QStringList{"platform/Text.cpp|#include <QString>",
                           "platform/Text.cpp|#include \"notify/Match.h\"",
                           "notify/Match.h|#pragma once"}
            << QStringList{"platform/Text.cpp:2 includes notify/Match.h: platform/ includes only "
                           "platform/"};
        QTest::newRow("model includes a subsystem")
            << QStringList{"model/State.h|#include \"feed/Row.h\"", "feed/Row.h|#pragma once"}
            << QStringList{"model/State.h:1 includes feed/Row.h: model/ includes only platform/ "
                           "and model/"};
        QTest::newRow("model includes core")
            << QStringList{"model/State.h|#include \"core/Main.h\"", "core/Main.h|#pragma once"}
            << QStringList{"model/State.h:1 includes core/Main.h: model/ includes only platform/ "
                           "and model/",
                           "model/State.h:1 includes core/Main.h: only app/ includes core/"};
        QTest::newRow("subsystem includes the main window")
            << QStringList{"notify/Popup.cpp|#include \"core/frmMain.h\"",
                           "core/frmMain.h|#pragma once"}
            << QStringList{"notify/Popup.cpp:1 includes core/frmMain.h: only app/ includes core/"};
        QTest::newRow("core includes app")
            << QStringList{"core/Main.cpp|#include \"app/Args.h\"", "app/main.cpp|#pragma once"}
            << QStringList{"core/Main.cpp:1 includes app/Args.h: nothing includes app/"};
        QTest::newRow("two folders include each other")
            << QStringList{"feed/Feed.cpp|#include \"filters/Rule.h\"",
                           "filters/Rule.cpp|#include \"model/State.h\"",
                           "filters/Rule.cpp|#include \"feed/Feed.h\"",
                           "model/State.h|#pragma once"}
            << QStringList{"cycle between feed, filters: feed/Feed.cpp:1 includes filters/Rule.h; "
                           "filters/Rule.cpp:2 includes feed/Feed.h"};
        QTest::newRow("three folders in a ring")
            << QStringList{"download/Get.cpp|#include \"feed/Feed.h\"",
                           "feed/Feed.cpp|#include \"search/Find.h\"",
                           "search/Find.cpp|#include \"download/Get.h\"",
                           "account/Login.cpp|#include \"download/Get.h\""}
            << QStringList{"cycle between download, feed, search: download/Get.cpp:1 includes "
                           "feed/Feed.h; feed/Feed.cpp:1 includes search/Find.h; "
                           "search/Find.cpp:1 includes download/Get.h"};
        QTest::newRow("angle brackets reach the tree too")
            << QStringList{"platform/Text.cpp|#include <feed/Feed.h>", "feed/Feed.h|#pragma once"}
            << QStringList{"platform/Text.cpp:1 includes feed/Feed.h: platform/ includes only "
                           "platform/"};
        QTest::newRow("comments, generated forms and outside folders do not count")
            << QStringList{"platform/Text.cpp|// #include \"notify/Match.h\"",
                           "platform/Text.cpp|#include \"ui_frmMain.h\"",
                           "platform/Text.cpp|#include \"support/TestEnv.h\"",
                           "platform/Text.cpp|#include <QtCore/QString>",
                           "notify/Match.h|#pragma once"}
            << QStringList{};
    }
    void rules()
    {
        QFETCH(QStringList, files);
        QTEST(graphOf(files).problems(), "problems");
    }
};

QTEST_GUILESS_MAIN(TestIncludeGraph)
#include "tst_includegraph.moc"
