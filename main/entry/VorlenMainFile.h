#ifndef VORLENMAINFILE_H
#define VORLENMAINFILE_H

#include "Globdatunit1.h"
#include "callentry.h"
#include "datafile.h"

#include <QDateTime>
#include <QMainWindow>

#include <functional>
#include <memory>

class FocusRules;
struct CallRecord;
class CallerNames;
class QAction;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QLockFile;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStringListModel;
class StatusShape;

// The log-entry window: one row of entry fields for a call or message, the
// select panel, the status indicator and the message bar, and the menus.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // The window's initialisation: configuration, font, record count, indicator.
    void MainFormCreate();

    RecordState &state() { return m_state; }
    const RecordState &state() const { return m_state; }

    bool entryError() const { return EntryError; }
    bool printCurrentAllowed() const { return PrintCurrentAllowed; }

    // Seams for what waits for a person or another program; tests replace them.
    // Returns the chosen data file, or an empty text when the user cancelled.
    std::function<QString()> chooseDataFile;
    // Runs the configuration manager and returns when it has ended; false
    // when it could not be started.
    std::function<bool()> runConfigurationManager;
    // The clock of the date and time rules and of the save time.
    std::function<QDateTime()> now;
    // Save dialog of Export as CSV: the chosen file, or an empty text when
    // the user cancelled; `suggested` is in the working folder.
    std::function<QString(const QString &suggested)> chooseCsvFile;

    // Controls, named as in the form design so that tests find them.
    StatusShape *ShapeStatus = nullptr;
    QLabel *LabelRecordStatus = nullptr;
    QLabel *TypeLabel = nullptr;
    QLabel *DateLabel = nullptr;
    QLabel *TimeLabel = nullptr;
    QLabel *PhoneLabel = nullptr;
    QLabel *NameLabel = nullptr;
    QLabel *CompanyLabel = nullptr;
    QLabel *NoteLabel = nullptr;

    QFrame *Panel1 = nullptr;
    QGroupBox *RadioGroup1 = nullptr;
    QRadioButton *RadioIn = nullptr;
    QRadioButton *RadioOut = nullptr;
    QRadioButton *RadioMsg = nullptr;
    QLineEdit *EditDate = nullptr;
    QLineEdit *EditTime = nullptr;
    QLineEdit *EditPhone = nullptr;
    QLineEdit *EditName = nullptr;
    QLineEdit *EditCompany = nullptr;
    QPlainTextEdit *Memo1 = nullptr;

    QFrame *Panel2 = nullptr;
    QPushButton *ButtonSelect = nullptr;
    QSpinBox *SpinEditSelect = nullptr;
    QPushButton *Button1Cancel = nullptr;
    QLabel *LabelSelect1 = nullptr;
    QLabel *LabelSelect2 = nullptr;
    QLabel *RecNoteLabel = nullptr;
    QLabel *RecNumbLabel = nullptr;

    QAction *Save1 = nullptr;
    QAction *Open1 = nullptr;
    QAction *Repair1 = nullptr;
    QAction *ExportFile1 = nullptr;
    QAction *ExportCsv1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *ClearCurrent1 = nullptr;
    QAction *SaveCurrent1 = nullptr;
    QAction *PrintCurrent = nullptr;
    QAction *Read1 = nullptr;
    QAction *Review1 = nullptr;
    QAction *Vorlener1 = nullptr;
    QAction *Manual1 = nullptr;

    // Record commands.
    void SaveCurrent1Click();
    void ClearCurrent1Click();
    void Read1Click();
    void ButtonSelectClick();
    void Button1CancelClick();
    void Save1Click();
    void Open1Click();
    void Exit1Click();
    // Moves the damaged tail of the log into a dated file beside it.
    void Repair1Click();

    // Reports, review and the About menu.
    void ExportFile1Click();
    void ExportCsv1Click();
    void Print1Click();
    void PrintCurrentClick();
    void Review1Click();
    void Vorlener1Click();
    void Manual1Click();

    // Reads the configuration file and applies its font to the entry controls.
    void ReadConfiguration();
    // Open Existing's second half: record the chosen data file in the
    // configuration file and initialise the window again.
    void RewriteDataFileName(const QString &path);

    // Completion of name and company from earlier calls: the lists offered
    // now, most recent first, those of the phone on display ahead.
    QStringList offeredNames() const;
    QStringList offeredCompanies() const;
    // Reads the names and companies of the data file's calls again.
    void loadCallerNames();

    // The indicator's colours.
    static const QColor Lime;
    static const QColor Yellow;
    static const QColor Red;

    // Message bar: caption, size in points, visible.
    void showMessage(const QString &text, int pointSize = 12);
    void setIndicator(const QColor &color, const QString &hint = QString());

    // What the last look at the data file found, and the process that holds
    // the log when it is another one (0 when this window may write).
    const DataFile::LogCheck &logCheck() const { return m_logCheck; }
    qint64 logHolder() const { return m_logHolder; }
    // The text of the notes exactly as typed.
    QString notesAsTyped() const;
    // The entry as the fields show it.
    CallEntry entryShown() const;
    // Widths in pixels: the name and company fields where the screen allows,
    // and the narrowest they and the notes field become on a small screen.
    static constexpr int TextFieldWidth = 160;
    static constexpr int TextFieldMinimumWidth = 96;
    static constexpr int NotesMinimumWidth = 200;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    // The enter, exit and key-press rules of the entry controls.
    void connectRules();
    void buildCompletion();
    void offerCallersOf(const QString &phone);
    void rememberCaller(const CallRecord &record);

    // Entry rules.
    void LockEntryFields();
    void RadioGroup1Enter();
    void RadioGroup1Exit();
    void EditDateEnter();
    bool EditDateExit();
    void EditTimeEnter();
    void EditTimeExit();
    void EditPhoneEnter();
    void EditPhoneExit();
    void EditNameEnter();
    void EditNameExit();
    void EditCompanyEnter();
    void EditCompanyExit();
    void Memo1Enter();
    void Memo1Exit();
    void Memo1KeyPress(QChar &key);
    void SpinEditSelectKeyDown();

    void showRecord();
    void loadRecordCount();
    // Takes the log's lock, undoes an interrupted save and checks the log;
    // a problem is said in the message bar.
    void openLog();
    void takeLogLock(const QString &path);
    // Says why the log cannot take a write; true when it can.
    bool logWritable();
    void showLogProblem();
    void showSaveRefused(DataFile::WriteResult result);
    bool saveEntry();
    bool entryUnsaved() const;
    void setMessageSize(int pointSize);
    void showMessageInRed();
    // Layout across the screen (VorlenMainFileLayout.cpp).
    void fitToScreen();
    void fitEntryRow(int clientWidth);
    void requestMessagePlacement();
    void placeMessage();
    void placeSelectPanel();
    void hideSelectPanel();
    void limitNotes(int position, int charsRemoved, int charsAdded);
    static void dropFieldSeparators(QLineEdit *field);
    void applyEntryFont(const QFont &font);
    void setEntryReadOnly(bool readOnly);
    QString defaultDate() const;
    QString currentTime() const;

    RecordState m_state;
    bool EntryError = false;
    bool PrintCurrentAllowed = false;
    bool m_showingRecord = false;
    std::unique_ptr<QLockFile> m_logLock;
    QString m_lockedLog; // the data file m_logLock belongs to
    qint64 m_logHolder = 0; // another program that holds the log
    DataFile::LogCheck m_logCheck;
    bool m_entryRefused = false; // the typed entry was not taken by the last save
    std::unique_ptr<FocusRules> m_focusRules;
    std::shared_ptr<CallerNames> m_callers;
    QStringListModel *m_nameList = nullptr;
    QStringListModel *m_companyList = nullptr;
    QHBoxLayout *m_captionMessage = nullptr; // the message's place at the right of the caption row
    QHBoxLayout *m_messageLine = nullptr; // its line under the fields, where the caption row is too short
    bool m_placementPending = false;
    bool m_messageLineUsed = false;
};

#endif // VORLENMAINFILE_H
