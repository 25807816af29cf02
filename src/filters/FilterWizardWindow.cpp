#include "filters/FilterWizardWindow.h"

#include "ui_FilterWizardWindow.h"

#include "filters/FilterPreview.h"
#include "model/ProgramState.h"
#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/SiteAddresses.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowPlacement.h"

#include <QHeaderView>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <cmath>

namespace {

constexpr int KeywordMaxLength = 100;
constexpr int StripWidth = 120;
// The pause in typing after which the preview is worked out again.
constexpr int PreviewPauseMs = 150;

// The picture strip on the left: a dusk-blue band with a funnel over a few falling rows,
// the wizard's picture of filtering a list.
QPixmap drawPictureStrip(int height)
{
    QPixmap strip(StripWidth, qMax(height, 1));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 0, strip.height());
    band.setColorAt(0.0, QColor(24, 58, 104));
    band.setColorAt(1.0, QColor(92, 142, 196));
    p.fillRect(strip.rect(), band);

    // Rows dropping into the funnel.
    p.setPen(Qt::NoPen);
    const QColor row(255, 255, 255, 150);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(row);
        p.drawRoundedRect(QRectF(22 + (i % 2) * 8, 22 + i * 11, 60 - (i % 2) * 16, 6), 3, 3);
    }

    // The funnel.
    QPainterPath funnel;
    funnel.moveTo(18, 74);
    funnel.lineTo(102, 74);
    funnel.lineTo(68, 112);
    funnel.lineTo(68, 140);
    funnel.lineTo(52, 150);
    funnel.lineTo(52, 112);
    funnel.closeSubpath();
    p.setBrush(QColor(240, 196, 64));
    p.setPen(QPen(QColor(120, 84, 10), 2));
    p.drawPath(funnel);

    // The one row that passed.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRoundedRect(QRectF(40, 162, 40, 6), 3, 3);
    return strip;
}

// A size box takes up to seven digits, then "." and at most two decimals.
void setUpSizeBox(QLineEdit *box)
{
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{1,7}(\\.[0-9]{0,2})?")), box));
    // Wide enough for the longest number and the words shown while it is empty.
    const QFontMetrics metrics = box->fontMetrics();
    const int text = qMax(metrics.horizontalAdvance(QStringLiteral("9999999.99")),
                          metrics.horizontalAdvance(box->placeholderText()));
    box->setFixedWidth(text + 4 * metrics.averageCharWidth());
}

SizeLimit::Unit unitOf(const QComboBox *combo)
{
    return combo->currentIndex() == 1 ? SizeLimit::Unit::GB : SizeLimit::Unit::MB;
}

void setUnit(QComboBox *combo, SizeLimit::Unit unit)
{
    combo->setCurrentIndex(unit == SizeLimit::Unit::GB ? 1 : 0);
}

QList<int> selectedRows(const QListWidget *list)
{
    QList<int> rows;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected())
            rows.append(row);
    }
    return rows;
}

void fillList(QListWidget *list, const QStringList &entries, const QList<int> &selection,
              int current)
{
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(entries);
    if (current >= 0)
        list->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    for (int row : selection) {
        if (row >= 0 && row < list->count())
            list->item(row)->setSelected(true);
    }
}

} // namespace

