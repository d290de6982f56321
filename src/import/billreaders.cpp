#include "import/billreaders.h"

#include "import/alipaycsv.h"
#include "import/billtext.h"
#include "import/billzip.h"
#include "import/wechatbill.h"
#include "import/xlsxreader.h"
#include "platform/apperror.h"

#include <QStringList>

namespace bills {

QList<BillReader> paymentAppReaders() {
    return {
        {QStringLiteral("支付宝 CSV"), readAlipayCsv},
        {QStringLiteral("微信支付 CSV"), readWeChatCsv},
        {QStringLiteral("微信支付 XLSX"), readWeChatXlsx},
    };
}

namespace {

QString notABillText(const QList<BillReader>& readers, const QString& fileName) {
    QStringList formats;
    for (const BillReader& reader : readers)
        if (!formats.contains(reader.formats))
            formats << reader.formats;
    return QStringLiteral("'%1' 不是可识别的账单文件。可以导入的有：%2，以及装有其中之一的"
                          "压缩包（.zip）。")
        .arg(fileName, formats.join(QStringLiteral("、")));
}

// Text files have no NUL bytes; spreadsheets of the older kind and other binary files do.
bool looksLikeText(const QByteArray& bytes) {
    return !bytes.contains('\0');
}

BillFile dispatch(const QList<BillReader>& readers, const QString& fileName,
                  const QByteArray& bytes, const PasswordPrompt& prompt, bool unpacked) {
    if (bytes.isEmpty())
        throw AppError(QStringLiteral("'%1' 是空文件，其中没有账单记录。").arg(fileName));
    if (looksLikeZip(bytes)) {
        const BillZip zip(fileName, bytes);
        if (!isXlsx(zip)) {
            // The zip as delivered: the bill inside, once (a zip in a zip is no bill).
            if (unpacked)
                throw AppError(notABillText(readers, fileName));
            const ZippedBill inner = unpackBillZip(zip, prompt);
            return dispatch(readers, fileName + u'/' + inner.name, inner.bytes, prompt, true);
        }
        const BillInput input{fileName, bytes, QString(), &zip};
        for (const BillReader& reader : readers)
            if (auto bill = reader.read(input))
                return *bill;
        throw AppError(notABillText(readers, fileName));
    }
    const BillInput input{fileName, bytes, looksLikeText(bytes) ? decodeBillText(bytes) : QString(),
                          nullptr};
    for (const BillReader& reader : readers)
        if (auto bill = reader.read(input))
            return *bill;
    throw AppError(notABillText(readers, fileName));
}

} // namespace

BillFile readBillWith(const QList<BillReader>& readers, const QString& fileName,
                      const QByteArray& bytes, const PasswordPrompt& prompt) {
    return dispatch(readers, fileName, bytes, prompt, false);
}

} // namespace bills
