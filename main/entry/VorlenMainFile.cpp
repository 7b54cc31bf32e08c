#include "VorlenMainFile.h"

#include "accessiblenames.h"
#include "callernames.h"
#include "desktop.h"
#include "entryrow.h"
#include "entryrules.h"
#include "focusrules.h"
#include "screenfit.h"
#include "selectpanel.h"
#include "statusshape.h"
#include "windowfont.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

const QColor TMainForm::Lime = QColor(0, 255, 0);
const QColor TMainForm::Yellow = QColor(255, 255, 0);
const QColor TMainForm::Red = QColor(255, 0, 0);

namespace {

// The configuration manager beside us: in the working folder, or installed
// next to this program.
QString configurationManagerPath()
{
    const QString name = QStringLiteral("VNConfig");
    const QFileInfo inWorkingFolder(QDir::current().filePath(name));
    if (inWorkingFolder.isFile() && inWorkingFolder.isExecutable())
        return inWorkingFolder.absoluteFilePath();
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : TMainForm(Desktop::system(), parent)
{
}

TMainForm::TMainForm(Desktop &desktop, QWidget *parent)
    : QMainWindow(parent)
    , m_desktop(desktop)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vorlen Entry"));
    // A fixed window with a system menu, a minimise box and a close box, but no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(WindowFont::tahoma(11));
    // Calls, names and notes are nobody else's business on this machine.
    DataFile::keepNewFilesPrivate();

    buildControls();
    buildMenu();
    connectRules();
    buildCallBacks();

    MainFormCreate();
}

TMainForm::~TMainForm()
{
    // Destroying the controls moves the focus; no rule may run on a half-gone window.
    m_focusRules.reset();
}

void TMainForm::buildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralArea"));
    QPalette background = central->palette();
    background.setColor(QPalette::Window, QColor(215, 228, 242)); // inactive caption gradient
    central->setPalette(background);
    central->setAutoFillBackground(true);
    setCentralWidget(central);

    auto *outer = new QHBoxLayout(central);
    outer->setContentsMargins(5, 5, 5, 5);
    outer->setSpacing(6);

    ShapeStatus = new StatusShape(central);
    ShapeStatus->setObjectName(QStringLiteral("ShapeStatus"));
    ShapeStatus->setFixedSize(10, 62);
    ShapeStatus->setFillColor(Lime);
    ShapeStatus->setToolTip(OpenLog::HintRecordStatusOk);
    AccessibleNames::name(ShapeStatus, QStringLiteral("Status indicator"));
    outer->addWidget(ShapeStatus, 0, Qt::AlignVCenter);

    Panel1 = new EntryRow(central);
    outer->addWidget(Panel1, 1);
    connect(Panel1, &EntryRow::heightChanged, this, &TMainForm::fitHeight);
    LabelRecordStatus = Panel1->LabelRecordStatus;
    TypeLabel = Panel1->TypeLabel;
    DateLabel = Panel1->DateLabel;
    TimeLabel = Panel1->TimeLabel;
    PhoneLabel = Panel1->PhoneLabel;
    NameLabel = Panel1->NameLabel;
    CompanyLabel = Panel1->CompanyLabel;
    NoteLabel = Panel1->NoteLabel;
    RadioGroup1 = Panel1->RadioGroup1;
    RadioIn = Panel1->RadioIn;
    RadioOut = Panel1->RadioOut;
    RadioMsg = Panel1->RadioMsg;
    EditDate = Panel1->EditDate;
    EditTime = Panel1->EditTime;
    EditPhone = Panel1->EditPhone;
    EditName = Panel1->EditName;
    EditCompany = Panel1->EditCompany;
    Memo1 = Panel1->Memo1;

