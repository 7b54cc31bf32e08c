#ifndef REVIEWFIXTURES_H
#define REVIEWFIXTURES_H

#include "Stringgridreview.h"
#include "recordtablemodel.h"
#include "reviewfiltermodel.h"
#include "testrecords.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

// The record helpers under the short names the review tests use.
using TestRecords::appendEntries;
using TestRecords::Entry;
using TestRecords::patchField;
using TestRecords::statusOnDisk;
using TestRecords::threeEntries;

inline const QString LogFile = QStringLiteral("VNData.dta");

// Four calls to search in: record 2 is altered outside the program (marked
// "X" when the grid reads it), record 4 was edited ("E"), record 5 holds a
// date and a time written by another program.
inline QList<Entry> searchEntries()
{
    QList<Entry> entries = threeEntries;
    Entry diaz{"I", "3/5/2023", "11:45AM", "(555)987-6543", "Carla Díaz", "Café Olé", "asked about the invoice"};
    diaz.status = QStringLiteral("E");
    entries << diaz << Entry{"O", "soon", "noonish", "555-000-1111", "Émile Roy", "bakery", "fresh bread"};
    return entries;
}

inline void openSearchLog(const QString &path)
{
    appendEntries(path, searchEntries());
    patchField(path, 2, CallRecord::Notes, QStringLiteral("Wished a happy new year"));
}

// Record numbers of the grid's lines, top to bottom.
inline QList<int> shownRecords(const TFormRecordReview &review)
{
    QList<int> numbers;
    for (int row = 0; row < review.model()->rowCount(); ++row)
        numbers << review.model()->text(row, 0).toInt();
    return numbers;
}

// Types `text` key by key; letters that have no key of their own arrive as a
// keyboard layout or input method would put them in.
inline void typeInto(QLineEdit *field, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClicks(field, QString(c));
        else
            field->insert(QString(c));
    }
}

inline void clickHeading(TFormRecordReview &review, int column)
{
    QHeaderView *header = review.DataGrid->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}


#endif // REVIEWFIXTURES_H
