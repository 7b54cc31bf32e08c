#include "focusrules.h"

#include <QApplication>
#include <QWidget>

FocusRules::FocusRules(QWidget *window, Moves moves)
    : m_window(window)
    , m_moves(moves)
{
    // Not a child of the window: the window ends this object before its
    // controls go, whose going moves the focus.
    connect(qApp, &QApplication::focusChanged, this, &FocusRules::onFocusChanged);
}

void FocusRules::add(QWidget *control, std::function<void()> enter, std::function<void()> exit)
{
    std::function<bool()> leave;
    if (exit) {
        leave = [exit = std::move(exit)] {
            exit();
            return true;
        };
    }
    addHolding(control, std::move(enter), std::move(leave));
}

void FocusRules::addHolding(QWidget *control, std::function<void()> enter, std::function<bool()> exit)
{
    m_rules.insert(control, Rules{std::move(enter), std::move(exit)});
}

void FocusRules::passThrough(QWidget *widget)
{
    m_passThrough.insert(widget);
}

void FocusRules::moveQuietly(QWidget *widget)
{
    const bool wasQuiet = m_quiet;
    m_quiet = true;
    widget->setFocus(Qt::OtherFocusReason);
    m_quiet = wasQuiet;
}

QWidget *FocusRules::controlOf(QWidget *widget) const
{
    if (!widget || widget->window() != m_window)
        return nullptr;
    for (QWidget *w = widget; w && w != m_window; w = w->parentWidget()) {
        if (m_rules.contains(w))
            return w;
    }
    return widget;
}

void FocusRules::onFocusChanged(QWidget *, QWidget *now)
{
    QWidget *to = controlOf(now);
    if (m_quiet) {
        if (to)
            m_current = to;
        return;
    }
    if (m_passThrough.contains(now))
        return;
    if (!to) {
        if (m_moves == Moves::BetweenControls)
            m_current = nullptr;
        return;
    }
    QWidget *from = m_current;
    m_current = to;
    if (from == to || (!from && m_moves == Moves::BetweenControls))
        return;

    if (from) {
        const Rules rules = m_rules.value(from);
        if (rules.exit && !rules.exit()) {
            m_current = from;
            moveQuietly(from);
            return;
        }
    }
    // An exit rule may have moved the focus on by itself (Save, Clear).
    if (controlOf(QApplication::focusWidget()) != to)
        return;
    const Rules rules = m_rules.value(to);
    if (rules.enter)
        rules.enter();
}
