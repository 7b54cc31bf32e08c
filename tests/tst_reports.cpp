#include "Print1rec.h"
#include "Printprefiewform.h"
#include "VorlenMainFile.h"
#include "reportprinter.h"
#include "Stringgridreview.h"
#include "recordtablemodel.h"
#include "reporttext.h"

#include "callrecord.h"
#include "configfile.h"
#include "datafile.h"
#include "logfixture.h"
#include "testrecords.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <cstring>
#include <memory>

// A record as the test writes it and as the reports should show it.
using Entry = TestRecords::Entry;
Q_DECLARE_METATYPE(Entry)
using Entries = QList<Entry>;
using TestRecords::appendEntries;
using TestRecords::readAll;
using TestRecords::statusOnDisk;
using TestRecords::threeEntries;

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullReport_data();
    void fullReport();
    void fullReportMarksOnlyFailingRecords();
    void fullReportStopsAtFileEnd_data();
    void fullReportStopsAtFileEnd();
    void fullReportWithoutDataFile_data();
    void fullReportWithoutDataFile();
    void fullReportWorkFileNotWritable();
    void fullReportUsesConfiguredDataFile();
    void fullReportPrintsEditedText();
    void fullReportPrintFailureKeepsWindow();
    void fullReportCancel();
    void fullReportOnEveryCoreMatchesOneCore();

    void singleRecord_data();
    void singleRecord();
    void singleRecordOutsideFile_data();
    void singleRecordOutsideFile();
    void singleRecordWithoutDataFile();
    void singleRecordPrintsToPdf();

    void printCurrentFromTheMainWindow_data();
    void printCurrentFromTheMainWindow();
    void printFromTheMainWindow();

    void manualIsBuilt();
    void manualHoldsTheWindowPictures_data();
    void manualHoldsTheWindowPictures();
    void manualPicturesFitThePage();

private:
    std::unique_ptr<LogFixture> m_fixture;
};

namespace {

const QString DataFileName = QStringLiteral("VNData.dta");

// Changes the first letter of record n's name on disk, as a hex editor would.
void alterName(int n)
{
    QByteArray bytes = readAll(DataFileName);
    const int at = (n - 1) * RecordSize + CallRecord::offset(CallRecord::Name);
    QVERIFY(bytes.size() > at);
    bytes[at] = bytes[at] == 'Z' ? 'Y' : 'Z';
    QVERIFY(TestRecords::writeAll(DataFileName, bytes));
}

// A report as it must come out, from tests/data/reports: written out in full,
// tabs and trailing blanks included.
QString golden(const QString &name)
{
    return QString::fromUtf8(TestRecords::golden(QStringLiteral("reports/") + name));
}

QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    // Tabs come out of a PDF as runs of blanks.
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

// Width and height of every picture in a PDF, as pdfimages lists them.
QList<QSize> pdfImageSizes(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    QList<QSize> sizes;
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    // Two heading lines, then: page, number, type, width, height, ...
    for (const QString &line : lines.mid(2)) {
        const QStringList columns = line.simplified().split(QLatin1Char(' '));
        if (columns.size() > 4 && columns.at(2) == QLatin1String("image"))
            sizes.append(QSize(columns.at(3).toInt(), columns.at(4).toInt()));
    }
    return sizes;
}

QString manualPath()
{
    return QDir(qEnvironmentVariable("CALLLOG_BIN_DIR")).filePath(QStringLiteral("VNUM.pdf"));
}

} // namespace

void TestReports::init()
{
    // The test desktop has no printer: nothing here reaches paper.
    m_fixture = std::make_unique<LogFixture>();
    QVERIFY(m_fixture->dir.isValid());
}

void TestReports::cleanup()
{
    m_fixture.reset();
}

