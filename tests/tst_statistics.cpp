// The statistics window as a person meets it: Records > Statistics over a log
// of two years of calls, Statistics in the review over the rows its search and
// filters leave, records whose date or time cannot be read, and a chart taken
// away as a picture, a drawing or a printed page. Every number the window
// shows is compared with a count made here from the records as written.

#include "Stringgridreview.h"
#include "callsearch.h"
#include "callstatistics.h"
#include "chartpane.h"
#include "mainwindowfixture.h"
#include "statisticswindow.h"
#include "testdesktop.h"

#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTableView>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QTabWidget>

#include <algorithm>
#include <numeric>
#include <map>

using namespace Qt::StringLiterals;
using F = MainWindowFixture;
using namespace CallStatistics;

namespace {

// What the test wrote, to count again by itself.
struct Call
{
    int number = 0;
    QString type; // "I", "O", "M"
    QDate date; // invalid where the stored date cannot be read
    int hour = -1; // -1 where the stored time cannot be read
    QString phone;
    QString company;
};

QString storedTime(int hour, int minute)
{
    const int onClock = hour % 12 == 0 ? 12 : hour % 12;
    return u"%1:%2%3"_s.arg(onClock, 2, 10, QLatin1Char(' '))
        .arg(minute, 2, 10, QLatin1Char('0'))
        .arg(hour < 12 ? "AM"_L1 : "PM"_L1);
}

void writeSettings(const F &f)
{
    QVERIFY(TestRecords::writeAll(f.path(u"VNConfig.cfg"_s), "VNData.dta\n-\n###\n###\nArial\n0\n10\n"_ba + '\0'));
}

// `count` calls over 2024 and 2025 with a weekly rhythm: most on weekdays in
// working hours, from 120 numbers of which the first call far more often,
// each number belonging to one of 30 companies.
QList<Call> writeTwoYears(const F &f, int count)
{
    QRandomGenerator random(20240101);
    const QDate first(2024, 1, 1);
    const int days = int(first.daysTo(QDate(2025, 12, 31))) + 1;
    QList<Call> calls;
    std::vector<CallRecord> records;
    while (int(records.size()) < count) {
        const QDate date = first.addDays(random.bounded(days));
        const bool weekend = date.dayOfWeek() > 5;
        if (weekend && random.bounded(4) != 0)
            continue;
        Call call;
        call.number = int(records.size()) + 1;
        call.type = QStringList{u"I"_s, u"O"_s, u"M"_s}.at(random.bounded(3));
        call.date = date;
        call.hour = random.bounded(5) == 0 ? random.bounded(24) : 8 + random.bounded(10);
        const int caller = random.bounded(3) == 0 ? random.bounded(12) : random.bounded(120);
        call.phone = u"555-%1-%2"_s.arg(100 + caller).arg(1000 + caller * 7);
        call.company = u"Co%1x Ltd"_s.arg(caller % 30);
        TestRecords::Entry entry;
        entry.type = call.type;
        entry.date = date.toString(u"MM/dd/yyyy"_s);
        entry.time = storedTime(call.hour, random.bounded(60));
        entry.phone = call.phone;
        entry.name = u"Caller %1"_s.arg(caller);
        entry.company = call.company;
        entry.notes = u"about the order"_s;
        entry.savedAt = QString::number(1704100000 + call.number * 60);
        records.push_back(TestRecords::make(call.number, entry));
        calls << call;
    }
    [&] { QCOMPARE(DataFile::storeMany(f.dataFile(), records), DataFile::WriteResult::Written); }();
    return calls;
}

// A table's cells, headings first.
QList<QStringList> cells(const ChartPane *pane)
{
    const QStandardItemModel *model = pane->numbers();
    QList<QStringList> rows;
    QStringList row;
    for (int column = 0; column < model->columnCount(); ++column)
        row << model->headerData(column, Qt::Horizontal).toString();
    rows << row;
    for (int r = 0; r < model->rowCount(); ++r) {
        row.clear();
        for (int column = 0; column < model->columnCount(); ++column)
            row << model->index(r, column).data().toString();
        rows << row;
    }
    return rows;
}

int typeColumn(const QString &type)
{
    return type == "I"_L1 ? 1 : type == "O"_L1 ? 2 : 3;
}

// Month rows as the window writes them: "MM/yyyy", In, Out, Msg, Total.
QList<QStringList> monthsOf(const QList<Call> &calls)
{
    std::map<QDate, std::array<int, 4>> months;
    for (const Call &call : calls) {
        if (!call.date.isValid())
            continue;
        std::array<int, 4> &month = months[QDate(call.date.year(), call.date.month(), 1)];
        ++month[size_t(typeColumn(call.type) - 1)];
        ++month[3];
    }
    QList<QStringList> rows{{u"Month"_s, u"In"_s, u"Out"_s, u"Msg"_s, u"Total"_s}};
    // Months without a call between the first and the last are rows of zeros.
    for (QDate month = months.begin()->first; month <= months.rbegin()->first; month = month.addMonths(1)) {
        const std::array<int, 4> n = months.count(month) ? months[month] : std::array<int, 4>{};
        rows << QStringList{month.toString(u"MM/yyyy"_s), QString::number(n[0]), QString::number(n[1]),
                            QString::number(n[2]), QString::number(n[3])};
    }
    return rows;
}

// The callers' counts by phone digits, and the companies' by name.
std::map<QString, int> perPhone(const QList<Call> &calls)
{
    std::map<QString, int> counted;
    for (const Call &call : calls)
        ++counted[CallSearch::phoneDigits(call.phone)];
    return counted;
}

std::map<QString, int> perCompany(const QList<Call> &calls)
{
    std::map<QString, int> counted;
    for (const Call &call : calls)
        ++counted[call.company];
    return counted;
}

// The ten largest counts, largest first.
QList<int> topTen(const std::map<QString, int> &counted)
{
    QList<int> counts;
    for (const auto &[key, n] : counted)
        counts << n;
    std::sort(counts.begin(), counts.end(), std::greater<int>());
    return counts.mid(0, 10);
}

QList<int> column(const QList<QStringList> &rows, int at)
{
    QList<int> numbers;
    for (const QStringList &row : rows.mid(1))
        numbers << row.at(at).toInt();
    return numbers;
}

// The statistics window the next modal opening shows, kept open long enough
// for `look` to read it.
void onStatistics(TestDesktop &desktop, const std::function<void(StatisticsWindow &)> &look)
{
    desktop.answerDialog = [&desktop, look](QDialog *dialog) {
        if (auto *window = qobject_cast<StatisticsWindow *>(dialog)) {
            desktop.answerDialog = nullptr;
            look(*window);
        }
        return false;
    };
}

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void menuItemFollowsTheFixedOnes();
    void chartsCountEveryCallOfTheLog();
    void reviewFilterNarrowsTheCharts();
    void unreadableDatesAndTimesAreNamed();
    void callBacksOverTime_data();
    void callBacksOverTime();
    void callBacksOfTheLogAreCharted();
    void chartIsSaved_data();
    void chartIsSaved();
    void pageIsPrintedAsPdfWithoutPrinter();
    void chartIsCopiedWithItsNumbers();
    void emptyLogHasNothingToCount();
    void longLogIsDrawnPerMonth();
};

