#include "import/alipaycsv.h"

#include "import/billtext.h"

namespace bills {

const TableLayout& alipay2023Layout() {
    static const TableLayout layout{Source::Alipay,
                                    QStringLiteral("支付宝 CSV（2023 年起）"),
                                    {{QStringLiteral("交易时间"), Column::Time},
                                     {QStringLiteral("交易分类"), Column::Kind},
                                     {QStringLiteral("交易对方"), Column::Counterparty},
                                     {QStringLiteral("商品说明"), Column::Goods},
                                     {QStringLiteral("收/支"), Column::Direction},
                                     {QStringLiteral("金额"), Column::Amount},
                                     {QStringLiteral("收/付款方式"), Column::Method},
                                     {QStringLiteral("交易状态"), Column::Status},
                                     {QStringLiteral("交易订单号"), Column::TransactionNo},
                                     {QStringLiteral("商家订单号"), Column::MerchantNo},
                                     {QStringLiteral("备注"), Column::Note}},
                                    false,
                                    {}};
    return layout;
}

const TableLayout& alipay2021Layout() {
    // The same cells but 备注, 收/支 first; neutral rows are 其他; a summary follows the data.
    static const TableLayout layout{Source::Alipay,
                                    QStringLiteral("支付宝 CSV（2021–2022）"),
                                    {{QStringLiteral("收/支"), Column::Direction},
                                     {QStringLiteral("交易对方"), Column::Counterparty},
                                     {QStringLiteral("商品说明"), Column::Goods},
                                     {QStringLiteral("收/付款方式"), Column::Method},
                                     {QStringLiteral("金额"), Column::Amount},
                                     {QStringLiteral("交易状态"), Column::Status},
                                     {QStringLiteral("交易分类"), Column::Kind},
                                     {QStringLiteral("交易订单号"), Column::TransactionNo},
                                     {QStringLiteral("商家订单号"), Column::MerchantNo},
                                     {QStringLiteral("交易时间"), Column::Time}},
                                    true,
                                    {}};
    return layout;
}

namespace {

// The web download states refunds in their own column, and leaves 收/支 blank on refund rows:
// their 资金状态 (已收入, 已支出, 待收入, 待支出) says which way the money went.
std::optional<QString> finishWebRow(BillRow& row, const RowValues& values) {
    const QString& refunded = value(values, Column::Refunded);
    if (!refunded.isEmpty()) {
        const auto cents = parseCents(refunded);
        if (!cents || *cents < 0)
            return QStringLiteral("成功退款金额无法识别：'%1'").arg(refunded);
        row.refundedCents = *cents;
    }
    if (row.direction.isEmpty()) {
        const QString& funds = value(values, Column::FundStatus);
        if (funds == u"已收入" || funds == u"待收入")
            row.direction = QStringLiteral("收入");
        else if (funds == u"已支出" || funds == u"待支出")
            row.direction = QStringLiteral("支出");
    }
    return std::nullopt;
}

} // namespace

const TableLayout& alipayWebLayout() {
    static const TableLayout layout{Source::Alipay,
                                    QStringLiteral("支付宝网页版 CSV"),
                                    {{QStringLiteral("交易号"), Column::TransactionNo},
                                     {QStringLiteral("商家订单号"), Column::MerchantNo},
                                     {QStringLiteral("交易创建时间"), Column::Time},
                                     {QStringLiteral("类型"), Column::Kind},
                                     {QStringLiteral("交易对方"), Column::Counterparty},
                                     {QStringLiteral("商品名称"), Column::Goods},
                                     {QStringLiteral("金额（元）"), Column::Amount},
                                     {QStringLiteral("收/支"), Column::Direction},
                                     {QStringLiteral("交易状态"), Column::Status},
                                     {QStringLiteral("成功退款（元）"), Column::Refunded},
                                     {QStringLiteral("备注"), Column::Note},
                                     {QStringLiteral("资金状态"), Column::FundStatus}},
                                    true,
                                    finishWebRow};
    return layout;
}

std::optional<BillFile> readAlipayCsv(const BillInput& input) {
    if (input.text.isEmpty() || !input.text.contains(u"交易"))
        return std::nullopt;
    const QList<TableLine> lines = csvTableLines(input.text);
    for (const TableLayout* layout :
         {&alipay2023Layout(), &alipay2021Layout(), &alipayWebLayout()}) {
        const int header = findHeader(lines, *layout);
        if (header >= 0)
            return readTable(input.fileName, lines, header, *layout);
    }
    return std::nullopt;
}

} // namespace bills
