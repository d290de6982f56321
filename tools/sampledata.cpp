#include "tools/sampledata.h"

#include "data/connection.h"
#include "data/formats.h"
#include "data/schema.h"
#include "registers/logic/deposits.h"

#include <QSqlQuery>

void fillSampleBooks(const QString& databasePath) {
    Connection c = Connection::toFile(databasePath);
    QSqlQuery q(c.database());
    const char* ledger[] = {
        "('2026-12-01','收入','工资','基本工资',12500,'银行卡','十二月工资')",
        "('2026-12-01','支出','居住','房租',3200,'银行卡','')",
        "('2026-12-02','支出','餐饮','早餐',12.5,'微信支付','')",
        "('2026-12-02','支出','交通','地铁',6,'支付宝','')",
        "('2026-12-03','支出','购物','日用品',86.9,'支付宝','超市')",
        "('2026-12-04','支出','餐饮','晚餐',128,'微信支付','朋友聚餐')",
        "('2026-12-05','收入','投资收益','理财',356.27,'银行卡','')",
        "('2026-12-06','支出','医疗','药品',45.8,'现金','')",
        "('2026-12-07','支出','教育','书籍',99,'支付宝','')",
        "('2026-12-08','支出','通讯','话费',50,'微信支付','')",
        "('2026-12-09','支出','餐饮','午餐',32,'微信支付','')",
        "('2026-12-09','收入','兼职','稿费',800,'银行卡','')",
    };
    for (const char* row : ledger)
        q.exec(
            QStringLiteral("insert into mysalary (adddate,sz,szdl,szxl,money,zffs,memo) values ") +
            QString::fromUtf8(row));
    const char* loans[] = {
        "('2026-10-12','借给别人',1500,'张伟','2027-01-31',null,0,'装修')",
        "('2026-11-03','问别人借',2000,'李娜','2026-12-31',null,0,'')",
        "('2026-06-20','借给别人',800,'王芳','2026-08-01','2026-07-28',1,'已还清')",
    };
    for (const char* row : loans)
        q.exec(QStringLiteral("insert into borrow (borrowdate,action,money,listman,hopedate,"
                              "infactdate,flag,memo) values ") +
               QString::fromUtf8(row));

    // Deposits with their figures derived as the savings window derives them.
    struct Deposit {
        const char* holder;
        const char* date;
        double money;
        const char* kind;
        const char* number;
        const char* bank;
    };
    const Deposit deposits[] = {
        {"张伟", "2025-03-18", 50000, "整存整取一年", "6222020200112345678", "中国工商银行"},
        {"张伟", "2024-09-01", 100000, "整存整取三年", "6227000012345670012", "中国建设银行"},
        {"王芳", "2026-06-30", 20000, "整存整取半年", "6228480012345678901", "中国农业银行"},
        {"王芳", "2026-01-05", 12000, "零存整取一年", "6214830012345678", "招商银行"},
        {"张小明", "2023-12-20", 30000, "整存零取三年", "6217850100001234567", "中国银行"},
        {"张伟", "2026-11-11", 8000.5, "整存整取三个月", "6222600260001234567", "交通银行"},
    };
    const double taxPercent = 5;
    q.exec(QStringLiteral("update tax set interesttax = %1").arg(taxPercent));
    for (const Deposit& d : deposits) {
        const QString kind = QString::fromUtf8(d.kind);
        schema::DepositKind terms{"", 0, 0};
        for (const schema::DepositKind& k : schema::depositKinds())
            if (kind == QString::fromUtf8(k.name))
                terms = k;
        const QDate begin = QDate::fromString(QString::fromLatin1(d.date), Qt::ISODate);
        const deposits::Figures f =
            deposits::figures(deposits::kindNamed(kind)->scheme, terms.months, terms.rate, d.money,
                              begin, taxPercent);
        q.prepare(QStringLiteral("insert into saving (bankuser, begindate, money, savingtype, "
                                 "interest, enddate, totalmoney, interestmoney, interesttax, "
                                 "banknumber, bankname) values (?,?,?,?,?,?,?,?,?,?,?)"));
        const QVariantList values{QString::fromUtf8(d.holder),
                                  formats::dateText(begin),
                                  d.money,
                                  kind,
                                  f.rate,
                                  formats::dateText(f.maturity),
                                  f.total,
                                  f.interest,
                                  f.tax,
                                  QString::fromLatin1(d.number),
                                  QString::fromUtf8(d.bank)};
        for (const QVariant& v : values)
            q.addBindValue(v);
        q.exec();
    }
}

void fillSampleYear(const QString& databasePath) {
    Connection c = Connection::toFile(databasePath);
    QSqlQuery q(c.database());
    const char* insert = "insert into mysalary (adddate,sz,szdl,szxl,money,zffs,memo) values ";
    // A salary, rent, and meals, transport and shopping that wander from month to month.
    const double meals[] = {1180, 1260, 1320, 1090, 1410, 1230, 1380, 1510, 1270, 1190, 1350};
    const double transport[] = {260, 240, 310, 280, 220, 300, 330, 270, 250, 290, 240};
    const double shopping[] = {620, 1480, 540, 830, 460, 990, 700, 560, 2150, 780, 640};
    for (int m = 1; m <= 11; ++m) {
        const QString month = QStringLiteral("2026-%1").arg(m, 2, 10, QLatin1Char('0'));
        const QStringList rows{
            QStringLiteral("('%1-01','收入','工资','基本工资',12500,'银行卡','')").arg(month),
            QStringLiteral("('%1-01','支出','居住','房租',3200,'银行卡','')").arg(month),
            QStringLiteral("('%1-10','支出','餐饮','午餐',%2,'微信支付','')")
                .arg(month)
                .arg(meals[m - 1]),
            QStringLiteral("('%1-15','支出','交通','地铁',%2,'支付宝','')")
                .arg(month)
                .arg(transport[m - 1]),
            QStringLiteral("('%1-20','支出','购物','日用品',%2,'支付宝','')")
                .arg(month)
                .arg(shopping[m - 1]),
            QStringLiteral("('%1-25','收入','投资收益','理财',%2,'银行卡','')")
                .arg(month)
                .arg(300 + 17.5 * m),
        };
        for (const QString& row : rows)
            q.exec(QString::fromUtf8(insert) + row);
    }
}

