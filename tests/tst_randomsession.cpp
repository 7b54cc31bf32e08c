// A long random session against the real log-entry window: typing, pasting,
// Tab, clicks, saves, clears, reads, selects, exports, reviews and reports in a
// seeded order, with a record altered behind the program's back now and then.
// After every step the data file and the window must still make sense.
//
// CALLLOG_RANDOM_SEED picks the session, CALLLOG_RANDOM_STEPS its length;
// CALLLOG_RANDOM_KEEP names a folder that keeps the files of a failed session.

#include "childprocess.h"
#include "mainwindowfixture.h"
#include "testdesktop.h"

#include "Stringgridreview.h"
#include "recordtablemodel.h"

#include <QClipboard>
#include <QRandomGenerator>
#include <QMap>
#include <QSet>
#include <QTableView>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using F = MainWindowFixture;


constexpr quint32 DefaultSeed = 20260307;
constexpr int DefaultSteps = 8000;

CallRecord recordAt(const QByteArray &file, int n)
{
    CallRecord record;
    const QByteArray bytes = file.mid(qsizetype(n - 1) * RecordSize, RecordSize);
    std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
    return record;
}

// What the fields held when a save was asked for, and where the window stood.
struct BeforeSave
{
    QByteArray file;
    bool editMode = false;
    int selected = 0;
    int count = 0;
    QString type;
    QStringList texts; // date, time, phone, name, company, notes
    bool missing = false;
};

class Session
{
public:
    Session(quint32 seed, int steps)
        : m_rng(seed)
        , m_seed(seed)
        , m_steps(steps)
    {
    }

    void run();

private:
    // Steps.
    void typeText();
    void pasteText();
    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void clickControl();
    void save(bool byEnterInNotes);
    void clear();
    void readAndSelect();
    void readAndCancel();
    void exportLog();
    void review();
    void fullReport();
    void printCurrent();
    void tamper();
    void restart();
    void crashInASave();

    // Checks; each returns what is wrong, or nothing.
    QString checkInvariants();
    QString checkSave(const BeforeSave &before);
    QString checkSelected();

    BeforeSave snapshot() const;
    QString randomText(int maxLength);
    QString plausibleText(QWidget *field);
    QWidget *focused();
    void reactivate();
    void note(const QString &action) { m_log.append(QStringLiteral("%1: %2").arg(m_step).arg(action)); }
    void fail(const QString &what);

    F m_fixture;
    TMainForm *w = nullptr;
    QRandomGenerator m_rng;
    quint32 m_seed;
    int m_steps;
    int m_step = 0;
    QSet<int> m_tampered; // records altered outside the program; they need not verify
    QStringList m_log;
    QString m_failure;
    QMap<QString, int> m_seen; // how often each outcome came up, to tell the session did something
};

QWidget *Session::focused()
{
    if (!QApplication::focusWidget())
        reactivate();
    return QApplication::focusWidget();
}

void Session::reactivate()
{
    if (!F::activate(w))
        qWarning("the window did not become active again");
    if (!QApplication::focusWidget())
        QTest::mouseClick(w->RadioIn, Qt::LeftButton);
}

QString Session::randomText(int maxLength)
{
    static const QString pool = QStringLiteral("0123456789012345678901234567890123456789/:-. aApPmMxZ")
        + QChar(0x00AC) + QChar(0x00E9) + QChar(0x20AC) + QChar(0x0661) + QChar(0x00AC);
    const int length = 1 + int(m_rng.bounded(maxLength));
    QString text;
    for (int i = 0; i < length; ++i)
        text.append(pool.at(int(m_rng.bounded(int(pool.size())))));
    return text;
}

