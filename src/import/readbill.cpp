#include "import/readbill.h"

#include "platform/apperror.h"

#include <QFile>
#include <QFileInfo>

namespace bills {

BillFile readBill(const QString& fileName, const QByteArray& bytes, const PasswordPrompt& prompt) {
    Q_UNUSED(bytes);
    Q_UNUSED(prompt);
    throw AppError(QStringLiteral("'%1' 不是可识别的账单文件").arg(fileName));
}

BillFile readBillFile(const QString& path, const PasswordPrompt& prompt) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取文件 '%1'：%2").arg(path, file.errorString()));
    return readBill(QFileInfo(path).fileName(), file.readAll(), prompt);
}

} // namespace bills
