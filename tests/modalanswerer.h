#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

// Answers every modal window that opens while it lives, the way a person
// would close it: `answer` decides (it returns false to fall back to a
// reject); a window that is still open at its second sighting is rejected.
// The class of every window seen is kept in `seen`.
class ModalAnswerer
{
public:
    std::function<bool(QDialog *)> answer;
    QStringList seen;

    ModalAnswerer()
    {
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    // Hands every window to `act`, which closes it.
    explicit ModalAnswerer(std::function<void(QDialog *)> act)
        : ModalAnswerer()
    {
        answer = [act = std::move(act)](QDialog *dialog) {
            act(dialog);
            return true;
        };
    }

    // Hands only windows of class `Window` to `act`; any other is rejected.
    template <typename Window>
    static std::function<bool(QDialog *)> only(std::function<void(Window *)> act)
    {
        return [act = std::move(act)](QDialog *dialog) {
            auto *window = qobject_cast<Window *>(dialog);
            if (!window)
                return false;
            act(window);
            return true;
        };
    }

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || m_answering.contains(dialog))
            return;
        if (m_last == dialog) {
            dialog->reject();
            return;
        }
        m_last = dialog;
        seen.append(QString::fromLatin1(dialog->metaObject()->className()));
        // A timer does not fire again while its own handler runs; started
        // anew, it also answers a window that this answer opens (a message
        // after Print).
        m_timer.start();
        m_answering.append(dialog);
        const bool answered = answer && answer(dialog);
        m_answering.removeOne(dialog);
        if (!answered)
            dialog->reject();
    }

    QTimer m_timer;
    QPointer<QDialog> m_last;
    QList<QDialog *> m_answering;
};

#endif // MODALANSWERER_H
