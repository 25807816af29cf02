#include "search/frmSearch.h"

#include "download/DownloadRequest.h"
#include "download/DownloadStarter.h"
#include "model/ProgramState.h"
#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/HttpTransfer.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/SiteAddresses.h"
#include "platform/StoredPassword.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowSizeStore.h"
#include "search/SearchDatabase.h"
#include "search/SearchDatabaseProvider.h"
#include "search/SearchDatabaseUpdater.h"
#include "search/SearchQuery.h"
#include "ui_frmSearch.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <limits>

namespace {

constexpr int PanelWidthTwips = 1800;

QString allCategories()
{
    return QStringLiteral("All Categories");
}

} // namespace

frmSearch::frmSearch(Services &services, ProgramState &state, SearchDatabaseProvider &provider,
                     DownloadStarter &downloads, QWidget *parent)
    : QWidget(parent), m_services(services), m_state(state), m_provider(provider),
      m_downloads(downloads), m_ui(std::make_unique<Ui::frmSearch>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);

    m_inet2 = new HttpTransfer(services, this);
    m_inet2->setObjectName(QStringLiteral("Inet2"));
    m_updater = new SearchDatabaseUpdater(services, state, *this, *m_inet2, this);

    m_mnuAction = new QMenu(QStringLiteral("Action"), this);
    m_mnuAction->setObjectName(QStringLiteral("mnuAction"));
    m_mnuAction->addAction(m_ui->mnuDownload);
    m_mnuAction->addAction(m_ui->mnuDetails);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(Timer1IntervalMs);
    m_resize = new QTimer(this);
    m_resize->setObjectName(QStringLiteral("resize"));
    m_resize->setInterval(ResizeIntervalMs);

    // Status panels 1 and 2 are 1800 twips wide, or as wide as their longest text needs in the
    // font on show; panel 3 takes the rest of the bar.
    const ScreenMetrics &screen = *services.screen;
    const QString longest[] = {QStringLiteral("Updating database..."),
                               QStringLiteral("0000000/0000000 torrents")};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(m_ui->StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        if (i < 2) {
            const int needed = m_panels[i]->fontMetrics().horizontalAdvance(longest[i]) +
                               2 * m_panels[i]->margin() + 8;
            m_panels[i]->setFixedWidth(
                std::max(WindowHelpers::TwipsToPixelsX(screen, PanelWidthTwips), needed));
            m_ui->StatusBar1->addWidget(m_panels[i]);
        } else {
            m_ui->StatusBar1->addWidget(m_panels[i], 1);
        }
    }

    const int icon = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    m_ui->wait_searching->setPixmap(
        style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(icon, icon));
    m_ui->wait_loading->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(icon, icon));
    m_ui->wait_downloading->setPixmap(
        style()->standardIcon(QStyle::SP_ArrowDown).pixmap(icon, icon));
    m_ui->Frame3->hide();

    QTreeView *list = m_ui->list;
    list->setModel(&m_model);
    QHeaderView *header = list->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    list->viewport()->installEventFilter(this);

    connect(m_ui->Text1, &QLineEdit::textChanged, this, &frmSearch::onText1Changed);
    connect(m_ui->combo_cat, &QComboBox::activated, this, &frmSearch::onComboCatActivated);
    connect(m_ui->Command4, &QPushButton::clicked, this, &frmSearch::onCommand4Clicked);
    connect(m_ui->Command3, &QPushButton::clicked, this, &frmSearch::onCommand3Clicked);
    connect(m_ui->mnuDownload, &QAction::triggered, this, &frmSearch::onDownload);
    connect(m_ui->mnuDetails, &QAction::triggered, this, &frmSearch::onDetails);
    connect(header, &QHeaderView::sectionClicked, this, &frmSearch::onHeaderClicked);
    connect(m_timer1, &QTimer::timeout, this, &frmSearch::onTimer1Tick);
    connect(m_resize, &QTimer::timeout, this, &frmSearch::onResizeTick);
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { m_clickedResult = -1; });

    // Opening: the stored size, the category list, the empty result list.
    fitCategoryBox();
    setMinimumSize(WindowHelpers::FontFittedMinimum(
        this, list,
        QSize(WindowHelpers::TwipsToPixelsX(screen, MinimumWidthTwips),
              WindowHelpers::TwipsToPixelsY(screen, MinimumHeightTwips)),
        [this](int width) { return columnWidths(width); }));
    restoreSize();
    {
        const QSignalBlocker block(m_ui->combo_cat);
        m_ui->combo_cat->addItem(allCategories());
        m_ui->combo_cat->addItems(m_state.categories);
        m_ui->combo_cat->setCurrentIndex(0);
    }
    setColumnWidths();
    m_model.clear();
    m_panels[0]->setText(QStringLiteral("Idle"));
    m_timer1->start();
}