// Something a person might type into the field, so that saves often succeed.
QString Session::plausibleText(QWidget *field)
{
    const auto pick = [this](std::initializer_list<const char *> choices) {
        const auto *it = choices.begin() + m_rng.bounded(int(choices.size()));
        return QString::fromUtf8(*it);
    };
    if (field == w->EditDate)
        return pick({"6/14/2024", "12/25/24", "1/5/2024", "13/1/2024", "02/31/2024", "1234/56/78"});
    if (field == w->EditTime)
        return pick({"0930", "1430", "9:30pm", "12:30PM", "2400", "12:75PM"});
    if (field == w->EditPhone)
        return pick({"5551234", "8005551234", "555-1234", "800-555-1234", "55512", "1234"});
    if (field == w->EditName)
        return pick({"Ann Lee", "Bo", "Zoë Ng", "O'Brien, Pat"});
    if (field == w->EditCompany)
        return pick({"Acme", "Globex Corporation of the Greater Metropolitan Area", "X"});
    if (field == w->SpinEditSelect)
        return QString::number(m_rng.bounded(w->state().RecordCount + 2));
    return pick({"Call back", "left a message about the invoice", "ok"});
}

void Session::typeText()
{
    QWidget *field = focused();
    const QString text = m_rng.bounded(2) ? plausibleText(field) : randomText(12);
    note(QStringLiteral("type '%1' into %2").arg(text, field->objectName()));
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(field, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        field = focused(); // a blank on a button may move the focus
    }
}

void Session::pasteText()
{
    QString text;
    switch (m_rng.bounded(3)) {
    case 0: text = randomText(20); break;
    case 1: text = randomText(5) + QLatin1Char('\n') + randomText(5); break;
    default: text = QString(40 + int(m_rng.bounded(200)), QLatin1Char('p')) + QChar(0x00AC); break;
    }
    QWidget *field = focused();
    note(QStringLiteral("paste %1 characters into %2").arg(text.size()).arg(field->objectName()));
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
}

void Session::pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget *field = focused();
    note(QStringLiteral("key %1 (modifiers %2) in %3")
             .arg(QKeySequence(key).toString())
             .arg(int(modifiers))
             .arg(field->objectName()));
    QTest::keyClick(field, key, modifiers);
}

void Session::clickControl()
{
    QList<QWidget *> controls = {w->RadioIn,   w->RadioOut,    w->RadioMsg, w->EditDate,
                                 w->EditTime,  w->EditPhone,   w->EditName, w->EditCompany,
                                 w->Memo1->viewport()};
    if (w->Panel2->isVisible())
        controls << w->SpinEditSelect << w->ButtonSelect << w->Button1Cancel;
    QWidget *control = controls.at(int(m_rng.bounded(int(controls.size()))));
    note(QStringLiteral("click %1").arg(control == w->Memo1->viewport() ? QStringLiteral("Memo1") : control->objectName()));
    QTest::mouseClick(control, Qt::LeftButton);
    if (control == w->ButtonSelect && !w->Panel2->isVisible())
        m_failure = checkSelected();
}

BeforeSave Session::snapshot() const
{
    BeforeSave s;
    s.file = TestRecords::readAll(m_fixture.dataFile());
    s.editMode = w->state().EditMode;
    s.selected = w->state().SelectedRecord;
    s.count = w->state().RecordCount;
    s.type = w->RadioIn->isChecked() ? QStringLiteral("I")
        : w->RadioOut->isChecked()   ? QStringLiteral("O")
                                     : QStringLiteral("M");
    s.texts = QStringList{w->EditDate->text(), w->EditTime->text(),    w->EditPhone->text(),
                          w->EditName->text(), w->EditCompany->text(), w->Memo1->toPlainText()};
    s.missing = w->EditPhone->text() == QLatin1String("Phone Number") || w->EditName->text() == QLatin1String("Enter Name")
        || w->EditCompany->text() == QLatin1String("Enter Business")
        || w->EditDate->text() == QLatin1String("mm/dd/yyyy") || w->EditTime->text() == QLatin1String("hh:mmAP");
    return s;
}

void Session::save(bool byEnterInNotes)
{
    if (byEnterInNotes && focused() != w->Memo1) {
        note(QStringLiteral("click Memo1"));
        QTest::mouseClick(w->Memo1->viewport(), Qt::LeftButton);
    }
    const BeforeSave before = snapshot();
    note(QStringLiteral("%1 (edit %2, record %3, count %4, missing %5)")
             .arg(byEnterInNotes ? QStringLiteral("Enter in the notes") : QStringLiteral("Ctrl+S"))
             .arg(before.editMode)
             .arg(before.selected)
             .arg(before.count)
             .arg(before.missing));
    if (byEnterInNotes)
        QTest::keyClick(w->Memo1, Qt::Key_Return);
    else
        QTest::keyClick(focused(), Qt::Key_S, Qt::ControlModifier);
    m_failure = checkSave(before);
    if (m_failure.isEmpty() && byEnterInNotes && !before.missing && !w->Memo1->toPlainText().isEmpty())
        m_failure = QStringLiteral("the notes are not empty after a save by Enter: '%1'")
                        .arg(w->Memo1->toPlainText());
}