void TestReports::fullReport_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<int>("altered"); // record whose name is changed on disk, 0 for none
    QTest::addColumn<QString>("report");

    QTest::newRow("three records") << threeEntries << 0 << "full-three-records.txt";
    QTest::newRow("no records") << Entries{} << 0 << "full-no-records.txt";
    QTest::newRow("empty notes") << Entries{{"I", "03/07/2026", " 9:00AM", "Unknown", "Ann", "Acme", ""}} << 0
                                 << "full-empty-notes.txt";
    QTest::newRow("separator in notes")
        << Entries{{"O", "03/07/2026", "10:00AM", "Unknown", "Ann", "Acme", "left¬right¬"}} << 0
        << "full-separator-in-notes.txt";
    QTest::newRow("record altered on disk") << threeEntries << 2 << "full-record-2-altered.txt";
}

void TestReports::fullReport()
{
    QFETCH(Entries, entries);
    QFETCH(int, altered);
    QFETCH(QString, report);
    appendEntries(DataFileName, entries);
    if (entries.isEmpty())
        QVERIFY(TestRecords::writeAll(DataFileName, QByteArray()));
    if (altered)
        alterName(altered);

    QList<QString> statuses;
    for (int i = 0; i < entries.size(); ++i)
        statuses << QStringLiteral("O");
    if (altered)
        statuses[altered - 1] = QStringLiteral("X");
    const QString expected = golden(report);
    QVERIFY(!expected.isEmpty());

    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    QCOMPARE(readAll(ReportText::FullReportFileName), expected.toUtf8());
    QCOMPARE(form.REditReport->toPlainText(), expected);
    QCOMPARE(form.Panel1->text(), QString());
    QVERIFY(!form.REditReport->isReadOnly());

    const QByteArray after = readAll(DataFileName);
    QCOMPARE(after.size(), entries.size() * RecordSize);
    for (int n = 1; n <= entries.size(); ++n)
        QCOMPARE(statusOnDisk(DataFileName, n), statuses.at(n - 1));
}

void TestReports::fullReportMarksOnlyFailingRecords()
{
    appendEntries(DataFileName, threeEntries);
    alterName(3);
    const QByteArray before = readAll(DataFileName);

    {
        TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
        form.show();
    }
    QByteArray after = readAll(DataFileName);
    // Records 1 and 2 are untouched; record 3 differs only in its status letter.
    QCOMPARE(after.left(2 * RecordSize), before.left(2 * RecordSize));
    const int statusAt = 2 * RecordSize + CallRecord::offset(CallRecord::Status);
    QCOMPARE(after.at(statusAt), 'X');
    after[statusAt] = before.at(statusAt);
    QCOMPARE(after, before);

    // A marked record keeps failing, and a second report writes the same bytes.
    const QByteArray marked = readAll(DataFileName);
    {
        TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
        form.show();
        QVERIFY(form.REditReport->toPlainText().contains(QStringLiteral("  3\tX\tM\t")));
    }
    QCOMPARE(readAll(DataFileName), marked);
}

void TestReports::fullReportStopsAtFileEnd_data()
{
    QTest::addColumn<QString>("lastNumber"); // written over the last record's number
    QTest::addColumn<int>("trailingBytes");  // bytes of a torn record after the last one
    QTest::addColumn<int>("listed");

    QTest::newRow("number beyond the records") << QStringLiteral("7") << 0 << 3;
    QTest::newRow("huge number") << QStringLiteral("2147483647") << 0 << 3;
    QTest::newRow("number below the records") << QStringLiteral("2") << 0 << 2;
    QTest::newRow("torn last record") << QString() << 500 << 3;
}

void TestReports::fullReportStopsAtFileEnd()
{
    QFETCH(QString, lastNumber);
    QFETCH(int, trailingBytes);
    QFETCH(int, listed);
    appendEntries(DataFileName, threeEntries);
    QByteArray bytes = readAll(DataFileName);
    if (!lastNumber.isEmpty()) {
        CallRecord last;
        std::copy(bytes.constEnd() - RecordSize, bytes.constEnd(), last.bytes.begin());
        last.setText(CallRecord::RecordNumber, lastNumber);
        bytes.replace(bytes.size() - RecordSize, RecordSize,
                      QByteArray(reinterpret_cast<const char *>(last.bytes.data()), RecordSize));
    }
    // A torn tail is not read: the records end at the last whole one.
    bytes.append(QByteArray(trailingBytes, '\0'));
    QVERIFY(TestRecords::writeAll(DataFileName, bytes));

    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    const QStringList lines = form.REditReport->toPlainText().split(QLatin1Char('\n'));
    // Title (3 pieces), heading (1), rule (1), two lines a record, then the empty piece after the last line feed.
    QCOMPARE(lines.size(), 5 + 2 * listed + 1);
    QCOMPARE(readAll(DataFileName).size(), bytes.size());
}

