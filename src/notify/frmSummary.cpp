#include "notify/frmSummary.h"

#include "download/DownloadWindows.h"
#include "model/ProgramState.h"
#include "notify/frmTorrentInfo.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowPlacement.h"
#include "platform/WindowSizeStore.h"
#include "ui_frmSummary.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>

#include <limits>

namespace {

constexpr int KeyRole = Qt::UserRole;
constexpr int SizeColumn = 2;
constexpr int ActionColumn = 3;

// A row that sorts by its text without regard to letter case, as a reader scans names.
class SummaryItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

} // namespace

frmSummary::frmSummary(Services &services, ProgramState &state, DownloadWindows &downloads,
                       QWidget *parent)
    : QWidget(parent), m_services(services), m_state(state), m_downloads(downloads),
      m_ui(std::make_unique<Ui::frmSummary>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::Window);

    m_mnuAction = new QMenu(QStringLiteral("Action"), this);
    m_mnuAction->setObjectName(QStringLiteral("mnuAction"));
    m_mnuAction->addAction(m_ui->mnuDownload);
    m_mnuAction->addAction(m_ui->mnuDetails);
    m_mnuAction->addAction(m_ui->mnuInfo);

    m_resize = new QTimer(this);
    m_resize->setObjectName(QStringLiteral("resize"));
    m_resize->setInterval(ResizeIntervalMs);

    QHeaderView *header = m_ui->torrent_list->header();
    header->setSectionsClickable(true);
    // Columns keep their places: a header click sorts, it never starts dragging a column.
    header->setSectionsMovable(false);
    header->setSortIndicatorShown(false);
    // The resize timer sets every column's width, the last one included.
    header->setStretchLastSection(false);
    m_ui->torrent_list->viewport()->installEventFilter(this);

    connect(m_ui->Command1, &QPushButton::clicked, this, &frmSummary::onDownloadNow);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmSummary::onViewDetails);
    connect(m_ui->Command3, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui->mnuDownload, &QAction::triggered, this, &frmSummary::onDownloadNow);
    connect(m_ui->mnuDetails, &QAction::triggered, this, &frmSummary::onViewDetails);
    connect(m_ui->mnuInfo, &QAction::triggered, this, &frmSummary::onFilterInfo);
    connect(m_ui->Check1, &QCheckBox::clicked, this, &frmSummary::onCheck1Clicked);
    connect(header, &QHeaderView::sectionClicked, this, &frmSummary::onHeaderClicked);
    connect(m_resize, &QTimer::timeout, this, &frmSummary::onResizeTick);
    // A download that ended without a file offers its row for download again.
    connect(&m_downloads, &DownloadWindows::resultReset, this, [this] {
        if (isVisible())
            refresh();
    });

    WindowHelpers::InstallMinimumSize(
        this,
        WindowHelpers::FontFittedMinimum(this, m_ui->torrent_list, MinimumSize,
                                         [this](int width) { return columnWidths(width); }),
        m_state.DeveloperMode);
}

QList<int> frmSummary::columnWidths(int listWidth) const
{
    const ScreenMetrics &screen = *m_services.screen;
    const double w = WindowHelpers::PixelsToTwipsX(screen, listWidth) / 10.1;
    QList<int> widths;
    for (const double twips : {w * 5.3, w * 1.6, w * 1.5, w * 1.6 - 222})
        widths << std::max(0, WindowHelpers::TwipsToPixelsX(screen, twips));
    return widths;
}

frmSummary::~frmSummary() = default;

frmTorrentInfo *frmSummary::torrentInfo() const
{
    return m_info;
}

void frmSummary::loadresults(bool showAll)
{
    m_rows.loadresults(m_state.results, showAll);
    QTreeWidget *list = m_ui->torrent_list;
    const QSignalBlocker blockBox(m_ui->Check1);
    const QSignalBlocker blockList(list);
    m_ui->Check1->setChecked(m_rows.hideDownloadedChecked());
    m_clickedRow = nullptr;
    list->clear();
    setWindowTitle(m_rows.caption());

    QList<QTreeWidgetItem *> items;
    const QList<SummaryRows::Row> &rows = m_rows.rows();
    items.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const SummaryRows::Row &row = rows[i];
        auto *item = new SummaryItem(QStringList{row.name, row.category, row.sizeMb, row.action});
        item->setData(0, KeyRole, int(i));
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    list->addTopLevelItems(items);
    list->clearSelection();
    list->setCurrentItem(nullptr);

    m_ui->Command1->setEnabled(m_rows.actionsEnabled());
    m_ui->Command2->setEnabled(m_rows.actionsEnabled());
}

void frmSummary::refresh()
{
    loadresults(!m_ui->Check1->isChecked());
}

