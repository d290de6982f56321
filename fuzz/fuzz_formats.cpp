// Amounts and dates: a formatted amount reads back as the value rounded to the cent, and a
// text that parses as a date or a number is one the formats would accept again.
#include "data/formats.h"
#include "fuzzcheck.h"
#include "platform/apperror.h"

#include <cmath>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

// The number a "￥#,##0.##" text stands for.
double yuanValue(QString text) {
    text.remove(QStringLiteral("￥")).remove(u',');
    return formats::parseNumber(text);
}

void amounts(double v) {
    // Amounts a household writes: within a trillion yuan, where cents are exact in a double.
    if (!std::isfinite(v) || std::fabs(v) >= 1e12)
        return;
    const double cents = formats::parseNumber(formats::roundedDecimal(v, 2));
    const QByteArray detail = QByteArray::number(v, 'g', 17);
    check(std::fabs(cents - v) <= 0.005 + std::fabs(v) * 1e-15,
          "rounding moves at most half a cent", detail);
    check(formats::parseNumber(formats::fixed2(v)) == cents, "0.00 reads back rounded", detail);
    check(yuanValue(formats::yuan(v)) == cents, "yuan text reads back rounded", detail);
    // The general form keeps 15 significant digits.
    const double general = formats::parseNumber(formats::general(v));
    check(general == v || std::fabs(general - v) <= std::fabs(v) * 1e-14, "general reads back",
          detail);
}

void texts(const QString& text) {
    try {
        const QDate d = formats::parseDate(text);
        check(d.isValid() && formats::dateText(d) == text, "a parsed date is written as typed",
              text.toUtf8());
    } catch (const AppError& e) {
        check(e.text().startsWith(u'\''), "date error names the text", e.text().toUtf8());
    }
    try {
        const double v = formats::parseNumber(text);
        check(!std::isnan(v), "a parsed number is a number", text.toUtf8());
    } catch (const AppError&) {
    }
    try {
        formats::parseInteger(text);
    } catch (const AppError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    FuzzedDataProvider in(data, size);
    double raw;
    const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(sizeof raw);
    if (bytes.size() == sizeof raw) {
        std::memcpy(&raw, bytes.data(), sizeof raw);
        amounts(raw);
        // Whole cents and values near the half-cent, where rounding decides.
        amounts(double(in.ConsumeIntegralInRange<qint64>(-99999999999, 99999999999)) / 100.0);
        amounts(double(in.ConsumeIntegralInRange<qint64>(-9999999999, 9999999999)) / 1000.0);
    }
    texts(QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString())));
    return 0;
}
