#ifndef VORLENMAINFILE_H
#define VORLENMAINFILE_H

#include "Globdatunit1.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class QAction;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
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
    QAction *ExportFile1 = nullptr;
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

    // Reports, review and the About menu.
    void ExportFile1Click();
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

    // The indicator's colours.
    static const QColor Lime;
    static const QColor Yellow;
    static const QColor Red;

    // Message bar: caption, size in points, visible.
    void showMessage(const QString &text, int pointSize = 12);
    void setIndicator(const QColor &color, const QString &hint = QString());

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
    QWidget *entryControlOf(QWidget *widget) const;
    void onFocusChanged(QWidget *old, QWidget *now);
    // Exit rule of `control`; false when it kept the focus in its own field.
    bool runExitRule(QWidget *control);
    void runEnterRule(QWidget *control);
    // Key-press rule of `control`: may change or discard (null) the typed character.
    void runKeyPressRule(QWidget *control, QChar &key);

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
    bool m_restoringFocus = false;
    bool m_showingRecord = false;
    QPointer<QWidget> m_focusBeforeMenu; // the control a keyboard visit to the menu bar came from
    QHBoxLayout *m_captionMessage = nullptr; // the message's place at the right of the caption row
    QHBoxLayout *m_messageLine = nullptr;    // its line under the fields, where the caption row is too short
    bool m_placementPending = false;
    bool m_messageLineUsed = false;
};

#endif // VORLENMAINFILE_H
