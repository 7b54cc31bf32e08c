#include "VNConfigUnit1.h"

#include "FontDialog1.h"
#include "desktop.h"
#include "accessiblenames.h"
#include "configfile.h"
#include "configrules.h"
#include "datafile.h"
#include "fieldvalidator.h"
#include "focusrules.h"
#include "screenfit.h"
#include "statusshape.h"
#include "typedkeyfilter.h"
#include "windowfont.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

namespace {

const QString FileNamePrompt = QStringLiteral("Enter name for data file here.");
const QString FontPrompt = QStringLiteral("Choose Font");
const QString SeparatorPrompt = QStringLiteral("Use - . \\ / :");
const QString AreaCodePrompt = QStringLiteral("Default Area Code");
const QString PrefixPrompt = QStringLiteral("Default Prefix");

// The desktop's button-shadow colour in the form library's colour values.
constexpr std::int32_t ButtonShadowColorValue = std::int32_t(0xFF000010u);

// Puts a text into a field without passing it through the field's key list:
// the prompts hold characters that typing may not.
void setFieldText(QLineEdit *edit, const QString &text)
{
    const QValidator *validator = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(text);
    edit->setValidator(validator);
}

// The width a field needs to show `text` whole at its font: the text, the two
// pixels the field keeps clear on either side, the cursor and the frame.
int fieldWidthFor(const QLineEdit *edit, const QString &text)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    const QMargins margins = edit->textMargins();
    const QSize contents(edit->fontMetrics().horizontalAdvance(text) + 2 * 2 + 1 + margins.left() + margins.right(),
                         edit->fontMetrics().height());
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, edit).width();
}

} // namespace

const QColor TFormConfig1::Yellow(255, 255, 0);
const QColor TFormConfig1::Lime(0, 255, 0);
const QColor TFormConfig1::Grey(128, 128, 128);

TFormConfig1::TFormConfig1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormConfig1"));
    setWindowTitle(QStringLiteral("Configuration Manager"));
    // The settings name the user's log; only the user reads them.
    DataFile::keepNewFilesPrivate();
    setFont(WindowFont::tahomaPoints(8));

    // The controls lie on a page that scrolls only where a large field font
    // makes it larger than the screen.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollForm"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setBackgroundRole(QPalette::Window);
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("Page"));
    m_scroll->setWidget(m_page);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(QMargins());
    layout->addWidget(m_scroll);
    m_followFocus = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_page->isAncestorOf(now))
            m_scroll->ensureWidgetVisible(now);
    });

    buildControls();
    buildTabOrder();
    placeControls();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    runFontDialog = [this]() { return FontColorDialog::ask(Desktop::system(), this, FontDialog1); };
    connectRules();

    FormCreate();
}

TFormConfig1::~TFormConfig1()
{
    // Destroying the controls moves the focus; no rule may run on a window half gone.
    m_focusRules.reset();
    disconnect(m_followFocus);
}

QColor TFormConfig1::neutralColor() const
{
    return colorFromValue(ButtonShadowColorValue);
}

QColor TFormConfig1::windowTextColor() const
{
    return colorFromValue(WindowTextColorValue);
}

