#include "app/safekeeping.h"

#include "data/backups.h"
#include "platform/apperror.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFileInfo>

bool safeguardBooks(const QString& booksPath, const QDate& today, Dialogs& dialogs) {
    if (!QFileInfo::exists(booksPath))
        return true; // a first start: nothing to keep yet
    // Books that have not changed since today's copy was made were checked then; reading a
    // large book through again would cost every later start of the day a second.
    if (backups::copyIsCurrent(booksPath, today))
        return true;
    const backups::Check health = backups::check(booksPath);
    if (health.health == backups::Health::Damaged) {
        const QString sound = backups::newestSoundCopy(booksPath);
        QString text = QStringLiteral("账簿文件已损坏，本次运行不会写入它：%1\n（%2）\n")
                           .arg(QDir::toNativeSeparators(booksPath), health.detail);
        text += sound.isEmpty() ? QStringLiteral("没有找到通过检查的备份")
                                : QStringLiteral("最新的完好备份：%1\n退出程序后用它替换账簿文件")
                                      .arg(QDir::toNativeSeparators(sound));
        dialogs.showError(text);
        return false;
    }
    // A file that is no database at all (or cannot be opened) is left to the data layer,
    // which says why; nothing of it is worth a copy.
    if (health.health == backups::Health::Unreadable)
        return true;
    try {
        backups::backUp(booksPath, today);
    } catch (const AppError& e) {
        dialogs.showError(e.text());
    }
    return true;
}
