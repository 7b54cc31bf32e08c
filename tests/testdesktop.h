#ifndef TESTDESKTOP_H
#define TESTDESKTOP_H

#include "desktop.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

#include <functional>

// The desktop a test sits at: the clock fixed at 7 March 2026, 3:25:40 PM,
// no printer, files chosen from `nextFile`, programs and documents recorded
// instead of started. A modal window is shown and handed to the installed
// ModalAnswerer; with none, it is closed as Escape closes it.
class TestDesktop : public Desktop
{
public:
    static QDateTime fixedNow() { return QDateTime(QDate(2026, 3, 7), QTime(15, 25, 40), Qt::UTC); }

    QString nextFile; // what the person picks in a file dialog ("" cancels)
    QList<Desktop::FileChoice> fileChoices; // every file dialog shown
    QList<QStringList> programsRun; // program and arguments of every start
    std::function<bool()> programRuns = [] { return true; }; // false: it could not be started
    QList<QUrl> documentsOpened;
    bool documentOpens = true;
    QStringList dialogsSeen; // class of every modal window shown
    QStringList messagesShown; // the text of every message box shown
    std::function<bool(QDialog *)> answerDialog; // set by ModalAnswerer

    TestDesktop()
    {
        now = &TestDesktop::fixedNow;
        defaultPrinter = [] { return QString(); };
        chooseFile = [this](QWidget *, const FileChoice &choice) {
            fileChoices.append(choice);
            return nextFile;
        };
        runProgram = [this](const QString &program, const QStringList &arguments) {
            programsRun.append(QStringList(program) + arguments);
            return programRuns();
        };
        openDocument = [this](const QUrl &url) {
            documentsOpened.append(url);
            return documentOpens;
        };
        runDialog = [this](QDialog &dialog) { return answer(dialog); };
    }

private:
    int answer(QDialog &dialog)
    {
        dialogsSeen.append(QString::fromLatin1(dialog.metaObject()->className()));
        if (const auto *box = qobject_cast<QMessageBox *>(&dialog))
            messagesShown.append(box->text());
        dialog.setResult(0);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        // A copy: an answer may open a window that replaces the answerer.
        const std::function<bool(QDialog *)> act = answerDialog;
        const bool answered = act && act(&dialog);
        QCoreApplication::processEvents();
        if (!answered || dialog.isVisible())
            dialog.reject();
        return dialog.result();
    }
};

// Answers every modal window that opens on `desktop` while it lives, the way
// a person would close it: `answer` decides (it returns false to fall back to
// a reject); a window the answer leaves open is rejected. The class of every
// window seen is kept in `seen`.
class ModalAnswerer
{
public:
    std::function<bool(QDialog *)> answer;
    QStringList seen;

    explicit ModalAnswerer(TestDesktop &desktop)
        : m_desktop(desktop)
        , m_before(desktop.answerDialog)
    {
        desktop.answerDialog = [this](QDialog *dialog) {
            seen.append(QString::fromLatin1(dialog->metaObject()->className()));
            return answer && answer(dialog);
        };
    }

    // Hands every window to `act`, which closes it.
    ModalAnswerer(TestDesktop &desktop, std::function<void(QDialog *)> act)
        : ModalAnswerer(desktop)
    {
        answer = [act = std::move(act)](QDialog *dialog) {
            act(dialog);
            return true;
        };
    }

    ~ModalAnswerer() { m_desktop.answerDialog = m_before; }

    ModalAnswerer(const ModalAnswerer &) = delete;
    ModalAnswerer &operator=(const ModalAnswerer &) = delete;

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
    TestDesktop &m_desktop;
    std::function<bool(QDialog *)> m_before;
};

#endif // TESTDESKTOP_H
