// The field rules as a person meets them in the log-entry window: typed and
// pasted text, the date, time and phone rules, the length limits, and the
// names offered from earlier calls. The rules' own tables are checked as pure
// functions elsewhere; here it is the wiring that counts.

#include "entrywindowfixture.h"

#include <QAbstractItemView>
#include <QCompleter>

using namespace EntryWindowFixture;

namespace {

// Five earlier calls, oldest first; the fourth repeats the first caller's
// name in other letters, and the second has the exit rules' defaults.
void writeEarlierCalls(const QString &path)
{
    const QList<QStringList> calls = {
        {"555-123-4567", "Ann Lee", "Acme"},
        {"555-555-1234", "Unknown Caller", "Unknown"},
        {"800-555-1234", "Bob Stone", "Stone & Sons"},
        {"555-123-4567", "ann lee", "ACME Corp"},
        {"800-555-9999", "Alice Wong", "Acme"},
    };
    QList<TestRecords::Entry> entries;
    for (const QStringList &call : calls) {
        TestRecords::Entry entry;
        entry.phone = call.at(0);
        entry.name = call.at(1);
        entry.company = call.at(2);
        entries << entry;
    }
    TestRecords::appendEntries(path, entries);
}

QStringList completions(QLineEdit *field)
{
    QStringList texts;
    QAbstractItemModel *model = field->completer()->completionModel();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

QColor messageColor(TMainForm *w)
{
    return w->LabelRecordStatus->palette().color(QPalette::WindowText);
}

} // namespace

class TestEntryWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { QApplication::clipboard()->clear(); }

    void datePlaceholderKeepsTheFocus_data();
    void datePlaceholderKeepsTheFocus();
    void refusedDate_data();
    void refusedDate();
    void notesExitLeavesANewEntryAlone();
    void timeField_data();
    void timeField();
    void typedKeysAreFiltered_data();
    void typedKeysAreFiltered();
    void phoneWithConfiguredSeparator_data();
    void phoneWithConfiguredSeparator();
    void pastedSeparatorIsRemoved_data();
    void pastedSeparatorIsRemoved();
    void pastedLinesInOneLineFields_data();
    void pastedLinesInOneLineFields();
    void phoneErrors_data();
    void phoneErrors();
    void companyLimit_data();
    void companyLimit();
    void notesLimit_data();
    void notesLimit();
    void pastedMultiLineNoteIsSavedWhole_data();
    void pastedMultiLineNoteIsSavedWhole();
    void notesExitWhileEditing_data();
    void notesExitWhileEditing();
    void completionFromEarlierCalls_data();
    void completionFromEarlierCalls();
    void completionFollowsSavesAndOpenExisting();
};

void TestEntryWindow::datePlaceholderKeepsTheFocus_data()
{
    QTest::addColumn<bool>("byClick");
    QTest::newRow("Tab") << false;
    QTest::newRow("click on the time") << true;
}

void TestEntryWindow::datePlaceholderKeepsTheFocus()
{
    QFETCH(bool, byClick);
    MainWindowFixture f;
    TMainForm *w = f.open();
    f.tab();
    QCOMPARE(w->EditDate->text(), today);
    paste(w->EditDate, QStringLiteral("mm/dd/yyyy"));
    QCOMPARE(w->EditDate->text(), QStringLiteral("mm/dd/yyyy"));
    const Snapshot before = Snapshot::of(w);

    if (byClick)
        click(w->EditTime);
    else
        f.tab();
    QCOMPARE(QApplication::focusWidget(), w->EditDate);
    QCOMPARE(w->EditDate->text(), today);
    QCOMPARE(w->EditDate->selectedText(), today);
    // No other rule ran: the time's enter rule would have put the time in.
    Snapshot expected = before;
    expected.texts[0] = today;
    QCOMPARE(Snapshot::of(w), expected);
    QCOMPARE(w->EditTime->text(), QStringLiteral("hh:mmAP"));

    // Leaving again goes on as usual.
    f.tab();
    QCOMPARE(QApplication::focusWidget(), w->EditTime);
    QCOMPARE(w->EditDate->text(), QStringLiteral("03/07/2026"));
    QCOMPARE(w->EditTime->text(), QStringLiteral("03:25PM"));
}

void TestEntryWindow::refusedDate_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("pasted");

    QTest::newRow("month 13, typed") << "13/1/2024" << false;
    QTest::newRow("letter typed, refused by the key filter") << "12/x/2024" << false;
    QTest::newRow("slash for the day, pasted") << "12//2024" << true;
    QTest::newRow("leading slash, pasted") << "/1/2024" << true;
    QTest::newRow("letter, pasted") << "1/x/2024" << true;
}

