#include "fieldvalidator.h"

FieldValidator::FieldValidator(ConfigField field, QObject *parent)
    : QValidator(parent)
    , m_field(field)
{
}

QValidator::State FieldValidator::validate(QString &input, int &pos) const
{
    const QString kept = filterFieldText(m_field, input);
    if (kept.size() > fieldMaxLength(m_field))
        return Invalid;
    if (kept.size() != input.size()) {
        const int before = qBound(0, pos, int(input.size()));
        pos = int(filterFieldText(m_field, input.left(before)).size());
        input = kept;
    }
    return Acceptable;
}
