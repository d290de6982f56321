#include "support/categoryfiles.h"

#include "lists/gbk.h"

QByteArray gbk(const QString& text) {
    return lists::encode(text);
}

QByteArray listFile(const QStringList& lines) {
    QByteArray out;
    for (const QString& l : lines)
        out += gbk(l) + "\r\n";
    return out;
}

const QStringList kIncomeMajors{"工资", "奖金"};
const QStringList kIncomeMinors{"工资-基本工资", "工资-加班", "奖金-年终奖"};
const QStringList kSpendingMajors{"餐饮", "交通"};
const QStringList kSpendingMinors{"餐饮-早餐", "餐饮-午餐", "交通-公交"};
