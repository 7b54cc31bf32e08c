#include "workfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using WorkFolder::Action;

// The working folder and the command line of both programs: the rules, and the
// real programs started as a terminal or the desktop menu would.
class TestWorkFolder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void parse_data();
    void parse();
    void choose_data();
    void choose();
    void prepare_data();
    void prepare();
    void programs_data();
    void programs();
    void menuStartWorksInTheUserFolder_data();
    void menuStartWorksInTheUserFolder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QProcessEnvironment withoutDisplay() const;
};

void TestWorkFolder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
}

QProcessEnvironment TestWorkFolder::withoutDisplay() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    return environment;
}

void TestWorkFolder::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("userFolder");

    const int run = int(Action::Run), refused = int(Action::UsageError);
    QTest::newRow("nothing") << QStringList() << run << QString() << false;
    QTest::newRow("--folder DIR") << QStringList{"--folder", "log"} << run << "log" << false;
    QTest::newRow("--folder=DIR") << QStringList{"--folder=/x y"} << run << "/x y" << false;
    QTest::newRow("--user-folder") << QStringList{"--user-folder"} << run << QString() << true;
    QTest::newRow("--help wins") << QStringList{"--bogus", "--help"} << refused << QString() << false;
    QTest::newRow("-h") << QStringList{"-h"} << int(Action::Help) << QString() << false;
    QTest::newRow("--version") << QStringList{"--folder", "a", "--version"} << int(Action::Version) << QString()
                               << false;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << refused << QString() << false;
    QTest::newRow("Qt's own option") << QStringList{"-platform", "xcb"} << refused << QString() << false;
    QTest::newRow("argument") << QStringList{"VNData.dta"} << refused << QString() << false;
    QTest::newRow("--folder without DIR") << QStringList{"--folder"} << refused << QString() << false;
    QTest::newRow("--folder empty") << QStringList{"--folder="} << refused << QString() << false;
    QTest::newRow("--folder twice") << QStringList{"--folder", "a", "--folder", "b"} << refused << QString() << false;
    QTest::newRow("both folders") << QStringList{"--user-folder", "--folder", "a"} << refused << QString() << false;
}

void TestWorkFolder::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, folder);
    QFETCH(bool, userFolder);
    const WorkFolder::CommandLine line = WorkFolder::parse(arguments);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.error.isEmpty(), action != int(Action::UsageError));
    if (line.action == Action::Run) {
        QCOMPARE(line.folder, folder);
        QCOMPARE(line.userFolder, userFolder);
    }
}

void TestWorkFolder::choose_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("current"); // "~" the home folder
    QTest::addColumn<QString>("expected"); // "user" the per-user folder

    QTest::newRow("terminal: current folder") << QStringList() << "/tmp" << "/tmp";
    QTest::newRow("relative --folder") << QStringList{"--folder", "a/../log"} << "/tmp" << "/tmp/log";
    QTest::newRow("absolute --folder") << QStringList{"--folder", "/var/x"} << "/tmp" << "/var/x";
    QTest::newRow("--user-folder") << QStringList{"--user-folder"} << "/tmp" << "user";
    QTest::newRow("root folder, as a launcher starts it") << QStringList() << "/" << "user";
    QTest::newRow("home folder, never used itself") << QStringList() << "~" << "user";
    QTest::newRow("--folder in the home folder") << QStringList{"--folder", "calls"} << "~" << "~/calls";
}

void TestWorkFolder::choose()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, current);
    QFETCH(QString, expected);
    current.replace(QLatin1Char('~'), QDir::homePath());
    expected.replace(QLatin1Char('~'), QDir::homePath());
    if (expected == QLatin1String("user"))
        expected = path(QStringLiteral("data/CallLog"));
    QCOMPARE(WorkFolder::userFolder(), path(QStringLiteral("data/CallLog")));
    QCOMPARE(WorkFolder::choose(WorkFolder::parse(arguments), current), expected);
}

void TestWorkFolder::prepare_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("refusal"); // part of the reason; empty: usable
    QTest::addColumn<bool>("created");
    QTest::addColumn<bool>("readingOnly");

    QTest::newRow("existing folder") << "existing" << QString() << false << false;
    QTest::newRow("missing folder") << "new" << QString() << true << false;
    QTest::newRow("missing parents too") << "a/b/c" << QString() << true << false;
    QTest::newRow("a file") << "file" << "is a file, not a folder" << false << false;
    QTest::newRow("below a file") << "file/sub" << "is a file, not a folder" << false << false;
    QTest::newRow("not writable") << "/proc" << "cannot be written" << false << false;
    QTest::newRow("not writable, only read") << "/proc" << QString() << false << true;
    QTest::newRow("cannot be created") << "/proc/calllog" << "cannot be created" << false << false;
    QTest::newRow("cannot be created, only read") << "/proc/calllog" << "cannot be created" << false << true;
}

