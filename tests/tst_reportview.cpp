#include "Printprefiewform.h"
#include "reportview.h"

#include "datafile.h"
#include "logfixture.h"
#include "testrecords.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using Entry = TestRecords::Entry;
using Entries = QList<Entry>;
using Position = ReportLines::Position;
Q_DECLARE_METATYPE(Entry)
Q_DECLARE_METATYPE(Position)

// The full report's viewer and its print: the work file paged, the columns
// measured on the report, the user's edits kept beside the file.
class TestReportView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void workFileWrittenInBlocks_data();
    void workFileWrittenInBlocks();
    void viewerLinesUpTheColumns();
    void printKeepsTheColumns_data();
    void printKeepsTheColumns();
    void editsLieOverTheFile_data();
    void editsLieOverTheFile();
    void keysEditTheReport();
    void clickPlacesTheCursor_data();
    void clickPlacesTheCursor();
    void clipboardCarriesLines();
    void workFileChangedMeanwhile();

private:
    std::unique_ptr<LogFixture> m_fixture;
};

namespace {

Entry entry(const QString &name, const QString &company, const QString &notes, const QString &time = " 9:30AM")
{
    Entry e;
    e.name = name;
    e.company = company;
    e.notes = notes;
    e.time = time;
    return e;
}

// Each record on its own date, by which a test finds its line.
Entries dated(Entries entries)
{
    for (int i = 0; i < entries.size(); ++i)
        entries[i].date = QStringLiteral("%1/14/2024").arg(i + 1, 2, 10, QLatin1Char('0'));
    return entries;
}

const Entries shortFields = dated({
    entry("Ann Lee", "Acme", "Call back\nabout the loan\nbefore Friday"),
    entry("Al", "Société Générale", "Wished a merry Christmas", "12:05PM"),
    entry("Unknown Caller", "Unknown", "Left a message; café order"),
});

const Entries longFields = dated({
    entry("Ann Lee", "Acme", "Call back\nabout the loan"),
    entry("Maximilian Featherstonehaugh-Whittingham", "Société Générale Corporate Investment", "Asked for the rates"),
    entry("Bob", "Stone & Sons", "Left a message"),
});

const Entries widerThanThePage = dated({
    entry("Bartholomew Maximilian Featherstonehaugh-Whittingham of Westmorland Hall",
          "Compagnie Générale des Établissements Michelin SA",
          "Wants the whole order moved to the spring catalogue, with the discount agreed last year kept "
          "for every item, the delivery split over three months and the invoices sent to the Lyon office\nthen call"),
    entry("Ann Lee", "Société Générale", "Call back"),
});

void writeLog(const Entries &entries)
{
    for (int i = 0; i < entries.size(); ++i) {
        CallRecord record = TestRecords::make(i + 1, entries.at(i));
        QVERIFY(DataFile::appendRecord(QStringLiteral("VNData.dta"), record));
    }
}

// Where the text after a line's n-th tab starts in the viewer (n = 0: the line's own start).
qreal xAfterTab(const ReportView &view, qsizetype line, int n)
{
    const QString text = view.lines().line(line);
    qsizetype column = 0;
    for (int i = 0; i < n; ++i)
        column = text.indexOf(QLatin1Char('\t'), column) + 1;
    return view.cursorRect(Position{line, column}).x();
}

// A word of a PDF page as pdftotext places it, in points.
struct Word
{
    int page;
    qreal x, y, right;
    QString text;
};

struct PrintedPdf
{
    QList<QSizeF> pages;
    QList<Word> words;

