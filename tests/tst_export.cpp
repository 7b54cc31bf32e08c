#include "mainwindowfixture.h"

#include "Stringgridreview.h"
#include "csvexport.h"
#include "datafile.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableView>

using namespace Qt::StringLiterals;
using TestRecords::appendEntries;
using TestRecords::Entry;
using TestRecords::threeEntries;
using Entries = QList<Entry>;
Q_DECLARE_METATYPE(Entry)

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void exportsEveryRecord_data();
    void exportsEveryRecord();
    void copiesAlteredRecordUnchecked();
    void staysWithinFile_data();
    void staysWithinFile();
    void replacesEarlierExport();
    void exportsLongLog();
    void reportsOpenError_data();
    void reportsOpenError();

    void csvFieldForms_data();
    void csvFieldForms();
    void csvRoundTrip();
    void csvShownRows();
    void csvFailureNamesFile_data();
    void csvFailureNamesFile();
};

namespace {

const QString ExportFile = QStringLiteral("VNExport.txt");
const QString Heading = QStringLiteral("Rec#¬Type¬Date¬Time¬Phone #¬Name¬Company¬Notes¬OK\n");

Entry entry(const QString &type, const QString &name, const QString &company, const QString &notes)
{
    Entry e;
    e.type = type;
    e.name = name;
    e.company = company;
    e.notes = notes;
    return e;
}

QString line(int number, const Entry &e, const QString &status = QStringLiteral("O"))
{
    return QStringList({QString::number(number), e.type, e.date, e.time, e.phone, e.name, e.company, e.notes, status})
               .join(QChar(0x00AC))
        + QLatin1Char('\n');
}

// An export as it must come out, from tests/data/export.
QByteArray golden(const QString &name)
{
    return TestRecords::golden(QStringLiteral("export/") + name);
}

// A small reader of comma-separated values: fields split at commas, quoted
// fields with doubled quotes and line breaks inside, rows ended by CR LF.
// Anything else it meets is a fault of the writer and fails the read.
bool readCsv(const QByteArray &bytes, QList<QStringList> &rows)
{
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        return false; // not UTF-8
    rows.clear();
    QStringList row;
    QString field;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i) == QLatin1Char('"') && field.isEmpty()) {
            ++i;
            for (;;) {
                if (i >= text.size())
                    return false;
                if (text.at(i) == QLatin1Char('"')) {
                    if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text.at(i++);
            }
            if (i < text.size() && text.at(i) != QLatin1Char(',') && text.at(i) != QLatin1Char('\r'))
                return false;
            continue;
        }
        const QChar c = text.at(i);
        if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
            ++i;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 >= text.size() || text.at(i + 1) != QLatin1Char('\n'))
                return false;
            row << field;
            rows << row;
            row.clear();
            field.clear();
            i += 2;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\n')) {
            return false; // must have been quoted
        } else {
            field += c;
            ++i;
        }
    }
    return row.isEmpty() && field.isEmpty(); // the last row ends with CR LF too
}

const QStringList CsvHeading = {"Record", "Status", "Type", "Date", "Time", "Phone",
                                "Name", "Company", "Notes", "First saved (UTC)", "call_back_by", "call_back_done"};

} // namespace

void TestExport::exportsEveryRecord_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("exported");
    QTest::newRow("three records") << threeEntries << "three-records.txt";
    QTest::newRow("no records") << Entries() << "no-records.txt";
    QTest::newRow("empty notes") << Entries({entry("O", "Ann Lee", "Acme", "")}) << "empty-notes.txt";
    QTest::newRow("separator in notes") << Entries({threeEntries.at(0), entry("I", "Cy", "Co", "a¬b¬c")})
                                        << "separator-in-notes.txt";
    QTest::newRow("characters beyond the basic plane")
        << Entries({entry("M", "Zoë", "Ünited ☎", QString::fromUtf8("call me \U0001F4DE back"))})
        << "beyond-basic-plane.txt";
}

