// The QIF reader and the mapped-CSV reader on any input: nothing crashes, every record is a
// row or a listed unreadable entry, every amount is exactly one the file wrote, and the
// fingerprints of the rows are distinct.
#include "fuzzcheck.h"
#include "import/billtext.h"
#include "import/csvmapping.h"
#include "import/fingerprint.h"
#include "import/qifstatement.h"
#include "platform/apperror.h"

#include <QHash>
#include <QSet>
#include <fuzzer/FuzzedDataProvider.h>

using namespace bills;

namespace {

void distinctFingerprints(BillFile file, const QByteArray& input) {
    QList<bool> numbered;
    for (const BillRow& r : file.rows)
        numbered << !r.transactionNo.isEmpty();
    const BillFile before = file;
    addFingerprints(file);
    QSet<QString> seen;
    for (int i = 0; i < file.rows.size(); ++i) {
        const QString& number = file.rows.at(i).transactionNo;
        if (numbered.at(i)) {
            check(number == before.rows.at(i).transactionNo, "a file's own number stays", input);
            continue;
        }
        check(isFingerprint(number), "rows without a number get a fingerprint", input);
        check(!seen.contains(number), "fingerprints are distinct", input);
        seen.insert(number);
    }
}

// The records of the transaction sections, counted independently of the reader: the line each
// starts on, and the amounts its lines write.
struct Record {
    int line = 0;
    QSet<qint64> amounts;
};

QList<Record> qifRecords(const QStringList& lines) {
    QList<Record> records;
    bool inTransactions = false, inAccount = false, open = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString t = lines.at(i).trimmed();
        if (t.isEmpty())
            continue;
        if (t.startsWith(u'!')) {
            open = false;
            const QString type = t.mid(1).toLower();
            if (type.startsWith(u"type:")) {
                const QString kind = type.mid(5).trimmed();
                inTransactions = kind == u"bank" || kind == u"cash" || kind == u"ccard";
                inAccount = false;
            } else if (type == u"account") {
                inAccount = true;
                inTransactions = false;
            }
            continue;
        }
        if (inAccount || !inTransactions)
            continue;
        if (t == u"^") {
            open = false;
            continue;
        }
        if (!open) {
            records << Record{i + 1, {}};
            open = true;
        }
        if (t.startsWith(u'T') || t.startsWith(u'U') || t.startsWith(u'$'))
            if (const auto c = parseCents(t.mid(1).trimmed()))
                records.last().amounts << (*c < 0 ? -*c : *c);
    }
    return records;
}

void qif(const QByteArray& input, DateOrder order) {
    const QString text = QString::fromUtf8(input);
    BillFile file;
    try {
        file = readQif(text, order);
    } catch (const DateOrderUndecided&) {
        check(order == DateOrder::Unknown, "an order given is used", input);
        return;
    } catch (const AppError& e) {
        check(e.text().contains(QStringLiteral("矛盾")), "only contradicting dates refuse a file",
              e.text().toUtf8());
        return;
    }
    QHash<int, Record> byLine;
    for (const Record& r : qifRecords(textLines(text)))
        byLine.insert(r.line, r);
    QSet<int> accounted;
    for (const BillRow& r : file.rows) {
        check(byLine.contains(r.line), "a row starts where a record starts", input);
        check(r.cents >= 0, "amounts are positive", input);
        check(byLine.value(r.line).amounts.contains(r.cents), "an amount is one the record wrote",
              input);
        check(r.date.isValid(), "rows have a date", input);
        accounted.insert(r.line);
    }
    for (const UnreadableRow& u : file.unreadable) {
        check(byLine.contains(u.line), "an unreadable entry starts where a record starts", input);
        check(!accounted.contains(u.line), "a record is a row or unreadable, not both", input);
        accounted.insert(u.line);
    }
    check(accounted.size() == byLine.size(), "every record is accounted for", input);
    distinctFingerprints(file, input);
}

void mappedCsv(FuzzedDataProvider& in) {
    CsvMapping m;
    m.name = QStringLiteral("fuzz");
    m.encoding = in.ConsumeBool() ? QStringLiteral("GBK") : QStringLiteral("UTF-8");
    m.headerRow = in.ConsumeIntegralInRange(0, 3);
    m.dateColumn = in.ConsumeIntegralInRange(-1, 4);
    m.dateFormat = in.ConsumeBool() ? QString() : QStringLiteral("MM/dd");
    m.amountStyle = AmountStyle(in.ConsumeIntegralInRange(0, 2));
    m.amountColumn = in.ConsumeIntegralInRange(-1, 4);
    m.incomeColumn = in.ConsumeIntegralInRange(-1, 4);
    m.expenseColumn = in.ConsumeIntegralInRange(-1, 4);
    m.directionColumn = in.ConsumeIntegralInRange(-1, 4);
    m.positiveIsIncome = in.ConsumeBool();
    m.incomeTexts = QStringList{QStringLiteral("收入"), QStringLiteral("in")};
    if (in.ConsumeBool())
        m.expenseTexts = QStringList{QStringLiteral("支出")};
    m.remarkColumns = {in.ConsumeIntegralInRange(0, 4)};
    m.balanceColumn = in.ConsumeIntegralInRange(-1, 4);
    m.transactionNoColumn = in.ConsumeIntegralInRange(-1, 4);
    const QByteArray bytes = QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());

    check(mappingToJson(mappingFromJson(mappingToJson(m))) == mappingToJson(m),
          "a mapping reads back from its JSON", bytes);
    if (!mappingProblem(m).isEmpty())
        return;
    const BillFile file = readMappedCsv(bytes, m, QDate(2024, 6, 30));
    const QStringList lines = textLines(decodeAs(bytes, m.encoding));
    int records = 0;
    for (int i = m.headerRow + 1; i < lines.size(); ++i)
        records += !cleanCells(lines.at(i)).join(QString()).isEmpty();
    check(file.rows.size() + file.unreadable.size() == records,
          "every line under the header is accounted for", bytes);
    for (const BillRow& r : file.rows) {
        const QStringList cells = cleanCells(lines.value(r.line - 1));
        QList<int> columns;
        if (m.amountStyle == AmountStyle::IncomeExpense)
            columns = {m.incomeColumn, m.expenseColumn};
        else
            columns = {m.amountColumn};
        bool written = false;
        for (int c : columns) {
            const auto v = parseCents(cells.value(c));
            written = written || (v && (*v < 0 ? -*v : *v) == r.cents);
        }
        check(written, "an amount is the one its cell wrote", bytes);
        check(r.cents == 0 || r.direction == u"收入" || r.direction == u"支出",
              "a row with an amount has a direction", bytes);
    }
    distinctFingerprints(file, bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    FuzzedDataProvider in(data, size);
    const int which = in.ConsumeIntegralInRange(0, 3);
    if (which == 3) {
        mappedCsv(in);
        return 0;
    }
    const QByteArray input = QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());
    qif(input, DateOrder(which));
    return 0;
}