    // The words on the line that holds `text`, left to right.
    QList<Word> lineOf(const QString &text) const
    {
        for (const Word &word : words) {
            if (word.text == text)
                return lineAt(word.page, word.y);
        }
        return {};
    }
    QList<Word> lineAt(int page, qreal y) const
    {
        QList<Word> line;
        for (const Word &word : words) {
            if (word.page == page && qAbs(word.y - y) < 1)
                line.append(word);
        }
        std::sort(line.begin(), line.end(), [](const Word &a, const Word &b) { return a.x < b.x; });
        return line;
    }
    qreal xOf(const QString &text) const
    {
        for (const Word &word : words) {
            if (word.text == text)
                return word.x;
        }
        return -1;
    }
};

PrintedPdf readPdf(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    PrintedPdf pdf;
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return pdf;
    static const QRegularExpression tag(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
                       R"re(xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    const QString xhtml = QString::fromUtf8(process.readAllStandardOutput());
    for (const QRegularExpressionMatch &match : tag.globalMatch(xhtml)) {
        if (!match.captured(1).isEmpty()) {
            pdf.pages.append(QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()));
            continue;
        }
        QString text = match.captured(6);
        text.replace(QLatin1String("&amp;"), QLatin1String("&"));
        pdf.words.append(Word{int(pdf.pages.size()), match.captured(3).toDouble(), match.captured(4).toDouble(),
                              match.captured(5).toDouble(), text});
    }
    return pdf;
}

// The same place on paper, give or take a glyph's own bearing.
bool near(qreal a, qreal b)
{
    return qAbs(a - b) < 0.5;
}

QString firstWord(const QString &text)
{
    return text.section(QRegularExpression(QStringLiteral("\\s")), 0, 0, QString::SectionSkipEmpty);
}

} // namespace

void TestReportView::init()
{
    m_fixture = std::make_unique<LogFixture>();
    QVERIFY(m_fixture->dir.isValid());
}

void TestReportView::cleanup()
{
    m_fixture.reset();
}

void TestReportView::workFileWrittenInBlocks_data()
{
    QTest::addColumn<int>("records");
    for (int records : {0, 1, 4096, 4097, 9000})
        QTest::newRow(qPrintable(QString::number(records))) << records;
}

// Written a block of records at a time, the work file holds the report as
// one text would be; the viewer gives it back line for line.
void TestReportView::workFileWrittenInBlocks()
{
    QFETCH(int, records);
    std::vector<CallRecord> log;
    for (int n = 1; n <= records; ++n)
        log.push_back(TestRecords::make(n, shortFields.at(n % 3)));
    QString error;
    QVERIFY2(ReportText::writeFullReport(ReportText::FullReportFileName, log, &error), qPrintable(error));
    const QString whole = ReportText::fullReport(log);
    QCOMPARE(TestRecords::readAll(ReportText::FullReportFileName), whole.toUtf8());

    ReportView view;
    QVERIFY(view.showFile(ReportText::FullReportFileName, &error));
    QCOMPARE(view.lines().count(), whole.count(QLatin1Char('\n')) + 1);
    QCOMPARE(view.toPlainText(), whole);
}

void TestReportView::viewerLinesUpTheColumns()
{
    writeLog(shortFields + longFields);
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    const ReportView &view = *form.REditReport;
    QCOMPARE(view.lines().count(), 5 + 2 * 6 + 3 + 1); // the notes hold three line breaks
    // The heading steps over a column with two tabs where a record needs one.
    const int headingTabs[] = {0, 1, 2, 3, 5, 7, 9, 11};
    for (qsizetype line = 5; line < view.lines().count() - 1; ++line) {
        const QString text = view.lines().line(line);
        if (!ReportText::opensRecord(text)) {
            // A note's own lines start under the notes.
            const qreal notes =
                text.startsWith(QLatin1Char('\t')) ? xAfterTab(view, line, 1) : xAfterTab(view, line, 0);
            QCOMPARE(notes, xAfterTab(view, 6, 1));
            continue;
        }
        for (int column = 1; column < 8; ++column)
            QCOMPARE(xAfterTab(view, line, column), xAfterTab(view, 3, headingTabs[column]));
    }
}

void TestReportView::printKeepsTheColumns_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<bool>("landscape");

    QTest::newRow("short fields") << shortFields << false;
    QTest::newRow("long names and companies") << longFields << true;
    QTest::newRow("fields wider than the page") << widerThanThePage << true;
}

