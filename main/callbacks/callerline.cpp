#include "callerline.h"

#include "windowfont.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace {

const QColor HistoryBlue(0, 0, 128);
const QColor OverdueRed(192, 0, 0);

QLabel *part(QWidget *parent, const char *name, const QString &hint)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(WindowFont::tahoma(12));
    label->setToolTip(hint);
    label->setCursor(Qt::PointingHandCursor);
    label->setTextFormat(Qt::PlainText);
    label->installEventFilter(parent);
    return label;
}

void colour(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

CallerLine::CallerLine(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LineCallerHistory"));
    LabelCallerHistory = part(this, "LabelCallerHistory",
                              QStringLiteral("Ctrl+click or Ctrl+Shift+H: review the calls from this number"));
    LabelCallerHistory->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    colour(LabelCallerHistory, HistoryBlue);
    LabelCallBackCounts =
        part(this, "LabelCallBackCounts", QStringLiteral("Ctrl+click or Ctrl+Shift+B: list the call-backs"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LabelCallerHistory, 1);
    layout->addWidget(LabelCallBackCounts);
    // The caller's part keeps its place, empty or not, so that the count stays at the right.
    LabelCallBackCounts->hide();
    hide();
}

void CallerLine::showHistory(const QString &text)
{
    LabelCallerHistory->setText(text);
    showWhatIsSaid();
}

void CallerLine::showCounts(const QString &text, bool overdue)
{
    LabelCallBackCounts->setText(text);
    colour(LabelCallBackCounts, overdue ? OverdueRed : HistoryBlue);
    LabelCallBackCounts->setVisible(!text.isEmpty());
    showWhatIsSaid();
}

QString CallerLine::history() const
{
    return LabelCallerHistory->text();
}

QString CallerLine::counts() const
{
    return LabelCallBackCounts->isVisibleTo(this) ? LabelCallBackCounts->text() : QString();
}

void CallerLine::showWhatIsSaid()
{
    const bool said = !LabelCallerHistory->text().isEmpty() || LabelCallBackCounts->isVisibleTo(this);
    if (said == !isHidden())
        return;
    setVisible(said);
    emit shownChanged();
}

bool CallerLine::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::ControlModifier)) {
            if (watched == LabelCallerHistory)
                emit reviewAsked();
            else if (watched == LabelCallBackCounts)
                emit callBacksAsked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
