#include "import/wechatbill.h"

#include "import/billtext.h"
#include "import/xlsxreader.h"

#include <QRegularExpression>

namespace bills {

qint64 refundedFromStatus(const QString& status, qint64 cents) {
    if (status.contains(u"已全额退款"))
        return cents;
    static const QRegularExpression partial(
        QStringLiteral("已退款\\s*[（(]?\\s*[¥￥]?\\s*([0-9][0-9,]*(?:\\.[0-9]+)?)"));
    const auto m = partial.match(status);
    if (!m.hasMatch())
        return 0;
    const auto refunded = parseCents(m.captured(1));
    return refunded ? *refunded : 0;
}

namespace {

std::optional<QString> finishWeChatRow(BillRow& row, const RowValues&) {
    row.refundedCents = refundedFromStatus(row.status, row.cents);
    return std::nullopt;
}

} // namespace

const TableLayout& weChatLayout(bool spreadsheet) {
    static const QList<std::pair<QString, Column>> header{
        {QStringLiteral("交易时间"), Column::Time},
        {QStringLiteral("交易类型"), Column::Kind},
        {QStringLiteral("交易对方"), Column::Counterparty},
        {QStringLiteral("商品"), Column::Goods},
        {QStringLiteral("收/支"), Column::Direction},
        {QStringLiteral("金额(元)"), Column::Amount},
        {QStringLiteral("支付方式"), Column::Method},
        {QStringLiteral("当前状态"), Column::Status},
        {QStringLiteral("交易单号"), Column::TransactionNo},
        {QStringLiteral("商户单号"), Column::MerchantNo},
        {QStringLiteral("备注"), Column::Note}};
    static const TableLayout csv{Source::WeChat, QStringLiteral("微信支付 CSV"), header, false,
                                 finishWeChatRow};
    static const TableLayout xlsx{Source::WeChat, QStringLiteral("微信支付 XLSX"), header, false,
                                  finishWeChatRow};
    return spreadsheet ? xlsx : csv;
}

std::optional<BillFile> readWeChatCsv(const BillInput& input) {
    if (input.text.isEmpty() || !input.text.contains(u"交易类型"))
        return std::nullopt;
    const QList<TableLine> lines = csvTableLines(input.text);
    const TableLayout& layout = weChatLayout(false);
    const int header = findHeader(lines, layout);
    if (header < 0)
        return std::nullopt;
    return readTable(input.fileName, lines, header, layout);
}

std::optional<BillFile> readWeChatXlsx(const BillInput& input) {
    if (!input.zip || !isXlsx(*input.zip))
        return std::nullopt;
    const XlsxWorkbook workbook(*input.zip);
    const TableLayout& layout = weChatLayout(true);
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        const QList<TableLine> lines = workbook.sheetLines(i);
        const int header = findHeader(lines, layout);
        if (header >= 0)
            return readTable(input.fileName, lines, header, layout);
    }
    return std::nullopt;
}

} // namespace bills