FilterWizardWindow::FilterWizardWindow(FilterWizardLogic::Kind kind, Services &services,
                                       ProgramState &state, QWidget *mainWindow, int editIndex,
                                       Hooks hooks)
    : QDialog(mainWindow), m_ui(std::make_unique<Ui::FilterWizardWindow>()), m_services(services),
      m_hooks(std::move(hooks)), m_logic(kind, &state.Filters, state.categories, editIndex)
{
    setObjectName(kind == FilterWizardLogic::Kind::Add ? QStringLiteral("frmAddFilterWizard")
                                                       : QStringLiteral("frmEditFilterWizard"));
    m_ui->setupUi(this);
    setWindowTitle(FilterWizardLogic::caption(kind));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->Label3->setText(FilterWizardLogic::summaryHeading(kind));
    m_ui->info_filter->setFont(WindowHelpers::LabelFont());
    setUpSizeBox(m_ui->text_minsize);
    setUpSizeBox(m_ui->text_maxsize);

    connect(m_ui->command_next, &QPushButton::clicked, this, &FilterWizardWindow::onCommandNext);
    connect(m_ui->command_back, &QPushButton::clicked, this, &FilterWizardWindow::onCommandBack);
    connect(m_ui->command_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Command1, &QPushButton::clicked, this, &FilterWizardWindow::onMoveToChosen);
    connect(m_ui->Command2, &QPushButton::clicked, this, &FilterWizardWindow::onMoveToAvailable);

    // The add wizard's defaults, or the slot the edit wizard works on.
    writeControls(m_logic.initialControls());
    showLists();
    showstep(1);
    setUpPreview(m_hooks.torrentDatabase ? m_hooks.torrentDatabase() : nullptr, state);
    fixWindowSize();
}

FilterWizardWindow::~FilterWizardWindow() = default;

void FilterWizardWindow::setUpPreview(const std::shared_ptr<const SearchDatabase> &database,
                                      const ProgramState &state)
{
    m_tmrPreview.setObjectName(QStringLiteral("tmrPreview"));
    m_tmrPreview.setSingleShot(true);
    m_tmrPreview.setInterval(PreviewPauseMs);
    connect(&m_tmrPreview, &QTimer::timeout, this, &FilterWizardWindow::onTmrPreviewTick);
    for (QLineEdit *box : {m_ui->Text1, m_ui->text_minsize, m_ui->text_maxsize})
        connect(box, &QLineEdit::textChanged, this, [this] { m_tmrPreview.start(); });
    for (QComboBox *unit : {m_ui->combo_minunit, m_ui->combo_maxunit})
        connect(unit, &QComboBox::currentIndexChanged, this, &FilterWizardWindow::refreshPreview);
    for (QRadioButton *option : {m_ui->Option1, m_ui->Option2, m_ui->Option3, m_ui->Option4,
                                 m_ui->Option5, m_ui->Option6}) {
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                refreshPreview();
        });
    }

    QTreeView *list = m_ui->list_preview;
    list->setModel(&m_previewModel);
    list->setSortingEnabled(false);
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);
    header->setSectionResizeMode(SearchResultModel::NameColumn, QHeaderView::Stretch);
    // The type and size columns as wide as their widest usual entries.
    const QFontMetrics metrics = list->fontMetrics();
    header->resizeSection(SearchResultModel::TypeColumn,
                          metrics.horizontalAdvance(QStringLiteral("Movies/DVD-R")) + 16);
    header->resizeSection(SearchResultModel::SizeColumn,
                          metrics.horizontalAdvance(QStringLiteral("Size (MB)")) + 16);
    connect(list, &QTreeView::doubleClicked, this, &FilterWizardWindow::onPreviewDoubleClicked);
    // Two lines for the count, so a long one wraps without pushing the list around.
    m_ui->info_preview->setMinimumHeight(2 * m_ui->info_preview->fontMetrics().lineSpacing());

    // The filters above the pending one stay as they are while the wizard is open (the main
    // window is disabled): what they do to each torrent is worked out now, once.
    if (database) {
        m_preview = std::make_unique<FilterPreview>(
            database, FilterPreview::rulesAbove(state.Filters, m_logic.firstSlotBelow()));
    }
    list->setEnabled(m_preview != nullptr);
    refreshPreview();
}

void FilterWizardWindow::onTmrPreviewTick()
{
    refreshPreview();
}

void FilterWizardWindow::refreshPreview()
{
    m_tmrPreview.stop();
    if (!m_preview) {
        m_ui->info_preview->setText(FilterPreview::noDatabaseText());
        m_previewModel.clear();
        return;
    }
    FilterPreview::Result result = m_preview->run(m_logic.filterFor(readControls()));
    m_ui->info_preview->setText(FilterPreview::countText(result));
    m_previewModel.setResults(m_preview->database(), std::move(result.rows));
}

