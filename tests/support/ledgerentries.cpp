#include "support/ledgerentries.h"

#include "support/testprogram.h"

#include <QList>

namespace {
QString quotedOrNull(const char* text) {
    return text ? QStringLiteral("'%1'").arg(QString::fromUtf8(text)) : QStringLiteral("null");
}
} // namespace

void insertEntries(TestProgram& program, const QList<LedgerEntry>& entries, const char* zffs,
                   const char* memo) {
    for (const LedgerEntry& e : entries)
        program.exec(
            QStringLiteral("insert into mysalary (adddate, sz, szdl, szxl, money, zffs, memo) "
                           "values ('%1', '%2', '%3', %4, %5, %6, %7)")
                .arg(QLatin1String(e.date), QString::fromUtf8(e.sz), QString::fromUtf8(e.szdl),
                     quotedOrNull(e.szxl))
                .arg(e.money, 0, 'g', 17)
                .arg(quotedOrNull(zffs), quotedOrNull(memo)));
}
