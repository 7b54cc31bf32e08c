#include "Stringgridreview.h"

#include "Warning.h"
#include "callbackmarks.h"
#include "callentry.h"
#include "csvexport.h"
#include "datafile.h"
#include "desktop.h"
#include "openlog.h"
#include "preparedruns.h"
#include "recordtablemodel.h"
#include "reviewcolumnsizer.h"
#include "reviewfilterbar.h"
#include "reviewfiltermodel.h"
#include "reviewgriddelegate.h"
#include "reviewgridheader.h"
#include "reviewsettings.h"
#include "scanprogress.h"
#include "screenfit.h"
#include "shownrecords.h"
#include "statisticswindow.h"
#include "windowfont.h"

#include <QAbstractProxyModel>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <climits>

namespace {

const QString PanelCaption = QStringLiteral("Double click a line to review or edit.");

// Walks from a view index down through any sort or filter models to the records' own index.
QModelIndex recordIndex(QModelIndex index)
{
    while (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(index.model()))
        index = proxy->mapToSource(index);
    return index;
}

// The designed client area, for the first opening.
const QSize FirstSize(930, 587);

// A small filled triangle at the right end of a heading cell: pointing up for
// an ascending order, down for a descending one. Returns its left edge.
int drawSortArrow(QPainter *painter, const QRect &cell, Qt::SortOrder order)
{
    constexpr int Rows = 4;
    const int right = cell.right() - 4;
    const int left = right - 2 * (Rows - 1);
    const int top = cell.top() + (cell.height() - Rows) / 2;
    for (int row = 0; row < Rows; ++row) {
        const int half = order == Qt::AscendingOrder ? row : Rows - 1 - row;
        const int centre = (left + right) / 2;
        painter->drawLine(centre - half, top + row, centre + half, top + row);
    }
    return left;
}

} // namespace

TFormRecordReview::TFormRecordReview(const OpenLog &log, Desktop &desktop, QWidget *parent)
    : QDialog(parent)
    , m_log(log)
    , m_desktop(desktop)
{
    m_draggedWidths.fill(ReviewSettings::FollowsRule);
    setObjectName(QStringLiteral("FormRecordReview"));
    setWindowTitle(QStringLiteral("Record Review"));
    setSizeGripEnabled(true);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);

    Panel1 = new QLabel(PanelCaption, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFont(WindowFont::arial(15, true));

    ButtonRefresh = new QPushButton(QStringLiteral("Refresh"), Panel1);
    ButtonRefresh->setObjectName(QStringLiteral("ButtonRefresh"));
    ButtonRefresh->setFont(tahoma);
    ButtonRefresh->setGeometry(48, 9, 75, 25);

    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setFont(tahoma);
    ButtonCancel->setGeometry(144, 9, 75, 25);
    // Enter in the grid must not press a button the user did not aim at.
    ButtonRefresh->setAutoDefault(false);
    ButtonCancel->setAutoDefault(false);

    m_model = new RecordTableModel(this);
    m_model->setObjectName(QStringLiteral("RecordTableModel"));

    m_shown = new ReviewFilterModel(this);
    m_shown->setObjectName(QStringLiteral("ReviewFilterModel"));
    m_shown->setRecordModel(m_model);

    FilterBar = new ReviewFilterBar(this);
    EditSearch = FilterBar->EditSearch;
    ComboType = FilterBar->ComboType;
    EditDateFrom = FilterBar->EditDateFrom;
    EditDateTo = FilterBar->EditDateTo;
    ComboStatus = FilterBar->ComboStatus;
    ButtonExportShown = FilterBar->ButtonExportShown;
    ButtonStatistics = FilterBar->ButtonStatistics;
    LabelShown = FilterBar->LabelShown;
    LabelFilterError = FilterBar->LabelFilterError;

    buildGrid();
    m_sizer = new ReviewColumnSizer(DataGrid->font(), this);
    m_sizer->setObjectName(QStringLiteral("ColumnSizer"));
    buildNoMatchNote();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(FilterBar);
    layout->addWidget(DataGrid, 1);
    layout->addWidget(LabelNoMatch, 1);

    connectControls();
    restoreSettings();
    showRowCount();
    FormCreate();
}

