#include "notify/NotifyController.h"

#include "core/frmMain.h"
#include "core/PollwickApp.h"
#include "download/DownloadWindows.h"
#include "feed/FeedCheck.h"
#include "notify/CheckCycle.h"
#include "notify/NotifyWindows.h"
#include "notify/ToastText.h"
#include "platform/ScreenMetrics.h"
#include "platform/WindowHelpers.h"

#include <QCheckBox>
#include <QLabel>

NotifyController::NotifyController(frmMain &main) : QObject(&main), m_main(main)
{
    m_lblMessagetest = new QLabel(&m_main);
    m_lblMessagetest->setObjectName(QStringLiteral("lblMessagetest"));
    m_lblMessagetest->setTextFormat(Qt::PlainText);
    m_lblMessagetest->setFont(WindowHelpers::LabelFont());
    m_lblMessagetest->hide();

    m_main.feedCheck().setCompletion(
        [this](const FeedCheckContext &context) { complete(context); });
}

NotifyController::~NotifyController() = default;

void NotifyController::complete(const FeedCheckContext &context)
{
    ProgramState &state = m_main.state();
    m_main.app().downloadWindows().beginCheck();
    CheckCycle cycle(m_main.services(), state,
                     [this](const DownloadRequest &request) { return startDownload(request); });
    // Filtering follows the options page's "Filter Torrents?" box.
    const auto *filtering = m_main.findChild<QCheckBox *>(QStringLiteral("check_filter"));
    const AlertStage::Outcome outcome =
        cycle.run(context, filtering && filtering->isChecked(), state.settings.AlertOnce);
    apply(outcome);
}

void NotifyController::apply(const AlertStage::Outcome &outcome)
{
    m_main.checkanimation(outcome.animation);
    m_main.setTrayTip(outcome.tooltip);
    m_main.showNextCheckStatus();
    if (outcome.popup) {
        QString text = outcome.popup->text;
        Toast(text, outcome.popup->tail);
    }
}

bool NotifyController::startDownload(const DownloadRequest &request)
{
    return m_main.app().downloadWindows().startAutomatic(request);
}

int NotifyController::measureTwips(const QString &text) const
{
    // The label sizes itself to its text, as the popup's label would if it were not fixed.
    m_lblMessagetest->setText(text);
    m_lblMessagetest->adjustSize();
    return qRound(
        WindowHelpers::PixelsToTwipsX(*m_main.services().screen, m_lblMessagetest->width()));
}

void NotifyController::Toast(QString &text, const QString &tail)
{
    text = ToastText::fit(text, tail, [this](const QString &line) { return measureTwips(line); });
    m_lblMessagetest->setText(ToastText::line(text, tail));
    m_main.app().notifyWindows().showPopup(PopupRequest{text, tail});
}