QString Session::checkSave(const BeforeSave &before)
{
    const QByteArray after = TestRecords::readAll(m_fixture.dataFile());
    if (before.missing) {
        if (after != before.file)
            return QStringLiteral("a save with missing data changed the file");
        if (m_fixture.message() != QLatin1String("Missing Data") || m_fixture.indicator() != red
            || m_fixture.hint() != QLatin1String("Save FAILED - Missing Data"))
            return QStringLiteral("missing data not reported: '%1'").arg(m_fixture.message());
        if (w->state().EditMode)
            return QStringLiteral("still editing after a refused save");
        ++m_seen[QStringLiteral("refused saves")];
        return QString();
    }

    int number = before.count + 1;
    if (before.editMode) {
        number = before.selected;
        if (after.size() != before.file.size())
            return QStringLiteral("an edit changed the file's size");
        for (int k = 1; k <= after.size() / RecordSize; ++k) {
            if (k != number && recordAt(after, k).bytes != recordAt(before.file, k).bytes)
                return QStringLiteral("an edit of record %1 changed record %2").arg(number).arg(k);
        }
    } else {
        if (after.size() != before.file.size() + RecordSize)
            return QStringLiteral("a new record did not add 992 bytes (%1 -> %2)").arg(before.file.size()).arg(after.size());
        if (!after.startsWith(before.file))
            return QStringLiteral("a new record changed the records before it");
        if (w->state().RecordCount != number)
            return QStringLiteral("RecordCount %1 after saving record %2").arg(w->state().RecordCount).arg(number);
    }

    const CallRecord stored = recordAt(after, number);
    const CallRecord::Field fields[] = {CallRecord::Date, CallRecord::Time,    CallRecord::Phone,
                                        CallRecord::Name, CallRecord::Company, CallRecord::Notes};
    for (int i = 0; i < 6; ++i) {
        if (stored.text(fields[i]) != before.texts.at(i))
            return QStringLiteral("record %1 field %2 holds '%3', the window showed '%4'")
                .arg(number)
                .arg(int(fields[i]))
                .arg(stored.text(fields[i]), before.texts.at(i));
    }
    if (stored.text(CallRecord::Type) != before.type)
        return QStringLiteral("record %1 has type %2, not %3").arg(number).arg(stored.text(CallRecord::Type), before.type);
    const QString status = before.editMode ? QStringLiteral("E") : QStringLiteral("O");
    if (stored.text(CallRecord::Status) != status)
        return QStringLiteral("record %1 has status %2").arg(number).arg(stored.text(CallRecord::Status));
    const QString savedAt = before.editMode ? recordAt(before.file, number).text(CallRecord::SavedAt)
                                            : QString::number(F::fixedNow().toSecsSinceEpoch());
    if (stored.text(CallRecord::SavedAt) != savedAt)
        return QStringLiteral("record %1 saved at %2, not %3").arg(number).arg(stored.text(CallRecord::SavedAt), savedAt);
    if (!stored.verify())
        return QStringLiteral("record %1 as saved does not verify").arg(number);
    m_tampered.remove(number);
    ++m_seen[before.editMode ? QStringLiteral("edits saved") : QStringLiteral("new records")];

    // Clear leaves the hint as the rules on its way left it while a refused date stands.
    if (m_fixture.indicator() != lime || (!w->entryError() && m_fixture.hint() != QLatin1String("Record Status OK")))
        return QStringLiteral("a good save is reported %1 '%2'").arg(m_fixture.indicator().name(), m_fixture.hint());
    if (w->state().EditMode)
        return QStringLiteral("still editing after a save");
    if (w->EditDate->text() != QLatin1String("mm/dd/yyyy") || w->EditName->text() != QLatin1String("Enter Name"))
        return QStringLiteral("the fields were not cleared after a save");
    return QString();
}

