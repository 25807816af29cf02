#include "core/OptionsPage.h"

#include "account/LoginDialogRules.h"
#include "core/CheckScheduler.h"
#include "core/frmMain.h"
#include "core/HandoffOptions.h"
#include "core/HandoffPanel.h"
#include "core/OptionsValidation.h"
#include "model/Settings.h"
#include "notify/AlertStyle.h"
#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/StoredPassword.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>

namespace {
const QString DownloadNow = QStringLiteral("Download Now");
const QString ViewDetails = QStringLiteral("View Details");
} // namespace

OptionsPage::OptionsPage(frmMain &window, Ui::frmMain &ui, HandoffPanel &handoff,
                         Services &services, Settings &settings, CheckScheduler &scheduler)
    : m_window(window), m_ui(ui), m_handoff(handoff), m_services(services), m_settings(settings),
      m_scheduler(scheduler),
      m_store(*services.store, services.config, *services.log, *services.sitePassword,
              services.qbittorrentPassword, services.transmissionPassword)
{
    connectControls();
    // The keyring answers after the page has loaded: the password goes to Settings, and to its
    // box unless the user has typed there meanwhile.
    const auto passwordRead = [this](StoredPassword *stored, int client) {
        if (!stored)
            return;
        connect(stored, &StoredPassword::readEnded, this, [this, stored, client](bool known) {
            if (!known)
                return;
            (client == HandoffSettings::Qbittorrent ? m_settings.Handoff.qbt
                                                    : m_settings.Handoff.tr)
                .password = stored->password();
            m_handoff.passwordRead(client, stored->password());
        });
    };
    passwordRead(services.qbittorrentPassword, HandoffSettings::Qbittorrent);
    passwordRead(services.transmissionPassword, HandoffSettings::Transmission);
}

void OptionsPage::setChecked(QCheckBox *box, bool checked)
{
    const QSignalBlocker block(box);
    box->setChecked(checked);
}

void OptionsPage::setText(QLineEdit *box, const QString &text)
{
    const QSignalBlocker block(box);
    box->setText(text);
}

void OptionsPage::connectControls()
{
    const Ui::frmMain &ui = m_ui;
    connect(ui.onetime_check, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.AlertOnce = on;
        m_window.setOptionsDirty();
    });
    connect(ui.sound_check, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.PlaySound = on ? 1 : 0;
        m_window.setOptionsDirty();
    });
    connect(ui.showdebug_check, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.ShowDebugLog = on ? 1 : 0;
        m_window.setOptionsDirty();
    });
    connect(ui.startup_check, &QCheckBox::toggled, this, &OptionsPage::onStartupCheck);
    connect(ui.wait_check, &QCheckBox::toggled, this, &OptionsPage::onWaitCheck);
    connect(ui.proc_check, &QCheckBox::toggled, this, &OptionsPage::onProcCheck);
    connect(ui.text_timetocheck, &QLineEdit::textChanged, this,
            &OptionsPage::onIntervalTextChanged);
    connect(ui.text_wait, &QLineEdit::textChanged, &m_window, &frmMain::setOptionsDirty);
    connect(ui.text_torrentpath, &QLineEdit::textChanged, &m_window, &frmMain::setOptionsDirty);
    connect(ui.double_combo, &QComboBox::activated, &m_window, &frmMain::setOptionsDirty);
    connect(ui.combo_notifystyle, &QComboBox::activated, &m_window, &frmMain::setOptionsDirty);
    connect(ui.command_browse, &QPushButton::clicked, this, &OptionsPage::command_browse_Click);
    connect(ui.command_addproc, &QPushButton::clicked, this, &OptionsPage::command_addproc_Click);
    connect(ui.command_remproc, &QPushButton::clicked, this, &OptionsPage::command_remproc_Click);
    connect(&m_handoff, &HandoffPanel::changed, &m_window, &frmMain::setOptionsDirty);
    connect(ui.command_OK, &QPushButton::clicked, this, [this] { SaveOptions(true); });
    connect(ui.command_APPLY, &QPushButton::clicked, this, [this] { SaveOptions(false); });
    connect(ui.command_CANCEL, &QPushButton::clicked, this, &OptionsPage::cancel);
}

void OptionsPage::setWaitControlsEnabled(bool enabled)
{
    m_ui.Label4->setEnabled(enabled);
    m_ui.Label5->setEnabled(enabled);
    m_ui.text_wait->setEnabled(enabled);
}

// Without a start at logon there is no start-up wait to set.
void OptionsPage::applyRunEntryEnabling()
{
    setChecked(m_ui.startup_check, m_settings.RunAtStartup);
    m_ui.wait_check->setEnabled(m_settings.RunAtStartup);
    setWaitControlsEnabled(m_settings.RunAtStartup && m_ui.wait_check->isChecked());
}

