// The review's compact rows: the texts they give back, the search over them
// and the CSV of shown rows read again from the log.

#include "callsearch.h"
#include "csvexport.h"
#include "recordtablemodel.h"
#include "datafile.h"
#include "reviewrows.h"
#include "reviewsearchindex.h"
#include "shownrecords.h"
#include "testrecords.h"

#include <QTemporaryDir>
#include <QTest>

using TestRecords::Entry;

class TestReviewRows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textsComeBackUnitForUnit_data();
    void textsComeBackUnitForUnit();
    void rowsKnowTheirSlotsAcrossGaps();
    void searchPassesWhatTheMatcherPasses_data();
    void searchPassesWhatTheMatcherPasses();
    void longIndexSearchedInPartsPassesTheSameRows();
    void shownRowsExportAsTheRecordsExport();
    void shownRowsOfAShortenedLogAreNotWritten();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

// Calls that exercise folding, phone digits, dates that cannot be read and
// every type and status.
const QList<Entry> &calls()
{
    static const QList<Entry> list = [] {
        QList<Entry> all = TestRecords::threeEntries;
        all.append({"I", "3/4/2025", "14:05", "(800) 555-9876", "José Núñez", "Café Ñandú", "asked for DIAZ", "1", "E"});
        all.append({"O", "not a date", "", "", "", "", "", "1", "X"});
        all.append({"M", "02/30/2025", " 8:00AM", "+1 212 555 0000", "Zoë", "ΑΒΓ Ltd", "line one\nline two", "1", "O"});
        return all;
    }();
    return list;
}

std::vector<CallRecord> records()
{
    std::vector<CallRecord> all;
    for (int i = 0; i < calls().size(); ++i)
        all.push_back(TestRecords::make(i + 1, calls()[i]));
    return all;
}

} // namespace

void TestReviewRows::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestReviewRows::textsComeBackUnitForUnit_data()
{
    QTest::addColumn<QString>("notes");
    QTest::newRow("empty") << QString();
    QTest::newRow("ASCII") << QStringLiteral("Call back after 5");
    QTest::newRow("four ASCII units, then the end") << QStringLiteral("abcd");
    QTest::newRow("the first unit past ASCII, after eight") << QStringLiteral("abcdefgh\u0080ij");
    QTest::newRow("the last ASCII unit") << QStringLiteral("\u007f");
    QTest::newRow("two- and three-byte units") << QStringLiteral("café – ΑΒΓ – 電話");
    QTest::newRow("surrogate pair") << QStringLiteral("emoji \U0001F600 ok");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x");
    QTest::newRow("full width") << QString(CallRecord::width(CallRecord::Notes) - 1, QChar(0x20AC));
}

// Every column gives what the record's own field gives, on a model that
// holds only the rows, whatever the texts are made of.
void TestReviewRows::textsComeBackUnitForUnit()
{
    QFETCH(QString, notes);
    Entry entry = calls()[3];
    entry.notes = notes;
    const std::vector<CallRecord> source = {TestRecords::make(1), TestRecords::make(2, entry)};
    RecordTableModel model;
    model.setRecords(source);
    QCOMPARE(model.rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < RecordTableModel::ColumnCount; ++column)
            QCOMPARE(model.text(row, column), source[size_t(row)].text(RecordTableModel::ColumnFields[size_t(column)]));
    }
    QCOMPARE(model.text(1, 8), notes);
    QCOMPARE(model.text(2, 0), QString());
}

// Rows appended in runs with gaps between them (empty slots) and a replaced
// row: each row names its slot and each slot its row.
void TestReviewRows::rowsKnowTheirSlotsAcrossGaps()
{
    const std::vector<CallRecord> source = records();
    ReviewRows rows;
    rows.append(source.data(), 0, 2);
    rows.append(source.data() + 2, 5, 3);
    rows.append(source.data() + 5, 8, 1);
    QCOMPARE(rows.size(), qint64(6));
    const qint64 slotOfRow[] = {0, 1, 5, 6, 7, 8};
    for (qint64 row = 0; row < 6; ++row) {
        QCOMPARE(rows.slot(row), slotOfRow[row]);
        QCOMPARE(rows.rowOf(slotOfRow[row]), row);
    }
    for (qint64 gap : {2, 3, 4, 9, -1})
        QCOMPARE(rows.rowOf(gap), qint64(-1));
    QCOMPARE(rows.slot(6), qint64(-1));

    CallRecord marked = source[3];
    marked.setText(CallRecord::Status, QStringLiteral("X"));
    rows.replace(3, marked);
    QCOMPARE(rows.text(3, 1), QStringLiteral("X"));
    QCOMPARE(rows.text(3, 6), source[3].text(CallRecord::Name));
    QCOMPARE(rows.text(4, 6), source[4].text(CallRecord::Name));
}

