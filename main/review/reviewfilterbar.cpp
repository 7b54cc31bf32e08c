#include "reviewfilterbar.h"

#include "callentry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString dateFieldProblem(const QString &which, const CallSearch::DateBound &bound)
{
    if (bound.valid)
        return QString();
    return QStringLiteral("\"%1\" is not a date: use m/d/yyyy or yyyy-mm-dd").arg(which);
}

void setTextColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette colours = widget->palette();
    colours.setColor(role, colour);
    widget->setPalette(colours);
}

} // namespace

bool ReviewChoices::operator==(const ReviewChoices &other) const
{
    return search == other.search && type == other.type && from == other.from && to == other.to
        && status == other.status && openCallBacks == other.openCallBacks;
}

ReviewFilterBar::ReviewFilterBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FilterBar"));
    buildFields();
    layOut();

    for (QLineEdit *field : {EditSearch, EditDateFrom, EditDateTo})
        connect(field, &QLineEdit::textChanged, this, &ReviewFilterBar::changed);
    for (QComboBox *box : {ComboType, ComboStatus})
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, &ReviewFilterBar::changed);
    connect(CheckOpenCallBacks, &QCheckBox::toggled, this, &ReviewFilterBar::changed);
    connect(ButtonExportShown, &QPushButton::clicked, this, &ReviewFilterBar::exportClicked);
    connect(ButtonStatistics, &QPushButton::clicked, this, &ReviewFilterBar::statisticsClicked);
}

void ReviewFilterBar::buildFields()
{
    auto named = [](QWidget *widget, const char *name) { widget->setObjectName(QLatin1String(name)); };

    EditSearch = new QLineEdit(this);
    named(EditSearch, "EditSearch");
    EditSearch->setPlaceholderText(QStringLiteral("Find a name, phone number, company or note (Ctrl+F)"));
    EditSearch->setClearButtonEnabled(true);

    ComboType = new QComboBox(this);
    named(ComboType, "ComboType");
    ComboType->addItem(QStringLiteral("All types"), QString());
    ComboType->addItem(QStringLiteral("In"), QString(QChar(letterOf(CallType::In))));
    ComboType->addItem(QStringLiteral("Out"), QString(QChar(letterOf(CallType::Out))));
    ComboType->addItem(QStringLiteral("Msg"), QString(QChar(letterOf(CallType::Message))));

    EditDateFrom = new QLineEdit(this);
    named(EditDateFrom, "EditDateFrom");
    EditDateFrom->setPlaceholderText(QStringLiteral("from m/d/yyyy"));
    EditDateFrom->setFixedWidth(110);
    EditDateTo = new QLineEdit(this);
    named(EditDateTo, "EditDateTo");
    EditDateTo->setPlaceholderText(QStringLiteral("to m/d/yyyy"));
    EditDateTo->setFixedWidth(110);

    ComboStatus = new QComboBox(this);
    named(ComboStatus, "ComboStatus");
    ComboStatus->addItem(QStringLiteral("Any status"), int(CallSearch::StatusChoice::Any));
    ComboStatus->addItem(QStringLiteral("Altered (X) or edited (E)"), int(CallSearch::StatusChoice::AlteredOrEdited));
    ComboStatus->addItem(QStringLiteral("Altered (X)"), int(CallSearch::StatusChoice::Altered));
    ComboStatus->addItem(QStringLiteral("Edited (E)"), int(CallSearch::StatusChoice::Edited));

    CheckOpenCallBacks = new QCheckBox(QStringLiteral("Open call-backs"), this);
    named(CheckOpenCallBacks, "CheckOpenCallBacks");
    CheckOpenCallBacks->setToolTip(QStringLiteral("Only calls with a call-back not yet done"));

    ButtonExportShown = new QPushButton(QStringLiteral("Export shown rows\u2026"), this);
    named(ButtonExportShown, "ButtonExportShown");
    ButtonExportShown->setAutoDefault(false);

    ButtonStatistics = new QPushButton(QStringLiteral("Statistics\u2026"), this);
    named(ButtonStatistics, "ButtonStatistics");
    ButtonStatistics->setToolTip(QStringLiteral("Charts of the rows shown"));
    ButtonStatistics->setAutoDefault(false);

    LabelShown = new QLabel(this);
    named(LabelShown, "LabelShown");
    LabelFilterError = new QLabel(this);
    named(LabelFilterError, "LabelFilterError");
    setTextColour(LabelFilterError, QPalette::WindowText, Qt::red);
}