void TFormRecordReview::buildGrid()
{
    const ReviewCellPainter drawCell = [this](QPainter *painter, int column, int row, const QRect &rect, bool selected,
                                              const QString &text) {
        DataGridDrawCell(painter, column, row, rect, selected, text);
    };

    DataGrid = new QTableView(this);
    DataGrid->setObjectName(QStringLiteral("DataGrid"));
    DataGrid->setFont(WindowFont::arial(13));
    DataGrid->setHorizontalHeader(new ReviewGridHeader(drawCell, DataGrid));
    DataGrid->setItemDelegate(new ReviewGridDelegate(drawCell, DataGrid));
    DataGrid->setModel(m_shown);
    DataGrid->setShowGrid(false);
    DataGrid->setWordWrap(false);
    DataGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid->setCornerButtonEnabled(false);
    DataGrid->installEventFilter(this);

    const int rowHeight = QFontMetrics(DataGrid->font()).height() + 6;
    QHeaderView *rows = DataGrid->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(rowHeight);
    QHeaderView *columns = DataGrid->horizontalHeader();
    columns->setFont(DataGrid->font());
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setMinimumSectionSize(0);
    columns->setDefaultSectionSize(ReviewDefaultColumnWidth);
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(false);
    columns->setFixedHeight(rowHeight);
}

void TFormRecordReview::buildNoMatchNote()
{
    LabelNoMatch = new QLabel(QStringLiteral("No records match the search and filters."), this);
    LabelNoMatch->setObjectName(QStringLiteral("LabelNoMatch"));
    LabelNoMatch->setAlignment(Qt::AlignCenter);
    LabelNoMatch->setFont(WindowFont::arial(15));
    LabelNoMatch->setAutoFillBackground(true);
    LabelNoMatch->setBackgroundRole(QPalette::Base);
    LabelNoMatch->hide();
}

void TFormRecordReview::connectControls()
{
    auto *header = static_cast<ReviewGridHeader *>(DataGrid->horizontalHeader());
    connect(ButtonRefresh, &QPushButton::clicked, this, &TFormRecordReview::ButtonRefreshClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormRecordReview::ButtonCancelClick);
    connect(m_sizer, &ReviewColumnSizer::widthsChanged, this, &TFormRecordReview::applyColumnWidths);
    connect(DataGrid, &QTableView::doubleClicked, this, &TFormRecordReview::DataGridDblClick);
    connect(DataGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    storeChosenRecord(current, true);
            });
    connect(header, &QHeaderView::sectionClicked, this, &TFormRecordReview::headingClicked);
    connect(header, &ReviewGridHeader::sectionDragged, this, &TFormRecordReview::columnDragged);
    connect(header, &QHeaderView::sectionHandleDoubleClicked, this, &TFormRecordReview::columnEdgeDoubleClicked);
    connect(m_shown, &ReviewFilterModel::rowsShownChanged, this, &TFormRecordReview::showRowCount);
    connect(FilterBar, &ReviewFilterBar::changed, this, &TFormRecordReview::applyFilter);
    connect(FilterBar, &ReviewFilterBar::enterPressed, this, &TFormRecordReview::goToGrid);
    connect(FilterBar, &ReviewFilterBar::exportClicked, this, &TFormRecordReview::ButtonExportShownClick);
    connect(FilterBar, &ReviewFilterBar::statisticsClicked, this, &TFormRecordReview::ButtonStatisticsClick);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        EditSearch->setFocus(Qt::ShortcutFocusReason);
        EditSearch->selectAll();
    });
}

const QString &TFormRecordReview::dataFileName() const
{
    return m_log.path();
}

std::optional<int> TFormRecordReview::chosenRecord() const
{
    if (result() < 2)
        return std::nullopt;
    return result() - 1;
}

void TFormRecordReview::FormCreate()
{
    QFile file(m_log.path());
    if (!file.open(QIODevice::ReadOnly))
        TFormWarning::showWarning(m_desktop, this);
}