void TestReviewRows::searchPassesWhatTheMatcherPasses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    const QString none;
    const auto any = int(CallSearch::StatusChoice::Any);
    QTest::newRow("everything") << none << QChar() << any << none << none;
    QTest::newRow("folded word") << QStringLiteral("nunez") << QChar() << any << none << none;
    QTest::newRow("accented word") << QStringLiteral("ÑANDÚ") << QChar() << any << none << none;
    QTest::newRow("upper case in notes") << QStringLiteral("diaz") << QChar() << any << none << none;
    QTest::newRow("two words, both needed") << QStringLiteral("ann acme") << QChar() << any << none << none;
    QTest::newRow("two words, one missing") << QStringLiteral("ann stone") << QChar() << any << none << none;
    QTest::newRow("phone as typed") << QStringLiteral("800-555") << QChar() << any << none << none;
    QTest::newRow("phone digits") << QStringLiteral("8005559") << QChar() << any << none << none;
    QTest::newRow("not across a line") << QStringLiteral("oneline") << QChar() << any << none << none;
    QTest::newRow("across fields") << QStringLiteral("leeacme") << QChar() << any << none << none;
    QTest::newRow("type") << none << QChar('O') << any << none << none;
    QTest::newRow("altered or edited") << none << QChar() << int(CallSearch::StatusChoice::AlteredOrEdited) << none
                                       << none;
    QTest::newRow("altered") << none << QChar() << int(CallSearch::StatusChoice::Altered) << none << none;
    QTest::newRow("date range") << none << QChar() << any << QStringLiteral("2024-12-01")
                                << QStringLiteral("2025-02-28");
    QTest::newRow("open start") << QStringLiteral("a") << QChar() << any << none << QStringLiteral("2024-12-31");
}

void TestReviewRows::searchPassesWhatTheMatcherPasses()
{
    QFETCH(QString, text);
    QFETCH(QChar, type);
    QFETCH(int, status);
    QFETCH(QString, from);
    QFETCH(QString, to);
    CallSearch::Filter filter;
    filter.text = text;
    filter.type = type;
    filter.status = CallSearch::StatusChoice(status);
    filter.from = CallSearch::parseDateBound(from).date;
    filter.to = CallSearch::parseDateBound(to).date;

    const std::vector<CallRecord> source = records();
    ReviewRows rows;
    rows.append(source.data(), 0, qint64(source.size()));
    ReviewSearchIndex index;
    index.build(rows);
    const std::vector<unsigned char> passes = index.matches(filter);
    QCOMPARE(passes.size(), source.size());
    const CallSearch::Matcher matcher(filter);
    int passed = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        QVERIFY2(bool(passes[i]) == matcher.matches(CallSearch::rowOf(source[i])), qPrintable(QString::number(i)));
        passed += passes[i];
    }
    if (text == QStringLiteral("nunez") || text == QStringLiteral("8005559"))
        QCOMPARE(passed, 1);
}

// A long log is searched in parts on several threads: the rows passed, at
// the parts' edges too, are those one thread passes.
void TestReviewRows::longIndexSearchedInPartsPassesTheSameRows()
{
    const std::vector<CallRecord> source = records();
    std::vector<CallRecord> many;
    const qint64 count = ReviewSearchIndex::SplitFrom + 7;
    many.reserve(size_t(count));
    for (qint64 i = 0; i < count; ++i)
        many.push_back(source[size_t(i % qint64(source.size()))]);
    ReviewRows rows;
    rows.append(many.data(), 0, count);
    ReviewSearchIndex index;
    index.build(rows);
    CallSearch::Filter filter;
    for (const QString &text : {QStringLiteral("nunez"), QStringLiteral("a"), QStringLiteral("ann acme")}) {
        filter.text = text;
        DataFile::setHashThreads(1);
        const std::vector<unsigned char> one = index.matches(filter);
        DataFile::setHashThreads(3);
        const std::vector<unsigned char> three = index.matches(filter);
        QVERIFY2(one == three, qPrintable(text));
        QVERIFY(std::count(one.begin(), one.end(), 1) > 0);
    }
    DataFile::setHashThreads(0);
}

// The rows shown, sorted and filtered, written from the log read again, give
// the very file the records themselves give, status as shown included.
void TestReviewRows::shownRowsExportAsTheRecordsExport()
{
    const QString log = path(QStringLiteral("VNData.dta"));
    TestRecords::appendEntries(log, calls());
    std::vector<CallRecord> source;
    QVERIFY(DataFile::scanRecords(log, DataFile::ScanMode::Unchecked, source));
    // The grid shows one record as altered before the file holds the mark.
    source[1].setText(CallRecord::Status, QStringLiteral("X"));
    RecordTableModel model;
    model.setRecords(source);

    const std::vector<int> order = {5, 0, 1, 2, 4};
    const CsvExport::Outcome shown = ShownRecords::writeCsv(path(QStringLiteral("shown.csv")), log, model.rows(), order);
    const CsvExport::Outcome expected = CsvExport::write(path(QStringLiteral("expected.csv")), source, &order);
    QVERIFY2(shown.written, qPrintable(shown.error));
    QCOMPARE(shown.rows, 5);
    QCOMPARE(TestRecords::readAll(path(QStringLiteral("shown.csv"))),
             TestRecords::readAll(path(QStringLiteral("expected.csv"))));
    QVERIFY(expected.written);
}

// A log shortened since the grid was filled: the export says it could not
// read the log and leaves no file.
void TestReviewRows::shownRowsOfAShortenedLogAreNotWritten()
{
    const QString log = path(QStringLiteral("VNData.dta"));
    TestRecords::appendEntries(log, calls());
    std::vector<CallRecord> source;
    QVERIFY(DataFile::scanRecords(log, DataFile::ScanMode::Unchecked, source));
    RecordTableModel model;
    model.setRecords(source);
    QFile file(log);
    QVERIFY(file.resize(qint64(RecordSize) * 2));

    const QString csv = path(QStringLiteral("shown.csv"));
    const CsvExport::Outcome outcome = ShownRecords::writeCsv(csv, log, model.rows(), {0, 1, 4});
    QVERIFY(!outcome.written);
    QVERIFY(outcome.error.contains(QStringLiteral("VNData.dta")));
    QVERIFY(!QFile::exists(csv));
}

QTEST_GUILESS_MAIN(TestReviewRows)
#include "tst_reviewrows.moc"