void TFormConfig1::buildControls()
{
    const QFont labelFont = WindowFont::arialPoints(10, true);
    const QFont editFont = WindowFont::arialPoints(10);
    const QFont smallBoldFont = WindowFont::arialPoints(9, true);

    auto label = [](QWidget *parent, const char *name, const QString &text, const QFont &font) {
        auto *control = new QLabel(text, parent);
        control->setObjectName(QLatin1String(name));
        control->setFont(font);
        return control;
    };
    auto edit = [this, &editFont](const char *name) {
        auto *control = new QLineEdit(m_page);
        control->setObjectName(QLatin1String(name));
        control->setFont(editFont);
        control->setAlignment(Qt::AlignCenter);
        return control;
    };
    auto button = [&smallBoldFont](QWidget *parent, const char *name, const QString &text) {
        auto *control = new QPushButton(text, parent);
        control->setObjectName(QLatin1String(name));
        control->setFont(smallBoldFont);
        // Enter on a focused button presses it, as Space does.
        control->setAutoDefault(true);
        return control;
    };

    Label1File = label(m_page, "Label1File", QStringLiteral("Data File Name"), labelFont);
    Edit1FileName = edit("Edit1FileName");
    Label1 = label(m_page, "Label1", QStringLiteral(".dta"), labelFont);
    Label2Font = label(m_page, "Label2Font", QStringLiteral("Font"), labelFont);
    Edit5Font = edit("Edit5Font");
    Edit5Font->setText(FontPrompt);
    Label3Sep = label(m_page, "Label3Sep", QStringLiteral("Phone Seperator"), labelFont);
    Edit2PhoneSep = edit("Edit2PhoneSep");
    Label4AreaC = label(m_page, "Label4AreaC", QStringLiteral("Phone Area Code"), labelFont);
    Edit3AreaC = edit("Edit3AreaC");
    Label5PhonePref = label(m_page, "Label5PhonePref", QStringLiteral("Phone Prefix"), labelFont);
    Edit4Prefix = edit("Edit4Prefix");

    Shape1 = new StatusShape(m_page);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFillColor(neutralColor());
    Label6Status = label(m_page, "Label6Status", QStringLiteral("File Save Status"), labelFont);
    Label6Status->setAlignment(Qt::AlignCenter);

    LabelSaveError = label(m_page, "LabelSaveError", QString(), smallBoldFont);
    LabelSaveError->setWordWrap(true);
    LabelSaveError->setAlignment(Qt::AlignCenter);
    QPalette errorPalette = LabelSaveError->palette();
    errorPalette.setColor(QPalette::WindowText, Qt::red);
    LabelSaveError->setPalette(errorPalette);
    LabelSaveError->hide();

    BitBtn1Save = button(m_page, "BitBtn1Save", QStringLiteral("Save"));
    BitBtn1Save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    BitBtn2Cancel = button(m_page, "BitBtn2Cancel", QStringLiteral("Cancel"));
    BitBtn2Cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    Button3Done = button(m_page, "Button3Done", QStringLiteral("Exit"));

    LabelVer = label(m_page, "LabelVer", QStringLiteral("Ver 1.1.0"), editFont);
    LabelVer->setAlignment(Qt::AlignCenter);

    auto panel = [this](const char *name, const QColor &fill, const QSize &size) {
        auto *frame = new QFrame(m_page);
        frame->setObjectName(QLatin1String(name));
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        frame->setLineWidth(2);
        frame->resize(size);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, fill);
        frame->setPalette(palette);
        frame->setAutoFillBackground(true);
        frame->hide();
        return frame;
    };

    Panel1Warn = panel("Panel1Warn", QColor(192, 192, 192), QSize(124, 72));
    Label7Warn = label(Panel1Warn, "Label7Warn", QStringLiteral("WARNING"),
                       WindowFont::points(QStringLiteral("Arial Narrow"), 9, true));
    Label7Warn->setGeometry(2, 1, 120, 18);
    Label7Warn->setAlignment(Qt::AlignCenter);
    Label8Warn = label(Panel1Warn, "Label8Warn", QStringLiteral("File NOT saved"), WindowFont::arialPoints(8, true));
    Label8Warn->setGeometry(2, 19, 120, 16);
    Label8Warn->setAlignment(Qt::AlignCenter);
    BitBtn4Save = button(Panel1Warn, "BitBtn4Save", QStringLiteral("Save"));
    BitBtn4Save->setGeometry(5, 40, 56, 26);
    BitBtn5Exit = button(Panel1Warn, "BitBtn5Exit", QStringLiteral("Exit"));
    BitBtn5Exit->setGeometry(63, 40, 56, 26);

    Panel2Warn = panel("Panel2Warn", Yellow, QSize(124, 80));
    Panel2Warn->setFont(smallBoldFont);
    Label1CW = new QLabel(QStringLiteral("Warning"), Panel2Warn);
    Label1CW->setObjectName(QStringLiteral("Label1CW"));
    Label1CW->setGeometry(2, 3, 120, 16);
    Label1CW->setAlignment(Qt::AlignCenter);
    QPalette redText = Label1CW->palette();
    redText.setColor(QPalette::WindowText, Qt::red);
    Label1CW->setPalette(redText);
    Label2CW = new QLabel(QStringLiteral("Cancel will NOT"), Panel2Warn);
    Label2CW->setObjectName(QStringLiteral("Label2CW"));
    Label2CW->setGeometry(2, 19, 120, 16);
    Label2CW->setAlignment(Qt::AlignCenter);
    Label3CW = new QLabel(QStringLiteral("Affect  last save"), Panel2Warn);
    Label3CW->setObjectName(QStringLiteral("Label3CW"));
    Label3CW->setGeometry(2, 35, 120, 16);
    Label3CW->setAlignment(Qt::AlignCenter);
    Button4OK = new QPushButton(QStringLiteral("OK"), Panel2Warn);
    Button4OK->setObjectName(QStringLiteral("Button4OK"));
    Button4OK->setGeometry(32, 53, 60, 24);
    Button4OK->setAutoDefault(true);

    m_textFields = {{
        {Edit1FileName, ItemFileName, ConfigField::FileName, FileNamePrompt, Edit5Font, &Configuration::dataFile},
        {Edit2PhoneSep, ItemSeparator, ConfigField::PhoneSeparator, SeparatorPrompt, Edit3AreaC,
         &Configuration::phoneSeparator},
        {Edit3AreaC, ItemAreaCode, ConfigField::AreaCode, AreaCodePrompt, Edit4Prefix, &Configuration::defaultAreaCode},
        {Edit4Prefix, ItemPrefix, ConfigField::Prefix, PrefixPrompt, BitBtn1Save, &Configuration::defaultPrefix},
    }};
    for (const TextField &text : m_textFields) {
        text.edit->setValidator(new FieldValidator(text.field, text.edit));
        setFieldText(text.edit, text.prompt);
    }

    AccessibleNames::captionFor(Label1File, Edit1FileName);
    AccessibleNames::captionFor(Label2Font, Edit5Font);
    AccessibleNames::captionFor(Label3Sep, Edit2PhoneSep);
    AccessibleNames::captionFor(Label4AreaC, Edit3AreaC);
    AccessibleNames::captionFor(Label5PhonePref, Edit4Prefix);
    AccessibleNames::captionFor(Label6Status, Shape1);

    connect(BitBtn1Save, &QPushButton::clicked, this, &TFormConfig1::BitBtn1SaveClick);
    connect(BitBtn2Cancel, &QPushButton::clicked, this, &TFormConfig1::BitBtn2CancelClick);
    connect(Button3Done, &QPushButton::clicked, this, &TFormConfig1::Button3DoneClick);
    connect(BitBtn4Save, &QPushButton::clicked, this, &TFormConfig1::BitBtn4SaveClick);
    connect(BitBtn5Exit, &QPushButton::clicked, this, &TFormConfig1::BitBtn5ExitClick);
    connect(Button4OK, &QPushButton::clicked, this, &TFormConfig1::Button4OKClick);
}

