// The review grid: its window, the records it lists and marks as it reads
// them, its column widths, the ways it ends, and a review started from the
// log-entry window.

#include "Stringgridreview.h"
#include "VorlenMainFile.h"
#include "Warning.h"
#include "recordtablemodel.h"
#include "reviewfiltermodel.h"
#include "reviewcolumnsizer.h"
#include "reviewsettings.h"
#include "mainwindowfixture.h"
#include "logfixture.h"
#include "reviewfixtures.h"
#include "screenfixture.h"
#include "windowfont.h"

#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QSpinBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolTip>

#include <memory>

class TestReview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void listsRecordsInFileOrder();
    void marksFailingRecordOnDisk();
    void staysWithinFile_data();
    void staysWithinFile();
    void columnWidthsFollowColumnToTheLeft_data();
    void columnWidthsFollowColumnToTheLeft();
    void estimatedWidthsCountEveryCharacter();
    void refreshRereadsAndResizes();
    void results_data();
    void results();
    void doubleClickOnBadNumberKeepsWindow();
    void drawsCellsInPaletteColours();
    void warnsWhenDataFileMissing();
    void usesConfiguredDataFile();

    void reviewSelectsChosenRecord_data();
    void reviewSelectsChosenRecord();
    void reviewEndedWithoutChoice_data();
    void reviewEndedWithoutChoice();
    void reviewWithoutDataFile();

    void keysChooseTheCurrentLine_data();
    void keysChooseTheCurrentLine();
    void enterAndEscapeInTheFilterBar_data();
    void enterAndEscapeInTheFilterBar();
    void sortedHeadingShowsItsArrow();
    void datesSortByDayThenClockThenNumber_data();
    void datesSortByDayThenClockThenNumber();
    void remembersWhatTheUserLeft();
    void placesTheWindowOnAScreen_data();
    void placesTheWindowOnAScreen();
    void tooltipsExplainAndComplete_data();
    void tooltipsExplainAndComplete();
    void longTextsEndInAnEllipsis();

private:
    std::unique_ptr<LogFixture> m_fixture;
    QTemporaryDir m_settingsDir;
};

namespace {


QStringList rowTexts(const ReviewFilterModel *model, int row)
{
    QStringList texts;
    for (int column = 0; column < model->columnCount(); ++column)
        texts.append(model->text(row, column));
    return texts;
}

} // namespace

void TestReview::initTestCase()
{
    // The window's memory goes to a folder of the test's own, never to the user's settings.
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("CallLogTest"));
}

void TestReview::init()
{
    QSettings().clear();
    m_fixture = std::make_unique<LogFixture>();
    QVERIFY(m_fixture->dir.isValid());
}

void TestReview::cleanup()
{
    m_fixture.reset();
}

void TestReview::window()
{
    // The designed size, on a screen that holds it (a smaller one shrinks the window).
    SCREENFIXTURE_RUN_ON(1280, 1024, 1);
    appendEntries(LogFile, threeEntries);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    QCOMPARE(review.windowTitle(), QStringLiteral("Record Review"));
    QCOMPARE(review.size(), QSize(930, 587));
    QCOMPARE(review.Panel1->text(), QStringLiteral("Double click a line to review or edit."));
    QVERIFY(review.Panel1->font().bold());
    QCOMPARE(review.Panel1->font().pixelSize(), 15);
    QCOMPARE(review.ButtonRefresh->text(), QStringLiteral("Refresh"));
    QCOMPARE(review.ButtonCancel->text(), QStringLiteral("Cancel"));

    QTableView *grid = review.DataGrid;
    QCOMPARE(grid->font().pixelSize(), 13);
    QVERIFY(!grid->showGrid());
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    // The record's nine columns, then the call-back kept beside the log.
    QCOMPARE(grid->model()->columnCount(), 10);
    const QStringList headings = {"Record", "Status ", "Type ", "Date ",    "Phone ",
                                  "Time ",  "Name ",   "Company ", "Notes ", "Call back"};
    for (int column = 0; column < 10; ++column)
        QCOMPARE(grid->model()->headerData(column, Qt::Horizontal).toString(), headings.at(column));
}

void TestReview::listsRecordsInFileOrder()
{
    appendEntries(LogFile, threeEntries);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    const ReviewFilterModel *model = review.model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(rowTexts(model, 0), QStringList({"1", "O", "I", "06/14/2024", "555-123-4567", " 9:30AM", "Ann Lee",
                                              "Acme", "Call back", ""}));
    // The placeholder area code is shown as stored.
    QCOMPARE(rowTexts(model, 1), QStringList({"2", "O", "O", "12/25/2024", "###-555-1234", "12:05PM", "Unknown Caller",
                                              "Unknown", "Wished a merry Christmas", ""}));
    QCOMPARE(rowTexts(model, 2), QStringList({"3", "O", "M", "01/02/2025", "800-555-1234", " 3:15PM", "Bob Stone",
                                              "Stone & Sons", "Left a message; café order", ""}));
    // The first line is the selected one, so its record is the one chosen.
    QCOMPARE(review.DataGrid->currentIndex().row(), 0);
    QCOMPARE(review.chosenRecordNumber(), 1);
}