void TestEntryWindow::refusedDate()
{
    QFETCH(QString, entry);
    QFETCH(bool, pasted);
    MainWindowFixture f;
    TMainForm *w = f.open();
    f.tab();
    if (pasted)
        paste(w->EditDate, entry);
    else
        f.type(entry);

    // Straight from the date to the notes.
    click(w->Memo1);
    QCOMPARE(QApplication::focusWidget(), w->Memo1);
    QCOMPARE(f.message(), QStringLiteral("Date Entry Error - Using Default"));
    QCOMPARE(messageColor(w), red);
    QCOMPARE(w->LabelRecordStatus->toolTip(), QStringLiteral("Date Format Error"));
    QCOMPARE(f.indicator(), red);
    QCOMPARE(w->EditDate->text(), today);
    QVERIFY(w->entryError());

    // Back into the date: the message stays while the error stands.
    click(w->EditDate);
    QCOMPARE(QApplication::focusWidget(), w->EditDate);
    QCOMPARE(f.message(), QStringLiteral("Date Entry Error - Using Default"));
    QCOMPARE(f.indicator(), red);
    QCOMPARE(w->EditDate->text(), today);

    // A good date clears it.
    w->EditDate->selectAll();
    f.type(QStringLiteral("6/14/2024"));
    f.tab();
    QCOMPARE(w->EditDate->text(), QStringLiteral("06/14/2024"));
    QCOMPARE(f.message(), QString());
    QCOMPARE(f.indicator(), yellow);
    QCOMPARE(f.hint(), QStringLiteral("Editing-Record not saved"));
    QVERIFY(!w->entryError());
}

void TestEntryWindow::notesExitLeavesANewEntryAlone()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    f.tab();
    f.type(QStringLiteral("13/1/2024"));
    click(w->Memo1);
    f.type(QStringLiteral("note"));
    const Snapshot before = Snapshot::of(w);
    QCOMPARE(before.indicator, red);
    click(w->EditName);
    QCOMPARE(QApplication::focusWidget(), w->EditName);
    QCOMPARE(Snapshot::of(w), before);
}

void TestEntryWindow::timeField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("error");

    QTest::newRow("left as filled in") << QString() << " 3:25PM" << false;
    QTest::newRow("24-hour clock") << "1430" << " 2:30PM" << false;
    QTest::newRow("blank refused while typing") << "2:30 pm" << " 2:30PM" << false;
    QTest::newRow("hour 24") << "2400" << " 3:25PM" << true;
    QTest::newRow("hour 25") << "25:00" << " 3:25PM" << true;
}

void TestEntryWindow::timeField()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(bool, error);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(Time);
    QCOMPARE(w->EditTime->text(), QStringLiteral("03:25PM"));
    QCOMPARE(w->EditTime->selectedText(), QStringLiteral("03:25PM"));
    if (!typed.isEmpty())
        f.type(typed);
    f.tab();
    QCOMPARE(w->EditTime->text(), expected);
    if (error) {
        QCOMPARE(f.message(), QStringLiteral("Time Entry Error - Using Default"));
        QCOMPARE(messageColor(w), red);
        QCOMPARE(w->LabelRecordStatus->toolTip(), QStringLiteral("Time Format Error"));
        QCOMPARE(f.indicator(), red);
    } else {
        QCOMPARE(f.message(), QString());
        QCOMPARE(f.indicator(), yellow);
    }
    QCOMPARE(QApplication::focusWidget(), w->EditPhone);
}

void TestEntryWindow::typedKeysAreFiltered_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("letters in the date") << int(Date) << "1a2/b3/2O24x" << "12/3/224";
    QTest::newRow("other separators in the date") << int(Date) << "12.25-2024 " << "12252024";
    QTest::newRow("blank in the time") << int(Time) << "2:30 pm" << "2:30pm";
    QTest::newRow("letters in the time") << int(Time) << "09:30xyzAM" << "09:30AM";
    QTest::newRow("phone: digits and separator only") << int(Phone) << "(555) 123-4a5b" << "555123-45";
    QTest::newRow("phone: 13 digits keep 12") << int(Phone) << "1234567890123" << "123456789012";
    QTest::newRow("name") << int(Name) << "Ann" + notSign + "Lee" << "AnnLee";
    QTest::newRow("company") << int(Company) << notSign + "Acme" + notSign << "Acme";
    QTest::newRow("notes") << int(Notes) << "call" + notSign + " back" << "call back";
}