void TFormConfig1::buildTabOrder()
{
    const QWidget *order[] = {Button3Done, Edit1FileName, Edit5Font,   Edit2PhoneSep, Edit3AreaC, Edit4Prefix,
                              BitBtn1Save, BitBtn2Cancel, BitBtn4Save, BitBtn5Exit,   Button4OK};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));
    Button3Done->setFocus();
}

// Lays the page out for the fields' font: each field as wide as its longest
// text and as tall as the font needs, the rows apart by that height. The window
// takes the page's size up to the screen's free area, and scrolls beyond it.
void TFormConfig1::placeControls()
{
    const int labelX = 14, labelWidth = 130, labelHeight = 24, editX = 148, top = 22, rowGap = 16;
    int wide = qMax(226, qMax(fieldWidthFor(Edit5Font, FontPrompt), fieldWidthFor(Edit5Font, Edit5Font->text())));
    int narrow = 140;
    for (const TextField &text : m_textFields) {
        const int needed = qMax(fieldWidthFor(text.edit, text.prompt), fieldWidthFor(text.edit, text.edit->text()));
        int &width = text.edit == Edit1FileName ? wide : narrow;
        width = qMax(width, needed);
    }
    const int rowHeight = qMax(24, Edit1FileName->sizeHint().height());
    const int pitch = rowHeight + rowGap;
    const int labelY = (rowHeight - labelHeight) / 2;
    QLabel *const captions[] = {Label1File, Label2Font, Label3Sep, Label4AreaC, Label5PhonePref};
    QLineEdit *const fields[] = {Edit1FileName, Edit5Font, Edit2PhoneSep, Edit3AreaC, Edit4Prefix};
    for (int row = 0; row < 5; ++row) {
        const int y = top + row * pitch;
        captions[row]->setGeometry(labelX, y + labelY, labelWidth, labelHeight);
        fields[row]->setGeometry(editX, y, row < 2 ? wide : narrow, rowHeight);
    }
    Label1->setGeometry(editX + wide + 4, top + labelY, 44, labelHeight);

    // The save state, to the right of the separator and area code rows.
    const int statusX = editX + narrow + 31, statusY = top + 2 * pitch;
    Shape1->setGeometry(statusX, statusY, 90, 46);
    Label6Status->setGeometry(statusX - 23, statusY + 50, 136, 20);
    Panel1Warn->move(statusX - 17, statusY - 6);
    Panel2Warn->move(statusX - 17, statusY - 6);

    const int pageWidth = qMax(editX + wide + 60, statusX + 115);
    const int errorY = qMax(top + 4 * pitch + rowHeight, statusY + 74) + 6;
    LabelSaveError->setGeometry(labelX, errorY, 406, 36);
    const int buttonY = errorY + 44;
    BitBtn1Save->setGeometry(40, buttonY, 100, 34);
    BitBtn2Cancel->setGeometry(167, buttonY, 100, 34);
    Button3Done->setGeometry(294, buttonY, 100, 34);
    LabelVer->setGeometry(0, buttonY + 64, pageWidth, 20);
    m_page->setFixedSize(pageWidth, buttonY + 91);

    QSize window = m_page->size();
    const QRect area = ScreenFit::availableArea(this);
    if (!area.isEmpty()) {
        const QSize room = area.size().shrunkBy(ScreenFit::frameMargins(this));
        const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (window.width() > room.width())
            window.rheight() += scrollBar;
        if (window.height() > room.height())
            window.rwidth() += scrollBar;
        window = window.boundedTo(room);
    }
    if (window != size()) {
        setFixedSize(window);
        ScreenFit::fit(this);
    }
}

