// Keys, focus and menus of the log-entry window: the menu shortcuts that win
// over a field's own, keys that type nothing, the focus leaving for a menu or
// another window and coming back, and the one focus dispatcher of both
// programs.

#include "entrywindowfixture.h"
#include "focusrules.h"
#include "typedkeyfilter.h"

#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

using namespace EntryWindowFixture;

class TestEntryKeys : public QObject
{
    Q_OBJECT

private slots:
    void init() { QApplication::clipboard()->clear(); }

    void menuShortcutsWin_data();
    void menuShortcutsWin();
    void keysThatTypeNothing_data();
    void keysThatTypeNothing();
    void focusAwayAndBackRunsNoRule_data();
    void focusAwayAndBackRunsNoRule();
    void lockedRecordLocksOnEnteringTheCallType();
    void typedText_data();
    void typedText();
    void focusRulesOfBothKinds_data();
    void focusRulesOfBothKinds();
};

void TestEntryKeys::menuShortcutsWin_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("letter");

    const std::pair<int, const char *> fields[] = {{Date, "date"}, {Time, "time"},       {Phone, "phone"},
                                                   {Name, "name"}, {Company, "company"}, {Notes, "notes"}};
    for (const auto &[field, name] : fields) {
        QTest::addRow("Ctrl+C in the %s", name) << field << int(Qt::Key_C);
        QTest::addRow("Ctrl+X in the %s", name) << field << int(Qt::Key_X);
        QTest::addRow("Ctrl+V in the %s", name) << field << int(Qt::Key_V);
    }
}

void TestEntryKeys::menuShortcutsWin()
{
    QFETCH(int, field);
    QFETCH(int, letter);
    MainWindowFixture f;
    f.writeRecords(2);
    TMainForm *w = f.open();
    tabTo(field);
    QWidget *control = fieldOf(w, field);
    f.type(field == Notes ? QStringLiteral("note") : QStringLiteral("12"));
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
    else
        w->Memo1->selectAll();
    const QString typed = textOf(control);
    QApplication::clipboard()->setText(QStringLiteral("CLIP"));
    QStringList seen;

    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        // Exit asks about the typed entry first; the answer here is Discard.
        answerer.answer = [](QDialog *dialog) {
            auto *ask = qobject_cast<QMessageBox *>(dialog);
            if (!ask)
                return false;
            ask->button(QMessageBox::Discard)->click();
            return true;
        };
        f.key(Qt::Key(letter), Qt::ControlModifier);
        seen = answerer.seen;
    }
    if (letter != Qt::Key_X)
        F::reactivate(w);

    // The field's own copy, cut or paste did not run.
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("CLIP"));
    switch (letter) {
    case Qt::Key_C:
    case Qt::Key_V:
        if (letter == Qt::Key_V) {
            QCOMPARE(seen, QStringList{QStringLiteral("TFormRecordReview")});
            QVERIFY(!w->PrintCurrent->isEnabled());
        } else {
            QVERIFY(seen.isEmpty());
        }
        // Both end in Clear.
        QCOMPARE(w->EditDate->text(), QStringLiteral("mm/dd/yyyy"));
        QCOMPARE(w->EditTime->text(), QStringLiteral("hh:mmAP"));
        QCOMPARE(w->EditPhone->text(), QStringLiteral("Phone Number"));
        QCOMPARE(w->Memo1->toPlainText(), QString());
        QCOMPARE(QApplication::focusWidget(), w->RadioIn);
        QCOMPARE(f.indicator(), lime);
        QVERIFY(w->isVisible());
        break;
    case Qt::Key_X:
        QCOMPARE(seen, QStringList{QStringLiteral("QMessageBox")});
        QVERIFY(!w->isVisible());
        QCOMPARE(textOf(control), typed);
        break;
    }
}

void TestEntryKeys::keysThatTypeNothing_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("expected");

    QTest::newRow("date: Home, Delete") << int(Date) << "12/25/2024" << QList<int>{Qt::Key_Home, Qt::Key_Delete}
                                        << "2/25/2024";
    QTest::newRow("date: Left, Backspace") << int(Date) << "12/25/2024"
                                           << QList<int>{Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left,
                                                         Qt::Key_Backspace}
                                           << "12/252024";
    QTest::newRow("time: Home, Right, Delete") << int(Time) << "1430"
                                               << QList<int>{Qt::Key_Home, Qt::Key_Right, Qt::Key_Delete} << "130";
    QTest::newRow("phone: End, Left, Delete") << int(Phone) << "5551234"
                                              << QList<int>{Qt::Key_End, Qt::Key_Left, Qt::Key_Left, Qt::Key_Delete}
                                              << "555124";
    QTest::newRow("notes: Up, Left, Delete") << int(Notes) << "abc"
                                             << QList<int>{Qt::Key_Up, Qt::Key_End, Qt::Key_Left, Qt::Key_Delete}
                                             << "ab";
}

