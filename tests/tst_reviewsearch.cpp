// Finding calls in the review: the search's folding of case and accents, the
// stored dates and times it reads, the filters, sorting by a heading, and a
// choice made through a sorted and filtered grid.

#include "Stringgridreview.h"
#include "callsearch.h"
#include "logfixture.h"
#include "mainwindowfixture.h"
#include "recordtablemodel.h"
#include "reviewfiltermodel.h"
#include "reviewfixtures.h"

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <memory>

class TestReviewSearch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void foldsCaseAndAccents_data();
    void foldsCaseAndAccents();
    void readsStoredDatesAndTimes_data();
    void readsStoredDatesAndTimes();
    void sortingProxyPaintsAndPicks();
    void filters_data();
    void filters();
    void sortsByHeading_data();
    void sortsByHeading();
    void refreshKeepsFilterAndSort();
    void findSortAndChooseFromMainWindow();

private:
    std::unique_ptr<LogFixture> m_fixture;
};


void TestReviewSearch::init()
{
    m_fixture = std::make_unique<LogFixture>();
    QVERIFY(m_fixture->dir.isValid());
}

void TestReviewSearch::cleanup()
{
    m_fixture.reset();
}

void TestReviewSearch::foldsCaseAndAccents_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::addColumn<QString>("digits");
    QTest::newRow("plain") << "Ann Lee" << "ann lee" << "";
    QTest::newRow("acute") << "Díaz" << "diaz" << "";
    QTest::newRow("capital with accent") << "ÉMILE" << "emile" << "";
    QTest::newRow("cedilla and umlaut") << "Façade Müller" << "facade muller" << "";
    QTest::newRow("ligature") << "ﬁle" << "file" << "";
    QTest::newRow("phone with dashes") << "555-123-4567" << "555-123-4567" << "5551234567";
    QTest::newRow("phone with brackets") << "(800) 555-1234" << "(800) 555-1234" << "8005551234";
    QTest::newRow("placeholder phone") << "###-555-1234" << "###-555-1234" << "5551234";
    QTest::newRow("no digits") << "Unknown" << "unknown" << "";
}

void TestReviewSearch::foldsCaseAndAccents()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QFETCH(QString, digits);
    QCOMPARE(CallSearch::fold(text), folded);
    QCOMPARE(CallSearch::phoneDigits(text), digits);
}

void TestReviewSearch::readsStoredDatesAndTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<bool>("boundValid");
    QTest::newRow("leading zeros") << "06/14/2024" << QDate(2024, 6, 14) << -1 << true;
    QTest::newRow("no leading zeros") << "6/4/2024" << QDate(2024, 6, 4) << -1 << true;
    QTest::newRow("leap day") << "2/29/2024" << QDate(2024, 2, 29) << -1 << true;
    QTest::newRow("no such day") << "2/30/2024" << QDate() << -1 << false;
    QTest::newRow("month 13") << "13/1/2024" << QDate() << -1 << false;
    QTest::newRow("two-digit year") << "6/14/24" << QDate() << -1 << false;
    QTest::newRow("words") << "next Tuesday" << QDate() << -1 << false;
    QTest::newRow("ISO typed in a filter") << "2024-06-14" << QDate() << -1 << true;
    QTest::newRow("morning") << " 9:30AM" << QDate() << 570 << false;
    QTest::newRow("noon") << "12:05PM" << QDate() << 725 << false;
    QTest::newRow("midnight") << "12:05AM" << QDate() << 5 << false;
    QTest::newRow("afternoon, lower case") << "3:15pm" << QDate() << 915 << false;
    QTest::newRow("24-hour clock") << "14:30" << QDate() << 870 << false;
    QTest::newRow("hour 13 with PM") << "13:30PM" << QDate() << -1 << false;
    QTest::newRow("minute 60") << "9:60AM" << QDate() << -1 << false;
    QTest::newRow("not a time") << "noonish" << QDate() << -1 << false;
}

void TestReviewSearch::readsStoredDatesAndTimes()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(int, minutes);
    QFETCH(bool, boundValid);
    QCOMPARE(CallSearch::storedDate(text), date);
    QCOMPARE(CallSearch::storedMinutes(text), minutes);
    if (minutes < 0) {
        const CallSearch::DateBound bound = CallSearch::parseDateBound(text);
        QVERIFY(!bound.blank);
        QCOMPARE(bound.valid, boundValid);
    }
    QVERIFY(CallSearch::parseDateBound(QStringLiteral("  ")).blank);
}