void TestReports::fullReportWithoutDataFile_data()
{
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("missing") << false;
    QTest::newRow("cannot be opened for update") << true;
}

void TestReports::fullReportWithoutDataFile()
{
    QFETCH(bool, asFolder);
    if (asFolder)
        QVERIFY(QDir().mkdir(DataFileName));

    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    QCOMPARE(form.Panel1->text(), QStringLiteral("NO FILE READ: Cancel & Save Records"));
    QCOMPARE(form.Panel1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(form.Panel1->font().pointSize(), 12);
    QCOMPARE(form.REditReport->toPlainText(), QString());
    QVERIFY(!QFile::exists(ReportText::FullReportFileName));
    QVERIFY(form.ButtonPrint->isEnabled());
}

void TestReports::fullReportWorkFileNotWritable()
{
    appendEntries(DataFileName, threeEntries);
    QVERIFY(QDir().mkdir(ReportText::FullReportFileName));

    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.REditReport->setPlainText(QStringLiteral("earlier text"));
    form.show();
    QVERIFY2(form.Panel1->text().startsWith(QStringLiteral("Report NOT written")), qPrintable(form.Panel1->text()));
    QCOMPARE(form.REditReport->toPlainText(), QStringLiteral("earlier text"));
}

void TestReports::fullReportUsesConfiguredDataFile()
{
    appendEntries(QStringLiteral("other.dta"), threeEntries.mid(0, 1));
    appendEntries(DataFileName, threeEntries);
    ConfigurationLines lines = {"other.dta\n", "-\n", "###\n", "###\n", "Arial\n", "0\n", "10\n"};
    QVERIFY(WriteConfiguration(lines, 0));

    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    QCOMPARE(form.dataFileName(), QStringLiteral("other.dta"));
    form.show();
    QCOMPARE(form.REditReport->toPlainText(), golden(QStringLiteral("full-first-record.txt")));
}

void TestReports::fullReportPrintsEditedText()
{
    appendEntries(DataFileName, threeEntries);
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    const QStringList &told = m_fixture->desktop.messagesShown;
    form.show();
    QVERIFY(form.isVisible());

    form.REditReport->moveCursor(QTextCursor::End);
    QTest::keyClicks(form.REditReport, QStringLiteral("Checked by Ann"));
    QTest::mouseClick(form.ButtonPrint, Qt::LeftButton);

    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), 1);
    const QString pdf = QDir::current().absoluteFilePath(QStringLiteral("DataOutputForm.pdf"));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().contains(pdf), qPrintable(told.first()));

    const QString printed = pdfText(pdf);
    QVERIFY2(!printed.isEmpty(), "pdftotext read nothing");
    QVERIFY(printed.contains(QStringLiteral("Telephone Log Report")));
    QVERIFY(printed.contains(QStringLiteral("Rec# Status Type Date Time Phone Name Company")));
    for (const Entry &e : threeEntries) {
        const QString line =
            QStringLiteral("%1 %2 %3 %4 %5").arg(e.date, e.time, e.phone, e.name, e.company).simplified();
        QVERIFY2(printed.contains(line), qPrintable(line));
        QVERIFY2(printed.contains(e.notes), qPrintable(e.notes));
    }
    QVERIFY(printed.contains(QStringLiteral("Checked by Ann")));
    // The edit went to paper only: the work file keeps the report as built.
    QVERIFY(!readAll(ReportText::FullReportFileName).contains("Checked by Ann"));
}

