#include "import/importrules.h"

#include "import/billtext.h"
#include "import/statedtotals.h"

#include <QRegularExpression>

namespace bills {

namespace {

const QString kIncome = QStringLiteral("收入");
const QString kExpenditure = QStringLiteral("支出");

// "/" and "-" stand for nothing in a bill's cells.
QString meaningful(const QString& text) {
    const QString t = text.trimmed();
    return t == QLatin1String("/") || t == QLatin1String("-") ? QString() : t;
}

bool containsAny(const QString& text, std::initializer_list<const char16_t*> parts) {
    for (const char16_t* p : parts)
        if (text.contains(QString::fromUtf16(p)))
            return true;
    return false;
}

// The refund's link to its original: for Alipay the original's number before "_".
QString originalTxnoOf(Source source, const BillRow& row) {
    if (source != Source::Alipay)
        return {};
    const qsizetype underscore = row.transactionNo.indexOf(u'_');
    return underscore > 0 ? row.transactionNo.left(underscore) : QString();
}

} // namespace

QString choiceKey(const QString& direction, const QString& counterparty) {
    return direction + u'\x1f' + counterparty;
}

QString rowKey(const BillRow& row) {
    return QStringList{row.transactionNo, row.date.toString(Qt::ISODate) + u' ' + row.time,
                       QString::number(row.cents), row.counterparty}
        .join(u'\x1f');
}

QString directionOf(const BillRow& row) {
    const QString d = row.direction.trimmed();
    if (d == kIncome || d == kExpenditure)
        return d;
    return {};
}

std::optional<QString> skipReason(Source source, const BillRow& row) {
    const QString status = row.status.trimmed();
    const QString direction = directionOf(row);
    if (source == Source::Alipay && status == QStringLiteral("交易关闭") &&
        (direction.isEmpty() || meaningful(row.method).isEmpty()))
        return QStringLiteral("交易关闭，未付款");
    if (source == Source::WeChat &&
        (status.startsWith(QStringLiteral("提现失败")) || status == QStringLiteral("对方已退还") ||
         status == QStringLiteral("已退还")))
        return QStringLiteral("已取消：") + status;
    // A statement's own mark of a move between the user's accounts (QIF "[Account]").
    if (row.transfer)
        return QStringLiteral("转账：%1（自己账户之间的转移）").arg(row.category);
    if (direction.isEmpty())
        return QStringLiteral("不计收支：") +
               (meaningful(row.kind).isEmpty() ? meaningful(row.goods) : meaningful(row.kind)) +
               QStringLiteral("（自己账户之间的转移）");
    return std::nullopt;
}

bool isRefund(Source source, const BillRow& row) {
    const QString kind = row.kind.trimmed();
    if (source == Source::WeChat)
        return kind.endsWith(QStringLiteral("-退款")) || kind == QStringLiteral("退款");
    if (source == Source::Alipay)
        return !originalTxnoOf(source, row).isEmpty() &&
               (row.status.contains(QStringLiteral("退款")) || kind == QStringLiteral("退款") ||
                row.goods.startsWith(QStringLiteral("退款")));
    return false;
}

std::optional<qint64> withdrawalFee(Source source, const BillRow& row) {
    if (source != Source::WeChat)
        return std::nullopt;
    static const QRegularExpression fee(QStringLiteral("服务费\\s*([¥￥]?\\s*[0-9.,]+)"));
    const QRegularExpressionMatch m = fee.match(row.note);
    if (!m.hasMatch())
        return std::nullopt;
    const std::optional<qint64> cents = parseCents(m.captured(1));
    if (!cents || *cents <= 0)
        return std::nullopt;
    return cents;
}

bool isYield(const BillRow& row) {
    return row.goods.contains(QStringLiteral("收益发放")) ||
           row.kind.contains(QStringLiteral("收益发放"));
}

QString paymentMethodFor(Source source, const QString& method, const QStringList& methods) {
    const QString m = meaningful(method);
    if (m.isEmpty() || methods.contains(m))
        return m;
    QString target;
    if (m.contains(QStringLiteral("信用卡")))
        target = QStringLiteral("信用卡");
    else if (source == Source::Alipay &&
             containsAny(m, {u"余额宝", u"余额", u"花呗", u"红包", u"账户余额"}))
        target = QStringLiteral("支付宝");
    else if (source == Source::WeChat && m.startsWith(QStringLiteral("零钱")))
        target = QStringLiteral("微信支付");
    else if (m.contains(QStringLiteral("银行")) || m.contains(QStringLiteral("储蓄卡")) ||
             m.contains(QStringLiteral("借记卡")))
        target = QStringLiteral("银行卡");
    return !target.isEmpty() && methods.contains(target) ? target : m;
}

// What a bank's own statement was paid with when its rows name nothing: the card of the
// statement (信用卡 for a credit card's, 银行卡 otherwise); empty for the other sources.
QString statementMethod(const BillFile& bill) {
    if (bill.source == Source::Icbc)
        return bill.layout == QLatin1String("credit") ? QStringLiteral("信用卡")
                                                      : QStringLiteral("银行卡");
    if (bill.source == Source::Ccb)
        return QStringLiteral("银行卡");
    return QString();
}

QString remarkOf(const BillRow& row) {
    const QString counterparty = meaningful(row.counterparty);
    const QString goods = meaningful(row.goods);
    if (goods.isEmpty() || goods == counterparty)
        return counterparty;
    if (counterparty.isEmpty())
        return goods;
    return counterparty + u' ' + goods;
}

qint64 statedRefund(const BillRow& row) {
    if (row.refundedCents > 0)
        return row.refundedCents;
    const QString status = row.status.trimmed();
    if (status.contains(QStringLiteral("全额退款")))
        return row.cents;
    static const QRegularExpression part(QStringLiteral("已退款\\s*[(（]?\\s*([¥￥]?[0-9.,]+)"));
    const QRegularExpressionMatch m = part.match(status);
    if (m.hasMatch())
        return parseCents(m.captured(1)).value_or(0);
    return 0;
}

Category suggestCategory(const QString& direction, const BillRow& row, const CategoryLists& lists,
                         const CategoryMap& map, const BooksKnowledge& books) {
    const QString counterparty = meaningful(row.counterparty);
    if (!counterparty.isEmpty()) {
        const auto earlier = books.choices.constFind(choiceKey(direction, counterparty));
        if (earlier != books.choices.constEnd()) {
            const Category fit = lists.fitting(direction, *earlier);
            if (!fit.major.isEmpty())
                return fit;
        }
    }
    return map.lookup(direction, meaningful(row.kind), counterparty, lists);
}

PreviewTotals totalsOf(const Preview& preview) {
    PreviewTotals t;
    for (const PreviewRow& row : preview.rows) {
        switch (row.state) {
        case RowState::Duplicate:
            ++t.duplicates;
            break;
        case RowState::Skipped:
            ++t.skipped;
            break;
        case RowState::New:
            if (!row.ticked) {
                t.possibleDuplicates += row.cross == CrossKind::PossibleDuplicate;
                t.transfers += row.cross == CrossKind::OwnTransfer;
                break;
            }
            ++t.entries;
            (row.direction == kIncome ? t.incomeCents : t.expenditureCents) += row.cents;
            break;
        }
    }
    return t;
}

Preview previewBill(const BillFile& bill, const CategoryLists& lists, const CategoryMap& map,
                    const BooksKnowledge& books) {
    Preview preview;
    preview.source = bill.source;
    preview.unreadable = bill.unreadable;
    preview.totalsProblem = statedTotalsProblem(bill).value_or(QString());
    const Source source = bill.source;
    const qsizetype n = bill.rows.size();
    QHash<QString, int> known = books.keys;
    QList<bool> refund(n, false);
    QString cardMethod = statementMethod(bill);
    if (!lists.paymentMethods.contains(cardMethod))
        cardMethod.clear(); // never a method the user's list lacks

    // Each row on its own: what it is, and whether the books hold it already.
    for (qsizetype i = 0; i < n; ++i) {
        const BillRow& b = bill.rows[i];
        PreviewRow r;
        r.line = b.line;
        r.date = b.date;
        r.cents = b.cents;
        r.txno = b.transactionNo;
        r.merchantNo = meaningful(b.merchantNo);
        r.counterparty = meaningful(b.counterparty);
        r.key = rowKey(b);
        r.memo = remarkOf(b);
        r.method = paymentMethodFor(source, b.method, lists.paymentMethods);
        if (r.method.isEmpty())
            r.method = cardMethod;
        r.direction = directionOf(b);
        refund[i] = isRefund(source, b);
        std::optional<QString> skip = skipReason(source, b);
        if (skip && refund[i] && !skip->startsWith(QStringLiteral("不计收支")))
            refund[i] = false; // a closed or cancelled refund moved nothing
        else if (refund[i])
            skip.reset();
        if (skip && r.direction.isEmpty() && isYield(b)) {
            skip.reset();
            r.direction = kIncome;
            r.memo = remarkOf(b);
        } else if (skip && r.direction.isEmpty()) {
            if (const std::optional<qint64> fee = withdrawalFee(source, b)) {
                skip.reset();
                r.direction = kExpenditure;
                r.cents = *fee;
                r.memo = QStringLiteral("%1 提现服务费").arg(meaningful(b.counterparty)).trimmed();
                r.key += QStringLiteral("\x1f服务费");
            }
        }
        if (skip) {
            r.state = RowState::Skipped;
            r.status = *skip;
            r.direction.clear();
        } else if (known.value(r.key) > 0) {
            --known[r.key];
            r.state = RowState::Duplicate;
            r.status = QStringLiteral("重复");
        }
        preview.rows << r;
    }

    // Refunds netted: against the original in the same file, else the one in the books.
    QHash<QString, qsizetype> byTxno, byMerchant;
    for (qsizetype i = 0; i < n; ++i) {
        if (refund[i] || preview.rows[i].state == RowState::Skipped ||
            preview.rows[i].direction != kExpenditure)
            continue;
        if (!bill.rows[i].transactionNo.isEmpty())
            byTxno.insert(bill.rows[i].transactionNo, i);
        if (!preview.rows[i].merchantNo.isEmpty())
            byMerchant.insert(preview.rows[i].merchantNo, i);
    }
    QList<qint64> refundedInFile(n, 0);
    QList<qsizetype> originalOf(n, -1);
    for (qsizetype i = 0; i < n; ++i) {
        if (!refund[i] || preview.rows[i].state != RowState::New)
            continue;
        const BillRow& b = bill.rows[i];
        const QString originalTxno = originalTxnoOf(source, b);
        qsizetype original = -1;
        if (!originalTxno.isEmpty())
            original = byTxno.value(originalTxno, -1);
        else if (!preview.rows[i].merchantNo.isEmpty())
            original = byMerchant.value(preview.rows[i].merchantNo, -1);
        if (original < 0 && source == Source::WeChat) {
            // A WeChat refund names its original's counterparty; the original says it was refunded.
            for (qsizetype j = 0; j < n && original < 0; ++j)
                if (j != i && !refund[j] && preview.rows[j].direction == kExpenditure &&
                    preview.rows[j].counterparty == preview.rows[i].counterparty &&
                    statedRefund(bill.rows[j]) > 0)
                    original = j;
        }
        PreviewRow& r = preview.rows[i];
        if (original >= 0 && preview.rows[original].state == RowState::New) {
            originalOf[i] = original;
            refundedInFile[original] += b.cents;
            r.state = RowState::Skipped;
            r.status =
                QStringLiteral("退款，已从第 %1 行的原交易扣除").arg(bill.rows[original].line);
            continue;
        }
        std::optional<EarlierEntry> earlier;
        if (original >= 0)
            earlier = books.byKey.value(preview.rows[original].key);
        else if (!originalTxno.isEmpty() && books.byTxno.contains(originalTxno))
            earlier = books.byTxno.value(originalTxno);
        else if (!r.merchantNo.isEmpty() && books.byMerchantNo.contains(r.merchantNo))
            earlier = books.byMerchantNo.value(r.merchantNo);
        if (earlier && earlier->direction == kExpenditure) {
            r.direction = kExpenditure;
            r.cents = -b.cents;
            r.major = earlier->major;
            r.minor = earlier->minor;
            r.refundOfEarlier = true;
            r.status = QStringLiteral("退款，原交易已在账本中");
            continue;
        }
        if (r.direction == kIncome) {
            r.status = QStringLiteral("退款，未找到原交易，按收入导入");
            continue;
        }
        r.state = RowState::Skipped;
        r.direction.clear();
        r.status = QStringLiteral("退款，未找到原交易");
    }

    // Originals: what is left after their refunds (stated in their status, or rows of the file).
    for (qsizetype i = 0; i < n; ++i) {
        PreviewRow& r = preview.rows[i];
        if (r.state != RowState::New || refund[i] || r.direction != kExpenditure)
            continue;
        const qint64 stated = statedRefund(bill.rows[i]);
        const qint64 refunded = stated > 0 ? stated : refundedInFile[i];
        if (refunded <= 0)
            continue;
        QStringList absorbed;
        for (qsizetype j = 0; j < n; ++j)
            if (originalOf[j] == i)
                absorbed << preview.rows[j].key;
        if (refunded >= r.cents) {
            r.state = RowState::Skipped;
            r.status = QStringLiteral("已全额退款");
            r.direction.clear();
            for (qsizetype j = 0; j < n; ++j)
                if (originalOf[j] == i)
                    preview.rows[j].status =
                        QStringLiteral("退款，与第 %1 行的原交易抵销").arg(bill.rows[i].line);
            continue;
        }
        r.cents -= refunded;
        r.absorbedKeys = absorbed;
        r.status = QStringLiteral("已扣除退款 %1 元").arg(centsText(refunded));
    }

    // Categories and ticks of what is new.
    for (qsizetype i = 0; i < n; ++i) {
        PreviewRow& r = preview.rows[i];
        if (r.state != RowState::New)
            continue;
        r.ticked = true;
        if (r.refundOfEarlier)
            continue;
        Category c;
        if (isYield(bill.rows[i]) && directionOf(bill.rows[i]).isEmpty())
            c = lists.fitting(kIncome, {QStringLiteral("投资收益"), QStringLiteral("理财收益")});
        if (c.major.isEmpty())
            c = suggestCategory(r.direction, bill.rows[i], lists, map, books);
        r.major = c.major;
        r.minor = c.minor;
    }
    markAcrossSources(preview, bill, books.otherSources);
    return preview;
}

} // namespace bills
