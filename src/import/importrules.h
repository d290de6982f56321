#pragma once

#include "import/billfile.h"
#include "import/categorymap.h"
#include "import/statementmatch.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The rules that turn the rows of a bill into ledger entries: which rows are skipped and why,
// refunds netted against their originals, duplicates of earlier imports, the payment method
// and remark of each entry and the category it is offered. Pure functions over plain data.
namespace bills {

// An entry imported earlier, as the books hold it now (the user may have changed it since).
struct EarlierEntry {
    qint64 salaryId = 0;
    QString direction;
    QString major;
    QString minor;
};

// What the books already know about earlier imports of one source.
struct BooksKnowledge {
    QHash<QString, int> keys;                  // row keys imported earlier, with their count
    QHash<QString, EarlierEntry> byKey;        // the entry each row key went into
    QHash<QString, EarlierEntry> byTxno;       // the same by the bill's transaction number
    QHash<QString, EarlierEntry> byMerchantNo; // the same by the merchant's order number
    // The most recent categories of earlier imported entries, by direction and counterparty
    // (see choiceKey).
    QHash<QString, Category> choices;
    // What was imported from other sources around the bill's dates (and the rows of earlier
    // files of the same import): a card payment or a move between own accounts seen there
    // marks the row (see markAcrossSources).
    QList<ImportedEntry> otherSources;
};

// The key of `choices`: a direction and a counterparty.
QString choiceKey(const QString& direction, const QString& counterparty);

// What becomes of a row.
enum class RowState { New, Duplicate, Skipped };

// One row of the preview: the entry it would become, or why it does not become one.
struct PreviewRow {
    int line = 0;
    QDate date;
    QString direction; // 收入 or 支出; empty for a skipped neutral row
    qint64 cents = 0;  // the entry's amount; negative for a refund of an earlier import
    QString major;
    QString minor;
    QString method;
    QString memo;
    QString status; // the reason for a skipped or duplicate row, a note on a netted one
    RowState state = RowState::New;
    bool ticked = false; // whether 导入 writes it (new rows only)
    // For a new row: whether another source has it already (可能重复) or it moves money between
    // the user's own accounts (转账). Such a row is not ticked; ticked, it is written as any.
    CrossKind cross = CrossKind::None;
    // What the books remember of it.
    QString txno;
    QString merchantNo;
    QString counterparty;
    QString key;                  // its own row key
    QStringList absorbedKeys;     // the row keys of refunds netted into this entry
    bool refundOfEarlier = false; // a refund of an entry imported earlier
    // The row as the bill states it, for later statements of other sources to match against.
    ImportedEntry asStated;
};

// The rows of a bill with what becomes of each, in the order of the file.
struct Preview {
    Source source = Source::Alipay;
    QList<PreviewRow> rows;
    QList<UnreadableRow> unreadable;
    QString totalsProblem; // empty when the rows add up to the totals the file states
};

// The totals line of the preview: the ticked new entries and their sums, the duplicates, the
// unticked rows marked 可能重复 or 转账, and the skipped rows.
struct PreviewTotals {
    int entries = 0;
    qint64 incomeCents = 0;
    qint64 expenditureCents = 0;
    int duplicates = 0;
    int skipped = 0;
    int possibleDuplicates = 0;
    int transfers = 0;
};
PreviewTotals totalsOf(const Preview& preview);

// The preview of `bill` against the user's lists, the mapping table and the books (the rows
// other sources have seen marked by markAcrossSources).
Preview previewBill(const BillFile& bill, const CategoryLists& lists, const CategoryMap& map,
                    const BooksKnowledge& books);

// The rules one by one, for the preview and its tests.

// A row's identity across bills: the transaction number with its time, amount and
// counterparty, so a later bill that overlaps finds it again.
QString rowKey(const BillRow& row);
// 收入, 支出, or empty for a neutral row (不计收支, 其他, /, anything else).
QString directionOf(const BillRow& row);
// Why a row is no entry at all (closed, cancelled, a move between the user's own pockets);
// nothing for a row that counts. Refunds and the exceptions below are not decided here.
std::optional<QString> skipReason(Source source, const BillRow& row);
// Whether the row is a refund of another row.
bool isRefund(Source source, const BillRow& row);
// The fee of a WeChat withdrawal stated in its note ("服务费¥0.10"), in fen.
std::optional<qint64> withdrawalFee(Source source, const BillRow& row);
// Whether a neutral row is investment income (余额宝 收益发放).
bool isYield(const BillRow& row);
// The user's payment method for the method a bill states: a list entry, or the text as written.
QString paymentMethodFor(Source source, const QString& method, const QStringList& methods);
// The remark: the counterparty and the goods, "/" counting as empty.
QString remarkOf(const BillRow& row);
// The refunded part a row's status states ("已退款￥12.00", "已退款(￥12.00)", "已全额退款").
qint64 statedRefund(const BillRow& row);
// The category offered for a row: the user's earlier choice for the counterparty, else the
// mapping table, else none; only categories in `lists`.
Category suggestCategory(const QString& direction, const BillRow& row, const CategoryLists& lists,
                         const CategoryMap& map, const BooksKnowledge& books);
// Marks the new rows of `preview` (made from `bill`, row for row) that match an entry of
// another source in `others` as 可能重复 or 转账 and unticks them, the matched entry named in
// their status; fills every row's asStated. Rows that came from a neutral row of the bill
// (a withdrawal's fee, investment income) are left as they are.
void markAcrossSources(Preview& preview, const BillFile& bill, const QList<ImportedEntry>& others);
// The rows of `preview` the books remember for statements of other sources imported later:
// the ticked new rows, and the skipped app rows that move money to or from a bank.
QList<ImportedEntry> rememberedRows(const Preview& preview);

} // namespace bills