void TestExport::exportsEveryRecord()
{
    QFETCH(Entries, entries);
    QFETCH(QString, exported);
    MainWindowFixture fixture;
    {
        QFile file(fixture.dataFile());
        QVERIFY(file.open(QIODevice::WriteOnly)); // an empty log is a log
    }
    appendEntries(fixture.dataFile(), entries);
    TMainForm *window = fixture.open();
    // A record on show is cleared away by the export.
    if (!entries.isEmpty()) {
        window->SpinEditSelect->setMaximum(1);
        window->SpinEditSelect->setValue(1);
        window->ButtonSelectClick();
        QCOMPARE(window->EditName->text(), entries.at(0).name);
    }
    const QByteArray dataBefore = TestRecords::readAll(fixture.dataFile());

    window->ExportFile1->trigger();

    QCOMPARE(TestRecords::readAll(ExportFile), golden(exported));
    QCOMPARE(TestRecords::readAll(fixture.dataFile()), dataBefore);
    QCOMPARE(window->state().RecordCount, int(entries.size()));
    QCOMPARE(window->EditName->text(), QStringLiteral("Enter Name"));
    QCOMPARE(window->Memo1->toPlainText(), QString());
    QCOMPARE(fixture.message(), QStringLiteral("Saved as VNExport.txt"));
    QCOMPARE(window->LabelRecordStatus->font().pointSize(), 12);
    QCOMPARE(fixture.indicator(), TMainForm::Lime);
    QCOMPARE(fixture.hint(), QStringLiteral("File Saved"));
}

void TestExport::copiesAlteredRecordUnchecked()
{
    MainWindowFixture fixture;
    appendEntries(fixture.dataFile(), threeEntries);
    QVERIFY(TestRecords::patchChar(fixture.dataFile(), 2, CallRecord::Notes, 0, QLatin1Char('K')));
    const QByteArray dataBefore = TestRecords::readAll(fixture.dataFile());
    TMainForm *window = fixture.open();
    window->ExportFile1Click();

    // Copied as it lies: no mark in the export, and none in the data file.
    QCOMPARE(TestRecords::readAll(ExportFile), golden(QStringLiteral("record-2-altered.txt")));
    QCOMPARE(TestRecords::readAll(fixture.dataFile()), dataBefore);
}

void TestExport::staysWithinFile_data()
{
    QTest::addColumn<QString>("lastNumber");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("recordCount");
    QTest::addColumn<int>("tornBytes"); // of a record cut short after the last whole one
    QTest::newRow("last number beyond the file") << "7" << 3 << 7 << 0;
    QTest::newRow("last number short of the file") << "2" << 2 << 2 << 0;
    QTest::newRow("last number not a number") << "x" << 0 << 0 << 0;
    // The last 992 bytes of this file would read as record 9; the count
    // comes from the last whole record, as at start-up.
    QTest::newRow("torn tail") << "3" << 3 << 3 << 420;
}

void TestExport::staysWithinFile()
{
    QFETCH(QString, lastNumber);
    QFETCH(int, lines);
    QFETCH(int, recordCount);
    QFETCH(int, tornBytes);
    MainWindowFixture fixture;
    appendEntries(fixture.dataFile(), threeEntries);
    QVERIFY(TestRecords::patchChar(fixture.dataFile(), 3, CallRecord::RecordNumber, 0, lastNumber.at(0)));
    if (tornBytes > 0) {
        // A "9" after the end of record 3's notes, where a block that ends
        // at the file's end has its number.
        const int at = (tornBytes + CallRecord::offset(CallRecord::RecordNumber) - CallRecord::offset(CallRecord::Notes)) / 2;
        QVERIFY(TestRecords::patchChar(fixture.dataFile(), 3, CallRecord::Notes, at, QLatin1Char('9')));
        QVERIFY(TestRecords::writeAll(fixture.dataFile(),
                                      TestRecords::readAll(fixture.dataFile()) + QByteArray(tornBytes, '\0')));
    }
    TMainForm *window = fixture.open();
    window->ExportFile1Click();

    QString expected = Heading;
    for (int i = 0; i < lines; ++i)
        expected += line(i < 2 ? i + 1 : lastNumber.toInt(), threeEntries.at(i));
    QCOMPARE(QString::fromUtf8(TestRecords::readAll(ExportFile)), expected);
    QCOMPARE(window->state().RecordCount, recordCount);
}