void OptionsPage::fillDoubleClickList()
{
    const QSignalBlocker block(m_ui.double_combo);
    m_ui.double_combo->clear();
    m_ui.double_combo->addItems({DownloadNow, ViewDetails});
    m_ui.double_combo->setCurrentIndex(m_settings.DoubleClickAction == 2 ? 1 : 0);
}

void OptionsPage::fillNotifyStyleList()
{
    QComboBox *combo = m_ui.combo_notifystyle;
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems({QStringLiteral("Automatic"), QStringLiteral("Pollwick's popup"),
                     QStringLiteral("Desktop notifications")});
    // A native Wayland client cannot place the popup: it stays in the list, disabled.
    if (auto *model = qobject_cast<QStandardItemModel *>(combo->model()))
        model->item(AlertStyle::Popup)->setEnabled(AlertStyle::popupOffered(m_services.session));
    combo->setCurrentIndex(AlertStyle::effective(m_settings.NotifyStyle, m_services.session));
}

qint16 OptionsPage::chosenNotifyStyle() const
{
    // Left as shown, a popup stored on another desktop is kept for that desktop.
    const int chosen = m_ui.combo_notifystyle->currentIndex();
    if (chosen == AlertStyle::effective(m_settings.NotifyStyle, m_services.session))
        return m_settings.NotifyStyle;
    return qint16(chosen);
}

void OptionsPage::markSaved()
{
    m_ui.command_APPLY->setEnabled(false);
}

void OptionsPage::updateUsernameCaption()
{
    m_ui.info_username->setText(LoginDialogRules::userCaption(m_settings.SiteUserName));
}

void OptionsPage::LoadOptions()
{
    m_store.load(m_settings);
    updateUsernameCaption();
    setText(m_ui.text_torrentpath, m_settings.TorrentFolder);
    fillDoubleClickList();
    fillNotifyStyleList();
    setChecked(m_ui.showdebug_check, m_settings.ShowDebugLog == 1);
    m_window.applyWindowHeight();
    setChecked(m_ui.sound_check, m_settings.PlaySound == 1);
    setChecked(m_ui.onetime_check, m_settings.AlertOnce);
    setChecked(m_ui.wait_check, m_settings.StartupWaitEnabled);
    setWaitControlsEnabled(m_settings.StartupWaitEnabled);
    applyRunEntryEnabling();
    setText(m_ui.text_wait, OptionsValidation::minutesText(m_settings.StartupWaitSeconds));
    m_handoff.setValues(m_settings.Handoff);
}

void OptionsPage::showInterval()
{
    setText(m_ui.text_timetocheck, OptionsValidation::minutesText(m_settings.CheckIntervalSeconds));
}

void OptionsPage::loadprocs()
{
    const WatchedPrograms::Loaded loaded = m_store.loadprocs(m_settings);
    m_ui.proc_list->clear();
    m_ui.proc_list->addItems(loaded.rows);
    setChecked(m_ui.proc_check, loaded.detect);
    m_ui.proc_list->setEnabled(loaded.detect);
    m_ui.command_addproc->setEnabled(loaded.detect);
    m_ui.command_remproc->setEnabled(loaded.detect);
}

bool OptionsPage::SaveOptions(bool hide)
{
    const OptionsValidation::Result r = OptionsValidation::validate(
        m_ui.text_timetocheck->text(), m_ui.text_wait->text(), m_ui.text_torrentpath->text());
    if (!r.ok()) {
        SettingsStore &store = *m_services.store;
        m_services.dialogs->message(&m_window, AppInfo::Title, r.message,
                                    r.critical ? Dialogs::Critical : Dialogs::Information);
        if (r.failedStep == 1)
            setText(m_ui.text_timetocheck,
                    OptionsValidation::minutesText(store.ReadSettingNumber(SettingName::Interval)));
        if (r.failedStep == 3)
            setText(m_ui.text_wait, OptionsValidation::minutesText(
                                        store.ReadSettingNumber(SettingName::StartupWait)));
        return false;
    }
    int client = 0;
    const QString handoffProblem = HandoffOptions::problem(m_handoff.values(), &client);
    if (!handoffProblem.isEmpty()) {
        m_services.dialogs->message(&m_window, AppInfo::Title, handoffProblem,
                                    Dialogs::Information);
        m_handoff.focusAddress(client);
        return false;
    }

    // Every option, the interval and the user details are stored as one change.
    SettingsStore::Batch batch(*m_services.store);
    const qint16 interval = OptionsValidation::minutesToSeconds(r.intervalMinutes);
    if (interval != m_settings.CheckIntervalSeconds) {
        m_scheduler.intervalChanged(interval);
        m_services.store->WriteSettingNumber(SettingName::Interval, interval);
    }

    OptionsStore::PageValues page;
    page.filterEnabled = m_ui.check_filter->isChecked();
    page.waitSeconds = OptionsValidation::minutesToSeconds(r.waitMinutes);
    for (int i = 0; i < m_ui.proc_list->count(); ++i)
        page.procRows << m_ui.proc_list->item(i)->text();
    page.doubleClickAction = m_ui.double_combo->currentText() == ViewDetails ? 2 : 1;
    page.notifyStyle = chosenNotifyStyle();
    page.torrentPath = m_ui.text_torrentpath->text();
    page.handoff = m_handoff.values();
    const QString folder = m_store.save(page, m_settings);
    loadprocs();
    batch.commit();

    m_window.applyWindowHeight();
    setText(m_ui.text_torrentpath, folder);
    m_handoff.setValues(m_settings.Handoff);
    m_ui.command_APPLY->setEnabled(false);
    if (hide)
        m_window.minimiseAndHide();
    return true;
}

