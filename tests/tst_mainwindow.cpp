#include "accessiblecheck.h"
#include "mainwindowfixture.h"
#include "screenfixture.h"

#include "Printprefiewform.h"
#include "Stringgridreview.h"
#include "reviewfiltermodel.h"

#include <QAction>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>

#include <sys/stat.h>

using TestRecords::readAll;

namespace {

// An outgoing call, typed through the keyboard.
void typeEntry(const QString &notes = QStringLiteral("Call back"))
{
    MainWindowFixture::typeEntry(notes, Qt::Key_Right);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startWithoutConfigurationOrData();
    void startWithFiveRecords();
    void controlsAreNamed_data();
    void controlsAreNamed();
    void configuredFontReachesTheEntryControlsOnly();
    void tabbingThroughAFreshWindow();
    void saveWithCtrlS();
    void enterInTheNotesSaves();
    void missingData();
    void saveIntoAFolderReportsOpenError();
    void saveIntoAVanishedFileLeavesNothingBehind();
    void selectEditAndSaveBack();
    void alteredRecordIsLocked();
    void storedNoteIsShownWhole();
    void selectWithoutRecordsReportsNoFile();
    void ctrlCInAFieldClears();
    void createNewRunsTheConfigurationManager();
    void createNewWithoutConfigurationManager();
    void openExisting();
    void openExistingWithoutConfiguration();
    void openExistingCancelled();
    void reviewAndPrintShowTheLogSavesGoTo_data();
    void reviewAndPrintShowTheLogSavesGoTo();
    void messageBarFitsTheScreen_data();
    void messageBarFitsTheScreen();
};

void TestMainWindow::startWithoutConfigurationOrData()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    QCOMPARE(f.message(), QStringLiteral("Configuration missing - using Default"));
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(f.hint(), QStringLiteral("Record Status OK"));
    QCOMPARE(w->RecNumbLabel->text(), QStringLiteral("0"));
    QCOMPARE(w->SpinEditSelect->maximum(), 0);
    QVERIFY(!w->PrintCurrent->isEnabled());
    QVERIFY(!w->Panel2->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("Vorlen Entry"));
    QCOMPARE(w->EditDate->text(), QStringLiteral("mm/dd/yyyy"));
    QCOMPARE(w->EditTime->text(), QStringLiteral("hh:mmAP"));
    QCOMPARE(w->EditPhone->text(), QStringLiteral("Phone Number"));
    QCOMPARE(w->EditName->text(), QStringLiteral("Enter Name"));
    QCOMPARE(w->EditCompany->text(), QStringLiteral("Enter Business"));
    QVERIFY(w->RadioIn->isChecked());
    QCOMPARE(w->state().DataFileName, QStringLiteral("VNData.dta"));
    QCOMPARE(w->state().buffer.text(CallRecord::Status), QStringLiteral("+"));
    QCOMPARE(w->state().buffer.text(CallRecord::Hash), QStringLiteral("~"));
    QCOMPARE(w->state().buffer.text(CallRecord::Spare1), QStringLiteral("1001"));
    QCOMPARE(w->state().buffer.text(CallRecord::Spare2), QStringLiteral("1002"));
}

void TestMainWindow::startWithFiveRecords()
{
    MainWindowFixture f;
    f.writeRecords(5);
    TMainForm *w = f.open();
    QCOMPARE(w->RecNumbLabel->text(), QStringLiteral("5"));
    QCOMPARE(w->SpinEditSelect->maximum(), 5);
    QCOMPARE(w->state().RecordCount, 5);
    // The buffer holds the last record after start-up.
    QCOMPARE(w->state().buffer.text(CallRecord::Name), QStringLiteral("Caller 5"));
}

