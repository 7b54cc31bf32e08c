#include "mainwindowfixture.h"

#include "datafile.h"

#include <QAction>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;
using TestRecords::Entry;
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

const Entries threeEntries = {
    entry("I", "Ann Lee", "Acme", "Call back"),
    entry("O", "Unknown Caller", "Unknown", "Wished a merry Christmas"),
    entry("M", "Bob Stone", "Stone & Sons", "Left a message; café order"),
};

void writeEntries(const QString &path, const Entries &entries)
{
    for (int i = 0; i < entries.size(); ++i) {
        CallRecord record = TestRecords::make(i + 1, entries.at(i));
        QVERIFY(DataFile::appendRecord(path, record));
    }
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
    const QByteArray bytes = TestRecords::readAll(QFINDTESTDATA(QStringLiteral("data/export/") + name));
    if (bytes.isEmpty())
        qWarning("no golden export %s", qPrintable(name));
    return bytes;
}

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
    writeEntries(fixture.dataFile(), entries);
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
    writeEntries(fixture.dataFile(), threeEntries);
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
    QTest::newRow("last number beyond the file") << "7" << 3 << 7;
    QTest::newRow("last number short of the file") << "2" << 2 << 2;
    QTest::newRow("last number not a number") << "x" << 0 << 0;
}

void TestExport::staysWithinFile()
{
    QFETCH(QString, lastNumber);
    QFETCH(int, lines);
    QFETCH(int, recordCount);
    MainWindowFixture fixture;
    writeEntries(fixture.dataFile(), threeEntries);
    QVERIFY(TestRecords::patchChar(fixture.dataFile(), 3, CallRecord::RecordNumber, 0, lastNumber.at(0)));
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
    writeEntries(fixture.dataFile(), threeEntries);
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
        writeEntries(fixture.dataFile(), threeEntries);
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

QTEST_MAIN(TestExport)
#include "tst_export.moc"