void TestReview::marksFailingRecordOnDisk()
{
    appendEntries(LogFile, threeEntries);
    patchField(LogFile, 2, CallRecord::Notes, QStringLiteral("Wished a happy new year"));
    QByteArray expected = TestRecords::readAll(LogFile);
    const int statusAt = RecordSize + CallRecord::offset(CallRecord::Status);
    expected[statusAt] = 'X';

    {
        TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
        review.show();
        QCOMPARE(review.model()->text(1, 1), QStringLiteral("X"));
        QCOMPARE(review.model()->text(1, 8), QStringLiteral("Wished a happy new year"));
        QCOMPARE(review.model()->text(0, 1), QStringLiteral("O"));
        QCOMPARE(review.model()->text(2, 1), QStringLiteral("O"));
    }
    // Only the status letter of the altered record changed on disk.
    QCOMPARE(TestRecords::readAll(LogFile), expected);

    TFormRecordReview again(m_fixture->log(), m_fixture->desktop);
    again.show();
    QCOMPARE(again.model()->text(1, 1), QStringLiteral("X"));
    QCOMPARE(TestRecords::readAll(LogFile), expected);
}

void TestReview::staysWithinFile_data()
{
    QTest::addColumn<QString>("lastNumber");
    QTest::addColumn<int>("rows");
    QTest::newRow("last number beyond the file") << "7" << 3;
    QTest::newRow("last number short of the file") << "2" << 2;
    QTest::newRow("last number zero") << "0" << 0;
    QTest::newRow("last number not a number") << "abc" << 0;
    QTest::newRow("last number negative") << "-4" << 0;
}

void TestReview::staysWithinFile()
{
    QFETCH(QString, lastNumber);
    QFETCH(int, rows);
    appendEntries(LogFile, threeEntries);
    patchField(LogFile, 3, CallRecord::RecordNumber, lastNumber);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    QCOMPARE(review.model()->rowCount(), rows);
    for (int row = 0; row < rows; ++row)
        QCOMPARE(review.model()->text(row, 4), threeEntries.at(row).phone);
    QCOMPARE(QFileInfo(LogFile).size(), qint64(3 * RecordSize));
}

void TestReview::columnWidthsFollowColumnToTheLeft_data()
{
    QTest::addColumn<bool>("inSlices");
    QTest::newRow("measured at once") << false;
    QTest::newRow("measured in slices") << true;
}

void TestReview::columnWidthsFollowColumnToTheLeft()
{
    QFETCH(bool, inSlices);
    const QString longCompany = QStringLiteral("International Widgets and Telephone Company");
    appendEntries(LogFile, {
                                {"I", "6/14/2024", "9:30AM", "555-123-4567", "Ann", "Acme", "x"},
                                {"M", "12/25/2024", "12:05PM", "(800)555-1234", "Maximilian Mustermann", longCompany, "y"},
                                {"O", "1/2/2025", "3:15PM", "555-1234", "Bo", "Co", "z"},
                            });
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    auto *sizer = review.findChild<ReviewColumnSizer *>(QStringLiteral("ColumnSizer"));
    QVERIFY(sizer);
    if (inSlices)
        sizer->setSynchronousBudget(0); // as for a log too long to measure at once
    review.show();
    QCOMPARE(sizer->finished(), !inSlices);
    QTRY_VERIFY(sizer->finished());
    const QFontMetrics metrics(review.DataGrid->font());
    auto widest = [&metrics](const QStringList &texts) {
        int w = 0;
        for (const QString &text : texts)
            w = qMax(w, metrics.horizontalAdvance(text));
        return w;
    };
    QTableView *grid = review.DataGrid;
    QCOMPARE(grid->columnWidth(0), 50);
    QCOMPARE(grid->columnWidth(1), 50);
    QCOMPARE(grid->columnWidth(2), 50);
    QCOMPARE(grid->columnWidth(3), widest({"I", "M", "O"}) + 75);
    QCOMPARE(grid->columnWidth(4), widest({"6/14/2024", "12/25/2024", "1/2/2025"}) + 50);
    QCOMPARE(grid->columnWidth(5), widest({"555-123-4567", "(800)555-1234", "555-1234"}));
    QCOMPARE(grid->columnWidth(6), widest({"9:30AM", "12:05PM", "3:15PM"}) + 100);
    QCOMPARE(grid->columnWidth(7), widest({"Ann", "Maximilian Mustermann", "Bo"}) + 50);
    QCOMPARE(grid->columnWidth(8), metrics.horizontalAdvance(longCompany) + 225);
    // The long company widens Notes, not its own column.
    QVERIFY(grid->columnWidth(7) < metrics.horizontalAdvance(longCompany));
}

