#include "entryrow.h"

#include "accessiblenames.h"
#include "entryrules.h"
#include "windowfont.h"

#include <QCompleter>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringListModel>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace {

using WindowFont::tahoma;

const QColor MessageRed(255, 0, 0);

int firstLineBreak(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            return i;
    }
    return -1;
}

// A one-line field takes pasted text up to its first line break, as the
// desktop's one-line edits do: no record field but the notes gets one, and the
// export keeps one line per record. A text that already held one (a record
// shown as it was stored) is left alone.
void keepFirstPastedLine(QLineEdit *field, const QString &before)
{
    const QString text = field->text();
    const int lineBreak = firstLineBreak(text);
    if (lineBreak < 0 || firstLineBreak(before) >= 0)
        return;
    const int pastedEnd = qMax(field->cursorPosition(), lineBreak);
    field->setText(text.left(lineBreak) + text.mid(pastedEnd));
    field->setCursorPosition(lineBreak);
}

// A field full to its length keeps no half of a character: the first unit
// of a pair whose second did not fit is taken out again.
void dropCutPair(QLineEdit *field)
{
    const QString text = field->text();
    const int cursor = field->cursorPosition();
    if (cursor < 1 || !text.at(cursor - 1).isHighSurrogate()
        || (cursor < text.size() && text.at(cursor).isLowSurrogate()))
        return;
    field->setText(text.left(cursor - 1) + text.mid(cursor));
    field->setCursorPosition(cursor - 1);
}

// "¬" separates the export's fields, so a pasted one is dropped as a typed one is.
void dropFieldSeparators(QLineEdit *field)
{
    QString text = field->text();
    if (!text.contains(QChar(FieldSeparator)))
        return;
    const int cursor = field->cursorPosition();
    const int before = int(text.left(cursor).count(QChar(FieldSeparator)));
    text.remove(QChar(FieldSeparator));
    field->setText(text);
    field->setCursorPosition(cursor - before);
}

struct FieldLayout
{
    QLineEdit *EntryRow::*field;
    const char *name;
    const QString &placeholder;
    int maxLength;
    const char *hint;
    int width;
};

} // namespace

EntryRow::EntryRow(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setFrameShape(QFrame::NoFrame);
    buildFields();
    layOut();
    guardPastedText();
    buildCompletion();
    installEventFilter(this);
}