void TestEntryKeys::keysThatTypeNothing()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QList<int>, keys);
    QFETCH(QString, expected);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(field);
    f.type(typed);
    for (int k : keys)
        f.key(Qt::Key(k));
    QCOMPARE(textOf(fieldOf(w, field)), expected);
    QCOMPARE(QApplication::focusWidget(), fieldOf(w, field));
}

void TestEntryKeys::focusAwayAndBackRunsNoRule_data()
{
    QTest::addColumn<QString>("away");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("afterTab");

    const QStringList destinations = {QStringLiteral("menu"), QStringLiteral("menu bar"), QStringLiteral("dialog"),
                                      QStringLiteral("other window"), QStringLiteral("no active window")};
    for (const QString &away : destinations) {
        QTest::addRow("%s, date placeholder", qPrintable(away)) << away << int(Date) << "mm/dd/yyyy" << today;
        QTest::addRow("%s, wrong date", qPrintable(away)) << away << int(Date) << "13/1/2024" << today;
        QTest::addRow("%s, time placeholder", qPrintable(away)) << away << int(Time) << "hh:mmAP" << " 3:25PM";
    }
}

void TestEntryKeys::focusAwayAndBackRunsNoRule()
{
    QFETCH(QString, away);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, afterTab);
    MainWindowFixture f;
    TMainForm *w = f.open();
    tabTo(field);
    auto *edit = qobject_cast<QLineEdit *>(fieldOf(w, field));
    edit->selectAll();
    paste(edit, text);
    const Snapshot before = Snapshot::of(w);
    QCOMPARE(before.texts.at(field - 1), text);

    if (away == QLatin1String("menu")) {
        auto *records = w->findChild<QMenu *>(QStringLiteral("Records1"));
        QVERIFY(records);
        records->popup(w->mapToGlobal(QPoint(40, 10)));
        QTRY_VERIFY(records->isVisible());
        QTest::keyClick(records, Qt::Key_Down);
        QTest::keyClick(records, Qt::Key_Escape);
        QTRY_VERIFY(!records->isVisible());
    } else if (away == QLatin1String("menu bar")) {
        QMenuBar *bar = w->menuBar();
        auto *records = w->findChild<QMenu *>(QStringLiteral("Records1"));
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(records->menuAction()).center());
        QTRY_VERIFY(records->isVisible());
        QTest::keyClick(records, Qt::Key_Escape);
        QTRY_VERIFY(!records->isVisible());
        if (QApplication::focusWidget() == bar)
            QTest::keyClick(bar, Qt::Key_Escape);
    } else if (away == QLatin1String("dialog")) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Note"), QStringLiteral("A question"),
                        QMessageBox::Ok | QMessageBox::Cancel, w);
        // A real modal loop, as a dialog of any program runs one.
        bool wasModal = false;
        QTimer::singleShot(0, &box, [&] {
            wasModal = QApplication::activeModalWidget() == &box;
            box.button(QMessageBox::Ok)->click();
        });
        QCOMPARE(box.exec(), int(QMessageBox::Ok));
        QVERIFY(wasModal);
        F::reactivate(w);
    } else if (away == QLatin1String("other window")) {
        QWidget other;
        auto *otherEdit = new QLineEdit(&other);
        other.show();
        QApplication::setActiveWindow(&other);
        otherEdit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), otherEdit);
        QTest::keyClicks(otherEdit, QStringLiteral("elsewhere"));
        QApplication::setActiveWindow(w);
    } else {
        QApplication::setActiveWindow(nullptr);
        QTRY_VERIFY(!QApplication::activeWindow());
        QApplication::setActiveWindow(w);
    }
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(Snapshot::of(w), before);

    // The rules are there: a real move runs them.
    f.tab();
    QCOMPARE(edit->text(), afterTab);
    QVERIFY(!(Snapshot::of(w) == before));
}