frmSearch::~frmSearch() = default;

QLabel *frmSearch::panel(int number) const
{
    return number >= 1 && number <= 3 ? m_panels[number - 1] : nullptr;
}

bool frmSearch::isClosing() const
{
    return m_updater->SearchClosing() && m_updater->downloadRunning();
}

void frmSearch::present()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmSearch::onTimer1Tick()
{
    m_timer1->stop();
    m_updater->checkforupdates();
}

// Busy panel ----------------------------------------------------------------------------------

void frmSearch::busy(Work work, bool on)
{
    static const QString texts[] = {QStringLiteral("Searching..."),
                                    QStringLiteral("Loading database..."),
                                    QStringLiteral("Updating database...")};
    const QString &text = texts[int(work)];
    m_ui->wait_text->setText(text);
    m_ui->wait_searching->setVisible(work == Work::Searching);
    m_ui->wait_loading->setVisible(work == Work::Loading);
    m_ui->wait_downloading->setVisible(work == Work::Downloading);
    centreFrame3();
    if (on) {
        if (work == Work::Searching)
            m_focusBeforeSearch = QApplication::focusWidget();
        m_ui->combo_cat->setEnabled(false);
        m_ui->list->setEnabled(false);
        if (work == Work::Downloading)
            m_ui->Text1->setEnabled(false);
        m_ui->Frame3->show();
        m_ui->Frame3->raise();
        m_panels[0]->setText(text);
        // The work that follows keeps the event loop waiting: show the panel now.
        if (work != Work::Searching && isVisible())
            m_ui->Frame3->repaint();
        return;
    }
    m_ui->Frame3->hide();
    m_ui->combo_cat->setEnabled(true);
    m_ui->list->setEnabled(true);
    m_ui->Text1->setEnabled(true);
    m_panels[0]->setText(QStringLiteral("Idle"));
    if (work == Work::Searching) {
        // A control that was disabled for the search gets the keyboard back.
        if (m_focusBeforeSearch && m_focusBeforeSearch->window() == this &&
            QApplication::focusWidget() != m_focusBeforeSearch)
            m_focusBeforeSearch->setFocus();
    } else {
        m_ui->Text1->setFocus();
    }
}

void frmSearch::searching(bool on)
{
    if (on)
        m_session.begin();
    busy(Work::Searching, on);
}

void frmSearch::loading(bool on)
{
    busy(Work::Loading, on);
}

void frmSearch::downloading(bool on)
{
    busy(Work::Downloading, on);
}

void frmSearch::centreFrame3()
{
    QWidget *frame = m_ui->Frame3;
    const QRect list = m_ui->list->geometry();
    frame->adjustSize();
    frame->resize(std::max(frame->width(), frame->sizeHint().width()), frame->height());
    frame->move(list.x() + (list.width() - frame->width()) / 2,
                list.y() + (list.height() - frame->height()) / 2);
}

// Database ------------------------------------------------------------------------------------

void frmSearch::clearResults()
{
    m_model.clear();
}

void frmSearch::databaseLoaded(std::shared_ptr<const SearchDatabase> database)
{
    m_database = std::move(database);
    if (!m_database) {
        m_model.clear();
        return;
    }
    m_provider.publish(m_database);
    m_panels[0]->setText(QStringLiteral("Done"));
    // Every row, newest first.
    m_model.setResults(m_database,
                       SearchQuery(QString()).run(*m_database, SearchQuery::AllCategories));
    showCount(m_database->rowCount());
}

