#ifndef CALLBACKSWINDOW_H
#define CALLBACKSWINDOW_H

#include <QDialog>

#include <optional>

struct Desktop;
class CallBackTableModel;
class OpenLog;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

// Records > Call-backs: the open call-backs of the log, oldest due first,
// with the calls they belong to read from the log. Enter or a double click
// shows the call in the log-entry window; Space marks it done, or open again.
class TFormCallBackList : public QDialog
{
    Q_OBJECT

public:
    TFormCallBackList(OpenLog &log, Desktop &desktop, QWidget *parent = nullptr);

    QCheckBox *CheckShowDone = nullptr;
    QLabel *LabelCounts = nullptr;
    QTableView *CallBackGrid = nullptr;
    QLabel *LabelProblem = nullptr;
    QPushButton *ButtonShow = nullptr;
    QPushButton *ButtonDone = nullptr;
    QPushButton *ButtonReopen = nullptr;
    QPushButton *ButtonClose = nullptr;

    CallBackTableModel *model() const { return m_model; }
    // The record to show, once the window has ended with one.
    std::optional<int> chosenRecord() const { return m_chosen; }

    void ButtonShowClick();
    void ButtonDoneClick();
    void ButtonReopenClick();
    // Reads the call-backs again, keeping the line the cursor is on.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    int currentRow() const;
    void changeCurrent(bool done);
    void updateButtons();

    OpenLog &m_log;
    Desktop &m_desktop;
    CallBackTableModel *m_model = nullptr;
    std::optional<int> m_chosen;
};

#endif // CALLBACKSWINDOW_H