void TestReviewSearch::sortingProxyPaintsAndPicks()
{
    appendEntries(LogFile, threeEntries);
    ModalAnswerer answerer(m_fixture->desktop, [](QDialog *dialog) {
        auto *review = qobject_cast<TFormRecordReview *>(dialog);
        QVERIFY(review);
        QTableView *grid = review->DataGrid;
        auto *proxy = new QSortFilterProxyModel(review);
        proxy->setSourceModel(grid->model());
        proxy->sort(0, Qt::DescendingOrder);
        grid->setModel(proxy);
        QCOMPARE(proxy->index(0, 6).data().toString(), QStringLiteral("Bob Stone"));

        // The top line is record 3: it is painted with record 3's texts.
        const QRect cell = grid->visualRect(proxy->index(0, 6));
        QImage expected(cell.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&expected);
        review->DataGridDrawCell(&painter, 6, 1, QRect(QPoint(0, 0), cell.size()), false, QStringLiteral("Bob Stone"));
        painter.end();
        grid->clearSelection();
        grid->viewport()->repaint();
        const QImage shown = grid->viewport()->grab(cell).toImage().convertToFormat(expected.format());
        QCOMPARE(shown, expected);

        const QPoint at = cell.center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    });
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    QCOMPARE(m_fixture->desktop.runDialog(review), 4);
    QCOMPARE(review.chosenRecordNumber(), 3);
}

void TestReviewSearch::filters_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("status");
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<bool>("dateError");
    const QList<int> all = {1, 2, 3, 4, 5};
    QTest::newRow("nothing chosen") << "" << 0 << "" << "" << 0 << all << false;
    QTest::newRow("name without accent") << "diaz" << 0 << "" << "" << 0 << QList<int>{4} << false;
    QTest::newRow("name in capitals with accent") << "DÍAZ" << 0 << "" << "" << 0 << QList<int>{4} << false;
    QTest::newRow("accented search finds plain text") << "émile" << 0 << "" << "" << 0 << QList<int>{5} << false;
    QTest::newRow("part of a name") << "ann" << 0 << "" << "" << 0 << QList<int>{1} << false;
    QTest::newRow("company and notes") << "cafe" << 0 << "" << "" << 0 << QList<int>{3, 4} << false;
    QTest::newRow("every word must match") << "cafe order" << 0 << "" << "" << 0 << QList<int>{3} << false;
    QTest::newRow("phone digits only") << "5551234" << 0 << "" << "" << 0 << QList<int>{1, 2, 3} << false;
    QTest::newRow("phone as written elsewhere") << "987-6543" << 0 << "" << "" << 0 << QList<int>{4} << false;
    QTest::newRow("notes altered on disk") << "happy new" << 0 << "" << "" << 0 << QList<int>{2} << false;
    QTest::newRow("messages") << "" << 3 << "" << "" << 0 << QList<int>{3} << false;
    QTest::newRow("incoming with search") << "a" << 1 << "" << "" << 0 << QList<int>{1, 4} << false;
    QTest::newRow("date range") << "" << 0 << "1/1/2024" << "12/31/2024" << 0 << QList<int>{1, 2} << false;
    QTest::newRow("range ends on the day") << "" << 0 << "" << "6/14/2024" << 0 << QList<int>{1, 4} << false;
    QTest::newRow("open end, ISO date") << "" << 0 << "2025-01-01" << "" << 0 << QList<int>{3} << false;
    QTest::newRow("from after to") << "" << 0 << "1/1/2025" << "1/1/2024" << 0 << all << true;
    QTest::newRow("unreadable from") << "" << 0 << "13/45/2024" << "" << 0 << all << true;
    QTest::newRow("unreadable to keeps a good from") << "" << 0 << "1/1/2025" << "soon" << 0 << QList<int>{3} << true;
    QTest::newRow("altered or edited") << "" << 0 << "" << "" << 1 << QList<int>{2, 4} << false;
    QTest::newRow("altered") << "" << 0 << "" << "" << 2 << QList<int>{2} << false;
    QTest::newRow("edited") << "" << 0 << "" << "" << 3 << QList<int>{4} << false;
    QTest::newRow("no match") << "zebra" << 0 << "" << "" << 0 << QList<int>{} << false;
}

void TestReviewSearch::filters()
{
    QFETCH(QString, search);
    QFETCH(int, type);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, status);
    QFETCH(QList<int>, shown);
    QFETCH(bool, dateError);
    openSearchLog(LogFile);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    QCOMPARE(review.LabelShown->text(), QStringLiteral("5 of 5 records shown"));
    typeInto(review.EditSearch, search);
    review.ComboType->setCurrentIndex(type);
    QTest::keyClicks(review.EditDateFrom, from);
    QTest::keyClicks(review.EditDateTo, to);
    review.ComboStatus->setCurrentIndex(status);

    QCOMPARE(shownRecords(review), shown);
    QCOMPARE(review.LabelShown->text(), QStringLiteral("%1 of 5 records shown").arg(shown.size()));
    QCOMPARE(!review.LabelFilterError->text().isEmpty(), dateError);
    QCOMPARE(review.LabelNoMatch->isVisible(), shown.isEmpty());
    QCOMPARE(review.DataGrid->isVisible(), !shown.isEmpty());
    // Records the filters hide are neither changed nor forgotten.
    QCOMPARE(review.recordModel()->rowCount(), 5);
}