void TestExport::replacesEarlierExport()
{
    MainWindowFixture fixture;
    appendEntries(fixture.dataFile(), threeEntries);
    QVERIFY(TestRecords::writeAll(ExportFile, QByteArray(20000, 'z')));
    TMainForm *window = fixture.open();
    window->ExportFile1Click();
    window->ExportFile1Click();
    QCOMPARE(TestRecords::readAll(ExportFile), golden(QStringLiteral("three-records.txt")));
}

void TestExport::exportsLongLog()
{
    MainWindowFixture fixture;
    // Written in one go: the export does not look at the hashes.
    const int count = 20000;
    QByteArray bytes;
    QString expected = Heading;
    for (int n = 1; n <= count; ++n) {
        const Entry e = entry("IOM"_L1.mid(n % 3, 1).toString(), QStringLiteral("Caller %1").arg(n % 97),
                              QStringLiteral("Company %1").arg(n % 13), QStringLiteral("Notes of call %1").arg(n));
        bytes += TestRecords::recordBytes(TestRecords::make(n, e));
        expected += line(n, e);
    }
    QVERIFY(TestRecords::writeAll(fixture.dataFile(), bytes));
    TMainForm *window = fixture.open();
    window->ExportFile1Click();
    QCOMPARE(TestRecords::readAll(ExportFile), expected.toUtf8());
    QCOMPARE(window->state().RecordCount, count);
}

void TestExport::reportsOpenError_data()
{
    QTest::addColumn<bool>("dataFileThere");
    QTest::addColumn<bool>("exportWritable");
    QTest::newRow("no data file") << false << true;
    QTest::newRow("export file cannot be written") << true << false;
}

void TestExport::reportsOpenError()
{
    QFETCH(bool, dataFileThere);
    QFETCH(bool, exportWritable);
    MainWindowFixture fixture;
    if (dataFileThere)
        appendEntries(fixture.dataFile(), threeEntries);
    if (!exportWritable)
        QVERIFY(QDir().mkdir(ExportFile)); // a folder where the export would go
    TMainForm *window = fixture.open();
    const int recordCount = window->state().RecordCount;
    window->EditName->setText(QStringLiteral("Half typed"));

    window->ExportFile1Click();

    QCOMPARE(fixture.message(), QStringLiteral("File: Open ERROR"));
    QCOMPARE(window->LabelRecordStatus->font().pointSize(), 12);
    QCOMPARE(fixture.indicator(), TMainForm::Red);
    QCOMPARE(fixture.hint(), QStringLiteral("File: Open ERROR"));
    QCOMPARE(window->state().RecordCount, recordCount);
    QCOMPARE(window->EditName->text(), QStringLiteral("Half typed"));
    if (exportWritable)
        QVERIFY(!QFileInfo::exists(ExportFile));
    else
        QVERIFY(QFileInfo(ExportFile).isDir());
    // Nothing half written is left beside it.
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("VNExport")), QStringList());
}

