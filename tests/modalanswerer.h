#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QApplication>
#include <QDialog>
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

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (m_last == dialog) {
            dialog->reject();
            return;
        }
        m_last = dialog;
        seen.append(QString::fromLatin1(dialog->metaObject()->className()));
        if (!answer || !answer(dialog))
            dialog->reject();
    }

    QTimer m_timer;
    QPointer<QDialog> m_last;
};

#endif // MODALANSWERER_H