void FilterWizardWindow::onPreviewDoubleClicked(const QModelIndex &index)
{
    const int result = m_previewModel.resultAt(index.row());
    if (result < 0)
        return;
    m_services.shell->openUrl(DetailsUrl(m_previewModel.record(result).Id));
}

void FilterWizardWindow::fixWindowSize()
{
    // Every step frame keeps its place while hidden; all four share one cell, so the window
    // is as large as its largest step and never changes size between steps. The preview
    // keeps its place on the summary step too.
    for (QFrame *frame : {m_ui->frame_step1, m_ui->frame_step2, m_ui->frame_step3,
                          m_ui->frame_step4, m_ui->frame_preview}) {
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
    }
    // The rule on the summary step may grow to the width limit plus "...".
    const int rulePixels =
        WindowHelpers::TwipsToPixelsX(*m_services.screen, FilterWizardLogic::SummaryWidthTwips) +
        m_ui->info_filter->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 2;
    m_ui->layout_step4->setColumnMinimumWidth(1, rulePixels);
    layout()->activate();
    setFixedSize(sizeHint());
    m_ui->picture_strip->setPixmap(drawPictureStrip(height()));
}

void FilterWizardWindow::showOverOwner()
{
    QWidget *owner = parentWidget();
    WindowPlacement::CentreOverOwner(this, owner);
    // Taller than the main window with the preview, it may reach past the work area there.
    WindowPlacement::KeepInside(this, m_services.screen->workArea(),
                                WindowHelpers::CaptionHeight(this));
    if (owner && !m_ownerDisabled) {
        owner->setEnabled(false);
        m_ownerDisabled = true;
        // Disabling a widget disables the windows it owns too; the wizard stays usable.
        setEnabled(true);
    }
    show();
}

void FilterWizardWindow::done(int result)
{
    if (m_ownerDisabled) {
        m_ownerDisabled = false;
        if (QWidget *owner = parentWidget())
            owner->setEnabled(true);
    }
    QDialog::done(result);
}

FilterWizardLogic::Controls FilterWizardWindow::readControls() const
{
    FilterWizardLogic::Controls controls;
    controls.keywordText = m_ui->Text1->text();
    controls.matchOption = m_ui->Option1->isChecked()   ? 1
                           : m_ui->Option2->isChecked() ? 2
                           : m_ui->Option3->isChecked() ? 3
                                                        : 0;
    controls.smallestText = m_ui->text_minsize->text();
    controls.smallestUnit = unitOf(m_ui->combo_minunit);
    controls.largestText = m_ui->text_maxsize->text();
    controls.largestUnit = unitOf(m_ui->combo_maxunit);
    controls.actionOption = m_ui->Option4->isChecked()   ? 4
                            : m_ui->Option5->isChecked() ? 5
                            : m_ui->Option6->isChecked() ? 6
                                                         : 0;
    controls.active = m_ui->Check2->isChecked();
    return controls;
}

void FilterWizardWindow::writeControls(const FilterWizardLogic::Controls &controls)
{
    // The box takes at most 100 typed characters, but a stored filter with longer keywords
    // must show them whole: cutting them here would shorten the filter when it is saved.
    m_ui->Text1->setMaxLength(qMax(KeywordMaxLength, int(controls.keywordText.size())));
    m_ui->Text1->setText(controls.keywordText);
    m_ui->Text1->setCursorPosition(int(controls.keywordText.size()));
    QRadioButton *match[] = {m_ui->Option1, m_ui->Option2, m_ui->Option3};
    if (controls.matchOption >= 1 && controls.matchOption <= 3)
        match[controls.matchOption - 1]->setChecked(true);
    m_ui->text_minsize->setText(controls.smallestText);
    setUnit(m_ui->combo_minunit, controls.smallestUnit);
    m_ui->text_maxsize->setText(controls.largestText);
    setUnit(m_ui->combo_maxunit, controls.largestUnit);
    QRadioButton *action[] = {m_ui->Option4, m_ui->Option5, m_ui->Option6};
    if (controls.actionOption >= 4 && controls.actionOption <= 6)
        action[controls.actionOption - 4]->setChecked(true);
    m_ui->Check2->setChecked(controls.active);
}

