#include "notify/NotifyController.h"

#include "download/DownloadWindows.h"
#include "feed/FeedCheck.h"
#include "model/ProgramState.h"
#include "notify/AlertNotice.h"
#include "notify/CheckCycle.h"
#include "notify/NotifyControllerHost.h"
#include "notify/ToastText.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "platform/WindowHelpers.h"

#include <QLabel>

NotifyController::NotifyController(NotifyControllerHost &host, QWidget &window, Services &services,
                                   ProgramState &state, FeedCheck &feedCheck,
                                   DownloadWindows &downloads)
    : QObject(&window), m_host(host), m_services(services), m_state(state), m_downloads(downloads)
{
    m_lblMessagetest = new QLabel(&window);
    m_lblMessagetest->setObjectName(QStringLiteral("lblMessagetest"));
    m_lblMessagetest->setTextFormat(Qt::PlainText);
    m_lblMessagetest->setFont(WindowHelpers::LabelFont());
    m_lblMessagetest->hide();

    feedCheck.setCompletion([this](const FeedCheckContext &context) { complete(context); });
}

NotifyController::~NotifyController() = default;

void NotifyController::complete(const FeedCheckContext &context)
{
    m_downloads.beginCheck();
    CheckCycle cycle(m_services, m_state,
                     [this](const DownloadRequest &request) { return startDownload(request); });
    // Filtering follows the options page's "Filter Torrents?" box.
    const AlertStage::Outcome outcome =
        cycle.run(context, m_host.filteringOn(), m_state.settings.AlertOnce);
    apply(outcome);
}

void NotifyController::apply(const AlertStage::Outcome &outcome)
{
    m_host.checkanimation(outcome.animation);
    m_host.setTrayTip(outcome.tooltip);
    m_host.showNextCheckStatus();
    if (outcome.popup) {
        Announcement announcement{*outcome.popup,
                                  AlertNotice::fromOutcome(outcome, m_state.results)};
        announcement.popup.text = fitted(outcome.popup->text, outcome.popup->tail);
        m_host.announce(announcement);
    }
}

bool NotifyController::startDownload(const DownloadRequest &request)
{
    return m_downloads.startAutomatic(request);
}

int NotifyController::measureTwips(const QString &text) const
{
    // The label sizes itself to its text, as the popup's label would if it were not fixed.
    m_lblMessagetest->setText(text);
    m_lblMessagetest->adjustSize();
    return qRound(WindowHelpers::PixelsToTwipsX(*m_services.screen, m_lblMessagetest->width()));
}

QString NotifyController::fitted(const QString &text, const QString &tail)
{
    const QString shown =
        ToastText::fit(text, tail, [this](const QString &line) { return measureTwips(line); });
    m_lblMessagetest->setText(ToastText::line(shown, tail));
    return shown;
}

void NotifyController::Toast(QString &text, const QString &tail)
{
    AlertNotice notice;
    notice.line = ToastText::line(text, tail);
    text = fitted(text, tail);
    m_host.announce(Announcement{PopupRequest{text, tail}, notice});
}
