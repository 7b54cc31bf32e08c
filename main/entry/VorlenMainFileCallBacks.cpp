// The log-entry window's call-backs and the caller's history: Records > Call
// Back, Records > Call-backs, the line under the fields with what the log
// knows of the caller, and the counts of open call-backs. None of it changes
// what the fixed controls show; the message bar hears of it only where it
// shows nothing else.

#include "VorlenMainFile.h"

#include "callbackdialog.h"
#include "callbackswindow.h"
#include "callerhistory.h"
#include "callerline.h"
#include "callsearch.h"
#include "companionstore.h"
#include "desktop.h"
#include "entryrow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

namespace {

// Overdue call-backs become overdue by the clock, not by a command.
constexpr int CountsEveryMs = 60 * 1000;

const QString NoticeEnd = QStringLiteral(" - Records > Call-backs (Ctrl+Shift+B)");

QString overdueNotice(int overdue)
{
    return (overdue == 1 ? QStringLiteral("1 call-back overdue") : QStringLiteral("%1 call-backs overdue").arg(overdue))
        + NoticeEnd;
}

} // namespace

void TMainForm::buildCallBacks()
{
    auto *records = findChild<QMenu *>(QStringLiteral("Records1"));
    const auto key = [](QKeyCombination combination) { return QKeySequence(combination); };
    CallBack1 = addCommand(records, "CallBack1", QStringLiteral("Call &Back\u2026"), key(Qt::CTRL | Qt::Key_B),
                           &TMainForm::CallBack1Click);
    CallBacks1 = addCommand(records, "CallBacks1", QStringLiteral("Call-bac&ks"), key(Qt::CTRL | Qt::SHIFT | Qt::Key_B),
                            &TMainForm::CallBacks1Click);
    ReviewCaller1 = addCommand(records, "ReviewCaller1", QStringLiteral("Calls from This &Number"),
                               key(Qt::CTRL | Qt::SHIFT | Qt::Key_H), &TMainForm::ReviewCaller1Click);

    LineCallerHistory = new CallerLine(Panel1);
    Panel1->addLineUnderFields(LineCallerHistory);
    connect(LineCallerHistory, &CallerLine::shownChanged, this, &TMainForm::fitHeight);
    connect(LineCallerHistory, &CallerLine::reviewAsked, this, &TMainForm::ReviewCaller1Click);
    connect(LineCallerHistory, &CallerLine::callBacksAsked, this, &TMainForm::CallBacks1Click);
    // The history belongs to the number it was found for.
    connect(EditPhone, &QLineEdit::textChanged, LineCallerHistory, [this] { LineCallerHistory->showHistory({}); });

    auto *clock = new QTimer(this);
    clock->setObjectName(QStringLiteral("CallBackClock"));
    connect(clock, &QTimer::timeout, this, &TMainForm::refreshCallBackCounts);
    clock->start(CountsEveryMs);
}

void TMainForm::callBacksOpened()
{
    refreshCallBackCounts();
    if (Panel1->messageShown())
        return;
    const QString problem = m_log.companion().problem();
    if (!problem.isEmpty()) {
        showMessage(problem, 9);
        return;
    }
    if (m_callBacksAnnouncedFor == m_log.path())
        return;
    m_callBacksAnnouncedFor = m_log.path();
    const CallBackCounts counts = m_log.callBackCounts(m_desktop.now());
    if (counts.overdue == 0)
        return;
    showMessage(overdueNotice(counts.overdue), 9);
}

void TMainForm::refreshCallBackCounts()
{
    const CallBackCounts counts = m_log.callBackCounts(m_desktop.now());
    const QString open = QStringLiteral("%1 open, %2 overdue").arg(counts.open).arg(counts.overdue);
    CallBacks1->setText(counts.open > 0 ? QStringLiteral("Call-bac&ks (%1)").arg(open) : QStringLiteral("Call-bac&ks"));
    LineCallerHistory->showCounts(counts.open > 0 ? QStringLiteral("Call-backs: ") + open : QString(),
                                  counts.overdue > 0);
    LineCallerHistory->setAccessibleDescription(QStringLiteral("Call-backs: ") + open);
    // The start-up notice follows the count while it is still shown.
    if (Panel1->messageShown() && LabelRecordStatus->text().endsWith(NoticeEnd)) {
        if (counts.overdue > 0)
            showMessage(overdueNotice(counts.overdue), 9);
        else
            Panel1->hideMessage();
    }
}

void TMainForm::showCallerHistory()
{
    const QString phone = EditPhone->text();
    if (CallSearch::phoneDigits(phone).isEmpty())
        return;
    const CallerHistory history = m_log.callerHistory(phone);
    LineCallerHistory->showHistory(history.isEmpty() ? QString() : history.text(m_desktop.now()));
}

void TMainForm::CallBack1Click()
{
    const std::optional<CallRecord> call = m_log.callOnDisplay();
    if (!call) {
        showMessage(QStringLiteral("No call on display - save or select the call first"), 9);
        return;
    }
    CompanionStore &store = m_log.companion();
    switch (store.state()) {
    case CompanionStore::State::Damaged:
    case CompanionStore::State::ForeignLog:
    case CompanionStore::State::Newer:
    case CompanionStore::State::ReadOnly:
        // Nothing typed would be kept: said before anything is typed.
        showMessage(store.problem(), 9);
        return;
    default:
        break;
    }
    const RecordKey key = RecordKey::of(*call);
    TFormCallBack dialog(*call, store.callBack(key), m_desktop.now(), this);
    const int result = m_desktop.runDialog(dialog);
    if (result == QDialog::Accepted)
        showStatus(m_log.setCallBack(key, dialog.dueAt(), dialog.note()));
    else if (result == TFormCallBack::Removed)
        showStatus(m_log.removeCallBack(key));
    refreshCallBackCounts();
}

void TMainForm::CallBacks1Click()
{
    std::optional<int> chosen;
    {
        TFormCallBackList list(m_log, m_desktop, this);
        m_desktop.runDialog(list);
        chosen = list.chosenRecord();
    }
    refreshCallBackCounts();
    if (!chosen)
        return;
    selectRecord(*chosen);
    PrintCurrent->setEnabled(true);
    PrintCurrentAllowed = true;
}

void TMainForm::ReviewCaller1Click()
{
    const QString phone = EditPhone->text();
    if (CallSearch::phoneDigits(phone).isEmpty()) {
        showMessage(QStringLiteral("No phone number to review - type one first"), 9);
        return;
    }
    reviewShowing(phone);
}
