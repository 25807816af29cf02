#include "core/HandoffPanel.h"

#include "core/HandoffOptions.h"
#include "download/TorrentHandoff.h"
#include "ui_HandoffPanel.h"

#include <QTabWidget>

namespace {
// Pages of stack_handoff: a word on the choices without a client, qBittorrent's fields,
// Transmission's.
constexpr int PageNone = 0;
constexpr int PageQbt = 1;
constexpr int PageTr = 2;
} // namespace

HandoffPanel::HandoffPanel(QNetworkAccessManager &network, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::HandoffPanel>()), m_network(network)
{
    m_ui->setupUi(this);
    showChoice(HandoffSettings::OpenWithDefault);

    connect(m_ui->combo_handoff, &QComboBox::activated, this, [this](int choice) {
        showChoice(choice);
        emit changed();
    });
    for (QLineEdit *box : findChildren<QLineEdit *>())
        connect(box, &QLineEdit::textEdited, this, &HandoffPanel::changed);
    for (QCheckBox *box : {m_ui->check_qbt_paused, m_ui->check_tr_paused})
        connect(box, &QCheckBox::clicked, this, &HandoffPanel::changed);
    connect(m_ui->command_qbt_test, &QPushButton::clicked, this, &HandoffPanel::testQbittorrent);
    connect(m_ui->command_tr_test, &QPushButton::clicked, this, &HandoffPanel::testTransmission);
}

HandoffPanel::~HandoffPanel() = default;

void HandoffPanel::showChoice(int choice)
{
    const int page = choice == HandoffSettings::Qbittorrent    ? PageQbt
                     : choice == HandoffSettings::Transmission ? PageTr
                                                               : PageNone;
    m_ui->stack_handoff->setCurrentIndex(page);
    m_ui->info_handoff->setText(
        choice == HandoffSettings::SaveOnly
            ? QStringLiteral("Each downloaded torrent stays in the torrent folder, for a torrent "
                             "client that watches that folder.")
            : QStringLiteral("Each downloaded torrent is saved in the torrent folder, then opened "
                             "with the program the desktop uses for torrent files."));
}

void HandoffPanel::setValues(const HandoffSettings &s)
{
    // The panel signals only the user's edits (textEdited, clicked, activated), so filling it
    // signals nothing.
    m_ui->combo_handoff->setCurrentIndex(s.choice);
    showChoice(s.choice);
    const auto fill = [](const TorrentClientSettings &c, QLineEdit *url, QLineEdit *user,
                         QLineEdit *password, QLineEdit *sorting, QLineEdit *folder,
                         QCheckBox *paused) {
        url->setText(c.url);
        user->setText(c.user);
        password->setText(c.password);
        sorting->setText(c.sorting);
        folder->setText(c.folder);
        paused->setChecked(c.paused);
    };
    const Ui::HandoffPanel &ui = *m_ui;
    fill(s.qbt, ui.text_qbt_url, ui.text_qbt_user, ui.text_qbt_password, ui.text_qbt_category,
         ui.text_qbt_savepath, ui.check_qbt_paused);
    fill(s.tr, ui.text_tr_url, ui.text_tr_user, ui.text_tr_password, ui.text_tr_labels,
         ui.text_tr_dir, ui.check_tr_paused);
}

HandoffSettings HandoffPanel::values() const
{
    const Ui::HandoffPanel &ui = *m_ui;
    HandoffSettings s;
    s.choice = ui.combo_handoff->currentIndex();
    s.qbt = {ui.text_qbt_url->text(),      ui.text_qbt_user->text(),
             ui.text_qbt_password->text(), ui.text_qbt_savepath->text(),
             ui.text_qbt_category->text(), ui.check_qbt_paused->isChecked()};
    s.tr = {ui.text_tr_url->text(), ui.text_tr_user->text(),   ui.text_tr_password->text(),
            ui.text_tr_dir->text(), ui.text_tr_labels->text(), ui.check_tr_paused->isChecked()};
    return s;
}

void HandoffPanel::passwordRead(int client, const QString &password)
{
    QLineEdit *box =
        client == HandoffSettings::Qbittorrent ? m_ui->text_qbt_password : m_ui->text_tr_password;
    // setText() clears the modified flag that the user's typing sets.
    if (!box->isModified())
        box->setText(password);
}

void HandoffPanel::focusAddress(int client)
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            tabs->setCurrentWidget(this);
            break;
        }
    }
    // The choice stays the user's: the other client's fields show once it is chosen.
    if (m_ui->combo_handoff->currentIndex() == client)
        (client == HandoffSettings::Qbittorrent ? m_ui->text_qbt_url : m_ui->text_tr_url)
            ->setFocus();
}

void HandoffPanel::testQbittorrent()
{
    runTest(HandoffSettings::Qbittorrent);
}

void HandoffPanel::testTransmission()
{
    runTest(HandoffSettings::Transmission);
}

void HandoffPanel::runTest(int client)
{
    const bool qbt = client == HandoffSettings::Qbittorrent;
    QLabel *line = qbt ? m_ui->info_qbt_test : m_ui->info_tr_test;
    HandoffSettings s = values();
    s.choice = client;
    if (!HandoffOptions::isWebAddress(qbt ? s.qbt.url : s.tr.url)) {
        line->setText(QStringLiteral("Not connected: the address must begin with http:// or "
                                     "https://"));
        return;
    }
    // The button stays usable (disabling it would move the keyboard focus into a field); the
    // line shows the outcome of the test that ends last.
    TorrentHandoff *handoff = TorrentHandoff::create(s, m_network, this).release();
    line->setText(QStringLiteral("Connecting..."));
    handoff->test(this, [line, handoff](const TorrentHandoff::Result &r) {
        line->setText(handoff->testLine(r));
        handoff->deleteLater();
    });
}
