#include "import/readbill.h"

#include "import/bankstatement.h"
#include "import/billreaders.h"
#include "import/qifstatement.h"
#include "platform/apperror.h"

#include <QFile>
#include <QFileInfo>

namespace bills {

QList<BillReader> knownBillReaders() {
    QList<BillReader> readers = paymentAppReaders();
    readers.append({QStringLiteral("工商银行 CSV、建设银行 XLS、OFX、QIF"),
                    [](const BillInput& in) -> std::optional<BillFile> {
                        try {
                            return readBankStatement(in.fileName, in.bytes, {});
                        } catch (const CsvMappingNeeded&) {
                            // A table of another bank: it needs a column mapping, which only
                            // a mapping of the user's can give; as it stands it is no bill.
                            return std::nullopt;
                        } catch (const DateOrderUndecided&) {
                            throw AppError(
                                QStringLiteral("'%1' 中的日期既可读作月/日，也可读作日/月，"
                                               "无法确定")
                                    .arg(in.fileName));
                        }
                    }});
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