// Until a long log is measured, its widths are estimated on every core; a
// row with characters past ASCII counts too.
void TestReview::estimatedWidthsCountEveryCharacter()
{
    const QString longName = QStringLiteral("\u0396\u03c9\u03ae \u03a0\u03b1\u03c0\u03b1\u03b4\u03bf\u03c0"
                                            "\u03bf\u03cd\u03bb\u03bf\u03c5-\u039a\u03b1\u03c1\u03b1\u03b3");
    QList<Entry> entries = threeEntries;
    entries[1].name = longName;
    appendEntries(LogFile, entries);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    auto *sizer = review.findChild<ReviewColumnSizer *>(QStringLiteral("ColumnSizer"));
    QVERIFY(sizer);
    sizer->setSynchronousBudget(0);
    review.show();
    QVERIFY(!sizer->finished());
    const int exact = QFontMetrics(review.DataGrid->font()).horizontalAdvance(longName) + 50;
    const int estimated = review.DataGrid->columnWidth(7);
    QVERIFY2(qAbs(estimated - exact) <= exact / 10, qPrintable(QStringLiteral("%1 for %2").arg(estimated).arg(exact)));
}

void TestReview::refreshRereadsAndResizes()
{
    const QString longCompany = QStringLiteral("International Widgets and Telephone Company");
    appendEntries(LogFile, {{"I", "6/14/2024", "9:30AM", "555-123-4567", "Ann", longCompany, "x"}});
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    const QFontMetrics metrics(review.DataGrid->font());
    QCOMPARE(review.DataGrid->columnWidth(8), metrics.horizontalAdvance(longCompany) + 225);
    review.DataGrid->setColumnWidth(8, 20); // as the user drags it

    // Another program replaces the log while the window is open.
    QVERIFY(QFile::remove(LogFile));
    appendEntries(LogFile, threeEntries);
    patchField(LogFile, 3, CallRecord::Name, QStringLiteral("Robert Stone"));
    QTest::mouseClick(review.ButtonRefresh, Qt::LeftButton);

    QCOMPARE(review.model()->rowCount(), 3);
    QCOMPARE(review.model()->text(2, 6), QStringLiteral("Robert Stone"));
    QCOMPARE(review.model()->text(2, 1), QStringLiteral("X"));
    QCOMPARE(statusOnDisk(LogFile, 3), QStringLiteral("X"));
    // Measured afresh: the company that is gone no longer counts.
    QCOMPARE(review.DataGrid->columnWidth(8), metrics.horizontalAdvance(QStringLiteral("Stone & Sons")) + 225);
}

void TestReview::results_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("result");
    QTest::newRow("double-click record 1") << "double-click" << 0 << 2;
    QTest::newRow("double-click record 3") << "double-click" << 2 << 4;
    QTest::newRow("cancel") << "cancel" << 2 << 1;
    QTest::newRow("frame close") << "close" << 2 << 1;
    QTest::newRow("escape") << "escape" << 2 << 1;
}

