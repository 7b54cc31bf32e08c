#ifndef ENTRYWINDOWFIXTURE_H
#define ENTRYWINDOWFIXTURE_H

// What the tests of the log-entry window's fields and keys share: the six
// fields by number, and the way a person pastes, clicks and moves by Tab.

#include "mainwindowfixture.h"
#include "testdesktop.h"

#include <QClipboard>

namespace EntryWindowFixture {

inline const QString today = QStringLiteral("3/7/2026");
inline const QString notSign(QChar(0x00AC));

using F = MainWindowFixture;

// Pastes as a person does here: Ctrl+V belongs to Review, Shift+Insert pastes.
inline void paste(QWidget *field, const QString &text)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
}

inline void click(QWidget *control)
{
    auto *memo = qobject_cast<QPlainTextEdit *>(control);
    QTest::mouseClick(memo ? memo->viewport() : control, Qt::LeftButton);
}

// Moves the focus from the call type group to the n-th field by Tab, as a
// person would; every rule on the way runs.
inline void tabTo(int fieldIndex)
{
    for (int i = 0; i < fieldIndex; ++i)
        F::tab();
}

enum Field { Date = 1, Time, Phone, Name, Company, Notes };

inline QWidget *fieldOf(TMainForm *w, int field)
{
    const QList<QWidget *> fields = {nullptr, w->EditDate, w->EditTime, w->EditPhone, w->EditName, w->EditCompany, w->Memo1};
    return fields.value(field);
}

inline QString textOf(QWidget *field)
{
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        return edit->text();
    return qobject_cast<QPlainTextEdit *>(field)->toPlainText();
}

// Everything the rules can change, to tell whether any of them ran.
struct Snapshot
{
    QStringList texts;
    QColor indicator;
    QString hint;
    QString message;
    bool entryError = false;

    static Snapshot of(TMainForm *w)
    {
        Snapshot s;
        for (int field = Date; field <= Notes; ++field)
            s.texts << textOf(fieldOf(w, field));
        s.indicator = w->ShapeStatus->fillColor();
        s.hint = w->ShapeStatus->toolTip();
        s.message = w->LabelRecordStatus->isVisible() ? w->LabelRecordStatus->text() : QString();
        s.entryError = w->entryError();
        return s;
    }
    bool operator==(const Snapshot &o) const
    {
        return texts == o.texts && indicator == o.indicator && hint == o.hint && message == o.message
            && entryError == o.entryError;
    }
};

inline char *toString(const Snapshot &s)
{
    return QTest::toString(QStringLiteral("[%1] %2 '%3' '%4' error=%5")
                               .arg(s.texts.join(QLatin1Char('|')), s.indicator.name(), s.hint, s.message)
                               .arg(s.entryError));
}

} // namespace EntryWindowFixture

#endif // ENTRYWINDOWFIXTURE_H
