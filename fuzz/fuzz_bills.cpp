// The bill readers: CSV bills and XLSX cells built from the input, and the input itself read as a
// bill file. Properties: nothing crashes; every data line after the header is accounted for (a
// row, an unreadable entry, a blank line, or the end marker); amounts are exact (a row's fen are
// the decimal text it came from; a spreadsheet number that stands for an amount in fen reads
// back as that amount); dates and times of spreadsheet serials come back to the second.
#include "fuzzcheck.h"
#include "import/billtext.h"
#include "import/readbill.h"
#include "platform/apperror.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <fuzzer/FuzzedDataProvider.h>
#include <zip.h>

using namespace bills;

namespace {

// A text from the input with no line breaks, quotes or commas (a cell that stays one cell), and
// no control characters (which XML cannot hold).
QString plainText(FuzzedDataProvider& in, size_t length) {
    const QString raw =
        QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(length)));
    QString text;
    text.reserve(raw.size());
    for (QChar c : raw)
        if ((c >= u' ' || c == u'\t') && c != u'"' && c != u',' && c != QChar(0xFFFE) &&
            c != QChar(0xFFFF) && !c.isSurrogate())
            text += c;
    return text;
}

// The amount a decimal text stands for, written as "0.00": the independent reading a row's fen
// are checked against (text rules only, no integer arithmetic).
std::optional<QString> decimalOf(const QString& cell) {
    QString s = cell.normalized(QString::NormalizationForm_KC);
    static const QRegularExpression separators(QStringLiteral("[\\s,¥\\x{3000}]"));
    s.remove(separators);
    if (s.startsWith(u'+'))
        s.remove(0, 1);
    const bool negative = s.startsWith(u'-');
    if (negative)
        s.remove(0, 1);
    static const QRegularExpression number(QStringLiteral("^([0-9]*)(?:\\.([0-9]*))?$"));
    const auto m = number.match(s);
    if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(2).isEmpty()))
        return std::nullopt;
    QString whole = m.captured(1);
    QString decimals = m.captured(2);
    while (decimals.size() > 2 && decimals.endsWith(u'0'))
        decimals.chop(1);
    decimals = decimals.leftJustified(2, u'0');
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    const QString text = whole + u'.' + decimals;
    return negative && text != u"0.00" ? u'-' + text : text;
}

// Reads a bill, answering a password once; a file that is refused is fine, anything else not.
std::optional<BillFile> readOrRefuse(const QString& name, const QByteArray& bytes) {
    try {
        return readBill(name, bytes, [](const QString&, bool again) -> std::optional<QString> {
            return again ? std::nullopt : std::optional<QString>(QStringLiteral("1"));
        });
    } catch (const AppError& e) {
        check(!e.text().isEmpty(), "a refusal says why");
    } catch (const ImportCancelled&) {
    } catch (const CsvMappingNeeded& needed) {
        // A table of no known layout: the user maps its columns; the guess must name a header.
        check(!needed.bytes.isEmpty(), "the mapping step gets the file");
    } catch (const DateOrderUndecided&) {
    }
    return std::nullopt;
}

// What every bill read must hold, whatever it came from.
void checkBill(const BillFile& bill) {
    int last = 0;
    for (const BillRow& row : bill.rows) {
        check(row.date.isValid(), "a row has a date");
        check(row.cents >= 0, "amounts are positive");
        check(row.line > last, "rows in the order of the file");
        last = row.line;
        check(row.transactionNo == cleanCell(row.transactionNo), "numbers trimmed of blanks, TABs",
              row.transactionNo.toUtf8());
    }
    for (const UnreadableRow& row : bill.unreadable)
        check(!row.why.isEmpty() && row.line > 0, "an unreadable row says where and why");
}

