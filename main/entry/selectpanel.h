#ifndef SELECTPANEL_H
#define SELECTPANEL_H

#include <QFrame>

class QLabel;
class QPushButton;
class QSpinBox;

// The select panel (Panel2) of the log-entry window: a record number to
// choose, Select and Cancel, and the last record there is. It lies over the
// middle of the entry row while it is shown.
class SelectPanel : public QFrame
{
    Q_OBJECT

public:
    explicit SelectPanel(QWidget *parent);

    QPushButton *ButtonSelect = nullptr;
    QSpinBox *SpinEditSelect = nullptr;
    QPushButton *Button1Cancel = nullptr;
    QLabel *LabelSelect1 = nullptr;
    QLabel *LabelSelect2 = nullptr;
    QLabel *RecNoteLabel = nullptr;
    QLabel *RecNumbLabel = nullptr;

    // The last record there is: the spin edit's upper bound and the label.
    void showRecordCount(int recordCount);
    // Bounds 1 to the count and value 1, or 0 and 0 for an empty log; the
    // bounds are set before the value, so that it is not pulled into stale ones.
    void startAtFirst(int recordCount);
    // The number chosen, with what was typed taken in.
    int chosen();
    // Shown in the middle of `area`, above the fields.
    void showOver(const QWidget *area);

signals:
    // Enter in the spin edit.
    void selectKeyPressed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif // SELECTPANEL_H