// Statistics sits in the additions after the fixed Records items, which keep their places.
void TestStatistics::menuItemFollowsTheFixedOnes()
{
    F f;
    writeSettings(f);
    TMainForm *w = f.open();
    const QList<QAction *> items = w->findChild<QMenu *>(u"Records1"_s)->actions();
    QStringList names;
    for (const QAction *item : items)
        names << (item->isSeparator() ? u"-"_s : item->objectName());
    QCOMPARE(names.mid(0, 6), QStringList({"ClearCurrent1", "SaveCurrent1", "PrintCurrent", "Read1", "Review1", "-"}));
    QVERIFY2(names.indexOf("Statistics1"_L1) > 5, qPrintable(names.join(u' ')));
    QVERIFY(w->Statistics1->isEnabled());
}

// Records > Statistics over 5,000 calls of two years: every table holds what a
// count of the written records gives, and the charts show the weekly rhythm.
void TestStatistics::chartsCountEveryCallOfTheLog()
{
    F f;
    writeSettings(f);
    const QList<Call> calls = writeTwoYears(f, 5000);
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        QCOMPARE(window.LabelScope->text(), u"All 5,000 calls in the log"_s);
        QVERIFY2(window.LabelSummary->text().startsWith("5,000 calls from "_L1), qPrintable(window.LabelSummary->text()));
        QVERIFY(window.LabelUnreadable->isHidden());

        window.ComboPeriod->setCurrentIndex(window.ComboPeriod->findText(u"Per month"_s));
        QCOMPARE(cells(window.PaneCalls), monthsOf(calls));
        QCOMPARE(window.PaneCalls->numbers()->rowCount(), 24);
        window.ComboPeriod->setCurrentIndex(window.ComboPeriod->findText(u"Per week"_s));
        const QList<QStringList> weeks = cells(window.PaneCalls);
        QCOMPARE(weeks.first().first(), u"Week beginning"_s);
        const QList<int> weekTotals = column(weeks, 4);
        QCOMPARE(std::accumulate(weekTotals.begin(), weekTotals.end(), 0), 5000);
        QCOMPARE(weeks.at(1).first(), u"01/01/2024"_s); // a Monday

        std::array<std::array<int, 24>, 7> grid{};
        for (const Call &call : calls)
            ++grid[size_t(call.date.dayOfWeek() - 1)][size_t(call.hour)];
        const QList<QStringList> hours = cells(window.PaneHours);
        QCOMPARE(hours.size(), 8);
        QCOMPARE(hours.first().at(1), u"12AM"_s);
        QCOMPARE(hours.first().at(24), u"11PM"_s);
        for (int day = 0; day < 7; ++day) {
            QCOMPARE(hours.at(day + 1).first(), QLocale::c().dayName(day + 1, QLocale::ShortFormat));
            for (int hour = 0; hour < 24; ++hour)
                QCOMPARE(hours.at(day + 1).at(hour + 1).toInt(), grid[size_t(day)][size_t(hour)]);
        }
        // The rhythm: a working day has more calls than a Sunday.
        QVERIFY(hours.at(3).last().toInt() > 2 * hours.at(7).last().toInt());

        const std::map<QString, int> phones = perPhone(calls);
        const QList<QStringList> callers = cells(window.PaneCallers);
        QCOMPARE(callers.first(), QStringList({"Rank", "Caller", "Phone", "Calls"}));
        QCOMPARE(column(callers, 3), topTen(phones));
        for (const QStringList &row : callers.mid(1)) {
            QCOMPARE(row.at(3).toInt(), phones.at(CallSearch::phoneDigits(row.at(2))));
            QVERIFY(row.at(1).startsWith("Caller "_L1));
        }
        // The bars are named by rank, the first at the top, one name per bar.
        auto *names = qobject_cast<QBarCategoryAxis *>(window.PaneCallers->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(names);
        QStringList expectedNames;
        for (const QStringList &row : callers.mid(1))
            expectedNames.prepend(u"%1. %2 (%3)"_s.arg(row.at(0), row.at(1), row.at(2)));
        QCOMPARE(names->categories(), expectedNames);
        const std::map<QString, int> companies = perCompany(calls);
        const QList<QStringList> ranked = cells(window.PaneCompanies);
        QCOMPARE(column(ranked, 2), topTen(companies));
        for (const QStringList &row : ranked.mid(1))
            QCOMPARE(row.at(2).toInt(), companies.at(row.at(1)));

        // Each chart names itself and what it shows to a screen reader.
        for (const ChartPane *pane : window.panes()) {
            QVERIFY(!pane->Table->accessibleName().isEmpty());
            QVERIFY2(!pane->ChartView->accessibleDescription().isEmpty(), qPrintable(pane->name()));
        }
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
}

// Statistics in the review counts the rows its search and type leave, and says so.
void TestStatistics::reviewFilterNarrowsTheCharts()
{
    F f;
    writeSettings(f);
    const QList<Call> calls = writeTwoYears(f, 5000);
    TMainForm *w = f.open();
    TFormRecordReview review(w->log(), f.desktop, w);
    review.show();
    review.EditSearch->setText(u"Co7x"_s);
    review.ComboType->setCurrentIndex(review.ComboType->findText(u"Out"_s));
    QList<Call> left;
    for (const Call &call : calls) {
        if (call.company == "Co7x Ltd"_L1 && call.type == "O"_L1)
            left << call;
    }
    QVERIFY(left.size() > 20);
    QCOMPARE(review.model()->rowCount(), left.size());

    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        QCOMPARE(window.LabelScope->text(), u"%1 of 5,000 calls: search \"Co7x\", type Out"_s.arg(left.size()));
        QCOMPARE(window.counts().calls, int(left.size()));
        window.ComboPeriod->setCurrentIndex(window.ComboPeriod->findText(u"Per month"_s));
        QList<QStringList> months = cells(window.PaneCalls);
        QList<QStringList> expected = monthsOf(left);
        QCOMPARE(months, expected);
        QCOMPARE(cells(window.PaneCompanies), QList<QStringList>({{"Rank", "Company", "Calls"},
                                                                   {"1", "Co7x Ltd", QString::number(left.size())}}));
        QCOMPARE(column(cells(window.PaneCallers), 3), topTen(perPhone(left)));
    });
    review.ButtonStatistics->click();
    QVERIFY(seen);
}

