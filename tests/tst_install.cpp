// The installed program: the layout that `cmake --install` makes, its menu entry and metainfo
// as the desktop's own validators see them, where an installed program keeps its data, and a
// start of the installed program against an empty home.
#include "app/datafolder.h"
#include "platform/apperror.h"
#include "support/files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

const QString kAppId = QStringLiteral("org.teloq.Teloq");
const QStringList kLists{"bankname.txt",    "cardname.txt",  "szdetailshou.txt",
                         "szdetailzhi.txt", "szsubshou.txt", "szsubzhi.txt"};

// Every file under `root` with its size and modification time, to see that nothing changed.
QStringList snapshot(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        out << QStringLiteral("%1 %2 %3")
                   .arg(f.filePath())
                   .arg(f.size())
                   .arg(f.lastModified().toMSecsSinceEpoch());
    }
    out.sort();
    return out;
}

void makeLists(const QString& folder, const QByteArray& content) {
    QVERIFY(QDir().mkpath(folder));
    for (const QString& name : kLists)
        writeAll(QDir(folder).filePath(name), content + name.toLatin1());
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void layout();
    void desktopEntryValidates();
    void metainfoValidates();
    void dataFolderRule_data();
    void dataFolderRule();
    void listsCopiedOnceAndNeverOverwritten();
    void installedProgramKeepsItsDataInTheUsersFolder();

private:
    QTemporaryDir m_root;
    QString m_prefix;
};

void TestInstall::initTestCase() {
    m_prefix = m_root.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(TELOQ_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(TELOQ_BUILD_DIR),
                   QStringLiteral("--prefix"), m_prefix});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void TestInstall::layout() {
    const QDir p(m_prefix);
    const QFileInfo exe(p.filePath(QStringLiteral("bin/teloq")));
    QVERIFY(exe.isFile());
    QVERIFY(exe.isExecutable());
    QCOMPARE(QDir(p.filePath(QStringLiteral("share/teloq/txt"))).entryList(QDir::Files), kLists);
    QVERIFY(QFile::exists(p.filePath("share/applications/" + kAppId + ".desktop")));
    QVERIFY(QFile::exists(p.filePath("share/metainfo/" + kAppId + ".metainfo.xml")));
    QVERIFY(readAll(p.filePath("share/icons/hicolor/scalable/apps/" + kAppId + ".svg"))
                .contains("<svg"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString png = p.filePath(
            QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId));
        const QByteArray bytes = readAll(png);
        QVERIFY2(bytes.startsWith("\x89PNG"), qPrintable(png));
        // The size in the PNG header matches the folder it sits in.
        QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 16), quint32(size));
        QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 20), quint32(size));
    }
    // The bill importer for the command line, and its mapping table as data.
    QVERIFY(QFileInfo(p.filePath(QStringLiteral("bin/teloq-import"))).isExecutable());
    QVERIFY(
        readAll(p.filePath(QStringLiteral("share/teloq/import-categories.txt"))).contains("= "));
    // No data beside the installed executables.
    QCOMPARE(
        QDir(p.filePath(QStringLiteral("bin"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        (QStringList{QStringLiteral("teloq"), QStringLiteral("teloq-import")}));
}

void TestInstall::desktopEntryValidates() {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (tool.isEmpty())
        QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
    const QString entry = QDir(m_prefix).filePath("share/applications/" + kAppId + ".desktop");
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, {entry});
    QVERIFY(p.waitForFinished(60000));
    const QByteArray said = p.readAll();
    QVERIFY2(p.exitCode() == 0 && said.trimmed().isEmpty(), said.constData());
    const QByteArray text = readAll(entry);
    QVERIFY(text.contains("\nName=Teloq\n"));
    QVERIFY(text.contains("\nCategories=Office;Finance;\n"));
    QVERIFY(text.contains("\nComment[zh_CN]="));
    QVERIFY(text.contains("\nExec=teloq\n"));
}

void TestInstall::metainfoValidates() {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (tool.isEmpty())
        QSKIP("appstreamcli is not installed (appstream)");
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                   QDir(m_prefix).filePath("share/metainfo/" + kAppId + ".metainfo.xml")});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAll().constData());
}

void TestInstall::dataFolderRule_data() {
    QTest::addColumn<bool>("programHoldsLists");
    QTest::addColumn<bool>("programWritable");
    QTest::addColumn<bool>("dataBesideProgram");
    QTest::newRow("build folder") << true << true << true;
    QTest::newRow("portable copy on a read-only medium") << true << false << true;
    QTest::newRow("installed, folder writable (run as root)") << false << true << false;
    QTest::newRow("installed in /usr/bin") << false << false << false;
}

