#ifndef WORKFOLDERFIXTURE_H
#define WORKFOLDERFIXTURE_H

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A fresh temporary working folder, entered while the fixture lives, as the
// programs work in the folder they are started in.
class WorkFolderFixture
{
public:
    WorkFolderFixture()
        : previousDir(QDir::currentPath())
    {
        QDir::setCurrent(dir.path());
    }
    ~WorkFolderFixture() { QDir::setCurrent(previousDir); }
    WorkFolderFixture(const WorkFolderFixture &) = delete;
    WorkFolderFixture &operator=(const WorkFolderFixture &) = delete;

    QString path(const QString &name) const { return dir.filePath(name); }
    QString dataFile() const { return path(QStringLiteral("VNData.dta")); }

    QTemporaryDir dir;
    QString previousDir;
};

#endif // WORKFOLDERFIXTURE_H
