#ifndef STRINGGRIDREVIEW_H
#define STRINGGRIDREVIEW_H

#include <QDialog>

class QLabel;
class QPainter;
class QPushButton;
class QTableView;
class RecordTableModel;
class ReviewColumnSizer;

// Records > Review: every record of the data file in one table, each
// re-checked on the way in. Ends with 1 when nothing was chosen, or with
// n + 1 when the line of record n was double-clicked.
class TFormRecordReview : public QDialog
{
    Q_OBJECT

public:
    explicit TFormRecordReview(QWidget *parent = nullptr);

    QLabel *Panel1 = nullptr;
    QPushButton *ButtonRefresh = nullptr;
    QPushButton *ButtonCancel = nullptr;
    QTableView *DataGrid = nullptr;

    RecordTableModel *model() const { return m_model; }
    const QString &dataFileName() const { return m_dataFileName; }

    // Record number of the selected line; kept from one opening to the next.
    static int chosenRecordNumber() { return s_chosenRecord; }
    static void setChosenRecordNumber(int number) { s_chosenRecord = number; }

    // Draws one cell; row 0 is the heading row, rows 1 on are the records.
    void DataGridDrawCell(QPainter *painter, int ACol, int ARow, const QRect &Rect, bool selected);

    void ButtonRefreshClick();
    void ButtonCancelClick();

public slots:
    // Closing through the frame, or Escape, counts as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void DataGridDblClick(const QModelIndex &index);
    void fillGrid();
    void applyColumnWidths();
    // Takes column 0 of grid row `row` as the chosen record number; false,
    // with a note in the panel, when it is not a record number.
    bool storeChosenRecord(int row, bool report);

    RecordTableModel *m_model = nullptr;
    ReviewColumnSizer *m_sizer = nullptr;
    QString m_dataFileName;
    static int s_chosenRecord;
};

#endif // STRINGGRIDREVIEW_H
