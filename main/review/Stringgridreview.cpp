#include "Stringgridreview.h"

#include "Warning.h"
#include "callentry.h"
#include "csvexport.h"
#include "datafile.h"
#include "desktop.h"
#include "openlog.h"
#include "recordtablemodel.h"
#include "reviewcolumnsizer.h"
#include "reviewfiltermodel.h"
#include "reviewgriddelegate.h"
#include "reviewgridheader.h"
#include "scanprogress.h"
#include "screenfit.h"
#include "windowfont.h"

#include <QAbstractProxyModel>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
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

QString dateFieldProblem(const QString &which, const CallSearch::DateBound &bound)
{
    if (bound.valid)
        return QString();
    return QStringLiteral("\"%1\" is not a date: use m/d/yyyy or yyyy-mm-dd").arg(which);
}

} // namespace

TFormRecordReview::TFormRecordReview(const OpenLog &log, Desktop &desktop, QWidget *parent)
    : QDialog(parent)
    , m_log(log)
    , m_desktop(desktop)
{
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

    buildGrid();
    m_sizer = new ReviewColumnSizer(DataGrid->font(), this);
    m_sizer->setObjectName(QStringLiteral("ColumnSizer"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(buildFilterBar());
    layout->addWidget(DataGrid, 1);
    LabelNoMatch = new QLabel(QStringLiteral("No records match the search and filters."), this);
    LabelNoMatch->setObjectName(QStringLiteral("LabelNoMatch"));
    LabelNoMatch->setAlignment(Qt::AlignCenter);
    LabelNoMatch->setFont(WindowFont::arial(15));
    LabelNoMatch->setAutoFillBackground(true);
    LabelNoMatch->setBackgroundRole(QPalette::Base);
    LabelNoMatch->hide();
    layout->addWidget(LabelNoMatch, 1);

    resize(930, 587);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ScreenFit::fit(this);

    connect(ButtonRefresh, &QPushButton::clicked, this, &TFormRecordReview::ButtonRefreshClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormRecordReview::ButtonCancelClick);
    connect(m_sizer, &ReviewColumnSizer::widthsChanged, this, &TFormRecordReview::applyColumnWidths);
    connect(DataGrid, &QTableView::doubleClicked, this, &TFormRecordReview::DataGridDblClick);
    connect(DataGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    storeChosenRecord(current, true);
            });
    connect(DataGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, &TFormRecordReview::headingClicked);
    connect(m_shown, &ReviewFilterModel::rowsShownChanged, this, &TFormRecordReview::showRowCount);

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
    std::vector<CallRecord> records;
    const DataFile::ScanOutcome outcome =
        scanLog(this, m_log.path(), DataFile::ScanMode::CheckAndMark, records, m_log.holder() == 0);
    if (!outcome.opened) {
        TFormWarning::showWarning(m_desktop, this);
        return;
    }
    const QString notice = scanNotice(outcome);
    const int keptRow = DataGrid->currentIndex().row();
    m_model->setRecords(std::move(records));
    m_sizer->start(m_model->records());
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

void TFormRecordReview::applyColumnWidths()
{
    // An empty grid keeps the widths it had.
    if (m_model->rowCount() == 0)
        return;
    const ReviewColumnArray widths = m_sizer->widths();
    for (int column = 3; column < RecordTableModel::ColumnCount; ++column)
        DataGrid->setColumnWidth(column, widths[size_t(column)]);
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
    Q_UNUSED(ACol); // the text comes with the cell; every column is drawn alike
    const QPalette &colours = DataGrid->palette();
    painter->save();
    painter->setClipRect(Rect);
    painter->setFont(DataGrid->font());
    QRect textRect = Rect;
    if (ARow == 0) {
        painter->fillRect(Rect, colours.color(QPalette::Button));
        painter->setPen(colours.color(QPalette::WindowText));
        textRect.adjust(1, 1, -1, -1);
    } else if (selected) {
        painter->fillRect(Rect, colours.color(QPalette::Highlight));
        painter->setPen(colours.color(QPalette::HighlightedText));
    } else {
        painter->fillRect(Rect, colours.color(QPalette::Base));
        painter->setPen(colours.color(QPalette::Text));
    }
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
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

void TFormRecordReview::DataGridDblClick(const QModelIndex &index)
{
    if (!index.isValid() || !storeChosenRecord(index, true))
        return;
    done(m_chosenRecord + 1);
}

void TFormRecordReview::ButtonCancelClick()
{
    done(1);
}

void TFormRecordReview::reject()
{
    done(1);
}

// ---- Search, filters and sorting -------------------------------------------

QWidget *TFormRecordReview::buildFilterBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("FilterBar"));
    auto named = [](QWidget *widget, const char *name) { widget->setObjectName(QLatin1String(name)); };

    EditSearch = new QLineEdit(bar);
    named(EditSearch, "EditSearch");
    EditSearch->setPlaceholderText(QStringLiteral("Find a name, phone number, company or note (Ctrl+F)"));
    EditSearch->setClearButtonEnabled(true);

    ComboType = new QComboBox(bar);
    named(ComboType, "ComboType");
    ComboType->addItem(QStringLiteral("All types"), QString());
    ComboType->addItem(QStringLiteral("In"), QString(QChar(letterOf(CallType::In))));
    ComboType->addItem(QStringLiteral("Out"), QString(QChar(letterOf(CallType::Out))));
    ComboType->addItem(QStringLiteral("Msg"), QString(QChar(letterOf(CallType::Message))));

    EditDateFrom = new QLineEdit(bar);
    named(EditDateFrom, "EditDateFrom");
    EditDateFrom->setPlaceholderText(QStringLiteral("from m/d/yyyy"));
    EditDateFrom->setFixedWidth(110);
    EditDateTo = new QLineEdit(bar);
    named(EditDateTo, "EditDateTo");
    EditDateTo->setPlaceholderText(QStringLiteral("to m/d/yyyy"));
    EditDateTo->setFixedWidth(110);

    ComboStatus = new QComboBox(bar);
    named(ComboStatus, "ComboStatus");
    ComboStatus->addItem(QStringLiteral("Any status"), int(CallSearch::StatusChoice::Any));
    ComboStatus->addItem(QStringLiteral("Altered (X) or edited (E)"), int(CallSearch::StatusChoice::AlteredOrEdited));
    ComboStatus->addItem(QStringLiteral("Altered (X)"), int(CallSearch::StatusChoice::Altered));
    ComboStatus->addItem(QStringLiteral("Edited (E)"), int(CallSearch::StatusChoice::Edited));

    ButtonExportShown = new QPushButton(QStringLiteral("Export shown rows\u2026"), bar);
    named(ButtonExportShown, "ButtonExportShown");
    ButtonExportShown->setAutoDefault(false);

    LabelShown = new QLabel(bar);
    named(LabelShown, "LabelShown");
    LabelFilterError = new QLabel(bar);
    named(LabelFilterError, "LabelFilterError");
    QPalette red = LabelFilterError->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LabelFilterError->setPalette(red);

    auto *controls = new QHBoxLayout;
    controls->addWidget(EditSearch, 1);
    controls->addWidget(ComboType);
    controls->addWidget(EditDateFrom);
    controls->addWidget(EditDateTo);
    controls->addWidget(ComboStatus);
    controls->addWidget(ButtonExportShown);
    auto *counts = new QHBoxLayout;
    counts->addWidget(LabelShown);
    counts->addSpacing(24);
    counts->addWidget(LabelFilterError, 1);
    auto *rows = new QVBoxLayout(bar);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(2);
    rows->addLayout(controls);
    rows->addLayout(counts);

    connect(EditSearch, &QLineEdit::textChanged, this, &TFormRecordReview::applyFilter);
    connect(EditDateFrom, &QLineEdit::textChanged, this, &TFormRecordReview::applyFilter);
    connect(EditDateTo, &QLineEdit::textChanged, this, &TFormRecordReview::applyFilter);
    connect(ComboType, qOverload<int>(&QComboBox::currentIndexChanged), this, &TFormRecordReview::applyFilter);
    connect(ComboStatus, qOverload<int>(&QComboBox::currentIndexChanged), this, &TFormRecordReview::applyFilter);
    connect(ButtonExportShown, &QPushButton::clicked, this, &TFormRecordReview::ButtonExportShownClick);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        EditSearch->setFocus(Qt::ShortcutFocusReason);
        EditSearch->selectAll();
    });
    return bar;
}