void frmSearch::showCount(int found)
{
    const int total = m_database ? m_database->rowCount() : 0;
    m_panels[1]->setText(QString::number(found) + QLatin1Char('/') + QString::number(total) +
                         QStringLiteral(" torrents"));
}

void frmSearch::closeWindow()
{
    close();
}

bool frmSearch::retryDownload(SearchReply::Kind kind, SearchReply::Failure why)
{
    return m_services.dialogs->askRetryCancel(this, SearchReply::title(kind),
                                              SearchReply::message(kind, why), Dialogs::Critical);
}

void frmSearch::databaseNotWritten()
{
    m_services.dialogs->message(this, AppInfo::Title, SearchReply::writeFailedText(),
                                Dialogs::Critical);
}

void frmSearch::passwordUnavailable(SearchReply::Kind kind)
{
    m_services.dialogs->message(this, SearchReply::title(kind), StoredPassword::lockedText(),
                                Dialogs::Critical);
}

bool frmSearch::retryUnreadableDatabase()
{
    return m_services.dialogs->askRetryCancel(this, SearchReply::loadFailedTitle(),
                                              SearchReply::loadFailedText(), Dialogs::Critical);
}

// Searching -----------------------------------------------------------------------------------

void frmSearch::search(bool forced)
{
    const QString query = m_ui->Text1->text();
    const int rows = m_database ? m_database->rowCount() : 0;
    if (m_session.decide(query, forced, rows) != SearchSession::Decision::Run)
        return;
    // Results come newest first: the list's own order is switched off. That also makes the
    // header unclickable, and a click on it must sort the new results too.
    m_ui->list->setSortingEnabled(false);
    m_ui->list->header()->setSortIndicatorShown(false);
    m_ui->list->header()->setSectionsClickable(true);
    searching(true);
    m_panels[1]->clear();
    m_model.clear();

    int category = SearchQuery::AllCategories;
    if (m_ui->combo_cat->currentIndex() > 0) {
        category = m_database->categoryIndexOf(m_ui->combo_cat->currentText());
        if (category < 0)
            category = SearchQuery::AllCategories - 1; // no row has that category
    }
    std::vector<quint32> found = SearchQuery(query).run(*m_database, category);
    const int count = int(found.size());
    m_model.setResults(m_database, std::move(found));

    m_session.end(query, count > 0);
    showCount(count);
    searching(false);
}

void frmSearch::onText1Changed(const QString &text)
{
    // Brackets would start a character list: they are taken out as they are typed, which
    // changes the text once more and brings the handler back with the text without them.
    for (const QChar bracket : {QLatin1Char('['), QLatin1Char(']')}) {
        if (!text.contains(bracket))
            continue;
        QLineEdit *box = m_ui->Text1;
        const int cursor = box->cursorPosition();
        const int before = int(text.left(cursor).count(bracket));
        QString cleaned = text;
        cleaned.remove(bracket);
        box->setText(cleaned);
        box->setCursorPosition(cursor - before);
        return;
    }
    if (!m_session.searching())
        search(false);
}

void frmSearch::onComboCatActivated(int)
{
    m_session.categoryChanged();
    if (!m_session.searching())
        search(false);
}

void frmSearch::onCommand4Clicked()
{
    if (!m_session.searching())
        search(true);
}

void frmSearch::onCommand3Clicked()
{
    m_ui->Text1->clear();
}

void frmSearch::onHeaderClicked(int column)
{
    if (column == SearchResultModel::SizeColumn)
        return;
    WindowHelpers::SortListByColumn(m_ui->list, column);
}

// Row actions ---------------------------------------------------------------------------------

int frmSearch::selectedResult() const
{
    const QModelIndexList selected = m_ui->list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : m_model.resultAt(selected.first().row());
}

void frmSearch::onDownload()
{
    download(selectedResult());
}

void frmSearch::onDetails()
{
    details(selectedResult());
}

