#include "import/fingerprint.h"

#include <QCryptographicHash>
#include <QHash>

namespace bills {

namespace {

// A fixed token per source: fingerprints must not change when a display name does.
QString sourceToken(Source source) {
    switch (source) {
    case Source::Alipay:
        return QStringLiteral("alipay");
    case Source::WeChat:
        return QStringLiteral("wechat");
    case Source::Icbc:
        return QStringLiteral("icbc");
    case Source::Ccb:
        return QStringLiteral("ccb");
    case Source::Ofx:
        return QStringLiteral("ofx");
    case Source::Qif:
        return QStringLiteral("qif");
    case Source::MappedCsv:
        return QStringLiteral("csv");
    }
    return QString();
}

} // namespace

bool isFingerprint(const QString& transactionNo) {
    return transactionNo.startsWith(QStringView(fingerprintPrefix));
}

void addFingerprints(BillFile& file) {
    QHash<QString, int> seen;
    for (BillRow& row : file.rows) {
        if (!row.transactionNo.isEmpty())
            continue;
        // The fields, each followed by its length so that no two rows run into one text.
        QString canonical;
        for (const QString& field :
             {sourceToken(file.source), file.account, row.date.toString(Qt::ISODate), row.direction,
              QString::number(row.cents), row.counterparty, row.balance}) {
            canonical += QString::number(field.size()) + u':' + field + u'|';
        }
        const int position = seen[canonical]++;
        canonical += QString::number(position);
        row.transactionNo =
            QString::fromUtf16(fingerprintPrefix) +
            QString::fromLatin1(
                QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex());
    }
}

} // namespace bills
