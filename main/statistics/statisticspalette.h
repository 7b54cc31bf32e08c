#ifndef STATISTICSPALETTE_H
#define STATISTICSPALETTE_H

#include "callstatistics.h"

#include <QColor>

// The charts' colours, from the Okabe-Ito palette, whose colours stay apart
// for readers with any common colour blindness. A call type has the same
// colour in every chart; what is not a type takes a colour no type has.
namespace StatisticsPalette {

inline QColor typeColour(int type)
{
    switch (type) {
    case CallStatistics::In:
        return QColor(0x00, 0x72, 0xB2); // blue
    case CallStatistics::Out:
        return QColor(0xE6, 0x9F, 0x00); // orange
    case CallStatistics::Msg:
        return QColor(0x00, 0x9E, 0x73); // bluish green
    default:
        return QColor(0x99, 0x99, 0x99); // grey
    }
}

inline QColor rankColour()
{
    return QColor(0xCC, 0x79, 0xA7); // reddish purple
}

inline QColor openColour()
{
    return QColor(0x56, 0xB4, 0xE9); // sky blue
}

inline QColor overdueColour()
{
    return QColor(0xD5, 0x5E, 0x00); // vermillion
}

// The heat map's cells: from near white to dark blue, told apart by their
// lightness alone, which every reader sees. `share` runs from 0 to 1.
inline QColor heatColour(double share)
{
    const QColor light(0xF7, 0xFB, 0xFF);
    const QColor dark(0x08, 0x30, 0x6B);
    const auto mix = [share](int a, int b) { return int(a + (b - a) * share + 0.5); };
    return QColor(mix(light.red(), dark.red()), mix(light.green(), dark.green()), mix(light.blue(), dark.blue()));
}

} // namespace StatisticsPalette

#endif // STATISTICSPALETTE_H
