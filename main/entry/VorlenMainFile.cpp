#include "VorlenMainFile.h"

#include "accessiblenames.h"
#include "callentry.h"
#include "datafile.h"
#include "entryrules.h"
#include "focusrules.h"
#include "statusshape.h"
#include "typedkeyfilter.h"
#include "windowfont.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

const QColor TMainForm::Lime = QColor(0, 255, 0);
const QColor TMainForm::Yellow = QColor(255, 255, 0);
const QColor TMainForm::Red = QColor(255, 0, 0);

namespace {

const QString HintRecordStatusOk = QStringLiteral("Record Status OK");
const QString HintFileOpenError = QStringLiteral("File: Open ERROR");

using WindowFont::tahoma;

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

int firstLineBreak(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            return i;
    }
    return -1;
}

// A one-line field takes pasted text up to its first line break, as the
// desktop's one-line edits do: no record field but the notes gets one, and the
// export keeps one line per record. A text that already held one (a record
// shown as it was stored) is left alone.
void keepFirstPastedLine(QLineEdit *field, const QString &before)
{
    const QString text = field->text();
    const int lineBreak = firstLineBreak(text);
    if (lineBreak < 0 || firstLineBreak(before) >= 0)
        return;
    const int pastedEnd = qMax(field->cursorPosition(), lineBreak);
    field->setText(text.left(lineBreak) + text.mid(pastedEnd));
    field->setCursorPosition(lineBreak);
}

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vorlen Entry"));
    // A fixed window with a system menu, a minimise box and a close box, but no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(tahoma(11));
    // Calls, names and notes are nobody else's business on this machine.
    DataFile::keepNewFilesPrivate();

    now = [] { return QDateTime::currentDateTime(); };
    chooseDataFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open Existing"), QString(),
                                            QStringLiteral("dta (*.dta)"));
    };
    // The manager works in our working folder, whatever folder it would choose by itself.
    runConfigurationManager = [] {
        return QProcess::execute(configurationManagerPath(), {QStringLiteral("--folder"), QDir::currentPath()}) >= 0;
    };

    buildControls();
    buildMenu();
    connectRules();
    buildCompletion();

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
    ShapeStatus->setToolTip(HintRecordStatusOk);
    outer->addWidget(ShapeStatus, 0, Qt::AlignVCenter);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::NoFrame);
    outer->addWidget(Panel1, 1);

    auto *grid = new QGridLayout(Panel1);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);

    auto caption = [this](QLabel *&label, const char *name, const QString &text) {
        label = new QLabel(text, Panel1);
        label->setObjectName(QLatin1String(name));
        label->setFont(tahoma(13, true));
    };
    caption(TypeLabel, "TypeLabel", QStringLiteral("Type"));
    caption(DateLabel, "DateLabel", QStringLiteral("Date"));
    caption(TimeLabel, "TimeLabel", QStringLiteral("Time"));
    caption(PhoneLabel, "PhoneLabel", QStringLiteral("Phone Number"));
    caption(NameLabel, "NameLabel", QStringLiteral("Name"));
    caption(CompanyLabel, "CompanyLabel", QStringLiteral("Company"));
    caption(NoteLabel, "NoteLabel", QStringLiteral("Notes"));

    LabelRecordStatus = new QLabel(QStringLiteral("Message Bar"), Panel1);
    LabelRecordStatus->setObjectName(QStringLiteral("LabelRecordStatus"));
    QFont messageFont = tahoma(16, true);
    messageFont.setPointSize(12);
    LabelRecordStatus->setFont(messageFont);
    QPalette messagePalette = LabelRecordStatus->palette();
    messagePalette.setColor(QPalette::WindowText, Red);
    LabelRecordStatus->setPalette(messagePalette);
    LabelRecordStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The message takes no width from the fields; where it is placed depends on its length.
    LabelRecordStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    LabelRecordStatus->hide();

    RadioGroup1 = new QGroupBox(Panel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setFont(tahoma(9));
    RadioGroup1->setToolTip(QStringLiteral("Incoming or Outgoing call/message"));
    auto *radios = new QHBoxLayout(RadioGroup1);
    radios->setContentsMargins(4, 2, 4, 2);
    RadioIn = new QRadioButton(QStringLiteral("In"), RadioGroup1);
    RadioIn->setObjectName(QStringLiteral("RadioIn"));
    RadioOut = new QRadioButton(QStringLiteral("Out"), RadioGroup1);
    RadioOut->setObjectName(QStringLiteral("RadioOut"));
    RadioMsg = new QRadioButton(QStringLiteral("Msg"), RadioGroup1);
    RadioMsg->setObjectName(QStringLiteral("RadioMsg"));
    for (QRadioButton *radio : {RadioIn, RadioOut, RadioMsg})
        radios->addWidget(radio);
    RadioIn->setChecked(true);

    auto edit = [this](QLineEdit *&field, const char *name, const QString &text, int maxLength, const QString &hint,
                       int width) {
        field = new QLineEdit(text, Panel1);
        field->setObjectName(QLatin1String(name));
        field->setFont(tahoma(13));
        field->setMaxLength(maxLength);
        field->setToolTip(hint);
        if (width > 0)
            field->setMinimumWidth(width);
        field->installEventFilter(this);
    };
    edit(EditDate, "EditDate", EntryRules::DatePlaceholder, 11, QStringLiteral("Date Format: m/d/yyyy or mm/dd/yyyy"),
         95);
    edit(EditTime, "EditTime", EntryRules::TimePlaceholder, 9, QStringLiteral("Time format: hh:mmAM or PM - NO space!"),
         75);
    edit(EditPhone, "EditPhone", EntryRules::PhonePlaceholder, 12, QString(), 105);
    edit(EditName, "EditName", EntryRules::NamePlaceholder, 74, QStringLiteral("Max length 200 characters"),
         TextFieldWidth);
    // The record keeps 49 characters of the company and 199 of the notes.
    edit(EditCompany, "EditCompany", EntryRules::CompanyPlaceholder, CallRecord::capacity(CallRecord::Company),
         QStringLiteral("Max length 200 characters"), TextFieldWidth);

    Memo1 = new QPlainTextEdit(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(tahoma(13));
    Memo1->setToolTip(QStringLiteral("Up to 1K characters"));
    Memo1->setTabChangesFocus(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setFixedHeight(EditDate->sizeHint().height() + 4);
    Memo1->setMinimumWidth(NotesMinimumWidth);
    Memo1->installEventFilter(this);
    connect(Memo1->document(), &QTextDocument::contentsChange, this, &TMainForm::limitNotes);
    for (QLineEdit *field : {EditDate, EditTime, EditPhone, EditName, EditCompany}) {
        auto before = std::make_shared<QString>(field->text());
        connect(field, &QLineEdit::textChanged, this, [field, before] { *before = field->text(); });
        const bool textField = field == EditName || field == EditCompany;
        connect(field, &QLineEdit::textEdited, this, [field, before, textField] {
            keepFirstPastedLine(field, *before);
            if (textField)
                dropFieldSeparators(field);
        });
    }

    grid->addWidget(TypeLabel, 0, 0);
    grid->addWidget(DateLabel, 0, 1);
    grid->addWidget(TimeLabel, 0, 2);
    grid->addWidget(PhoneLabel, 0, 3);
    grid->addWidget(NameLabel, 0, 4);
    grid->addWidget(CompanyLabel, 0, 5);
    // The message bar shares the caption row with the notes' caption, to its
    // right; a message too long for that place goes to a line under the fields.
    m_captionMessage = new QHBoxLayout;
    m_captionMessage->addWidget(NoteLabel);
    m_captionMessage->addWidget(LabelRecordStatus, 1);
    grid->addLayout(m_captionMessage, 0, 6);
    m_messageLine = new QHBoxLayout;
    grid->addLayout(m_messageLine, 2, 0, 1, 7);
    grid->setRowStretch(2, 1); // the captions and fields stay where they are when the line comes and goes
    grid->addWidget(RadioGroup1, 1, 0);
    grid->addWidget(EditDate, 1, 1);
    grid->addWidget(EditTime, 1, 2);
    grid->addWidget(EditPhone, 1, 3);
    grid->addWidget(EditName, 1, 4);
    grid->addWidget(EditCompany, 1, 5);
    grid->addWidget(Memo1, 1, 6);
    grid->setColumnStretch(6, 1);

    // The select panel lies over the middle of the entry row while it is shown.
    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    Panel2->setLineWidth(2);
    QPalette panelPalette = Panel2->palette();
    panelPalette.setColor(QPalette::Window, panelPalette.color(QPalette::Midlight));
    Panel2->setPalette(panelPalette);
    Panel2->setAutoFillBackground(true);
    auto *select = new QHBoxLayout(Panel2);
    select->setContentsMargins(8, 4, 8, 4);

    auto *selectCaption = new QVBoxLayout;
    selectCaption->setSpacing(0);
    LabelSelect1 = new QLabel(QStringLiteral("Select a record"), Panel2);
    LabelSelect1->setObjectName(QStringLiteral("LabelSelect1"));
    LabelSelect1->setFont(tahoma(16));
    LabelSelect2 = new QLabel(QStringLiteral("to display"), Panel2);
    LabelSelect2->setObjectName(QStringLiteral("LabelSelect2"));
    LabelSelect2->setFont(tahoma(16));
    selectCaption->addWidget(LabelSelect1);
    selectCaption->addWidget(LabelSelect2);
    select->addLayout(selectCaption);

    ButtonSelect = new QPushButton(QStringLiteral("Select"), Panel2);
    ButtonSelect->setObjectName(QStringLiteral("ButtonSelect"));
    SpinEditSelect = new QSpinBox(Panel2);
    SpinEditSelect->setObjectName(QStringLiteral("SpinEditSelect"));
    SpinEditSelect->setFont(tahoma(16));
    SpinEditSelect->setRange(0, 0);
    SpinEditSelect->setValue(1);
    SpinEditSelect->setMinimumWidth(90);
    SpinEditSelect->installEventFilter(this);
    Button1Cancel = new QPushButton(QStringLiteral("Cancel"), Panel2);
    Button1Cancel->setObjectName(QStringLiteral("Button1Cancel"));
    select->addWidget(ButtonSelect);
    select->addWidget(SpinEditSelect);
    select->addWidget(Button1Cancel);

    auto *lastRecord = new QVBoxLayout;
    lastRecord->setSpacing(0);
    RecNoteLabel = new QLabel(QStringLiteral("Last Availabel Record"), Panel2);
    RecNoteLabel->setObjectName(QStringLiteral("RecNoteLabel"));
    RecNoteLabel->setFont(tahoma(13));
    RecNumbLabel = new QLabel(QStringLiteral("1"), Panel2);
    RecNumbLabel->setObjectName(QStringLiteral("RecNumbLabel"));
    RecNumbLabel->setFont(tahoma(15, true));
    RecNumbLabel->setAlignment(Qt::AlignCenter);
    lastRecord->addWidget(RecNoteLabel);
    lastRecord->addWidget(RecNumbLabel);
    select->addLayout(lastRecord);
    Panel2->adjustSize();
    Panel2->hide();
    Panel1->installEventFilter(this);

    connect(ButtonSelect, &QPushButton::clicked, this, &TMainForm::ButtonSelectClick);
    connect(Button1Cancel, &QPushButton::clicked, this, &TMainForm::Button1CancelClick);

    setTabOrder(RadioIn, RadioOut);
    setTabOrder(RadioOut, RadioMsg);
    setTabOrder(RadioMsg, EditDate);
    setTabOrder(EditDate, EditTime);
    setTabOrder(EditTime, EditPhone);
    setTabOrder(EditPhone, EditName);
    setTabOrder(EditName, EditCompany);
    setTabOrder(EditCompany, Memo1);
    setTabOrder(Memo1, ButtonSelect);
    setTabOrder(ButtonSelect, SpinEditSelect);
    setTabOrder(SpinEditSelect, Button1Cancel);

    AccessibleNames::name(ShapeStatus, QStringLiteral("Status indicator"));
    AccessibleNames::captionFor(TypeLabel, RadioGroup1);
    AccessibleNames::captionFor(DateLabel, EditDate);
    AccessibleNames::captionFor(TimeLabel, EditTime);
    AccessibleNames::captionFor(PhoneLabel, EditPhone);
    AccessibleNames::captionFor(NameLabel, EditName);
    AccessibleNames::captionFor(CompanyLabel, EditCompany);
    AccessibleNames::captionFor(NoteLabel, Memo1);
    AccessibleNames::captionFor(LabelSelect1, SpinEditSelect);
    AccessibleNames::name(SpinEditSelect, LabelSelect1->text() + QLatin1Char(' ') + LabelSelect2->text());

    setFocusProxy(RadioIn);
}

void TMainForm::buildMenu()
{
    auto action = [this](QAction *&item, QMenu *menu, const char *name, const QString &text,
                         const QKeySequence &shortcut, void (TMainForm::*handler)()) {
        item = menu->addAction(text);
        item->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty())
            item->setShortcut(shortcut);
        connect(item, &QAction::triggered, this, handler);
    };

    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    action(Save1, file, "Save1", QStringLiteral("Create New"), {}, &TMainForm::Save1Click);
    action(Open1, file, "Open1", QStringLiteral("Open Existing"), {}, &TMainForm::Open1Click);
    action(Repair1, file, "Repair1", QStringLiteral("Repair\u2026"), {}, &TMainForm::Repair1Click);
    action(ExportFile1, file, "ExportFile1", QStringLiteral("Export"), {}, &TMainForm::ExportFile1Click);
    action(ExportCsv1, file, "ExportCsv1", QStringLiteral("Export as CSV\u2026"), {}, &TMainForm::ExportCsv1Click);
    action(Print1, file, "Print1", QStringLiteral("Print"), QKeySequence(Qt::CTRL | Qt::Key_P),
           &TMainForm::Print1Click);
    action(Exit1, file, "Exit1", QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X), &TMainForm::Exit1Click);

    QMenu *records = menuBar()->addMenu(QStringLiteral("Records"));
    records->setObjectName(QStringLiteral("Records1"));
    action(ClearCurrent1, records, "ClearCurrent1", QStringLiteral("&Clear"), QKeySequence(Qt::CTRL | Qt::Key_C),
           &TMainForm::ClearCurrent1Click);
    action(SaveCurrent1, records, "SaveCurrent1", QStringLiteral("&Save Current"), QKeySequence(Qt::CTRL | Qt::Key_S),
           &TMainForm::SaveCurrent1Click);
    action(PrintCurrent, records, "PrintCurrent", QStringLiteral("Print Current"), QKeySequence(Qt::CTRL | Qt::Key_U),
           &TMainForm::PrintCurrentClick);
    PrintCurrent->setEnabled(false);
    action(Read1, records, "Read1", QStringLiteral("Read"), QKeySequence(Qt::CTRL | Qt::Key_R), &TMainForm::Read1Click);
    action(Review1, records, "Review1", QStringLiteral("Review"), QKeySequence(Qt::CTRL | Qt::Key_V),
           &TMainForm::Review1Click);

    QMenu *about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("About1"));
    action(Vorlener1, about, "Vorlener1", QStringLiteral("About"), {}, &TMainForm::Vorlener1Click);
    action(Manual1, about, "Manual1", QStringLiteral("Manual"), QKeySequence(Qt::CTRL | Qt::Key_M),
           &TMainForm::Manual1Click);
}

