#include "Stringgridreview.h"

#include "Warning.h"
#include "configfile.h"
#include "datafile.h"
#include "recordtablemodel.h"
#include "reviewcolumnsizer.h"
#include "reviewgriddelegate.h"
#include "reviewgridheader.h"
#include "screenfit.h"

#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <climits>

namespace {

const QString PanelCaption = QStringLiteral("Double click a line to review or edit.");

QFont fontOf(const QString &family, int pixelSize, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

int TFormRecordReview::s_chosenRecord = 0;

TFormRecordReview::TFormRecordReview(QWidget *parent)
    : QDialog(parent)
    , m_dataFileName(DefaultDataFileName)
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
    Panel1->setFont(fontOf(QStringLiteral("Arial"), 15, true));

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

    const ReviewCellPainter drawCell = [this](QPainter *painter, int column, int row, const QRect &rect,
                                              bool selected) { DataGridDrawCell(painter, column, row, rect, selected); };

    DataGrid = new QTableView(this);
    DataGrid->setObjectName(QStringLiteral("DataGrid"));
    DataGrid->setFont(fontOf(QStringLiteral("Arial"), 13));
    DataGrid->setHorizontalHeader(new ReviewGridHeader(drawCell, DataGrid));
    DataGrid->setItemDelegate(new ReviewGridDelegate(drawCell, DataGrid));
    DataGrid->setModel(m_model);
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
    columns->setSectionsClickable(false);
    columns->setFixedHeight(rowHeight);

    m_sizer = new ReviewColumnSizer(DataGrid->font(), this);
    m_sizer->setObjectName(QStringLiteral("ColumnSizer"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(DataGrid, 1);

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
                    storeChosenRecord(current.row() + 1, true);
            });

    FormCreate();
}

void TFormRecordReview::FormCreate()
{
    ReadDataFileName(m_dataFileName);
    QFile file(m_dataFileName);
    if (!file.open(QIODevice::ReadOnly))
        TFormWarning::showWarning(this);
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
    if (!DataFile::scanRecords(m_dataFileName, DataFile::ScanMode::CheckAndMark, records)) {
        TFormWarning::showWarning(this);
        return;
    }
    const int keptRow = DataGrid->currentIndex().row();
    m_model->setRecords(std::move(records));
    const int rowCount = m_model->rowCount();
    m_sizer->start(m_model->records());
    if (rowCount == 0)
        return;
    applyColumnWidths();

    // The selected line stays where it was when the refilled grid still has it.
    const int row = keptRow >= 0 && keptRow < rowCount ? keptRow : 0;
    DataGrid->setCurrentIndex(m_model->index(row, 0));
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

bool TFormRecordReview::storeChosenRecord(int row, bool report)
{
    const QString text = m_model->text(row - 1, 0);
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    // n + 1 must still be a number.
    if (ok && number < INT_MAX) {
        s_chosenRecord = number;
        if (report && Panel1->text() != PanelCaption)
            Panel1->setText(PanelCaption);
        return true;
    }
    if (report)
        Panel1->setText(QStringLiteral("'%1' is not a valid record number").arg(text));
    return false;
}

void TFormRecordReview::DataGridDrawCell(QPainter *painter, int ACol, int ARow, const QRect &Rect, bool selected)
{
    const QPalette &colours = DataGrid->palette();
    painter->save();
    painter->setClipRect(Rect);
    painter->setFont(DataGrid->font());
    QRect textRect = Rect;
    QString text;
    if (ARow == 0) {
        painter->fillRect(Rect, colours.color(QPalette::Button));
        painter->setPen(colours.color(QPalette::WindowText));
        textRect.adjust(1, 1, -1, -1);
        text = RecordTableModel::Headings[size_t(ACol)];
    } else {
        if (selected) {
            painter->fillRect(Rect, colours.color(QPalette::Highlight));
            painter->setPen(colours.color(QPalette::HighlightedText));
            storeChosenRecord(ARow, false);
        } else {
            painter->fillRect(Rect, colours.color(QPalette::Base));
            painter->setPen(colours.color(QPalette::Text));
        }
        text = m_model->text(ARow - 1, ACol);
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
    if (!index.isValid() || !storeChosenRecord(index.row() + 1, true))
        return;
    done(s_chosenRecord + 1);
}

void TFormRecordReview::ButtonCancelClick()
{
    done(1);
}

void TFormRecordReview::reject()
{
    done(1);
}