void TestWorkFolder::prepare()
{
    QFETCH(QString, folder);
    QFETCH(QString, refusal);
    QFETCH(bool, created);
    QFETCH(bool, readingOnly);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("existing")));
    QVERIFY(QFile::setPermissions(path(QStringLiteral("existing")), QFile::ReadOwner | QFile::WriteOwner
                                      | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup));
    QFile file(path(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString target = QDir::isAbsolutePath(folder) ? folder : path(folder);
    const QStringList before = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    // Even a umask that takes the owner's rights leaves the new folder usable and private.
    const mode_t mask = ::umask(0277);
    const QString why =
        WorkFolder::prepare(target, readingOnly ? WorkFolder::Needs::Reading : WorkFolder::Needs::Writing);
    ::umask(mask);

    if (refusal.isEmpty()) {
        QCOMPARE(why, QString());
        if (readingOnly)
            return; // a folder of the system's, left as it is
    } else {
        QVERIFY2(why.contains(refusal), qPrintable(why));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        return;
    }
    QVERIFY(QFileInfo(target).isDir());
    struct stat status;
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &status), 0);
    // A folder we made is the owner's only; one that was there keeps its mode.
    QCOMPARE(int(status.st_mode & 0777), created ? 0700 : 0750);
    // The writing check leaves nothing behind.
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void TestWorkFolder::programs_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("platform"); // empty: no display at all

    for (const QString &program : {QStringLiteral("Vorlen3"), QStringLiteral("VNConfig")}) {
        const QByteArray p = program.toLatin1();
        QTest::addRow("%s --help", p.constData())
            << program << QStringList{"--help"} << 0 << "Usage: " + program + " [--folder DIR | --user-folder]"
            << QString() << QString();
        QTest::addRow("%s --version", p.constData())
            << program << QStringList{"--version"} << 0 << program + " 3.0.0\n" << QString() << QString();
        QTest::addRow("%s unknown option", p.constData())
            << program << QStringList{"--bogus"} << 2 << QString() << program + ": unknown option --bogus\nUsage: "
            << QString();
        // No display: one line, and nothing created, not even the folder asked for.
        QTest::addRow("%s without a display", p.constData())
            << program << QStringList{"--folder", "new"} << 1 << QString()
            << program + ": there is no display to show its windows on" << QString();
        QTest::addRow("%s --folder naming a file", p.constData())
            << program << QStringList{"--folder", "file"} << 1 << QString() << "file is a file, not a folder"
            << "offscreen";
        QTest::addRow("%s --folder that cannot be created", p.constData())
            << program << QStringList{"--folder", "/proc/calllog"} << 1 << QString() << "/proc/calllog cannot be created"
            << "offscreen";
    }
    // The log-entry window looks at a log on read-only media; the
    // configuration manager has nothing to do where it cannot write.
    QTest::newRow("VNConfig --folder not writable")
        << "VNConfig" << QStringList{"--folder", "/proc"} << 1 << QString() << "/proc cannot be written" << "offscreen";
}

// Run as from a terminal without a display: the outcome is on the standard
// streams and in the exit code, and nothing is written.
void TestWorkFolder::programs()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, platform);
    QFile file(path(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QProcess process;
    QProcessEnvironment environment = withoutDisplay();
    if (!platform.isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    process.start(QDir(qEnvironmentVariable("CALLLOG_BIN_DIR")).filePath(program), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("file")});
}

void TestWorkFolder::menuStartWorksInTheUserFolder_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("Vorlen3") << "Vorlen3";
    QTest::newRow("VNConfig") << "VNConfig";
}

// As the menu entry starts it: its Exec line, in the root folder. The program
// creates the per-user folder at start-up and works there, and leaves the
// home folder alone.
void TestWorkFolder::menuStartWorksInTheUserFolder()
{
    QFETCH(QString, program);
    const QString home = path(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    QProcessEnvironment environment = withoutDisplay();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QDir::rootPath());
    process.start(QDir(qEnvironmentVariable("CALLLOG_BIN_DIR")).filePath(program), {QStringLiteral("--user-folder")});
    QVERIFY(process.waitForStarted());
    const QString folder = path(QStringLiteral("data/CallLog"));
    const QString procCwd = QStringLiteral("/proc/%1/cwd").arg(process.processId());
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(procCwd).canonicalFilePath(), QFileInfo(folder).canonicalFilePath(), 20000);
    process.kill();
    QVERIFY(process.waitForFinished(10000));

    struct stat status;
    QCOMPARE(::stat(QFile::encodeName(folder).constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 0777), 0700);
    QCOMPARE(QDir(home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

QTEST_GUILESS_MAIN(TestWorkFolder)
#include "tst_workfolder.moc"
