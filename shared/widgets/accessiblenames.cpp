#include "accessiblenames.h"

#include <QLabel>

namespace AccessibleNames {

void captionFor(QLabel *caption, QWidget *field)
{
    caption->setBuddy(field);
    QString text = caption->text();
    // A mnemonic's marker is not part of the name; "&&" is a literal ampersand.
    text.replace(QLatin1String("&&"), QString(QChar(0xE000)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(0xE000), QLatin1Char('&'));
    field->setAccessibleName(text.simplified());
}

void name(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    if (!description.isEmpty())
        control->setAccessibleDescription(description);
}

} // namespace AccessibleNames
