#include "feed/TorrentDb.h"

#include "model/ProgramState.h"
#include "platform/Clock.h"
#include "platform/DebugConsole.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/TextUtils.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString CrLf = QStringLiteral("\r\n");

bool number(const QString &text, qint64 *value)
{
    bool ok = false;
    *value = text.trimmed().toLongLong(&ok);
    return ok;
}

// True when the file is non-empty and its last two bytes are not CR LF.
bool endsInsideALine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size == 0)
        return false;
    if (size < 2 || !file.seek(size - 2))
        return true;
    return file.read(2) != QByteArrayLiteral("\r\n");
}

// The id of the file's last whole line (one ended by CR LF); 0 when there is none or its first
// field is not a number. A line cut short by a crash is not taken.
qint64 lastWholeLineId(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const qint64 size = file.size();
    for (qint64 chunk = 4096;; chunk *= 4) {
        const qint64 from = std::max<qint64>(0, size - chunk);
        if (!file.seek(from))
            return 0;
        const QByteArray tail = file.read(size - from);
        const qsizetype end = tail.lastIndexOf("\r\n");
        const qsizetype before = end > 0 ? tail.lastIndexOf("\r\n", end - 1) : -1;
        if (from > 0 && before < 0)
            continue; // the line may begin before this piece
        if (end < 0)
            return 0;
        const qsizetype start = before < 0 ? 0 : before + 2;
        QByteArray id = tail.mid(start, end - start);
        if (const qsizetype tab = id.indexOf('\t'); tab >= 0)
            id.truncate(tab);
        bool ok = false;
        const qint64 value = id.trimmed().toLongLong(&ok);
        return ok ? value : 0;
    }
}

} // namespace

TorrentDb::TorrentDb(ProgramState &state, SettingsStore &store, const Clock &clock,
                     DebugConsole *log, const QString &path)
    : m_state(state), m_store(store), m_clock(clock), m_log(log), m_path(path)
{
}

QString TorrentDb::lineFor(const TorrentRecord &r)
{
    const QChar tab = QLatin1Char('\t');
    return r.Id + tab + r.Size + tab + r.Category + tab + QLatin1Char('1') + tab + r.Name + tab +
           r.FileName;
}

QString TorrentDb::timestampText(const QDateTime &time)
{
    return time.toString(QStringLiteral("dd-MM-yyyy|HH:mm:ss"));
}

bool TorrentDb::readLine(QStringView line, TorrentRecord *record)
{
    if (!line.contains(QLatin1Char('\t')))
        return false;
    *record = TorrentRecord();
    int field = 0;
    for (QStringView part : line.tokenize(QLatin1Char('\t'))) {
        switch (field++) {
        case 0:
            record->Id = part.toString();
            break;
        case 1:
            record->Size = part.toString();
            break;
        case 2:
            record->Category = part.toString();
            break;
        case 4:
            record->Name = part.toString().replace(QLatin1Char('.'), QLatin1Char(' '));
            break;
        case 5:
            record->FileName = part.toString();
            break;
        default:
            break;
        }
    }
    if (record->Category.isEmpty())
        record->Category = QStringLiteral("n/a");
    return true;
}

TorrentDb::AppendResult TorrentDb::appendNewer(ProgramState &state, const QString &path,
                                               qint64 newest, const QList<PendingLine> &lines)
{
    AppendResult result;
    QString text;
    qint64 last = newest;
    for (const PendingLine &pending : lines) {
        qint64 id = 0;
        if (!number(pending.id, &id) || id <= last)
            continue;
        text += pending.line + CrLf;
        last = id;
        ++result.rows;
    }
    if (result.rows == 0)
        return result;
    if (endsInsideALine(path))
        text.prepend(CrLf);
    const QByteArray bytes = ToAnsi(text);

    state.TorrentDbBusy = true;
    // Unbuffered, so that nothing is left to flush when the file is closed after a failure.
    QFile file(path);
    qint64 oldSize = -1;
    bool written = false;
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        oldSize = file.size();
        written = file.write(bytes) == bytes.size();
        if (!written)
            result.error = file.errorString();
        file.close();
        // Cut back only once the file is closed: a resize of the open file would first try
        // again to write what failed, and leave the half line behind.
        if (!written && !QFile::resize(path, oldSize))
            result.error += QStringLiteral(" (the file could not be cut back to its old length)");
    } else {
        result.error = file.errorString();
    }
    state.TorrentDbBusy = false;

    if (!written) {
        result.status = AppendStatus::Failed;
        result.rows = 0;
        return result;
    }
    result.status = AppendStatus::Appended;
    result.lastId = last;
    return result;
}

TorrentDb::AppendResult TorrentDb::appendFromCheck(qint32 lastparsed)
{
    qint64 newest = 0;
    if (lastparsed <= 0 || !number(m_store.ReadSettingText(SettingName::SearchNewest), &newest) ||
        newest != lastparsed)
        return AppendResult(); // out of step: the search window's own update catches up
    if (!QFileInfo::exists(m_path) || m_state.TorrentDbBusy)
        return AppendResult();

    // search_newest is stored with the check's other values after the append: a crash in
    // between leaves the file ahead of it, and those rows must not be written twice.
    const qint64 after = std::max(newest, lastWholeLineId(m_path));

    QList<PendingLine> lines;
    lines.reserve(m_state.feed.size());
    bool anyNewer = false;
    for (const TorrentRecord &row : std::as_const(m_state.feed)) {
        lines.append({row.Id, lineFor(row)});
        qint64 id = 0;
        anyNewer = anyNewer || (number(row.Id, &id) && id > after);
    }
    if (!anyNewer) {
        if (after > newest) {
            // The file already holds these rows: search_newest catches up with it.
            m_store.WriteSettingText(SettingName::SearchNewest, QString::number(after));
            m_store.WriteSettingText(SettingName::SearchUpdated, timestampText(m_clock.now()));
        }
        return AppendResult();
    }

    if (m_log)
        m_log->debug_console(QStringLiteral("Updating torrent db."));
    const AppendResult result = appendNewer(m_state, m_path, after, lines);
    if (result.status == AppendStatus::Failed) {
        if (m_log)
            m_log->debug_console(QStringLiteral("Failed to update torrent db: ") + result.error);
        return result;
    }

    m_store.WriteSettingText(SettingName::SearchNewest, QString::number(result.lastId));
    m_store.WriteSettingText(SettingName::SearchUpdated, timestampText(m_clock.now()));
    if (m_log)
        m_log->debug_console(QStringLiteral("Update successful."));
    return result;
}