void EntryRow::buildFields()
{
    auto caption = [this](QLabel *&label, const char *name, const QString &text) {
        label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        label->setFont(tahoma(13, true));
    };
    caption(TypeLabel, "TypeLabel", QStringLiteral("Type"));
    caption(DateLabel, "DateLabel", QStringLiteral("Date"));
    caption(TimeLabel, "TimeLabel", QStringLiteral("Time"));
    caption(PhoneLabel, "PhoneLabel", QStringLiteral("Phone Number"));
    caption(NameLabel, "NameLabel", QStringLiteral("Name"));
    caption(CompanyLabel, "CompanyLabel", QStringLiteral("Company"));
    caption(NoteLabel, "NoteLabel", QStringLiteral("Notes"));

    buildMessageAndType();

    // The date, time, name and company fields take what their record fields keep.
    const FieldLayout fields[] = {
        {&EntryRow::EditDate, "EditDate", EntryRules::DatePlaceholder, CallRecord::capacity(CallRecord::Date),
         "Date Format: m/d/yyyy or mm/dd/yyyy", 95},
        {&EntryRow::EditTime, "EditTime", EntryRules::TimePlaceholder, CallRecord::capacity(CallRecord::Time),
         "Time format: hh:mmAM or PM - NO space!", 75},
        {&EntryRow::EditPhone, "EditPhone", EntryRules::PhonePlaceholder, PhoneLength, "", 105},
        {&EntryRow::EditName, "EditName", EntryRules::NamePlaceholder, CallRecord::capacity(CallRecord::Name),
         "Max length 200 characters", TextFieldWidth},
        {&EntryRow::EditCompany, "EditCompany", EntryRules::CompanyPlaceholder,
         CallRecord::capacity(CallRecord::Company), "Max length 200 characters", TextFieldWidth},
    };
    for (const FieldLayout &layout : fields) {
        QLineEdit *field = new QLineEdit(layout.placeholder, this);
        field->setObjectName(QLatin1String(layout.name));
        field->setFont(tahoma(13));
        field->setMaxLength(layout.maxLength);
        field->setToolTip(QString::fromUtf8(layout.hint));
        field->setMinimumWidth(layout.width);
        this->*layout.field = field;
    }

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(tahoma(13));
    Memo1->setToolTip(QStringLiteral("Up to 1K characters"));
    Memo1->setTabChangesFocus(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setFixedHeight(EditDate->sizeHint().height() + 4);
    Memo1->setMinimumWidth(NotesMinimumWidth);

    AccessibleNames::captionFor(TypeLabel, RadioGroup1);
    AccessibleNames::captionFor(DateLabel, EditDate);
    AccessibleNames::captionFor(TimeLabel, EditTime);
    AccessibleNames::captionFor(PhoneLabel, EditPhone);
    AccessibleNames::captionFor(NameLabel, EditName);
    AccessibleNames::captionFor(CompanyLabel, EditCompany);
    AccessibleNames::captionFor(NoteLabel, Memo1);
}

void EntryRow::buildMessageAndType()
{
    LabelRecordStatus = new QLabel(QStringLiteral("Message Bar"), this);
    LabelRecordStatus->setObjectName(QStringLiteral("LabelRecordStatus"));
    QFont messageFont = tahoma(16, true);
    messageFont.setPointSize(12);
    LabelRecordStatus->setFont(messageFont);
    QPalette messagePalette = LabelRecordStatus->palette();
    messagePalette.setColor(QPalette::WindowText, MessageRed);
    LabelRecordStatus->setPalette(messagePalette);
    LabelRecordStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The message takes no width from the fields; where it is placed depends on its length.
    LabelRecordStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    LabelRecordStatus->hide();

    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setFont(tahoma(9));
    RadioGroup1->setToolTip(QStringLiteral("Incoming or Outgoing call/message"));
    auto *radios = new QHBoxLayout(RadioGroup1);
    radios->setContentsMargins(4, 2, 4, 2);
    RadioIn = new QRadioButton(QStringLiteral("In"), RadioGroup1);
    RadioIn->setObjectName(QStringLiteral("RadioIn"));
    RadioOut = new QRadioButton(QStringLiteral("Out"), RadioGroup1);
    RadioOut->setObjectName(QStringLiteral("RadioOut"));
    RadioMsg = new QRadioButton(QStringLiteral("Msg"), RadioGroup1);
    RadioMsg->setObjectName(QStringLiteral("RadioMsg"));
    for (QRadioButton *radio : {RadioIn, RadioOut, RadioMsg})
        radios->addWidget(radio);
    RadioIn->setChecked(true);
}

void EntryRow::layOut()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    const QList<QWidget *> captions = {TypeLabel, DateLabel, TimeLabel, PhoneLabel, NameLabel, CompanyLabel};
    const QList<QWidget *> controls = {RadioGroup1, EditDate, EditTime, EditPhone, EditName, EditCompany, Memo1};
    for (int column = 0; column < captions.size(); ++column)
        grid->addWidget(captions.at(column), 0, column);
    // The message bar shares the caption row with the notes' caption, to its
    // right; a message too long for that place goes to a line under the fields.
    m_captionMessage = new QHBoxLayout;
    m_captionMessage->addWidget(NoteLabel);
    m_captionMessage->addWidget(LabelRecordStatus, 1);
    grid->addLayout(m_captionMessage, 0, 6);
    m_messageLine = new QHBoxLayout;
    grid->addLayout(m_messageLine, 2, 0, 1, 7);
    grid->setRowStretch(2, 1); // the captions and fields stay where they are when the line comes and goes
    for (int column = 0; column < controls.size(); ++column)
        grid->addWidget(controls.at(column), 1, column);
    grid->setColumnStretch(6, 1);

    setTabOrder(RadioIn, RadioOut);
    setTabOrder(RadioOut, RadioMsg);
    setTabOrder(RadioMsg, EditDate);
    setTabOrder(EditDate, EditTime);
    setTabOrder(EditTime, EditPhone);
    setTabOrder(EditPhone, EditName);
    setTabOrder(EditName, EditCompany);
    setTabOrder(EditCompany, Memo1);
}

void EntryRow::addLineUnderFields(QWidget *line)
{
    static_cast<QGridLayout *>(layout())->addWidget(line, 3, 0, 1, 7);
}

