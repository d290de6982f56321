#pragma once

#include "import/billfile.h"

#include <QDate>
#include <QList>
#include <QString>

// The same money seen from two sources: a card payment through a payment app that shows again
// on the card's statement, and money moved between an app and the user's own bank account.
namespace bills {

// An entry already imported (or a row of another file of the same import), as these checks
// need it. The import records fill it; entryOf() makes one from a bill row.
struct ImportedEntry {
    qint64 id = 0; // the entry's id in the books (0 for a row not written yet)
    Source source = Source::Alipay;
    QDate date;
    qint64 cents = 0;  // positive
    QString direction; // 收入, 支出, or the neutral mark of an app row (不计收支, /)
    QString method;    // the payment method as the bill stated it ("工商银行储蓄卡(9876)")
    QString bank;      // the bank of a statement (工商银行), empty when not known
    QString account;   // the statement's card or account ("1234****9876")
    QString text;      // the row's kind, counterparty, goods and note, joined
    QString memo;      // the remark of its ledger entry, for messages (entryOf leaves it empty)
};

// The entry for `row` of `file`. The bank is known for ICBC and CCB statements, and for a
// mapped CSV whose mapping name names a bank (招商银行…).
ImportedEntry entryOf(const BillRow& row, const BillFile& file, qint64 id = 0);

// Whether `e` is an app row that moves money between the app and a bank account (a neutral
// 提现 or 充值 that did not fail): it is no entry, yet a later statement may show its other end.
bool movesMoneyWithBank(const ImportedEntry& e);

// What a row is to the entries seen before.
enum class CrossKind {
    None,
    PossibleDuplicate, // 可能重复: the same payment, seen by an app and by the card's bank
    OwnTransfer,       // money moved between the user's own app and bank account
};

// The verdict for one row: the kind, the entry it matches (an index into the entries; -1 when
// the row's own text decides, as for a bank row 支付宝提现 with no app row seen), and why.
struct CrossMatch {
    CrossKind kind = CrossKind::None;
    int entry = -1;
    QString reason;
};

// The last four digits of a card a text shows ("工商银行储蓄卡(9876)", "6214****9876"), or empty.
QString cardTail(const QString& text);

// Checks every row of `file` against `entries` from other sources (entries of the file's own
// source are passed over). A row is a possible duplicate of an entry when, one being an app's
// and the other a bank's, they have the same amount and direction, dates at most 3 days apart,
// and the app's payment method names that bank or shows the card's last four digits (when
// both show digits they must agree). A row is an own transfer when a bank row that names the
// app (支付宝, 财付通, 微信) matches an app withdrawal (income at the bank) or top-up
// (expenditure at the bank) of the same amount within 3 days, either way round; a bank row
// whose text says 支付宝提现 / 微信提现 / 零钱提现 (or 充值 into an app) is one by itself.
// Each entry matches at most one row; the nearest date wins. The result has one verdict per
// row, in the order of the rows.
QList<CrossMatch> matchAcrossSources(const BillFile& file, const QList<ImportedEntry>& entries);

} // namespace bills
