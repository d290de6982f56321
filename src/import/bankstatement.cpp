#include "import/bankstatement.h"

#include "import/billtext.h"
#include "import/ccbstatement.h"
#include "import/fingerprint.h"
#include "import/icbcstatement.h"
#include "import/ofxstatement.h"
#include "platform/apperror.h"

namespace bills {

namespace {

std::optional<BillFile> readAny(const QByteArray& bytes, const StatementOptions& options) {
    if (looksLikeCompoundFile(bytes))
        return readCcbXls(bytes);
    if (looksLikeOfx(bytes))
        return readOfx(bytes);
    if (bytes.left(65536).contains('\0'))
        return std::nullopt; // some other binary file
    const QString text = decodeBillText(bytes);
    if (looksLikeQif(text))
        return readQif(text, options.dateOrder);
    // A mapping the user chose reads the file even where a reader knows its layout.
    std::optional<CsvMapping> fits = options.mapping;
    if (!fits) {
        if (auto icbc = readIcbcCsv(text))
            return icbc;
        fits = mappingFor(bytes, options.savedMappings);
    }
    if (options.reviewMapping && fits)
        throw CsvMappingNeeded(*fits, bytes);
    if (fits)
        return readMappedCsv(bytes, *fits);
    if (looksLikeCsvTable(bytes))
        throw CsvMappingNeeded(guessMapping(bytes), bytes);
    return std::nullopt;
}

} // namespace

std::optional<BillFile> readBankStatement(const QString& fileName, const QByteArray& bytes,
                                          const StatementOptions& options) {
    std::optional<BillFile> file;
    try {
        file = readAny(bytes, options);
    } catch (const AppError& e) {
        throw AppError(QStringLiteral("'%1'：%2").arg(fileName, e.text()));
    }
    if (!file)
        return std::nullopt;
    if (file->rows.isEmpty() && file->unreadable.isEmpty())
        throw AppError(QStringLiteral("'%1' 是%2账单，但其中没有记录")
                           .arg(fileName, sourceName(file->source)));
    addFingerprints(*file);
    return file;
}

} // namespace bills