// Builds a CSV bill (Alipay or WeChat) from the input and checks each line was accounted for.
void csvBill(FuzzedDataProvider& in) {
    const bool alipay = in.ConsumeBool();
    QStringList lines;
    if (alipay) {
        lines << QStringLiteral("导出信息：") << QStringLiteral("收入：0笔 0.00元")
              << QStringLiteral("支出：0笔 0.00元")
              << QStringLiteral("交易时间 ,交易分类 ,交易对方 ,对方账号 ,商品说明 ,收/支 ,金额 ,"
                                "收/付款方式 ,交易状态 ,交易订单号 ,商家订单号 ,备注 ,");
    } else {
        lines << QStringLiteral("微信支付账单明细,,,,,,,,,,") << QStringLiteral("收入：0笔 0.00元")
              << QStringLiteral("支出：0笔 0.00元")
              << QStringLiteral("交易时间,交易类型,交易对方,商品,收/支,金额(元),支付方式,当前状态,"
                                "交易单号,商户单号,备注");
    }
    const int amountColumn = alipay ? 6 : 5;
    // For each data line (1-based): the amount expected in fen when it is a well-formed row.
    QHash<int, qint64> expected;
    QList<int> accountable;
    bool ended = false;
    const int count = in.ConsumeIntegralInRange(0, 24);
    for (int i = 0; i < count; ++i) {
        const int lineNo = int(lines.size()) + 1;
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0:
        case 1: {
            const qint64 yuan = in.ConsumeIntegralInRange<qint64>(0, 9999999999);
            const qint64 fen = in.ConsumeIntegralInRange<qint64>(0, 99);
            QString amount = QStringLiteral("%1.%2").arg(yuan).arg(fen, 2, 10, QChar(u'0'));
            switch (in.ConsumeIntegralInRange(0, 3)) {
            case 1:
                amount.prepend(QStringLiteral("¥"));
                break;
            case 2:
                amount = QStringLiteral("  ") + amount + QStringLiteral("\t ");
                break;
            case 3:
                amount.prepend(QStringLiteral("￥"));
                break;
            }
            const QDate date = QDate(2015, 1, 1).addDays(in.ConsumeIntegralInRange(0, 5000));
            QStringList cells;
            for (int c = 0; c < (alipay ? 13 : 11); ++c)
                cells << plainText(in, 12);
            cells[0] = date.toString(QStringLiteral("yyyy-MM-dd 12:00:00"));
            cells[amountColumn] = amount;
            cells[alipay ? 9 : 8] = QStringLiteral("%1\t").arg(i);
            if (alipay)
                cells[12] = QString();
            lines << cells.join(u',');
            expected.insert(lineNo, yuan * 100 + fen);
            break;
        }
        case 2:
            lines << QString();
            break;
        case 3:
            lines << plainText(in, 200);
            break;
        case 4: {
            // A row of the right width with cells from the input.
            QStringList cells;
            for (int c = 0; c < (alipay ? 13 : 11); ++c)
                cells << plainText(in, 24);
            lines << cells.join(u',');
            break;
        }
        case 5:
            lines << (in.ConsumeBool() ? QString(20, u'-') : QStringLiteral(" , ,"));
            break;
        }
        // A line whose first cell is dashes ends the data; a blank one is passed over; any other
        // is data and must come back as a row or an unreadable one.
        if (int(lines.size()) == lineNo) {
            const QStringList cells = csvCells(lines.last());
            bool blank = true;
            for (const QString& cell : cells)
                blank = blank && cleanCell(cell).isEmpty();
            if (cleanCell(cells.first()).startsWith(u"---")) {
                ended = true;
                expected.remove(lineNo);
                break;
            }
            if (!blank)
                accountable << lineNo;
        }
    }
    if (ended)
        lines << plainText(in, 100);
    QString text = lines.join(in.ConsumeBool() ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    text += u'\n';
    const QByteArray bytes = alipay && in.ConsumeBool()
                                 ? QByteArray(text.toUtf8())
                                 : QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    const auto bill = readOrRefuse(QStringLiteral("fuzz.csv"), bytes);
    if (!bill) {
        check(accountable.isEmpty(), "a bill with data lines is read, not refused");
        return;
    }
    checkBill(*bill);
    QHash<int, const BillRow*> rows;
    for (const BillRow& row : bill->rows)
        rows.insert(row.line, &row);
    QHash<int, const UnreadableRow*> unreadable;
    for (const UnreadableRow& row : bill->unreadable)
        unreadable.insert(row.line, &row);
    for (int lineNo : accountable) {
        const bool asRow = rows.contains(lineNo), asUnreadable = unreadable.contains(lineNo);
        check(asRow != asUnreadable, "every data line is a row or an unreadable one",
              lines.at(lineNo - 1).toUtf8());
        if (asRow) {
            const BillRow& row = *rows.value(lineNo);
            const QStringList cells = csvCells(lines.at(lineNo - 1));
            const auto decimal = decimalOf(cells.value(amountColumn));
            check(decimal && *decimal == centsText(row.cents), "fen are the decimal text",
                  lines.at(lineNo - 1).toUtf8());
        }
        if (expected.contains(lineNo)) {
            check(asRow, "a well-formed row is read", lines.at(lineNo - 1).toUtf8());
            check(rows.value(lineNo)->cents == expected.value(lineNo), "the amount is exact",
                  lines.at(lineNo - 1).toUtf8());
        }
    }
    check(rows.size() + unreadable.size() == accountable.size(),
          "no row from a line that is not data");
}

