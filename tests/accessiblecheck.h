#ifndef ACCESSIBLECHECK_H
#define ACCESSIBLECHECK_H

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace AccessibleCheck {

// What an assistive tool reads as the control's name.
inline QString name(QWidget *control)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(QAccessible::Name) : QString();
}

// The controls of `window` that the keyboard reaches and that have no name;
// a spin box's own editor is named through its box.
inline QStringList unnamedControls(QWidget *window)
{
    QStringList unnamed;
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (control->focusPolicy() == Qt::NoFocus || qobject_cast<QAbstractSpinBox *>(control->parentWidget()))
            continue;
        if (name(control).trimmed().isEmpty())
            unnamed << control->objectName() + QLatin1Char(':') + QLatin1String(control->metaObject()->className());
    }
    return unnamed;
}

} // namespace AccessibleCheck

#endif // ACCESSIBLECHECK_H
