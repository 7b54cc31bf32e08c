#include "callbackswindow.h"

#include "callbacktablemodel.h"
#include "companionstore.h"
#include "desktop.h"
#include "openlog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int MaxColumnWidth = 260;

} // namespace

TFormCallBackList::TFormCallBackList(OpenLog &log, Desktop &desktop, QWidget *parent)
    : QDialog(parent)
    , m_log(log)
    , m_desktop(desktop)
{
    setObjectName(QStringLiteral("FormCallBackList"));
    setWindowTitle(QStringLiteral("Call-backs"));
    build();
    refresh();
    resize(900, 360);
}

void TFormCallBackList::build()
{
    auto named = [](QWidget *widget, const char *name) { widget->setObjectName(QLatin1String(name)); };
    CheckShowDone = new QCheckBox(QStringLiteral("&Show done ones too"), this);
    named(CheckShowDone, "CheckShowDone");
    LabelCounts = new QLabel(this);
    named(LabelCounts, "LabelCounts");

    m_model = new CallBackTableModel(this);
    CallBackGrid = new QTableView(this);
    named(CallBackGrid, "CallBackGrid");
    CallBackGrid->setModel(m_model);
    CallBackGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    CallBackGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    CallBackGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CallBackGrid->setTabKeyNavigation(false);
    CallBackGrid->verticalHeader()->hide();
    CallBackGrid->horizontalHeader()->setStretchLastSection(true);
    CallBackGrid->setWordWrap(false);
    // Column widths from the first lines: a long list is not measured whole.
    CallBackGrid->horizontalHeader()->setResizeContentsPrecision(64);
    CallBackGrid->installEventFilter(this);
    connect(CallBackGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFormCallBackList::updateButtons);

    LabelProblem = new QLabel(this);
    named(LabelProblem, "LabelProblem");
    QPalette red = LabelProblem->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    LabelProblem->setPalette(red);

    auto button = [this, named](QPushButton *&button, const char *name, const QString &text) {
        button = new QPushButton(text, this);
        named(button, name);
        // Enter belongs to the list: it shows the call.
        button->setAutoDefault(false);
    };
    button(ButtonShow, "ButtonShow", QStringLiteral("Show &Call"));
    button(ButtonDone, "ButtonDone", QStringLiteral("&Done"));
    button(ButtonReopen, "ButtonReopen", QStringLiteral("&Reopen"));
    button(ButtonClose, "ButtonClose", QStringLiteral("Close"));
    ButtonShow->setToolTip(QStringLiteral("Show the call in the log-entry window (Enter)"));
    ButtonDone->setToolTip(QStringLiteral("Mark the call-back done (Space or Ctrl+D)"));
    ButtonReopen->setToolTip(QStringLiteral("Open the call-back again (Space)"));

    auto *top = new QHBoxLayout;
    top->addWidget(CheckShowDone);
    top->addStretch(1);
    top->addWidget(LabelCounts);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(LabelProblem, 1);
    for (QPushButton *b : {ButtonShow, ButtonDone, ButtonReopen, ButtonClose})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(CallBackGrid, 1);
    layout->addLayout(buttons);

    connect(CheckShowDone, &QCheckBox::toggled, this, &TFormCallBackList::refresh);
    connect(CallBackGrid, &QTableView::doubleClicked, this, &TFormCallBackList::ButtonShowClick);
    connect(ButtonShow, &QPushButton::clicked, this, &TFormCallBackList::ButtonShowClick);
    connect(ButtonDone, &QPushButton::clicked, this, &TFormCallBackList::ButtonDoneClick);
    connect(ButtonReopen, &QPushButton::clicked, this, &TFormCallBackList::ButtonReopenClick);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormCallBackList::refresh()
{
    const int keep = currentRow();
    const QDateTime now = m_desktop.now();
    CompanionStore &store = m_log.companion();
    m_model->setRows(callBackRows(m_log.path(), store.callBacks(CheckShowDone->isChecked())), now);
    LabelProblem->setText(store.problem());
    const CallBackCounts counts = m_log.callBackCounts(now);
    LabelCounts->setText(QStringLiteral("%1 open: %2 overdue, %3 due later today")
                             .arg(counts.open)
                             .arg(counts.overdue)
                             .arg(m_model->count(CallBackTime::Due::Today)));
    if (m_model->rowCount() > 0) {
        const int row = qBound(0, keep, m_model->rowCount() - 1);
        CallBackGrid->setCurrentIndex(m_model->index(row, 0));
    }
    CallBackGrid->resizeColumnsToContents();
    // A long note shows whole in its tool tip.
    for (int column = 0; column < CallBackTableModel::ColumnCount; ++column)
        CallBackGrid->setColumnWidth(column, qMin(CallBackGrid->columnWidth(column), MaxColumnWidth));
    CallBackGrid->setFocus(Qt::OtherFocusReason);
    updateButtons();
}

int TFormCallBackList::currentRow() const
{
    const QModelIndex current = CallBackGrid->currentIndex();
    return current.isValid() ? current.row() : 0;
}

void TFormCallBackList::updateButtons()
{
    const bool any = m_model->rowCount() > 0;
    const bool done = any && m_model->row(currentRow()).callBack.isDone();
    ButtonShow->setEnabled(any);
    ButtonDone->setEnabled(any && !done);
    ButtonReopen->setEnabled(done);
}

void TFormCallBackList::ButtonShowClick()
{
    if (m_model->rowCount() == 0)
        return;
    const CallBackRow &row = m_model->row(currentRow());
    if (row.call == CallBackRow::Call::Other || row.call == CallBackRow::Call::Missing) {
        LabelProblem->setText(
            QStringLiteral("Record %1 is not the call this call-back was set for").arg(row.callBack.key.number));
        return;
    }
    m_chosen = row.callBack.key.number;
    accept();
}

void TFormCallBackList::changeCurrent(bool done)
{
    if (m_model->rowCount() == 0)
        return;
    const RecordKey key = m_model->row(currentRow()).callBack.key;
    if (done)
        m_log.markCallBackDone(key, m_desktop.now().toSecsSinceEpoch());
    else
        m_log.reopenCallBack(key);
    // The list shows what the store holds now, and why a change was not saved.
    refresh();
}

void TFormCallBackList::ButtonDoneClick()
{
    changeCurrent(true);
}

void TFormCallBackList::ButtonReopenClick()
{
    changeCurrent(false);
}

bool TFormCallBackList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == CallBackGrid && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ButtonShowClick();
            return true;
        }
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            const bool done = m_model->rowCount() > 0 && m_model->row(currentRow()).callBack.isDone();
            changeCurrent(!done);
            return true;
        }
        if (key->key() == Qt::Key_D && key->modifiers() == Qt::ControlModifier) {
            ButtonDoneClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