void TFormRecordReview::applyFilter()
{
    CallSearch::Filter filter;
    filter.text = EditSearch->text();
    const QString type = ComboType->currentData().toString();
    if (!type.isEmpty())
        filter.type = type.at(0);
    filter.status = CallSearch::StatusChoice(ComboStatus->currentData().toInt());

    // A date that cannot be read, or a range that ends before it begins,
    // hides nothing: the field says what is wrong and the range is left open.
    const CallSearch::DateBound from = CallSearch::parseDateBound(EditDateFrom->text());
    const CallSearch::DateBound to = CallSearch::parseDateBound(EditDateTo->text());
    QStringList problems;
    for (const QString &problem :
         {dateFieldProblem(QStringLiteral("From"), from), dateFieldProblem(QStringLiteral("To"), to)})
        if (!problem.isEmpty())
            problems << problem;
    const bool backwards = from.valid && to.valid && !from.blank && !to.blank && from.date > to.date;
    if (backwards)
        problems << QStringLiteral("\"From\" is after \"To\": the date range is not applied");
    if (problems.isEmpty()) {
        filter.from = from.date;
        filter.to = to.date;
    } else if (!backwards) {
        if (from.valid)
            filter.from = from.date;
        if (to.valid)
            filter.to = to.date;
    }
    QPalette red = LabelFilterError->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LabelFilterError->setPalette(red);
    LabelFilterError->setText(problems.join(QStringLiteral("; ")));
    for (QLineEdit *field : {EditDateFrom, EditDateTo}) {
        const bool wrong = backwards || (field == EditDateFrom ? !from.valid : !to.valid);
        field->setToolTip(wrong ? LabelFilterError->text() : QString());
        QPalette colours = field->palette();
        colours.setColor(QPalette::Text, wrong ? QColor(Qt::red) : palette().color(QPalette::Text));
        field->setPalette(colours);
    }

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
    const Qt::SortOrder order =
        again && m_shown->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_shown->sort(column, order);
    DataGrid->horizontalHeader()->setToolTip(
        QStringLiteral("Sorted by %1, %2")
            .arg(RecordTableModel::Headings[size_t(column)].trimmed(),
                 order == Qt::AscendingOrder ? QStringLiteral("ascending") : QStringLiteral("descending")));
    DataGrid->scrollTo(DataGrid->currentIndex());
}