void ReviewFilterBar::layOut()
{
    auto *controls = new QHBoxLayout;
    controls->addWidget(EditSearch, 1);
    controls->addWidget(ComboType);
    controls->addWidget(EditDateFrom);
    controls->addWidget(EditDateTo);
    controls->addWidget(ComboStatus);
    controls->addWidget(ButtonExportShown);
    auto *counts = new QHBoxLayout;
    counts->addWidget(LabelShown);
    counts->addSpacing(24);
    counts->addWidget(CheckOpenCallBacks);
    counts->addSpacing(24);
    counts->addWidget(LabelFilterError, 1);
    counts->addWidget(ButtonStatistics);
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(2);
    rows->addLayout(controls);
    rows->addLayout(counts);
}

ReviewChoices ReviewFilterBar::choices() const
{
    ReviewChoices choices;
    choices.search = EditSearch->text();
    choices.type = ComboType->currentData().toString();
    choices.from = EditDateFrom->text();
    choices.to = EditDateTo->text();
    choices.status = ComboStatus->currentData().toInt();
    choices.openCallBacks = CheckOpenCallBacks->isChecked();
    return choices;
}

void ReviewFilterBar::setChoices(const ReviewChoices &choices)
{
    const QSignalBlocker quiet(this);
    EditSearch->setText(choices.search);
    ComboType->setCurrentIndex(qMax(0, ComboType->findData(choices.type)));
    EditDateFrom->setText(choices.from);
    EditDateTo->setText(choices.to);
    ComboStatus->setCurrentIndex(qMax(0, ComboStatus->findData(choices.status)));
    CheckOpenCallBacks->setChecked(choices.openCallBacks);
}

CallSearch::Filter ReviewFilterBar::filter()
{
    CallSearch::Filter filter;
    filter.text = EditSearch->text();
    const QString type = ComboType->currentData().toString();
    if (!type.isEmpty())
        filter.type = type.at(0);
    filter.status = CallSearch::StatusChoice(ComboStatus->currentData().toInt());
    filter.openCallBacksOnly = CheckOpenCallBacks->isChecked();

    const CallSearch::DateBound from = CallSearch::parseDateBound(EditDateFrom->text());
    const CallSearch::DateBound to = CallSearch::parseDateBound(EditDateTo->text());
    QStringList problems;
    for (const QString &problem :
         {dateFieldProblem(QStringLiteral("From"), from), dateFieldProblem(QStringLiteral("To"), to)})
        if (!problem.isEmpty())
            problems << problem;
    const bool backwards = from.valid && to.valid && !from.blank && !to.blank && from.date > to.date;
    if (backwards)
        problems << QStringLiteral("\"From\" is after \"To\": the date range is not applied");
    if (!backwards) {
        if (from.valid)
            filter.from = from.date;
        if (to.valid)
            filter.to = to.date;
    }
    showNote(problems.join(QStringLiteral("; ")), true);
    markDateFields(backwards || !from.valid, backwards || !to.valid);
    return filter;
}

void ReviewFilterBar::markDateFields(bool fromWrong, bool toWrong)
{
    for (QLineEdit *field : {EditDateFrom, EditDateTo}) {
        const bool wrong = field == EditDateFrom ? fromWrong : toWrong;
        field->setToolTip(wrong ? LabelFilterError->text() : QString());
        setTextColour(field, QPalette::Text, wrong ? QColor(Qt::red) : palette().color(QPalette::Text));
    }
}

void ReviewFilterBar::showCount(int shown, int all)
{
    LabelShown->setText(QStringLiteral("%1 of %2 records shown").arg(shown).arg(all));
    ButtonExportShown->setEnabled(shown > 0);
}

void ReviewFilterBar::showNote(const QString &text, bool failure)
{
    setTextColour(LabelFilterError, QPalette::WindowText,
                  failure ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    LabelFilterError->setText(text);
}

void ReviewFilterBar::keyPressEvent(QKeyEvent *event)
{
    // The fields leave these keys alone, so they arrive here from whichever has the focus.
    auto *field = qobject_cast<QLineEdit *>(focusWidget());
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Escape && field && !field->text().isEmpty()) {
        field->clear();
        event->accept();
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() != ButtonExportShown
        && focusWidget() != ButtonStatistics) {
        emit enterPressed();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
