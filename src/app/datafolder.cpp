#include "app/datafolder.h"

#include "app/installlayout.h"
#include "platform/apperror.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QString kListFolder = QStringLiteral("txt");

bool holdsLists(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(QDir(folder).filePath(kListFolder)).isDir();
}

} // namespace

DataFolder dataFolderFor(const QString& programFolder, const QString& userDataFolder,
                         const QString& installedLists) {
    if (holdsLists(programFolder))
        return {QDir::cleanPath(programFolder), {}};
    return {QDir::cleanPath(userDataFolder), installedLists};
}

DataFolder dataFolderOfThisProgram() {
    const QString program = QCoreApplication::applicationDirPath();
    // The lists are installed relative to the executable, so any prefix works; the XDG data
    // folders are the fallback for a program moved away from its share/.
    QString lists =
        QDir::cleanPath(QDir(program).filePath(QStringLiteral(TELOQ_LISTS_FROM_BINDIR)));
    if (!QFileInfo(lists).isDir())
        lists =
            QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("teloq/txt"),
                                   QStandardPaths::LocateDirectory);
    return dataFolderFor(program, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                         lists);
}

void provideLists(const DataFolder& data) {
    if (data.shippedLists.isEmpty() || holdsLists(data.folder))
        return;
    const QString target = QDir(data.folder).filePath(kListFolder);
    auto fail = [&](const QString& why) {
        throw AppError(QStringLiteral("无法在 %1 建立列表文件夹：%2").arg(target, why));
    };
    if (!QDir().mkpath(data.folder))
        fail(QStringLiteral("无法建立文件夹 %1").arg(data.folder));
    QTemporaryDir staging(QDir(data.folder).filePath(QStringLiteral(".txt-XXXXXX")));
    if (!staging.isValid())
        fail(staging.errorString());
    const QDir shipped(data.shippedLists);
    for (const QString& name : shipped.entryList(QDir::Files)) {
        QFile source(shipped.filePath(name));
        const QString copy = staging.filePath(name);
        if (!source.copy(copy))
            fail(source.errorString());
        // The copies are the user's to change, whatever the installed files allow.
        if (!QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                             QFile::WriteUser))
            qCWarning(lcApp, "could not make the list copy '%s' writable by its owner",
                      qPrintable(copy));
    }
    if (!QDir().rename(staging.path(), target))
        fail(QStringLiteral("无法改名为 %1").arg(target));
    staging.setAutoRemove(false);
}