void TestReports::fullReportPrintFailureKeepsWindow()
{
    appendEntries(DataFileName, threeEntries);
    QVERIFY(QDir().mkdir(QStringLiteral("DataOutputForm.pdf")));
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    const QStringList &told = m_fixture->desktop.messagesShown;
    form.show();
    QTest::mouseClick(form.ButtonPrint, Qt::LeftButton);

    QVERIFY(form.isVisible());
    QVERIFY2(form.Panel1->text().startsWith(QStringLiteral("Print FAILED")), qPrintable(form.Panel1->text()));
    QVERIFY(told.isEmpty());
}

void TestReports::fullReportCancel()
{
    appendEntries(DataFileName, threeEntries);
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    QTest::mouseClick(form.ButtonCancel, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), 1);
    QVERIFY(!QFile::exists(QStringLiteral("DataOutputForm.pdf")));
    QCOMPARE(readAll(ReportText::FullReportFileName),
             golden(QStringLiteral("full-three-records.txt")).toUtf8());

    TPrintPreviewForm closed(m_fixture->log(), m_fixture->desktop);
    closed.show();
    closed.close();
    QCOMPARE(closed.result(), 1);
}

// A log of several reading chunks with altered records spread through it,
// at the chunks' edges among them: the report, the review's rows and the
// marked log come out the same whether the records are hashed on one thread
// or on several.
void TestReports::fullReportOnEveryCoreMatchesOneCore()
{
    constexpr int count = 40000;
    std::vector<CallRecord> records;
    records.reserve(count);
    for (int n = 1; n <= count; ++n) {
        Entry entry = threeEntries[n % 3];
        entry.name = QStringLiteral("Caller %1").arg(n);
        // Texts that are not ASCII, a lone half of a pair among them, here and there.
        if (n % 997 == 0)
            entry.notes = QStringLiteral("caf\u00e9 \U0001F600 ") + QChar(0xD800) + QStringLiteral("end");
        records.push_back(TestRecords::make(n, entry));
    }
    QCOMPARE(DataFile::storeMany(DataFileName, records), DataFile::WriteResult::Written);
    const QList<int> altered = {1, 2, 16384, 16385, 20000, 32768, 32769, count};
    for (int n : altered)
        alterName(n);
    const QByteArray original = readAll(DataFileName);

    QByteArray reports[2];
    QByteArray logs[2];
    QStringList texts[2];
    const int threads[2] = {1, 2};
    for (int run = 0; run < 2; ++run) {
        QVERIFY(TestRecords::writeAll(DataFileName, original));
        DataFile::setHashThreads(threads[run]);
        {
            TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
            form.show();
            QCOMPARE(form.Panel1->text(), QString());
        }
        reports[run] = readAll(ReportText::FullReportFileName);
        QVERIFY(TestRecords::writeAll(DataFileName, original));
        {
            TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
            review.show();
            const RecordTableModel *model = review.recordModel();
            QCOMPARE(model->rowCount(), count);
            for (int row = 0; row < count; ++row) {
                for (int column = 0; column < RecordTableModel::ColumnCount; ++column)
                    texts[run] << model->text(row, column);
            }
        }
        logs[run] = readAll(DataFileName);
        DataFile::setHashThreads(0);
    }
    QCOMPARE(reports[1], reports[0]);
    QCOMPARE(logs[1], logs[0]);
    QCOMPARE(texts[1], texts[0]);
    for (int n : altered)
        QCOMPARE(statusOnDisk(DataFileName, n), QStringLiteral("X"));
    QCOMPARE(reports[0].count("\tX\t"), altered.size());

    // Both are what the marked log's records give one at a time, in order.
    std::vector<CallRecord> marked(count);
    QCOMPARE(logs[0].size(), qsizetype(count) * RecordSize);
    std::memcpy(static_cast<void *>(marked.data()), logs[0].constData(), size_t(logs[0].size()));
    const QString expected = QStringLiteral("expected.txt");
    QVERIFY(ReportText::writeFullReport(expected, marked));
    QCOMPARE(reports[0], readAll(expected));
    int differing = 0;
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < RecordTableModel::ColumnCount; ++column) {
            if (texts[0].at(row * RecordTableModel::ColumnCount + column)
                != marked[size_t(row)].text(RecordTableModel::ColumnFields[size_t(column)]))
                ++differing;
        }
    }
    QCOMPARE(differing, 0);
}