void TFormConfig1::FormCreate()
{
    DefaultFont = fontChoiceFrom(LabelVer->font(), WindowTextColorValue);
    ChosenFont = DefaultFont;
    FontDialog1 = DefaultFont;
    setButtonTextColor(BitBtn1Save, Grey);
    setButtonTextColor(BitBtn2Cancel, windowTextColor());
}

void TFormConfig1::connectRules()
{
    // Enter and exit rules follow the focus from one control of this window to
    // another; a dialog, a menu or another program taking the focus runs none.
    m_focusRules = std::make_unique<FocusRules>(this, FocusRules::Moves::FromLastControl);
    m_focusRules->add(Edit5Font, [this] { Edit5FontEnter(); });
    auto *keys = new TypedKeyFilter(this);
    for (const TextField &text : m_textFields) {
        m_focusRules->add(
            text.edit, [this, &text] { TextFieldEnter(text); }, [this, &text] { TextFieldExit(text); });
        keys->add(text.edit, [this, &text](QChar &key) { TextFieldKeyPress(text, key); });
    }
}

void TFormConfig1::closeEvent(QCloseEvent *event)
{
    // A close asked for by the desktop is an Exit: changes pending keep the window open.
    if (!m_closeAllowed && shapeIs(Yellow)) {
        event->ignore();
        showPanel(Panel1Warn);
        return;
    }
    event->accept();
}

// ---- steps the rules share ----

void TFormConfig1::markPending()
{
    Shape1->setFillColor(Yellow);
    setButtonTextColor(BitBtn2Cancel, windowTextColor());
}

bool TFormConfig1::allDone() const
{
    int sum = 0;
    for (int done : FieldDone)
        sum += done;
    return sum == ItemCount;
}

bool TFormConfig1::anyDone() const
{
    for (int done : FieldDone) {
        if (done)
            return true;
    }
    return false;
}

void TFormConfig1::completionCheck()
{
    if (allDone())
        setButtonTextColor(BitBtn1Save, windowTextColor());
}

void TFormConfig1::clearFlags()
{
    FieldDone.fill(0);
}

bool TFormConfig1::shapeIs(const QColor &color) const
{
    return Shape1->fillColor() == color;
}

void TFormConfig1::setButtonTextColor(QPushButton *button, const QColor &color)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, color);
    button->setPalette(palette);
}

void TFormConfig1::applyFieldFont(const FontChoice &choice)
{
    const QFont font = fontOf(choice);
    const QColor color = colorFromValue(choice.colorValue);
    for (QLineEdit *edit : {Edit1FileName, Edit2PhoneSep, Edit3AreaC, Edit4Prefix, Edit5Font}) {
        edit->setFont(font);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, color);
        edit->setPalette(palette);
    }
}

// ---- field handlers ----

// Passing through a field of a completed form keeps its value.
void TFormConfig1::TextFieldEnter(const TextField &text)
{
    if (!allDone())
        setFieldText(text.edit, QString());
    FieldDone[text.item] = 0;
    markPending();
}

void TFormConfig1::TextFieldKeyPress(const TextField &text, QChar &key)
{
    if (key == QLatin1Char('\r')) {
        key = QChar();
        text.next->setFocus(Qt::TabFocusReason);
        return;
    }
    if (!fieldAcceptsKey(text.field, key))
        key = QChar();
}

void TFormConfig1::TextFieldExit(const TextField &text)
{
    if (text.edit->text().isEmpty())
        setFieldText(text.edit, fieldDefault(text.field));
    m_pending.*text.setting = configurationValue(text.field, text.edit->text());
    FieldDone[text.item] = 1;
    completionCheck();
}

