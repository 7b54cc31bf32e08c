#ifndef ACCESSIBLENAMES_H
#define ACCESSIBLENAMES_H

#include <QString>

class QLabel;
class QWidget;

// Names for screen readers and other assistive tools.
namespace AccessibleNames {

// The caption names its field, and the field is the caption's buddy, so that
// the caption's mnemonic and a click on it reach the field.
void captionFor(QLabel *caption, QWidget *field);

// A control without a caption of its own is named by its hint, or by `name`.
void name(QWidget *control, const QString &name, const QString &description = QString());

} // namespace AccessibleNames

#endif // ACCESSIBLENAMES_H
