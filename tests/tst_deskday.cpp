// A day at the desk: what typing, clearing, copying and the menus do to the
// call being typed, and what stays in view while a log is damaged.

#include "entrywindowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

using namespace EntryWindowFixture;

class TestDeskDay : public QObject
{
    Q_OBJECT

private slots:
    void clearCanBeUndone_data();
    void clearCanBeUndone();
    void undoClearBringsBackAnEdit();
    void typingAfterClearEndsUndo();
    void copyAndPasteStayReachable();
    void menusKeepTheirOrderAndOpenWithAlt();
    void damageStaysInView_data();
    void damageStaysInView();
    void halfACharacterIsNeverKept_data();
    void halfACharacterIsNeverKept();
    void createNewKeepsThePainting();
};

namespace {

// Half a call typed: the focus in the notes.
void typeHalfACall(TMainForm *)
{
    F::typeEntry(QStringLiteral("ring back"), Qt::Key_Right);
}

// Answers the review window (or a preview) with Escape.
void escapeFrom(TMainForm *w, Qt::Key command)
{
    {
        ModalAnswerer answerer(F::desktopOf(w), [](QDialog *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        F::key(command, Qt::ControlModifier);
    }
    F::reactivate(w);
}

} // namespace

void TestDeskDay::clearCanBeUndone_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+C") << "clear";
    QTest::newRow("Ctrl+V, then Escape") << "review";
    QTest::newRow("Ctrl+R, then Cancel") << "read";
}

void TestDeskDay::clearCanBeUndone()
{
    QFETCH(QString, how);
    MainWindowFixture f;
    f.writeRecords(2);
    TMainForm *w = f.open();
    typeHalfACall(w);
    const CallEntry typed = w->entryShown();
    if (how == QLatin1String("clear")) {
        F::key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(f.message(), QStringLiteral("Entry cleared - Ctrl+Z brings it back"));
    } else if (how == QLatin1String("review")) {
        escapeFrom(w, Qt::Key_V);
    } else {
        F::key(Qt::Key_R, Qt::ControlModifier);
        QTest::mouseClick(w->Button1Cancel, Qt::LeftButton);
    }
    QCOMPARE(w->EditName->text(), QStringLiteral("Enter Name"));
    QVERIFY(w->UndoClear1->isEnabled());

    F::key(Qt::Key_Z, Qt::ControlModifier);
    const CallEntry back = w->entryShown();
    QCOMPARE(int(back.type), int(CallType::Out));
    QCOMPARE(back.name, typed.name);
    QCOMPARE(back.phone, typed.phone);
    QCOMPARE(back.notes, typed.notes);
    QVERIFY(!w->UndoClear1->isEnabled());
    // Saved, it is the call that was typed.
    F::key(Qt::Key_S, Qt::ControlModifier);
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 3, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::Notes), QStringLiteral("ring back"));
    QCOMPARE(stored.text(CallRecord::Type), QStringLiteral("O"));
}

void TestDeskDay::undoClearBringsBackAnEdit()
{
    MainWindowFixture f;
    f.writeRecords(3);
    TMainForm *w = f.open();
    w->Read1Click();
    w->SpinEditSelect->setValue(2);
    w->ButtonSelectClick();
    QVERIFY(w->state().EditMode);
    w->ClearCurrent1Click();
    QVERIFY(!w->state().EditMode);
    w->UndoClear1->trigger();
    QVERIFY(w->state().EditMode);
    QCOMPARE(w->state().SelectedRecord, 2);
    QCOMPARE(w->EditName->text(), QStringLiteral("Caller 2"));
    // Saving goes back over record 2, not into a new record.
    w->SaveCurrent1Click();
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 3);
    QCOMPARE(TestRecords::statusOnDisk(f.dataFile(), 2), QStringLiteral("E"));
}

void TestDeskDay::typingAfterClearEndsUndo()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    typeHalfACall(w);
    F::key(Qt::Key_C, Qt::ControlModifier);
    QVERIFY(w->UndoClear1->isEnabled());
    F::tab();
    F::tab(); // into the time field, which its enter rule fills
    F::type(QStringLiteral("1"));
    QVERIFY(!w->UndoClear1->isEnabled());
    // The field's own typing is undone first; nothing comes back over it.
    F::key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w->EditName->text(), QStringLiteral("Enter Name"));
}

void TestDeskDay::copyAndPasteStayReachable()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    typeHalfACall(w);
    w->EditName->setFocus();
    w->EditName->selectAll();
    QApplication::clipboard()->clear();
    QTest::keyClick(w->EditName, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Ann Lee"));
    QTest::keyClick(w->EditName, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(w->EditName->text(), QString());
    QTest::keyClick(w->EditName, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));
    // None of them cleared the call.
    QCOMPARE(w->EditCompany->text(), QStringLiteral("Acme"));
    QVERIFY(!w->UndoClear1->isEnabled());
}

