#include "support/testbills.h"

#include "import/billtext.h"
#include "platform/apperror.h"

#include <QFile>

bills::BillRow billRow(const char* date, const char* direction, const char* amount,
                       const char* counterparty, const char* kind, const char* txno,
                       const char* status, const char* method, const char* goods) {
    bills::BillRow r;
    r.date = QDate::fromString(QString::fromUtf8(date), Qt::ISODate);
    r.time = QStringLiteral("12:00:00");
    r.direction = QString::fromUtf8(direction);
    r.cents = bills::parseCents(QString::fromUtf8(amount)).value_or(0);
    r.counterparty = QString::fromUtf8(counterparty);
    r.kind = QString::fromUtf8(kind);
    r.transactionNo = QString::fromUtf8(txno);
    r.status = QString::fromUtf8(status);
    r.method = QString::fromUtf8(method);
    r.goods = QString::fromUtf8(goods);
    return r;
}

bills::BillFile readTestBill(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取文件 '%1'").arg(path));
    const QStringList lines = bills::textLines(QString::fromUtf8(f.readAll()));
    bills::BillFile bill;
    if (lines.isEmpty())
        throw AppError(QStringLiteral("'%1' 不是账单").arg(path));
    bill.source = lines[0].trimmed() == QStringLiteral("微信支付") ? bills::Source::WeChat
                                                                   : bills::Source::Alipay;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        QStringList c = bills::csvCells(lines[i]);
        while (c.size() < 12)
            c << QString();
        bills::BillRow r;
        r.line = int(i + 1);
        r.date = QDate::fromString(c[0], Qt::ISODate);
        r.time = c[1];
        r.direction = c[2];
        const std::optional<qint64> cents = bills::parseCents(c[3]);
        if (!r.date.isValid() || !cents) {
            bill.unreadable << bills::UnreadableRow{r.line, lines[i],
                                                    QStringLiteral("日期或金额无法读取")};
            continue;
        }
        r.cents = *cents;
        r.kind = c[4];
        r.counterparty = c[5];
        r.goods = c[6];
        r.method = c[7];
        r.status = c[8];
        r.transactionNo = c[9];
        r.merchantNo = c[10];
        r.note = c[11];
        bill.rows << r;
    }
    return bill;
}

void writeTestBill(const QString& path, const QString& source, const QStringList& rows) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw AppError(QStringLiteral("无法写入文件 '%1'").arg(path));
    f.write((QStringList{source} + rows).join(u'\n').toUtf8() + '\n');
}
