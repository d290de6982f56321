#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

// What a bill or statement file says, row by row, before any rule of the ledger is applied.
// Every reader (payment apps, banks, OFX, QIF, a mapped CSV) produces a BillFile; the import
// rules turn its rows into ledger entries.
namespace bills {

// Where a bill came from: decides which rules apply to its rows.
enum class Source { Alipay, WeChat, Icbc, Ccb, Ofx, Qif, MappedCsv };

// The name of a source as the user reads it (支付宝, 微信支付, 工商银行, …).
QString sourceName(Source source);

// One row of a bill, as the file states it. Texts are trimmed of blanks and TABs; "/" and
// "-" placeholders are kept as written (the rules decide what they mean).
struct BillRow {
    int line = 0;      // 1-based line (text files) or row (spreadsheets) of the row
    QDate date;        // the day of the transaction
    QString time;      // "HH:mm" or "HH:mm:ss" as stated; empty when the file has none
    QString direction; // as stated: 收入, 支出, or a neutral mark (不计收支, 其他, /, empty)
    qint64 cents = 0;      // the amount in fen, exact and positive
    QString kind;          // the bill's own row kind: 交易分类 / 交易类型, OFX TRNTYPE, …
    QString counterparty;  // 交易对方, payee, OFX NAME
    QString goods;         // 商品说明 / 商品, memo
    QString method;        // 收/付款方式 / 支付方式; empty for bank statements
    QString status;        // 交易状态 / 当前状态 / 资金状态
    QString transactionNo; // the bill's own transaction number; empty when the file has none
    QString merchantNo;    // the merchant's order number, when stated
    QString note;          // 备注
    QString balance;       // the account balance after the row as stated (bank statements)
    QString category;      // a category the file itself names (QIF "L" as Major:Minor)
    bool transfer = false; // the file marks the row as a transfer between own accounts
    qint64 refundedCents = 0; // what the row's own status says was refunded already
};

// A row the reader could not read: where it is, its text, and why.
struct UnreadableRow {
    int line = 0;
    QString text;
    QString why;
};

// The totals a bill states for itself in its preamble (收入：2笔 8530.00元 …).
struct StatedTotals {
    int incomeCount = 0;
    qint64 incomeCents = 0;
    int expenseCount = 0;
    qint64 expenseCents = 0;
    // The neutral rows (不计收支, 其他, 中性交易), when the file states them.
    bool neutralStated = false;
    int neutralCount = 0;
    qint64 neutralCents = 0;
};

// A whole bill file as read.
struct BillFile {
    Source source = Source::Alipay;
    QString layout;      // which layout of its source it has (for messages and tests)
    QString account;     // the card or account the statement belongs to, when it says so
    QList<BillRow> rows; // in the order of the file
    QList<UnreadableRow> unreadable;
    std::optional<StatedTotals> stated;
};

} // namespace bills
