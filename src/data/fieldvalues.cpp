#include "data/fieldvalues.h"

#include "data/formats.h"
#include "platform/apperror.h"

namespace fieldvalues {

QVariant normalised(schema::Kind kind, const QVariant& v) {
    if (v.isNull())
        return kind == schema::Kind::YesNo ? QVariant(false) : QVariant();
    switch (kind) {
    case schema::Kind::YesNo:
        return QVariant(v.toLongLong() != 0);
    case schema::Kind::Amount:
    case schema::Kind::Number:
        return v.typeId() == QMetaType::QString ? v : QVariant(v.toDouble());
    case schema::Kind::Integer:
        return v.typeId() == QMetaType::QString ? v : QVariant(v.toLongLong());
    case schema::Kind::Date:
    case schema::Kind::Text:
        return QVariant(v.toString());
    }
    return v;
}

QVariant bound(schema::Kind kind, const QVariant& v) {
    if (kind == schema::Kind::YesNo)
        return QVariant(v.toBool() ? 1 : 0);
    return v;
}

QVariant fromText(schema::Kind kind, const QString& text) {
    formats::checkCellText(text);
    if (kind == schema::Kind::Text)
        return text;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return kind == schema::Kind::YesNo ? QVariant(false) : QVariant();
    switch (kind) {
    case schema::Kind::Date:
        return formats::dateText(formats::parseDate(t));
    case schema::Kind::Amount:
        return formats::parseAmount(t);
    case schema::Kind::Number:
        return formats::parseNumber(t);
    case schema::Kind::Integer:
        return qlonglong(formats::parseInteger(t));
    case schema::Kind::YesNo:
        if (t == QLatin1String("1") || t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
            t == QStringLiteral("是"))
            return true;
        if (t == QLatin1String("0") ||
            t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
            t == QStringLiteral("否"))
            return false;
        throw AppError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
    case schema::Kind::Text:
        break;
    }
    return text;
}

} // namespace fieldvalues
