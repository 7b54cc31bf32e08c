#ifndef VNCONFIGUNIT1_H
#define VNCONFIGUNIT1_H

#include "configfile.h"
#include "configrules.h"
#include "fontchoice.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class FocusRules;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class StatusShape;

// The configuration manager's window: a guided form in which the user goes
// through data file name, font, phone separator, default area code and
// default prefix, then saves them to the configuration file. The fill of
// Shape1 is the save state: neutral, yellow (pending) or lime (saved).
class TFormConfig1 : public QWidget
{
    Q_OBJECT

public:
    // The five items in the order of their FieldDone flags.
    enum Item { ItemFileName, ItemSeparator, ItemAreaCode, ItemPrefix, ItemFont, ItemCount };

    explicit TFormConfig1(QWidget *parent = nullptr);
    ~TFormConfig1() override;

    // Runs the font dialog; nothing when the user cancelled it. Tests answer it.
    std::function<std::optional<FontChoice>()> runFontDialog;

    const std::array<int, ItemCount> &fieldDone() const { return FieldDone; }
    FontChoice chosenFont() const { return ChosenFont; }

    static const QColor Yellow;
    static const QColor Lime;
    static const QColor Grey;
    // The desktop's button-shadow colour: nothing pending.
    QColor neutralColor() const;
    QColor windowTextColor() const;

    // Controls, named as in the form design so that tests find them.
    QLabel *Label1File = nullptr;
    QLineEdit *Edit1FileName = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2Font = nullptr;
    QLineEdit *Edit5Font = nullptr;
    QLabel *Label3Sep = nullptr;
    QLineEdit *Edit2PhoneSep = nullptr;
    QLabel *Label4AreaC = nullptr;
    QLineEdit *Edit3AreaC = nullptr;
    QLabel *Label5PhonePref = nullptr;
    QLineEdit *Edit4Prefix = nullptr;
    StatusShape *Shape1 = nullptr;
    QLabel *Label6Status = nullptr;
    QLabel *LabelVer = nullptr;
    QLabel *LabelSaveError = nullptr;
    QPushButton *BitBtn1Save = nullptr;
    QPushButton *BitBtn2Cancel = nullptr;
    QPushButton *Button3Done = nullptr;
    QFrame *Panel1Warn = nullptr;
    QLabel *Label7Warn = nullptr;
    QLabel *Label8Warn = nullptr;
    QPushButton *BitBtn4Save = nullptr;
    QPushButton *BitBtn5Exit = nullptr;
    QFrame *Panel2Warn = nullptr;
    QLabel *Label1CW = nullptr;
    QLabel *Label2CW = nullptr;
    QLabel *Label3CW = nullptr;
    QPushButton *Button4OK = nullptr;

    void FormCreate();
    void Edit5FontEnter();

    void BitBtn1SaveClick();
    void BitBtn2CancelClick();
    void Button3DoneClick();
    void BitBtn4SaveClick();
    void BitBtn5ExitClick();
    void Button4OKClick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // One of the text fields Edit1FileName, Edit2PhoneSep, Edit3AreaC and
    // Edit4Prefix, with what its rules need.
    struct TextField
    {
        QLineEdit *edit;
        Item item;
        ConfigField field;
        QString prompt;
        QWidget *next; // where Enter moves the focus
        QString Configuration::*setting;
    };

    void buildControls();
    void buildTabOrder();
    void placeControls();
    // The enter, exit and key-press rules of the fields.
    void connectRules();

    // The enter, key-press and exit rules of the four text fields, given the
    // field's row: Edit1FileNameEnter, ...KeyPress, ...Exit to Edit4PrefixExit.
    void TextFieldEnter(const TextField &text);
    void TextFieldKeyPress(const TextField &text, QChar &key);
    void TextFieldExit(const TextField &text);

    void markPending();
    void completionCheck();
    bool allDone() const;
    bool anyDone() const;
    void clearFlags();
    bool shapeIs(const QColor &color) const;
    void setButtonTextColor(QPushButton *button, const QColor &color);
    void applyFieldFont(const FontChoice &font);
    void showPanel(QFrame *panel);
    void hidePanel(QFrame *panel);
    void showSaveError(const QString &reason);
    void closeWindow();

    std::array<TextField, 4> m_textFields;

    // The settings Save writes; each is set when its item is completed.
    Configuration m_pending;
    std::array<int, ItemCount> FieldDone{};
    FontChoice DefaultFont;
    FontChoice ChosenFont;
    // The font dialog starts from the font it last returned.
    FontChoice FontDialog1;

    QScrollArea *m_scroll = nullptr;
    QWidget *m_page = nullptr;
    // Scrolls the control that gets the focus into view.
    QMetaObject::Connection m_followFocus;
    std::unique_ptr<FocusRules> m_focusRules;
    bool m_closeAllowed = false;
};

#endif // VNCONFIGUNIT1_H
