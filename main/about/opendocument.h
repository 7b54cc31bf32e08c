#ifndef OPENDOCUMENT_H
#define OPENDOCUMENT_H

#include <QString>
#include <QUrl>

#include <functional>

// The desktop's service that opens a document with the application the user
// has for its type. Tests put their own function here.
extern std::function<bool(const QUrl &)> OpenDocument;

// The user manual: "VNUM.pdf" in the current working directory; where there is
// none, the installed manual (or the one built beside the program).
QString ManualPath();

#endif // OPENDOCUMENT_H