void OptionsPage::cancel()
{
    m_store.reloadForCancel(m_settings);
    setChecked(m_ui.wait_check, m_settings.StartupWaitEnabled);
    setWaitControlsEnabled(m_settings.StartupWaitEnabled);
    fillDoubleClickList();
    fillNotifyStyleList();
    setChecked(m_ui.showdebug_check, m_settings.ShowDebugLog == 1);
    setChecked(m_ui.onetime_check, m_settings.AlertOnce);
    setChecked(m_ui.sound_check, m_settings.PlaySound == 1);
    applyRunEntryEnabling();
    loadprocs();
    setText(m_ui.text_wait, OptionsValidation::minutesText(m_settings.StartupWaitSeconds));
    setText(m_ui.text_torrentpath, m_settings.TorrentFolder);
    m_handoff.setValues(m_settings.Handoff);
    showInterval();
    updateUsernameCaption();
    m_ui.command_APPLY->setEnabled(false);
    m_window.minimiseAndHide();
}

void OptionsPage::onStartupCheck(bool checked)
{
    m_settings.RunAtStartup = checked;
    m_ui.wait_check->setEnabled(checked);
    setWaitControlsEnabled(checked && m_ui.wait_check->isChecked());
    m_window.setOptionsDirty();
}

void OptionsPage::onWaitCheck(bool checked)
{
    m_settings.StartupWaitEnabled = checked;
    setWaitControlsEnabled(checked);
    m_window.setOptionsDirty();
}

void OptionsPage::onProcCheck(bool checked)
{
    m_settings.DetectProcesses = checked;
    m_ui.proc_list->setEnabled(checked);
    m_ui.command_addproc->setEnabled(checked);
    m_ui.command_remproc->setEnabled(checked);
    m_window.setOptionsDirty();
}

void OptionsPage::onIntervalTextChanged(const QString &text)
{
    double minutes = 0;
    // Compared as the seconds it would store, so a box showing the current interval with
    // rounded decimals (125 seconds show 2.08333333333333) counts as unchanged.
    const bool changed =
        !OptionsValidation::parseMinutes(text, minutes) ||
        OptionsValidation::minutesToSeconds(minutes) != m_settings.CheckIntervalSeconds;
    m_ui.command_APPLY->setEnabled(changed);
}

void OptionsPage::command_browse_Click()
{
    const QString chosen = m_services.dialogs->chooseFolder(
        &m_window, QStringLiteral("Select path to save torrent files"),
        m_ui.text_torrentpath->text());
    if (chosen.isEmpty())
        return;
    QString text = chosen + QLatin1Char('/');
    // A root folder comes back as "/" already.
    if (text.endsWith(QStringLiteral("//")))
        text.chop(1);
    if (text != m_ui.text_torrentpath->text()) {
        setText(m_ui.text_torrentpath, text);
        m_window.setOptionsDirty();
    }
}

void OptionsPage::command_addproc_Click()
{
    const QString chosen = m_services.dialogs->openFile(
        &m_window, QStringLiteral("Select Executable"), m_services.config.programFolder(),
        QStringLiteral("All files (*)"));
    if (chosen.isEmpty())
        return;
    m_ui.proc_list->addItem(chosen.mid(chosen.lastIndexOf(QLatin1Char('/')) + 1));
    m_window.setOptionsDirty();
}

void OptionsPage::command_remproc_Click()
{
    if (m_ui.proc_list->count() == 0) {
        m_services.dialogs->message(&m_window, AppInfo::Title,
                                    QStringLiteral("Nothing to remove! "), Dialogs::Information);
        return;
    }
    const QList<QListWidgetItem *> selected = m_ui.proc_list->selectedItems();
    if (selected.isEmpty()) {
        m_services.dialogs->message(&m_window, AppInfo::Title,
                                    QStringLiteral("Please select a process to remove. "),
                                    Dialogs::Information);
        return;
    }
    delete selected.first();
    m_window.setOptionsDirty();
}
