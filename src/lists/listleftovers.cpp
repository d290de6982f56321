#include "lists/listleftovers.h"

#include "lists/listfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace lists {

int removeStaleRewrites(const QString& programFolder, const QDateTime& now) {
    QDir folder(QDir(programFolder).absoluteFilePath(QStringLiteral("txt")));
    // The temporary copies of a rewrite: a list's name, then ".new-" and six random letters
    // or digits; earlier versions left the name, a dot and six random characters, which are
    // taken for such only when they mix letters of both cases or letters and digits, so that a
    // user's "cardname.txt.backup" stays.
    static const QRegularExpression leftover(
        QStringLiteral("^(%1)\\.(new-)?([A-Za-z0-9]{6})$")
            .arg(QStringList{kIncomeMajorFile, kExpenditureMajorFile, kIncomeMinorFile,
                             kExpenditureMinorFile, kPaymentMethodFile, kBankNameFile}
                     .join(u'|')
                     .replace(u'.', QStringLiteral("\\."))),
        QRegularExpression::CaseInsensitiveOption);
    auto isLeftover = [](const QString& name) {
        const QRegularExpressionMatch m = leftover.match(name);
        if (!m.hasMatch())
            return false;
        if (!m.captured(2).isEmpty())
            return true;
        const QString random = m.captured(3);
        const int kinds = int(random.contains(QRegularExpression(QStringLiteral("[a-z]")))) +
                          int(random.contains(QRegularExpression(QStringLiteral("[A-Z]")))) +
                          int(random.contains(QRegularExpression(QStringLiteral("[0-9]"))));
        return kinds >= 2;
    };
    const QFileInfoList found =
        folder.entryInfoList({QStringLiteral("*.??????"), QStringLiteral("*.new-??????")},
                             QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QFileInfo& f : found) {
        if (f.isSymLink() || !isLeftover(f.fileName()))
            continue;
        if (f.lastModified().secsTo(now) <= kStaleRewriteSeconds)
            continue;
        if (QFile::remove(f.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace lists