void Session::clear()
{
    note(QStringLiteral("Ctrl+C"));
    QTest::keyClick(focused(), Qt::Key_C, Qt::ControlModifier);
    if (w->state().EditMode || w->EditPhone->text() != QLatin1String("Phone Number") || m_fixture.indicator() != lime)
        m_failure = QStringLiteral("Clear left the window unclear");
}

QString Session::checkSelected()
{
    const QByteArray file = TestRecords::readAll(m_fixture.dataFile());
    const int n = w->state().SelectedRecord;
    if (w->Panel2->isVisible())
        return QStringLiteral("the select panel stayed open");
    if (n < 1 || n > file.size() / RecordSize) {
        if (m_fixture.message() != QLatin1String("No file found - Save a record first"))
            return QStringLiteral("record %1 is not in the file, yet '%2'").arg(n).arg(m_fixture.message());
        ++m_seen[QStringLiteral("selects outside the file")];
        return QString();
    }
    const CallRecord record = recordAt(file, n);
    const std::pair<QString, CallRecord::Field> shown[] = {
        {w->EditDate->text(), CallRecord::Date}, {w->EditTime->text(), CallRecord::Time},
        {w->EditPhone->text(), CallRecord::Phone}, {w->EditName->text(), CallRecord::Name},
        {w->EditCompany->text(), CallRecord::Company}, {w->Memo1->toPlainText(), CallRecord::Notes}};
    for (const auto &[text, field] : shown) {
        if (text != record.text(field))
            return QStringLiteral("record %1 shown with '%2' for '%3'").arg(n).arg(text, record.text(field));
    }
    ++m_seen[record.verify() ? QStringLiteral("good records shown") : QStringLiteral("compromised records shown")];
    if (record.verify()) {
        if (!w->state().EditMode || w->state().EditLocked)
            return QStringLiteral("a good record %1 is not open for editing").arg(n);
        const QString status = record.text(CallRecord::Status);
        if (status == QLatin1String("O") && m_fixture.indicator() != lime)
            return QStringLiteral("record %1 with status O not shown lime").arg(n);
        if (status == QLatin1String("E")
            && (m_fixture.indicator() != yellow || m_fixture.message() != QLatin1String("Edited Entry")))
            return QStringLiteral("record %1 with status E not shown as edited").arg(n);
    } else if (w->state().EditMode || !w->state().EditLocked || m_fixture.indicator() != red
               || m_fixture.message() != QLatin1String("Entry Integrity Compromised")) {
        return QStringLiteral("a failing record %1 is not shown as compromised").arg(n);
    }
    return QString();
}

void Session::readAndSelect()
{
    note(QStringLiteral("Ctrl+R"));
    QTest::keyClick(focused(), Qt::Key_R, Qt::ControlModifier);
    if (!w->Panel2->isVisible() || QApplication::focusWidget() != w->SpinEditSelect) {
        m_failure = QStringLiteral("Read did not open the select panel");
        return;
    }
    const int count = w->state().RecordCount;
    const int wanted = m_rng.bounded(4) ? 1 + int(m_rng.bounded(qMax(count, 1)))
                                        : QList<int>{0, -1, count + 1, 2147483647}.at(int(m_rng.bounded(4)));
    w->SpinEditSelect->selectAll();
    QTest::keyClicks(w->SpinEditSelect, QString::number(wanted));
    const bool byButton = m_rng.bounded(3) == 0;
    note(QStringLiteral("select %1 by %2").arg(wanted).arg(byButton ? "button" : "Enter"));
    if (byButton)
        QTest::mouseClick(w->ButtonSelect, Qt::LeftButton);
    else
        QTest::keyClick(w->SpinEditSelect, Qt::Key_Return);
    m_failure = checkSelected();
}

