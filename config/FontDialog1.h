#ifndef FONTDIALOG1_H
#define FONTDIALOG1_H

#include "fontchoice.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QDialogButtonBox;
class QFontDialog;
struct Desktop;
class QLabel;

// The font dialog of the configuration manager: Qt's font chooser with a colour
// choice added, the 16 basic colours and the desktop's window-text colour.
class FontColorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FontColorDialog(QWidget *parent = nullptr);

    FontChoice choice() const;
    void setChoice(const FontChoice &choice);

    // Runs the dialog from `initial`; nothing when the user cancelled.
    static std::optional<FontChoice> ask(Desktop &desktop, QWidget *parent, const FontChoice &initial);

    void accept() override;

    QFontDialog *FontChooser = nullptr;
    QComboBox *ComboColor = nullptr;
    QLabel *LabelColor = nullptr;
    QLabel *LabelRefusal = nullptr;
    QDialogButtonBox *Buttons = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keepStyle(const QFont &font);

    // The family shown, and the weight and slant last chosen in it.
    QString m_family;
    bool m_bold = false;
    bool m_italic = false;
    bool m_keepingStyle = false;
};

#endif // FONTDIALOG1_H