void TestExport::csvFieldForms_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("written");
    QTest::newRow("date with leading zeros") << "date" << "06/14/2024" << "2024-06-14";
    QTest::newRow("date without") << "date" << "1/2/2025" << "2025-01-02";
    QTest::newRow("date that is not one") << "date" << "2/30/2024" << "2/30/2024";
    QTest::newRow("date in words") << "date" << "next Tuesday" << "next Tuesday";
    QTest::newRow("morning") << "time" << " 9:30AM" << "09:30";
    QTest::newRow("after noon") << "time" << "12:05PM" << "12:05";
    QTest::newRow("after midnight") << "time" << "12:05AM" << "00:05";
    QTest::newRow("evening") << "time" << "11:59PM" << "23:59";
    QTest::newRow("time that is not one") << "time" << "noonish" << "noonish";
    QTest::newRow("saved at") << "saved" << "1718357400" << "2024-06-14T09:30:00Z";
    QTest::newRow("saved at, epoch") << "saved" << "0" << "1970-01-01T00:00:00Z";
    QTest::newRow("saved at, not a number") << "saved" << "1001x" << "1001x";
    QTest::newRow("saved at, leap day") << "saved" << "951782400" << "2000-02-29T00:00:00Z";
    QTest::newRow("saved at, end of a century year") << "saved" << "4133980799" << "2100-12-31T23:59:59Z";
    QTest::newRow("saved at, last second of 9999") << "saved" << "253402300799" << "9999-12-31T23:59:59Z";
    QTest::newRow("saved at, beyond 9999") << "saved" << "253402300800" << "253402300800";
    QTest::newRow("saved at, negative") << "saved" << "-5" << "-5";
    QTest::newRow("in") << "type" << "I" << "In";
    QTest::newRow("out") << "type" << "O" << "Out";
    QTest::newRow("message") << "type" << "M" << "Msg";
    QTest::newRow("other type") << "type" << "X" << "X";
    QTest::newRow("plain field") << "field" << "Ann Lee" << "Ann Lee";
    QTest::newRow("comma") << "field" << "Stone, Sons" << "\"Stone, Sons\"";
    QTest::newRow("quotes") << "field" << "the \"big\" one" << "\"the \"\"big\"\" one\"";
    QTest::newRow("line break") << "field" << "one\ntwo" << "\"one\ntwo\"";
    QTest::newRow("carriage return") << "field" << "one\rtwo" << "\"one\rtwo\"";
    QTest::newRow("leading space kept") << "field" << " 9:30AM" << " 9:30AM";
}

void TestExport::csvFieldForms()
{
    QFETCH(QString, form);
    QFETCH(QString, stored);
    QFETCH(QString, written);
    if (form == "date")
        QCOMPARE(CsvExport::isoDate(stored), written);
    else if (form == "time")
        QCOMPARE(CsvExport::clockTime(stored), written);
    else if (form == "saved")
        QCOMPARE(CsvExport::utcTime(stored), written);
    else if (form == "type")
        QCOMPARE(CsvExport::typeWord(stored), written);
    else
        QCOMPARE(CsvExport::quoted(stored), written);
}

void TestExport::csvRoundTrip()
{
    MainWindowFixture fixture;
    Entries entries = {
        entry("I", "Díaz, Carla", "Café \"Olé\"", "first line\nsecond, with comma\r\nthird"),
        entry("M", "Zoë", "Ünited ☎", QString::fromUtf8("call me \U0001F4DE back")),
        entry("O", "Bob", "Stone & Sons", ""),
    };
    entries[1].date = QStringLiteral("soon");
    entries[1].time = QStringLiteral("noonish");
    entries[2].date = QStringLiteral("1/2/2025");
    entries[2].time = QStringLiteral("12:05AM");
    appendEntries(fixture.dataFile(), entries);
    TMainForm *window = fixture.open();
    const QByteArray dataBefore = TestRecords::readAll(fixture.dataFile());

    QString suggested;
    window->desktop().chooseFile = [&](QWidget *, const Desktop::FileChoice &choice) {
        const QString &name = choice.suggested;
        suggested = name;
        return fixture.path(QStringLiteral("calls.csv"));
    };
    window->ExportCsv1->trigger();

    QCOMPARE(suggested, fixture.path(QStringLiteral("VNExport.csv")));
    QCOMPARE(fixture.message(), QStringLiteral("Saved as calls.csv"));
    QList<QStringList> rows;
    QVERIFY(readCsv(TestRecords::readAll(fixture.path(QStringLiteral("calls.csv"))), rows));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0), CsvHeading);
    QCOMPARE(rows.at(1), QStringList({"1", "O", "In", "2024-06-14", "09:30", "555-123-4567", "Díaz, Carla",
                                      "Café \"Olé\"", "first line\nsecond, with comma\r\nthird",
                                      "2024-06-14T09:30:00Z", "", ""}));
    QCOMPARE(rows.at(2), QStringList({"2", "O", "Msg", "soon", "noonish", "555-123-4567", "Zoë", "Ünited ☎",
                                      QString::fromUtf8("call me \U0001F4DE back"), "2024-06-14T09:30:00Z", "", ""}));
    QCOMPARE(rows.at(3).mid(2, 3), QStringList({"Out", "2025-01-02", "00:05"}));
    // The log and the fixed text export are left alone.
    QCOMPARE(TestRecords::readAll(fixture.dataFile()), dataBefore);
    QVERIFY(!QFileInfo::exists(ExportFile));
}

