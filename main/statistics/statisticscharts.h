#ifndef STATISTICSCHARTS_H
#define STATISTICSCHARTS_H

#include "callstatistics.h"

#include <QString>

#include <vector>

class QChart;
class QStandardItemModel;

// The statistics window's charts, each with its numbers as a table: the
// chart for the eye, the table for a screen reader and the keyboard.
namespace StatisticsCharts {

struct Chart
{
    QChart *chart = nullptr; // for the caller to own
    QStandardItemModel *numbers = nullptr; // for the caller to own
    QString name; // "Calls per week"
    QString description; // what the chart shows, in one or two sentences
    QString fileName; // suggested name of a saved picture, without suffix
};

// Stacked bars by type, one bar per period.
Chart calls(const std::vector<CallStatistics::PeriodCounts> &periods, CallStatistics::Period period);
// Horizontal bars with their counts, the first at the top.
Chart callers(const std::vector<CallStatistics::Ranked> &callers);
Chart companies(const std::vector<CallStatistics::Ranked> &companies);
// Weekdays down, hours across.
Chart hours(const CallStatistics::Counts &counts);
// Two lines: open and overdue at each period's end. `problem` says why the
// call-backs could not be read, when they could not.
Chart callBacks(const std::vector<CallStatistics::CallBackPoint> &points, CallStatistics::Period period,
                const QString &problem);

// "12AM", "1AM", ... "11PM"
QString hourName(int hour);
// "Mon" ... "Sun", Monday being 0.
QString weekdayName(int day);

} // namespace StatisticsCharts

#endif // STATISTICSCHARTS_H