void Session::readAndCancel()
{
    note(QStringLiteral("Ctrl+R, Cancel"));
    QTest::keyClick(focused(), Qt::Key_R, Qt::ControlModifier);
    QTest::mouseClick(w->Button1Cancel, Qt::LeftButton);
    if (w->Panel2->isVisible() || w->state().EditMode || w->EditDate->text() != QLatin1String("mm/dd/yyyy"))
        m_failure = QStringLiteral("Cancel did not clear and close the select panel");
}

void Session::exportLog()
{
    note(QStringLiteral("Export"));
    w->ExportFile1->trigger();
    const QByteArray file = TestRecords::readAll(m_fixture.dataFile());
    const QString text = QString::fromUtf8(TestRecords::readAll(m_fixture.path(QStringLiteral("VNExport.txt"))));
    int lineBreaks = 0;
    for (int k = 1; k <= file.size() / RecordSize; ++k)
        lineBreaks += int(recordAt(file, k).text(CallRecord::Notes).count(QLatin1Char('\n')));
    if (m_fixture.message() != QLatin1String("Saved as VNExport.txt") || m_fixture.hint() != QLatin1String("File Saved"))
        m_failure = QStringLiteral("export not reported: '%1'").arg(m_fixture.message());
    else if (text.count(QLatin1Char('\n')) != 1 + file.size() / RecordSize + lineBreaks)
        m_failure = QStringLiteral("export has %1 lines for %2 records").arg(text.count(QLatin1Char('\n'))).arg(file.size() / RecordSize);
}

void Session::review()
{
    const bool choose = m_rng.bounded(2);
    const int rowSeed = int(m_rng.bounded(1 << 20));
    bool chose = false;
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [&](QDialog *dialog) {
            auto *grid = qobject_cast<TFormRecordReview *>(dialog);
            if (!grid || !choose || grid->model()->rowCount() == 0)
                return false;
            const QModelIndex index = grid->model()->index(rowSeed % grid->model()->rowCount(), 0);
            grid->DataGrid->scrollTo(index);
            const QPoint at = grid->DataGrid->visualRect(index).center();
            QTest::mouseClick(grid->DataGrid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->DataGrid->viewport(), Qt::LeftButton, {}, at);
            chose = true;
            return true;
        };
        note(QStringLiteral("Ctrl+V, %1").arg(choose ? "choose a line" : "cancel"));
        QTest::keyClick(focused(), Qt::Key_V, Qt::ControlModifier);
        note(QStringLiteral("  seen %1").arg(answerer.seen.join(QLatin1Char(','))));
    }
    reactivate();
    if (chose && !w->printCurrentAllowed())
        m_failure = QStringLiteral("the line double-clicked in the review was not taken");
    else if (chose)
        m_failure = checkSelected();
}

void Session::fullReport()
{
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        note(QStringLiteral("Ctrl+P"));
        QTest::keyClick(focused(), Qt::Key_P, Qt::ControlModifier);
        if (answerer.seen.isEmpty())
            m_failure = QStringLiteral("no report window opened");
    }
    reactivate();
}

void Session::printCurrent()
{
    if (!w->PrintCurrent->isEnabled())
        return;
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        note(QStringLiteral("Ctrl+U (record %1)").arg(w->state().SelectedRecord));
        QTest::keyClick(focused(), Qt::Key_U, Qt::ControlModifier);
        if (answerer.seen != QStringList{QStringLiteral("TForm1")})
            m_failure = QStringLiteral("Print Current opened %1").arg(answerer.seen.join(QLatin1Char(',')));
    }
    reactivate();
}

void Session::tamper()
{
    const int records = int(QFileInfo(m_fixture.dataFile()).size() / RecordSize);
    if (records == 0)
        return;
    const int k = 1 + int(m_rng.bounded(records));
    const int at = int(m_rng.bounded(4));
    const CallRecord record = recordAt(TestRecords::readAll(m_fixture.dataFile()), k);
    const QString name = record.text(CallRecord::Name);
    const QChar old = at < name.size() ? name.at(at) : QChar();
    const QChar replacement = old == QLatin1Char('K') ? QLatin1Char('J') : QLatin1Char('K');
    note(QStringLiteral("alter record %1 outside the program").arg(k));
    QVERIFY(TestRecords::patchChar(m_fixture.dataFile(), k, CallRecord::Name, at, replacement));
    m_tampered.insert(k);
}