    Panel2 = new SelectPanel(central);
    ButtonSelect = Panel2->ButtonSelect;
    SpinEditSelect = Panel2->SpinEditSelect;
    Button1Cancel = Panel2->Button1Cancel;
    RecNumbLabel = Panel2->RecNumbLabel;
    connect(ButtonSelect, &QPushButton::clicked, this, &TMainForm::ButtonSelectClick);
    connect(Button1Cancel, &QPushButton::clicked, this, &TMainForm::Button1CancelClick);
    connect(Panel2, &SelectPanel::selectKeyPressed, this, &TMainForm::SpinEditSelectKeyDown);
    setTabOrder(Memo1, ButtonSelect);

    // The menu's shortcuts win over the fields' own editing keys.
    for (QWidget *field :
         std::initializer_list<QWidget *>{EditDate, EditTime, EditPhone, EditName, EditCompany, Memo1, SpinEditSelect})
        field->installEventFilter(this);
    connect(EditPhone, &QLineEdit::textChanged, this, &TMainForm::offerCallersOf);
    connect(Panel1, &EntryRow::entryEdited, this, &TMainForm::forgetClear);
    setFocusProxy(RadioIn);
}

QAction *TMainForm::addCommand(QMenu *menu, const char *name, const QString &text, const QKeySequence &shortcut,
                               void (TMainForm::*handler)())
{
    QAction *item = menu->addAction(text);
    item->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    connect(item, &QAction::triggered, this, handler);
    connect(item, &QAction::triggered, this, &TMainForm::keepProblemShown);
    return item;
}

void TMainForm::buildMenu()
{
    const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };
    // The menus keep their items where they always were; what came later
    // follows in a group of its own (before Exit in File).
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    Save1 = addCommand(file, "Save1", QStringLiteral("Create New"), {}, &TMainForm::Save1Click);
    Open1 = addCommand(file, "Open1", QStringLiteral("Open Existing"), {}, &TMainForm::Open1Click);
    ExportFile1 = addCommand(file, "ExportFile1", QStringLiteral("Export"), {}, &TMainForm::ExportFile1Click);
    Print1 = addCommand(file, "Print1", QStringLiteral("Print"), ctrl(Qt::Key_P), &TMainForm::Print1Click);
    file->addSeparator();
    ExportCsv1 = addCommand(file, "ExportCsv1", QStringLiteral("Export as CSV\u2026"), {}, &TMainForm::ExportCsv1Click);
    Repair1 = addCommand(file, "Repair1", QStringLiteral("Repair\u2026"), {}, &TMainForm::Repair1Click);
    m_fileAdditionsEnd = file->addSeparator();
    Exit1 = addCommand(file, "Exit1", QStringLiteral("E&xit"), ctrl(Qt::Key_X), &TMainForm::Exit1Click);

    QMenu *records = menuBar()->addMenu(QStringLiteral("&Records"));
    records->setObjectName(QStringLiteral("Records1"));
    ClearCurrent1 =
        addCommand(records, "ClearCurrent1", QStringLiteral("&Clear"), ctrl(Qt::Key_C), &TMainForm::ClearCurrent1Click);
    SaveCurrent1 = addCommand(records, "SaveCurrent1", QStringLiteral("&Save Current"), ctrl(Qt::Key_S),
                              &TMainForm::SaveCurrent1Click);
    PrintCurrent = addCommand(records, "PrintCurrent", QStringLiteral("Print Current"), ctrl(Qt::Key_U),
                              &TMainForm::PrintCurrentClick);
    PrintCurrent->setEnabled(false);
    Read1 = addCommand(records, "Read1", QStringLiteral("Read"), ctrl(Qt::Key_R), &TMainForm::Read1Click);
    Review1 = addCommand(records, "Review1", QStringLiteral("Review"), ctrl(Qt::Key_V), &TMainForm::Review1Click);
    records->addSeparator();
    UndoClear1 =
        addCommand(records, "UndoClear1", QStringLiteral("&Undo Clear"), ctrl(Qt::Key_Z), &TMainForm::UndoClear1Click);
    UndoClear1->setEnabled(false);

    QMenu *about = menuBar()->addMenu(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("About1"));
    Vorlener1 = addCommand(about, "Vorlener1", QStringLiteral("About"), {}, &TMainForm::Vorlener1Click);
    Manual1 = addCommand(about, "Manual1", QStringLiteral("Manual"), ctrl(Qt::Key_M), &TMainForm::Manual1Click);
}