QByteArray zipOf(const QList<std::pair<QString, QByteArray>>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    zip_source_keep(buffer);
    for (const auto& [name, bytes] : entries)
        zip_file_add(zip, name.toUtf8().constData(),
                     zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0), 0);
    zip_close(zip);
    QByteArray out;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
        out.resize(qsizetype(stat.size));
        out.resize(
            qsizetype(std::max<zip_int64_t>(0, zip_source_read(buffer, out.data(), stat.size))));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return out;
}

QByteArray workbook(const QString& sheetData) {
    const QString ns = QStringLiteral(
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"");
    return zipOf({
        {QStringLiteral("xl/workbook.xml"),
         QStringLiteral("<workbook %1><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/>"
                        "</sheets></workbook>")
             .arg(ns)
             .toUtf8()},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         QByteArray("<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>"
                    "</Relationships>")},
        {QStringLiteral("xl/styles.xml"),
         QStringLiteral("<styleSheet %1><numFmts><numFmt numFmtId=\"166\" "
                        "formatCode=\"\\¥#,##0.00\"/></numFmts><cellXfs><xf numFmtId=\"0\"/>"
                        "<xf numFmtId=\"166\"/><xf numFmtId=\"22\"/></cellXfs></styleSheet>")
             .arg(ns)
             .toUtf8()},
        {QStringLiteral("xl/worksheets/sheet1.xml"),
         QStringLiteral("<worksheet %1><sheetData>%2</sheetData></worksheet>")
             .arg(ns, sheetData)
             .toUtf8()},
    });
}

QString inlineCell(const QString& ref, const QString& text) {
    return QStringLiteral("<c r=\"%1\" t=\"inlineStr\"><is><t>%2</t></is></c>")
        .arg(ref, text.toHtmlEscaped());
}

