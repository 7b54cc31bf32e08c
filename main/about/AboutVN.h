#ifndef ABOUTVN_H
#define ABOUTVN_H

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// About > About: what the program does and its version.
class TAbout2 : public QDialog
{
    Q_OBJECT

public:
    explicit TAbout2(QWidget *parent = nullptr);

    QPlainTextEdit *Memo1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Button1 = nullptr;

private:
    void Button1Click();
};

#endif // ABOUTVN_H