void TestInstall::dataFolderRule() {
    QFETCH(bool, programHoldsLists);
    QFETCH(bool, programWritable);
    QFETCH(bool, dataBesideProgram);
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("bin"));
    const QString user = root.filePath(QStringLiteral("home/.local/share/Teloq"));
    const QString installed = root.filePath(QStringLiteral("share/teloq/txt"));
    QVERIFY(QDir().mkpath(program));
    if (programHoldsLists)
        makeLists(program + QStringLiteral("/txt"), "portable ");
    QVERIFY(QFile::setPermissions(program, programWritable ? QFile::ReadOwner | QFile::WriteOwner |
                                                                 QFile::ExeOwner
                                                           : QFile::ReadOwner | QFile::ExeOwner));

    const DataFolder d = dataFolderFor(program, user, installed);

    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(d.folder, dataBesideProgram ? program : user);
    QCOMPARE(d.shippedLists, dataBesideProgram ? QString() : installed);
}

void TestInstall::listsCopiedOnceAndNeverOverwritten() {
    QTemporaryDir root;
    const QString installed = root.filePath(QStringLiteral("share/teloq/txt"));
    makeLists(installed, "shipped ");
    const DataFolder d{root.filePath(QStringLiteral("home/.local/share/Teloq")), installed};

    provideLists(d);
    const QString mine = d.folder + QStringLiteral("/txt/szsubzhi.txt");
    QCOMPARE(QDir(d.folder + QStringLiteral("/txt")).entryList(QDir::Files), kLists);
    QCOMPARE(readAll(mine), QByteArray("shipped szsubzhi.txt"));
    // Only txt/ is left: no staging folder.
    QCOMPARE(QDir(d.folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("txt")});

    // The user edits a list, deletes another; a newer package ships other lists.
    writeAll(mine, "edited");
    QVERIFY(QFile::remove(d.folder + QStringLiteral("/txt/bankname.txt")));
    makeLists(installed, "newer ");
    provideLists(d);
    QCOMPARE(readAll(mine), QByteArray("edited"));
    QVERIFY(!QFile::exists(d.folder + QStringLiteral("/txt/bankname.txt")));

    // A data folder that cannot be made is an error, not a silent start without lists.
    writeAll(root.filePath(QStringLiteral("blocked")), "a file");
    QVERIFY_THROWS_EXCEPTION(
        AppError, provideLists({root.filePath(QStringLiteral("blocked/Teloq")), installed}));
}

void TestInstall::installedProgramKeepsItsDataInTheUsersFolder() {
    const QString home = m_root.filePath(QStringLiteral("home"));
    const QString runtime = m_root.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(home));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QStringList before = snapshot(m_prefix);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"ODBCINI", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS",
                             "XDG_CONFIG_DIRS", "XDG_CACHE_HOME", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QDir(m_prefix).filePath(QStringLiteral("bin/teloq")), {});
    QVERIFY(program.waitForStarted());

    // The program takes no arguments and runs until its window is closed: wait until start-up
    // has run to its last step (the short date format), then end it.
    const QString data = home + QStringLiteral("/.local/share/Teloq");
    const QString settings = home + QStringLiteral("/.config/Teloq/Teloq.ini");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(settings) || program.state() == QProcess::NotRunning,
                             60000);
    QCOMPARE(program.state(), QProcess::Running);
    QTest::qWait(200);
    program.kill();
    program.waitForFinished();

    QVERIFY(QFile::exists(data + QStringLiteral("/Salary.mdb")));
    QCOMPARE(modeOf(data + QStringLiteral("/Salary.mdb")), 0600u);
    QCOMPARE(QDir(data + QStringLiteral("/txt")).entryList(QDir::Files), kLists);
    for (const QString& name : kLists)
        QCOMPARE(readAll(data + QStringLiteral("/txt/") + name),
                 readAll(QDir(m_prefix).filePath(QStringLiteral("share/teloq/txt/")) + name));
    // The data source entry names the books in the user's folder.
    const QByteArray ini = readAll(home + QStringLiteral("/.odbc.ini"));
    QVERIFY2(ini.contains("DBQ=" + QFile::encodeName(data) + "/Salary.mdb"), ini.constData());
    // Nothing was written under the prefix.
    QCOMPARE(snapshot(m_prefix), before);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
