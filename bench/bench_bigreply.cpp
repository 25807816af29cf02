// Resident memory around a huge reply without Content-Length from the local site: a download
// through the download window (stopped at its 64 MiB cap), then a feed fetch (stopped at the
// reader's 16 MiB cap, for comparison: that reader keeps its whole reply). The site runs in a
// thread of its own and sends as fast as the program takes the bytes. Prints the process's VmRSS
// before, its peak during and its size a second after each; the target is that after the
// download it stays within 20 MiB of the size before. Exits with 1 when it does not.
//
//   bench/bench_bigreply [megabytes]   (200 unless given)
#include "BenchServices.h"
#include "download/DownloadRequest.h"
#include "download/frmDownload.h"
#include "model/ActiveDownloads.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/SiteAddresses.h"
#include "SiteServer.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr qint64 TargetKiB = 20 * 1024;

// Nothing is opened: the bench measures the transfer, not the desktop.
class QuietShell : public Shell
{
public:
    void openUrl(const QString &) override {}
    void openFile(const QString &, Asked) override {}
};

qint64 vmRssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Lets the events run for a while: closed connections and deleted windows go.
void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    // What was let go of inside a nested wait goes now, as it would in the program's own loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The site on a thread of its own, so that it sends whenever the connection takes bytes.
class SiteThread
{
public:
    SiteThread()
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        run([this] {
            m_server = new SiteServer;
            m_server->catalogue().generate(40, 4242);
            m_server->listen();
        });
    }
    ~SiteThread()
    {
        run([this] { delete m_server; });
        m_thread.quit();
        m_thread.wait();
    }
    void run(const std::function<void()> &work)
    {
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }
    SiteServer &server() { return *m_server; }

private:
    QThread m_thread;
    QObject m_context;
    SiteServer *m_server = nullptr;
};

// One download through the download window, until it says how it ended.
QString download(Services &services, const QString &folder, int id)
{
    ActiveDownloads downloads;
    QPointer<frmDownload> window = new frmDownload(services, downloads);
    window->setAutomatic(true);
    QString outcome;
    QEventLoop loop;
    QObject::connect(window, &frmDownload::finished, &loop,
                     [&](frmDownload::Outcome how, const QString &) {
                         outcome = QVariant::fromValue(how).toString();
                         loop.quit();
                     });
    window->showMinimized();
    window->DownloadFile(DownloadRequest{
        DownloadUrlPath(id), folder + QString::number(id) + QStringLiteral(".torrent"),
        QStringLiteral("demo"), QStringLiteral("demo"), QStringLiteral("Some Movie")});
    if (outcome.isEmpty())
        loop.exec();
    if (window)
        window->close();
    return outcome;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::max(1LL, std::atoll(argv[1])) : 200;

    SiteThread site;
    if (!site.server().isListening()) {
        std::fprintf(stderr, "the local site did not start\n");
        return 2;
    }
    const QString siteUrl = site.server().baseUrl();
    qputenv("POLLWICK_SITE_URL", siteUrl.toLatin1());

    BenchServices bench;
    QuietShell shell;
    bench.services.shell = &shell;
    Services &services = bench.services;
    const QString folder = bench.dir.filePath(QStringLiteral("torrents/"));
    QDir().mkpath(folder);
    int id = 0;
    site.run([&] { id = site.server().catalogue().lastId(); });
    const QString feedUrl = siteUrl + QStringLiteral("/bots.php?limit=20&u=demo&p=demo&v=11&c=0");
    HttpTransfer feed(services);

    // One ordinary download and feed fetch first, so that libraries, fonts and the network's
    // own buffers are in place before the size before is taken.
    const QString warmUp = download(services, folder, id);
    FetchUrlText(feedUrl, feed);
    settle(500);

    QTimer sampler;
    qint64 peak = 0;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peak = std::max(peak, vmRssKiB()); });
    const auto measure = [&](const char *what, const char *prefix,
                             const std::function<QString()> &run) {
        site.run([&] {
            SiteMisbehaviour flood;
            flood.prefix = QLatin1String(prefix);
            flood.kind = SiteMisbehaviour::Flood;
            flood.bodyBytes = megabytes * 1000 * 1000;
            flood.remaining = 1;
            site.server().addMisbehaviour(flood);
        });
        const qint64 before = vmRssKiB();
        peak = before;
        sampler.start(20);
        const QString outcome = run();
        // Afterwards: the program lets go of a huge reply's memory moments after it ended.
        settle(100);
        settle(1000);
        sampler.stop();
        const qint64 after = vmRssKiB();
        const qint64 grown = after - before;
        std::printf("  %-8s before %7lld KiB  peak %7lld KiB  after %7lld KiB  after - before "
                    "%+7lld KiB  %s  (%s)\n",
                    what, before, std::max(peak, after), after, grown,
                    grown <= TargetKiB ? "within 20 MiB" : "OVER 20 MiB", qPrintable(outcome));
        return grown <= TargetKiB;
    };

    std::printf("a reply of %lld MB without Content-Length from the local site (warm-up "
                "download: %s), VmRSS:\n",
                megabytes, qPrintable(warmUp));
    const bool within = measure("download", "/download.php", [&] {
        return QStringLiteral("download ") + download(services, folder, id);
    });
    measure("feed", "/bots.php", [&] {
        bool tooLarge = false;
        const QString text = FetchUrlText(feedUrl, feed, HttpTransfer::DefaultBodyLimit, &tooLarge);
        return tooLarge ? QStringLiteral("feed too large")
                        : QStringLiteral("feed of %1 characters").arg(text.size());
    });
    return within ? 0 : 1;
}
