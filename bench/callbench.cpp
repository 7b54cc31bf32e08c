// Times the log-entry window's commands with the real code and real windows
// on logs of 1,000, 10,000 and 100,000 records, against a floor: reading the
// data file and computing every record's SHA-256 with the same library, on
// one core and on every core. The commands hash on every core, or on N
// threads when --threads N is given; their ratio is to the floor on one core,
// which they beat by sharing the work. --whole-log times only the commands
// that read the whole log, --only export|report|review one of them.
//
//   QT_QPA_PLATFORM=offscreen build/bin/callbench [--threads N] [--whole-log | --only NAME] [record counts...]

#include "Printprefiewform.h"
#include "Stringgridreview.h"
#include "VorlenMainFile.h"
#include "backup.h"
#include "callbackswindow.h"
#include "callentry.h"
#include "callerline.h"
#include "companionstore.h"
#include "csvexport.h"
#include "csvimport.h"
#include "datafile.h"
#include "desktop.h"
#include "entryrules.h"
#include "recordtablemodel.h"
#include "reviewfiltermodel.h"
#include "scanprogress.h"
#include "statisticswindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 5;

CallRecord sampleRecord(int n)
{
    static const char *const names[] = {"Ann Lee", "Bob Marsh", "Carla Diaz-Ortega", "D. Okafor", "Evelyn Chan"};
    static const char *const companies[] = {"Acme", "Northwind Traders", "", "City Hospital Switchboard", "Self"};
    CallRecord record;
    record.setText(CallRecord::Type, QString(QChar(letterOf(CallType(n % 3)))));
    record.setText(CallRecord::RecordNumber, QString::number(n));
    record.setText(
        CallRecord::Date,
        QStringLiteral("%1/%2/2026").arg(1 + n % 12, 2, 10, QLatin1Char('0')).arg(1 + n % 28, 2, 10, QLatin1Char('0')));
    record.setText(
        CallRecord::Time,
        QStringLiteral("%1:%2PM").arg(1 + n % 12, 2, 10, QLatin1Char('0')).arg(n % 60, 2, 10, QLatin1Char('0')));
    record.setText(CallRecord::Phone, QStringLiteral("800-555-%1").arg(n % 10000, 4, 10, QLatin1Char('0')));
    record.setText(CallRecord::Name, QString::fromLatin1(names[n % 5]));
    record.setText(CallRecord::Company, QString::fromLatin1(companies[n % 5]));
    record.setText(CallRecord::Notes, QStringLiteral("Call %1: asked about the invoice, call back on Monday").arg(n));
    setStatus(record, RecordStatus::Original);
    record.setText(CallRecord::SavedAt, QString::number(1767225600 + n * 60));
    record.setText(CallRecord::Spare1, QStringLiteral("1001"));
    record.setText(CallRecord::Spare2, QStringLiteral("1002"));
    record.setText(CallRecord::Hash, record.computeHash());
    return record;
}

void writeLog(const QString &path, int count)
{
    std::vector<CallRecord> records;
    records.reserve(size_t(count));
    for (int n = 1; n <= count; ++n)
        records.push_back(sampleRecord(n));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(records.data()), qint64(records.size()) * RecordSize)
            != qint64(records.size()) * RecordSize)
        qFatal("cannot write %s", qPrintable(path));
}

// `wanted` call-backs spread over the log's calls, in a store made afresh.
void addCallBacks(const QString &dataFile, int records, int wanted)
{
    QFile::remove(CompanionStore::pathFor(dataFile));
    CompanionStore store;
    store.open(dataFile);
    const int step = std::max(1, records / wanted);
    for (int i = 0; i < wanted && i * step < records; ++i) {
        const int n = 1 + i * step;
        if (store.setCallBack({n, 1767225600 + n * 60}, 1772000000 + i * 3600, QStringLiteral("call back"))
            != CompanionStore::Result::Done)
            qFatal("call-backs: %s", qPrintable(store.problem()));
    }
}

// Peak resident memory since the last reset, in MiB (Linux).
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

struct Measure
{
    double medianMs = 0;
    double peakMiB = 0;
};

// Runs `prepare` untimed, then `operation` timed, Runs times.
Measure measure(const std::function<void()> &prepare, const std::function<void()> &operation)
{
    std::vector<double> times;
    double peak = 0;
    for (int i = 0; i < Runs; ++i) {
        if (prepare)
            prepare();
        QCoreApplication::processEvents();
        resetPeakMemory();
        QElapsedTimer timer;
        timer.start();
        operation();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        peak = std::max(peak, peakMemoryMiB());
        QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], peak};
}

void fillEntry(TMainForm &window, const QString &notes)
{
    window.EditDate->setText(QStringLiteral("03/07/2026"));
    window.EditTime->setText(QStringLiteral(" 3:25PM"));
    window.EditPhone->setText(QStringLiteral("800-555-1234"));
    window.EditName->setText(QStringLiteral("Bench Caller"));
    window.EditCompany->setText(QStringLiteral("Bench Company"));
    window.Memo1->setPlainText(notes);
}