void TestMainWindow::configuredFontReachesTheEntryControlsOnly()
{
    MainWindowFixture f;
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")),
                                  "VNData.dta\n-\n###\n###\nDejaVu Serif\n255\n14\n\x01"));
    TMainForm *w = f.open();
    QCOMPARE(f.message(), QString());
    const QList<QWidget *> configured = {w->EditDate, w->EditTime,    w->EditPhone,     w->EditName,
                                         w->EditCompany, w->Memo1, w->SpinEditSelect};
    for (QWidget *control : configured) {
        QCOMPARE(control->font().pointSize(), 14);
        QVERIFY(control->font().bold());
        QCOMPARE(control->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(control->palette().color(QPalette::Text), QColor(255, 0, 0));
    }
    const QList<QWidget *> unchanged = {w->DateLabel, w->NoteLabel, w->RadioGroup1, w->LabelRecordStatus, w->Panel2->RecNoteLabel};
    for (QWidget *control : unchanged) {
        QVERIFY2(control->font().pointSize() != 14 || control == w->LabelRecordStatus, qPrintable(control->objectName()));
        QVERIFY(control->font().family() != QStringLiteral("DejaVu Serif"));
    }
    QVERIFY(!w->RadioGroup1->font().bold());
}

void TestMainWindow::tabbingThroughAFreshWindow()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    f.tab();
    QCOMPARE(QApplication::focusWidget(), w->EditDate);
    QCOMPARE(f.indicator(), yellow);
    QCOMPARE(f.hint(), QStringLiteral("Editing-Record not saved"));
    QCOMPARE(f.message(), QString());
    QCOMPARE(w->EditDate->text(), QStringLiteral("3/7/2026"));
    QCOMPARE(w->EditDate->selectedText(), QStringLiteral("3/7/2026"));
    f.tab();
    QCOMPARE(w->EditDate->text(), QStringLiteral("03/07/2026"));
    QCOMPARE(w->EditTime->text(), QStringLiteral("03:25PM"));
    f.tab();
    QCOMPARE(w->EditTime->text(), QStringLiteral(" 3:25PM"));
    f.tab();
    QCOMPARE(w->EditPhone->text(), QStringLiteral("Unknown"));
    f.tab();
    QCOMPARE(w->EditName->text(), QStringLiteral("Unknown Caller"));
    f.tab();
    QCOMPARE(w->EditCompany->text(), QStringLiteral("Unknown"));
    QCOMPARE(QApplication::focusWidget(), w->Memo1);
    QCOMPARE(f.indicator(), yellow);
    QCOMPARE(f.message(), QString());
}

void TestMainWindow::saveWithCtrlS()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    typeEntry();
    f.key(Qt::Key_S, Qt::ControlModifier);

    const QByteArray bytes = readAll(f.dataFile());
    QCOMPARE(bytes.size(), RecordSize);
    CallRecord stored;
    std::copy(bytes.begin(), bytes.end(), stored.bytes.begin());
    QCOMPARE(stored.text(CallRecord::Type), QStringLiteral("O"));
    QCOMPARE(stored.text(CallRecord::RecordNumber), QStringLiteral("1"));
    QCOMPARE(stored.text(CallRecord::Date), QStringLiteral("06/14/2024"));
    QCOMPARE(stored.text(CallRecord::Time), QStringLiteral(" 9:30AM"));
    QCOMPARE(stored.text(CallRecord::Phone), QStringLiteral("555-123-4567"));
    QCOMPARE(stored.text(CallRecord::Name), QStringLiteral("Ann Lee"));
    QCOMPARE(stored.text(CallRecord::Company), QStringLiteral("Acme"));
    // The notes are saved as typed: their exit rule has not run.
    QCOMPARE(stored.text(CallRecord::Notes), QStringLiteral("Call back"));
    QCOMPARE(stored.text(CallRecord::Status), QStringLiteral("O"));
    QCOMPARE(stored.text(CallRecord::SavedAt), QString::number(MainWindowFixture::fixedNow().toSecsSinceEpoch()));
    QCOMPARE(stored.text(CallRecord::Spare1), QStringLiteral("1001"));
    QCOMPARE(stored.text(CallRecord::Spare2), QStringLiteral("1002"));
    QVERIFY(stored.verify());

    QCOMPARE(f.indicator(), lime);
    QCOMPARE(f.hint(), QStringLiteral("Record Status OK"));
    QCOMPARE(w->EditName->text(), QStringLiteral("Enter Name"));
    QCOMPARE(w->Memo1->toPlainText(), QString());
    QVERIFY(w->RadioIn->isChecked());
    QCOMPARE(w->state().RecordCount, 1);
    // The select panel's count follows at the next Read.
    QCOMPARE(w->RecNumbLabel->text(), QStringLiteral("0"));

    typeEntry(QStringLiteral("second"));
    f.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readAll(f.dataFile()).size(), 2 * RecordSize);
    QCOMPARE(readAll(f.dataFile()).left(RecordSize), bytes);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 2);
}