// A date or time that cannot be read keeps its call in the totals and is named by record.
void TestStatistics::unreadableDatesAndTimesAreNamed()
{
    F f;
    writeSettings(f);
    QList<TestRecords::Entry> entries;
    for (int n = 1; n <= 20; ++n) {
        TestRecords::Entry entry;
        entry.savedAt = QString::number(1718357400 + n);
        if (n == 4 || n == 9)
            entry.date = u"12/25/202"_s;
        if (n == 12)
            entry.date = u"02/30/2024"_s;
        if (n == 9 || n == 15)
            entry.time = u"noonish"_s;
        if (n == 17)
            entry.time = u"00:05AM"_s; // "0005" as the entry rules keep it
        entries << entry;
    }
    TestRecords::appendEntries(f.dataFile(), entries);
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        QVERIFY(window.LabelUnreadable->isVisibleTo(&window));
        QCOMPARE(window.LabelUnreadable->text(),
                 u"3 calls with dates that could not be read: records 4, 9, 12 (counted in the totals, not by "
                 "date)\n2 calls with times that could not be read: records 9, 15 (not in the weekday and hour "
                 "grid)"_s);
        QVERIFY2(window.LabelSummary->text().startsWith("20 calls"_L1), qPrintable(window.LabelSummary->text()));
        const QList<int> totals = column(cells(window.PaneCalls), 4);
        QCOMPARE(std::accumulate(totals.begin(), totals.end(), 0), 17);
        QCOMPARE(window.counts().inWeekHours, 16);
        // 14 June 2024 is a Friday: record 17 in its first hour, the others at 9 in the morning.
        const QList<QStringList> hours = cells(window.PaneHours);
        QCOMPARE(hours.at(5).at(1), u"1"_s);
        QCOMPARE(hours.at(5).at(10), u"15"_s);
        QCOMPARE(column(cells(window.PaneCallers), 3), QList<int>{20});
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
}