// Builds a WeChat Pay XLSX whose amounts and times are number cells written the way spreadsheet
// programs write doubles (17 significant digits), and checks they read back exactly.
void xlsxBill(FuzzedDataProvider& in) {
    const QStringList header{"交易时间", "交易类型", "交易对方", "商品",     "收/支", "金额(元)",
                             "支付方式", "当前状态", "交易单号", "商户单号", "备注"};
    QString xml = QStringLiteral("<row r=\"1\">%1</row>")
                      .arg(inlineCell(QStringLiteral("A1"), QStringLiteral("微信支付账单明细")));
    xml += QStringLiteral("<row r=\"2\">");
    for (int c = 0; c < header.size(); ++c)
        xml += inlineCell(QStringLiteral("%1%2").arg(QChar(u'A' + c)).arg(2), header.at(c));
    xml += QStringLiteral("</row>");
    struct Expected {
        qint64 cents;
        QDateTime when;
    };
    QHash<int, Expected> expected;
    const int count = in.ConsumeIntegralInRange(1, 16);
    for (int r = 3; r < 3 + count; ++r) {
        const qint64 cents = in.ConsumeIntegralInRange<qint64>(0, 999999999999);
        const qint64 days = in.ConsumeIntegralInRange<qint64>(36526, 73000); // 2000 to 2099
        const qint64 second = in.ConsumeIntegralInRange<qint64>(0, 86399);
        const double serial = double(days) + double(second) / 86400.0;
        const QDateTime when(QDate(1899, 12, 30).addDays(days), QTime(0, 0).addSecs(second));
        xml += QStringLiteral("<row r=\"%1\">").arg(r);
        xml += QStringLiteral("<c r=\"A%1\" s=\"2\"><v>%2</v></c>")
                   .arg(r)
                   .arg(QString::number(serial, 'g', 17));
        for (int c = 1; c < header.size(); ++c) {
            const QString ref = QStringLiteral("%1%2").arg(QChar(u'A' + c)).arg(r);
            if (c == 5) {
                const QString value = in.ConsumeBool()
                                          ? QString::number(double(cents) / 100.0, 'g', 17)
                                          : QString::number(double(cents) / 100.0, 'E', 16);
                xml += QStringLiteral("<c r=\"%1\" s=\"1\"><v>%2</v></c>").arg(ref, value);
            } else {
                xml += inlineCell(ref, c == 4 ? QStringLiteral("支出") : plainText(in, 8));
            }
        }
        xml += QStringLiteral("</row>");
        expected.insert(r, {cents, when});
    }
    const auto bill = readOrRefuse(QStringLiteral("fuzz.xlsx"), workbook(xml));
    check(bill.has_value(), "a well-formed workbook is read");
    checkBill(*bill);
    check(bill->unreadable.isEmpty(), "every sheet row is a row",
          bill->unreadable.isEmpty()
              ? QByteArray()
              : (bill->unreadable.first().why + u' ' + bill->unreadable.first().text).toUtf8());
    check(bill->rows.size() == expected.size(), "no row from nothing");
    for (const BillRow& row : bill->rows) {
        const Expected e = expected.value(row.line);
        check(row.cents == e.cents, "a number cell's amount is exact",
              QByteArray::number(e.cents) + " read " + QByteArray::number(row.cents));
        check(row.date == e.when.date() &&
                  row.time == e.when.time().toString(QStringLiteral("HH:mm:ss")),
              "a date serial comes back to the second",
              e.when.toString(Qt::ISODate).toUtf8() + " read " + row.time.toUtf8());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        csvBill(in);
        break;
    case 1:
        xlsxBill(in);
        break;
    case 2: {
        // The input as a bill file, as the user might pick it.
        const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();
        if (const auto bill = readOrRefuse(
                QStringLiteral("fuzz"),
                QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))))
            checkBill(*bill);
        break;
    }
    case 3: {
        // The input as the rows of a sheet, after the WeChat Pay header.
        const QString rows =
            QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));
        QString header = QStringLiteral("<row r=\"1\">");
        const QStringList names{"交易时间", "交易类型", "交易对方", "商品",     "收/支", "金额(元)",
                                "支付方式", "当前状态", "交易单号", "商户单号", "备注"};
        for (int c = 0; c < names.size(); ++c)
            header += inlineCell(QStringLiteral("%11").arg(QChar(u'A' + c)), names.at(c));
        header += QStringLiteral("</row>");
        if (const auto bill = readOrRefuse(QStringLiteral("fuzz.xlsx"), workbook(header + rows)))
            checkBill(*bill);
        break;
    }
    }
    return 0;
}