void TestReports::singleRecord_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("alter");
    QTest::addColumn<QString>("report");

    QTest::newRow("middle of three") << threeEntries << 2 << false << "single-record-2.txt";
    QTest::newRow("last of three") << threeEntries << 3 << false << "single-record-3.txt";
    QTest::newRow("empty notes") << Entries{{"I", "03/07/2026", " 9:00AM", "Unknown", "Ann", "Acme", ""}} << 1
                                 << false << "single-empty-notes.txt";
    QTest::newRow("separator in notes")
        << Entries{{"O", "03/07/2026", "10:00AM", "Unknown", "Ann", "Acme", "left¬right¬"}} << 1 << false
        << "single-separator-in-notes.txt";
    QTest::newRow("record altered on disk") << threeEntries << 2 << true << "single-record-2-altered.txt";
}

void TestReports::singleRecord()
{
    QFETCH(Entries, entries);
    QFETCH(int, number);
    QFETCH(bool, alter);
    QFETCH(QString, report);
    appendEntries(DataFileName, entries);
    if (alter)
        alterName(number);
    const QByteArray before = readAll(DataFileName);
    const QString expected = golden(report);
    QVERIFY(!expected.isEmpty());

    TForm1 form(m_fixture->log(), m_fixture->desktop);
    form.PanelRec->setText(QString::number(number));
    form.show();
    QCOMPARE(readAll(ReportText::SingleRecordFileName), expected.toUtf8());
    QCOMPARE(form.RecordPreview->toPlainText(), expected);
    QCOMPARE(form.Panel1->text(), QString());
    QVERIFY(!form.RecordPreview->isReadOnly());
    // The check only reports: the data file is never written.
    QCOMPARE(readAll(DataFileName), before);
}

void TestReports::singleRecordOutsideFile_data()
{
    QTest::addColumn<QString>("panelRec");
    QTest::addColumn<int>("trailingBytes");

    QTest::newRow("beyond the last record") << QStringLiteral("4") << 0;
    QTest::newRow("far beyond") << QStringLiteral("100000") << 0;
    QTest::newRow("torn record after the last") << QStringLiteral("4") << 900;
    QTest::newRow("no record selected") << QStringLiteral("0") << 0;
    QTest::newRow("negative") << QStringLiteral("-1") << 0;
}

void TestReports::singleRecordOutsideFile()
{
    QFETCH(QString, panelRec);
    QFETCH(int, trailingBytes);
    appendEntries(DataFileName, threeEntries);
    QByteArray bytes = readAll(DataFileName);
    // The torn tail repeats the start of record 3, so showing it would show record 3's data.
    bytes.append(bytes.mid(2 * RecordSize, trailingBytes));
    QVERIFY(TestRecords::writeAll(DataFileName, bytes));

    TForm1 form(m_fixture->log(), m_fixture->desktop);
    form.PanelRec->setText(panelRec);
    form.show();
    // Nothing was read: empty fields, and a status that says the record is not sound.
    const QString expected = golden(QStringLiteral("single-no-record.txt"));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(form.RecordPreview->toPlainText(), expected);
    QCOMPARE(readAll(DataFileName), bytes);
}

void TestReports::singleRecordWithoutDataFile()
{
    TForm1 form(m_fixture->log(), m_fixture->desktop);
    const QString initial = form.RecordPreview->toPlainText();
    QCOMPARE(initial, QString(26, QLatin1Char(' ')) + QStringLiteral("\n") + QString(20, QLatin1Char(' '))
                          + QStringLiteral("Vorlen Record # "));
    form.PanelRec->setText(QStringLiteral("1"));
    form.show();
    QCOMPARE(form.Panel1->text(), QStringLiteral("NO FILE READ"));
    QCOMPARE(form.RecordPreview->toPlainText(), initial);
    QVERIFY(!QFile::exists(ReportText::SingleRecordFileName));
    QVERIFY(form.ButtonPrint->isEnabled());
}

