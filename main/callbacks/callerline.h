#ifndef CALLERLINE_H
#define CALLERLINE_H

#include <QWidget>

class QLabel;

// The thin line under the log-entry window's fields: what the log knows of
// the caller whose number was just typed, and at its right how many
// call-backs are open. It takes room only while it has something to say.
// Ctrl+click on the caller's part reviews that caller's calls; on the
// count, lists the call-backs.
class CallerLine : public QWidget
{
    Q_OBJECT

public:
    explicit CallerLine(QWidget *parent = nullptr);

    QLabel *LabelCallerHistory = nullptr;
    QLabel *LabelCallBackCounts = nullptr;

    // An empty text hides that part.
    void showHistory(const QString &text);
    void showCounts(const QString &text, bool overdue);
    QString history() const;
    QString counts() const;

signals:
    void reviewAsked();
    void callBacksAsked();
    // The line came or went.
    void shownChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showWhatIsSaid();
};

#endif // CALLERLINE_H