void TMainForm::MainFormCreate()
{
    m_log.prepareBuffer();
    ReadConfiguration();
    fitToScreen();
    ShapeStatus->setFillColor(Lime);
    loadRecordCount();
    hideSelectPanel();
}

void TMainForm::loadRecordCount()
{
    showStatus(m_log.open());
    callBacksOpened();
    Panel2->showRecordCount(state().RecordCount);
    // The names of earlier calls are read once the window is up.
    QTimer::singleShot(0, this, &TMainForm::loadCallerNames);
}

void TMainForm::ReadConfiguration()
{
    StatusReport report;
    const OpenLog::ConfigRead read = m_log.readConfiguration(report);
    showStatus(report);
    if (read == OpenLog::ConfigRead::Missing)
        return;
    const Configuration &config = m_log.configuration();
    QFont font = EditDate->font();
    applyFontSettings(font, config.fontName, config.fontSize, config.fontStyle);
    const QColor color = colorFromValue(config.fontColor);
    Panel1->applyEntryFont(font, color);
    QFont spinFont = SpinEditSelect->font();
    applyFontSettings(spinFont, config.fontName, config.fontSize, config.fontStyle);
    SpinEditSelect->setFont(spinFont);
    QPalette palette = SpinEditSelect->palette();
    palette.setColor(QPalette::Text, color);
    SpinEditSelect->setPalette(palette);
}

void TMainForm::RewriteDataFileName(const QString &path)
{
    const OpenLog::OpenExistingOutcome outcome = m_log.openExisting(path);
    if (outcome.result == OpenLog::OpenResult::Reinitialise) {
        MainFormCreate();
        return;
    }
    showStatus(outcome.report);
    if (outcome.result == OpenLog::OpenResult::KeptWindow) {
        callBacksOpened();
        Panel2->showRecordCount(state().RecordCount);
        QTimer::singleShot(0, this, &TMainForm::loadCallerNames);
    }
}

void TMainForm::showStatus(const StatusReport &report)
{
    switch (report.light) {
    case StatusReport::Light::Unchanged:
        break;
    case StatusReport::Light::Good:
        ShapeStatus->setFillColor(Lime);
        break;
    case StatusReport::Light::Editing:
        ShapeStatus->setFillColor(Yellow);
        break;
    case StatusReport::Light::Failed:
        ShapeStatus->setFillColor(Red);
        break;
    }
    if (!report.hint.isNull())
        ShapeStatus->setToolTip(report.hint);
    if (!report.message.isNull())
        showMessage(report.message, report.messagePoints);
}

void TMainForm::showMessage(const QString &text, int pointSize)
{
    Panel1->showMessage(text, pointSize);
}

void TMainForm::setIndicator(const QColor &color, const QString &hint)
{
    ShapeStatus->setFillColor(color);
    if (!hint.isNull())
        ShapeStatus->setToolTip(hint);
}

void TMainForm::setMessageSize(int pointSize)
{
    Panel1->setMessageSize(pointSize);
}

void TMainForm::showMessageInRed()
{
    Panel1->showMessageInRed();
}

QString TMainForm::notesAsTyped() const
{
    return Panel1->notesAsTyped();
}

CallEntry TMainForm::entryShown() const
{
    return Panel1->entry();
}

// ---- Record commands -------------------------------------------------------

void TMainForm::SaveCurrent1Click()
{
    saveEntry();
}

bool TMainForm::saveEntry()
{
    const OpenLog::SaveOutcome outcome = m_log.save(entryShown(), m_desktop.now().toSecsSinceEpoch());
    showStatus(outcome.report);
    if (!outcome.saved)
        return false;
    offerCallersOf(EditPhone->text());
    // The entry is in the log now: there is nothing to bring back.
    clearEntry(false);
    return true;
}