void TestReports::singleRecordPrintsToPdf()
{
    appendEntries(DataFileName, threeEntries);
    TForm1 form(m_fixture->log(), m_fixture->desktop);
    const QStringList &told = m_fixture->desktop.messagesShown;
    form.PanelRec->setText(QStringLiteral("3"));
    form.show();
    QTest::mouseClick(form.ButtonPrint, Qt::LeftButton);

    const QString pdf = QDir::current().absoluteFilePath(QStringLiteral("SingleRecordForm.pdf"));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().contains(pdf), qPrintable(told.first()));
    const QString printed = pdfText(pdf);
    QVERIFY2(!printed.isEmpty(), "pdftotext read nothing");
    const Entry &e = threeEntries.at(2);
    for (const QString &line : {QStringLiteral("Telephone Log Single Record Report"), QStringLiteral("Record Number: 3"),
                                QStringLiteral("Status O"), QStringLiteral("Type M"), "Date " + e.date,
                                "Time " + e.time.trimmed(), "Phone " + e.phone, "Name " + e.name,
                                "Company " + e.company, "Notes " + e.notes})
        QVERIFY2(printed.contains(line), qPrintable(line + QStringLiteral(" not in: ") + printed));
}

void TestReports::printCurrentFromTheMainWindow_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("enabledAfter");

    QTest::newRow("print") << QStringLiteral("print") << true;
    QTest::newRow("cancel") << QStringLiteral("cancel") << false;
    QTest::newRow("frame close") << QStringLiteral("close") << false;
}

void TestReports::printCurrentFromTheMainWindow()
{
    QFETCH(QString, answer);
    QFETCH(bool, enabledAfter);
    appendEntries(DataFileName, threeEntries);
    TMainForm window(m_fixture->desktop);
    window.show();
    window.Read1->trigger();
    window.SpinEditSelect->setValue(2);
    window.ButtonSelectClick();
    QCOMPARE(window.state().SelectedRecord, 2);
    QVERIFY(window.PrintCurrent->isEnabled());

    QString panelRec;
    QString report;
    QString told;
    ModalAnswerer answerer(m_fixture->desktop, [&](QDialog *dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
            told = box->text();
            box->accept();
            return;
        }
        auto *preview = qobject_cast<TForm1 *>(dialog);
        QVERIFY2(preview, "the expected window is not open");
        QCOMPARE(preview->parentWidget(), &window);
        panelRec = preview->PanelRec->text();
        report = preview->RecordPreview->toPlainText();
        if (answer == QLatin1String("print"))
            QTest::mouseClick(preview->ButtonPrint, Qt::LeftButton);
        else if (answer == QLatin1String("cancel"))
            QTest::mouseClick(preview->ButtonCancel, Qt::LeftButton);
        else
            preview->close();
    });
    window.PrintCurrent->trigger();
    QCOMPARE(answerer.seen, enabledAfter ? QStringList({"TForm1", "QMessageBox"}) : QStringList({"TForm1"}));

    QCOMPARE(panelRec, QStringLiteral("2"));
    QCOMPARE(report, golden(QStringLiteral("single-record-2.txt")));
    QCOMPARE(window.PrintCurrent->isEnabled(), enabledAfter);
    QCOMPARE(window.printCurrentAllowed(), enabledAfter);
    QCOMPARE(QFile::exists(QStringLiteral("SingleRecordForm.pdf")), enabledAfter);
    if (enabledAfter)
        QVERIFY2(told.contains(QStringLiteral("SingleRecordForm.pdf")), qPrintable(told));
    // Clear keeps Print Current as the preview left it.
    window.ClearCurrent1Click();
    QCOMPARE(window.PrintCurrent->isEnabled(), enabledAfter);
    QVERIFY(!window.findChild<TForm1 *>());
}

void TestReports::printFromTheMainWindow()
{
    appendEntries(DataFileName, threeEntries);
    alterName(1);
    TMainForm window(m_fixture->desktop);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QString report;
    ModalAnswerer answerer(m_fixture->desktop);
    answerer.answer = ModalAnswerer::only<TPrintPreviewForm>([&](TPrintPreviewForm *preview) {
        QCOMPARE(preview->parentWidget(), &window);
        report = preview->REditReport->toPlainText();
        QTest::mouseClick(preview->ButtonCancel, Qt::LeftButton);
    });
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(answerer.seen, QStringList({"TPrintPreviewForm"}));

    QCOMPARE(report, golden(QStringLiteral("full-record-1-altered.txt")));
    QCOMPARE(statusOnDisk(DataFileName, 1), QStringLiteral("X"));
    QVERIFY(!window.findChild<TPrintPreviewForm *>());
}