void TMainForm::MainFormCreate()
{
    m_state.prepareBuffer();
    ReadConfiguration();

    fitToScreen();

    ShapeStatus->setFillColor(Lime);
    loadRecordCount();
    hideSelectPanel();
}

void TMainForm::loadRecordCount()
{
    openLog();
    m_state.RecordCount = DataFile::findRecordCount(m_state.DataFileName, &m_state.buffer);
    SpinEditSelect->setMaximum(qMax(m_state.RecordCount, 0));
    RecNumbLabel->setText(QString::number(m_state.RecordCount));
    // The names of earlier calls are read once the window is up.
    QTimer::singleShot(0, this, &TMainForm::loadCallerNames);
}

void TMainForm::ReadConfiguration()
{
    Configuration &config = m_state.configuration;
    if (!readConfigurationFile(ConfigFileName, config)) {
        showMessage(QStringLiteral("Configuration missing - using Default"));
        ShapeStatus->setFillColor(Red);
        return;
    }
    m_state.DataFileName = config.dataFile;
    if (config.dataFileRefused) {
        showMessage(QStringLiteral("%1: data file name refused - using %2").arg(ConfigFileName, config.dataFile), 9);
        ShapeStatus->setFillColor(Red);
    }
    const QColor color = colorFromValue(config.fontColor);
    const QList<QWidget *> controls = {EditDate, EditTime, EditPhone, EditName, EditCompany, Memo1, SpinEditSelect};
    for (QWidget *control : controls) {
        QFont font = control->font();
        applyFontSettings(font, config.fontName, config.fontSize, config.fontStyle);
        control->setFont(font);
        QPalette palette = control->palette();
        palette.setColor(QPalette::Text, color);
        control->setPalette(palette);
    }
}

