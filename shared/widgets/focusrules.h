#ifndef FOCUSRULES_H
#define FOCUSRULES_H

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>

class QWidget;

// Runs a window's enter and exit rules as the focus moves between its
// controls (Tab, Shift+Tab, a click, a program's setFocus). A dialog, a menu,
// another window or the window losing activation runs no rule.
class FocusRules : public QObject
{
    Q_OBJECT

public:
    enum class Moves {
        // Only a move from one control of the window straight to another runs
        // rules; coming back from elsewhere runs none.
        BetweenControls,
        // A move counts from the control that last held the focus in the
        // window, wherever the focus was meanwhile; the first control to get
        // the focus runs its enter rule.
        FromLastControl,
    };

    FocusRules(QWidget *window, Moves moves);

    // A control of the window: the focus on any widget inside it (a radio
    // button in its group, a spin box's text) is the focus on the control.
    void add(QWidget *control, std::function<void()> enter = {}, std::function<void()> exit = {});
    // A control whose exit rule may keep the focus in it by returning false;
    // to the user it then looks as if the focus never left.
    void addHolding(QWidget *control, std::function<void()> enter, std::function<bool()> exit);

    // While `widget` (a menu bar worked from the keyboard) has the focus, the
    // focus counts as still in the control it came from.
    void passThrough(QWidget *widget);

    // Gives `widget` the focus without running any rule.
    void moveQuietly(QWidget *widget);

private:
    struct Rules
    {
        std::function<void()> enter;
        std::function<bool()> exit;
    };

    void onFocusChanged(QWidget *old, QWidget *now);
    QWidget *controlOf(QWidget *widget) const;

    QWidget *m_window;
    Moves m_moves;
    QHash<QWidget *, Rules> m_rules;
    QSet<QWidget *> m_passThrough;
    QPointer<QWidget> m_current;
    bool m_quiet = false;
};

#endif // FOCUSRULES_H
