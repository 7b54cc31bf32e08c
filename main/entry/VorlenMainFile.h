#ifndef VORLENMAINFILE_H
#define VORLENMAINFILE_H

#include "openlog.h"

#include <QMainWindow>

#include <memory>

struct Desktop;
class CallerLine;
class EntryRow;
class FocusRules;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class SelectPanel;
class StatusShape;

// The log-entry window: one row of entry fields for a call or message, the
// select panel, the status indicator and the message bar, and the menus. It
// is a view of the open log: its handlers read the fields into an entry, ask
// the open log, and show what it answers.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // The window works through `desktop` (dialogs, programs, printer, clock),
    // which must outlive it.
    explicit TMainForm(Desktop &desktop, QWidget *parent = nullptr);
    // The same on the program's own desktop.
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // The window's initialisation: configuration, font, record count, indicator.
    void MainFormCreate();

    OpenLog &log() { return m_log; }
    const RecordState &state() const { return m_log.state(); }
    RecordState &state() { return m_log.state(); }
    Desktop &desktop() { return m_desktop; }

    bool entryError() const { return EntryError; }
    bool printCurrentAllowed() const { return PrintCurrentAllowed; }

    // Controls, named as in the form design so that tests find them.
    StatusShape *ShapeStatus = nullptr;
    EntryRow *Panel1 = nullptr;
    QLabel *LabelRecordStatus = nullptr;
    QLabel *TypeLabel = nullptr;
    QLabel *DateLabel = nullptr;
    QLabel *TimeLabel = nullptr;
    QLabel *PhoneLabel = nullptr;
    QLabel *NameLabel = nullptr;
    QLabel *CompanyLabel = nullptr;
    QLabel *NoteLabel = nullptr;
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

    SelectPanel *Panel2 = nullptr;
    QPushButton *ButtonSelect = nullptr;
    QSpinBox *SpinEditSelect = nullptr;
    QPushButton *Button1Cancel = nullptr;
    QLabel *RecNumbLabel = nullptr;
    // The line under the fields: the caller's history and the open call-backs.
    CallerLine *LineCallerHistory = nullptr;

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
    QAction *UndoClear1 = nullptr;
    QAction *CallBack1 = nullptr;
    QAction *CallBacks1 = nullptr;
    QAction *ReviewCaller1 = nullptr;
    QAction *Vorlener1 = nullptr;
    QAction *Manual1 = nullptr;

    // Record commands.
    void SaveCurrent1Click();
    void ClearCurrent1Click();
    // Brings back what the last Clear took off the fields.
    void UndoClear1Click();
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

    // Call-backs and the caller's history.
    // Sets when the call on display is to be returned.
    void CallBack1Click();
    // Lists the open call-backs; the one chosen is shown as Review shows its pick.
    void CallBacks1Click();
    // Reviews the calls from the number in the phone field.
    void ReviewCaller1Click();
    // The counts of open and overdue call-backs in the menu and the line.
    void refreshCallBackCounts();

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
    // Shows what a command of the open log reports.
    void showStatus(const StatusReport &report);

    // What the last look at the data file found, and the process that holds
    // the log when it is another one (0 when this window may write).
    const DataFile::LogCheck &logCheck() const { return m_log.logCheck(); }
    qint64 logHolder() const { return m_log.holder(); }
    // The text of the notes exactly as typed.
    QString notesAsTyped() const;
    // The entry as the fields show it.
    CallEntry entryShown() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    QAction *addCommand(QMenu *menu, const char *name, const QString &text, const QKeySequence &shortcut,
                        void (TMainForm::*handler)());
    // The enter, exit and key-press rules of the entry controls.
    void connectRules();
    void offerCallersOf(const QString &phone);
    // Review, its search box holding `search`.
    void reviewShowing(const QString &search);
    // Call-backs: the menu items, the line and its clock.
    void buildCallBacks();
    // After the log (and its store) opened: the store's trouble or the
    // overdue call-backs, once, where no other message is shown.
    void callBacksOpened();
    void showCallerHistory();

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

    // Shows record n as Select does.
    void selectRecord(int n);
    // Clear; `undoable` keeps what it takes off the fields for Undo Clear.
    void clearEntry(bool undoable);
    bool entryTyped() const;
    void forgetClear();
    // The open log's damage stays in view until Repair: shown again when a
    // command has hidden the message bar.
    void keepProblemShown();
    void loadRecordCount();
    bool saveEntry();
    bool entryUnsaved() const;
    void setMessageSize(int pointSize);
    void showMessageInRed();
    // Layout across the screen.
    void fitToScreen();
    void fitHeight();
    void hideSelectPanel();
    QString defaultDate() const;
    QString currentTime() const;

    Desktop &m_desktop;
    OpenLog m_log;
    bool EntryError = false;
    bool PrintCurrentAllowed = false;
    std::unique_ptr<FocusRules> m_focusRules;
    // What the last undoable Clear took off the window.
    struct Cleared
    {
        CallEntry entry;
        QColor light;
        QString hint;
        QString message;
        int messagePoints = 12;
        bool readOnly = false;
    };
    std::optional<Cleared> m_cleared;
    QAction *m_fileAdditionsEnd = nullptr; // the separator before Exit
    QString m_callBacksAnnouncedFor; // the log whose overdue call-backs were announced
};

#endif // VORLENMAINFILE_H
