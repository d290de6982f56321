#include "registers/logic/loansbook.h"

#include "data/checkedsum.h"
#include "data/formats.h"
#include "data/querydataset.h"

namespace loans {

QStringList totalsTexts(QueryDataset& query) {
    // Each sum as the panel shows it (15 significant digits), as a number: the balance is the
    // difference of the two shown sums, so that 0.1 + 0.2 lent against 0.3 borrowed is 0.
    const auto shownSum = [&](const QString& statement) {
        return formats::roundedToDigits(formats::toNumber(checkedsum::readSum(query, statement)),
                                        15);
    };
    const double lent = shownSum(QStringLiteral(
        "select sum(money) from borrow where action like '借给别人' and flag = false"));
    const double borrowed = shownSum(QStringLiteral(
        "select sum(money) from borrow where action like '问别人借' and flag = false"));
    return {QStringLiteral("借出：") + formats::general(lent) + QStringLiteral("元"),
            QStringLiteral("欠款：") + formats::general(borrowed) + QStringLiteral("元"),
            QStringLiteral("余额：") + formats::general(lent - borrowed) + QStringLiteral("元")};
}

} // namespace loans