void TestEntryWindow::typedKeysAreFiltered()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(field);
    QCOMPARE(QApplication::focusWidget(), fieldOf(w, field));
    f.type(typed);
    QCOMPARE(textOf(fieldOf(w, field)), expected);
}

void TestEntryWindow::phoneWithConfiguredSeparator_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("inField");
    QTest::addColumn<QString>("afterExit");

    QTest::newRow("dash refused") << "555-1234" << "5551234" << "212.555.1234";
    QTest::newRow("configured separator") << "555.1234" << "555.1234" << "212.555.1234";
    QTest::newRow("ten digits") << "8005551234" << "8005551234" << "800.555.1234";
}

void TestEntryWindow::phoneWithConfiguredSeparator()
{
    QFETCH(QString, typed);
    QFETCH(QString, inField);
    QFETCH(QString, afterExit);
    MainWindowFixture f;
    QVERIFY(TestRecords::writeConfiguration(f.path(QStringLiteral("VNConfig.cfg")), "VNData.dta\n.\n212\n###\nArial\n0\n10\n"));
    TMainForm *w = f.open();
    QCOMPARE(w->state().configuration.phoneSeparator, QStringLiteral("."));
    tabTo(Phone);
    f.type(typed);
    QCOMPARE(w->EditPhone->text(), inField);
    f.tab();
    QCOMPARE(w->EditPhone->text(), afterExit);
    QCOMPARE(f.indicator(), yellow);
    QCOMPARE(f.message(), QString());
}

void TestEntryWindow::pastedSeparatorIsRemoved_data()
{
    QTest::addColumn<int>("field");
    QTest::newRow("name") << int(Name);
    QTest::newRow("company") << int(Company);
    QTest::newRow("notes") << int(Notes);
}

void TestEntryWindow::pastedSeparatorIsRemoved()
{
    QFETCH(int, field);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(field);
    QWidget *control = fieldOf(w, field);
    paste(control, notSign + "Ann " + notSign + notSign + "Lee" + notSign);
    QCOMPARE(textOf(control), QStringLiteral("Ann Lee"));
    // In the middle of what is there, too.
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        edit->setCursorPosition(3);
    } else {
        QTextCursor cursor = w->Memo1->textCursor();
        cursor.setPosition(3);
        w->Memo1->setTextCursor(cursor);
    }
    paste(control, "-" + notSign + "x");
    QCOMPARE(textOf(control), QStringLiteral("Ann-x Lee"));
}

void TestEntryWindow::pastedLinesInOneLineFields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");

    QTest::newRow("date") << int(Date) << QString() << -1 << "1/5/2024\nx" << "1/5/2024";
    QTest::newRow("time, CR LF") << int(Time) << QString() << -1 << "0930\r\n" << "0930";
    QTest::newRow("phone, paragraph separator") << int(Phone) << QString() << -1
                                                << "555" + QString(QChar::ParagraphSeparator) + "1234" << "555";
    QTest::newRow("name after typing") << int(Name) << "Dr " << -1 << "Ann\nLee\nJr" << "Dr Ann";
    QTest::newRow("name, in the middle") << int(Name) << "Ann Lee" << 4 << "X\nY" << "Ann XLee";
    QTest::newRow("company with separators") << int(Company) << QString() << -1 << "Ac" + notSign + "me\nInc"
                                             << "Acme";
}

// The desktop's one-line edits take pasted text up to its first line break;
// a line break in a one-line field would split the record's export line.
void TestEntryWindow::pastedLinesInOneLineFields()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(int, cursor);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(field);
    auto *edit = qobject_cast<QLineEdit *>(fieldOf(w, field));
    if (!typed.isEmpty())
        f.type(typed);
    if (cursor >= 0)
        edit->setCursorPosition(cursor);
    paste(edit, pasted);
    QCOMPARE(edit->text(), expected);
}

void TestEntryWindow::phoneErrors_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("5 characters") << "55512" << "Unknown";
    QTest::newRow("6 characters") << "555123" << "Unknown";
    QTest::newRow("9 characters") << "555-12345" << "Unknown";
    QTest::newRow("11 characters") << "80055512345" << "Unknown";
    QTest::newRow("good number after a refused date") << "8005551234" << "800-555-1234";
}

