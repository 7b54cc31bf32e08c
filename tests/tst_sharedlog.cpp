// The log shared with another program: a record appended behind the window's
// back, a second program that holds the lock; the lock a compromised record
// puts on the entry; and the question Exit asks about an unsaved entry.

#include "childprocess.h"
#include "faultfixture.h"

#include <QMessageBox>
#include <QPushButton>

#include <unistd.h>

using namespace FaultFixture;

class TestSharedLog : public QObject
{
    Q_OBJECT

private slots:
    void anotherProgramAppended();
    void secondProgramOnTheSameLog();
    void compromisedRecordLockEndsWithClear_data();
    void compromisedRecordLockEndsWithClear();
    void exitAsksAboutAnUnsavedEntry_data();
    void exitAsksAboutAnUnsavedEntry();
};

// A second window on the same log saved a record: this window's count is one
// behind, and its record must not take the other's number or slot.
void TestSharedLog::anotherProgramAppended()
{
    MainWindowFixture f;
    f.writeRecords(3);
    TMainForm *w = f.open();
    CallRecord theirs = TestRecords::make(4);
    QVERIFY(DataFile::appendRecord(f.dataFile(), theirs));
    const QByteArray before = readAll(f.dataFile());

    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), QStringLiteral("Log changed by another program - save again"));
    QCOMPARE(f.indicator(), red);
    QCOMPARE(readAll(f.dataFile()), before);
    // The count is taken from the file again, so the next save can succeed.
    QCOMPARE(w->state().RecordCount, 4);

    w->ExportFile1->trigger();
    QCOMPARE(w->state().RecordCount, 4);
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 5);
    QVERIFY(readAll(f.dataFile()).startsWith(before));
}

// Another running program holds the log: this window reads it, says who
// holds it, and writes nothing; once that program is gone, its lock is taken over.
void TestSharedLog::secondProgramOnTheSameLog()
{
    MainWindowFixture f;
    f.writeRecords(3);
    QVERIFY(TestRecords::patchChar(f.dataFile(), 2, CallRecord::Name, 0, QLatin1Char('B')));
    const QByteArray before = readAll(f.dataFile());
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    // The other program takes the lock, says whether it got it, and waits to be ended.
    ChildProcess other([&] {
        QLockFile lock(DataFile::lockPath(f.dataFile()));
        const char ok = lock.tryLock(0) ? 'y' : 'n';
        if (::write(ready[1], &ok, 1) != 1)
            return 1;
        ::pause();
        return 0;
    });
    ::close(ready[1]);
    QVERIFY(other.started());
    char ok = 0;
    const ssize_t got = ::read(ready[0], &ok, 1);
    ::close(ready[0]);
    QCOMPARE(got, ssize_t(1));
    QCOMPARE(ok, 'y');

    TMainForm *w = f.open();
    const QString inUse = QStringLiteral("Log in use by another Vorlen3 (process %1) - read only").arg(other.pid());
    QCOMPARE(w->logHolder(), qint64(other.pid()));
    QCOMPARE(f.message(), inUse);
    QCOMPARE(w->state().RecordCount, 3);
    // A new record and an edit are both refused; the records still read.
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), inUse);
    QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));
    F::key(Qt::Key_C, Qt::ControlModifier);
    readAndSelect(w, 3);
    QCOMPARE(w->EditName->text(), QStringLiteral("Caller 3"));
    QVERIFY(w->state().EditMode);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), inUse);
    CallRecord direct = TestRecords::make(4);
    QCOMPARE(DataFile::storeNew(f.dataFile(), direct), DataFile::WriteResult::InUse);
    // Review and Print list the altered record but do not mark it.
    QCOMPARE(review(w), QStringList{QStringLiteral("TFormRecordReview")});
    QCOMPARE(fullReport(w), QStringLiteral("Read-only log - nothing marked"));
    const QByteArray unchanged = readAll(f.dataFile());
    other.end();
    QCOMPARE(unchanged, before);

    // The other program has ended: a new window takes its lock over.
    f.window.reset();
    w = f.open();
    QCOMPARE(w->logHolder(), qint64(0));
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 4);
}

void TestSharedLog::compromisedRecordLockEndsWithClear_data()
{
    QTest::addColumn<bool>("selectGoodRecord");
    QTest::newRow("Clear") << false;
    QTest::newRow("Select of a good record") << true;
}

// After a compromised record was shown, the next entry is typed and saved as typed.
void TestSharedLog::compromisedRecordLockEndsWithClear()
{
    QFETCH(bool, selectGoodRecord);
    MainWindowFixture f;
    f.writeRecords(3);
    QVERIFY(TestRecords::patchChar(f.dataFile(), 2, CallRecord::Name, 0, QLatin1Char('B')));
    TMainForm *w = f.open();
    readAndSelect(w, 2);
    QCOMPARE(f.message(), QStringLiteral("Entry Integrity Compromised"));
    QVERIFY(w->state().EditLocked);
    if (selectGoodRecord) {
        readAndSelect(w, 3);
        QVERIFY(!w->state().EditLocked);
        QVERIFY(w->state().EditMode);
    }
    F::key(Qt::Key_C, Qt::ControlModifier);
    QVERIFY(!w->state().EditLocked);
    typeEntry(w);
    QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));
    QVERIFY(!w->EditName->isReadOnly());
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 4, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::Name), QStringLiteral("Ann Lee"));
    QCOMPARE(stored.text(CallRecord::Company), QStringLiteral("Acme"));
    QCOMPARE(stored.text(CallRecord::Notes), QStringLiteral("Call back"));
}

void TestSharedLog::exitAsksAboutAnUnsavedEntry_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("records");
    for (bool byKey : {true, false}) {
        const char *how = byKey ? "Ctrl+X" : "the desktop's close";
        QTest::addRow("%s, Save", how) << byKey << int(QMessageBox::Save) << true << 4;
        QTest::addRow("%s, Discard", how) << byKey << int(QMessageBox::Discard) << true << 3;
        QTest::addRow("%s, Cancel", how) << byKey << int(QMessageBox::Cancel) << false << 3;
    }
}

void TestSharedLog::exitAsksAboutAnUnsavedEntry()
{
    QFETCH(bool, byKey);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(int, records);
    MainWindowFixture f;
    f.writeRecords(3);
    TMainForm *w = f.open();
    typeEntry(w);
    QString question;
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [&](QDialog *dialog) {
            auto *ask = qobject_cast<QMessageBox *>(dialog);
            if (!ask)
                return false;
            question = ask->text();
            ask->button(QMessageBox::StandardButton(answer))->click();
            return true;
        };
        if (byKey)
            F::key(Qt::Key_X, Qt::ControlModifier);
        else
            w->close();
    }
    QCOMPARE(question, QStringLiteral("Save the entry before leaving?"));
    QCOMPARE(w->isVisible(), !closes);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), records);
    if (!closes)
        QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));

    // With nothing typed, Exit asks nothing.
    if (!closes) {
        F::reactivate(w);
        F::key(Qt::Key_C, Qt::ControlModifier);
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        F::key(Qt::Key_X, Qt::ControlModifier);
        QVERIFY(answerer.seen.isEmpty());
        QVERIFY(!w->isVisible());
    }
}

QTEST_MAIN(TestSharedLog)
#include "tst_sharedlog.moc"
