#include "statisticswindow.h"

#include "Warning.h"
#include "accessiblenames.h"
#include "callbackmarks.h"
#include "chartpane.h"
#include "desktop.h"
#include "openlog.h"
#include "recordtablemodel.h"
#include "reportprinter.h"
#include "reviewfiltermodel.h"
#include "scanprogress.h"
#include "screenfit.h"
#include "statisticscharts.h"
#include "statisticsoutput.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace CallStatistics;

namespace {

const QSize FirstSize(1000, 720);

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
}

QLabel *wrappedLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

StatisticsWindow::StatisticsWindow(const OpenLog &log, Desktop &desktop, const RecordTableModel &records,
                                   const ReviewFilterModel *shown, QWidget *parent)
    : QDialog(parent)
    , m_log(log)
    , m_desktop(desktop)
{
    setObjectName(QStringLiteral("StatisticsWindow"));
    setWindowTitle(QStringLiteral("Call Statistics"));
    setSizeGripEnabled(true);
    m_counts = count(records, shown ? &shown->shownRows() : nullptr);
    if (shown)
        m_filter = shown->filter();
    readCallBacks();

    buildHeader();
    buildPanes();
    buildButtons();
    layOut();
    showPeriod();

    resize(FirstSize.expandedTo(minimumSizeHint()));
    ScreenFit::fit(this);
}

StatisticsWindow::~StatisticsWindow() = default;

void StatisticsWindow::showLog(const OpenLog &log, Desktop &desktop, QWidget *parent)
{
    RecordTableModel records;
    // Only read: no record is checked or marked here, the review does that.
    const DataFile::ScanOutcome outcome =
        scanLogInto(parent, log.path(), DataFile::ScanMode::Unchecked, records, false);
    if (!outcome.opened) {
        TFormWarning::showWarning(desktop, parent);
        return;
    }
    if (outcome.cancelled)
        return;
    StatisticsWindow window(log, desktop, records, nullptr, parent);
    if (outcome.check.state == DataFile::LogState::NotALog)
        window.showMessage(QStringLiteral("Not a call log - nothing counted"), true);
    else if (outcome.check.damaged() || outcome.emptySlots > 0)
        window.showMessage(QStringLiteral("Log damaged: only its whole records are counted; use File > Repair"), true);
    desktop.runDialog(window);
}

// The open log's call-backs, as its companion store holds them; a store that
// cannot be read leaves the chart empty and says why.
void StatisticsWindow::readCallBacks()
{
    m_callBacks = m_log.callBackMarks().all();
    m_callBackProblem = m_log.callBackProblem();
}

void StatisticsWindow::buildHeader()
{
    LabelScope = wrappedLabel("LabelScope", this);
    QFont bold = LabelScope->font();
    bold.setBold(true);
    LabelScope->setFont(bold);
    LabelScope->setText(scopeLine(m_counts, m_filter));
    LabelSummary = wrappedLabel("LabelSummary", this);
    LabelSummary->setText(summaryLine(m_counts));
    LabelUnreadable = wrappedLabel("LabelUnreadable", this);
    const QStringList unreadable = unreadableLines(m_counts);
    LabelUnreadable->setText(unreadable.join(QLatin1Char('\n')));
    LabelUnreadable->setVisible(!unreadable.isEmpty());
    setTextColour(LabelUnreadable, QColor(0x99, 0x33, 0x00));

    ComboPeriod = new QComboBox(this);
    ComboPeriod->setObjectName(QStringLiteral("ComboPeriod"));
    ComboPeriod->addItem(QStringLiteral("Per week"), int(Period::Week));
    ComboPeriod->addItem(QStringLiteral("Per month"), int(Period::Month));
    connect(ComboPeriod, qOverload<int>(&QComboBox::currentIndexChanged), this, &StatisticsWindow::showPeriod);
}

void StatisticsWindow::buildPanes()
{
    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->setDocumentMode(true);
    AccessibleNames::name(Tabs, QStringLiteral("Charts"));
    AccessibleNames::name(Tabs->tabBar(), QStringLiteral("Charts"));
    PaneCalls = new ChartPane(QStringLiteral("PaneCalls"), Tabs);
    PaneCallers = new ChartPane(QStringLiteral("PaneCallers"), Tabs);
    PaneCompanies = new ChartPane(QStringLiteral("PaneCompanies"), Tabs);
    PaneHours = new ChartPane(QStringLiteral("PaneHours"), Tabs);
    PaneCallBacks = new ChartPane(QStringLiteral("PaneCallBacks"), Tabs);
    Tabs->addTab(PaneCalls, QStringLiteral("Calls over &time"));
    Tabs->addTab(PaneCallers, QStringLiteral("Top c&allers"));
    Tabs->addTab(PaneCompanies, QStringLiteral("Top co&mpanies"));
    Tabs->addTab(PaneHours, QStringLiteral("&Weekday and hour"));
    Tabs->addTab(PaneCallBacks, QStringLiteral("Call-&backs"));
    PaneCallers->setChart(StatisticsCharts::callers(m_counts.topCallers));
    PaneCompanies->setChart(StatisticsCharts::companies(m_counts.topCompanies));
    PaneHours->setChart(StatisticsCharts::hours(m_counts));
}

