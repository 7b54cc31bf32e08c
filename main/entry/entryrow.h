#ifndef ENTRYROW_H
#define ENTRYROW_H

#include "callentry.h"

#include <QFrame>

class QCompleter;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QStringListModel;

// The entry row of the log-entry window (its Panel1): the captions, the call
// type group and the six fields, with the message bar at the right of the
// caption row. It keeps what is typed within what a record holds and tells
// the entry it shows; the window decides what happens to it.
class EntryRow : public QFrame
{
    Q_OBJECT

public:
    // Widths in pixels: the name and company fields where the screen allows,
    // and the narrowest they and the notes field become on a small screen.
    static constexpr int TextFieldWidth = 160;
    static constexpr int TextFieldMinimumWidth = 96;
    static constexpr int NotesMinimumWidth = 200;
    // A completed phone number: 800-555-1234.
    static constexpr int PhoneLength = 12;

    explicit EntryRow(QWidget *parent = nullptr);

    QLabel *TypeLabel = nullptr;
    QLabel *DateLabel = nullptr;
    QLabel *TimeLabel = nullptr;
    QLabel *PhoneLabel = nullptr;
    QLabel *NameLabel = nullptr;
    QLabel *CompanyLabel = nullptr;
    QLabel *NoteLabel = nullptr;
    QLabel *LabelRecordStatus = nullptr;
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

    // The entry as the fields show it, the notes exactly as typed.
    CallEntry entry() const;
    void showEntry(const CallEntry &entry);
    QString notesAsTyped() const;
    // The placeholders, call type "In" and empty notes.
    void clearEntry();
    void setReadOnly(bool readOnly);
    // The configured font and text colour of the entry fields.
    void applyEntryFont(const QFont &font, const QColor &textColor);

    // The message bar: caption and size in points, shown.
    void showMessage(const QString &text, int pointSize = 12);
    void setMessageSize(int pointSize);
    // Red text, shown.
    void showMessageInRed();
    void hideMessage();
    bool messageShown() const;

    // Name and company suggestions, most likely first.
    void offer(const QStringList &names, const QStringList &companies);
    QStringList offeredNames() const;
    QStringList offeredCompanies() const;

    // Gives up width of the name and company fields, both alike, where the
    // row would be wider than `clientWidth`, so that the notes keep theirs.
    void fitWidth(int clientWidth, QLayout *windowLayout);
    // Puts the message where it fits now.
    void placeMessage();
    // A line of its own under the fields and the message's line, across the
    // row; the fields stay where they are when it comes and goes.
    void addLineUnderFields(QWidget *line);

signals:
    // The row grew or shrank by the message's own line.
    void heightChanged();
    // The person changed a field (not the program).
    void entryEdited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFields();
    void buildMessageAndType();
    void layOut();
    void guardPastedText();
    void buildCompletion();
    void requestMessagePlacement();
    void limitNotes(int position, int charsRemoved, int charsAdded);

    QStringListModel *m_nameList = nullptr;
    QStringListModel *m_companyList = nullptr;
    QHBoxLayout *m_captionMessage = nullptr; // the message's place at the right of the caption row
    QHBoxLayout *m_messageLine = nullptr; // its line under the fields, where the caption row is too short
    bool m_placementPending = false;
    bool m_messageLineUsed = false;
    bool m_showingRecord = false;
};

#endif // ENTRYROW_H