void TestExport::csvShownRows()
{
    MainWindowFixture fixture;
    appendEntries(fixture.dataFile(), {entry("I", "Ann Lee", "Acme", "x"), entry("O", "Bob Stone", "Acme", "y"),
                                      entry("I", "Al Brown", "Other", "z")});
    TFormRecordReview review(fixture.open()->log(), fixture.desktop);
    review.show();
    QTest::keyClicks(review.EditSearch, QStringLiteral("a"));
    review.ComboType->setCurrentIndex(1); // In
    QHeaderView *header = review.DataGrid->horizontalHeader();
    const QPoint nameHeading(header->sectionViewportPosition(6) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeading);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeading); // Z to A
    fixture.desktop.nextFile = fixture.path(QStringLiteral("shown.csv"));
    QTest::mouseClick(review.ButtonExportShown, Qt::LeftButton);

    QList<QStringList> rows;
    QVERIFY(readCsv(TestRecords::readAll(fixture.path(QStringLiteral("shown.csv"))), rows));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(1).at(6), QStringLiteral("Ann Lee"));
    QCOMPARE(rows.at(2).at(6), QStringLiteral("Al Brown"));
    QCOMPARE(review.LabelFilterError->text(), QStringLiteral("2 rows saved as shown.csv"));
}

void TestExport::csvFailureNamesFile_data()
{
    QTest::addColumn<bool>("dataFileThere");
    QTest::addColumn<QString>("message");
    QTest::newRow("csv file cannot be written") << true << "Could not write calls.csv";
    QTest::newRow("no data file") << false << "Could not read VNData.dta";
}

void TestExport::csvFailureNamesFile()
{
    QFETCH(bool, dataFileThere);
    QFETCH(QString, message);
    MainWindowFixture fixture;
    if (dataFileThere)
        appendEntries(fixture.dataFile(), threeEntries);
    QVERIFY(QDir().mkdir(QStringLiteral("calls.csv"))); // a folder where the file would go
    TMainForm *window = fixture.open();
    window->desktop().chooseFile = [&](QWidget *, const Desktop::FileChoice &) { return fixture.path(QStringLiteral("calls.csv")); };
    window->ExportCsv1Click();

    QVERIFY2(fixture.message().startsWith(message), qPrintable(fixture.message()));
    QCOMPARE(fixture.indicator(), TMainForm::Red);
    QVERIFY(QFileInfo(QStringLiteral("calls.csv")).isDir());
    // Nothing half written is left beside it.
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("calls")), QStringList());

    // Cancelling the save dialog writes nothing and says nothing.
    window->ClearCurrent1Click();
    window->desktop().chooseFile = [](QWidget *, const Desktop::FileChoice &) { return QString(); };
    window->ExportCsv1Click();
    QCOMPARE(fixture.message(), QString());
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