void TestDeskDay::menusKeepTheirOrderAndOpenWithAlt()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    auto itemsOf = [w](const char *menu) {
        QStringList texts;
        for (const QAction *item : w->findChild<QMenu *>(QLatin1String(menu))->actions())
            texts << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
        return texts;
    };
    const QStringList file = itemsOf("File1");
    QCOMPARE(file.mid(0, 5), QStringList({"Save1", "Open1", "ExportFile1", "Print1", "-"}));
    QCOMPARE(file.mid(file.size() - 2), QStringList({"-", "Exit1"}));
    QVERIFY(file.contains(QStringLiteral("Repair1")));
    QCOMPARE(itemsOf("Records1").mid(0, 6),
             QStringList({"ClearCurrent1", "SaveCurrent1", "PrintCurrent", "Read1", "Review1", "-"}));

    QStringList titles;
    for (const QAction *menu : w->menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, QStringList({"&File", "&Records", "&About"}));
    // Alt+F opens File on Create New; Down twice reaches Export, as before.
    QTest::keyClick(w, Qt::Key_F, Qt::AltModifier);
    auto *fileMenu = w->findChild<QMenu *>(QStringLiteral("File1"));
    QTRY_VERIFY(fileMenu->isVisible());
    QTest::keyClick(fileMenu, Qt::Key_Down);
    QTest::keyClick(fileMenu, Qt::Key_Down);
    QCOMPARE(fileMenu->activeAction(), w->ExportFile1);
    QTest::keyClick(fileMenu, Qt::Key_Escape);
}

void TestDeskDay::damageStaysInView_data()
{
    QTest::addColumn<QString>("log"); // "torn" or "text"
    QTest::addColumn<int>("command");
    for (const char *log : {"torn", "text"}) {
        QTest::addRow("%s log, Review then Escape", log) << log << int(Qt::Key_V);
        QTest::addRow("%s log, Print then Escape", log) << log << int(Qt::Key_P);
        QTest::addRow("%s log, Clear", log) << log << int(Qt::Key_C);
    }
}

void TestDeskDay::damageStaysInView()
{
    QFETCH(QString, log);
    QFETCH(int, command);
    MainWindowFixture f;
    if (log == QLatin1String("torn")) {
        f.writeRecords(3);
        QVERIFY(TestRecords::writeAll(f.dataFile(), TestRecords::readAll(f.dataFile()) + QByteArray(300, 'x')));
    } else {
        QVERIFY(TestRecords::writeAll(f.dataFile(), QByteArray(2000, 'a')));
    }
    TMainForm *w = f.open();
    const QString said = f.message();
    QVERIFY2(said.startsWith(log == QLatin1String("torn") ? QStringLiteral("Log damaged") : QStringLiteral("Not a call log")),
             qPrintable(said));
    if (command == Qt::Key_C)
        F::key(Qt::Key_C, Qt::ControlModifier);
    else
        escapeFrom(w, Qt::Key(command));
    QCOMPARE(f.message(), said);
    QCOMPARE(f.indicator(), red);
    QCOMPARE(f.hint(), said);
}

void TestDeskDay::halfACharacterIsNeverKept_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    const QString face = QString::fromUtf8("\U0001F600");
    QTest::newRow("name, pair past the end") << int(Name) << QString(73, 'A') + face << QString(73, 'A');
    QTest::newRow("name, pair at the end") << int(Name) << QString(72, 'A') + face << QString(72, 'A') + face;
    QTest::newRow("company, pair past the end") << int(Company) << QString(48, 'c') + face << QString(48, 'c');
    QTest::newRow("notes, pair past the end") << int(Notes) << QString(198, 'n') + face << QString(198, 'n');
}

void TestDeskDay::halfACharacterIsNeverKept()
{
    QFETCH(int, field);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    MainWindowFixture f;
    TMainForm *w = f.open();
    F::typeEntry(QString());
    QWidget *control = fieldOf(w, field);
    click(control);
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->clear();
    paste(control, pasted);
    QCOMPARE(textOf(control), kept);
    F::key(Qt::Key_S, Qt::ControlModifier);
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 1, stored), DataFile::ReadResult::Ok);
    QVERIFY(stored.verify());
    const CallRecord::Field recordField =
        field == Name ? CallRecord::Name : field == Company ? CallRecord::Company : CallRecord::Notes;
    QCOMPARE(stored.text(recordField), kept);
}

// While the configuration manager runs, the window takes no input but is
// still painted: its events go on.
void TestDeskDay::createNewKeepsThePainting()
{
    MainWindowFixture f;
    const QString manager = f.path(QStringLiteral("VNConfig"));
    QVERIFY(TestRecords::writeAll(manager, "#!/bin/sh\nsleep 0.5\n"));
    QVERIFY(QFile::setPermissions(manager, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    f.desktop.runProgram = Desktop().runProgram;
    TMainForm *w = f.open();
    bool ranMeanwhile = false;
    bool enabledMeanwhile = true;
    QTimer::singleShot(150, w, [&] {
        ranMeanwhile = true;
        enabledMeanwhile = w->isEnabled();
    });
    w->Save1->trigger();
    QVERIFY(ranMeanwhile);
    QVERIFY(!enabledMeanwhile);
    QVERIFY(w->isEnabled());
}

QTEST_MAIN(TestDeskDay)
#include "tst_deskday.moc"
