#include "notify/AlertStage.h"

#include "model/ProgramState.h"
#include "platform/AppConfig.h"
#include "platform/DebugConsole.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"

#include <algorithm>

const QString AlertStage::SingleTail = QStringLiteral("has just been uploaded.");
const QString AlertStage::SeveralTail = QStringLiteral(" new torrents have just been uploaded.");

AlertStage::AlertStage(ProgramState &state, SettingsStore &store, DebugConsole *log)
    : m_state(state), m_store(store), m_log(log)
{
}

qint32 AlertStage::storedId(const QString &name) const
{
    bool ok = false;
    const qint32 id = m_store.ReadSettingText(name).trimmed().toInt(&ok);
    return ok ? id : 0;
}

void AlertStage::log(const QString &line) const
{
    if (m_log)
        m_log->debug_console(line);
}

QString AlertStage::singleTooltip(const QString &name)
{
    if (name.size() < 28)
        return name + QStringLiteral(" has just been uploaded");
    return name.left(27) + QStringLiteral("... has just been uploaded");
}

AlertStage::Outcome AlertStage::run(qint32 lastparsed, qint32 lastalerted, bool onetime)
{
    Outcome out;
    out.lastalerted = lastalerted;
    const QString la = QString::number(lastalerted);

    if (lastparsed == 0) {
        // The newest torrents of a first run are old news: never alerted.
        m_state.results.clear();
        m_state.exclusion.clear();
        log(QStringLiteral("First run detected. Skipping notification."));
    }

    const ResultList &results = m_state.results;
    const qsizetype n = results.size();
    log(QStringLiteral("Number of results: ") + QString::number(n));

    if (n == 1) {
        const MatchRecord &r = results.first();
        out.alertAddress = SiteBaseUrl() + QStringLiteral("/details.php?id=") +
                           QString::number(r.Id) + QStringLiteral("&hit=1");
        out.animation = QStringLiteral("stopnew");
        out.tooltip = singleTooltip(r.Name);
        if (!onetime) {
            out.popup = PopupRequest{r.Name, SingleTail};
            out.lastalerted = r.Id;
        } else {
            log(QStringLiteral("onetime on. la = ") + la);
            if (r.Id > lastalerted) {
                out.popup = PopupRequest{r.Name, SingleTail};
                out.lastalerted = r.Id;
            } else {
                log(QStringLiteral("res array/la = ") + QString::number(r.Id) + QLatin1Char('/') +
                    la);
            }
        }
        if (out.popup)
            out.alertedId = r.Id;
    } else if (n > 1) {
        out.alertAddress = SiteBaseUrl() + QStringLiteral("/browse.php");
        out.animation = QStringLiteral("stopnew");
        out.tooltip = QString::number(n) + QStringLiteral(" new torrents");
        if (!onetime) {
            out.popup = PopupRequest{QString::number(n), SeveralTail};
            out.lastalerted = results.last().Id;
        } else {
            log(QStringLiteral("onetime on. la = ") + la);
            int m = 0;
            const MatchRecord *newest = nullptr;
            for (const MatchRecord &r : results) {
                if (r.Id > lastalerted) {
                    ++m;
                    newest = &r;
                } else {
                    log(QStringLiteral("res array/la = ") + QString::number(r.Id) +
                        QLatin1Char('/') + la);
                }
            }
            if (m == 1) {
                out.popup = PopupRequest{newest->Name, SingleTail};
                out.alertedId = newest->Id;
            } else if (m > 1)
                out.popup = PopupRequest{QString::number(m), SeveralTail};
            if (out.popup)
                out.lastalerted = results.last().Id;
        }
    } else {
        out.alertAddress = SiteBaseUrl() + QStringLiteral("/browse.php");
        out.animation = QStringLiteral("stop");
        out.tooltip = QStringLiteral("No new torrents");
    }
    m_state.AlertAddress = out.alertAddress;
    m_state.TrayTipText = out.tooltip;

    // The check's position only moves forward: the next check starts at the newest id of the
    // reply, new or not, unless the stored one is newer still; and nobody is alerted twice
    // because an older result came last. A row whose id is not a number from 1 up is passed
    // over: it would read back as 0 and make the next check a first run.
    if (!m_state.feed.isEmpty()) {
        qint32 newest = storedId(SettingName::LastParsed);
        for (const TorrentRecord &row : std::as_const(m_state.feed)) {
            bool ok = false;
            const qint32 id = row.Id.trimmed().toInt(&ok);
            if (ok)
                newest = std::max(newest, id);
        }
        out.lastalerted = std::max(out.lastalerted, storedId(SettingName::LastAlerted));
        out.stored =
            m_store.WriteSettingText(SettingName::LastAlerted, QString::number(out.lastalerted));
        out.stored = m_store.WriteSettingText(SettingName::LastParsed, QString::number(newest)) &&
                     out.stored;
    }

    if (lastparsed == 0) {
        m_state.feed.clear();
        m_state.results.clear();
        m_state.exclusion.clear();
    }
    return out;
}