void TestMainWindow::enterInTheNotesSaves()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    typeEntry(QStringLiteral("ring at"));
    f.key(Qt::Key_Return);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 1);
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 1, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::Notes), QStringLiteral("ring at"));
    // The next note starts empty, not with a blank.
    QCOMPARE(w->Memo1->toPlainText(), QString());
    QCOMPARE(w->EditDate->text(), QStringLiteral("mm/dd/yyyy"));

    // A refused save puts nothing at the caret, neither a line break nor a blank.
    w->Memo1->setFocus();
    w->Memo1->moveCursor(QTextCursor::End);
    f.type(QStringLiteral("x"));
    f.key(Qt::Key_Return);
    QCOMPARE(f.message(), QStringLiteral("Missing Data"));
    QCOMPARE(w->Memo1->toPlainText(), QStringLiteral("x"));
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 1);
}

void TestMainWindow::missingData()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    typeEntry();
    w->EditTime->setText(QStringLiteral("hh:mmAP"));
    f.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), QStringLiteral("Missing Data"));
    QCOMPARE(w->LabelRecordStatus->font().pointSize(), 12);
    QCOMPARE(f.indicator(), red);
    QCOMPARE(f.hint(), QStringLiteral("Save FAILED - Missing Data"));
    QVERIFY(!QFile::exists(f.dataFile()));
    // The fields stay for the user to mend.
    QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));

    // An empty field is not missing.
    w->EditTime->setText(QString());
    f.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 1);
}

void TestMainWindow::saveIntoAFolderReportsOpenError()
{
    MainWindowFixture f;
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("VNData.dta")));
    TMainForm *w = f.open();
    typeEntry();
    f.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), QStringLiteral("File: Open ERROR"));
    QCOMPARE(f.indicator(), red);
    QCOMPARE(f.hint(), QStringLiteral("File: Open ERROR"));
    QCOMPARE(w->state().RecordCount, 0);
    QVERIFY(!w->state().EditMode);
    QCOMPARE(w->EditCompany->text(), QStringLiteral("Acme"));
}

void TestMainWindow::saveIntoAVanishedFileLeavesNothingBehind()
{
    MainWindowFixture f;
    f.writeRecords(3);
    TMainForm *w = f.open();
    QVERIFY(QFile::remove(f.dataFile()));
    typeEntry();
    f.key(Qt::Key_S, Qt::ControlModifier);
    // Record 4 cannot be the first record of a new file.
    QCOMPARE(f.message(), QStringLiteral("File: Open ERROR"));
    QVERIFY(!QFile::exists(f.dataFile()));
    QCOMPARE(w->state().RecordCount, 3);
}

void TestMainWindow::selectEditAndSaveBack()
{
    MainWindowFixture f;
    f.writeRecords(3);
    TMainForm *w = f.open();
    const QByteArray before = readAll(f.dataFile());

    f.key(Qt::Key_R, Qt::ControlModifier);
    QVERIFY(w->Panel2->isVisible());
    QCOMPARE(QApplication::focusWidget(), w->SpinEditSelect);
    QCOMPARE(w->SpinEditSelect->minimum(), 1);
    QCOMPARE(w->SpinEditSelect->maximum(), 3);
    QVERIFY(w->PrintCurrent->isEnabled());
    f.key(Qt::Key_Up);
    f.key(Qt::Key_Return);
    QVERIFY(!w->Panel2->isVisible());
    QCOMPARE(w->EditName->text(), QStringLiteral("Caller 2"));
    QCOMPARE(f.indicator(), lime);
    QVERIFY(w->state().EditMode);
    QCOMPARE(w->state().SelectedRecord, 2);

    w->Memo1->setFocus();
    QCOMPARE(f.indicator(), lime);
    w->Memo1->selectAll();
    f.type(QStringLiteral("edited"));
    w->EditName->setFocus();
    QCOMPARE(f.indicator(), yellow);
    f.key(Qt::Key_S, Qt::ControlModifier);

    const QByteArray after = readAll(f.dataFile());
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.left(RecordSize), before.left(RecordSize));
    QCOMPARE(after.mid(2 * RecordSize), before.mid(2 * RecordSize));
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 2, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::Status), QStringLiteral("E"));
    QCOMPARE(stored.text(CallRecord::Notes), QStringLiteral("edited"));
    QCOMPARE(stored.text(CallRecord::SavedAt), QStringLiteral("1718357400"));
    QVERIFY(stored.verify());
    QVERIFY(!w->state().EditMode);

    f.key(Qt::Key_R, Qt::ControlModifier);
    f.key(Qt::Key_Up);
    w->ButtonSelect->click();
    QCOMPARE(f.message(), QStringLiteral("Edited Entry"));
    QCOMPARE(f.indicator(), yellow);
}

