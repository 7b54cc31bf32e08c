#include "statisticscharts.h"

#include "heatmapitem.h"
#include "statisticspalette.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QStandardItemModel>
#include <QValueAxis>

#include <cmath>

using namespace CallStatistics;

namespace StatisticsCharts {

namespace {

// Period labels under a bar chart: about this many at most, so that they never overlap.
constexpr int MostPeriodLabels = 8;
// Longer names are cut in the chart; the table holds them whole.
constexpr int MostLabelLength = 30;

QChart *newChart(const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    QFont font = chart->titleFont();
    font.setBold(true);
    chart->setTitleFont(font);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

void attach(QChart *chart, QAbstractSeries *series, QAbstractAxis *axis, Qt::Alignment side)
{
    chart->addAxis(axis, side);
    if (series)
        series->attachAxis(axis);
}

// A count axis from 0 in whole steps of 1, 2 or 5 times a power of ten.
QValueAxis *countAxis(int most)
{
    const double rough = std::max(1.0, most / 5.0);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= rough)
            break;
    }
    auto *axis = new QValueAxis;
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setRange(0, std::max(step, std::ceil(std::max(most, 1) / step) * step));
    return axis;
}

// An axis of periods at 0, 1, 2 ...: a label under every few bars.
QCategoryAxis *periodAxis(const QStringList &labels)
{
    auto *axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(-0.5, labels.size() - 0.5);
    axis->setStartValue(-0.5);
    const int stride = std::max(1, int((labels.size() + MostPeriodLabels - 1) / MostPeriodLabels));
    // A label on a narrow bar at the very edge would stick out of the chart,
    // and the chart would leave it out: the labels start half a stride in.
    for (int i = stride > 1 ? stride / 2 : 0; i < labels.size(); i += stride)
        axis->append(labels.at(i), i);
    axis->setGridLineVisible(false);
    return axis;
}

QStandardItemModel *table(const QStringList &headings)
{
    auto *model = new QStandardItemModel(0, int(headings.size()));
    model->setHorizontalHeaderLabels(headings);
    return model;
}

QStandardItem *textItem(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

QStandardItem *numberItem(int n)
{
    auto *item = new QStandardItem;
    item->setData(n, Qt::DisplayRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setEditable(false);
    return item;
}

QString cut(const QString &text)
{
    return text.size() <= MostLabelLength ? text : text.left(MostLabelLength - 1) + QChar(0x2026);
}

QString periodHeading(Period period, bool ending)
{
    switch (period) {
    case Period::Week:
        return ending ? QStringLiteral("Week ending") : QStringLiteral("Week beginning");
    case Period::Month:
        return QStringLiteral("Month");
    case Period::Year:
        break;
    }
    return QStringLiteral("Year");
}

QString callsText(int n)
{
    return n == 1 ? QStringLiteral("1 call") : QStringLiteral("%1 calls").arg(shownNumber(n));
}

} // namespace

QString hourName(int hour)
{
    const int onClock = hour % 12 == 0 ? 12 : hour % 12;
    return QStringLiteral("%1%2").arg(onClock).arg(hour < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

QString weekdayName(int day)
{
    static const char *const names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return day >= 0 && day < 7 ? QLatin1String(names[day]) : QString();
}

Chart calls(const std::vector<PeriodCounts> &periods, Period period)
{
    Chart made;
    const QString per = periodName(period);
    made.name = QStringLiteral("Calls per %1").arg(per);
    made.fileName = QStringLiteral("calls-per-%1").arg(per);
    made.chart = newChart(periods.empty() ? QStringLiteral("No calls with a date to count")
                                          : QStringLiteral("Calls per %1, by type").arg(per));
    const bool other =
        std::any_of(periods.begin(), periods.end(), [](const PeriodCounts &p) { return p.calls.calls[OtherType] > 0; });
    const int types = other ? TypeCount : OtherType;
    QStringList headings{periodHeading(period, false)};
    for (int type = 0; type < types; ++type)
        headings << typeName(type);
    made.numbers = table(headings << QStringLiteral("Total"));

    auto *series = new QStackedBarSeries;
    std::vector<QBarSet *> sets;
    for (int type = 0; type < types; ++type) {
        auto *set = new QBarSet(typeName(type));
        set->setColor(StatisticsPalette::typeColour(type));
        set->setBorderColor(StatisticsPalette::typeColour(type));
        sets.push_back(set);
    }
    QStringList labels;
    int most = 0;
    size_t busiest = 0;
    for (size_t i = 0; i < periods.size(); ++i) {
        const PeriodCounts &here = periods[i];
        QList<QStandardItem *> row{textItem(periodLabel(here, period))};
        for (int type = 0; type < types; ++type) {
            sets[size_t(type)]->append(here.calls.calls[size_t(type)]);
            row << numberItem(here.calls.calls[size_t(type)]);
        }
        made.numbers->appendRow(row << numberItem(here.calls.total()));
        labels << periodLabel(here, period);
        if (here.calls.total() > most) {
            most = here.calls.total();
            busiest = i;
        }
    }
    for (QBarSet *set : sets)
        series->append(set);
    series->setBarWidth(periods.size() > 40 ? 1.0 : 0.8);
    made.chart->addSeries(series);
    attach(made.chart, series, periodAxis(labels), Qt::AlignBottom);
    attach(made.chart, series, countAxis(most), Qt::AlignLeft);
    made.description = periods.empty()
        ? made.chart->title()
        : QStringLiteral("Stacked bars of In, Out and Msg calls for each of %1 %2s from %3 to %4; the most in one "
                         "%2: %5 (%6).")
              .arg(periods.size())
              .arg(per, shownDate(periods.front().start), shownDate(periods.back().end), callsText(most),
                   periodLabel(periods[busiest], period));
    return made;
}

namespace {

Chart ranked(const std::vector<Ranked> &list, bool callers)
{
    Chart made;
    const QString what = callers ? QStringLiteral("callers") : QStringLiteral("companies");
    made.name = QStringLiteral("Top %1").arg(what);
    made.fileName = QStringLiteral("top-%1").arg(what);
    made.chart = newChart(list.empty() ? QStringLiteral("No %1 to rank").arg(what)
                                       : QStringLiteral("Top %1 %2 by number of calls").arg(list.size()).arg(what));
    made.chart->legend()->hide();
    made.numbers = callers
        ? table({QStringLiteral("Rank"), QStringLiteral("Caller"), QStringLiteral("Phone"), QStringLiteral("Calls")})
        : table({QStringLiteral("Rank"), QStringLiteral("Company"), QStringLiteral("Calls")});
    auto *set = new QBarSet(QStringLiteral("Calls"));
    set->setColor(StatisticsPalette::rankColour());
    set->setBorderColor(StatisticsPalette::rankColour());
    set->setLabelColor(Qt::black);
    QStringList categories;
    int most = 0;
    QStringList spoken;
    for (size_t i = 0; i < list.size(); ++i) {
        const Ranked &one = list[i];
        QList<QStandardItem *> row{numberItem(int(i) + 1), textItem(one.label)};
        if (callers)
            row << textItem(one.phone);
        made.numbers->appendRow(row << numberItem(one.calls));
        const bool named = callers && one.label != one.phone;
        const QString label = named ? QStringLiteral("%1 (%2)").arg(cut(one.label), one.phone) : cut(one.label);
        categories << QStringLiteral("%1. %2").arg(i + 1).arg(label);
        most = std::max(most, one.calls);
        if (i < 3)
            spoken << QStringLiteral("%1 with %2").arg(one.label, callsText(one.calls));
    }
    // The horizontal bars run from the bottom up: the first goes in last.
    for (size_t i = list.size(); i-- > 0;)
        *set << list[i].calls;
    std::reverse(categories.begin(), categories.end());
    auto *series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    made.chart->addSeries(series);
    // The names go in before the axis meets the series, which would give it numbers of its own.
    auto *names = new QBarCategoryAxis;
    names->append(categories);
    // Names are cut to MostLabelLength above; the chart would cut them to nothing at a narrow width.
    names->setTruncateLabels(false);
    attach(made.chart, series, names, Qt::AlignLeft);
    // Room to the right of the longest bar for its count.
    attach(made.chart, series, countAxis(most + std::max(1, most / 8)), Qt::AlignBottom);
    made.description = list.empty() ? made.chart->title()
                                    : QStringLiteral("Bars of the %1 %2 with the most calls, most first: %3.")
                                          .arg(list.size())
                                          .arg(what, spoken.join(QStringLiteral(", ")));
    return made;
}

} // namespace

Chart callers(const std::vector<Ranked> &list)
{
    return ranked(list, true);
}

Chart companies(const std::vector<Ranked> &list)
{
    return ranked(list, false);
}

Chart hours(const Counts &counts)
{
    Chart made;
    made.name = QStringLiteral("Weekday and hour");
    made.fileName = QStringLiteral("weekday-and-hour");
    made.chart = newChart(QStringLiteral("When calls happen: weekday and hour (darker: more calls)"));
    made.chart->legend()->hide();
    // The axes need a series to be drawn; the cells are the heat map's own.
    auto *frame = new QScatterSeries;
    made.chart->addSeries(frame);
    auto *across = new QCategoryAxis;
    across->setRange(0, 24);
    across->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    for (int hour = 0; hour < 24; ++hour)
        across->append(hourName(hour).chopped(1).toLower(), hour + 1);
    auto *down = new QCategoryAxis;
    down->setRange(0, 7);
    down->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    // Monday at the top: the categories go in from the bottom up.
    for (int day = 6; day >= 0; --day)
        down->append(weekdayName(day), 7 - day);
    attach(made.chart, frame, across, Qt::AlignBottom);
    attach(made.chart, frame, down, Qt::AlignLeft);
    new HeatMapItem(made.chart, counts.weekHours);

    QStringList headings{QStringLiteral("Day")};
    for (int hour = 0; hour < 24; ++hour)
        headings << hourName(hour);
    made.numbers = table(headings << QStringLiteral("Total"));
    int most = 0;
    QString busiest;
    for (int day = 0; day < 7; ++day) {
        QList<QStandardItem *> row{textItem(weekdayName(day))};
        int total = 0;
        for (int hour = 0; hour < 24; ++hour) {
            const int calls = counts.weekHours[size_t(day)][size_t(hour)];
            row << numberItem(calls);
            total += calls;
            if (calls > most) {
                most = calls;
                busiest = QStringLiteral("%1 %2").arg(weekdayName(day), hourName(hour));
            }
        }
        made.numbers->appendRow(row << numberItem(total));
    }
    made.description = QStringLiteral("A grid of the %1 with a date and time, by weekday and hour of the day.")
                           .arg(callsText(counts.inWeekHours));
    if (most > 0)
        made.description += QStringLiteral(" The busiest hour: %1 (%2).").arg(busiest, callsText(most));
    return made;
}

Chart callBacks(const std::vector<CallBackPoint> &points, Period period, const QString &problem)
{
    Chart made;
    const QString per = periodName(period);
    made.name = QStringLiteral("Call-backs");
    made.fileName = QStringLiteral("call-backs-per-%1").arg(per);
    QString title = QStringLiteral("Call-backs open and overdue at the end of each %1").arg(per);
    if (!problem.isEmpty())
        title = QStringLiteral("Call-backs could not be read: %1").arg(problem);
    else if (points.empty())
        title = QStringLiteral("No call-backs");
    made.chart = newChart(title);
    made.numbers = table({periodHeading(period, true), QStringLiteral("Open"), QStringLiteral("Overdue")});
    auto *open = new QLineSeries;
    open->setName(QStringLiteral("Open"));
    open->setPen(QPen(StatisticsPalette::openColour(), 2));
    auto *overdue = new QLineSeries;
    overdue->setName(QStringLiteral("Overdue"));
    overdue->setPen(QPen(StatisticsPalette::overdueColour(), 2, Qt::DashLine));
    QStringList labels;
    int most = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const CallBackPoint &point = points[i];
        open->append(qreal(i), point.open);
        overdue->append(qreal(i), point.overdue);
        PeriodCounts shown;
        shown.start = point.start;
        shown.end = point.end;
        const QString label = period == Period::Week ? shownDate(point.end) : periodLabel(shown, period);
        labels << label;
        made.numbers->appendRow({textItem(label), numberItem(point.open), numberItem(point.overdue)});
        most = std::max(most, point.open);
    }
    for (QLineSeries *series : {open, overdue}) {
        series->setPointsVisible(points.size() <= 60);
        made.chart->addSeries(series);
    }
    attach(made.chart, open, periodAxis(labels), Qt::AlignBottom);
    overdue->attachAxis(made.chart->axes(Qt::Horizontal).constFirst());
    attach(made.chart, open, countAxis(most), Qt::AlignLeft);
    overdue->attachAxis(made.chart->axes(Qt::Vertical).constFirst());
    made.description = points.empty() ? title
                                      : QStringLiteral("Two lines over %1 %2s: the call-backs open (solid) and "
                                                       "overdue (dashed) at the end of each; now %3 open, %4 overdue.")
                                            .arg(points.size())
                                            .arg(per)
                                            .arg(points.back().open)
                                            .arg(points.back().overdue);
    return made;
}

} // namespace StatisticsCharts