void TMainForm::RewriteDataFileName(const QString &path)
{
    const QString previous = m_state.DataFileName;
    m_state.DataFileName = path;
    switch (rewriteDataFileLine(path, m_state.configuration)) {
    case RewriteResult::Rewritten:
        MainFormCreate();
        break;
    case RewriteResult::ConfigMissing:
        showMessage(QStringLiteral("Configuration missing - using Default"));
        ShapeStatus->setFillColor(Red);
        // Saving goes on in the chosen file, so its record count must be that file's.
        loadRecordCount();
        break;
    case RewriteResult::WriteFailed:
        m_state.DataFileName = previous;
        setIndicator(Red, HintFileOpenError);
        showMessage(HintFileOpenError);
        break;
    }
}

void TMainForm::showMessage(const QString &text, int pointSize)
{
    QFont font = LabelRecordStatus->font();
    font.setPointSize(pointSize);
    LabelRecordStatus->setFont(font);
    LabelRecordStatus->setText(text);
    LabelRecordStatus->show();
}

void TMainForm::setIndicator(const QColor &color, const QString &hint)
{
    ShapeStatus->setFillColor(color);
    if (!hint.isNull())
        ShapeStatus->setToolTip(hint);
}

void TMainForm::setMessageSize(int pointSize)
{
    QFont font = LabelRecordStatus->font();
    font.setPointSize(pointSize);
    LabelRecordStatus->setFont(font);
}

