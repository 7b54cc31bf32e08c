#ifndef MANUALPATH_H
#define MANUALPATH_H

#include <QString>

// The user manual: "VNUM.pdf" in the current working directory; where there is
// none, the installed manual (or the one built beside the program).
QString ManualPath();

#endif // MANUALPATH_H