bool FilterWizardWindow::showstep(int step)
{
    FilterWizardLogic::Controls controls = readControls();
    if (!m_logic.showstep(step, controls, m_services.store)) {
        // The step stays on show; the user mends the input it names.
        if (!m_logic.refusal().isEmpty())
            m_services.dialogs->message(this, AppInfo::Title, m_logic.refusal(),
                                        Dialogs::Information);
        return false;
    }

    if (step == 5) {
        if (m_logic.switchedFilteringOn() && m_hooks.setFilteringTicked)
            m_hooks.setFilteringTicked();
        accept();
        return true;
    }

    if (step == 2) {
        // The keyword box shows the text with its dots replaced.
        m_ui->Text1->setText(controls.keywordText);
    }
    QFrame *frames[] = {m_ui->frame_step1, m_ui->frame_step2, m_ui->frame_step3, m_ui->frame_step4};
    for (int i = 0; i < 4; ++i)
        frames[i]->setVisible(i == step - 1);
    // The preview goes with the three input steps.
    m_ui->frame_preview->setVisible(step <= 3);
    if (step > 3)
        m_tmrPreview.stop();

    const FilterWizardLogic::StepView view = m_logic.stepView();
    m_ui->info_title1->setText(view.title);
    m_ui->info_title2->setText(view.explanation);
    m_ui->command_next->setText(view.nextCaption);
    m_ui->command_back->setEnabled(view.backEnabled);
    m_ui->command_cancel->setEnabled(view.cancelEnabled);

    if (step == 4) {
        if (m_hooks.reloadFilters)
            m_hooks.reloadFilters(qint16(m_logic.storedSlot()));
        showSummary();
    }
    return true;
}

void FilterWizardWindow::showSummary()
{
    const FilterWizardLogic::Summary summary = m_logic.summary();
    m_ui->Label3->setText(summary.heading);
    m_ui->info_filter->setText(FilterWizardLogic::fitToWidth(
        summary.rule, [this](const QString &text) { return labelWidthTwips(text); }));
    m_ui->info_filter->adjustSize();
    m_ui->info_action->setText(summary.action);
    m_ui->info_active->setText(summary.status);
    m_ui->info_size->setText(summary.size);
}

int FilterWizardWindow::labelWidthTwips(const QString &text) const
{
    return int(std::lround(
        WindowHelpers::TextWidthTwips(m_ui->info_filter->font(), text, *m_services.screen)));
}

void FilterWizardWindow::onCommandNext()
{
    showstep(m_logic.currentStep() + 1);
}

void FilterWizardWindow::onCommandBack()
{
    // Back is only offered on the steps that have one before them.
    const int step = m_logic.currentStep();
    if (step == 2 || step == 3)
        showstep(step - 1);
}

void FilterWizardWindow::onMoveToChosen()
{
    CategoryLists &lists = m_logic.lists();
    lists.selectAvailable(selectedRows(m_ui->List1), m_ui->List1->currentRow());
    if (lists.moveToChosen()) {
        showLists();
        refreshPreview();
    }
}

void FilterWizardWindow::onMoveToAvailable()
{
    CategoryLists &lists = m_logic.lists();
    lists.selectChosen(selectedRows(m_ui->List2), m_ui->List2->currentRow());
    if (lists.moveToAvailable()) {
        showLists();
        refreshPreview();
    }
}

void FilterWizardWindow::showLists()
{
    const CategoryLists &lists = m_logic.lists();
    fillList(m_ui->List1, lists.available(), lists.availableSelection(), lists.availableCurrent());
    fillList(m_ui->List2, lists.chosen(), lists.chosenSelection(), lists.chosenCurrent());
    m_ui->List2->setEnabled(lists.chosenEnabled());
    if (lists.focus() == CategoryLists::Focus::Available)
        m_ui->List1->setFocus();
    else if (lists.focus() == CategoryLists::Focus::Chosen)
        m_ui->List2->setFocus();
}
