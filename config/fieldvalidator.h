#ifndef FIELDVALIDATOR_H
#define FIELDVALIDATOR_H

#include "configrules.h"

#include <QValidator>

// Holds text that reaches a field other than by typing (pasted, dropped) to the
// field's key list: refused characters are dropped, and a change that would
// make the text longer than the field takes is refused whole.
class FieldValidator : public QValidator
{
    Q_OBJECT

public:
    FieldValidator(ConfigField field, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;

private:
    ConfigField m_field;
};

#endif // FIELDVALIDATOR_H