void TestEntryWindow::phoneErrors()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    MainWindowFixture f;
    TMainForm *w = f.open();
    f.tab();
    f.type(QStringLiteral("13/1/2024"));
    f.tab();
    QVERIFY(w->entryError());
    f.tab();
    f.type(typed);
    f.tab();
    QCOMPARE(w->EditPhone->text(), expected);
    QVERIFY(!w->entryError());
    QCOMPARE(QApplication::focusWidget(), w->EditName);
    if (expected == QLatin1String("Unknown")) {
        QCOMPARE(f.message(), QStringLiteral("Phone # Format Error"));
        QCOMPARE(messageColor(w), red);
        QCOMPARE(f.indicator(), red);
    } else {
        QCOMPARE(f.message(), QString());
        QCOMPARE(f.indicator(), yellow);
    }
}

void TestEntryWindow::companyLimit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");

    const QString sixty = QString(60, QLatin1Char('c'));
    QTest::newRow("typed") << sixty << QString() << sixty.left(49);
    QTest::newRow("pasted") << QString() << sixty << sixty.left(49);
    QTest::newRow("pasted after typing") << QString(40, QLatin1Char('t')) << sixty
                                         << QString(40, QLatin1Char('t')) + sixty.left(9);
    QTest::newRow("exactly 49") << QString(49, QLatin1Char('e')) << QString() << QString(49, QLatin1Char('e'));
}

void TestEntryWindow::companyLimit()
{
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(Company);
    f.type(typed);
    if (!pasted.isEmpty())
        paste(w->EditCompany, pasted);
    QCOMPARE(w->EditCompany->text(), expected);
    f.type(QStringLiteral("more"));
    QCOMPARE(w->EditCompany->text(), expected.size() == 49 ? expected : expected + "more");
}

void TestEntryWindow::notesLimit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");

    const QString long250 = QString(250, QLatin1Char('n'));
    QTest::newRow("typed") << QString(210, QLatin1Char('t')) << QString() << QString(199, QLatin1Char('t'));
    QTest::newRow("pasted") << QString() << long250 << long250.left(199);
    QTest::newRow("pasted after typing") << QStringLiteral("abc") << long250 << "abc" + long250.left(196);
    QTest::newRow("pasted lines") << QString() << QString(150, QLatin1Char('a')) + "\n" + QString(100, QLatin1Char('b'))
                                  << QString(150, QLatin1Char('a')) + "\n" + QString(48, QLatin1Char('b'));
}

void TestEntryWindow::notesLimit()
{
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(Notes);
    f.type(typed);
    if (!pasted.isEmpty())
        paste(w->Memo1, pasted);
    QCOMPARE(w->Memo1->toPlainText(), expected);
    f.type(QStringLiteral("zz"));
    paste(w->Memo1, QStringLiteral("yy"));
    QCOMPARE(w->Memo1->toPlainText(), expected);
}

void TestEntryWindow::pastedMultiLineNoteIsSavedWhole_data()
{
    QTest::addColumn<QString>("note");
    QTest::newRow("lines") << QStringLiteral("first line\nsecond line\n\nlast");
    QTest::newRow("no-break space") << QStringLiteral("Room\u00a0101, ext\u00a042");
    QTest::newRow("line separator") << QStringLiteral("Line one\u2028line two");
    QTest::newRow("both, and a line feed") << QStringLiteral("a\u00a0b\u2028c\nd");
}

// The note reaches the record exactly as entered, and an edit of the record
// keeps it so.
void TestEntryWindow::pastedMultiLineNoteIsSavedWhole()
{
    QFETCH(QString, note);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(Notes);
    paste(w->Memo1, note);
    QCOMPARE(w->notesAsTyped(), note);
    f.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 1, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::Notes), note);
    QVERIFY(stored.verify());

    w->Read1Click();
    w->SpinEditSelect->setValue(1);
    w->ButtonSelectClick();
    QVERIFY(w->state().EditMode);
    QCOMPARE(w->notesAsTyped(), note);
    w->SaveCurrent1Click();
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::readRecord(f.dataFile(), 1, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::Notes), note);
    QCOMPARE(stored.text(CallRecord::Status), QStringLiteral("E"));
}

void TestEntryWindow::notesExitWhileEditing_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QColor>("indicatorShown");
    QTest::addColumn<QString>("messageShown");

    QTest::newRow("first saved") << "O" << lime << QString();
    QTest::newRow("edited before") << "E" << yellow << "Edited Entry";
}