void TestStatistics::callBacksOverTime_data()
{
    // Each call-back: made, due and done (0: not done) as days after Monday 5 January 2026.
    QTest::addColumn<QList<QList<int>>>("callBacks");
    QTest::addColumn<int>("today"); // days after that Monday
    QTest::addColumn<QList<int>>("open"); // at each week's end
    QTest::addColumn<QList<int>>("overdue");
    QTest::newRow("none") << QList<QList<int>>{} << 10 << QList<int>{} << QList<int>{};
    QTest::newRow("open, falls due in week two")
        << QList<QList<int>>{{1, 9, 0}} << 20 << QList<int>{1, 1, 1} << QList<int>{0, 1, 1};
    QTest::newRow("done before it fell due") << QList<QList<int>>{{1, 9, 3}} << 9 << QList<int>{0, 0} << QList<int>{0, 0};
    QTest::newRow("done late") << QList<QList<int>>{{0, 2, 15}} << 16 << QList<int>{1, 1, 0} << QList<int>{1, 1, 0};
    QTest::newRow("the running week counts up to now")
        << QList<QList<int>>{{0, 1, 0}, {8, 12, 0}} << 9 << QList<int>{1, 2} << QList<int>{1, 1};
}

void TestStatistics::callBacksOverTime()
{
    QFETCH(QList<QList<int>>, callBacks);
    QFETCH(int, today);
    QFETCH(QList<int>, open);
    QFETCH(QList<int>, overdue);
    const QDateTime monday(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC);
    const auto at = [&monday](int days) { return monday.addDays(days).toSecsSinceEpoch(); };
    std::vector<CallBack> made;
    for (const QList<int> &one : callBacks) {
        CallBack callBack;
        callBack.key = {int(made.size()) + 1, 1767600000 + qint64(made.size())};
        callBack.createdAt = at(one[0]);
        callBack.dueAt = at(one[1]);
        if (one[2])
            callBack.doneAt = at(one[2]);
        made.push_back(callBack);
    }
    const std::vector<CallBackPoint> points = CallStatistics::callBacksOverTime(made, Period::Week, monday.addDays(today));
    QList<int> openSeen;
    QList<int> overdueSeen;
    for (const CallBackPoint &point : points) {
        QCOMPARE(point.start.dayOfWeek(), 1);
        openSeen << point.open;
        overdueSeen << point.overdue;
    }
    QCOMPARE(openSeen, open);
    QCOMPARE(overdueSeen, overdue);
    // Only the call-backs of the records counted.
    const std::vector<int> none{99};
    for (const CallBackPoint &point : CallStatistics::callBacksOverTime(made, Period::Week, monday.addDays(today), &none))
        QCOMPARE(point.open, 0);
}

