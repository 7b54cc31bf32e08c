#include "manualpath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ManualPath()
{
    const QString name = QStringLiteral("VNUM.pdf");
    const QString inWorkingFolder = QDir::currentPath() + QLatin1Char('/') + name;
    if (QFileInfo::exists(inWorkingFolder))
        return inWorkingFolder;
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const QString &candidate :
         {programFolder.filePath(QStringLiteral(CALLLOG_DOC_FROM_BIN "/") + name), programFolder.filePath(name)}) {
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    }
    return inWorkingFolder;
}
