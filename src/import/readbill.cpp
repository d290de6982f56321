#include "import/readbill.h"

#include "import/bankstatement.h"
#include "import/billreaders.h"
#include "platform/apperror.h"

#include <QFile>
#include <QFileInfo>

namespace bills {

QList<BillReader> knownBillReaders(const StatementOptions& options) {
    QList<BillReader> readers = paymentAppReaders();
    // Asked last: a CSV table that no reader before knows is another bank's, for a mapping.
    readers.append(
        {QStringLiteral("工商银行 CSV、建设银行 XLS、OFX、QIF、其他 CSV（设置导入格式）"),
         [options](const BillInput& in) {
             return readBankStatement(in.fileName, in.bytes, options);
         }});
    return readers;
}

BillFile readBill(const QString& fileName, const QByteArray& bytes, const PasswordPrompt& prompt,
                  const StatementOptions& options) {
    return readBillWith(knownBillReaders(options), fileName, bytes, prompt);
}

BillFile readBillFile(const QString& path, const PasswordPrompt& prompt,
                      const StatementOptions& options) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取文件 '%1'：%2").arg(path, file.errorString()));
    return readBill(QFileInfo(path).fileName(), file.readAll(), prompt, options);
}

} // namespace bills