// The floor: the log read in large blocks and every record hashed on
// `threads` threads, nothing else.
void readAndHash(const QString &path, int threads)
{
    DataFile::LogReader reader(path);
    qint64 failing = 0;
    if (!reader.open()
        || !reader.forEachBlock(
            [&](const CallRecord *records, qint64, qint64 n) {
                failing += qint64(DataFile::failingRecords(records, n, threads).size());
                return true;
            },
            16384))
        qFatal("floor: cannot read %s", qPrintable(path));
    if (failing != 0)
        qFatal("floor: %lld records fail", failing);
}

// Operations that read the whole log are compared with the floor; the others
// touch one record and have none.
void printRow(const char *operation, int records, const Measure &m, double floorMs)
{
    if (floorMs > 0)
        std::printf("| %-22s | %7d | %10.1f | %8.1f | %6.1f | %9.0f |\n", operation, records, m.medianMs, floorMs,
                    m.medianMs / floorMs, m.peakMiB);
    else
        std::printf("| %-22s | %7d | %10.1f | %8s | %6s | %9.0f |\n", operation, records, m.medianMs, "-", "-",
                    m.peakMiB);
    std::fflush(stdout);
}

// The caller's history: leaving the phone field with a number that has
// earlier calls, and the line shown. Then the call-backs window over 1,000
// call-backs, read with their calls from the log.
void benchCallBacks(TMainForm &window, const QString &dataFile, int count)
{
    addCallBacks(dataFile, count, 1000);
    window.refreshCallBackCounts();
    QApplication::setActiveWindow(&window);
    const Measure history = measure(
        [&] {
            window.ClearCurrent1Click();
            window.EditPhone->setFocus(Qt::TabFocusReason);
            window.EditPhone->setText(QStringLiteral("8005551234"));
        },
        [&] {
            window.EditName->setFocus(Qt::TabFocusReason);
            window.LineCallerHistory->repaint();
        });
    if (window.LineCallerHistory->history().isEmpty())
        qFatal("history: no line shown");
    printRow("caller history", count, history, 0);
    const Measure callBacks = measure(nullptr, [&] {
        TFormCallBackList list(window.log(), window.desktop(), &window);
        list.show();
        list.repaint();
        list.close();
    });
    printRow("call-backs window", count, callBacks, 0);

    // The statistics window once the log is read: counted, charted and drawn.
    RecordTableModel records;
    scanLogInto(nullptr, dataFile, DataFile::ScanMode::Unchecked, records, false);
    const Measure statistics = measure(nullptr, [&] {
        StatisticsWindow shown(window.log(), window.desktop(), records, nullptr, &window);
        shown.show();
        shown.repaint();
        shown.close();
    });
    printRow("statistics", count, statistics, 0);
}

