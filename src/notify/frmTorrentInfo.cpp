#include "notify/frmTorrentInfo.h"

#include "model/ProgramState.h"
#include "notify/FilterInfoText.h"
#include "ui_frmTorrentInfo.h"

frmTorrentInfo::frmTorrentInfo(ProgramState &state, QWidget *parent)
    : QDialog(parent), m_state(state), m_ui(std::make_unique<Ui::frmTorrentInfo>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_ui->command_goto, &QPushButton::clicked, this, &frmTorrentInfo::onCommandGotoClicked);
    connect(m_ui->command_ok, &QPushButton::clicked, this, &QDialog::close);
}

frmTorrentInfo::~frmTorrentInfo() = default;

void frmTorrentInfo::setid(int position)
{
    m_position = position;
}

bool frmTorrentInfo::load()
{
    const std::optional<FilterInfoText::Info> info =
        FilterInfoText::forPosition(m_state.results, m_position, m_state.Filters);
    if (!info)
        return false;
    setWindowTitle(info->caption);
    m_ui->info_filterhit->setText(info->text);
    m_ui->command_goto->setEnabled(info->gotoEnabled);
    m_filterIndex = info->filterIndex;
    return true;
}

void frmTorrentInfo::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void frmTorrentInfo::onCommandGotoClicked()
{
    // The main window closes this window as it brings the filter up.
    emit highlightfilter(m_filterIndex);
}