void EntryRow::guardPastedText()
{
    connect(Memo1->document(), &QTextDocument::contentsChange, this, &EntryRow::limitNotes);
    for (QLineEdit *field : {EditDate, EditTime, EditPhone, EditName, EditCompany}) {
        auto before = std::make_shared<QString>(field->text());
        connect(field, &QLineEdit::textChanged, this, [field, before] { *before = field->text(); });
        const bool textField = field == EditName || field == EditCompany;
        connect(field, &QLineEdit::textEdited, this, &EntryRow::entryEdited);
        connect(field, &QLineEdit::textEdited, this, [field, before, textField] {
            keepFirstPastedLine(field, *before);
            dropCutPair(field);
            if (textField)
                dropFieldSeparators(field);
        });
    }
}

void EntryRow::buildCompletion()
{
    auto offerFor = [this](QLineEdit *field, QStringListModel *&list, const char *name) {
        list = new QStringListModel(this);
        auto *completer = new QCompleter(list, this);
        completer->setObjectName(QLatin1String(name));
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setModelSorting(QCompleter::UnsortedModel);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setFilterMode(Qt::MatchStartsWith);
        completer->setMaxVisibleItems(8);
        field->setCompleter(completer);
    };
    offerFor(EditName, m_nameList, "NameCompleter");
    offerFor(EditCompany, m_companyList, "CompanyCompleter");
}

void EntryRow::offer(const QStringList &names, const QStringList &companies)
{
    m_nameList->setStringList(names);
    m_companyList->setStringList(companies);
}

QStringList EntryRow::offeredNames() const
{
    return m_nameList->stringList();
}

QStringList EntryRow::offeredCompanies() const
{
    return m_companyList->stringList();
}

// ---- The entry -------------------------------------------------------------

