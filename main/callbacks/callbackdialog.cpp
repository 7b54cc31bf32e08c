#include "callbackdialog.h"

#include "accessiblenames.h"
#include "callbacktime.h"
#include "callrecord.h"
#include "entryrules.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString describe(const CallRecord &call)
{
    QStringList who;
    for (CallRecord::Field field : {CallRecord::Name, CallRecord::Company, CallRecord::Phone}) {
        const QString text = call.text(field).trimmed();
        if (!text.isEmpty() && text != QLatin1String("Unknown"))
            who << text;
    }
    return QStringLiteral("Record %1 of %2 %3: %4")
        .arg(call.number())
        .arg(call.text(CallRecord::Date).trimmed(), call.text(CallRecord::Time).trimmed(),
             who.join(QStringLiteral(", ")));
}

QLineEdit *field(QWidget *parent, const char *name, const QString &placeholder)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(placeholder);
    return edit;
}

} // namespace

TFormCallBack::TFormCallBack(const CallRecord &call, const std::optional<CallBack> &existing, const QDateTime &now,
                             QWidget *parent)
    : QDialog(parent)
    , m_now(now)
{
    setObjectName(QStringLiteral("FormCallBack"));
    setWindowTitle(QStringLiteral("Call Back"));
    build(existing.has_value());
    LabelCall->setText(describe(call));
    const QDateTime due = existing ? QDateTime::fromSecsSinceEpoch(existing->dueAt) : CallBackTime::defaultDue(m_now);
    EditDueDate->setText(EntryRules::defaultDateText(due.date()));
    EditDueTime->setText(CallBackTime::timeText(due.time()));
    if (existing)
        EditNote->setText(existing->note);
    checkTyped();
    EditDueDate->setFocus(Qt::OtherFocusReason);
    EditDueDate->selectAll();
}

void TFormCallBack::build(bool existing)
{
    LabelCall = new QLabel(this);
    LabelCall->setObjectName(QStringLiteral("LabelCall"));
    EditDueDate = field(this, "EditDueDate", QStringLiteral("m/d/yyyy"));
    EditDueDate->setToolTip(QStringLiteral("Date Format: m/d/yyyy or mm/dd/yyyy"));
    EditDueTime = field(this, "EditDueTime", QStringLiteral("h:mmAM"));
    EditDueTime->setToolTip(QStringLiteral("Time format: h:mmAM or h:mmPM"));
    EditNote = field(this, "EditNote", QStringLiteral("What to call back about (optional)"));
    EditNote->setMinimumWidth(360);
    LabelNoteLength = new QLabel(this);
    LabelNoteLength->setObjectName(QStringLiteral("LabelNoteLength"));
    LabelProblem = new QLabel(this);
    LabelProblem->setObjectName(QStringLiteral("LabelProblem"));
    LabelProblem->setWordWrap(true);

    auto *when = new QHBoxLayout;
    when->addWidget(EditDueDate);
    when->addWidget(EditDueTime);
    auto *noteRow = new QHBoxLayout;
    noteRow->addWidget(EditNote, 1);
    noteRow->addWidget(LabelNoteLength);
    auto *form = new QFormLayout;
    auto *whenCaption = new QLabel(QStringLiteral("Call back &by:"), this);
    whenCaption->setBuddy(EditDueDate);
    form->addRow(whenCaption, when);
    auto *noteCaption = new QLabel(QStringLiteral("&Note:"), this);
    noteCaption->setBuddy(EditNote);
    form->addRow(noteCaption, noteRow);
    AccessibleNames::name(EditDueDate, QStringLiteral("Call back by date"));
    AccessibleNames::name(EditDueTime, QStringLiteral("Call back by time"));
    AccessibleNames::name(EditNote, QStringLiteral("Call-back note"));

    auto *buttons = new QDialogButtonBox(this);
    ButtonOK = buttons->addButton(QDialogButtonBox::Ok);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    // Only a call-back that is there can be removed: the button box shows every button it holds.
    ButtonRemove = new QPushButton(QStringLiteral("&Remove Call-back"), this);
    ButtonRemove->setObjectName(QStringLiteral("ButtonRemove"));
    if (existing)
        buttons->addButton(ButtonRemove, QDialogButtonBox::DestructiveRole);
    else
        ButtonRemove->hide();
    ButtonCancel = buttons->addButton(QDialogButtonBox::Cancel);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonOK->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LabelCall);
    layout->addLayout(form);
    layout->addWidget(LabelProblem);
    layout->addWidget(buttons);

    connect(ButtonOK, &QPushButton::clicked, this, &TFormCallBack::ButtonOKClick);
    connect(ButtonRemove, &QPushButton::clicked, this, [this] { done(Removed); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit *edit : {EditDueDate, EditDueTime, EditNote})
        connect(edit, &QLineEdit::textChanged, this, &TFormCallBack::checkTyped);
}

QString TFormCallBack::note() const
{
    return EditNote->text().trimmed();
}

void TFormCallBack::say(const QString &text, bool refusal)
{
    QPalette palette = LabelProblem->palette();
    palette.setColor(QPalette::WindowText, refusal ? QColor(255, 0, 0) : QColor(128, 64, 0));
    LabelProblem->setPalette(palette);
    LabelProblem->setText(text);
}

void TFormCallBack::checkTyped()
{
    const int length = int(note().size());
    LabelNoteLength->setText(QStringLiteral("%1/%2").arg(length).arg(CompanionStore::MaxNoteLength));
    const QDate date = CallBackTime::parseDate(EditDueDate->text());
    const QTime time = CallBackTime::parseTime(EditDueTime->text());
    if (length > CompanionStore::MaxNoteLength)
        say(QStringLiteral("The note is %1 characters long; a call-back keeps at most %2")
                .arg(length)
                .arg(CompanionStore::MaxNoteLength),
            true);
    else if (date.isValid() && time.isValid() && CallBackTime::secsOf(date, time) < m_now.toSecsSinceEpoch())
        say(QStringLiteral("That time has passed: the call-back will show as overdue"), false);
    else
        say(QString(), false);
}

void TFormCallBack::ButtonOKClick()
{
    const QDate date = CallBackTime::parseDate(EditDueDate->text());
    const QTime time = CallBackTime::parseTime(EditDueTime->text());
    if (!date.isValid()) {
        say(QStringLiteral("\"%1\" is not a date: type it as m/d/yyyy, for example 3/10/2026")
                .arg(EditDueDate->text().trimmed()),
            true);
        EditDueDate->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!time.isValid()) {
        say(QStringLiteral("\"%1\" is not a time: type it as h:mmAM or h:mmPM, for example 3:00PM")
                .arg(EditDueTime->text().trimmed()),
            true);
        EditDueTime->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (note().size() > CompanionStore::MaxNoteLength) {
        checkTyped();
        EditNote->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_dueAt = CallBackTime::secsOf(date, time);
    accept();
}
