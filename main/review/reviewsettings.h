#ifndef REVIEWSETTINGS_H
#define REVIEWSETTINGS_H

#include "recordtablemodel.h"
#include "reviewfilterbar.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <optional>

// What the review window keeps for the user from one opening to the next:
// its size and place, the widths the user dragged, the order and the
// filters. Kept with the user's settings of the program (QSettings, under
// the organisation and application names the program gives itself); a
// program that gave itself no organisation name keeps nothing.
struct ReviewSettings
{
    static constexpr int FollowsRule = -1;
    // A column dragged narrower than this, all but hidden, is not kept: the
    // next opening shows it by the rule again, so that no column is lost.
    static constexpr int NarrowestKept = 8;
    static constexpr int WidestKept = 10000;

    std::optional<QSize> size; // the client area
    std::optional<QPoint> position; // the frame's top left corner
    // Width of each column the user dragged; FollowsRule for the others.
    std::array<int, RecordTableModel::ColumnCount> draggedWidths;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
    ReviewChoices choices;

    ReviewSettings();

    static bool available();
    // What was kept; the first time, nothing.
    static ReviewSettings load();
    void save() const;

    // Whether a window with the frame `frame` can be seen and taken hold of
    // on one of the screens' available areas `areas`: at least MinimumReach
    // of it lies on one of them.
    static bool reachable(const QRect &frame, const QList<QRect> &areas);
    static constexpr QSize MinimumReach{100, 40};
};

#endif // REVIEWSETTINGS_H