void TestReview::results()
{
    QFETCH(QString, action);
    QFETCH(int, row);
    QFETCH(int, result);
    appendEntries(LogFile, threeEntries);
    ModalAnswerer answerer(m_fixture->desktop, [&](QDialog *dialog) {
        auto *review = qobject_cast<TFormRecordReview *>(dialog);
        QVERIFY(review);
        QTableView *grid = review->DataGrid;
        const QPoint at = grid->visualRect(review->model()->index(row, 6)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        if (action == "double-click")
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        else if (action == "cancel")
            QTest::mouseClick(review->ButtonCancel, Qt::LeftButton);
        else if (action == "close")
            review->close();
        else
            QTest::keyClick(grid, Qt::Key_Escape);
    });
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    QCOMPARE(m_fixture->desktop.runDialog(review), result);
    QCOMPARE(answerer.seen, QStringList({"TFormRecordReview"}));
    QCOMPARE(review.chosenRecordNumber(), row + 1);
}

void TestReview::doubleClickOnBadNumberKeepsWindow()
{
    appendEntries(LogFile, threeEntries);
    patchField(LogFile, 2, CallRecord::RecordNumber, QStringLiteral("2b"));
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    QTableView *grid = review.DataGrid;
    const QPoint first = grid->visualRect(review.model()->index(0, 0)).center();
    const QPoint second = grid->visualRect(review.model()->index(1, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(review.chosenRecordNumber(), 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second);
    // The line cannot name a record: the window says so and stays.
    QVERIFY(review.isVisible());
    QCOMPARE(review.result(), 0);
    QCOMPARE(review.Panel1->text(), QStringLiteral("'2b' is not a valid record number"));
    QCOMPARE(review.chosenRecordNumber(), 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(review.Panel1->text(), QStringLiteral("Double click a line to review or edit."));
}

void TestReview::drawsCellsInPaletteColours()
{
    appendEntries(LogFile, threeEntries);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    QPalette colours = review.DataGrid->palette();
    colours.setColor(QPalette::Button, QColor(10, 20, 30));
    colours.setColor(QPalette::Light, QColor(250, 250, 250));
    colours.setColor(QPalette::Dark, QColor(5, 5, 5));
    colours.setColor(QPalette::Highlight, QColor(0, 0, 200));
    colours.setColor(QPalette::Base, QColor(255, 255, 240));
    review.DataGrid->setPalette(colours);

    QImage image(120, 40, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    review.DataGridDrawCell(&painter, 3, 0, QRect(0, 0, 60, 20), false, QStringLiteral("Date "));
    review.DataGridDrawCell(&painter, 0, 3, QRect(60, 0, 60, 20), true, QStringLiteral("3"));
    review.DataGridDrawCell(&painter, 8, 1, QRect(0, 20, 60, 20), false, QStringLiteral("Call back"));
    painter.end();

    QCOMPARE(image.pixelColor(0, 0), QColor(250, 250, 250));   // heading frame, top left
    QCOMPARE(image.pixelColor(59, 19), QColor(5, 5, 5));       // heading frame, bottom right
    QCOMPARE(image.pixelColor(57, 17), QColor(10, 20, 30));    // heading face
    QCOMPARE(image.pixelColor(118, 18), QColor(0, 0, 200));    // selected line
    QCOMPARE(image.pixelColor(58, 38), QColor(255, 255, 240)); // other lines
    // The text stays inside its cell.
    QCOMPARE(image.pixelColor(61, 39), QColor(Qt::magenta));
    // The chosen record follows the selection, not the drawing.
    QCOMPARE(review.chosenRecordNumber(), 1);
}

void TestReview::warnsWhenDataFileMissing()
{
    QStringList texts;
    ModalAnswerer answerer(m_fixture->desktop, [&](QDialog *dialog) {
        if (auto *warning = qobject_cast<TFormWarning *>(dialog)) {
            texts << warning->Edit1->text() << warning->Edit2->text();
            QTest::mouseClick(warning->ButtonOK, Qt::LeftButton);
        }
    });
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop); // creation finds no data file
    QTRY_COMPARE(answerer.seen.size(), 1);
    review.show(); // and neither does filling
    QTRY_COMPARE(answerer.seen.size(), 2);
    QCOMPARE(answerer.seen, QStringList({"TFormWarning", "TFormWarning"}));
    QCOMPARE(texts, QStringList({"Warning!", "No Data Available", "Warning!", "No Data Available"}));
    QVERIFY(review.isVisible());
    QCOMPARE(review.model()->rowCount(), 0);

    // A grid that was filled keeps its lines when the file goes away.
    appendEntries(LogFile, threeEntries);
    QTest::mouseClick(review.ButtonRefresh, Qt::LeftButton);
    QCOMPARE(review.model()->rowCount(), 3);
    QVERIFY(QFile::remove(LogFile));
    QTest::mouseClick(review.ButtonRefresh, Qt::LeftButton);
    QTRY_COMPARE(answerer.seen.size(), 3);
    QCOMPARE(review.model()->rowCount(), 3);
}

void TestReview::usesConfiguredDataFile()
{
    QVERIFY(TestRecords::writeConfiguration(QStringLiteral("VNConfig.cfg"), "calls2024.dta\n-\n###\n###\nArial\n0\n10\n"));
    appendEntries(QStringLiteral("calls2024.dta"), threeEntries.mid(0, 2));
    appendEntries(LogFile, threeEntries);

    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    QCOMPARE(review.dataFileName(), QStringLiteral("calls2024.dta"));
    QCOMPARE(review.model()->rowCount(), 2);
}

void TestReview::reviewSelectsChosenRecord_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("appendedMeanwhile");
    QTest::newRow("record 1") << 0 << 0;
    QTest::newRow("record 3") << 2 << 0;
    QTest::newRow("record appended by another program") << 4 << 2;
}

void TestReview::reviewSelectsChosenRecord()
{
    QFETCH(int, row);
    QFETCH(int, appendedMeanwhile);
    MainWindowFixture fixture;
    const QList<Entry> entries = threeEntries + threeEntries.mid(0, appendedMeanwhile);
    appendEntries(fixture.dataFile(), threeEntries);
    TMainForm *window = fixture.open();
    appendEntries(fixture.dataFile(), threeEntries.mid(0, appendedMeanwhile));

    ModalAnswerer answerer(fixture.desktop, [row](QDialog *dialog) {
        auto *review = qobject_cast<TFormRecordReview *>(dialog);
        QVERIFY(review);
        const QPoint at = review->DataGrid->visualRect(review->model()->index(row, 0)).center();
        QTest::mouseClick(review->DataGrid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(review->DataGrid->viewport(), Qt::LeftButton, {}, at);
    });
    window->Review1->trigger();

    QCOMPARE(answerer.seen, QStringList({"TFormRecordReview"}));
    QCOMPARE(window->state().SelectedRecord, row + 1);
    QCOMPARE(window->EditName->text(), entries.at(row).name);
    QCOMPARE(window->EditPhone->text(), entries.at(row).phone);
    QCOMPARE(fixture.indicator(), TMainForm::Lime);
    QVERIFY(window->PrintCurrent->isEnabled());
    QVERIFY(window->printCurrentAllowed());
    QCOMPARE(window->SpinEditSelect->maximum(), 3);
}

void TestReview::reviewEndedWithoutChoice_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("frame close") << "close";
}

void TestReview::reviewEndedWithoutChoice()
{
    QFETCH(QString, how);
    MainWindowFixture fixture;
    appendEntries(fixture.dataFile(), threeEntries);
    TMainForm *window = fixture.open();
    window->Read1Click();
    window->ButtonSelectClick();
    QCOMPARE(window->EditName->text(), threeEntries.at(0).name);
    QVERIFY(window->PrintCurrent->isEnabled());

    ModalAnswerer answerer(fixture.desktop, [how](QDialog *dialog) {
        auto *review = qobject_cast<TFormRecordReview *>(dialog);
        QVERIFY(review);
        if (how == "cancel")
            QTest::mouseClick(review->ButtonCancel, Qt::LeftButton);
        else
            review->close();
    });
    window->Review1Click();

    QCOMPARE(answerer.seen, QStringList({"TFormRecordReview"}));
    QVERIFY(!window->PrintCurrent->isEnabled());
    QVERIFY(!window->printCurrentAllowed());
    QCOMPARE(window->EditName->text(), QStringLiteral("Enter Name"));
    QCOMPARE(window->SpinEditSelect->maximum(), 3);
}

void TestReview::reviewWithoutDataFile()
{
    MainWindowFixture fixture;
    TMainForm *window = fixture.open();
    window->PrintCurrent->setEnabled(true);
    QStringList texts;
    ModalAnswerer answerer(fixture.desktop, [&texts](QDialog *dialog) {
        if (auto *warning = qobject_cast<TFormWarning *>(dialog))
            texts << warning->Edit1->text() << warning->Edit2->text();
        dialog->done(1);
    });
    window->Review1Click();
    // The warning, and no review window after it.
    QCOMPARE(answerer.seen, QStringList({"TFormWarning"}));
    QCOMPARE(texts, QStringList({"Warning!", "No Data Available"}));
    QVERIFY(!window->PrintCurrent->isEnabled());
}

namespace {

// Opens the window on `desktop`, hands it to `act` once it is shown and active, and returns its result.
int runReview(LogFixture &fixture, const std::function<void(TFormRecordReview *)> &act)
{
    ModalAnswerer answerer(fixture.desktop, ModalAnswerer::only<TFormRecordReview>([&](TFormRecordReview *review) {
        QApplication::setActiveWindow(review);
        if (QTest::qWaitForWindowActive(review))
            act(review);
    }));
    TFormRecordReview review(fixture.log(), fixture.desktop);
    return fixture.desktop.runDialog(review);
}

// How many pixels of `colour` each line of the right end of a heading cell holds, lines without any left out.
QList<int> arrowLines(const QImage &cell, const QColor &colour)
{
    QList<int> lines;
    for (int y = 0; y < cell.height(); ++y) {
        int count = 0;
        for (int x = cell.width() - 12; x < cell.width(); ++x)
            count += cell.pixelColor(x, y) == colour;
        if (count > 0)
            lines << count;
    }
    return lines;
}

// Drags the right edge of `column` by `dx` pixels, as the user does.
void dragEdge(QHeaderView *header, int column, int dx)
{
    const QPoint edge(header->sectionViewportPosition(column) + header->sectionSize(column) - 2, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(header->viewport(), edge + QPoint(dx, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, edge + QPoint(dx, 0));
}

} // namespace

void TestReview::keysChooseTheCurrentLine_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter on record 3") << int(Qt::Key_Return) << 2 << 4;
    QTest::newRow("keypad Enter on record 2") << int(Qt::Key_Enter) << 1 << 3;
    QTest::newRow("Space on record 1") << int(Qt::Key_Space) << 0 << 2;
    QTest::newRow("Enter on a line that names no record") << int(Qt::Key_Return) << 3 << 1;
}

void TestReview::keysChooseTheCurrentLine()
{
    QFETCH(int, key);
    QFETCH(int, downs);
    QFETCH(int, result);
    appendEntries(LogFile, threeEntries + threeEntries.mid(0, 1));
    patchField(LogFile, 4, CallRecord::RecordNumber, QStringLiteral("4b"));
    const int ended = runReview(*m_fixture, [&](TFormRecordReview *review) {
        review->DataGrid->setFocus();
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(review->DataGrid, Qt::Key_Down);
        const Qt::KeyboardModifiers keypad = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(review->DataGrid, Qt::Key(key), keypad);
        if (downs == 3) {
            // As with a double-click: the window says so and stays; Escape then cancels.
            QVERIFY(review->isVisible());
            QCOMPARE(review->Panel1->text(), QStringLiteral("'4b' is not a valid record number"));
            QTest::keyClick(review->DataGrid, Qt::Key_Escape);
        }
    });
    QCOMPARE(ended, result);
}

void TestReview::enterAndEscapeInTheFilterBar_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("focusAfterEnter");
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("search box") << "EditSearch" << "cafe" << "DataGrid" << QList<int>{3, 4};
    QTest::newRow("search that finds nothing") << "EditSearch" << "zebra" << "EditSearch" << QList<int>{};
    QTest::newRow("from date") << "EditDateFrom" << "1/1/2025" << "DataGrid" << QList<int>{3};
    QTest::newRow("to date, unreadable") << "EditDateTo" << "13/45/2024" << "DataGrid" << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("type box") << "ComboType" << "" << "DataGrid" << QList<int>{1, 2, 3, 4, 5};
}

void TestReview::enterAndEscapeInTheFilterBar()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, focusAfterEnter);
    QFETCH(QList<int>, shown);
    openSearchLog(LogFile);
    const int ended = runReview(*m_fixture, [&](TFormRecordReview *review) {
        auto *control = review->findChild<QWidget *>(field);
        QVERIFY(control);
        control->setFocus();
        QTest::keyClicks(control, typed);
        QTest::keyClick(control, Qt::Key_Return);
        QVERIFY(review->isVisible());
        QCOMPARE(QApplication::focusWidget()->objectName(), focusAfterEnter);
        QCOMPARE(shownRecords(*review), shown);
        if (focusAfterEnter == QLatin1String("DataGrid"))
            QCOMPARE(review->DataGrid->currentIndex().row(), 0);

        // The first Escape empties a box that holds text; the next one cancels.
        control->setFocus();
        if (auto *box = qobject_cast<QLineEdit *>(control)) {
            QTest::keyClick(control, Qt::Key_Escape);
            QVERIFY(review->isVisible());
            QCOMPARE(box->text(), QString());
            QCOMPARE(shownRecords(*review), QList<int>({1, 2, 3, 4, 5}));
        }
        QTest::keyClick(control, Qt::Key_Escape);
    });
    QCOMPARE(ended, 1);
}

void TestReview::sortedHeadingShowsItsArrow()
{
    openSearchLog(LogFile);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    const QColor red(200, 0, 0);
    QPalette colours = review.DataGrid->palette();
    colours.setColor(QPalette::WindowText, red);
    review.DataGrid->setPalette(colours);
    review.show();
    QHeaderView *header = review.DataGrid->horizontalHeader();
    auto heading = [header](int column) {
        header->viewport()->repaint();
        return header->viewport()
            ->grab(QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column), header->height()))
            .toImage();
    };
    const QImage date = heading(3);
    const QImage name = heading(6);
    QCOMPARE(arrowLines(date, red), QList<int>());

    clickHeading(review, 3);
    const QImage ascending = heading(3);
    QCOMPARE(arrowLines(ascending, red), QList<int>({1, 3, 5, 7}));
    // The heading keeps its text, face and frame; the other headings have no arrow.
    const QRect text(0, 0, date.width() - 14, date.height());
    QCOMPARE(ascending.copy(text), date.copy(text));
    QCOMPARE(heading(6), name);
    clickHeading(review, 3);
    QCOMPARE(arrowLines(heading(3), red), QList<int>({7, 5, 3, 1}));
    clickHeading(review, 6);
    QCOMPARE(heading(3), date);
}

