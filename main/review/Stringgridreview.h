#ifndef STRINGGRIDREVIEW_H
#define STRINGGRIDREVIEW_H

#include "reviewfiltermodel.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QTableView;
class RecordTableModel;
class ReviewColumnSizer;

// Records > Review: every record of the data file in one table, each
// re-checked on the way in. Ends with 1 when nothing was chosen, or with
// n + 1 when the line of record n was double-clicked. Above the grid, a
// search box and filters choose which records show; a heading click sorts.
class TFormRecordReview : public QDialog
{
    Q_OBJECT

public:
    explicit TFormRecordReview(QWidget *parent = nullptr);

    QLabel *Panel1 = nullptr;
    QPushButton *ButtonRefresh = nullptr;
    QPushButton *ButtonCancel = nullptr;
    QTableView *DataGrid = nullptr;

    QLineEdit *EditSearch = nullptr;
    QComboBox *ComboType = nullptr;
    QLineEdit *EditDateFrom = nullptr;
    QLineEdit *EditDateTo = nullptr;
    QComboBox *ComboStatus = nullptr;
    QPushButton *ButtonExportShown = nullptr;
    QLabel *LabelShown = nullptr;
    QLabel *LabelFilterError = nullptr;
    QLabel *LabelNoMatch = nullptr;

    // Seam for the save dialog of Export shown rows: the chosen file, or an
    // empty text when the user cancelled. Tests replace it.
    std::function<QString(const QString &suggested)> chooseExportFile;

    // The grid's rows as shown: filtered and sorted.
    ReviewFilterModel *model() const { return m_shown; }
    // Every record read, in file order.
    RecordTableModel *recordModel() const { return m_model; }
    const QString &dataFileName() const { return m_dataFileName; }

    // Record number of the selected line; kept from one opening to the next.
    static int chosenRecordNumber() { return s_chosenRecord; }
    static void setChosenRecordNumber(int number) { s_chosenRecord = number; }

    // Draws one cell with its text; row 0 is the heading row, rows 1 on are the records.
    void DataGridDrawCell(QPainter *painter, int ACol, int ARow, const QRect &Rect, bool selected, const QString &text);

    void ButtonRefreshClick();
    void ButtonCancelClick();
    void ButtonExportShownClick();

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
    QWidget *buildFilterBar();
    void applyFilter();
    void showRowCount();
    void headingClicked(int column);
    // Takes the record number of the line at view index `index` as the chosen
    // record; false, with a note in the panel, when it is not a record number.
    bool storeChosenRecord(const QModelIndex &index, bool report);

    RecordTableModel *m_model = nullptr;
    ReviewFilterModel *m_shown = nullptr;
    ReviewColumnSizer *m_sizer = nullptr;
    QString m_dataFileName;
    static int s_chosenRecord;
};

#endif // STRINGGRIDREVIEW_H
