#ifndef VNCONFIGAPPLICATION_H
#define VNCONFIGAPPLICATION_H

#include <QApplication>

// The application object of the configuration manager. An exception that
// escapes an event handler is shown to the user and ends the program.
class VNConfigApplication : public QApplication
{
    Q_OBJECT

public:
    VNConfigApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The standard display of an exception: its message in an error box.
    static void showException(const QString &message);
};

#endif // VNCONFIGAPPLICATION_H