void frmSearch::download(int result)
{
    if (result < 0 || result >= m_model.resultCount())
        return;
    const MatchRecord r = m_model.record(result);
    m_downloads.startDownload(DownloadRequest::forTorrent(m_state, r.Id, r.FileName, r.Name));
}

void frmSearch::details(int result)
{
    if (result < 0 || result >= m_model.resultCount())
        return;
    m_services.shell->openUrl(DetailsUrl(m_model.record(result).Id));
}

bool frmSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_ui->list->viewport())
        return QWidget::eventFilter(watched, event);
    QTreeView *list = m_ui->list;
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        const QModelIndex under = list->indexAt(pos);
        if (under.isValid())
            m_clickedResult = m_model.resultAt(under.row());
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            if (under.isValid())
                list->setCurrentIndex(under);
            if (selectedResult() >= 0)
                m_mnuAction->popup(list->viewport()->mapToGlobal(pos));
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            onDoubleClick(static_cast<QMouseEvent *>(event)->position().toPoint());
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSearch::onDoubleClick(const QPoint &pos)
{
    // Only a double-click on the row that was just clicked acts.
    const QModelIndex under = m_ui->list->indexAt(pos);
    if (m_model.rowCount() == 0 || !under.isValid() || m_clickedResult < 0 ||
        m_model.resultAt(under.row()) != m_clickedResult)
        return;
    if (m_state.settings.DoubleClickAction == 1)
        download(m_clickedResult);
    else
        details(m_clickedResult);
}

// Size and closing ----------------------------------------------------------------------------

void frmSearch::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    centreFrame3();
    m_resize->start();
}

void frmSearch::onResizeTick()
{
    m_resize->stop();
    setColumnWidths();
}

QList<int> frmSearch::columnWidths(int listWidth) const
{
    // U = (list width - 345) / 12 twips: the name takes 8 U, type and size 2 U each.
    const ScreenMetrics &screen = *m_services.screen;
    const double u = (WindowHelpers::PixelsToTwipsX(screen, listWidth) - 345) / 12.0;
    QList<int> widths;
    for (const double twips : {8 * u, 2 * u, 2 * u})
        widths << std::max(0, WindowHelpers::TwipsToPixelsX(screen, twips));
    return widths;
}

void frmSearch::setColumnWidths()
{
    QTreeView *list = m_ui->list;
    const QList<int> widths = columnWidths(list->width());
    for (int column = 0; column < widths.size(); ++column)
        list->setColumnWidth(column, widths[column]);
}

void frmSearch::fitCategoryBox()
{
    // "All Categories" stays whole however narrow the window.
    QComboBox *combo = m_ui->combo_cat;
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    const QSize text(combo->fontMetrics().horizontalAdvance(allCategories()),
                     combo->fontMetrics().height());
    combo->setMinimumWidth(
        combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, combo).width());
}

void frmSearch::restoreSize()
{
    const ScreenMetrics &screen = *m_services.screen;
    const QSize size = WindowSizeStore::restored(*m_services.store, screen,
                                                 QStringLiteral("search"), this->size());
    // Never larger than the work area, and centred on it, so the whole window stays reachable.
    const QRect work = screen.workArea();
    const int caption = WindowHelpers::CaptionHeight(this);
    resize(size.boundedTo(work.size() - QSize(0, caption)).expandedTo(minimumSize()));
    move(work.x() + std::max(0, (work.width() - width()) / 2),
         work.y() + std::max(0, (work.height() - height() - caption) / 2));
}

void frmSearch::saveSize()
{
    WindowSizeStore::save(*m_services.store, *m_services.screen, QStringLiteral("search"), size());
}

void frmSearch::closeEvent(QCloseEvent *event)
{
    if (isVisible() && windowState() == Qt::WindowNoState)
        saveSize();
    if (m_updater->downloadRunning()) {
        // The download ends first: its procedure closes the window once the fetch returns.
        if (!m_updater->SearchClosing())
            m_updater->closeDuringDownload();
        hide();
        event->ignore();
        return;
    }
    m_inet2->Cancel();
    QWidget::closeEvent(event);
}