void TestEntryKeys::lockedRecordLocksOnEnteringTheCallType()
{
    MainWindowFixture f;
    f.writeRecords(2);
    QVERIFY(TestRecords::patchChar(f.dataFile(), 2, CallRecord::Notes, 0, QLatin1Char('X')));
    TMainForm *w = f.open();
    f.key(Qt::Key_R, Qt::ControlModifier);
    f.key(Qt::Key_Up);
    f.key(Qt::Key_Return);
    QVERIFY(w->state().EditLocked);
    QCOMPARE(f.message(), QStringLiteral("Entry Integrity Compromised"));
    QVERIFY(!w->EditDate->isReadOnly());

    click(w->RadioOut);
    QCOMPARE(QApplication::focusWidget(), w->RadioOut);
    QCOMPARE(f.message(), QStringLiteral("Editing Disabled"));
    QCOMPARE(f.indicator(), red);
    for (QLineEdit *field : {w->EditDate, w->EditTime, w->EditPhone, w->EditName, w->EditCompany})
        QVERIFY2(field->isReadOnly(), qPrintable(field->objectName()));
    QVERIFY(w->Memo1->isReadOnly());

    // Nothing can be typed or pasted; leaving with the record's own text
    // changes neither the indicator nor the message.
    f.tab();
    QCOMPARE(QApplication::focusWidget(), w->EditDate);
    QCOMPARE(f.message(), QStringLiteral("Editing Disabled"));
    const QColor entered = f.indicator();
    f.type(QStringLiteral("1/1/2025"));
    paste(w->EditDate, QStringLiteral("2/2/2025"));
    QCOMPARE(w->EditDate->text(), QStringLiteral("06/14/2024"));
    f.tab();
    QCOMPARE(f.indicator(), entered);
    QCOMPARE(f.message(), QStringLiteral("Editing Disabled"));
    QCOMPARE(w->EditDate->text(), QStringLiteral("06/14/2024"));
}

void TestEntryKeys::typedText_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    QTest::newRow("letter") << int(Qt::Key_A) << "a" << "a";
    QTest::newRow("Return") << int(Qt::Key_Return) << "\r" << "\r";
    QTest::newRow("keypad Enter without text") << int(Qt::Key_Enter) << "" << "\r";
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "\b" << "\b";
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << "\x01" << "\x01";
    QTest::newRow("two characters at once") << int(Qt::Key_unknown) << "ab" << "ab";
    QTest::newRow("Tab") << int(Qt::Key_Tab) << "\t" << "";
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << "\t" << "";
    QTest::newRow("Delete") << int(Qt::Key_Delete) << "\x7f" << "";
    QTest::newRow("Escape") << int(Qt::Key_Escape) << "\x1b" << "";
    QTest::newRow("arrow") << int(Qt::Key_Left) << "" << "";
}

// What the key-press rules of both programs' fields see of a key.
void TestEntryKeys::typedText()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QString, typed);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCOMPARE(TypedKeyFilter::typedText(event), typed);
}

void TestEntryKeys::focusRulesOfBothKinds_data()
{
    QTest::addColumn<bool>("fromLastControl");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QStringList>("rules");
    // a, b: the window's two fields; o: a field of another window.
    QTest::newRow("between controls: Tab") << false << "a b" << QStringList({"exit a", "enter b"});
    QTest::newRow("between controls: away and back elsewhere") << false << "a o b" << QStringList();
    QTest::newRow("between controls: held by its exit rule") << false << "a hold b"
                                                              << QStringList({"exit a"});
    QTest::newRow("from last control: first focus") << true << "a" << QStringList({"enter a"});
    QTest::newRow("from last control: away and back elsewhere")
        << true << "a o b" << QStringList({"enter a", "exit a", "enter b"});
    QTest::newRow("from last control: away and back to the same") << true << "a o a" << QStringList({"enter a"});
}

// The one focus dispatcher both programs' windows use, in its two kinds. A
// field given the focus while its window is inactive gets it when the window
// is activated, as when a dialog closes and the program has moved the focus.
void TestEntryKeys::focusRulesOfBothKinds()
{
    QFETCH(bool, fromLastControl);
    QFETCH(QString, moves);
    QFETCH(QStringList, rules);
    QWidget window;
    auto *a = new QLineEdit(&window);
    auto *b = new QLineEdit(&window);
    b->move(0, 40);
    QWidget other;
    auto *o = new QLineEdit(&other);

    bool hold = false;
    QStringList ran;
    FocusRules focus(&window,
                     fromLastControl ? FocusRules::Moves::FromLastControl : FocusRules::Moves::BetweenControls);
    focus.addHolding(
        a, [&] { ran << "enter a"; },
        [&] {
            ran << "exit a";
            return !hold;
        });
    focus.add(b, [&] { ran << "enter b"; }, [&] { ran << "exit b"; });
    other.show();
    window.show();

    for (const QString &move : moves.split(QLatin1Char(' '))) {
        if (move == QLatin1String("hold")) {
            hold = true;
            continue;
        }
        QWidget *to = move == QLatin1String("a") ? a : move == QLatin1String("b") ? b : o;
        to->setFocus(Qt::OtherFocusReason);
        QVERIFY(F::activate(to->window()));
    }
    QCOMPARE(ran, rules);
    if (hold)
        QCOMPARE(QApplication::focusWidget(), a);
}

QTEST_MAIN(TestEntryKeys)
#include "tst_entrykeys.moc"
