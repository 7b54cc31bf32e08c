#include "typedkeyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

TypedKeyFilter::TypedKeyFilter(QObject *parent)
    : QObject(parent)
{
}

void TypedKeyFilter::add(QWidget *field, Rule rule)
{
    m_rules.insert(field, std::move(rule));
    field->installEventFilter(this);
}

QString TypedKeyFilter::typedText(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
        return QString();
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    default:
        break;
    }
    QString text = event.text();
    text.remove(QLatin1Char('\t'));
    text.remove(QChar(0x7f));
    text.remove(QChar(0x1b));
    return text;
}

bool TypedKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto rule = m_rules.constFind(watched);
    if (rule == m_rules.constEnd())
        return QObject::eventFilter(watched, event);

    const QString typed = typedText(*static_cast<QKeyEvent *>(event));
    if (typed.isEmpty())
        return false;
    QString result;
    bool changed = false;
    for (const QChar character : typed) {
        QChar key = character;
        (*rule)(key);
        changed = changed || key != character;
        if (!key.isNull())
            result += key;
    }
    if (!changed)
        return false;
    // The field gets what the rule made of the keys instead of the keys.
    if (result.isEmpty())
        return true;
    if (auto *line = qobject_cast<QLineEdit *>(watched)) {
        if (!line->isReadOnly())
            line->insert(result);
    } else if (auto *text = qobject_cast<QPlainTextEdit *>(watched)) {
        if (!text->isReadOnly())
            text->insertPlainText(result);
    }
    return true;
}