void TMainForm::ClearCurrent1Click()
{
    clearEntry(true);
}

bool TMainForm::entryTyped() const
{
    CallEntry untouched;
    untouched.type = CallType::In;
    untouched.date = EntryRules::DatePlaceholder;
    untouched.time = EntryRules::TimePlaceholder;
    untouched.phone = EntryRules::PhonePlaceholder;
    untouched.name = EntryRules::NamePlaceholder;
    untouched.company = EntryRules::CompanyPlaceholder;
    const CallEntry shown = entryShown();
    return shown.type != untouched.type || shown.date != untouched.date || shown.time != untouched.time
        || shown.phone != untouched.phone || shown.name != untouched.name || shown.company != untouched.company
        || !shown.notes.isEmpty() || state().EditMode || state().EditLocked;
}

void TMainForm::clearEntry(bool undoable)
{
    // A second Clear of empty fields keeps what the first one took.
    const bool keep = undoable && entryTyped();
    if (keep) {
        m_cleared = Cleared{entryShown(),
                            ShapeStatus->fillColor(),
                            ShapeStatus->toolTip(),
                            Panel1->messageShown() ? LabelRecordStatus->text() : QString(),
                            LabelRecordStatus->font().pointSize(),
                            EditName->isReadOnly()};
    } else if (!undoable) {
        forgetClear();
    }
    m_log.clear(keep);
    RadioIn->setChecked(true);
    RadioIn->setFocus(Qt::OtherFocusReason);
    Panel1->clearEntry();
    ShapeStatus->setFillColor(Lime);
    setMessageSize(12);
    if (!EntryError)
        ShapeStatus->setToolTip(OpenLog::HintRecordStatusOk);
    PrintCurrent->setEnabled(PrintCurrentAllowed);
    Panel1->setReadOnly(false);
    Panel1->hideMessage();
    if (keep) {
        UndoClear1->setEnabled(true);
        showMessage(QStringLiteral("Entry cleared - Ctrl+Z brings it back"), 9);
    }
}

void TMainForm::UndoClear1Click()
{
    if (!m_cleared)
        return;
    const Cleared cleared = *m_cleared;
    m_log.undoClear();
    forgetClear();
    Panel1->showEntry(cleared.entry);
    Panel1->setReadOnly(cleared.readOnly);
    setIndicator(cleared.light, cleared.hint);
    if (cleared.message.isNull())
        Panel1->hideMessage();
    else
        showMessage(cleared.message, cleared.messagePoints);
}

void TMainForm::forgetClear()
{
    m_cleared.reset();
    m_log.forgetClear();
    if (UndoClear1)
        UndoClear1->setEnabled(false);
}

void TMainForm::keepProblemShown()
{
    if (!Panel1->messageShown() && !m_log.problem().isEmpty())
        showStatus(m_log.problemReport());
}

void TMainForm::Read1Click()
{
    Panel2->startAtFirst(state().RecordCount);
    PrintCurrent->setEnabled(true);
    PrintCurrentAllowed = true;
    Panel2->showOver(centralWidget());
    ClearCurrent1Click();
    SpinEditSelect->setFocus(Qt::OtherFocusReason);
    SpinEditSelect->selectAll();
}

void TMainForm::ButtonSelectClick()
{
    selectRecord(Panel2->chosen());
}

void TMainForm::selectRecord(int n)
{
    const OpenLog::SelectOutcome outcome = m_log.select(n);
    if (outcome.show)
        Panel1->showEntry(*outcome.show);
    showStatus(outcome.report);
    hideSelectPanel();
}

void TMainForm::SpinEditSelectKeyDown()
{
    ButtonSelectClick();
}

void TMainForm::Button1CancelClick()
{
    ClearCurrent1Click();
    hideSelectPanel();
}