void TestReportView::printKeepsTheColumns()
{
    QFETCH(Entries, entries);
    QFETCH(bool, landscape);
    writeLog(entries);
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    QTest::mouseClick(form.ButtonPrint, Qt::LeftButton);
    const PrintedPdf pdf = readPdf(QDir::current().absoluteFilePath(QStringLiteral("DataOutputForm.pdf")));
    QVERIFY2(!pdf.words.isEmpty(), "pdftotext read nothing");

    for (const QSizeF &page : pdf.pages) {
        QCOMPARE(page.width() > page.height(), landscape);
        for (const Word &word : pdf.words)
            QVERIFY2(word.right < page.width() - 20, qPrintable(word.text));
    }
    // Each field starts at its column on every record's line, under its heading.
    const qreal columns[] = {pdf.xOf("Status"), pdf.xOf("Type"), pdf.xOf("Name"), pdf.xOf("Company")};
    qreal dateX = -1;
    for (const Entry &e : entries) {
        const QList<Word> line = pdf.lineOf(e.date);
        QVERIFY(line.size() > 6);
        QVERIFY(near(line.at(1).x, columns[0]));
        QVERIFY(near(line.at(2).x, columns[1]));
        QCOMPARE(line.at(3).text, e.date);
        QVERIFY(dateX < 0 || near(line.at(3).x, dateX));
        dateX = line.at(3).x;
        QCOMPARE(line.at(6).text, firstWord(e.name));
        QVERIFY(near(line.at(6).x, columns[2]));
        const auto company =
            std::find_if(line.begin(), line.end(), [&](const Word &w) { return w.x > columns[3] - 0.5; });
        QVERIFY(company != line.end());
        QCOMPARE(company->text, firstWord(e.company));
        QVERIFY(near(company->x, columns[3]));
    }
    // Every line below the heading starts at a column: a record's number,
    // the notes, or a name or company that goes on in its column.
    const qreal notesX = pdf.xOf(firstWord(entries.first().notes));
    const QList<Word> heading = pdf.lineOf(QStringLiteral("Status"));
    for (const Word &word : pdf.words) {
        // Above the records, and the page number in the bottom inch.
        if ((word.page == heading.first().page && word.y <= heading.first().y + 1)
            || word.y > pdf.pages.at(word.page - 1).height() - 72)
            continue;
        const QList<Word> line = pdf.lineAt(word.page, word.y);
        if (line.first().x != word.x || word.text.startsWith(QLatin1String("---")))
            continue;
        const bool atColumn = near(word.x, notesX) || near(word.x, columns[2]) || near(word.x, columns[3])
            || (word.x < heading.first().x + 10 && word.text.front().isDigit());
        QVERIFY2(atColumn, qPrintable(QStringLiteral("%1 at %2").arg(word.text).arg(word.x)));
    }
    // A note's own lines start under its first.
    for (const Entry &e : entries) {
        for (const QString &part : e.notes.split(QLatin1Char('\n')))
            QVERIFY2(near(pdf.xOf(firstWord(part)), notesX), qPrintable(part));
    }
}

void TestReportView::editsLieOverTheFile_data()
{
    QTest::addColumn<Position>("from");
    QTest::addColumn<Position>("to");
    QTest::addColumn<QString>("text");

    QTest::newRow("typed into a line") << Position{7, 3} << Position{7, 3} << "typed";
    QTest::newRow("line split") << Position{70, 2} << Position{70, 2} << "\n";
    QTest::newRow("lines joined") << Position{63, 99} << Position{64, 0} << "";
    QTest::newRow("across the index's steps") << Position{60, 4} << Position{130, 1} << "a\nb\nc";
    QTest::newRow("at the end") << Position{205, 0} << Position{205, 0} << "Checked\n";
    QTest::newRow("everything") << Position{0, 0} << Position{205, 0} << "";
}

// A report of 100 records edited once: the viewer's text is the file's with
// the edit, the work file stays as written, and undo and redo go back and forth.
void TestReportView::editsLieOverTheFile()
{
    QFETCH(Position, from);
    QFETCH(Position, to);
    QFETCH(QString, text);
    writeLog(Entries(100, shortFields.at(1)));
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    ReportView &view = *form.REditReport;
    const QByteArray file = TestRecords::readAll(ReportText::FullReportFileName);
    const QString written = QString::fromUtf8(file);
    QCOMPARE(view.lines().count(), 206);

    const auto offset = [&](Position p) {
        qsizetype at = 0;
        for (qsizetype line = 0; line < p.line; ++line)
            at = written.indexOf(QLatin1Char('\n'), at) + 1;
        const qsizetype lineEnd = written.indexOf(QLatin1Char('\n'), at);
        return std::min(at + p.column, lineEnd < 0 ? written.size() : lineEnd);
    };
    QString expected = written;
    expected.replace(offset(from), offset(to) - offset(from), text);

    view.setCursorPosition(from);
    view.setCursorPosition(to, QTextCursor::KeepAnchor);
    view.insertPlainText(text);
    QCOMPARE(view.toPlainText(), expected);
    QCOMPARE(view.lines().count(), expected.count(QLatin1Char('\n')) + 1);
    QCOMPARE(TestRecords::readAll(ReportText::FullReportFileName), file);
    view.undo();
    QCOMPARE(view.toPlainText(), written);
    view.redo();
    QCOMPARE(view.toPlainText(), expected);
}

