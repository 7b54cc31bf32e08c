#ifndef REVIEWFILTERBAR_H
#define REVIEWFILTERBAR_H

#include "callsearch.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the user chose in the filter bar, as typed: the form in which it is
// remembered between openings.
struct ReviewChoices
{
    QString search;
    QString type; // "I", "O", "M", or empty for every type
    QString from;
    QString to;
    int status = int(CallSearch::StatusChoice::Any);
    bool openCallBacks = false;

    bool operator==(const ReviewChoices &other) const;
};

// The controls above the review grid: the search box, the type, date and
// status filters, the open call-backs choice, the shown-rows export and the count of rows shown.
// Escape in a box that holds text empties it; Escape anywhere else, and in an
// empty box, is left to the window. Enter in a field asks for the grid.
class ReviewFilterBar : public QWidget
{
    Q_OBJECT

public:
    explicit ReviewFilterBar(QWidget *parent = nullptr);

    QLineEdit *EditSearch = nullptr;
    QComboBox *ComboType = nullptr;
    QLineEdit *EditDateFrom = nullptr;
    QLineEdit *EditDateTo = nullptr;
    QComboBox *ComboStatus = nullptr;
    QCheckBox *CheckOpenCallBacks = nullptr;
    QPushButton *ButtonExportShown = nullptr;
    QPushButton *ButtonStatistics = nullptr;
    QLabel *LabelShown = nullptr;
    QLabel *LabelFilterError = nullptr;

    ReviewChoices choices() const;
    // Puts remembered choices back; a type or status it does not know shows
    // every record, a date it cannot read stays as it was written.
    void setChoices(const ReviewChoices &choices);

    // The filter the fields give. A date that cannot be read, or a range that
    // ends before it begins, hides nothing: the field turns red and says why.
    CallSearch::Filter filter();

    void showCount(int shown, int all);
    // A note under the filters, in red when it reports a failure.
    void showNote(const QString &text, bool failure);

signals:
    void changed();
    void enterPressed();
    void exportClicked();
    void statisticsClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildFields();
    void layOut();
    void markDateFields(bool fromWrong, bool toWrong);
};

#endif // REVIEWFILTERBAR_H
