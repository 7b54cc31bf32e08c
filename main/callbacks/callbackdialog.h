#ifndef CALLBACKDIALOG_H
#define CALLBACKDIALOG_H

#include "companionstore.h"

#include <QDateTime>
#include <QDialog>

#include <optional>

struct CallRecord;
class QLabel;
class QLineEdit;
class QPushButton;

// Records > Call Back: by when the call on display is to be returned, with a
// short note. The date and time are typed as the log's own (3/10/2026,
// 3:00PM); what cannot be read is refused in the dialog, a time already past
// is taken but said. Ends Accepted to set the call-back, Removed to take it
// away, Rejected to leave it.
class TFormCallBack : public QDialog
{
    Q_OBJECT

public:
    enum { Removed = 2 };

    // `existing` is the call's call-back when it has one; `now` gives the
    // default due time and what counts as past.
    TFormCallBack(const CallRecord &call, const std::optional<CallBack> &existing, const QDateTime &now,
                  QWidget *parent = nullptr);

    QLabel *LabelCall = nullptr;
    QLineEdit *EditDueDate = nullptr;
    QLineEdit *EditDueTime = nullptr;
    QLineEdit *EditNote = nullptr;
    QLabel *LabelNoteLength = nullptr;
    QLabel *LabelProblem = nullptr;
    QPushButton *ButtonOK = nullptr;
    QPushButton *ButtonRemove = nullptr;
    QPushButton *ButtonCancel = nullptr;

    // What was typed, once the dialog was accepted.
    qint64 dueAt() const { return m_dueAt; }
    QString note() const;

    void ButtonOKClick();

private:
    void build(bool existing);
    // Says, while typing, what a press of OK would meet.
    void checkTyped();
    void say(const QString &text, bool refusal);

    QDateTime m_now;
    qint64 m_dueAt = 0;
};

#endif // CALLBACKDIALOG_H