void fillSampleSchedules(const QString& databasePath) {
    Connection c = Connection::toFile(databasePath);
    QSqlQuery q(c.database());
    const char* rows[] = {
        "('收入','工资','基本工资',12500,'银行卡','十二月工资','每月','1','2026-01-01',null)",
        "('支出','居住','房租',3200,'银行卡','','每月','1','2026-01-01',null)",
        "('支出','通讯','话费',50,'微信支付','','每月','8','2026-01-01',null)",
        "('支出','居住','物业费',1860,'银行卡','全年物业费','每年','12-05','2025-12-05',null)",
        "('支出','餐饮','牛奶',28,'支付宝','订奶','每周','1','2026-11-30','2027-05-31')",
    };
    for (const char* r : rows)
        q.exec(QStringLiteral("insert into schedule (sz, szdl, szxl, money, zffs, memo, every, "
                              "day, firstdate, lastdate) values ") +
               QString::fromUtf8(r));
    // The first three were entered with the sample ledger's December rows.
    q.exec(QStringLiteral("insert into scheduleentered (scheduleid, occurrence) values "
                          "(1, '2026-12-01'), (2, '2026-12-01'), (3, '2026-12-08'), "
                          "(4, '2025-12-05')"));
}

bills::BillFile sampleBill() {
    struct Row {
        const char* date;
        const char* time;
        const char* direction;
        qint64 cents;
        const char* kind;
        const char* counterparty;
        const char* goods;
        const char* method;
        const char* status;
        const char* txno;
    };
    const Row rows[] = {
        {"2026-11-02", "08:12:40", "支出", 1850, "餐饮美食", "肯德基", "早餐套餐", "花呗",
         "交易成功", "2026110222001"},
        {"2026-11-03", "19:05:11", "支出", 2630, "交通出行", "滴滴出行", "快车", "余额宝",
         "交易成功", "2026110322002"},
        {"2026-11-05", "12:30:02", "支出", 4280, "餐饮美食", "美团外卖", "午餐",
         "招商银行储蓄卡(1111)", "交易成功", "2026110522003"},
        {"2026-11-08", "10:00:00", "收入", 20000, "转账红包", "张伟", "还款", "余额", "交易成功",
         "2026110822004"},
        {"2026-11-10", "21:44:19", "支出", 12900, "日用百货", "超市发", "日用品", "花呗",
         "交易成功", "2026111022005"},
        {"2026-11-10", "21:50:03", "不计收支", 3000, "退款", "超市发", "退款-日用品", "花呗",
         "退款成功", "2026111022005_1"},
        {"2026-11-12", "09:15:37", "不计收支", 50000, "投资理财", "余额宝", "转入余额宝", "余额",
         "交易成功", "2026111222006"},
        {"2026-11-15", "00:00:00", "不计收支", 37, "投资理财", "余额宝", "收益发放", "余额宝",
         "交易成功", "2026111522007"},
        {"2026-11-18", "14:02:55", "支出", 9900, "文化休闲", "万达影城", "电影票", "", "交易关闭",
         "2026111822008"},
        {"2026-11-20", "18:30:21", "支出", 56800, "家居家装", "宜家家居", "书架",
         "交通银行信用卡(7449)", "交易成功", "2026112022009"},
    };
    bills::BillFile bill;
    bill.source = bills::Source::Alipay;
    bill.layout = QStringLiteral("2023");
    int line = 25;
    for (const Row& r : rows) {
        bills::BillRow row;
        row.line = line++;
        row.date = QDate::fromString(QString::fromUtf8(r.date), Qt::ISODate);
        row.time = QString::fromUtf8(r.time);
        row.direction = QString::fromUtf8(r.direction);
        row.cents = r.cents;
        row.kind = QString::fromUtf8(r.kind);
        row.counterparty = QString::fromUtf8(r.counterparty);
        row.goods = QString::fromUtf8(r.goods);
        row.method = QString::fromUtf8(r.method);
        row.status = QString::fromUtf8(r.status);
        row.transactionNo = QString::fromUtf8(r.txno);
        bill.rows << row;
    }
    return bill;
}

QByteArray sampleStatementCsv() {
    return QStringLiteral("我的银行 账户明细\n"
                          "账号：6214 **** **** 1234,起止日期：2026-11-01 至 2026-11-30\n"
                          "交易日期,交易摘要,收入金额,支出金额,账户余额,对方户名,流水号\n"
                          "2026-11-05,代发工资,\"8,600.00\",,\"12,345.60\",某某科技有限公司,"
                          "B2611050001\n"
                          "2026-11-06,房租,,\"3,200.00\",\"9,145.60\",王某,B2611060002\n"
                          "2026-11-12,水电燃气,,286.40,\"8,859.20\",某市公用事业,B2611120003\n"
                          "2026-11-20,ATM取款,,500.00,\"8,359.20\",,B2611200004\n"
                          "2026-11-30,利息,1.85,,\"8,361.05\",,B2611300005\n")
        .toUtf8();
}
