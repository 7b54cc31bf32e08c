#ifndef PRINTPREFIEWFORM_H
#define PRINTPREFIEWFORM_H

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The full log report: every record of the data file, re-checked, as a
// tab-aligned text that the user can edit and print.
class TPrintPreviewForm : public QDialog
{
    Q_OBJECT

public:
    explicit TPrintPreviewForm(QWidget *parent = nullptr);

    // Panel1's caption is the window's message line.
    QLabel *Panel1 = nullptr;
    QPushButton *ButtonPrint = nullptr;
    QPushButton *ButtonCancel = nullptr;
    QPlainTextEdit *REditReport = nullptr;

    // Tells the user something before the window closes; tests replace it.
    std::function<void(const QString &)> tellUser;

    const QString &dataFileName() const { return m_dataFileName; }

    void FormCreate();
    // Writes the work file from the data file and loads it into the viewer.
    void FormShow();
    void ButtonPrintClick();
    void ButtonCancelClick();

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void showPanelMessage(const QString &text);

    QString m_dataFileName;
    bool m_shown = false;
};

#endif // PRINTPREFIEWFORM_H
