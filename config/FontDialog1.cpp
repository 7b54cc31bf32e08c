#include "FontDialog1.h"

#include "accessiblenames.h"
#include "desktop.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include <limits>

namespace {

struct NamedColor
{
    const char *name;
    int red, green, blue;
};

// The basic colours of the desktop's font dialog, in its order.
constexpr NamedColor basicColors[] = {
    {"Black", 0, 0, 0},        {"Maroon", 128, 0, 0},    {"Green", 0, 128, 0},  {"Olive", 128, 128, 0},
    {"Navy", 0, 0, 128},       {"Purple", 128, 0, 128},  {"Teal", 0, 128, 128}, {"Gray", 128, 128, 128},
    {"Silver", 192, 192, 192}, {"Red", 255, 0, 0},       {"Lime", 0, 255, 0},   {"Yellow", 255, 255, 0},
    {"Blue", 0, 0, 255},       {"Fuchsia", 255, 0, 255}, {"Aqua", 0, 255, 255}, {"White", 255, 255, 255},
};

// The chooser looks a style up by its name, and names a font's weight and slant
// only loosely ("Normal"), which a family may not have; so the font is given
// the name of the family's own style closest to it, the plainest of equals
// (shortest name: "Book" before "Condensed").
QFont withStyleName(QFont font)
{
    const QString family = font.family();
    const int wantedWeight = font.bold() ? QFont::Bold : QFont::Normal;
    QString best;
    int bestDistance = std::numeric_limits<int>::max();
    const QStringList styles = QFontDatabase::styles(family);
    for (const QString &style : styles) {
        const QFont candidate = QFontDatabase::font(family, style, 12);
        if (candidate.italic() != font.italic())
            continue;
        const int distance = qAbs(candidate.weight() - wantedWeight);
        if (distance < bestDistance || (distance == bestDistance && style.size() < best.size())) {
            best = style;
            bestDistance = distance;
        }
    }
    if (!best.isEmpty())
        font.setStyleName(best);
    return font;
}

QIcon swatch(const QColor &color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

} // namespace

FontColorDialog::FontColorDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Font"));
    setObjectName(QStringLiteral("FontDialog1"));

    FontChooser = new QFontDialog(this);
    FontChooser->setObjectName(QStringLiteral("FontChooser"));
    FontChooser->setWindowFlags(Qt::Widget);
    FontChooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    FontChooser->setSizeGripEnabled(false);
    // The embedded chooser is a dialog of its own that Enter or Escape in its
    // lists would close alone; its ending ends this dialog instead.
    FontChooser->installEventFilter(this);
    connect(FontChooser, &QDialog::finished, this, [this](int result) {
        FontChooser->show();
        if (result == QDialog::Accepted)
            accept();
        else
            reject();
    });

    connect(FontChooser, &QFontDialog::currentFontChanged, this, &FontColorDialog::keepStyle);

    LabelColor = new QLabel(QStringLiteral("&Color:"), this);
    LabelColor->setObjectName(QStringLiteral("LabelColor"));
    ComboColor = new QComboBox(this);
    ComboColor->setObjectName(QStringLiteral("ComboColor"));
    AccessibleNames::captionFor(LabelColor, ComboColor);
    ComboColor->addItem(swatch(colorFromValue(WindowTextColorValue)), QStringLiteral("Window Text"),
                        WindowTextColorValue);
    for (const NamedColor &named : basicColors) {
        const QColor color(named.red, named.green, named.blue);
        ComboColor->addItem(swatch(color), QString::fromLatin1(named.name), valueFromRgb(color));
    }

    LabelRefusal = new QLabel(this);
    LabelRefusal->setObjectName(QStringLiteral("LabelRefusal"));
    LabelRefusal->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    LabelRefusal->hide();

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &FontColorDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &FontColorDialog::reject);

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(LabelColor);
    colorRow->addWidget(ComboColor);
    colorRow->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FontChooser);
    layout->addLayout(colorRow);
    layout->addWidget(LabelRefusal);
    layout->addWidget(Buttons);

    setChoice(FontChoice());
}

FontChoice FontColorDialog::choice() const
{
    return fontChoiceFrom(FontChooser->currentFont(), ComboColor->currentData().toInt());
}

void FontColorDialog::setChoice(const FontChoice &choice)
{
    m_bold = choice.style & FontStyleBit::Bold;
    m_italic = choice.style & FontStyleBit::Italic;
    FontChooser->setCurrentFont(withStyleName(fontOf(choice)));
    const int index = ComboColor->findData(choice.colorValue);
    ComboColor->setCurrentIndex(index >= 0 ? index : 0);
    LabelRefusal->hide();
}

std::optional<FontChoice> FontColorDialog::ask(Desktop &desktop, QWidget *parent, const FontChoice &initial)
{
    FontColorDialog dialog(parent);
    dialog.setChoice(initial);
    if (desktop.runDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

void FontColorDialog::accept()
{
    const QString refusal = fontRefusal(FontChooser->currentFont());
    if (!refusal.isEmpty()) {
        LabelRefusal->setText(refusal);
        LabelRefusal->show();
        return;
    }
    QDialog::accept();
}

// The chooser looks the last style up by its name in the new family, and takes
// the family's first style where that name is missing ("Regular" in a family
// whose regular style is "Book"), which may be italic or bold. So a change of
// family gets back the weight and slant chosen before, where the family has them.
void FontColorDialog::keepStyle(const QFont &font)
{
    if (m_keepingStyle)
        return;
    if (font.family() == m_family) {
        m_bold = font.bold();
        m_italic = font.italic();
        return;
    }
    m_family = font.family();
    if (font.bold() == m_bold && font.italic() == m_italic)
        return;
    QFont wanted = font;
    wanted.setBold(m_bold);
    wanted.setItalic(m_italic);
    wanted = withStyleName(wanted);
    if (wanted.styleName().isEmpty() || wanted.styleName() == font.styleName())
        return;
    m_keepingStyle = true;
    FontChooser->setCurrentFont(wanted);
    m_keepingStyle = false;
}

bool FontColorDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FontChooser && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
