#include "opendocument.h"

#include <QDesktopServices>
#include <QDir>

std::function<bool(const QUrl &)> OpenDocument = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

QString ManualPath()
{
    return QDir::currentPath() + QLatin1Char('/') + QStringLiteral("VNUM.pdf");
}
