#ifndef ABOUT1_H
#define ABOUT1_H

#include <QDialog>

class QLabel;
class QTextEdit;

// The splash window, on screen while the program starts.
class TFormAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TFormAbout(QWidget *parent = nullptr);

    QLabel *Image2 = nullptr;
    QLabel *Label2 = nullptr;
    QTextEdit *RichEdit1 = nullptr;
    QLabel *Label1 = nullptr;
};

#endif // ABOUT1_H
