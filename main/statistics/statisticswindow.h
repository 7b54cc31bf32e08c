#ifndef STATISTICSWINDOW_H
#define STATISTICSWINDOW_H

#include "callstatistics.h"
#include "companionstore.h"

#include <QDialog>

#include <vector>

struct Desktop;
class ChartPane;
class OpenLog;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QTabWidget;
class RecordTableModel;
class ReviewFilterModel;

// Records > Statistics, and Statistics… in the review window: charts of the
// calls the user is looking at (calls over time by type, the top callers and
// companies, a weekday and hour grid, open and overdue call-backs), each with
// its numbers in a table, and a summary above them. The calls are counted
// once, from the rows the review's model holds; the log is only read.
class StatisticsWindow : public QDialog
{
    Q_OBJECT

public:
    // Counts the rows of `records` that `shown` leaves, or all of them
    // without it; both are only read while the window is made.
    StatisticsWindow(const OpenLog &log, Desktop &desktop, const RecordTableModel &records,
                     const ReviewFilterModel *shown, QWidget *parent = nullptr);
    ~StatisticsWindow() override;

    // Records > Statistics: reads every record of the open log, writing
    // nothing into it, and shows the window over them.
    static void showLog(const OpenLog &log, Desktop &desktop, QWidget *parent);

    QLabel *LabelScope = nullptr;
    QLabel *LabelSummary = nullptr;
    QLabel *LabelUnreadable = nullptr;
    QComboBox *ComboPeriod = nullptr;
    QTabWidget *Tabs = nullptr;
    ChartPane *PaneCalls = nullptr;
    ChartPane *PaneCallers = nullptr;
    ChartPane *PaneCompanies = nullptr;
    ChartPane *PaneHours = nullptr;
    ChartPane *PaneCallBacks = nullptr;
    QLabel *LabelMessage = nullptr;
    QPushButton *ButtonCopy = nullptr;
    QPushButton *ButtonSave = nullptr;
    QPushButton *ButtonPrint = nullptr;
    QPushButton *ButtonClose = nullptr;

    const CallStatistics::Counts &counts() const { return m_counts; }
    ChartPane *currentPane() const;
    std::vector<ChartPane *> panes() const;

    void ButtonCopyClick();
    void ButtonSaveClick();
    void ButtonPrintClick();

    // A line under the charts, in red when it reports a failure.
    void showMessage(const QString &text, bool failure);

private:
    void buildHeader();
    void buildPanes();
    void buildButtons();
    void layOut();
    void readCallBacks();
    void showPeriod();
    bool paintPages(QPrinter &printer) const;

    const OpenLog &m_log;
    Desktop &m_desktop;
    CallStatistics::Counts m_counts;
    CallSearch::Filter m_filter;
    std::vector<CallBack> m_callBacks;
    QString m_callBackProblem;
    bool m_periodNoteShown = false;
};

#endif // STATISTICSWINDOW_H
