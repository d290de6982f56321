#include "import/statementmatch.h"

#include "import/billtext.h"

#include <QMultiHash>
#include <QRegularExpression>

namespace bills {

namespace {

constexpr int maxDaysApart = 3;

bool isApp(Source s) {
    return s == Source::Alipay || s == Source::WeChat;
}

bool isMoved(const QString& direction) {
    return direction == u"收入" || direction == u"支出";
}

// Whether a text names one of the payment apps, as bank statements write them.
bool namesApp(const QString& text) {
    static const QRegularExpression app(QStringLiteral("支付宝|财付通|微信|alipay|tenpay|wechat"),
                                        QRegularExpression::CaseInsensitiveOption);
    return app.match(text).hasMatch();
}

// An app row that moves money between the app and a bank account: the app's neutral mark
// with 提现 (to the bank) or 充值 (from the bank). A failed withdrawal moved nothing.
enum class AppMove { None, Withdrawal, TopUp };

AppMove appMoveOf(const ImportedEntry& e) {
    if (!isApp(e.source) || isMoved(e.direction) || e.text.contains(QStringLiteral("失败")))
        return AppMove::None;
    if (e.text.contains(QStringLiteral("提现")))
        return AppMove::Withdrawal;
    if (e.text.contains(QStringLiteral("充值")))
        return AppMove::TopUp;
    return AppMove::None;
}

// The service fee an app withdrawal names in its note ("服务费¥0.10"), in fen.
qint64 feeOf(const ImportedEntry& e) {
    static const QRegularExpression fee(
        QStringLiteral("服务费\\s*[¥￥]?\\s*([0-9]+(?:\\.[0-9]{1,2})?)"));
    const auto m = fee.match(e.text);
    return m.hasMatch() ? parseCents(m.captured(1)).value_or(0) : 0;
}

// The names a bank goes by in payment methods: 中国工商银行 → 工商银行, 工行.
QStringList bankAliases(const QString& bank) {
    QStringList names;
    if (bank.isEmpty())
        return names;
    names << bank;
    QString core = bank;
    if (core.endsWith(QStringLiteral("银行")))
        core.chop(2);
    if (core.startsWith(QStringLiteral("中国")) && core.size() > 2) {
        core.remove(0, 2);
        names << core + QStringLiteral("银行");
    }
    if (core == u"中国")
        names << QStringLiteral("中行");
    else if (!core.isEmpty())
        names << core.left(1) + QStringLiteral("行");
    if (bank.contains(QStringLiteral("工商")))
        names << QStringLiteral("ICBC");
    if (bank.contains(QStringLiteral("建设")))
        names << QStringLiteral("CCB");
    return names;
}

// Whether the app's payment method is the statement's card: the last digits where both show
// them, else the bank's name in the method.
bool sameCard(const ImportedEntry& app, const ImportedEntry& bank) {
    const QString appTail = cardTail(app.method);
    const QString bankTail = cardTail(bank.account);
    if (!appTail.isEmpty() && !bankTail.isEmpty())
        return appTail == bankTail;
    for (const QString& name : bankAliases(bank.bank))
        if (app.method.contains(name, Qt::CaseInsensitive))
            return true;
    return false;
}

int daysApart(const ImportedEntry& a, const ImportedEntry& b) {
    return int(qAbs(a.date.daysTo(b.date)));
}

bool isDuplicate(const ImportedEntry& a, const ImportedEntry& b) {
    if (isApp(a.source) == isApp(b.source) || a.cents <= 0 || a.cents != b.cents ||
        !isMoved(a.direction) || a.direction != b.direction || daysApart(a, b) > maxDaysApart)
        return false;
    return isApp(a.source) ? sameCard(a, b) : sameCard(b, a);
}

// An app withdrawal or top-up and the bank row on the other end.
bool isTransferPair(const ImportedEntry& a, const ImportedEntry& b) {
    const ImportedEntry& app = isApp(a.source) ? a : b;
    const ImportedEntry& bank = isApp(a.source) ? b : a;
    if (isApp(bank.source) || !isApp(app.source) || daysApart(a, b) > maxDaysApart)
        return false;
    const AppMove move = appMoveOf(app);
    if (move == AppMove::None)
        return false;
    const bool amountFits =
        bank.cents == app.cents ||
        (move == AppMove::Withdrawal && feeOf(app) > 0 && bank.cents == app.cents - feeOf(app));
    const QString wanted =
        move == AppMove::Withdrawal ? QStringLiteral("收入") : QStringLiteral("支出");
    return amountFits && bank.direction == wanted &&
           (namesApp(bank.text) ||
            (!cardTail(app.method).isEmpty() && cardTail(app.method) == cardTail(bank.account)));
}

// A bank row that says by itself that it is a withdrawal from an app.
bool isWithdrawalText(const ImportedEntry& bank) {
    static const QRegularExpression withdrawal(QStringLiteral(
        "(支付宝|财付通|微信|零钱).{0,12}提现|提现.{0,12}(支付宝|财付通|微信|零钱)"));
    return !isApp(bank.source) && bank.direction == u"收入" &&
           withdrawal.match(bank.text).hasMatch();
}

QString dateText(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

bool movesMoneyWithBank(const ImportedEntry& e) {
    return appMoveOf(e) != AppMove::None;
}

QString cardTail(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("[0-9]+"));
    QString last;
    for (auto it = digits.globalMatch(text); it.hasNext();)
        last = it.next().captured();
    return last.size() >= 4 ? last.right(4) : QString();
}

ImportedEntry entryOf(const BillRow& row, const BillFile& file, qint64 id) {
    ImportedEntry e;
    e.id = id;
    e.source = file.source;
    e.date = row.date;
    e.cents = row.cents;
    e.direction = row.direction;
    e.method = row.method;
    e.account = file.account;
    QStringList text;
    for (const QString& t : {row.kind, row.counterparty, row.goods, row.note})
        if (!t.isEmpty())
            text << t;
    e.text = text.join(u' ');
    if (file.source == Source::Icbc)
        e.bank = QStringLiteral("工商银行");
    else if (file.source == Source::Ccb)
        e.bank = QStringLiteral("建设银行");
    else if (!isApp(file.source)) {
        static const QRegularExpression bank(QStringLiteral("[\\x{4e00}-\\x{9fff}]{0,4}银行"));
        for (const QString& t : {file.layout, file.account})
            if (const auto m = bank.match(t); m.hasMatch() && e.bank.isEmpty())
                e.bank = m.captured();
    }
    return e;
}

QList<CrossMatch> matchAcrossSources(const BillFile& file, const QList<ImportedEntry>& entries) {
    // Candidates are looked up, not searched for: by amount, and the few app rows that move
    // money to or from a bank account.
    QMultiHash<qint64, int> byCents;
    QList<int> moving;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).source == file.source)
            continue;
        byCents.insert(entries.at(i).cents, i);
        if (appMoveOf(entries.at(i)) != AppMove::None)
            moving << i;
    }
    QList<CrossMatch> out;
    QList<bool> used(entries.size(), false);
    for (const BillRow& row : file.rows) {
        const ImportedEntry mine = entryOf(row, file);
        CrossMatch match;
        auto nearest = [&](const QList<int>& candidates, auto fits) {
            int best = -1;
            for (int i : candidates) {
                if (used.at(i) || !fits(entries.at(i)))
                    continue;
                if (best < 0 ||
                    daysApart(mine, entries.at(i)) < daysApart(mine, entries.at(best)) ||
                    (daysApart(mine, entries.at(i)) == daysApart(mine, entries.at(best)) &&
                     i < best))
                    best = i;
            }
            return best;
        };
        QList<int> sameAmount = byCents.values(mine.cents);
        QList<int> transferCandidates = moving;
        if (appMoveOf(mine) != AppMove::None) {
            transferCandidates = sameAmount;
            if (const qint64 fee = feeOf(mine); fee > 0)
                transferCandidates << byCents.values(mine.cents - fee);
        }
        if (!row.transfer) {
            if (const int t =
                    nearest(transferCandidates,
                            [&](const ImportedEntry& e) { return isTransferPair(mine, e); });
                t >= 0) {
                used[t] = true;
                match = {CrossKind::OwnTransfer, t,
                         QStringLiteral("自己账户间转账：对应%1 %2 的记录")
                             .arg(sourceName(entries.at(t).source), dateText(entries.at(t).date))};
            } else if (isWithdrawalText(mine)) {
                match = {CrossKind::OwnTransfer, -1,
                         QStringLiteral("自己账户间转账：支付宝/微信提现到银行卡")};
            } else if (const int d =
                           nearest(sameAmount,
                                   [&](const ImportedEntry& e) { return isDuplicate(mine, e); });
                       d >= 0) {
                used[d] = true;
                match = {CrossKind::PossibleDuplicate, d,
                         QStringLiteral("可能重复：%1 %2 已导入同一笔")
                             .arg(sourceName(entries.at(d).source), dateText(entries.at(d).date))};
            }
        }
        out << match;
    }
    return out;
}

} // namespace bills