// The call-backs in the log's store reach the chart: the last row is now.
void TestStatistics::callBacksOfTheLogAreCharted()
{
    F f;
    writeSettings(f);
    writeTwoYears(f, 40);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    {
        CompanionStore store;
        QCOMPARE(store.open(f.dataFile()), CompanionStore::State::Absent);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(store.setCallBack({n, 1704100000 + n * 60}, now + (2 * n - 3) * 86400, u"quote"_s),
                     CompanionStore::Result::Done);
        QCOMPARE(store.markDone({3, 1704100000 + 180}, now), CompanionStore::Result::Done);
    }
    // The desktop's clock an hour after the call-backs were set: the first is
    // overdue, the second open, the third done.
    f.desktop.now = [] { return QDateTime::currentDateTimeUtc().addSecs(3600); };
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        const QList<QStringList> rows = cells(window.PaneCallBacks);
        QCOMPARE(rows.first(), QStringList({"Week ending", "Open", "Overdue"}));
        QCOMPARE(rows.last().mid(1), QStringList({"2", "1"}));
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
}

void TestStatistics::chartIsSaved_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written"); // the file that must exist after, "" for none
    QTest::addColumn<QString>("message");
    QTest::newRow("PNG") << "top.png" << "top.png" << "Top callers saved as top.png";
    QTest::newRow("SVG") << "top.svg" << "top.svg" << "Top callers saved as top.svg";
    QTest::newRow("no suffix: PNG") << "top" << "top.png" << "Top callers saved as top.png";
    QTest::newRow("another kind of file") << "top.txt" << ""
                                          << "Chart NOT saved: top.txt: choose a name that ends in .png or .svg";
    QTest::newRow("folder that is not there") << "gone/top.png" << "" << "Chart NOT saved: ";
    QTest::newRow("cancelled") << "" << "" << "";
}

// Save chart writes the chart shown as a picture an image reader opens, or an SVG drawing.
void TestStatistics::chartIsSaved()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, message);
    F f;
    writeSettings(f);
    writeTwoYears(f, 300);
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        window.Tabs->setCurrentWidget(window.PaneCallers);
        f.desktop.nextFile = chosen.isEmpty() ? QString() : f.path(chosen);
        window.ButtonSave->click();
        const QString said = window.LabelMessage->text();
        QVERIFY2(message.isEmpty() ? said.isEmpty() : said.startsWith(message), qPrintable(said));
        QCOMPARE(QDir(f.dir.path()).entryList({"top*"}, QDir::Files), written.isEmpty() ? QStringList() : QStringList(written));
        if (written.endsWith(".png"_L1)) {
            const QImage image(f.path(written));
            QVERIFY(!image.isNull());
            QVERIFY(image.width() >= 300 && image.height() >= 150);
            // Drawn, not blank: the bars' colour is in it.
            bool coloured = false;
            for (int y = 0; y < image.height() && !coloured; y += 2) {
                for (int x = 0; x < image.width() && !coloured; x += 2)
                    coloured = image.pixelColor(x, y) == QColor(0xCC, 0x79, 0xA7);
            }
            QVERIFY(coloured);
        } else if (written.endsWith(".svg"_L1)) {
            const QByteArray drawing = TestRecords::readAll(f.path(written));
            QVERIFY(drawing.contains("<svg"));
            QVERIFY(drawing.contains("<title>Top callers</title>"));
        }
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
}