void Session::restart()
{
    note(QStringLiteral("restart the program"));
    m_fixture.window.reset();
    w = m_fixture.open();
}

// The program dies in the middle of a save, killed at one of its steps, and
// is started again; the next start undoes what the save left.
void Session::crashInASave()
{
    const char *steps[] = {"journal", "journal synced", "record", "record synced", "done"};
    const char *step = steps[m_rng.bounded(int(std::size(steps)))];
    const int records = int(QFileInfo(m_fixture.dataFile()).size() / RecordSize);
    const bool edit = records > 0 && m_rng.bounded(2) == 0;
    const int number = edit ? 1 + int(m_rng.bounded(records)) : records + 1;
    if (edit && m_tampered.contains(number))
        return;
    note(QStringLiteral("%1 record %2, killed after '%3'").arg(edit ? "edit" : "save").arg(number).arg(step));
    m_fixture.window.reset();
    ChildProcess child([&] {
        DataFile::setFaultHook([step](const char *reached) {
            if (qstrcmp(step, reached) == 0)
                ::raise(SIGKILL);
        });
        TestRecords::Entry entry;
        entry.name = QStringLiteral("Crash %1").arg(number);
        CallRecord record = TestRecords::make(number, entry);
        edit ? DataFile::rewriteRecord(m_fixture.dataFile(), number, record)
             : DataFile::appendRecord(m_fixture.dataFile(), record);
        return 0;
    });
    QVERIFY(child.started());
    int status = 0;
    QVERIFY(child.waitForExit(status));
    QVERIFY(WIFSIGNALED(status));
    w = m_fixture.open();
}

QString Session::checkInvariants()
{
    if (QFileInfo::exists(DataFile::journalPath(m_fixture.dataFile())))
        return QStringLiteral("a save left its journal behind");
    if (auto *modal = QApplication::activeModalWidget())
        return QStringLiteral("a modal window stayed open: %1").arg(modal->metaObject()->className());
    const QByteArray file = TestRecords::readAll(m_fixture.dataFile());
    if (file.size() % RecordSize != 0)
        return QStringLiteral("the data file is %1 bytes, not whole records").arg(file.size());
    const int records = int(file.size() / RecordSize);
    for (int k = 1; k <= records; ++k) {
        const CallRecord record = recordAt(file, k);
        if (record.number() != k)
            return QStringLiteral("record %1 carries number %2").arg(k).arg(record.number());
        if (!m_tampered.contains(k) && !record.verify())
            return QStringLiteral("record %1 no longer verifies").arg(k);
    }
    // Every save that adds a record sets the count from it, start-up and
    // Export take it from the last record; nothing else changes the file's length.
    if (w->state().RecordCount != records)
        return QStringLiteral("RecordCount %1, the file holds %2 records").arg(w->state().RecordCount).arg(records);
    const QColor colour = m_fixture.indicator();
    if (colour != lime && colour != yellow && colour != red)
        return QStringLiteral("indicator colour %1").arg(colour.name());
    if (w->state().EditMode && w->state().EditLocked)
        return QStringLiteral("editing a record that is locked");
    const std::pair<QLineEdit *, int> limits[] = {{w->EditDate, 11}, {w->EditTime, 9},     {w->EditPhone, 12},
                                                  {w->EditName, 74}, {w->EditCompany, 49}};
    for (const auto &[field, limit] : limits) {
        if (field->text().size() > limit)
            return QStringLiteral("%1 holds %2 characters").arg(field->objectName()).arg(field->text().size());
        for (QChar c : {QChar(u'\n'), QChar(u'\r'), QChar(QChar::ParagraphSeparator)}) {
            if (field->text().contains(c))
                return QStringLiteral("%1 holds a line break").arg(field->objectName());
        }
    }
    const QString notes = w->Memo1->toPlainText();
    if (notes.size() > 199)
        return QStringLiteral("the notes hold %1 characters").arg(notes.size());
    for (const QString &text : {w->EditName->text(), w->EditCompany->text(), notes}) {
        if (text.contains(QChar(FieldSeparator)))
            return QStringLiteral("a field separator got into '%1'").arg(text);
    }
    return QString();
}

