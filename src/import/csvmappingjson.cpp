#include "import/csvmapping.h"
#include "platform/apperror.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// A column mapping kept as a small JSON text, as the books store it.
namespace bills {
namespace {

QString styleName(AmountStyle style) {
    switch (style) {
    case AmountStyle::Signed:
        return QStringLiteral("signed");
    case AmountStyle::IncomeExpense:
        return QStringLiteral("income-expense");
    case AmountStyle::AmountAndDirection:
        return QStringLiteral("amount-direction");
    }
    return QString();
}

QJsonArray toArray(const QStringList& texts) {
    QJsonArray a;
    for (const QString& t : texts)
        a.append(t);
    return a;
}

} // namespace

QString mappingToJson(const CsvMapping& m) {
    QJsonObject o;
    o.insert(QStringLiteral("name"), m.name);
    o.insert(QStringLiteral("encoding"), m.encoding);
    o.insert(QStringLiteral("headerRow"), m.headerRow);
    o.insert(QStringLiteral("header"), m.header);
    o.insert(QStringLiteral("date"), m.dateColumn);
    o.insert(QStringLiteral("dateFormat"), m.dateFormat);
    o.insert(QStringLiteral("amountStyle"), styleName(m.amountStyle));
    o.insert(QStringLiteral("amount"), m.amountColumn);
    o.insert(QStringLiteral("positiveIsIncome"), m.positiveIsIncome);
    o.insert(QStringLiteral("income"), m.incomeColumn);
    o.insert(QStringLiteral("expense"), m.expenseColumn);
    o.insert(QStringLiteral("direction"), m.directionColumn);
    o.insert(QStringLiteral("incomeTexts"), toArray(m.incomeTexts));
    o.insert(QStringLiteral("expenseTexts"), toArray(m.expenseTexts));
    QJsonArray remarks;
    for (int c : m.remarkColumns)
        remarks.append(c);
    o.insert(QStringLiteral("remarks"), remarks);
    o.insert(QStringLiteral("counterparty"), m.counterpartyColumn);
    o.insert(QStringLiteral("transactionNo"), m.transactionNoColumn);
    o.insert(QStringLiteral("balance"), m.balanceColumn);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

CsvMapping mappingFromJson(const QString& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw AppError(QStringLiteral("保存的列映射已损坏，无法读取"));
    const QJsonObject o = doc.object();
    CsvMapping m;
    auto column = [&](const char16_t* key) {
        const QJsonValue v = o.value(QString::fromUtf16(key));
        return v.isDouble() && v.toInt(-1) >= 0 ? v.toInt() : -1;
    };
    auto texts = [&](const char16_t* key) {
        QStringList out;
        for (const QJsonValue v : o.value(QString::fromUtf16(key)).toArray())
            if (v.isString())
                out << v.toString();
        return out;
    };
    m.name = o.value(QStringLiteral("name")).toString();
    m.encoding = o.value(QStringLiteral("encoding")).toString(QStringLiteral("UTF-8"));
    m.headerRow = qMax(0, o.value(QStringLiteral("headerRow")).toInt(0));
    m.header = o.value(QStringLiteral("header")).toString();
    m.dateColumn = column(u"date");
    m.dateFormat = o.value(QStringLiteral("dateFormat")).toString();
    const QString style = o.value(QStringLiteral("amountStyle")).toString();
    if (style == styleName(AmountStyle::IncomeExpense))
        m.amountStyle = AmountStyle::IncomeExpense;
    else if (style == styleName(AmountStyle::AmountAndDirection))
        m.amountStyle = AmountStyle::AmountAndDirection;
    else if (style == styleName(AmountStyle::Signed))
        m.amountStyle = AmountStyle::Signed;
    else
        throw AppError(QStringLiteral("保存的列映射“%1”的金额方式无法识别").arg(m.name));
    m.amountColumn = column(u"amount");
    m.positiveIsIncome = o.value(QStringLiteral("positiveIsIncome")).toBool(true);
    m.incomeColumn = column(u"income");
    m.expenseColumn = column(u"expense");
    m.directionColumn = column(u"direction");
    m.incomeTexts = texts(u"incomeTexts");
    m.expenseTexts = texts(u"expenseTexts");
    for (const QJsonValue v : o.value(QStringLiteral("remarks")).toArray())
        if (v.isDouble() && v.toInt(-1) >= 0)
            m.remarkColumns << v.toInt();
    m.counterpartyColumn = column(u"counterparty");
    m.transactionNoColumn = column(u"transactionNo");
    m.balanceColumn = column(u"balance");
    return m;
}

} // namespace bills