void frmSummary::present()
{
    if (!isVisible()) {
        restoreSize();
        show();
    }
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

QTreeWidgetItem *frmSummary::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = m_ui->torrent_list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

const SummaryRows::Row *frmSummary::rowOf(const QTreeWidgetItem *item) const
{
    if (!item)
        return nullptr;
    bool ok = false;
    const int index = item->data(0, KeyRole).toInt(&ok);
    if (!ok || index < 0 || index >= m_rows.rows().size())
        return nullptr;
    return &m_rows.rows()[index];
}

int frmSummary::positionOrRefresh(const QTreeWidgetItem *item)
{
    const SummaryRows::Row *row = rowOf(item);
    if (!row)
        return -1;
    const int position = SummaryRows::positionOf(m_state.results, *row);
    if (position < 0)
        refresh();
    return position;
}

void frmSummary::onDownloadNow()
{
    downloadNow(selectedRow());
}

void frmSummary::onViewDetails()
{
    viewDetails(selectedRow());
}

void frmSummary::onFilterInfo()
{
    filterInfo(selectedRow());
}

void frmSummary::downloadNow(QTreeWidgetItem *item)
{
    if (positionOrRefresh(item) < 0)
        return;
    const std::optional<DownloadRequest> request = SummaryRows::downloadNow(m_state, *rowOf(item));
    if (!request)
        return;
    item->setText(ActionColumn, QStringLiteral("downloaded"));
    m_downloads.startByHand(*request);
    if (m_ui->Check1->isChecked())
        loadresults(false);
}

void frmSummary::viewDetails(const QTreeWidgetItem *item)
{
    const int position = positionOrRefresh(item);
    if (position < 0)
        return;
    m_services.shell->openUrl(SummaryRows::detailsUrl(m_state.results[position].Id));
}

void frmSummary::filterInfo(const QTreeWidgetItem *item)
{
    const int position = positionOrRefresh(item);
    if (position < 0)
        return;
    if (!m_info) {
        m_info = new frmTorrentInfo(m_state, this);
        m_info->setWindowFlag(Qt::Dialog);
        connect(m_info, &frmTorrentInfo::highlightfilter, this, &frmSummary::highlightfilter);
    }
    m_info->setid(position);
    if (!m_info->load())
        return;
    WindowPlacement::CentreOverOwner(m_info, this);
    m_info->showModal();
}

void frmSummary::onCheck1Clicked(bool checked)
{
    loadresults(!checked);
    m_services.store->WriteSettingNumber(SettingName::SummaryHideDownloaded, checked ? 1 : 0);
}

void frmSummary::onHeaderClicked(int column)
{
    // Sizes sort as text, which would put 10.00 before 9.00: that column is left unsorted.
    if (column == SizeColumn)
        return;
    WindowHelpers::SortListByColumn(m_ui->torrent_list, column);
}

bool frmSummary::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_ui->torrent_list->viewport())
        return QWidget::eventFilter(watched, event);
    QTreeWidget *list = m_ui->torrent_list;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_lastButton = static_cast<QMouseEvent *>(event)->button();
        break;
    case QEvent::MouseButtonRelease: {
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        QTreeWidgetItem *item = list->itemAt(pos);
        if (!item)
            break;
        m_clickedRow = item;
        if (m_lastButton == Qt::RightButton) {
            list->setCurrentItem(item);
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

void frmSummary::onDoubleClick(const QPoint &pos)
{
    // Only a double-click on the row that was just clicked acts, never one beside the rows
    // or on another row than the one the first click chose.
    QTreeWidgetItem *under = m_ui->torrent_list->itemAt(pos);
    if (!under || !m_clickedRow || under != m_clickedRow)
        return;
    if (m_state.settings.DoubleClickAction == 1)
        downloadNow(under);
    else
        viewDetails(under);
}

void frmSummary::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_resize->start();
}

void frmSummary::onResizeTick()
{
    m_resize->stop();
    const ScreenMetrics &screen = *m_services.screen;
    QTreeWidget *list = m_ui->torrent_list;
    const QList<int> widths = columnWidths(list->width());
    for (int column = 0; column < widths.size(); ++column)
        list->setColumnWidth(column, widths[column]);

    if (windowState() == Qt::WindowNoState &&
        frameGeometry().top() < screen.screenGeometry().top()) {
        const QRect s = screen.screenGeometry();
        const QRect frame = frameGeometry();
        move(s.x() + s.width() / 2 - frame.width() / 2,
             s.y() + s.height() / 2 - frame.height() / 2);
    }
}

void frmSummary::restoreSize()
{
    resize(WindowSizeStore::restored(*m_services.store, *m_services.screen,
                                     QStringLiteral("summary"), size())
               .expandedTo(minimumSize()));
}

void frmSummary::saveSize()
{
    WindowSizeStore::save(*m_services.store, *m_services.screen, QStringLiteral("summary"), size());
}

void frmSummary::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (!isVisible())
        return;
    if (m_info)
        m_info->close();
    if (windowState() == Qt::WindowNoState)
        saveSize();
    emit acknowledged();
}