void StatisticsWindow::buildButtons()
{
    const auto button = [this](const char *name, const QString &text, void (StatisticsWindow::*click)()) {
        auto *made = new QPushButton(text, this);
        made->setObjectName(QLatin1String(name));
        made->setAutoDefault(false);
        if (click)
            connect(made, &QPushButton::clicked, this, click);
        return made;
    };
    ButtonCopy = button("ButtonCopy", QStringLiteral("&Copy chart"), &StatisticsWindow::ButtonCopyClick);
    ButtonCopy->setToolTip(QStringLiteral("The chart as a picture and its numbers as text, on the clipboard"));
    ButtonSave = button("ButtonSave", QStringLiteral("&Save chart\u2026"), &StatisticsWindow::ButtonSaveClick);
    ButtonSave->setToolTip(QStringLiteral("The chart as a PNG picture or an SVG drawing"));
    ButtonPrint = button("ButtonPrint", QStringLiteral("&Print\u2026"), &StatisticsWindow::ButtonPrintClick);
    ButtonPrint->setToolTip(QStringLiteral("The summary and every chart; a PDF where there is no printer"));
    ButtonClose = button("ButtonClose", QStringLiteral("Close"), nullptr);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
    LabelMessage = wrappedLabel("LabelMessage", this);
}

void StatisticsWindow::layOut()
{
    auto *period = new QLabel(QStringLiteral("P&eriod:"), this);
    period->setObjectName(QStringLiteral("LabelPeriod"));
    AccessibleNames::captionFor(period, ComboPeriod);
    auto *top = new QHBoxLayout;
    top->addWidget(LabelScope, 1);
    top->addWidget(period);
    top->addWidget(ComboPeriod);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabelMessage, 1);
    for (QPushButton *button : {ButtonCopy, ButtonSave, ButtonPrint, ButtonClose})
        bottom->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(LabelSummary);
    layout->addWidget(LabelUnreadable);
    layout->addWidget(Tabs, 1);
    layout->addLayout(bottom);
}

// Calls over time and call-backs over time follow the period chosen.
void StatisticsWindow::showPeriod()
{
    const Period chosen = Period(ComboPeriod->currentData().toInt());
    Period period = chosen;
    const std::vector<PeriodCounts> periods = perPeriod(m_counts, period);
    PaneCalls->setChart(StatisticsCharts::calls(periods, period));
    const std::vector<int> *numbers = m_counts.someRows ? &m_counts.numbers : nullptr;
    PaneCallBacks->setChart(StatisticsCharts::callBacks(
        callBacksOverTime(m_callBacks, chosen, m_desktop.now(), numbers), chosen, m_callBackProblem));
    // The note about a period too short to draw goes with the period it was about.
    const QString note = period == chosen
        ? QString()
        : QStringLiteral("Too many %1s to draw: calls are shown per %2").arg(periodName(chosen), periodName(period));
    if (!note.isEmpty() || m_periodNoteShown)
        showMessage(note, false);
    m_periodNoteShown = !note.isEmpty();
}

ChartPane *StatisticsWindow::currentPane() const
{
    return static_cast<ChartPane *>(Tabs->currentWidget());
}

std::vector<ChartPane *> StatisticsWindow::panes() const
{
    return {PaneCalls, PaneCallers, PaneCompanies, PaneHours, PaneCallBacks};
}

void StatisticsWindow::showMessage(const QString &text, bool failure)
{
    setTextColour(LabelMessage, failure ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    LabelMessage->setText(text);
}

void StatisticsWindow::ButtonCopyClick()
{
    StatisticsOutput::copyChart(*currentPane());
    showMessage(QStringLiteral("%1: the chart and its numbers are on the clipboard").arg(currentPane()->name()), false);
}

void StatisticsWindow::ButtonSaveClick()
{
    const ChartPane &pane = *currentPane();
    Desktop::FileChoice choice;
    choice.mode = Desktop::FileChoice::Mode::Save;
    choice.title = QStringLiteral("Save chart");
    choice.suggested = QDir::current().filePath(pane.fileName() + QLatin1String(".png"));
    choice.filter = QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)");
    QString path = m_desktop.chooseFile(this, choice);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(".png");
    const QString error = StatisticsOutput::saveChart(pane, path);
    if (!error.isEmpty())
        showMessage(QStringLiteral("Chart NOT saved: %1").arg(error), true);
    else
        showMessage(QStringLiteral("%1 saved as %2").arg(pane.name(), QFileInfo(path).fileName()), false);
}

void StatisticsWindow::ButtonPrintClick()
{
    const ReportPrinter::Outcome outcome = ReportPrinter::printPages(
        [this](QPrinter &printer) { return paintPages(printer); }, QStringLiteral("Call statistics"),
        QStringLiteral("Statistics.pdf"), m_desktop.defaultPrinter());
    if (outcome.kind == ReportPrinter::Outcome::Failed) {
        showMessage(QStringLiteral("Print FAILED: %1").arg(outcome.error), true);
        return;
    }
    if (outcome.kind == ReportPrinter::Outcome::SavedAsPdf) {
        showMessage(QStringLiteral("Saved as %1").arg(outcome.where), false);
        QMessageBox told(QMessageBox::Information, windowTitle(), ReportPrinter::savedAsPdfMessage(outcome.where),
                         QMessageBox::Ok, this);
        told.setObjectName(QStringLiteral("SavedAsPdf"));
        m_desktop.runDialog(told);
        return;
    }
    showMessage(QStringLiteral("Printed on %1").arg(outcome.where), false);
}

bool StatisticsWindow::paintPages(QPrinter &printer) const
{
    StatisticsOutput::Page page;
    page.title = QStringLiteral("Call statistics: %1").arg(QFileInfo(m_log.path()).fileName());
    page.lines << LabelScope->text() << LabelSummary->text();
    if (!LabelUnreadable->text().isEmpty())
        page.lines << LabelUnreadable->text();
    for (const ChartPane *pane : panes())
        page.panes.push_back(pane);
    return StatisticsOutput::paintPages(printer, page);
}