void TestMainWindow::alteredRecordIsLocked()
{
    MainWindowFixture f;
    f.writeRecords(2);
    QVERIFY(TestRecords::patchChar(f.dataFile(), 1, CallRecord::Name, 0, QLatin1Char('K')));
    const QByteArray altered = readAll(f.dataFile());
    TMainForm *w = f.open();
    w->Read1Click();
    w->ButtonSelectClick();
    QCOMPARE(f.message(), QStringLiteral("Entry Integrity Compromised"));
    QCOMPARE(f.indicator(), red);
    QCOMPARE(w->EditName->text(), QStringLiteral("Kaller 1"));
    QVERIFY(w->state().EditLocked);
    QVERIFY(!w->state().EditMode);
    QCOMPARE(w->state().buffer.text(CallRecord::Status), QStringLiteral("X"));
    QCOMPARE(readAll(f.dataFile()), altered);

    w->EditPhone->setFocus();
    QCOMPARE(f.message(), QStringLiteral("Editing Disabled"));
    for (QLineEdit *field : {w->EditDate, w->EditTime, w->EditPhone, w->EditName, w->EditCompany})
        QVERIFY(field->isReadOnly());
    QVERIFY(w->Memo1->isReadOnly());
    f.type(QStringLiteral("999"));
    QCOMPARE(w->EditPhone->text(), QStringLiteral("555-123-4567"));
    // Leaving a locked field with a good entry changes neither indicator nor message.
    f.tab();
    QCOMPARE(f.indicator(), red);
    QCOMPARE(f.message(), QStringLiteral("Editing Disabled"));

    // Saving a locked record appends its texts as a new record.
    f.key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 3);
    QCOMPARE(readAll(f.dataFile()).left(2 * RecordSize), altered);
    // Clear unlocks the fields.
    for (QLineEdit *field : {w->EditDate, w->EditTime, w->EditPhone, w->EditName, w->EditCompany})
        QVERIFY(!field->isReadOnly());
    QVERIFY(!w->Memo1->isReadOnly());
}

void TestMainWindow::storedNoteIsShownWhole()
{
    MainWindowFixture f;
    // Another program stored the field separator in a note; the record is still genuine.
    TestRecords::Entry entry;
    entry.notes = QStringLiteral("a\u00acb");
    CallRecord record = TestRecords::make(1, entry);
    QVERIFY(DataFile::appendRecord(f.dataFile(), record));
    TMainForm *w = f.open();
    w->Read1Click();
    w->ButtonSelectClick();
    QCOMPARE(w->Memo1->toPlainText(), entry.notes);
    QCOMPARE(f.indicator(), lime);
    QVERIFY(w->state().EditMode);
}

void TestMainWindow::selectWithoutRecordsReportsNoFile()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    f.key(Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(w->SpinEditSelect->minimum(), 0);
    QCOMPARE(w->SpinEditSelect->maximum(), 0);
    QCOMPARE(w->SpinEditSelect->value(), 0);
    QVERIFY(w->PrintCurrent->isEnabled());
    f.key(Qt::Key_Return);
    QCOMPARE(f.message(), QStringLiteral("No file found - Save a record first"));
    QCOMPARE(w->LabelRecordStatus->font().pointSize(), 9);
    QCOMPARE(f.indicator(), red);
    QVERIFY(!w->Panel2->isVisible());
    QVERIFY(!w->state().EditMode);

    // A record count beyond the file's records never reads outside it.
    f.writeRecords(2);
    w->state().RecordCount = 5;
    w->Read1Click();
    w->SpinEditSelect->setValue(5);
    w->ButtonSelectClick();
    // The file is there; it only lacks the record.
    QCOMPARE(f.message(), QStringLiteral("No record 5 in the log"));
    QCOMPARE(w->EditName->text(), QStringLiteral("Enter Name"));
}

