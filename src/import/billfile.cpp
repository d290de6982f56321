#include "import/billfile.h"

namespace bills {

QString sourceName(Source source) {
    switch (source) {
    case Source::Alipay:
        return QStringLiteral("支付宝");
    case Source::WeChat:
        return QStringLiteral("微信支付");
    case Source::Icbc:
        return QStringLiteral("工商银行");
    case Source::Ccb:
        return QStringLiteral("建设银行");
    case Source::Ofx:
        return QStringLiteral("OFX");
    case Source::Qif:
        return QStringLiteral("QIF");
    case Source::MappedCsv:
        return QStringLiteral("CSV");
    }
    return {};
}

} // namespace bills