void TestEntryWindow::notesExitWhileEditing()
{
    QFETCH(QString, status);
    QFETCH(QColor, indicatorShown);
    QFETCH(QString, messageShown);
    MainWindowFixture f;
    TestRecords::Entry entry;
    entry.status = status;
    CallRecord record = TestRecords::make(1, entry);
    QVERIFY(DataFile::appendRecord(f.dataFile(), record));
    TMainForm *w = f.open();
    f.key(Qt::Key_R, Qt::ControlModifier);
    f.key(Qt::Key_Return);
    QVERIFY(w->state().EditMode);
    QCOMPARE(f.indicator(), indicatorShown);
    QCOMPARE(f.message(), messageShown);

    click(w->Memo1);
    f.type(QStringLiteral(" more"));
    QCOMPARE(f.indicator(), indicatorShown);
    const QString hint = f.hint();
    click(w->EditName);
    QCOMPARE(f.indicator(), yellow);
    QCOMPARE(f.message(), QString());
    QCOMPARE(w->LabelRecordStatus->font().pointSize(), 12);
    // The notes' rule leaves the hint alone.
    QCOMPARE(f.hint(), hint);
}

void TestEntryWindow::completionFromEarlierCalls_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("companies");
    QTest::newRow("phone never called: most recent first")
        << "8005550000" << "a" << QStringList{"Alice Wong", "ann lee"} << QStringList{"Acme", "ACME Corp", "Stone & Sons"};
    QTest::newRow("phone of two calls: its caller first")
        << "5551234567" << "A" << QStringList{"ann lee", "Alice Wong"} << QStringList{"ACME Corp", "Acme", "Stone & Sons"};
    QTest::newRow("phone of one call")
        << "8005551234" << "b" << QStringList{"Bob Stone"} << QStringList{"Stone & Sons", "Acme", "ACME Corp"};
    QTest::newRow("nothing begins so") << "8005551234" << "zz" << QStringList{} << QStringList{"Stone & Sons", "Acme", "ACME Corp"};
}

void TestEntryWindow::completionFromEarlierCalls()
{
    QFETCH(QString, phone);
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    QFETCH(QStringList, companies);
    MainWindowFixture f;
    writeEarlierCalls(f.dataFile());
    TMainForm *w = f.open();
    QTRY_COMPARE(w->offeredNames(), QStringList({"Alice Wong", "ann lee", "Bob Stone"}));

    tabTo(Phone);
    f.type(phone);
    f.tab();
    QCOMPARE(QApplication::focusWidget(), w->EditName);
    QCOMPARE(w->offeredCompanies(), companies);
    f.type(typed);
    QCOMPARE(completions(w->EditName), names);
    // Offered, never filled in: the field keeps what was typed.
    QCOMPARE(w->EditName->text(), typed);
    w->EditName->completer()->popup()->hide();
    f.tab();
    QCOMPARE(QApplication::focusWidget(), w->EditCompany);
    QCOMPARE(w->EditName->text(), typed);
    // The exit rules keep their defaults.
    f.tab();
    QCOMPARE(w->EditCompany->text(), QStringLiteral("Unknown"));
}

void TestEntryWindow::completionFollowsSavesAndOpenExisting()
{
    MainWindowFixture f;
    writeEarlierCalls(f.dataFile());
    TMainForm *w = f.open();
    QTRY_COMPARE(w->offeredNames().value(0), QStringLiteral("Alice Wong"));

    tabTo(Phone);
    f.type(QStringLiteral("8005557777"));
    f.tab();
    f.type(QStringLiteral("Zed Zulu"));
    w->EditName->completer()->popup()->hide();
    f.tab();
    f.type(QStringLiteral("Zulu Ltd"));
    w->SaveCurrent1->trigger();
    QCOMPARE(w->state().RecordCount, 6);
    QCOMPARE(w->offeredNames().value(0), QStringLiteral("Zed Zulu"));
    QCOMPARE(w->offeredCompanies().value(0), QStringLiteral("Zulu Ltd"));

    const QString other = f.path(QStringLiteral("other.dta"));
    TestRecords::Entry entry;
    entry.name = QStringLiteral("Olga Other");
    CallRecord record = TestRecords::make(1, entry);
    QVERIFY(DataFile::appendRecord(other, record));
    w->desktop().chooseFile = [other](QWidget *, const Desktop::FileChoice &) { return other; };
    w->Open1->trigger();
    QTRY_COMPARE(w->offeredNames(), QStringList({"Olga Other"}));
}

QTEST_MAIN(TestEntryWindow)
#include "tst_entrywindow.moc"
