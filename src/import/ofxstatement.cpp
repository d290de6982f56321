#include "import/ofxstatement.h"

#include "import/billtext.h"
#include "import/ccbstatement.h"
#include "platform/apperror.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <libofx/libofx.h>

namespace bills {

namespace {

// What the callbacks of one libofx run collect.
struct OfxRun {
    BillFile file;
    int transactions = 0;
    int dated = 0;
    bool sawStatement = false;
    QList<QDate> statedDays; // the days the DTPOSTED elements write, in the order of the file
};

// The days the file's DTPOSTED elements write (their first eight digits). libofx hands out a
// moment instead, taken as GMT when the file names no zone; the day written is what the
// user's bank meant.
QList<QDate> statedDays(const QByteArray& bytes) {
    static const QRegularExpression posted(QStringLiteral("<DTPOSTED>\\s*(\\d{8})"),
                                           QRegularExpression::CaseInsensitiveOption);
    QList<QDate> days;
    const QString text = QString::fromLatin1(bytes);
    for (auto it = posted.globalMatch(text); it.hasNext();)
        days << QDate::fromString(it.next().captured(1), QStringLiteral("yyyyMMdd"));
    return days;
}

QString textOf(const char* s) {
    const QByteArray bytes(s);
    return isValidUtf8(bytes) ? QString::fromUtf8(bytes).trimmed()
                              : QString::fromLatin1(bytes).trimmed();
}

QString kindOf(TransactionType type) {
    switch (type) {
    case OFX_CREDIT:
        return QStringLiteral("CREDIT");
    case OFX_DEBIT:
        return QStringLiteral("DEBIT");
    case OFX_INT:
        return QStringLiteral("INT");
    case OFX_DIV:
        return QStringLiteral("DIV");
    case OFX_FEE:
        return QStringLiteral("FEE");
    case OFX_SRVCHG:
        return QStringLiteral("SRVCHG");
    case OFX_DEP:
        return QStringLiteral("DEP");
    case OFX_ATM:
        return QStringLiteral("ATM");
    case OFX_POS:
        return QStringLiteral("POS");
    case OFX_XFER:
        return QStringLiteral("XFER");
    case OFX_CHECK:
        return QStringLiteral("CHECK");
    case OFX_PAYMENT:
        return QStringLiteral("PAYMENT");
    case OFX_CASH:
        return QStringLiteral("CASH");
    case OFX_DIRECTDEP:
        return QStringLiteral("DIRECTDEP");
    case OFX_DIRECTDEBIT:
        return QStringLiteral("DIRECTDEBIT");
    case OFX_REPEATPMT:
        return QStringLiteral("REPEATPMT");
    default:
        return QStringLiteral("OTHER");
    }
}

int onAccount(const OfxAccountData data, void* user) {
    auto* run = static_cast<OfxRun*>(user);
    run->sawStatement = true;
    if (run->file.account.isEmpty() && data.account_number_valid)
        run->file.account = textOf(data.account_number);
    return 0;
}

int onTransaction(const OfxTransactionData data, void* user) {
    auto* run = static_cast<OfxRun*>(user);
    const int number = ++run->transactions;
    const int dated = data.date_posted_valid ? run->dated++ : -1;
    const QString name = data.name_valid ? textOf(data.name) : QString();
    if (!data.amount_valid || !data.date_posted_valid) {
        run->file.unreadable << UnreadableRow{number, name,
                                              data.amount_valid ? QStringLiteral("没有入账日期")
                                                                : QStringLiteral("没有金额")};
        return 0;
    }
    BillRow row;
    row.line = number;
    // The day the file writes, when it agrees with libofx's moment to a day (time zones);
    // else the moment's day in GMT, the zone OFX assumes.
    row.date = QDateTime::fromSecsSinceEpoch(qint64(data.date_posted), Qt::UTC).date();
    if (dated < run->statedDays.size()) {
        const QDate stated = run->statedDays.at(dated);
        if (stated.isValid() && qAbs(stated.daysTo(row.date)) <= 1)
            row.date = stated;
    }
    const qint64 cents = centsOfNumber(data.amount);
    row.direction = cents < 0 ? QStringLiteral("支出") : QStringLiteral("收入");
    row.cents = cents < 0 ? -cents : cents;
    row.counterparty = name;
    row.goods = data.memo_valid ? textOf(data.memo) : QString();
    if (row.goods == row.counterparty)
        row.goods.clear();
    row.kind = data.transactiontype_valid ? kindOf(data.transactiontype) : QString();
    row.transactionNo = data.fi_id_valid ? textOf(data.fi_id) : QString();
    run->file.rows << row;
    return 0;
}

} // namespace

bool looksLikeOfx(const QByteArray& bytes) {
    const QByteArray head = bytes.left(4096).toUpper();
    return head.contains("OFXHEADER") || head.contains("<OFX>");
}

std::optional<BillFile> readOfx(const QByteArray& bytes) {
    if (!looksLikeOfx(bytes))
        return std::nullopt;
    QTemporaryFile temp;
    if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush())
        throw AppError(QStringLiteral("无法写入临时文件：%1").arg(temp.errorString()));
    // libofx reports its parsing on the console unless told not to.
    ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg = 0;
    ofx_DEBUG4_msg = ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg = 0;
    ofx_ERROR_msg = ofx_show_position = 0;

    OfxRun run;
    run.file.source = Source::Ofx;
    run.statedDays = statedDays(bytes);
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_account_cb(context, onAccount, &run);
    ofx_set_transaction_cb(context, onTransaction, &run);
    const QByteArray path = temp.fileName().toLocal8Bit();
    libofx_proc_file(context, path.constData(), OFX);
    libofx_free_context(context);

    if (!run.sawStatement && run.transactions == 0)
        throw AppError(QStringLiteral("这个 OFX 文件已损坏或不含账户流水，无法读取"));
    run.file.layout = bytes.left(4096).toUpper().contains("<?OFX") ? QStringLiteral("OFX 2 (XML)")
                                                                   : QStringLiteral("OFX 1 (SGML)");
    return run.file;
}

} // namespace bills
