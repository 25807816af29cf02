#include "search/SearchDatabaseUpdater.h"

#include "feed/TorrentDb.h"
#include "model/ProgramState.h"
#include "platform/AppConfig.h"
#include "platform/Clock.h"
#include "platform/DebugConsole.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/StoredPassword.h"
#include "platform/TextUtils.h"
#include "platform/WholeFiles.h"
#include "search/SearchDatabase.h"
#include "search/SearchDatabaseHost.h"
#include "search/SearchReply.h"
#include "search/SearchSchedule.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The rows of an update reply as torrents.db lines (fields 0 to 5 as the site sent them),
// walked in order up to the first line without a TAB. Only lines ended by CR LF are rows: a
// tail cut short never reaches the file.
QList<TorrentDb::PendingLine> updateLines(const QString &rows)
{
    QList<TorrentDb::PendingLine> lines;
    const QList<QStringView> pieces = QStringView(rows).split(CrLf);
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QStringView piece = pieces[i];
        if (!piece.contains(QLatin1Char('\t')))
            break;
        QList<QStringView> fields = piece.split(QLatin1Char('\t'));
        fields.resize(6);
        QString line = fields[0].toString();
        for (int f = 1; f < 6; ++f) {
            line += QLatin1Char('\t');
            line += fields[f];
        }
        lines.append({fields[0].toString(), line});
    }
    return lines;
}

} // namespace

SearchDatabaseUpdater::SearchDatabaseUpdater(Services &services, ProgramState &state,
                                             SearchDatabaseHost &host, HttpTransfer &transfer,
                                             QObject *parent)
    : QObject(parent), m_services(services), m_state(state), m_host(host), m_transfer(transfer)
{
    // The requests carry the member's name and password.
    m_transfer.setRedirectPolicy(HttpTransfer::RedirectPolicy::SameSiteOnly);
}

QString SearchDatabaseUpdater::databasePath() const
{
    return m_services.config.programFile(QStringLiteral("torrents.db"));
}

QString SearchDatabaseUpdater::now() const
{
    return TorrentDb::timestampText(m_services.clock->now());
}

void SearchDatabaseUpdater::checkforupdates()
{
    SettingsStore &store = *m_services.store;
    switch (SearchSchedule::checkforupdates(
        store.ReadSettingText(SettingName::SearchCreated),
        store.ReadSettingText(SettingName::SearchUpdated), QFileInfo::exists(databasePath()),
        store.ReadSettingText(SettingName::SearchNewest),
        store.ReadSettingText(SettingName::LastParsed), m_services.clock->now())) {
    case SearchSchedule::Action::Create:
        do_create();
        break;
    case SearchSchedule::Action::Update:
        do_update();
        break;
    case SearchSchedule::Action::Load:
        read_db(false);
        break;
    }
}

void SearchDatabaseUpdater::closeDuringDownload()
{
    m_searchClosing = true;
    m_transfer.setRequestTimeout(1);
    m_transfer.Cancel();
}

void SearchDatabaseUpdater::close()
{
    m_downloadRunning = false;
    m_host.closeWindow();
}

void SearchDatabaseUpdater::loadOldCopyOrClose()
{
    if (QFileInfo::exists(databasePath()))
        read_db(false);
    else
        close();
}

SearchDatabaseUpdater::Fetched SearchDatabaseUpdater::fetch(SearchReply::Kind kind,
                                                            const QString &address, QString &reply)
{
    QPointer<SearchDatabaseUpdater> self(this);
    for (int attempt = 1;; ++attempt) {
        if (m_searchClosing) {
            close();
            return Fetched::Over;
        }
        m_host.downloading(true);
        bool tooLarge = false;
        reply = FetchUrlText(address, m_transfer, ReplyLimitBytes, &tooLarge);
        if (!self)
            return Fetched::Over;
        if (m_searchClosing) {
            close();
            return Fetched::Over;
        }
        SearchReply::Failure failure =
            SearchReply::classify(reply, m_transfer.GetHeader(), tooLarge);
        // Update rows that hold no line break cannot be read.
        if (kind == SearchReply::Kind::Update && failure == SearchReply::Failure::None) {
            const QString rows = SearchReply::rowsOf(reply);
            if (!rows.isEmpty() && !rows.contains(CrLf))
                failure = SearchReply::Failure::Empty;
        }
        if (failure == SearchReply::Failure::None)
            return Fetched::Reply;
        m_host.downloading(false);
        if (m_transfer.sentElsewhere())
            m_services.log->debug_console(m_transfer.ResponseInfo());
        if (attempt == 1 && SearchReply::silentRetryOnFirstAttempt(kind, failure))
            continue;
        if (!m_host.retryDownload(kind, failure)) {
            m_downloadRunning = false;
            return Fetched::Stopped;
        }
    }
}

bool SearchDatabaseUpdater::beginDownload(SearchReply::Kind kind)
{
    m_searchClosing = false;
    // No request goes out with an empty password while the keyring has not given it.
    if (StoredPassword::pending(m_services.sitePassword, m_state.settings.SitePasswordChanged)) {
        m_host.passwordUnavailable(kind);
        return false;
    }
    m_downloadRunning = true;
    return true;
}

