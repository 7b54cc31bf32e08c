#ifndef STRINGGRIDREVIEW_H
#define STRINGGRIDREVIEW_H

#include "recordtablemodel.h"
#include "reviewfiltermodel.h"

#include <QDialog>
#include <QHash>

#include <array>
#include <optional>

struct Desktop;
class OpenLog;
class QComboBox;
class QFontMetrics;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QTableView;
class RecordTableModel;
class ReviewColumnSizer;
class ReviewFilterBar;
struct ReviewSettings;

// Records > Review: every record of the open log in one table, each
// re-checked on the way in. Ends with 1 when nothing was chosen, or with
// n + 1 when the line of record n was double-clicked, or Enter or Space
// pressed on it. Above the grid, a search box and filters choose which
// records show; a heading click sorts. The window comes back as the user
// left it: size, place, dragged column widths, order and filters.
class TFormRecordReview : public QDialog
{
    Q_OBJECT

public:
    TFormRecordReview(const OpenLog &log, Desktop &desktop, QWidget *parent = nullptr);

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
    QPushButton *ButtonStatistics = nullptr;
    QLabel *LabelShown = nullptr;
    QLabel *LabelFilterError = nullptr;
    QLabel *LabelNoMatch = nullptr;
    ReviewFilterBar *FilterBar = nullptr;

    // The grid's rows as shown: filtered and sorted.
    ReviewFilterModel *model() const { return m_shown; }
    // Every record read, in file order.
    RecordTableModel *recordModel() const { return m_model; }
    const QString &dataFileName() const;

    // Record number of the selected line.
    int chosenRecordNumber() const { return m_chosenRecord; }
    // The record the window ended with, once it has ended with one.
    std::optional<int> chosenRecord() const;

    // Draws one cell with its text; row 0 is the heading row, rows 1 on are the records.
    void DataGridDrawCell(QPainter *painter, int ACol, int ARow, const QRect &Rect, bool selected, const QString &text);

    void ButtonRefreshClick();
    void ButtonCancelClick();
    void ButtonExportShownClick();
    // Charts of the rows the search and filters leave.
    void ButtonStatisticsClick();

public slots:
    // Closing through the frame, or Escape, counts as Cancel.
    void reject() override;
    // Every way the window ends keeps what the user left for the next opening.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void buildGrid();
    void buildNoMatchNote();
    void connectControls();
    void FormShow();
    void DataGridDblClick(const QModelIndex &index);
    void fillGrid();
    void applyColumnWidths();
    void columnDragged(int column);
    void columnEdgeDoubleClicked(int column);
    void applyFilter();
    void showRowCount();
    void headingClicked(int column);
    void sortBy(int column, Qt::SortOrder order);
    void goToGrid();
    void restoreSettings();
    void placeWindow(const ReviewSettings &kept);
    void saveSettings() const;
    // Takes the record number of the line at view index `index` as the chosen
    // record; false, with a note in the panel, when it is not a record number.
    bool storeChosenRecord(const QModelIndex &index, bool report);
    QString fittedText(const QFontMetrics &metrics, const QString &text, int width);

    RecordTableModel *m_model = nullptr;
    ReviewFilterModel *m_shown = nullptr;
    ReviewColumnSizer *m_sizer = nullptr;
    const OpenLog &m_log;
    Desktop &m_desktop;
    int m_chosenRecord = 0;
    // Width of each column whose edge the user dragged; -1 where the widths rule decides.
    std::array<int, RecordTableModel::ColumnCount> m_draggedWidths;
    bool m_settingWidths = false;
    bool m_callBackColumnSized = false;
    QHash<QString, int> m_textWidths; // drawn width of each record text met so far
};

#endif // STRINGGRIDREVIEW_H