// ---- Record commands -------------------------------------------------------

void TMainForm::SaveCurrent1Click()
{
    saveEntry();
}

bool TMainForm::saveEntry()
{
    const std::pair<QLineEdit *, QString> placeholders[] = {
        {EditPhone, EntryRules::PhonePlaceholder},     {EditName, EntryRules::NamePlaceholder},
        {EditCompany, EntryRules::CompanyPlaceholder}, {EditDate, EntryRules::DatePlaceholder},
        {EditTime, EntryRules::TimePlaceholder},
    };
    for (const auto &[field, placeholder] : placeholders) {
        if (field->text() == placeholder) {
            showMessage(QStringLiteral("Missing Data"));
            setIndicator(Red, QStringLiteral("Save FAILED - Missing Data"));
            m_state.EditMode = false;
            m_entryRefused = true;
            return false;
        }
    }
    if (!logWritable())
        return false;

    CallRecord &record = m_state.buffer;
    const bool editing = m_state.EditMode;
    const qint64 number = editing ? qint64(m_state.SelectedRecord) : qint64(m_state.RecordCount) + 1;
    if (editing)
        entryShown().fillRecord(record, CallEntry::Save::Edit, number);
    else
        entryShown().fillRecord(record, CallEntry::Save::New, number, now().toSecsSinceEpoch());

    const DataFile::WriteResult stored = editing
        ? DataFile::storeEdit(m_state.DataFileName, m_state.SelectedRecord, record)
        : DataFile::storeNew(m_state.DataFileName, record);
    m_state.EditMode = false;
    if (stored != DataFile::WriteResult::Written) {
        showSaveRefused(stored);
        return false;
    }
    if (!editing)
        m_state.RecordCount = int(number);
    rememberCaller(record);
    setIndicator(Lime, HintRecordStatusOk);
    ClearCurrent1Click();
    return true;
}