bool SearchDatabaseUpdater::waitForTorrentDb()
{
    if (!m_state.TorrentDbBusy)
        return true;
    QPointer<SearchDatabaseUpdater> self(this);
    m_waitingForTorrentDb = true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!self || !m_state.TorrentDbBusy)
            loop.quit();
    });
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    poll.start();
    loop.exec();
    if (!self)
        return false;
    m_waitingForTorrentDb = false;
    return true;
}

void SearchDatabaseUpdater::writeFailed(const QString &error)
{
    m_host.downloading(false);
    m_services.log->debug_console(QStringLiteral("Unable to write torrents.db: ") + error);
    m_host.databaseNotWritten();
    loadOldCopyOrClose();
}

void SearchDatabaseUpdater::do_create()
{
    QPointer<SearchDatabaseUpdater> self(this);
    const auto done = qScopeGuard([self] {
        if (self)
            self->m_downloadRunning = false;
    });
    if (!beginDownload(SearchReply::Kind::Create))
        return loadOldCopyOrClose();
    const Settings &settings = m_state.settings;
    QString reply;
    const Fetched fetched = fetch(
        SearchReply::Kind::Create,
        SearchReply::createAddress(SiteBaseUrl(), settings.SiteUserName, settings.SitePassword),
        reply);
    if (fetched == Fetched::Stopped)
        return loadOldCopyOrClose();
    if (fetched == Fetched::Over)
        return;
    const QByteArray rows = ToAnsi(SearchReply::wholeRowsOf(reply));
    if (!waitForTorrentDb())
        return;
    m_state.TorrentDbBusy = true;
    QString error;
    const bool written = ReplaceFileAtomically(databasePath(), rows, &error);
    m_state.TorrentDbBusy = false;
    m_downloadRunning = false;
    if (!written)
        return writeFailed(error);
    {
        SettingsStore::Batch batch(*m_services.store);
        m_services.store->WriteSettingText(SettingName::SearchCreated, now());
        m_services.store->WriteSettingText(SettingName::SearchUpdated, now());
    }
    m_host.downloading(false);
    if (m_searchClosing)
        return close();
    return read_db(true);
}

void SearchDatabaseUpdater::do_update()
{
    // Without a stored newest id the site would send its newest rows again and every one of
    // them would be appended twice: the copy is made anew instead.
    const QString newestText = m_services.store->ReadSettingText(SettingName::SearchNewest);
    const qint64 newest = SearchSchedule::numberOrZero(newestText);
    if (newest <= 0)
        return do_create();

    QPointer<SearchDatabaseUpdater> self(this);
    const auto done = qScopeGuard([self] {
        if (self)
            self->m_downloadRunning = false;
    });
    if (!beginDownload(SearchReply::Kind::Update))
        return read_db(false);
    const Settings &settings = m_state.settings;
    QString reply;
    const Fetched fetched =
        fetch(SearchReply::Kind::Update,
              SearchReply::updateAddress(SiteBaseUrl(), settings.SiteUserName,
                                         settings.SitePassword, newestText.trimmed()),
              reply);
    if (fetched == Fetched::Stopped)
        return read_db(false);
    if (fetched == Fetched::Over)
        return;
    const QString rows = SearchReply::rowsOf(reply);
    const QList<TorrentDb::PendingLine> lines = updateLines(rows);
    if (!lines.isEmpty()) {
        if (!waitForTorrentDb())
            return;
        // A feed check may have appended rows while the request ran: only rows newer than
        // what the file holds now go in, so none is written twice.
        const qint64 storedNow = SearchSchedule::numberOrZero(
            m_services.store->ReadSettingText(SettingName::SearchNewest));
        const TorrentDb::AppendResult appended =
            TorrentDb::appendNewer(m_state, databasePath(), std::max(newest, storedNow), lines);
        if (appended.status == TorrentDb::AppendStatus::Failed) {
            m_downloadRunning = false;
            m_host.downloading(false);
            m_services.log->debug_console(QStringLiteral("Unable to write torrents.db: ") +
                                          appended.error);
            m_host.databaseNotWritten();
            return read_db(false);
        }
    }
    m_downloadRunning = false;
    m_services.store->WriteSettingText(SettingName::SearchUpdated, now());
    m_host.downloading(false);
    if (m_searchClosing)
        return close();
    return read_db(true);
}

void SearchDatabaseUpdater::read_db(bool storeNewest)
{
    const QString path = databasePath();
    if (!QFileInfo::exists(path))
        return;
    m_host.loading(true);
    m_host.clearResults();
    SearchDatabase::LoadResult loaded = SearchDatabase::load(path);
    if (loaded.skippedRows > 0)
        m_services.log->debug_console(
            QStringLiteral("torrents.db: %1 unreadable row(s) without a TAB left out.")
                .arg(loaded.skippedRows));
    if (loaded.status == SearchDatabase::Status::Missing) {
        m_host.loading(false);
        return;
    }
    if (loaded.status != SearchDatabase::Status::Loaded) {
        if (!loaded.error.isEmpty())
            m_services.log->debug_console(QStringLiteral("Unable to read torrents.db: ") +
                                          loaded.error);
        m_host.loading(false);
        m_host.databaseLoaded(nullptr);
        if (m_host.retryUnreadableDatabase())
            do_create();
        else
            close();
        return;
    }
    m_host.databaseLoaded(loaded.database);
    if (storeNewest)
        m_services.store->WriteSettingText(SettingName::SearchNewest,
                                           loaded.database->lastIdText());
    m_host.loading(false);
}