void TMainForm::Save1Click()
{
    // The manager works in our working folder, whatever folder it would choose by itself.
    setEnabled(false);
    const bool started =
        m_desktop.runProgram(configurationManagerPath(), {QStringLiteral("--folder"), QDir::currentPath()});
    setEnabled(true);
    MainFormCreate();
    if (!started) {
        setIndicator(Red);
        showMessage(QStringLiteral("Configuration Manager could not be started"));
    }
}

void TMainForm::Open1Click()
{
    Desktop::FileChoice choice;
    choice.title = QStringLiteral("Open Existing");
    choice.filter = QStringLiteral("dta (*.dta)");
    const QString path = m_desktop.chooseFile(this, choice);
    if (path.isEmpty())
        return;
    RewriteDataFileName(path);
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::Repair1Click()
{
    const QString stamp = m_desktop.now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    showStatus(m_log.repair(stamp));
    Panel2->showRecordCount(state().RecordCount);
}

void TMainForm::hideSelectPanel()
{
    // A hidden control cannot keep the focus. It goes to the window's own
    // area, not to an entry field, so that no entry rule runs now; the next
    // field the user goes to runs its enter rule as usual.
    QWidget *focused = QApplication::focusWidget();
    if (focused && Panel2->isAncestorOf(focused))
        m_focusRules->moveQuietly(centralWidget());
    Panel2->hide();
}

bool TMainForm::entryUnsaved() const
{
    return ShapeStatus->toolTip() == OpenLog::HintEditing || m_log.entryRefused();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!entryUnsaved()) {
        event->accept();
        return;
    }
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Vorlen Entry"),
                    QStringLiteral("Save the entry before leaving?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    ask.setObjectName(QStringLiteral("SaveBeforeLeaving"));
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    const int answer = m_desktop.runDialog(ask);
    if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && saveEntry()))
        event->accept();
    else
        event->ignore();
}

// ---- Layout across the screen ----------------------------------------------

// One row across the whole screen, at its top.
void TMainForm::fitToScreen()
{
    const QRect area = ScreenFit::availableArea(this);
    const QMargins frame = ScreenFit::frameMargins(this);
    const int width = qMax(area.width() - frame.left() - frame.right(), 600);
    Panel1->fitWidth(width, centralWidget()->layout());
    setFixedWidth(width);
    setFixedHeight(sizeHint().height());
    // Placed now, so that a message shown at start-up does not resize the window just shown.
    Panel1->placeMessage();
    move(area.topLeft());
}

void TMainForm::fitHeight()
{
    centralWidget()->updateGeometry();
    setFixedHeight(sizeHint().height());
}

// ---- Focus and keys --------------------------------------------------------

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    // The menu's shortcuts win over a field's own editing keys (Ctrl+C clears).
    auto *key = static_cast<QKeyEvent *>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction *item : {Print1, Exit1, ClearCurrent1, SaveCurrent1, PrintCurrent, Read1, Review1, Manual1}) {
        if (item->isEnabled() && item->shortcut() == pressed)
            return true;
    }
    // Ctrl+Z undoes the field's own typing first; then it brings back what Clear took.
    if (UndoClear1->isEnabled() && UndoClear1->shortcut() == pressed) {
        const auto *line = qobject_cast<QLineEdit *>(watched);
        const auto *notes = qobject_cast<QPlainTextEdit *>(watched);
        const bool ownUndo = (line && line->isUndoAvailable()) || (notes && notes->document()->isUndoAvailable());
        return !ownUndo;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::offerCallersOf(const QString &phone)
{
    Panel1->offer(m_log.offeredNames(phone), m_log.offeredCompanies(phone));
}

void TMainForm::loadCallerNames()
{
    m_log.loadCallers();
    offerCallersOf(EditPhone->text());
}

QStringList TMainForm::offeredNames() const
{
    return Panel1->offeredNames();
}

QStringList TMainForm::offeredCompanies() const
{
    return Panel1->offeredCompanies();
}
