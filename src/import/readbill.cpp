#include "import/readbill.h"

#include "import/billreaders.h"
#include "platform/apperror.h"

#include <QFile>
#include <QFileInfo>

namespace bills {

QList<BillReader> knownBillReaders() {
    QList<BillReader> readers = paymentAppReaders();
    // Further kinds of files (bank statements, OFX, QIF) are appended here.
    return readers;
}

BillFile readBill(const QString& fileName, const QByteArray& bytes, const PasswordPrompt& prompt) {
    return readBillWith(knownBillReaders(), fileName, bytes, prompt);
}

BillFile readBillFile(const QString& path, const PasswordPrompt& prompt) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取文件 '%1'：%2").arg(path, file.errorString()));
    return readBill(QFileInfo(path).fileName(), file.readAll(), prompt);
}

} // namespace bills