void TestReviewSearch::sortsByHeading_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QList<int>>("order");
    QTest::newRow("record, reversed") << 0 << 2 << QList<int>{5, 4, 3, 2, 1};
    QTest::newRow("record, back again") << 0 << 3 << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("date as a date") << 3 << 1 << QList<int>{4, 1, 2, 3, 5};
    QTest::newRow("date, newest first; unreadable last") << 3 << 2 << QList<int>{3, 2, 1, 4, 5};
    QTest::newRow("time by the clock") << 5 << 1 << QList<int>{1, 4, 2, 3, 5};
    QTest::newRow("time, reversed; unreadable last") << 5 << 2 << QList<int>{3, 2, 4, 1, 5};
    QTest::newRow("name: accented beside plain") << 6 << 1 << QList<int>{1, 3, 4, 5, 2};
    QTest::newRow("company: lower case among upper") << 7 << 1 << QList<int>{1, 5, 4, 3, 2};
    QTest::newRow("status, then file order") << 1 << 1 << QList<int>{4, 1, 3, 5, 2};
}

void TestReviewSearch::sortsByHeading()
{
    QFETCH(int, column);
    QFETCH(int, clicks);
    QFETCH(QList<int>, order);
    openSearchLog(LogFile);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    const int widthBefore = review.DataGrid->columnWidth(column);
    for (int i = 0; i < clicks; ++i)
        clickHeading(review, column);
    QCOMPARE(shownRecords(review), order);
    QCOMPARE(review.DataGrid->columnWidth(column), widthBefore);
    QCOMPARE(review.model()->headerData(column, Qt::Horizontal).toString(), RecordTableModel::Headings[size_t(column)]);
}

void TestReviewSearch::refreshKeepsFilterAndSort()
{
    openSearchLog(LogFile);
    TFormRecordReview review(m_fixture->log(), m_fixture->desktop);
    review.show();
    clickHeading(review, 6);
    QTest::keyClicks(review.EditSearch, QStringLiteral("o"));
    QCOMPARE(shownRecords(review), QList<int>({3, 4, 5, 2}));

    appendEntries(LogFile, {{"I", "7/1/2025", "8:00AM", "555-222-3333", "Adam Ostrowski", "Zed", "x"}});
    QTest::mouseClick(review.ButtonRefresh, Qt::LeftButton);
    QCOMPARE(review.EditSearch->text(), QStringLiteral("o"));
    QCOMPARE(shownRecords(review), QList<int>({6, 3, 4, 5, 2}));
    QCOMPARE(review.LabelShown->text(), QStringLiteral("5 of 6 records shown"));

    // Ctrl+F goes back to the search box from the grid.
    QApplication::setActiveWindow(&review);
    QVERIFY(QTest::qWaitForWindowActive(&review));
    review.DataGrid->setFocus();
    QTest::keyClick(review.DataGrid, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), review.EditSearch);
}

void TestReviewSearch::findSortAndChooseFromMainWindow()
{
    MainWindowFixture fixture;
    openSearchLog(fixture.dataFile());
    TMainForm *window = fixture.open();

    ModalAnswerer answerer(fixture.desktop, [](QDialog *dialog) {
        auto *review = qobject_cast<TFormRecordReview *>(dialog);
        QVERIFY(review);
        clickHeading(*review, 3);
        clickHeading(*review, 3);
        QTest::keyClicks(review->EditDateFrom, QStringLiteral("1/1/2024"));
        QCOMPARE(shownRecords(*review), QList<int>({3, 2, 1}));
        const QPoint at = review->DataGrid->visualRect(review->model()->index(1, 0)).center();
        QTest::mouseClick(review->DataGrid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(review->DataGrid->viewport(), Qt::LeftButton, {}, at);
    });
    window->Review1->trigger();

    QCOMPARE(answerer.seen, QStringList({"TFormRecordReview"}));
    QCOMPARE(window->state().SelectedRecord, 2);
    QCOMPARE(window->EditName->text(), QStringLiteral("Unknown Caller"));
    QCOMPARE(window->Memo1->toPlainText(), QStringLiteral("Wished a happy new year"));
}

QTEST_MAIN(TestReviewSearch)
#include "tst_reviewsearch.moc"