void TestReportView::keysEditTheReport()
{
    writeLog(shortFields);
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    ReportView *view = form.REditReport;
    const QString written = view->toPlainText();
    const QString record1 = view->lines().line(5);

    view->setCursorPosition(Position{5, 0});
    QTest::keyClick(view, Qt::Key_Backspace); // joins the record's line to the rule
    QCOMPARE(view->lines().line(4), QStringLiteral("   ") + QString(128, '-') + record1);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, QStringLiteral("Seen"));
    QCOMPARE(view->lines().line(5), QStringLiteral("Seen") + record1);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier); // selects the rest of the line
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(view->lines().line(5), QStringLiteral("Seen\t"));
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(view->toPlainText(), written);

    // The page keys move a screen at a time; the end of the report is reachable.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view->cursorPosition(), Position({view->lines().count() - 1, 0}));
    QTest::keyClick(view, Qt::Key_PageUp);
    QVERIFY(view->cursorPosition().line < view->lines().count() - 1);
}

void TestReportView::clickPlacesTheCursor_data()
{
    QTest::addColumn<Position>("at");
    QTest::addColumn<Position>("placed");

    QTest::newRow("a heading's word") << Position{3, 26} << Position{3, 26};
    QTest::newRow("a record's company") << Position{5, 51} << Position{5, 51};
    QTest::newRow("a note") << Position{6, 4} << Position{6, 4};
    QTest::newRow("a note's own line") << Position{7, 3} << Position{7, 3};
    QTest::newRow("past a line's end") << Position{8, 500} << Position{8, 13};
}

// A click puts the cursor before the character under it, wherever the
// columns put that character.
void TestReportView::clickPlacesTheCursor()
{
    QFETCH(Position, at);
    QFETCH(Position, placed);
    writeLog(shortFields);
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    ReportView *view = form.REditReport;
    QCOMPARE(view->lines().line(8), QStringLiteral("before Friday"));
    QPoint point = view->cursorRect(at).center() + QPoint(1, 0);
    if (at.column > view->lines().line(at.line).size())
        point.setX(view->viewport()->width() - 2);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    QCOMPARE(view->cursorPosition(), placed);
}

// What is selected goes to the clipboard as the report's lines; pasted, it
// comes back whole.
void TestReportView::clipboardCarriesLines()
{
    writeLog(shortFields);
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.show();
    ReportView *view = form.REditReport;
    const QString written = view->toPlainText();
    view->setCursorPosition(Position{5, 2});
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(copied.count(QLatin1Char('\n')), 4);
    QVERIFY(written.contains(copied));
    QVERIFY(copied.startsWith(view->lines().line(5).mid(2)));

    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(view->toPlainText(), QString(written).remove(copied));
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(view->toPlainText(), QString(written).remove(copied) + copied);
}

// The viewer reads the work file as lines come on screen; a file replaced
// under it is reported, not shown or printed as if it were the report.
void TestReportView::workFileChangedMeanwhile()
{
    writeLog(Entries(40, shortFields.at(0)));
    TPrintPreviewForm form(m_fixture->log(), m_fixture->desktop);
    form.resize(600, 200);
    form.show();
    QVERIFY(form.Panel1->text().isEmpty());
    QVERIFY(TestRecords::writeAll(ReportText::FullReportFileName, "another report\n"));
    form.REditReport->verticalScrollBar()->setValue(100);
    form.REditReport->viewport()->repaint();
    QTRY_VERIFY2(form.Panel1->text().startsWith(QStringLiteral("Report NOT read")), qPrintable(form.Panel1->text()));
    // Lines that cannot be read are not printed as if they were empty.
    QTest::mouseClick(form.ButtonPrint, Qt::LeftButton);
    QVERIFY2(form.Panel1->text().startsWith(QStringLiteral("Print FAILED")), qPrintable(form.Panel1->text()));
    QVERIFY(form.isVisible());
}

QTEST_MAIN(TestReportView)
#include "tst_reportview.moc"