void TMainForm::ClearCurrent1Click()
{
    m_state.EditMode = false;
    // A compromised record stays locked only while it is shown.
    m_state.EditLocked = false;
    m_entryRefused = false;
    RadioIn->setChecked(true);
    RadioIn->setFocus(Qt::OtherFocusReason);
    EditDate->setText(EntryRules::DatePlaceholder);
    EditTime->setText(EntryRules::TimePlaceholder);
    EditPhone->setText(EntryRules::PhonePlaceholder);
    EditName->setText(EntryRules::NamePlaceholder);
    EditCompany->setText(EntryRules::CompanyPlaceholder);
    Memo1->clear();
    ShapeStatus->setFillColor(Lime);
    setMessageSize(12);
    if (!EntryError)
        ShapeStatus->setToolTip(HintRecordStatusOk);
    PrintCurrent->setEnabled(PrintCurrentAllowed);
    setEntryReadOnly(false);
    LabelRecordStatus->setText(QStringLiteral(" "));
    LabelRecordStatus->hide();
}

void TMainForm::Read1Click()
{
    SpinEditSelect->setMaximum(qMax(m_state.RecordCount, 0));
    RecNumbLabel->setText(QString::number(m_state.RecordCount));
    if (m_state.RecordCount > 0) {
        SpinEditSelect->setMinimum(1);
        SpinEditSelect->setValue(1);
    } else {
        SpinEditSelect->setMinimum(0);
        SpinEditSelect->setValue(0);
    }
    PrintCurrent->setEnabled(true);
    PrintCurrentAllowed = true;
    placeSelectPanel();
    Panel2->show();
    Panel2->raise();
    ClearCurrent1Click();
    SpinEditSelect->setFocus(Qt::OtherFocusReason);
    SpinEditSelect->selectAll();
}

