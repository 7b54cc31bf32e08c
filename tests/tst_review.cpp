// The review grid: its window, the records it lists and marks as it reads
// them, its column widths, the ways it ends, and a review started from the
// log-entry window.

#include "Stringgridreview.h"
#include "VorlenMainFile.h"
#include "Warning.h"
#include "recordtablemodel.h"
#include "reviewfiltermodel.h"
#include "reviewcolumnsizer.h"
#include "mainwindowfixture.h"
#include "logfixture.h"
#include "reviewfixtures.h"
#include "screenfixture.h"

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
#include <QTableView>

#include <memory>

class TestReview : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window();
    void listsRecordsInFileOrder();
    void marksFailingRecordOnDisk();
    void staysWithinFile_data();
    void staysWithinFile();
    void columnWidthsFollowColumnToTheLeft_data();
    void columnWidthsFollowColumnToTheLeft();
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

private:
    std::unique_ptr<LogFixture> m_fixture;
};

namespace {

const QString LogFile = QStringLiteral("VNData.dta");

QStringList rowTexts(const ReviewFilterModel *model, int row)
{
    QStringList texts;
    for (int column = 0; column < model->columnCount(); ++column)
        texts.append(model->text(row, column));
    return texts;
}

} // namespace

void TestReview::init()
{
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
    QCOMPARE(grid->model()->columnCount(), 9);
    const QStringList headings = {"Record", "Status ", "Type ", "Date ", "Phone ",
                                  "Time ", "Name ", "Company ", "Notes "};
    for (int column = 0; column < 9; ++column)
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
                                              "Acme", "Call back"}));
    // The placeholder area code is shown as stored.
    QCOMPARE(rowTexts(model, 1), QStringList({"2", "O", "O", "12/25/2024", "###-555-1234", "12:05PM", "Unknown Caller",
                                              "Unknown", "Wished a merry Christmas"}));
    QCOMPARE(rowTexts(model, 2), QStringList({"3", "O", "M", "01/02/2025", "800-555-1234", " 3:15PM", "Bob Stone",
                                              "Stone & Sons", "Left a message; café order"}));
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

QTEST_MAIN(TestReview)
#include "tst_review.moc"