void TFormConfig1::Edit5FontEnter()
{
    FieldDone[ItemFont] = 0;
    markPending();

    const std::optional<FontChoice> accepted = runFontDialog ? runFontDialog() : std::nullopt;
    if (!accepted)
        return;
    ChosenFont = *accepted;
    FontDialog1 = *accepted;
    applyFieldFont(ChosenFont);
    m_pending.fontSize = ChosenFont.pointSize;
    m_pending.fontSizeText = QString::number(ChosenFont.pointSize);
    m_pending.fontColor = ChosenFont.colorValue;
    m_pending.fontColorText = QString::number(ChosenFont.colorValue);
    Edit5Font->setText(ChosenFont.faceName);
    m_pending.fontName = Edit5Font->text();
    placeControls();
    Edit2PhoneSep->setFocus(Qt::OtherFocusReason);

    FieldDone[ItemFont] = 1;
    if (allDone())
        setButtonTextColor(BitBtn1Save, windowTextColor());
    else
        markPending();
}

// ---- commands ----

void TFormConfig1::BitBtn1SaveClick()
{
    if (allDone()) {
        m_pending.fontStyle = ChosenFont.style;
        QString reason;
        if (!writeConfigurationFile(m_pending, ConfigFileName, &reason)) {
            // The items stay completed, so that Save can be tried again.
            showSaveError(reason);
            markPending();
            return;
        }
        LabelSaveError->hide();
        Shape1->setFillColor(Lime);
        clearFlags();
        setButtonTextColor(BitBtn2Cancel, Grey);
        setButtonTextColor(BitBtn1Save, Grey);
        Button3Done->setFocus(Qt::OtherFocusReason);
    } else if (shapeIs(Lime)) {
        // Saved, and nothing entered since.
    } else if (anyDone()) {
        Shape1->setFillColor(Yellow);
        clearFlags();
        setButtonTextColor(BitBtn2Cancel, windowTextColor());
        setButtonTextColor(BitBtn1Save, Grey);
        Button3Done->setFocus(Qt::OtherFocusReason);
    } else {
        BitBtn2CancelClick();
        setButtonTextColor(BitBtn2Cancel, windowTextColor());
        setButtonTextColor(BitBtn1Save, Grey);
        Button3Done->setFocus(Qt::OtherFocusReason);
    }
}

void TFormConfig1::BitBtn2CancelClick()
{
    // A cancel does not undo a save.
    if (shapeIs(Lime)) {
        showPanel(Panel2Warn);
        return;
    }
    applyFieldFont(DefaultFont);
    Edit5Font->setText(FontPrompt);
    for (const TextField &text : m_textFields)
        setFieldText(text.edit, text.prompt);
    placeControls();
    ChosenFont = DefaultFont;
    clearFlags();
    Shape1->setFillColor(neutralColor());
    setButtonTextColor(BitBtn1Save, Grey);
    LabelSaveError->hide();
}

void TFormConfig1::Button3DoneClick()
{
    if (shapeIs(Yellow)) {
        showPanel(Panel1Warn);
        return;
    }
    closeWindow();
}

void TFormConfig1::BitBtn4SaveClick()
{
    BitBtn1SaveClick();
    hidePanel(Panel1Warn);
    if (shapeIs(Lime))
        closeWindow();
}

void TFormConfig1::BitBtn5ExitClick()
{
    closeWindow();
}

void TFormConfig1::Button4OKClick()
{
    hidePanel(Panel2Warn);
    Shape1->setFillColor(neutralColor());
    setButtonTextColor(BitBtn2Cancel, windowTextColor());
}

void TFormConfig1::showPanel(QFrame *panel)
{
    panel->show();
    panel->raise();
    m_scroll->ensureWidgetVisible(panel);
}

void TFormConfig1::hidePanel(QFrame *panel)
{
    // A hidden panel passes the focus on along the tab order, which would run
    // a field's enter rule; Exit takes it instead, running none.
    if (panel->isAncestorOf(QApplication::focusWidget()))
        Button3Done->setFocus(Qt::OtherFocusReason);
    panel->hide();
}

void TFormConfig1::showSaveError(const QString &reason)
{
    LabelSaveError->setText(QStringLiteral("File NOT saved: %1 could not be written (%2).")
                                .arg(ConfigFileName, reason.isEmpty() ? QStringLiteral("unknown error") : reason));
    LabelSaveError->show();
}

void TFormConfig1::closeWindow()
{
    m_closeAllowed = true;
    close();
    m_closeAllowed = false;
}
