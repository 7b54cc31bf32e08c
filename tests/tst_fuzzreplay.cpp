// Replays saved fuzz inputs (the inputs that once broke a check, and the seed
// corpora) through the same checks the fuzz targets run. No fuzzing here.
#include "fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <stdexcept>

class TestFuzzReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void replay_data();
    void replay();
};

namespace {

[[noreturn]] void throwBroken(const char *what)
{
    throw std::runtime_error(what);
}

} // namespace

void TestFuzzReplay::initTestCase()
{
    FuzzTargets::setFailureHandler(throwBroken);
}

void TestFuzzReplay::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");

    const QDir source(QStringLiteral(CALLLOG_SOURCE_DIR));
    int rows = 0;
    for (const QString &target : {QStringLiteral("record"), QStringLiteral("config"), QStringLiteral("rules")}) {
        const QString folders[] = {source.filePath(QStringLiteral("tests/data/fuzz/") + target),
                                   source.filePath(QStringLiteral("fuzz/corpus/") + target)};
        for (const QString &folder : folders) {
            const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
            for (const QFileInfo &file : files) {
                QTest::addRow("%s/%s", qPrintable(target), qPrintable(file.fileName())) << target << file.filePath();
                ++rows;
            }
        }
    }
    QVERIFY2(rows > 0, "no saved fuzz inputs found");
}

void TestFuzzReplay::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    const auto size = std::size_t(bytes.size());

    try {
        if (target == QLatin1String("record"))
            FuzzTargets::recordInput(data, size);
        else if (target == QLatin1String("config"))
            FuzzTargets::configInput(data, size);
        else
            FuzzTargets::rulesInput(data, size);
    } catch (const std::runtime_error &broken) {
        QFAIL(broken.what());
    }
}

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