void TFormRecordReview::showRowCount()
{
    const int shown = m_shown->rowCount();
    const int all = m_model->rowCount();
    LabelShown->setText(QStringLiteral("%1 of %2 records shown").arg(shown).arg(all));
    const bool nothing = shown == 0 && all > 0;
    DataGrid->setVisible(!nothing);
    LabelNoMatch->setVisible(nothing);
    ButtonExportShown->setEnabled(shown > 0);
}

void TFormRecordReview::ButtonExportShownClick()
{
    Desktop::FileChoice choice;
    choice.mode = Desktop::FileChoice::Mode::Save;
    choice.title = QStringLiteral("Export shown rows");
    choice.suggested = QDir::current().filePath(CsvExport::DefaultFileName);
    choice.filter = QStringLiteral("CSV (*.csv)");
    const QString path = m_desktop.chooseFile(this, choice);
    if (path.isEmpty())
        return;
    const CsvExport::Outcome outcome = CsvExport::write(path, m_model->records(), &m_shown->shownRows());
    QPalette colours = LabelFilterError->palette();
    colours.setColor(QPalette::WindowText, outcome.written ? palette().color(QPalette::WindowText) : QColor(Qt::red));
    LabelFilterError->setPalette(colours);
    LabelFilterError->setText(
        outcome.written ? QStringLiteral("%1 rows saved as %2").arg(outcome.rows).arg(QFileInfo(path).fileName())
                        : outcome.error);
}