QString EntryRow::notesAsTyped() const
{
    // The plain-text view turns a no-break space into a space and a line
    // separator into a line feed; the raw text keeps both. Only the breaks
    // between paragraphs become the line feeds they were typed as.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

CallEntry EntryRow::entry() const
{
    CallEntry entry;
    if (RadioIn->isChecked())
        entry.type = CallType::In;
    else if (RadioOut->isChecked())
        entry.type = CallType::Out;
    else if (RadioMsg->isChecked())
        entry.type = CallType::Message;
    entry.date = EditDate->text();
    entry.time = EditTime->text();
    entry.phone = EditPhone->text();
    entry.name = EditName->text();
    entry.company = EditCompany->text();
    entry.notes = notesAsTyped();
    return entry;
}

void EntryRow::showEntry(const CallEntry &entry)
{
    if (entry.type == CallType::In)
        RadioIn->setChecked(true);
    else if (entry.type == CallType::Out)
        RadioOut->setChecked(true);
    else
        RadioMsg->setChecked(true);
    EditDate->setText(entry.date);
    EditTime->setText(entry.time);
    EditPhone->setText(entry.phone);
    EditName->setText(entry.name);
    EditCompany->setText(entry.company);
    // A stored note is shown exactly as it is, even one another program gave a "¬".
    m_showingRecord = true;
    Memo1->setPlainText(entry.notes);
    m_showingRecord = false;
}

void EntryRow::clearEntry()
{
    RadioIn->setChecked(true);
    EditDate->setText(EntryRules::DatePlaceholder);
    EditTime->setText(EntryRules::TimePlaceholder);
    EditPhone->setText(EntryRules::PhonePlaceholder);
    EditName->setText(EntryRules::NamePlaceholder);
    EditCompany->setText(EntryRules::CompanyPlaceholder);
    m_showingRecord = true;
    Memo1->clear();
    m_showingRecord = false;
}

void EntryRow::setReadOnly(bool readOnly)
{
    for (QLineEdit *field : {EditDate, EditTime, EditPhone, EditName, EditCompany})
        field->setReadOnly(readOnly);
    Memo1->setReadOnly(readOnly);
}

void EntryRow::applyEntryFont(const QFont &font, const QColor &textColor)
{
    for (QWidget *control :
         std::initializer_list<QWidget *>{EditDate, EditTime, EditPhone, EditName, EditCompany, Memo1}) {
        control->setFont(font);
        QPalette palette = control->palette();
        palette.setColor(QPalette::Text, textColor);
        control->setPalette(palette);
    }
}

void EntryRow::limitNotes(int position, int charsRemoved, int charsAdded)
{
    if (m_showingRecord)
        return;
    if (charsAdded > 0 || charsRemoved > 0)
        emit entryEdited();
    if (charsAdded <= 0)
        return;
    QTextDocument *document = Memo1->document();
    int end = qMin(position + charsAdded, document->characterCount() - 1);
    // Pasted text: the field separator cannot be part of a note. Each removal
    // comes back here with nothing added.
    for (int at = end - 1; at >= position; --at) {
        if (document->characterAt(at) != QChar(FieldSeparator))
            continue;
        QTextCursor cut(document);
        cut.setPosition(at);
        cut.setPosition(at + 1, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
        --end;
    }
    const int excess = document->characterCount() - 1 - CallRecord::capacity(CallRecord::Notes);
    if (excess > 0) {
        int from = qMax(position, end - excess);
        // What does not fit goes whole: never half of a pair.
        if (from > 0 && document->characterAt(from - 1).isHighSurrogate()
            && document->characterAt(from).isLowSurrogate())
            --from;
        QTextCursor cut(document);
        cut.setPosition(from);
        cut.setPosition(end, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }
}

// ---- The message bar -------------------------------------------------------

void EntryRow::showMessage(const QString &text, int pointSize)
{
    setMessageSize(pointSize);
    LabelRecordStatus->setText(text);
    LabelRecordStatus->show();
}

void EntryRow::setMessageSize(int pointSize)
{
    QFont font = LabelRecordStatus->font();
    font.setPointSize(pointSize);
    LabelRecordStatus->setFont(font);
}

void EntryRow::showMessageInRed()
{
    QPalette palette = LabelRecordStatus->palette();
    palette.setColor(QPalette::WindowText, MessageRed);
    LabelRecordStatus->setPalette(palette);
    LabelRecordStatus->show();
}

void EntryRow::hideMessage()
{
    LabelRecordStatus->setText(QStringLiteral(" "));
    LabelRecordStatus->hide();
}

bool EntryRow::messageShown() const
{
    return LabelRecordStatus->isVisibleTo(this);
}

// ---- Fitting the screen ----------------------------------------------------

void EntryRow::fitWidth(int clientWidth, QLayout *windowLayout)
{
    auto setTextFieldWidth = [this, windowLayout](int width) {
        EditName->setMinimumWidth(width);
        EditCompany->setMinimumWidth(width);
        layout()->invalidate();
        updateGeometry();
        windowLayout->invalidate();
    };
    setTextFieldWidth(TextFieldWidth);
    const int shortBy = windowLayout->minimumSize().width() - clientWidth;
    if (shortBy > 0)
        setTextFieldWidth(qMax(TextFieldWidth - (shortBy + 1) / 2, TextFieldMinimumWidth));
    m_messageLineUsed = false;
}

bool EntryRow::eventFilter(QObject *watched, QEvent *event)
{
    // A new message, a hidden one or a new width may move the message bar.
    if (watched == this && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize))
        requestMessagePlacement();
    return QFrame::eventFilter(watched, event);
}

void EntryRow::requestMessagePlacement()
{
    if (m_placementPending)
        return;
    m_placementPending = true;
    // After the layout has given every control its place.
    QMetaObject::invokeMethod(this, &EntryRow::placeMessage, Qt::QueuedConnection);
}

// The message sits at the right of the caption row where it fits there whole;
// a longer one takes a line of its own under the fields, at the right as well,
// and the row grows by that line while the message shows.
void EntryRow::placeMessage()
{
    m_placementPending = false;
    if (!isVisible()) {
        // Not shown yet: the layouts give the controls their places now, the window's first.
        QList<QWidget *> outward;
        for (QWidget *widget = this; widget; widget = widget->parentWidget())
            outward.prepend(widget);
        for (QWidget *widget : outward) {
            if (widget->layout())
                widget->layout()->activate();
        }
    }
    if (messageShown()) {
        const int room =
            m_captionMessage->geometry().width() - NoteLabel->sizeHint().width() - m_captionMessage->spacing();
        const int needed = qMax(LabelRecordStatus->sizeHint().width(),
                                QFontMetrics(LabelRecordStatus->font()).horizontalAdvance(LabelRecordStatus->text()));
        QHBoxLayout *home = needed <= room ? m_captionMessage : m_messageLine;
        if (home->indexOf(LabelRecordStatus) < 0) {
            (home == m_captionMessage ? m_messageLine : m_captionMessage)->removeWidget(LabelRecordStatus);
            home->addWidget(LabelRecordStatus, 1);
        }
    }
    const bool lineUsed = messageShown() && m_messageLine->indexOf(LabelRecordStatus) >= 0;
    if (lineUsed == m_messageLineUsed)
        return;
    m_messageLineUsed = lineUsed;
    layout()->invalidate();
    updateGeometry();
    emit heightChanged();
}