// The commands that read the whole log, against the floor.
// `only` names one of them, or is empty for all.
void measureWholeLog(TMainForm &window, int count, double floorMs, const std::string &only = {})
{
    if (only.empty() || only == "export") {
        const Measure exported = measure(nullptr, [&] { window.ExportFile1Click(); });
        printRow("export", count, exported, floorMs);
    }
    if (only.empty() || only == "report") {
        const Measure report = measure(nullptr, [&] {
            TPrintPreviewForm preview(window.log(), window.desktop(), &window);
            preview.show();
            preview.close();
        });
        printRow("full report", count, report, floorMs);
    }
    if (only.empty() || only == "review") {
        const Measure review = measure(nullptr, [&] {
            TFormRecordReview grid(window.log(), window.desktop(), &window);
            grid.show();
            grid.close();
        });
        printRow("review grid", count, review, floorMs);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::vector<int> counts;
    const int cores = qMax(1, QThread::idealThreadCount());
    int threads = cores;
    bool longOnly = false;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc)
            threads = qMax(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--whole-log") == 0)
            longOnly = true;
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            longOnly = true, only = argv[++i];
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty())
        counts = {1000, 10000, 100000};
    DataFile::setHashThreads(threads);
    std::printf("Commands hash on %d thread(s); this machine has %d core(s).\n\n", threads, cores);

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString dataFile = dir.filePath(QStringLiteral("VNData.dta"));

    std::printf("| %-22s | %7s | %10s | %8s | %6s | %9s |\n", "operation", "records", "median ms", "floor ms", "ratio",
                "peak MiB");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", "------------------------", "---------", "------------", "----------",
                "--------", "-----------");

    for (int count : counts) {
        writeLog(dataFile, count);

        const Measure floorOne = measure(nullptr, [&] { readAndHash(dataFile, 1); });
        printRow("floor, 1 core", count, floorOne, floorOne.medianMs);
        const Measure floorAll = measure(nullptr, [&] { readAndHash(dataFile, cores); });
        printRow(qPrintable(QStringLiteral("floor, %1 cores").arg(cores)), count, floorAll, floorOne.medianMs);
        const Measure floor = threads == 1 ? floorOne
            : threads == cores             ? floorAll
                                           : measure(nullptr, [&] { readAndHash(dataFile, threads); });
        if (threads != 1 && threads != cores)
            printRow(qPrintable(QStringLiteral("floor, %1 threads").arg(threads)), count, floor, floorOne.medianMs);

        std::unique_ptr<TMainForm> window;
        if (longOnly) {
            window = std::make_unique<TMainForm>();
            window->show();
            measureWholeLog(*window, count, floorOne.medianMs, only);
            continue;
        }
        const Measure startup = measure([&] { window.reset(); }, [&] { window = std::make_unique<TMainForm>(); });
        printRow("start-up", count, startup, 0);
        window->show();

        const Measure saveNew =
            measure([&] { fillEntry(*window, QStringLiteral("new")); }, [&] { window->SaveCurrent1Click(); });
        printRow("save new, journal", count, saveNew, 0);

        const Measure select = measure(
            [&] {
                window->Read1Click();
                window->SpinEditSelect->setValue(count / 2);
            },
            [&] { window->ButtonSelectClick(); });
        printRow("select", count, select, 0);

        const Measure saveEdit = measure(
            [&] {
                window->Read1Click();
                window->SpinEditSelect->setValue(count / 2);
                window->ButtonSelectClick();
                window->Memo1->setPlainText(QStringLiteral("edited"));
            },
            [&] { window->SaveCurrent1Click(); });
        printRow("save edit, journal", count, saveEdit, 0);

        measureWholeLog(*window, count, floorOne.medianMs);

        // Finding calls: a keystroke in the search box (filter applied, the
        // grid repainted), the first one also preparing the search texts.
        std::unique_ptr<TFormRecordReview> grid;
        const Measure firstKey = measure(
            [&] {
                grid = std::make_unique<TFormRecordReview>(window->log(), window->desktop(), window.get());
                grid->show();
            },
            [&] {
                grid->EditSearch->insert(QStringLiteral("c"));
                grid->DataGrid->viewport()->repaint();
            });
        printRow("search: first key", count, firstKey, floorOne.medianMs);
        const Measure key = measure([&] { grid->EditSearch->setText(QStringLiteral("ca")); },
                                    [&] {
                                        grid->EditSearch->insert(QStringLiteral("r"));
                                        grid->DataGrid->viewport()->repaint();
                                    });
        printRow("search: keystroke", count, key, floorOne.medianMs);
        grid->EditSearch->clear();
        for (const auto &[name, column] : {std::pair<const char *, int>{"sort by date", 3}, {"sort by name", 6}}) {
            const Measure sorted = measure(nullptr, [&, column = column] {
                grid->model()->sort(column, Qt::AscendingOrder);
                grid->DataGrid->viewport()->repaint();
            });
            printRow(name, count, sorted, floorOne.medianMs);
        }
        grid.reset();

        const Measure names = measure(nullptr, [&] { window->loadCallerNames(); });
        printRow("caller names", count, names, floorOne.medianMs);
        window->desktop().chooseFile = [&dir](QWidget *, const Desktop::FileChoice &) {
            return dir.filePath(QStringLiteral("VNExport.csv"));
        };
        const Measure csv = measure(nullptr, [&] { window->ExportCsv1Click(); });
        printRow("CSV export", count, csv, floorOne.medianMs);

        benchCallBacks(*window, dataFile, count);
        window.reset();

        // A verified backup: compressed, synced, read back, compared, every record checked.
        const QString backups = dir.filePath(QStringLiteral("Backups"));
        const Measure backup = measure([&] { QDir(backups).removeRecursively(); },
                                       [&] {
                                           const Backup::Outcome made =
                                               Backup::makeBackup(dataFile, backups, QDateTime::currentDateTime());
                                           if (!made.ok)
                                               qFatal("backup: %s", qPrintable(made.error));
                                       });
        printRow("backup", count, backup, floorOne.medianMs);

        // The CSV export read back: parsed, every row through the entry rules, appended in one step.
        const QString imported = dir.filePath(QStringLiteral("Imported.dta"));
        const Measure import =
            measure([&] { QFile::remove(imported); },
                    [&] {
                        const CsvImport::Source source = CsvImport::read(dir.filePath(QStringLiteral("VNExport.csv")));
                        const QDateTime now = QDateTime::currentDateTime();
                        const CsvImport::Preview preview =
                            CsvImport::preview(source, source.columns, Configuration(), now);
                        if (!preview.refused.empty() || !CsvImport::commit(imported, preview.accepted, now).ok())
                            qFatal("import: a row was refused or the commit failed");
                    });
        printRow("import", count, import, floorOne.medianMs);
    }
    return 0;
}
