#ifndef WARNING_H
#define WARNING_H

#include <QDialog>

struct Desktop;
class QLineEdit;
class QPushButton;

// Told when the data file cannot be opened for review: "Warning!" and
// "No Data Available" on yellow, closed only by OK.
class TFormWarning : public QDialog
{
    Q_OBJECT

public:
    explicit TFormWarning(QWidget *parent = nullptr);

    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QPushButton *ButtonOK = nullptr;

    // Shows the warning modally over `owner` and releases it when it closes.
    static void showWarning(Desktop &desktop, QWidget *owner);

public slots:
    // Escape and the system close command end the window as OK does.
    void reject() override;

private:
    void ButtonOKClick();
};

#endif // WARNING_H