void TMainForm::ButtonSelectClick()
{
    SpinEditSelect->interpretText();
    m_state.SelectedRecord = SpinEditSelect->value();
    const DataFile::ReadResult read =
        DataFile::readRecord(m_state.DataFileName, m_state.SelectedRecord, m_state.buffer);
    if (read == DataFile::ReadResult::NoSuchRecord) {
        showMessage(QStringLiteral("No record %1 in the log").arg(m_state.SelectedRecord), 9);
        ShapeStatus->setFillColor(Red);
    } else if (read != DataFile::ReadResult::Ok) {
        showMessage(QStringLiteral("No file found - Save a record first"), 9);
        ShapeStatus->setFillColor(Red);
    } else {
        showRecord();
        m_state.checkBuffer();
    }

    switch (statusOf(m_state.buffer)) {
    case RecordStatus::Edited:
        ShapeStatus->setFillColor(Yellow);
        showMessage(QStringLiteral("Edited Entry"));
        break;
    case RecordStatus::Compromised:
        ShapeStatus->setFillColor(Red);
        showMessage(QStringLiteral("Entry Integrity Compromised"));
        break;
    case RecordStatus::Original:
        ShapeStatus->setFillColor(Lime);
        break;
    case RecordStatus::Unsaved:
    case RecordStatus::Unknown:
        break;
    }
    hideSelectPanel();
}

CallEntry TMainForm::entryShown() const
{
    CallEntry entry;
    if (RadioIn->isChecked())
        entry.type = CallType::In;
    else if (RadioOut->isChecked())
        entry.type = CallType::Out;
    else if (RadioMsg->isChecked())
        entry.type = CallType::Message;
    entry.date = EditDate->text();
    entry.time = EditTime->text();
    entry.phone = EditPhone->text();
    entry.name = EditName->text();
    entry.company = EditCompany->text();
    entry.notes = notesAsTyped();
    return entry;
}

void TMainForm::showRecord()
{
    const CallEntry entry = CallEntry::fromRecord(m_state.buffer);
    if (entry.type == CallType::In)
        RadioIn->setChecked(true);
    else if (entry.type == CallType::Out)
        RadioOut->setChecked(true);
    else
        RadioMsg->setChecked(true);
    EditDate->setText(entry.date);
    EditTime->setText(entry.time);
    EditPhone->setText(entry.phone);
    EditName->setText(entry.name);
    EditCompany->setText(entry.company);
    // A stored note is shown exactly as it is, even one another program gave a "¬".
    m_showingRecord = true;
    Memo1->setPlainText(entry.notes);
    m_showingRecord = false;
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
    const bool started = runConfigurationManager();
    MainFormCreate();
    if (!started) {
        setIndicator(Red);
        showMessage(QStringLiteral("Configuration Manager could not be started"));
    }
}

