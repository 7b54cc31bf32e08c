#ifndef CALLLOGAPPLICATION_H
#define CALLLOGAPPLICATION_H

#include <QApplication>

#include <functional>

struct Desktop;

// The application object of both programs: an exception that escapes an event
// handler or the start-up is shown to the user in a message box.
class CallLogApplication : public QApplication
{
    Q_OBJECT

public:
    CallLogApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Runs the program's start-up and event loop; an escaping exception is
    // shown on `desktop` and the program ends with a non-zero exit code.
    static int run(const std::function<int()> &program);
    static int run(const std::function<int()> &program, Desktop &desktop);

    static void showException(const QString &message, Desktop &desktop);
};

#endif // CALLLOGAPPLICATION_H