void TestReview::datesSortByDayThenClockThenNumber_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QList<int>>("order");
    QTest::newRow("oldest first") << 1 << QList<int>{3, 6, 8, 7, 1, 4, 5};
    QTest::newRow("newest first") << 2 << QList<int>{1, 7, 8, 6, 4, 3, 5};
}

void TestReview::datesSortByDayThenClockThenNumber()
{
    QFETCH(int, clicks);
    QFETCH(QList<int>, order);
    // Record 2 carries number 8 (another program's doing): between equal days
    // and times the number decides, not the place in the file.
    appendEntries(LogFile, {{"I", "3/1/2024", "3:15PM"},
                            {"I", "3/1/2024", "9:30AM"},
                            {"I", "2/28/2024", "11:00PM"},
                            {"I", "3/1/2024", "noonish"},
                            {"I", "soon", "9:00AM"},
                            {"I", "3/1/2024", " 9:30AM"},
                            {"I", "03/01/2024", "12:05PM"}});
    patchField(LogFile, 2, CallRecord::RecordNumber, QStringLiteral("8"));
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    for (int i = 0; i < clicks; ++i)
        clickHeading(review, 3);
    QCOMPARE(shownRecords(review), order);
}

void TestReview::remembersWhatTheUserLeft()
{
    openSearchLog(LogFile);
    const QFontMetrics metrics(QFont(WindowFont::arial(13)));
    const int notesByRule = metrics.horizontalAdvance(QStringLiteral("Stone & Sons")) + 225;
    int dragged = 0;
    {
        TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
        review.show();
        review.resize(700, 450);
        review.move(60, 40);
        QHeaderView *header = review.DataGrid->horizontalHeader();
        dragged = header->sectionSize(6) + 40;
        dragEdge(header, 6, 40);
        QCOMPARE(header->sectionSize(6), dragged);
        // A column dragged down to almost nothing is not kept hidden.
        dragEdge(header, 1, -46);
        QVERIFY(header->sectionSize(1) < ReviewSettings::NarrowestKept);
        clickHeading(review, 6);
        clickHeading(review, 6);
        QTest::keyClicks(review.EditSearch, QStringLiteral("o"));
        QTest::keyClicks(review.EditDateTo, QStringLiteral("31/12/2024"));
        review.ComboType->setCurrentIndex(2);
        // A refill measures the texts again but keeps the dragged width.
        QTest::mouseClick(review.ButtonRefresh, Qt::LeftButton);
        QCOMPARE(review.DataGrid->columnWidth(6), dragged);
        QCOMPARE(shownRecords(review), QList<int>({2, 5}));
        QTest::mouseClick(review.ButtonCancel, Qt::LeftButton);
    }
    appendEntries(LogFile, {{"O", "1/5/2025", "8:00AM", "555-222-3333", "Zoe Ostrowski", "Stone & Sons", "x"}});
    TFormRecordReview again(m_fixture->log(), m_fixture->desktop);
    again.show();
    QCOMPARE(again.size(), QSize(700, 450));
    QCOMPARE(again.pos(), QPoint(60, 40));
    QCOMPARE(again.DataGrid->columnWidth(6), dragged);
    QCOMPARE(again.DataGrid->columnWidth(8), notesByRule);
    QCOMPARE(again.DataGrid->columnWidth(1), 50);
    QCOMPARE(again.EditSearch->text(), QStringLiteral("o"));
    QCOMPARE(again.ComboType->currentText(), QStringLiteral("Out"));
    // A remembered date that cannot be read is shown as typed, in red, and hides nothing.
    QCOMPARE(again.EditDateTo->text(), QStringLiteral("31/12/2024"));
    QCOMPARE(again.EditDateTo->palette().color(QPalette::Text), QColor(Qt::red));
    QVERIFY(!again.LabelFilterError->text().isEmpty());
    QCOMPARE(shownRecords(again), QList<int>({6, 2, 5}));

    // A double-click on the edge gives the column back to the rule.
    QHeaderView *header = again.DataGrid->horizontalHeader();
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                       QPoint(header->sectionViewportPosition(6) + header->sectionSize(6) - 2, header->height() / 2));
    QCOMPARE(again.DataGrid->columnWidth(6), metrics.horizontalAdvance(QStringLiteral("12:05PM")) + 100);
}