void TMainForm::Open1Click()
{
    const QString path = chooseDataFile();
    if (path.isEmpty())
        return;
    RewriteDataFileName(path);
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::placeSelectPanel()
{
    Panel2->adjustSize();
    const QWidget *area = centralWidget();
    Panel2->move(qMax(0, (area->width() - Panel2->width()) / 2), qMax(0, (area->height() - Panel2->height()) / 2));
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

// ---- Notes and text fields -------------------------------------------------

void TMainForm::limitNotes(int position, int, int charsAdded)
{
    if (charsAdded <= 0 || m_showingRecord)
        return;
    QTextDocument *document = Memo1->document();
    int end = qMin(position + charsAdded, document->characterCount() - 1);
    // Pasted text: the field separator cannot be part of a note. Each removal
    // comes back here with nothing added.
    for (int at = end - 1; at >= position; --at) {
        if (document->characterAt(at) != QChar(FieldSeparator))
            continue;
        QTextCursor cut(document);
        cut.setPosition(at);
        cut.setPosition(at + 1, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
        --end;
    }
    const int excess = document->characterCount() - 1 - CallRecord::capacity(CallRecord::Notes);
    if (excess > 0) {
        QTextCursor cut(document);
        cut.setPosition(qMax(position, end - excess));
        cut.setPosition(end, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }
}

void TMainForm::dropFieldSeparators(QLineEdit *field)
{
    QString text = field->text();
    if (!text.contains(QChar(FieldSeparator)))
        return;
    const int cursor = field->cursorPosition();
    const int before = int(text.left(cursor).count(QChar(FieldSeparator)));
    text.remove(QChar(FieldSeparator));
    field->setText(text);
    field->setCursorPosition(cursor - before);
}

void TMainForm::setEntryReadOnly(bool readOnly)
{
    for (QLineEdit *field : {EditDate, EditTime, EditPhone, EditName, EditCompany})
        field->setReadOnly(readOnly);
    Memo1->setReadOnly(readOnly);
}

// ---- Focus and keys --------------------------------------------------------

void TMainForm::connectRules()
{
    // Rules run only when the focus moves between two controls of this window;
    // a menu, a dialog, another window or losing activation runs none. The
    // menu bar holds the focus only while a menu is worked from the keyboard;
    // for the rules the focus stays in the control it came from.
    m_focusRules = std::make_unique<FocusRules>(this, FocusRules::Moves::BetweenControls);
    m_focusRules->passThrough(menuBar());
    m_focusRules->add(
        RadioGroup1, [this] { RadioGroup1Enter(); }, [this] { RadioGroup1Exit(); });
    m_focusRules->addHolding(
        EditDate, [this] { EditDateEnter(); }, [this] { return EditDateExit(); });
    m_focusRules->add(
        EditTime, [this] { EditTimeEnter(); }, [this] { EditTimeExit(); });
    m_focusRules->add(
        EditPhone, [this] { EditPhoneEnter(); }, [this] { EditPhoneExit(); });
    m_focusRules->add(
        EditName, [this] { EditNameEnter(); }, [this] { EditNameExit(); });
    m_focusRules->add(
        EditCompany, [this] { EditCompanyEnter(); }, [this] { EditCompanyExit(); });
    m_focusRules->add(
        Memo1, [this] { Memo1Enter(); }, [this] { Memo1Exit(); });
    // Controls without rules; the spin edit's text is part of it.
    m_focusRules->add(SpinEditSelect);
    m_focusRules->add(ButtonSelect);
    m_focusRules->add(Button1Cancel);

    auto *keys = new TypedKeyFilter(this);
    auto accepts = [](bool (*accepted)(QChar)) {
        return [accepted](QChar &key) {
            if (!accepted(key))
                key = QChar();
        };
    };
    keys->add(EditDate, accepts(&EntryRules::dateKeyAccepted));
    keys->add(EditTime, accepts(&EntryRules::timeKeyAccepted));
    keys->add(EditPhone, [this](QChar &key) {
        if (!EntryRules::phoneKeyAccepted(key, m_state.configuration.phoneSeparator))
            key = QChar();
    });
    keys->add(EditName, accepts(&EntryRules::textKeyAccepted));
    keys->add(EditCompany, accepts(&EntryRules::textKeyAccepted));
    keys->add(Memo1, [this](QChar &key) { Memo1KeyPress(key); });
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = qobject_cast<QWidget *>(watched);
    if (!control)
        return QMainWindow::eventFilter(watched, event);
    if (control == Panel1) {
        // A new message, a hidden one or a new width may move the message bar.
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize)
            requestMessagePlacement();
        return QMainWindow::eventFilter(watched, event);
    }

    if (event->type() == QEvent::ShortcutOverride) {
        // The menu's shortcuts win over a field's own editing keys (Ctrl+C clears).
        auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *item :
             {Print1, Exit1, ClearCurrent1, SaveCurrent1, PrintCurrent, Read1, Review1, Manual1}) {
            if (item->isEnabled() && item->shortcut() == pressed)
                return true;
        }
        return QMainWindow::eventFilter(watched, event);
    }

    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);

    if (control == SpinEditSelect && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        SpinEditSelectKeyDown();
        return true;
    }
    return false;
}
