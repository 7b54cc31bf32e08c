#ifndef PRINT1REC_H
#define PRINT1REC_H

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The single record report: the record whose number the opener puts into
// PanelRec, checked but never changed on disk, as a labelled page.
// Result 1 after printing, 2 after Cancel or a close through the frame.
class TForm1 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);

    enum Result { Printed = 1, Cancelled = 2 };

    QLabel *Panel1 = nullptr;
    QPushButton *ButtonPrint = nullptr;
    QPushButton *ButtonCancel = nullptr;
    QLabel *PanelRec = nullptr;
    QPlainTextEdit *RecordPreview = nullptr;

    // Tells the user something before the window closes; tests replace it.
    std::function<void(const QString &)> tellUser;

    const QString &dataFileName() const { return m_dataFileName; }

    void FormCreate();
    // Reads the record named by PanelRec, writes the work file and loads it.
    void FormShow();
    void ButtonPrintClick();
    void ButtonCancelClick();

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();

    QString m_dataFileName;
    bool m_shown = false;
};

#endif // PRINT1REC_H
