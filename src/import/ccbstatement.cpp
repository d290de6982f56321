#include "import/ccbstatement.h"

#include "import/billtext.h"
#include "platform/apperror.h"

#include <QHash>
#include <QTemporaryFile>
#include <cmath>
#include <freexl.h>

namespace bills {

namespace {

// One cell of the sheet as text, or as a number when it holds one.
struct XlsCell {
    QString text;
    std::optional<double> number;
};

// The cells of the first sheet, read through freexl, closed again whatever happens.
class XlsSheet {
public:
    explicit XlsSheet(const QString& path) {
        const QByteArray local = path.toLocal8Bit();
        m_ok = freexl_open(local.constData(), &m_handle) == FREEXL_OK &&
               freexl_select_active_worksheet(m_handle, 0) == FREEXL_OK &&
               freexl_worksheet_dimensions(m_handle, &m_rows, &m_columns) == FREEXL_OK;
    }
    ~XlsSheet() {
        if (m_handle)
            freexl_close(m_handle);
    }
    XlsSheet(const XlsSheet&) = delete;
    XlsSheet& operator=(const XlsSheet&) = delete;

    bool ok() const { return m_ok; }
    unsigned rows() const { return m_rows; }
    unsigned short columns() const { return m_columns; }

    XlsCell at(unsigned row, unsigned short column) const {
        FreeXL_CellValue v;
        if (freexl_get_cell_value(m_handle, row, column, &v) != FREEXL_OK)
            return {};
        switch (v.type) {
        case FREEXL_CELL_INT:
            return {QString::number(v.value.int_value), double(v.value.int_value)};
        case FREEXL_CELL_DOUBLE:
            return {QString::number(v.value.double_value, 'f', 2), v.value.double_value};
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            return {cleanCell(QString::fromUtf8(v.value.text_value)), std::nullopt};
        default:
            return {};
        }
    }

private:
    const void* m_handle = nullptr;
    unsigned m_rows = 0;
    unsigned short m_columns = 0;
    bool m_ok = false;
};

// The amount of a cell in fen: a number cell exactly to the fen, a text cell by its digits.
std::optional<qint64> centsOf(const XlsCell& c) {
    if (c.number)
        return std::isfinite(*c.number) && std::fabs(*c.number) < 1e13
                   ? std::optional<qint64>(centsOfNumber(*c.number))
                   : std::nullopt;
    if (c.text.isEmpty())
        return qint64(0);
    return parseCents(c.text);
}

QString withoutBlanks(QString s) {
    s.remove(u' ').remove(QChar(0x3000));
    return s;
}

} // namespace

bool looksLikeCompoundFile(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

qint64 centsOfNumber(double value) {
    return std::llround(value * 100.0);
}

std::optional<BillFile> readCcbXls(const QByteArray& bytes) {
    if (!looksLikeCompoundFile(bytes))
        return std::nullopt;
    QTemporaryFile temp;
    if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush())
        throw AppError(QStringLiteral("无法写入临时文件：%1").arg(temp.errorString()));
    const XlsSheet sheet(temp.fileName());
    if (!sheet.ok())
        throw AppError(QStringLiteral("这个 Excel 文件已损坏或不是 .xls 工作簿，无法读取"));

    BillFile file;
    file.source = Source::Ccb;
    file.layout = QStringLiteral("xls");
    int headerAt = -1;
    QHash<QString, int> column;
    for (unsigned r = 0; r < sheet.rows() && r < 40 && headerAt < 0; ++r) {
        const QString first = withoutBlanks(sheet.at(r, 0).text);
        if (first.startsWith(QStringLiteral("账号")) && sheet.columns() > 1)
            file.account = sheet.at(r, 1).text;
        QHash<QString, int> titles;
        for (unsigned short c = 0; c < sheet.columns(); ++c)
            titles.insert(withoutBlanks(sheet.at(r, c).text), c);
        if (titles.contains(QStringLiteral("记账日")) && titles.contains(QStringLiteral("支出")) &&
            titles.contains(QStringLiteral("收入"))) {
            headerAt = int(r);
            column = titles;
        }
    }
    if (headerAt < 0)
        return std::nullopt;
    auto text = [&](unsigned r, const char16_t* title) {
        const int c = column.value(QString::fromUtf16(title), -1);
        return c < 0 ? QString() : sheet.at(r, (unsigned short)c).text;
    };
    auto value = [&](unsigned r, const char16_t* title) {
        const int c = column.value(QString::fromUtf16(title), -1);
        return c < 0 ? XlsCell() : sheet.at(r, (unsigned short)c);
    };

    for (unsigned r = unsigned(headerAt) + 1; r < sheet.rows(); ++r) {
        QStringList cells;
        bool restEmpty = true;
        for (unsigned short c = 0; c < sheet.columns(); ++c) {
            cells << sheet.at(r, c).text;
            if (c > 0 && !cells.last().isEmpty())
                restEmpty = false;
        }
        if (cells.join(QString()).isEmpty())
            continue;
        const int line = int(r) + 1;
        QString dateText = text(r, u"交易日期");
        if (dateText.isEmpty())
            dateText = text(r, u"记账日");
        const auto date = parseBillDate(dateText);
        if (!date) {
            if (restEmpty)
                continue; // the footer note (以上数据仅供参考…) under the rows
            file.unreadable << UnreadableRow{line, cells.join(u','),
                                             QStringLiteral("日期无法识别：%1").arg(dateText)};
            continue;
        }
        const auto out = centsOf(value(r, u"支出"));
        const auto in = centsOf(value(r, u"收入"));
        if (!out || !in) {
            file.unreadable << UnreadableRow{line, cells.join(u','),
                                             QStringLiteral("金额无法识别")};
            continue;
        }
        if ((*out != 0) == (*in != 0)) {
            file.unreadable << UnreadableRow{line, cells.join(u','),
                                             *out ? QStringLiteral("收入和支出都有金额")
                                                  : QStringLiteral("没有金额")};
            continue;
        }
        qint64 cents = *in ? *in : *out;
        bool incoming = *in != 0;
        if (cents < 0) {
            cents = -cents;
            incoming = !incoming;
        }
        BillRow row;
        row.line = line;
        row.date = *date;
        row.time = text(r, u"交易时间");
        row.direction = incoming ? QStringLiteral("收入") : QStringLiteral("支出");
        row.cents = cents;
        row.kind = text(r, u"摘要");
        row.counterparty = text(r, u"对方户名");
        row.goods = text(r, u"交易地点");
        row.note = text(r, u"对方账号");
        const XlsCell balance = value(r, u"账户余额");
        row.balance = balance.number ? centsText(centsOfNumber(*balance.number)) : balance.text;
        file.rows << row;
    }
    return file;
}

} // namespace bills