void TFormRecordReview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormRecordReview::FormShow()
{
    fillGrid();
}

void TFormRecordReview::ButtonRefreshClick()
{
    fillGrid();
}

void TFormRecordReview::fillGrid()
{
    // Only the shown texts are kept, never the records themselves.
    ReviewRows rows;
    rows.reserve(QFileInfo(m_log.path()).size() / RecordSize);
    const CallBackMarks marks = m_log.callBackMarks();
    RecordTableModel::CallBacks callBacks;
    // The rows' texts are made as the records are checked, and placed in order.
    PreparedRuns<ReviewRows::Made> made;
    const DataFile::ScanOutcome outcome = scanLog(
        this, m_log.path(), DataFile::ScanMode::CheckAndMark,
        [&](const CallRecord *records, qint64 first, qint64 n) {
            marks.collect(records, int(rows.size()), n, callBacks);
            made.takeUpTo(first, n, [&rows](const ReviewRows::Made &run) { rows.append(run); });
            return true;
        },
        m_log.holder() == 0,
        [&made](const CallRecord *records, qint64 first, qint64 n) {
            made.put(first, ReviewRows::make(records, first, n));
        });
    if (!outcome.opened) {
        TFormWarning::showWarning(m_desktop, this);
        return;
    }
    if (outcome.cancelled) {
        rows = ReviewRows();
        callBacks.clear();
    }
    // A record whose mark did not reach the file shows what the file holds.
    for (qint64 slot : outcome.unmarked) {
        CallRecord asFiled;
        const qint64 row = rows.rowOf(slot);
        if (row >= 0 && DataFile::readRecord(m_log.path(), int(slot + 1), asFiled) == DataFile::ReadResult::Ok)
            rows.replace(row, asFiled);
    }
    const QString notice = scanNotice(outcome);
    const int keptRow = DataGrid->currentIndex().row();
    m_model->setRows(std::move(rows), std::move(callBacks));
    m_sizer->start(m_model->rows());
    if (m_model->rowCount() > 0) {
        applyColumnWidths();
        // The selected line stays where it was when the refilled grid still has it.
        const int rowCount = m_shown->rowCount();
        if (rowCount > 0) {
            const int row = keptRow >= 0 && keptRow < rowCount ? keptRow : 0;
            DataGrid->setCurrentIndex(m_shown->index(row, 0));
        }
    }
    if (!notice.isEmpty())
        Panel1->setText(notice);
}

// The widths rule sets every column at each filling, except a column whose
// edge the user dragged: that one keeps the dragged width, in this window and
// the next ones, until a double-click on its edge gives it back to the rule.
void TFormRecordReview::applyColumnWidths()
{
    const QScopedValueRollback<bool> programSetsWidths(m_settingWidths, true);
    // An empty grid keeps the widths it had.
    const bool measured = m_model->rowCount() > 0;
    const ReviewColumnArray rule = m_sizer->widths();
    for (int column = 0; column < RecordTableModel::ColumnCount; ++column) {
        const int dragged = m_draggedWidths[size_t(column)];
        if (dragged != ReviewSettings::FollowsRule)
            DataGrid->setColumnWidth(column, dragged);
        else if (measured)
            DataGrid->setColumnWidth(column, rule[size_t(column)]);
    }
    if (measured && !m_callBackColumnSized) {
        m_callBackColumnSized = true;
        const QString widest = QStringLiteral("12/31/2026 12:00PM (done)");
        DataGrid->setColumnWidth(RecordTableModel::CallBackColumn,
                                 DataGrid->fontMetrics().horizontalAdvance(widest) + 16);
    }
}

void TFormRecordReview::columnDragged(int column)
{
    // The call-back column is not one of the record's: its width is not kept.
    if (!m_settingWidths && column < RecordTableModel::ColumnCount)
        m_draggedWidths[size_t(column)] = DataGrid->columnWidth(column);
}