// With no printer the page goes into a PDF in the working folder, as the reports do.
void TestStatistics::pageIsPrintedAsPdfWithoutPrinter()
{
    F f;
    writeSettings(f);
    writeTwoYears(f, 200);
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        window.ButtonPrint->click();
        QVERIFY2(window.LabelMessage->text().startsWith("Saved as "_L1), qPrintable(window.LabelMessage->text()));
        const QByteArray pdf = TestRecords::readAll(f.path(u"Statistics.pdf"_s));
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.size() > 10000);
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
    QVERIFY(f.desktop.dialogsSeen.contains("QMessageBox"_L1));
}

// Copy chart leaves the picture and the table's numbers on the clipboard.
void TestStatistics::chartIsCopiedWithItsNumbers()
{
    F f;
    writeSettings(f);
    const QList<Call> calls = writeTwoYears(f, 200);
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        window.Tabs->setCurrentWidget(window.PaneCompanies);
        window.ButtonCopy->click();
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied && copied->hasImage());
        QVERIFY(!qvariant_cast<QImage>(copied->imageData()).isNull());
        const QStringList lines = copied->text().split(u'\n');
        QCOMPARE(lines.at(0), u"Top companies"_s);
        QCOMPARE(lines.at(1), u"Rank\tCompany\tCalls"_s);
        const std::map<QString, int> companies = perCompany(calls);
        const QStringList first = lines.at(2).split(u'\t');
        QCOMPARE(first.at(2).toInt(), companies.at(first.at(1)));
        QCOMPARE(first.at(2).toInt(), topTen(companies).first());
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
}

// A log without calls opens the window with nothing counted and empty charts.
void TestStatistics::emptyLogHasNothingToCount()
{
    F f;
    writeSettings(f);
    QVERIFY(TestRecords::writeAll(f.dataFile(), QByteArray()));
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        QCOMPARE(window.LabelScope->text(), u"All 0 calls in the log"_s);
        QCOMPARE(window.LabelSummary->text(), u"No calls to count"_s);
        for (const ChartPane *pane : {window.PaneCalls, window.PaneCallers, window.PaneCompanies})
            QCOMPARE(pane->numbers()->rowCount(), 0);
        QCOMPARE(window.PaneHours->numbers()->rowCount(), 7);
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
}

// Calls decades apart are too many weeks to draw: they are drawn per month, and the window says so.
void TestStatistics::longLogIsDrawnPerMonth()
{
    F f;
    writeSettings(f);
    TestRecords::Entry old;
    old.date = u"01/02/1990"_s;
    TestRecords::appendEntries(f.dataFile(), {old, TestRecords::Entry()});
    TMainForm *w = f.open();
    bool seen = false;
    onStatistics(f.desktop, [&](StatisticsWindow &window) {
        seen = true;
        QCOMPARE(window.ComboPeriod->currentText(), u"Per week"_s);
        QCOMPARE(window.LabelMessage->text(), u"Too many weeks to draw: calls are shown per month"_s);
        const QList<QStringList> months = cells(window.PaneCalls);
        QCOMPARE(months.first().first(), u"Month"_s);
        QCOMPARE(months.size(), 1 + 34 * 12 + 6);
        QCOMPARE(months.at(1), QStringList({"01/1990", "1", "0", "0", "1"}));
        window.ComboPeriod->setCurrentIndex(window.ComboPeriod->findText(u"Per month"_s));
        QCOMPARE(window.LabelMessage->text(), QString());
    });
    w->Statistics1->trigger();
    QVERIFY(seen);
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