void TestMainWindow::ctrlCInAFieldClears()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    f.tab();
    f.tab();
    f.tab();
    f.type(QStringLiteral("5551234"));
    QCOMPARE(QApplication::focusWidget(), w->EditPhone);
    f.key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(w->EditPhone->text(), QStringLiteral("Phone Number"));
    QCOMPARE(w->EditDate->text(), QStringLiteral("mm/dd/yyyy"));
    QCOMPARE(QApplication::focusWidget(), w->RadioIn);
    QCOMPARE(f.indicator(), lime);
}

void TestMainWindow::createNewRunsTheConfigurationManager()
{
    MainWindowFixture f;
    f.writeRecords(2);
    // A stand-in configuration manager that writes a configuration naming another data file.
    const QString manager = f.path(QStringLiteral("VNConfig"));
    QVERIFY(TestRecords::writeAll(manager, "#!/bin/sh\nprintf 'Other.dta\\n.\\n212\\n###\\nDejaVu Sans\\n0\\n12\\n\\000' > VNConfig.cfg\n"));
    QVERIFY(QFile::setPermissions(manager, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // The stand-in really runs, as the manager does.
    f.desktop.runProgram = Desktop().runProgram;
    TMainForm *w = f.open();
    QCOMPARE(w->state().RecordCount, 2);
    w->EditName->setText(QStringLiteral("typed before"));

    w->Save1Click();
    QCOMPARE(w->state().DataFileName, QStringLiteral("Other.dta"));
    QCOMPARE(w->state().RecordCount, 0);
    QCOMPARE(w->RecNumbLabel->text(), QStringLiteral("0"));
    QCOMPARE(w->state().configuration.phoneSeparator, QStringLiteral("."));
    QCOMPARE(w->EditName->font().pointSize(), 12);
    QCOMPARE(w->EditName->text(), QStringLiteral("typed before"));
    QCOMPARE(f.indicator(), lime);
}

void TestMainWindow::createNewWithoutConfigurationManager()
{
    MainWindowFixture f;
    f.writeRecords(2);
    TMainForm *w = f.open();
    w->desktop().runProgram = [](const QString &, const QStringList &) { return false; };
    w->Save1Click();
    QCOMPARE(w->state().RecordCount, 2);
    QCOMPARE(w->state().DataFileName, QStringLiteral("VNData.dta"));
    QCOMPARE(f.message(), QStringLiteral("Configuration Manager could not be started"));
    QCOMPARE(f.indicator(), red);
}

void TestMainWindow::openExisting()
{
    MainWindowFixture f;
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")), "VNData.dta\n.\n212\n###\nDejaVu Sans\n0\n11\n\x02"));
    f.writeRecords(1);
    const QString other = f.path(QStringLiteral("sub/Other.dta"));
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("sub")));
    f.writeRecords(4, other);
    TMainForm *w = f.open();
    w->desktop().chooseFile = [other](QWidget *, const Desktop::FileChoice &) { return other; };
    w->Open1Click();
    QCOMPARE(w->state().DataFileName, other);
    QCOMPARE(w->state().RecordCount, 4);
    QCOMPARE(w->RecNumbLabel->text(), QStringLiteral("4"));
    QCOMPARE(readAll(f.path(QStringLiteral("VNConfig.cfg"))),
             other.toUtf8() + "\n.\n212\n###\nDejaVu Sans\n0\n11\n\x02");
}

