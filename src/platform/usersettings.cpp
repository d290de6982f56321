#include "platform/usersettings.h"

#include "platform/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where QSettings keeps the program's user settings (its own rule for the user scope).
QString settingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Teloq/Teloq.ini");
}

// Makes the settings file exist owner-only before QSettings writes it: QSettings creates a
// new file as the umask allows (0666 under umask 000) and keeps the mode of an existing one.
bool prepareOwnerOnly(const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const bool ok = ::fchmod(fd, 0600) == 0;
        return ::close(fd) == 0 && ok;
    }
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(name.constData(), st.st_mode & 0700) == 0;
}

} // namespace

bool writeShortDateFormat() {
    // Anything but a regular file in its place (a FIFO would block the start) is left alone.
    const QString path = settingsPath();
    if (regularfile::kindOf(path) == regularfile::Kind::Other || !prepareOwnerOnly(path))
        return false;
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Teloq"),
                QStringLiteral("Teloq"));
    s.setValue(QStringLiteral("Regional/ShortDate"), QString::fromLatin1(kShortDateFormat));
    s.sync();
    return s.status() == QSettings::NoError;
}

QString storedShortDateFormat() {
    if (regularfile::kindOf(settingsPath()) != regularfile::Kind::Regular)
        return {};
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Teloq"),
                QStringLiteral("Teloq"));
    return s.value(QStringLiteral("Regional/ShortDate")).toString();
}
