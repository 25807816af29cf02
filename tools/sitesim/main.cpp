// pollwick-sitesim: a local stand-in for the tracker site, for demos and manual testing.
// Serves the bot feed, login, downloads, profile pages and browsing pages on 127.0.0.1 and
// keeps adding uploads so that a running Pollwick sees new torrents.

#include "SiteServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onQuitSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop reads the pipe and quits.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

bool installQuitSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void logLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pollwick-sitesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Local stand-in for the Vellumstacks tracker site, on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Port to listen on; 0 (the default) picks a free one."), QStringLiteral("N"),
        QStringLiteral("0"));
    const QCommandLineOption userOption(QStringLiteral("user"),
                                        QStringLiteral("Member name (default demo)."),
                                        QStringLiteral("NAME"), QStringLiteral("demo"));
    const QCommandLineOption passwordOption(QStringLiteral("password"),
                                            QStringLiteral("Member password (default demo)."),
                                            QStringLiteral("PW"), QStringLiteral("demo"));
    const QCommandLineOption rateOption(
        QStringLiteral("rate"),
        QStringLiteral("Seconds between new uploads (default 10); 0 for none."),
        QStringLiteral("SECONDS"), QStringLiteral("10"));
    const QCommandLineOption torrentsOption(QStringLiteral("torrents"),
                                            QStringLiteral("Torrents to start with (default 400)."),
                                            QStringLiteral("N"), QStringLiteral("400"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"), QStringLiteral("Seed of the made-up catalogue (default 2008)."),
        QStringLiteral("N"), QStringLiteral("2008"));
    parser.addOptions(
        {portOption, userOption, passwordOption, rateOption, torrentsOption, seedOption});
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        logLine("pollwick-sitesim: --port needs a number from 0 to 65535");
        return 2;
    }
    const double rate = parser.value(rateOption).toDouble(&ok);
    if (!ok || rate < 0) {
        logLine("pollwick-sitesim: --rate needs a number of seconds, 0 or more");
        return 2;
    }
    const int torrents = parser.value(torrentsOption).toInt(&ok);
    if (!ok || torrents < 0) {
        logLine("pollwick-sitesim: --torrents needs a whole number, 0 or more");
        return 2;
    }
    const quint32 seed = parser.value(seedOption).toUInt(&ok);
    if (!ok) {
        logLine("pollwick-sitesim: --seed needs a whole number");
        return 2;
    }

    if (!installQuitSignals(app))
        logLine("pollwick-sitesim: could not install the signal handlers");

    SiteServer server;
    server.catalogue().clearUsers();
    server.catalogue().addUser(parser.value(userOption), parser.value(passwordOption));
    server.catalogue().generate(torrents, seed);
    if (!server.listen(quint16(port))) {
        logLine("pollwick-sitesim: cannot listen on 127.0.0.1:" + QByteArray::number(port) + ": " +
                server.errorString().toLocal8Bit());
        return 1;
    }

    QObject::connect(&server, &SiteServer::requestReceived, [](const SiteRequest &request) {
        logLine(request.method + ' ' + request.loggableTarget() + ' ' +
                (request.status ? QByteArray::number(request.status) : QByteArray("-")));
    });

    QTimer uploads;
    if (rate > 0) {
        QObject::connect(&uploads, &QTimer::timeout, [&server] {
            const SiteTorrent torrent = server.catalogue().addRandomUpload();
            logLine("upload " + QByteArray::number(torrent.id) + ' ' + torrent.name.toLatin1());
        });
        uploads.start(int(rate * 1000));
    }

    std::printf("listening on %s\n", qPrintable(server.baseUrl()));
    std::fflush(stdout);
    return app.exec();
}