void TestMainWindow::openExistingWithoutConfiguration()
{
    MainWindowFixture f;
    f.writeRecords(1);
    const QString other = f.path(QStringLiteral("Other.dta"));
    f.writeRecords(3, other);
    TMainForm *w = f.open();
    w->desktop().chooseFile = [other](QWidget *, const Desktop::FileChoice &) { return other; };
    w->Open1Click();
    QCOMPARE(w->state().DataFileName, other);
    QCOMPARE(f.message(), QStringLiteral("Configuration missing - using Default"));
    QCOMPARE(f.indicator(), red);
    QVERIFY(!QFile::exists(f.path(QStringLiteral("VNConfig.cfg"))));
    // The next record goes into the chosen file with that file's next number.
    QCOMPARE(w->state().RecordCount, 3);
}

void TestMainWindow::openExistingCancelled()
{
    MainWindowFixture f;
    QVERIFY(TestRecords::writeConfiguration(f.path(QStringLiteral("VNConfig.cfg")), "VNData.dta\n-\n###\n###\nArial\n0\n10\n"));
    const QByteArray config = readAll(f.path(QStringLiteral("VNConfig.cfg")));
    QCOMPARE(config.size(), 33);
    TMainForm *w = f.open();
    w->desktop().chooseFile = [](QWidget *, const Desktop::FileChoice &) { return QString(); };
    w->Open1Click();
    QCOMPARE(w->state().DataFileName, QStringLiteral("VNData.dta"));
    QCOMPARE(readAll(f.path(QStringLiteral("VNConfig.cfg"))), config);
}

void TestMainWindow::messageBarFitsTheScreen_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("pointSize");
    const struct
    {
        int width, height, scale;
    } screens[] = {{960, 540, 2}, {960, 768, 1}, {1024, 768, 1}, {1600, 900, 1}, {1600, 900, 2}};
    const struct
    {
        const char *text;
        int pointSize;
    } messages[] = {{"Configuration Manager could not be started", 12},
                    {"Configuration missing - using Default", 12},
                    {"No file found - Save a record first", 9},
                    {"Missing Data", 12}};
    for (const auto &screen : screens) {
        for (const auto &message : messages)
            QTest::addRow("%dx%d at %d00 %%, %s", screen.width, screen.height, screen.scale, message.text)
                << screen.width << screen.height << screen.scale << QString::fromLatin1(message.text)
                << message.pointSize;
    }
}

// The whole message shows, clear of every caption and field, and every caption
// and field keeps its text and place, from 960 pixels wide up.
void TestMainWindow::messageBarFitsTheScreen()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, scale);
    QFETCH(QString, message);
    QFETCH(int, pointSize);
    SCREENFIXTURE_RUN_ON(width, height, scale);

    MainWindowFixture f;
    TMainForm *w = f.open();
    auto settle = [] {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    };
    w->ClearCurrent1Click();
    settle();
    const int plainHeight = w->height();

    w->showMessage(message, pointSize);
    settle();
    QVERIFY(ScreenFixture::onItsScreen(w));
    QLabel *bar = w->LabelRecordStatus;
    QVERIFY(bar->isVisible());
    QVERIFY(bar->contentsRect().width() >= QFontMetrics(bar->font()).horizontalAdvance(message));
    const QRect text = ScreenFixture::textRect(bar);
    QVERIFY(ScreenFixture::showsWhole(bar, text));
    const QRect shownText = text.translated(bar->mapTo(w, QPoint()));

    const QList<QWidget *> controls = {w->TypeLabel, w->DateLabel,   w->TimeLabel,   w->PhoneLabel, w->NameLabel,
                                       w->CompanyLabel, w->NoteLabel, w->RadioGroup1, w->EditDate,   w->EditTime,
                                       w->EditPhone,  w->EditName,    w->EditCompany, w->Memo1};
    for (int i = 0; i < controls.size(); ++i) {
        const QRect place(controls[i]->mapTo(w, QPoint()), controls[i]->size());
        QVERIFY2(!place.intersects(shownText), qPrintable(controls[i]->objectName()));
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!place.intersects(QRect(controls[j]->mapTo(w, QPoint()), controls[j]->size())),
                     qPrintable(controls[i]->objectName() + QLatin1String(" / ") + controls[j]->objectName()));
    }
    const QStringList cut = ScreenFixture::cutTexts(w);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1String(", "))));
    QVERIFY(w->Memo1->width() >= EntryRow::NotesMinimumWidth);

    // Clear takes the message away, and with it any line it took.
    w->ClearCurrent1Click();
    settle();
    QCOMPARE(w->height(), plainHeight);
}

