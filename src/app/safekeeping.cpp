#include "app/safekeeping.h"

#include "platform/dialogs.h"

#include <QDir>

namespace safekeeping {
namespace {

QString advice(const QString& soundCopy) {
    return soundCopy.isEmpty() ? QStringLiteral("没有找到通过检查的备份")
                               : QStringLiteral("最新的完好备份：%1\n退出程序后用它替换账簿文件")
                                     .arg(QDir::toNativeSeparators(soundCopy));
}

} // namespace

QString damagedText(const QString& booksPath, const QString& detail, const QString& soundCopy) {
    return QStringLiteral("账簿文件已损坏，本次运行不会写入它：%1\n（%2）\n")
               .arg(QDir::toNativeSeparators(booksPath), detail) +
           advice(soundCopy);
}

QString notBooksText(const QString& error, const QString& soundCopy) {
    if (soundCopy.isEmpty())
        return error;
    return standardErrorText(error) + u'\n' + advice(soundCopy);
}

QString cannotCheckText(const QString& booksPath, const QString& detail) {
    return QStringLiteral("现在无法检查账簿 %1（磁盘已满或没有权限？）：%2\n"
                          "这并不表示账簿已损坏；本次没有备份它。"
                          "请腾出磁盘空间或改正权限后重新启动程序。")
        .arg(QDir::toNativeSeparators(booksPath), detail);
}

QString futureCopiesText(const QStringList& copies) {
    QStringList names;
    for (const QString& c : copies)
        names << QDir::toNativeSeparators(c);
    return QStringLiteral("有 %1 个备份的日期在今天之后（电脑的日期曾经不对？）：\n%2\n"
                          "它们不算在保留的备份之内，也不会被自动删除；确认无用后请手动删除。")
        .arg(copies.size())
        .arg(names.join(u'\n'));
}

} // namespace safekeeping
