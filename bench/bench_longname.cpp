// A torrent name of a mebibyte on its way to the user: the download window fitting it (and the
// target path made from it) to its labels, and the popup fitting it to its line, each with the
// real font measurements the windows use, offscreen. Reported next to the same work for a
// name of 40 characters, and, for comparison, the character-by-character shortening the
// windows did before for names of 1000 and 2000 characters.
//
//   bench/bench_longname [runs]
#include "BenchServices.h"
#include "download/DownloadRequest.h"
#include "download/frmDownload.h"
#include "model/ActiveDownloads.h"
#include "notify/FrmVSPopUp.h"
#include "notify/ToastText.h"
#include "platform/Services.h"
#include "platform/WindowHelpers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString Tail = QStringLiteral("has just been uploaded.");

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The popup's fit as the main window does it: the hidden label sized to the text.
int labelTwips(QLabel &label, const ScreenMetrics &screen, const QString &text)
{
    label.setText(text);
    label.adjustSize();
    return qRound(WindowHelpers::PixelsToTwipsX(screen, label.width()));
}

double downloadWindowMs(Services &services, const QString &folder, const QString &name)
{
    ActiveDownloads downloads;
    auto *window = new frmDownload(services, downloads);
    window->showMinimized();
    QElapsedTimer timer;
    timer.start();
    window->DownloadFile(DownloadRequest{QStringLiteral("/download.php?id=1"), folder + name,
                                         QStringLiteral("demo"), QStringLiteral("demo"), name});
    const double ms = timer.nsecsElapsed() / 1e6;
    window->close();
    delete window;
    return ms;
}

double popupMs(Services &services, QLabel &label, const QString &name)
{
    QElapsedTimer timer;
    timer.start();
    const QString text = ToastText::fit(
        name, Tail, [&](const QString &t) { return labelTwips(label, *services.screen, t); });
    FrmVSPopUp popup(services);
    popup.setCaption(ToastText::line(text, Tail));
    return timer.nsecsElapsed() / 1e6;
}

// The popup's rule one character at a time, as before.
double popupStepByStepMs(Services &services, QLabel &label, const QString &name)
{
    QElapsedTimer timer;
    timer.start();
    QString line = ToastText::line(name, Tail);
    if (labelTwips(label, *services.screen, line) > ToastText::MaxWidthTwips) {
        while (!line.isEmpty() &&
               labelTwips(label, *services.screen, line) >= ToastText::MaxWidthTwips + 1)
            line.chop(1);
    }
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing listens there: the download's request fails at once and is not timed.
    qputenv("POLLWICK_SITE_URL", "http://127.0.0.1:9");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    BenchServices bench;
    Services &services = bench.services;

    QLabel label;
    label.setTextFormat(Qt::PlainText);
    label.setFont(WindowHelpers::LabelFont());
    const QString folder = services.config.programFolder();
    const QString shortName = QStringLiteral("Harbour Patrol S02E01 720p HDTV x264-PWK");
    const QString mebibyte(1 << 20, QLatin1Char('a'));

    struct Row
    {
        const char *what;
        std::vector<double> shortMs, longMs;
    } rows[] = {{"download window", {}, {}}, {"popup", {}, {}}};
    for (int run = 0; run < runs; ++run) {
        rows[0].shortMs.push_back(downloadWindowMs(services, folder, shortName));
        rows[0].longMs.push_back(downloadWindowMs(services, folder, mebibyte));
        rows[1].shortMs.push_back(popupMs(services, label, shortName));
        rows[1].longMs.push_back(popupMs(services, label, mebibyte));
    }
    std::printf("1 MiB name, median of %d runs (40-character name as the floor):\n", runs);
    for (const Row &row : rows) {
        const double shortMs = median(row.shortMs), longMs = median(row.longMs);
        std::printf("  %-16s %8.2f ms  floor %6.2f ms  ratio %5.1f  %s\n", row.what, longMs,
                    shortMs, longMs / shortMs, longMs < 50 ? "(under 50 ms)" : "(OVER 50 ms)");
    }
    std::printf("the popup's shortening one character at a time, as before:\n");
    for (const int length : {1000, 2000}) {
        const double ms = popupStepByStepMs(services, label, QString(length, QLatin1Char('a')));
        std::printf("  %5d characters %8.2f ms\n", length, ms);
    }
    return 0;
}