void TestReview::placesTheWindowOnAScreen_data()
{
    // The test's screen is 800 x 600.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QString>("placed");
    QTest::newRow("first opening, the screen too small") << QSize() << QPoint() << "inside";
    QTest::newRow("kept size and place") << QSize(680, 400) << QPoint(20, 30) << "kept";
    QTest::newRow("place off every screen") << QSize(680, 400) << QPoint(5000, -3000) << "centred";
    QTest::newRow("place half off the screen") << QSize(680, 400) << QPoint(500, 20) << "moved in";
    QTest::newRow("larger than the screen") << QSize(3000, 2000) << QPoint(0, 0) << "inside";
    QTest::newRow("smaller than the controls") << QSize(100, 100) << QPoint(20, 30) << "kept";
}

void TestReview::placesTheWindowOnAScreen()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, position);
    QFETCH(QString, placed);
    appendEntries(LogFile, threeEntries);
    if (size.isValid()) {
        TFormRecordReview before(m_fixture->log(), m_fixture->desktop);
        before.resize(size);
        before.move(position);
        before.ButtonCancelClick();
    }
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(area.contains(review.frameGeometry()));
    QVERIFY(review.width() >= review.minimumSizeHint().width());
    if (placed == QLatin1String("kept")) {
        QCOMPARE(review.size(), size.expandedTo(review.minimumSizeHint()));
        QCOMPARE(review.pos(), position);
    } else if (placed == QLatin1String("centred")) {
        QCOMPARE(review.size(), size);
        QVERIFY((review.frameGeometry().center() - area.center()).manhattanLength() <= 4);
    } else if (placed == QLatin1String("moved in")) {
        QCOMPARE(review.size(), size);
        QCOMPARE(review.y(), position.y());
        QVERIFY(review.x() < position.x());
    }
}