void TFormRecordReview::columnEdgeDoubleClicked(int column)
{
    if (column >= RecordTableModel::ColumnCount)
        return;
    m_draggedWidths[size_t(column)] = ReviewSettings::FollowsRule;
    applyColumnWidths();
}

bool TFormRecordReview::storeChosenRecord(const QModelIndex &index, bool report)
{
    const QModelIndex record = recordIndex(index);
    if (record.model() != m_model)
        return false;
    const QString text = m_model->text(record.row(), 0);
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    // n + 1 must still be a number.
    if (ok && number < INT_MAX) {
        m_chosenRecord = number;
        if (report && Panel1->text() != PanelCaption)
            Panel1->setText(PanelCaption);
        return true;
    }
    if (report)
        Panel1->setText(QStringLiteral("'%1' is not a valid record number").arg(text));
    return false;
}

void TFormRecordReview::DataGridDrawCell(QPainter *painter, int ACol, int ARow, const QRect &Rect, bool selected,
                                         const QString &text)
{
    const QPalette &colours = DataGrid->palette();
    painter->save();
    painter->setClipRect(Rect);
    painter->setFont(DataGrid->font());
    QRect textRect = Rect;
    QString shown = text;
    if (ARow == 0) {
        painter->fillRect(Rect, colours.color(QPalette::Button));
        painter->setPen(colours.color(QPalette::WindowText));
        textRect.adjust(1, 1, -1, -1);
        if (ACol == m_shown->sortColumn())
            textRect.setRight(drawSortArrow(painter, Rect, m_shown->sortOrder()) - 2);
    } else {
        painter->fillRect(Rect, colours.color(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
        // A text longer than its cell ends in an ellipsis; its tool tip holds the whole of it.
        shown = fittedText(painter->fontMetrics(), text, textRect.width());
    }
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    if (ARow == 0) {
        // Raised frame one pixel wide: light top and left, shadow bottom and right.
        const QRect &frame = Rect;
        painter->setPen(colours.color(QPalette::Light));
        painter->drawLine(frame.topLeft(), frame.topRight());
        painter->drawLine(frame.topLeft(), frame.bottomLeft());
        painter->setPen(colours.color(QPalette::Dark));
        painter->drawLine(frame.bottomLeft(), frame.bottomRight());
        painter->drawLine(frame.topRight(), frame.bottomRight());
    }
    painter->restore();
}

QString TFormRecordReview::fittedText(const QFontMetrics &metrics, const QString &text, int width)
{
    // Logs repeat their texts, and a repaint draws the same cells again: each
    // text is measured once (in the grid's one font), and only a text too wide is elided.
    constexpr int MostKept = 20000;
    auto found = m_textWidths.constFind(text);
    if (found == m_textWidths.cend()) {
        if (m_textWidths.size() >= MostKept)
            m_textWidths.clear();
        found = m_textWidths.insert(text, metrics.horizontalAdvance(text));
    }
    return *found <= width ? text : metrics.elidedText(text, Qt::ElideRight, width);
}

void TFormRecordReview::DataGridDblClick(const QModelIndex &index)
{
    if (!index.isValid() || !storeChosenRecord(index, true))
        return;
    done(m_chosenRecord + 1);
}

bool TFormRecordReview::eventFilter(QObject *watched, QEvent *event)
{
    // Enter or Space on a line chooses it as a double-click does.
    if (watched == DataGrid && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space)) {
            DataGridDblClick(DataGrid->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormRecordReview::ButtonCancelClick()
{
    done(1);
}

void TFormRecordReview::reject()
{
    done(1);
}

void TFormRecordReview::done(int result)
{
    saveSettings();
    QDialog::done(result);
}

// ---- Search, filters and sorting -------------------------------------------

void TFormRecordReview::applyFilter()
{
    const CallSearch::Filter filter = FilterBar->filter();
    // The chosen record stays selected when it is still shown.
    const QModelIndex chosen = recordIndex(DataGrid->currentIndex());
    const int chosenRecordRow = chosen.isValid() ? chosen.row() : -1;
    m_shown->setFilter(filter);
    if (chosenRecordRow >= 0) {
        const QModelIndex again = m_shown->mapFromSource(m_model->index(chosenRecordRow, 0));
        if (again.isValid())
            DataGrid->setCurrentIndex(again);
    }
}

void TFormRecordReview::headingClicked(int column)
{
    const bool again = m_shown->sortColumn() == column;
    sortBy(column, again && m_shown->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    DataGrid->scrollTo(DataGrid->currentIndex());
}

void TFormRecordReview::sortBy(int column, Qt::SortOrder order)
{
    m_shown->sort(column, order);
    DataGrid->horizontalHeader()->setToolTip(
        QStringLiteral("Sorted by %1, %2")
            .arg(RecordTableModel::heading(column).trimmed(),
                 order == Qt::AscendingOrder ? QStringLiteral("ascending") : QStringLiteral("descending")));
    DataGrid->horizontalHeader()->viewport()->update();
}

// Enter in the search box or a filter takes the user to the lines found.
void TFormRecordReview::goToGrid()
{
    if (m_shown->rowCount() == 0)
        return;
    if (!DataGrid->currentIndex().isValid())
        DataGrid->setCurrentIndex(m_shown->index(0, 0));
    DataGrid->setFocus(Qt::OtherFocusReason);
}

void TFormRecordReview::showRowCount()
{
    const int shown = m_shown->rowCount();
    const int all = m_model->rowCount();
    FilterBar->showCount(shown, all);
    const bool nothing = shown == 0 && all > 0;
    DataGrid->setVisible(!nothing);
    LabelNoMatch->setVisible(nothing);
}

void TFormRecordReview::ButtonExportShownClick()
{
    const QString path = m_desktop.chooseFile(
        this,
        Desktop::FileChoice::saving(QStringLiteral("Export shown rows"),
                                    QDir::current().filePath(CsvExport::DefaultFileName), CsvExport::FileFilter));
    if (path.isEmpty())
        return;
    const CallBackMarks callBacks = m_log.callBackMarks();
    const CsvExport::Outcome outcome =
        ShownRecords::writeCsv(path, m_log.path(), m_model->rows(), m_shown->shownRows(), &callBacks);
    FilterBar->showNote(outcome.written
                            ? QStringLiteral("%1 rows saved as %2").arg(outcome.rows).arg(QFileInfo(path).fileName())
                            : outcome.error,
                        !outcome.written);
}

void TFormRecordReview::ButtonStatisticsClick()
{
    StatisticsWindow statistics(m_log, m_desktop, *m_model, m_shown, this);
    m_desktop.runDialog(statistics);
}

// ---- What the window keeps between openings --------------------------------

void TFormRecordReview::restoreSettings()
{
    const ReviewSettings kept = ReviewSettings::load();
    placeWindow(kept);
    m_draggedWidths = kept.draggedWidths;
    applyColumnWidths();
    FilterBar->setChoices(kept.choices);
    applyFilter();
    if (kept.sortColumn >= 0)
        sortBy(kept.sortColumn, kept.sortOrder);
}

void TFormRecordReview::placeWindow(const ReviewSettings &kept)
{
    // A remembered size the controls no longer fit in grows to hold them.
    resize(kept.size.value_or(FirstSize).expandedTo(minimumSizeHint()));
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    // A place on a screen that is gone, or moved, is not used.
    if (kept.position && ReviewSettings::reachable(QRect(*kept.position, size()), screens))
        move(*kept.position);
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ScreenFit::fit(this);
}

void TFormRecordReview::saveSettings() const
{
    if (!ReviewSettings::available())
        return;
    ReviewSettings kept;
    // A maximised window keeps the size and place it had before.
    if (!isMaximized() && !isFullScreen()) {
        kept.size = size();
        kept.position = pos();
    } else {
        const ReviewSettings before = ReviewSettings::load();
        kept.size = before.size;
        kept.position = before.position;
    }
    kept.draggedWidths = m_draggedWidths;
    kept.sortColumn = m_shown->sortColumn();
    kept.sortOrder = m_shown->sortOrder();
    kept.choices = FilterBar->choices();
    kept.save();
}