void TestReports::manualIsBuilt()
{
    const QString manual = QDir(qEnvironmentVariable("CALLLOG_BIN_DIR")).filePath(QStringLiteral("VNUM.pdf"));
    QVERIFY2(QFile::exists(manual), qPrintable(manual));
    const QString text = pdfText(manual);
    // A line may end inside a path or after an option's dashes.
    const QString withoutBlanks = QString(text).remove(QLatin1Char(' '));
    for (const QString &expected :
         {QStringLiteral("Vorlener Call Log"), QStringLiteral("Date Entry Error - Using Default"),
          QStringLiteral("Phone # Format Error"), QStringLiteral("NO FILE READ: Cancel & Save Records"),
          QStringLiteral("VNConfig.cfg"), QStringLiteral("SingleRecordForm.pdf"), QStringLiteral("Phone Seperator"),
          QStringLiteral("Last Availabel Record"), QStringLiteral("--folder"), QStringLiteral(".local/share/CallLog"),
          QStringLiteral("first start")})
        QVERIFY2(text.contains(expected) || withoutBlanks.contains(QString(expected).remove(QLatin1Char(' '))),
                 qPrintable(expected));
    // Letters joined into one glyph (fi, fl, ff, ...) read back as other characters.
    for (const QChar c : text)
        QVERIFY2(c.unicode() < 0xFB00 || c.unicode() > 0xFB06, qPrintable(QString(c)));
}

void TestReports::manualHoldsTheWindowPictures_data()
{
    QTest::addColumn<QString>("picture");
    for (const char *picture : {"splash", "entry", "select", "compromised", "about", "review", "warning", "report",
                                "single", "config", "fontdialog"})
        QTest::newRow(picture) << QString::fromLatin1(picture);
}

// Each window picture the build took is in the manual, and the manual holds
// one picture for every one its source names.
void TestReports::manualHoldsTheWindowPictures()
{
    QFETCH(QString, picture);
    const QImage shot(QDir(QStringLiteral(CALLLOG_SHOTS_DIR)).filePath(picture + QLatin1String(".png")));
    QVERIFY2(!shot.isNull(), qPrintable(picture));
    const QList<QSize> images = pdfImageSizes(manualPath());
    QVERIFY2(images.contains(shot.size()), qPrintable(picture));

    QFile source(QStringLiteral(CALLLOG_SOURCE_DIR "/docs/manual.md"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray markdown = source.readAll();
    QVERIFY(markdown.contains("](shot:" + picture.toLatin1() + ")"));
    QCOMPARE(images.size(), int(markdown.count("](shot:")));
}

// A picture wider than the text runs into the right margin or off the sheet:
// every page drawn small must leave the right margin white.
void TestReports::manualPicturesFitThePage()
{
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-gray"), manualPath(),
                   QDir::current().filePath(QStringLiteral("page"))});
    QVERIFY(process.waitForFinished(120000) && process.exitCode() == 0);
    const QStringList pages = QDir::current().entryList({QStringLiteral("page-*.pgm")}, QDir::Files, QDir::Name);
    QVERIFY(pages.size() > 5);
    for (const QString &name : pages) {
        const QImage page(name);
        QVERIFY2(!page.isNull() && page.width() < page.height(), qPrintable(name));
        // The sheets are A4 (210 mm across) with 15 mm free on the right; 12 mm of it must stay white.
        const int margin = page.width() * 12 / 210;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = page.width() - margin; x < page.width(); ++x)
                QVERIFY2(qGray(page.pixel(x, y)) > 200,
                         qPrintable(QStringLiteral("%1 at %2, %3").arg(name).arg(x).arg(y)));
        }
    }
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
