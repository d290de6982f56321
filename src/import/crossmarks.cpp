// The preview's marks for money another source has seen: a card payment on both an app's bill
// and the card's statement (可能重复), a move between the user's own app and bank account (转账).
#include "import/billtext.h"
#include "import/importrules.h"

namespace bills {

namespace {

// The matched entry as the status names it: its source, date, direction, amount and remark.
QString entryText(const ImportedEntry& e) {
    QStringList parts{e.date.toString(QStringLiteral("yyyy-MM-dd"))};
    if (e.direction == u"收入" || e.direction == u"支出")
        parts << e.direction;
    parts << centsText(e.cents) + QStringLiteral(" 元");
    if (!e.memo.isEmpty())
        parts << e.memo;
    return QStringLiteral("%1 %2").arg(sourceName(e.source), parts.join(u' '));
}

QString statusOf(const CrossMatch& m, const QList<ImportedEntry>& others) {
    const bool named = m.entry >= 0 && m.entry < others.size();
    if (m.kind == CrossKind::PossibleDuplicate)
        return named ? QStringLiteral("可能重复：已导入 %1").arg(entryText(others.at(m.entry)))
                     : QStringLiteral("可能重复");
    return named ? QStringLiteral("转账：自己账户之间的转移，对应已导入的 %1")
                       .arg(entryText(others.at(m.entry)))
                 : QStringLiteral("转账：支付宝/微信提现到银行卡（自己账户之间的转移）");
}

} // namespace

void markAcrossSources(Preview& preview, const BillFile& bill, const QList<ImportedEntry>& others) {
    const qsizetype n = qMin(preview.rows.size(), bill.rows.size());
    for (qsizetype i = 0; i < n; ++i) {
        preview.rows[i].asStated = entryOf(bill.rows[i], bill);
        preview.rows[i].asStated.memo = preview.rows[i].memo;
    }
    const QList<CrossMatch> matches = matchAcrossSources(bill, others);
    for (qsizetype i = 0; i < n && i < matches.size(); ++i) {
        PreviewRow& r = preview.rows[i];
        const CrossMatch& m = matches.at(i);
        // A duplicate of this source's earlier import stays 重复; a skipped row stays skipped.
        if (m.kind == CrossKind::None || r.state != RowState::New ||
            directionOf(bill.rows[i]).isEmpty())
            continue;
        r.cross = m.kind;
        r.ticked = false;
        const QString status = statusOf(m, others);
        r.status = r.status.isEmpty() ? status : status + QStringLiteral("；") + r.status;
    }
}

QList<ImportedEntry> rememberedRows(const Preview& preview) {
    QList<ImportedEntry> out;
    for (const PreviewRow& r : preview.rows) {
        if (!r.asStated.date.isValid())
            continue; // a row not made from a bill
        if ((r.state == RowState::New && r.ticked) ||
            (r.state == RowState::Skipped && movesMoneyWithBank(r.asStated)))
            out << r.asStated;
    }
    return out;
}

} // namespace bills