void TestMainWindow::controlsAreNamed_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption"); // empty: none of its own
    QTest::addColumn<QString>("name");

    QTest::newRow("type") << "RadioGroup1" << "TypeLabel" << "Type";
    QTest::newRow("date") << "EditDate" << "DateLabel" << "Date";
    QTest::newRow("time") << "EditTime" << "TimeLabel" << "Time";
    QTest::newRow("phone") << "EditPhone" << "PhoneLabel" << "Phone Number";
    QTest::newRow("name") << "EditName" << "NameLabel" << "Name";
    QTest::newRow("company") << "EditCompany" << "CompanyLabel" << "Company";
    QTest::newRow("notes") << "Memo1" << "NoteLabel" << "Notes";
    QTest::newRow("record number") << "SpinEditSelect" << "LabelSelect1" << "Select a record to display";
    QTest::newRow("indicator") << "ShapeStatus" << QString() << "Status indicator";
    QTest::newRow("radio") << "RadioMsg" << QString() << "Msg";
    QTest::newRow("button") << "Button1Cancel" << QString() << "Cancel";
}

void TestMainWindow::controlsAreNamed()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QString, name);
    MainWindowFixture f;
    TMainForm *w = f.open();
    auto *widget = w->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(AccessibleCheck::name(widget), name);
    if (!caption.isEmpty()) {
        auto *label = w->findChild<QLabel *>(caption);
        QVERIFY(label);
        QCOMPARE(label->buddy(), widget);
    }
    QCOMPARE(AccessibleCheck::unnamedControls(w), QStringList());
}

void TestMainWindow::reviewAndPrintShowTheLogSavesGoTo_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Open Existing without a configuration file") << "open";
    QTest::newRow("Open Existing with a configuration file") << "open, configured";
    QTest::newRow("configuration manager run by itself meanwhile") << "manager alone";
}

// Review and the full report work on the log the window saves to, whatever
// the configuration file names now; the other log is never read or marked.
void TestMainWindow::reviewAndPrintShowTheLogSavesGoTo()
{
    QFETCH(QString, how);
    MainWindowFixture f;
    const QString other = f.path(QStringLiteral("Other.dta"));
    f.writeRecords(1);
    f.writeRecords(3, other);
    if (how != QLatin1String("open"))
        QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")), "VNData.dta\n-\n###\n###\nArial\n0\n10\n"));
    TMainForm *w = f.open();
    QString inUse = f.dataFile();
    QString notInUse = other;
    if (how == QLatin1String("manager alone")) {
        QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")), "Other.dta\n-\n###\n###\nArial\n0\n10\n"));
    } else {
        std::swap(inUse, notInUse);
        f.desktop.nextFile = other;
        w->Open1->trigger();
    }
    // A record of the log not in use fails its check: reading it would mark it.
    QVERIFY(TestRecords::patchChar(notInUse, 1, CallRecord::Notes, 0, QLatin1Char('K')));
    const QByteArray untouched = TestRecords::readAll(notInUse);
    const int before = DataFile::findRecordCount(inUse);
    MainWindowFixture::typeEntry();
    MainWindowFixture::key(Qt::Key_Return);
    QCOMPARE(DataFile::findRecordCount(inUse), before + 1);

    QString reviewed;
    int rows = -1;
    QString report;
    ModalAnswerer answerer(f.desktop, [&](QDialog *dialog) {
        if (auto *review = qobject_cast<TFormRecordReview *>(dialog)) {
            reviewed = review->dataFileName();
            rows = review->model()->rowCount();
        } else if (auto *preview = qobject_cast<TPrintPreviewForm *>(dialog)) {
            report = preview->REditReport->toPlainText();
        }
        dialog->reject();
    });
    w->Review1->trigger();
    w->Print1->trigger();
    QCOMPARE(QFileInfo(reviewed).absoluteFilePath(), inUse);
    QCOMPARE(rows, before + 1);
    QCOMPARE(report.count(QStringLiteral("Ann Lee")), 1);
    QCOMPARE(TestRecords::readAll(notInUse), untouched);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