void TestReview::tooltipsExplainAndComplete_data()
{
    QTest::addColumn<int>("row"); // -1: the heading
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("tip");
    QTest::newRow("Type heading") << -1 << 2 << "I = In\nO = Out\nM = Msg";
    QTest::newRow("Status heading") << -1 << 1 << "O = saved\nE = edited\nX = altered outside the program";
    QTest::newRow("a message") << 2 << 2 << "M = Msg";
    QTest::newRow("an altered record") << 1 << 1 << "X = altered outside the program";
    QTest::newRow("an edited record") << 3 << 1 << "E = edited";
    QTest::newRow("notes too long for the cell") << 3 << 8 << "asked about the invoice";
    QTest::newRow("a note that looks like markup") << 4 << 8 << "<b>fresh</b> bread & butter";
    QTest::newRow("a name that fits") << 0 << 6 << "";
    QTest::newRow("Name heading") << -1 << 6 << "";
}

void TestReview::tooltipsExplainAndComplete()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, tip);
    openSearchLog(LogFile);
    patchField(LogFile, 5, CallRecord::Notes, QStringLiteral("<b>fresh</b> bread & butter"));
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    QVERIFY(QTest::qWaitForWindowExposed(&review));
    QTableView *grid = review.DataGrid;
    grid->setColumnWidth(8, 60);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QWidget *surface = row < 0 ? grid->horizontalHeader()->viewport() : grid->viewport();
    const QPoint at = row < 0 ? QPoint(grid->horizontalHeader()->sectionViewportPosition(column) + 5, 5)
                              : grid->visualRect(review.model()->index(row, column)).topLeft() + QPoint(5, 5);
    QHelpEvent help(QEvent::ToolTip, at, surface->mapToGlobal(at));
    QApplication::sendEvent(surface, &help);
    if (tip.isEmpty()) {
        QTRY_VERIFY(!QToolTip::isVisible());
    } else {
        QVERIFY(QToolTip::isVisible());
        // Shown as plain text, or as rich text that wraps.
        QString shown = QToolTip::text();
        if (Qt::mightBeRichText(shown)) {
            QTextDocument document;
            document.setHtml(shown);
            shown = document.toPlainText().replace(QChar::LineSeparator, QLatin1Char('\n'));
        }
        QCOMPARE(shown, tip);
    }
}

void TestReview::longTextsEndInAnEllipsis()
{
    appendEntries(LogFile, threeEntries);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    const QString notes = QStringLiteral("Wished a merry Christmas");
    auto drawn = [&review](const QString &text) {
        QImage image(90, 20, QImage::Format_RGB32);
        QPainter painter(&image);
        review.DataGridDrawCell(&painter, 8, 2, image.rect(), false, text);
        return image;
    };
    const QString ending = QFontMetrics(review.DataGrid->font()).elidedText(notes, Qt::ElideRight, 90);
    QVERIFY(ending.endsWith(QChar(0x2026)));
    QCOMPARE(drawn(notes), drawn(ending));
    QVERIFY(drawn(notes) != drawn(notes.left(ending.size())));
}


QTEST_MAIN(TestReview)
#include "tst_review.moc"