void Session::fail(const QString &what)
{
    // CALLLOG_RANDOM_KEEP names a folder that gets the session's files for a look.
    const QString keep = qEnvironmentVariable("CALLLOG_RANDOM_KEEP");
    if (!keep.isEmpty() && QDir().mkpath(keep)) {
        for (const QString &name : QDir(m_fixture.dir.path()).entryList(QDir::Files))
            QFile::copy(m_fixture.path(name), QDir(keep).filePath(name));
    }
    const QStringList last = m_log.mid(qMax(0, int(m_log.size()) - 30));
    QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3\nrepeat with CALLLOG_RANDOM_SEED=%1 CALLLOG_RANDOM_STEPS=%2\n"
                                    "last steps:\n  %4")
                         .arg(m_seed)
                         .arg(m_step)
                         .arg(what, last.join(QStringLiteral("\n  ")))));
}

void Session::run()
{
    m_fixture.writeRecords(3);
    w = m_fixture.open();
    if (QString failure = checkInvariants(); !failure.isEmpty())
        return fail(failure);

    struct Action
    {
        int weight;
        std::function<void()> run;
    };
    const Action actions[] = {
        {22, [this] { typeText(); }},
        {10, [this] { pressKey(Qt::Key_Tab); }},
        {4, [this] { pressKey(Qt::Key_Tab, Qt::ShiftModifier); }},
        {10, [this] { clickControl(); }},
        {4,
         [this] {
             const Qt::Key keys[] = {Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right, Qt::Key_Delete,
                                     Qt::Key_Backspace, Qt::Key_Up, Qt::Key_Space};
             pressKey(keys[m_rng.bounded(int(std::size(keys)))]);
         }},
        {3, [this] { pasteText(); }},
        {8, [this] { save(false); }},
        {5, [this] { save(true); }},
        {3, [this] { clear(); }},
        {8, [this] { readAndSelect(); }},
        {2, [this] { readAndCancel(); }},
        {2, [this] { exportLog(); }},
        {3, [this] { review(); }},
        {1, [this] { fullReport(); }},
        {1, [this] { printCurrent(); }},
        {1, [this] { tamper(); }},
        {1, [this] { restart(); }},
        {1, [this] { crashInASave(); }},
    };
    int total = 0;
    for (const Action &action : actions)
        total += action.weight;

    for (m_step = 1; m_step <= m_steps; ++m_step) {
        int pick = int(m_rng.bounded(total));
        for (const Action &action : actions) {
            if (pick < action.weight) {
                action.run();
                break;
            }
            pick -= action.weight;
        }
        if (QTest::currentTestFailed())
            return fail(QStringLiteral("a check inside the step failed"));
        if (!m_failure.isEmpty())
            return fail(m_failure);
        if (QString failure = checkInvariants(); !failure.isEmpty())
            return fail(failure);
    }
    QStringList outcomes;
    for (auto it = m_seen.cbegin(); it != m_seen.cend(); ++it)
        outcomes << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
    qInfo("seed %u, %d steps: %d records in the file; %s", m_seed, m_steps,
          int(QFileInfo(m_fixture.dataFile()).size() / RecordSize), qPrintable(outcomes.join(QStringLiteral(", "))));
    // A session that never saved or showed a record has tested little.
    QVERIFY(m_seen.value(QStringLiteral("new records")) > 0);
    QVERIFY(m_seen.value(QStringLiteral("good records shown")) > 0);
}

} // namespace

class TestRandomSession : public QObject
{
    Q_OBJECT

private slots:
    void randomSession();
};

void TestRandomSession::randomSession()
{
    bool seeded = false;
    const quint32 seed = quint32(qEnvironmentVariable("CALLLOG_RANDOM_SEED").toUInt(&seeded));
    bool counted = false;
    const int steps = qEnvironmentVariableIntValue("CALLLOG_RANDOM_STEPS", &counted);
    Session session(seeded ? seed : DefaultSeed, counted && steps > 0 ? steps : DefaultSteps);
    session.run();
}

QTEST_MAIN(TestRandomSession)
#include "tst_randomsession.moc"
