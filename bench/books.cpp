#include "books.h"

#include "data/datasourceentry.h"
#include "data/schema.h"
#include "lists/gbk.h"
#include "lists/listfiles.h"
#include "platform/apperror.h"
#include "rawdb.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <cmath>
#include <random>
#include <vector>

namespace bench {
namespace {

// Raise when the generated books change, so cached folders are made again.
constexpr int kGeneratorVersion = 1;
constexpr std::uint64_t kSeed = 20261209;
constexpr double kIncomeShare = 0.10;

struct Category {
    QByteArray major; // UTF-8, as stored
    QByteArray minor;
    double median; // typical amount of an entry of this category, in yuan
};

// The shipped lists, decoded: categories from the detail lines ("major-minor"), payment
// methods and bank names.
struct Lists {
    std::vector<Category> income;
    std::vector<Category> expenditure;
    std::vector<QByteArray> payments;
    std::vector<QByteArray> banks;
};

// Typical amounts per major category; categories not named here take the default.
double medianFor(lists::Direction d, const QString& major) {
    static const QHash<QString, double> income{
        {QStringLiteral("工资"), 8000},    {QStringLiteral("奖金"), 3000},
        {QStringLiteral("投资收益"), 300}, {QStringLiteral("兼职"), 800},
        {QStringLiteral("红包礼金"), 200}, {QStringLiteral("其他收入"), 150}};
    static const QHash<QString, double> expenditure{
        {QStringLiteral("餐饮"), 35},  {QStringLiteral("交通"), 20},  {QStringLiteral("居住"), 900},
        {QStringLiteral("购物"), 150}, {QStringLiteral("医疗"), 120}, {QStringLiteral("教育"), 200},
        {QStringLiteral("娱乐"), 150}, {QStringLiteral("人情"), 300}, {QStringLiteral("通讯"), 80},
        {QStringLiteral("子女"), 100}, {QStringLiteral("保险"), 500}};
    return (d == lists::Direction::Income ? income : expenditure).value(major, 100);
}

std::vector<Category> categoriesOf(const QString& folder, lists::Direction d) {
    std::vector<Category> out;
    for (const QByteArray& line : lists::readList(folder, lists::minorFile(d))) {
        const QString text = lists::decode(line);
        const qsizetype dash = text.indexOf(u'-');
        if (dash <= 0)
            continue;
        const QString major = text.left(dash);
        out.push_back({major.toUtf8(), text.mid(dash + 1).toUtf8(), medianFor(d, major)});
    }
    if (out.empty())
        throw AppError(QStringLiteral("No categories in %1").arg(lists::minorFile(d)));
    return out;
}

std::vector<QByteArray> entriesOf(const QString& folder, const char* file) {
    std::vector<QByteArray> out;
    for (const QByteArray& line : lists::readList(folder, QString::fromLatin1(file)))
        if (!line.isEmpty())
            out.push_back(lists::decode(line).toUtf8());
    if (out.empty())
        throw AppError(QStringLiteral("No entries in %1").arg(QString::fromLatin1(file)));
    return out;
}

Lists readLists(const QString& programFolder) {
    return {categoriesOf(programFolder, lists::Direction::Income),
            categoriesOf(programFolder, lists::Direction::Expenditure),
            entriesOf(programFolder, lists::kPaymentMethodFile),
            entriesOf(programFolder, lists::kBankNameFile)};
}

// What a first start makes today (tables, indexes, page size): books made from another
// layout are made again.
QString layoutFingerprint() {
    QTemporaryDir dir;
    if (!dir.isValid())
        throw AppError(QStringLiteral("Cannot create a temporary folder"));
    const QString path = dir.filePath(QStringLiteral("layout.mdb"));
    schema::createDatabase(path);
    RawDb db(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(db.integer(QStringLiteral("pragma page_size"))));
    for (const QString& sql :
         db.texts(QStringLiteral("select coalesce(sql, name) from sqlite_master order by name")))
        hash.addData(sql.toUtf8());
    return QString::fromLatin1(hash.result().toHex().left(12));
}

QString stampText(qint64 entries, const QString& layout) {
    return QStringLiteral("teloq bench books v%1 entries=%2 layout=%3\n")
        .arg(kGeneratorVersion)
        .arg(entries)
        .arg(layout);
}

double cents(double v) {
    return std::max(0.01, std::round(v * 100) / 100);
}

const char* const kPeople[] = {"张伟", "王芳", "李娜", "刘洋", "陈静",
                               "杨磊", "赵敏", "黄强", "周杰", "吴霞"};
const char* const kMemos[] = {"朋友聚餐", "超市", "网购", "出差", "孩子", "加班", "节日", "报销中"};

class Filler {
public:
    Filler(RawDb& db, const Lists& lists) : m_db(db), m_lists(lists), m_rng(kSeed) {
        const QDate end = booksEndDate();
        const QDate start = end.addYears(-10).addDays(1);
        for (QDate d = start; d <= end; d = d.addDays(1))
            m_days.push_back(d);
    }

    // Entries in date order (as a household enters them), spread evenly over the ten years.
    void ledger(qint64 entries) {
        RawStatement insert(m_db, QStringLiteral("insert into mysalary (adddate, sz, szdl, szxl, "
                                                 "money, zffs, memo) values (?,?,?,?,?,?,?)"));
        const QByteArray income = QStringLiteral("收入").toUtf8();
        const QByteArray expenditure = QStringLiteral("支出").toUtf8();
        std::bernoulli_distribution isIncome(kIncomeShare);
        std::bernoulli_distribution hasMemo(0.15);
        std::lognormal_distribution<double> spread(0, 0.8);
        const qint64 days = qint64(m_days.size());
        for (qint64 i = 0; i < entries; ++i) {
            const bool in = isIncome(m_rng);
            const auto& pool = in ? m_lists.income : m_lists.expenditure;
            const Category& c = pool[pick(pool.size())];
            insert.bindText(1, dayText(i * days / entries));
            insert.bindText(2, in ? income : expenditure);
            insert.bindText(3, c.major);
            insert.bindText(4, c.minor);
            insert.bindDouble(5, cents(c.median * spread(m_rng)));
            insert.bindText(6, m_lists.payments[pick(m_lists.payments.size())]);
            if (hasMemo(m_rng))
                insert.bindText(7, QByteArray(kMemos[pick(std::size(kMemos))]));
            else
                insert.bindNull(7);
            insert.exec();
        }
    }

    // Fixed-term deposits of the twelve kinds, figures derived as simple interest.
    void savings(qint64 rows) {
        RawStatement insert(
            m_db, QStringLiteral("insert into saving (bankuser, begindate, money, savingtype, "
                                 "interest, enddate, totalmoney, interestmoney, interesttax, "
                                 "banknumber, bankname) values (?,?,?,?,?,?,?,?,?,?,?)"));
        const QList<schema::DepositKind> kinds = schema::depositKinds();
        std::uniform_int_distribution<int> thousands(1, 100);
        std::uniform_int_distribution<qint64> account(1000000000000000LL, 9999999999999999LL);
        const qint64 days = qint64(m_days.size());
        for (qint64 i = 0; i < rows; ++i) {
            const schema::DepositKind& k = kinds[pick(kinds.size())];
            const QDate begin = m_days[i * days / rows];
            const double money = thousands(m_rng) * 1000.0;
            const double interest = cents(money * k.rate / 100 * k.months / 12);
            const double tax = std::round(interest * schema::kInitialInterestTax) / 100;
            insert.bindText(1, QByteArray(kPeople[pick(std::size(kPeople))]));
            insert.bindText(2, begin.toString(Qt::ISODate));
            insert.bindDouble(3, money);
            insert.bindText(4, QByteArray(k.name));
            insert.bindDouble(5, k.rate);
            insert.bindText(6, begin.addMonths(k.months).toString(Qt::ISODate));
            insert.bindDouble(7, money + interest - tax);
            insert.bindDouble(8, interest);
            insert.bindDouble(9, tax);
            insert.bindText(10, QString::number(account(m_rng)));
            insert.bindText(11, m_lists.banks[pick(m_lists.banks.size())]);
            insert.exec();
        }
    }

    // Money lent and borrowed; most loans due before the books end have been paid back.
    void loans(qint64 rows) {
        RawStatement insert(
            m_db, QStringLiteral("insert into borrow (borrowdate, action, money, listman, "
                                 "hopedate, infactdate, flag, memo) values (?,?,?,?,?,?,?,?)"));
        const QByteArray lent = QStringLiteral("借给别人").toUtf8();
        const QByteArray borrowed = QStringLiteral("问别人借").toUtf8();
        std::bernoulli_distribution isLent(0.5);
        std::bernoulli_distribution repaid(0.9);
        std::bernoulli_distribution hasMemo(0.2);
        std::uniform_int_distribution<int> hundreds(1, 200);
        std::uniform_int_distribution<int> months(1, 12);
        std::uniform_int_distribution<int> lateness(-20, 40);
        const qint64 days = qint64(m_days.size());
        for (qint64 i = 0; i < rows; ++i) {
            const QDate date = m_days[i * days / rows];
            const QDate hope = date.addMonths(months(m_rng));
            const bool paid = hope < booksEndDate() && repaid(m_rng);
            QDate actual = hope.addDays(lateness(m_rng));
            if (actual < date)
                actual = date;
            insert.bindText(1, date.toString(Qt::ISODate));
            insert.bindText(2, isLent(m_rng) ? lent : borrowed);
            insert.bindDouble(3, hundreds(m_rng) * 100.0);
            insert.bindText(4, QByteArray(kPeople[pick(std::size(kPeople))]));
            insert.bindText(5, hope.toString(Qt::ISODate));
            if (paid)
                insert.bindText(6, actual.toString(Qt::ISODate));
            else
                insert.bindNull(6);
            insert.bindInteger(7, paid ? 1 : 0);
            if (hasMemo(m_rng))
                insert.bindText(8, QByteArray(kMemos[pick(std::size(kMemos))]));
            else
                insert.bindNull(8);
            insert.exec();
        }
    }

private:
    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng);
    }

    const QByteArray& dayText(qint64 day) {
        if (m_dayTexts.empty())
            for (const QDate& d : m_days)
                m_dayTexts.push_back(d.toString(Qt::ISODate).toUtf8());
        return m_dayTexts[std::size_t(day)];
    }

    RawDb& m_db;
    const Lists& m_lists;
    std::mt19937_64 m_rng;
    std::vector<QDate> m_days;
    std::vector<QByteArray> m_dayTexts;
};

void copyLists(const QString& from, const QString& to) {
    const QDir source(from);
    const QStringList names = source.entryList(QDir::Files);
    if (names.isEmpty())
        throw AppError(QStringLiteral("No list files in %1").arg(from));
    for (const QString& name : names)
        if (!QFile::copy(source.filePath(name), to + u'/' + name))
            throw AppError(QStringLiteral("Cannot copy %1 to %2").arg(name, to));
}

} // namespace

qint64 savingsRowsFor(qint64 entries) {
    return std::max<qint64>(1, entries / 300);
}

qint64 loansRowsFor(qint64 entries) {
    return std::max<qint64>(1, entries / 600);
}

BooksFolder booksFolder(const QString& outDir, qint64 entries) {
    BooksFolder f;
    f.root = QDir(outDir).absoluteFilePath(QStringLiteral("books-%1").arg(entries));
    f.programFolder = f.root + QStringLiteral("/program");
    f.odbcIniPath = f.root + QStringLiteral("/odbc.ini");
    return f;
}

BooksFolder ensureBooks(const QString& outDir, qint64 entries, const QString& listsFolder,
                        bool* generated) {
    if (entries <= 0)
        throw AppError(QStringLiteral("The number of entries must be positive"));
    const BooksFolder f = booksFolder(outDir, entries);
    const QString stamp = stampText(entries, layoutFingerprint());
    const QString stampPath = f.root + QStringLiteral("/books.ok");
    QFile stampFile(stampPath);
    const bool complete = stampFile.open(QIODevice::ReadOnly) &&
                          QString::fromUtf8(stampFile.readAll()) == stamp &&
                          QFile::exists(datasource::databasePathFor(f.programFolder));
    stampFile.close();
    if (generated)
        *generated = !complete;
    if (!complete) {
        const QString temp = f.root + QStringLiteral(".tmp");
        QDir(temp).removeRecursively();
        QDir(f.root).removeRecursively();
        const QString program = temp + QStringLiteral("/program");
        if (!QDir().mkpath(program + QStringLiteral("/txt")))
            throw AppError(QStringLiteral("Cannot create %1").arg(program));
        copyLists(listsFolder, program + QStringLiteral("/txt"));
        const Lists lists = readLists(program);
        const QString db = datasource::databasePathFor(program);
        schema::createDatabase(db);
        {
            RawDb raw(db);
            // Only while generating: an interrupted run is simply made again.
            raw.run(QStringLiteral("pragma synchronous=off"));
            raw.run(QStringLiteral("begin"));
            Filler fill(raw, lists);
            fill.ledger(entries);
            fill.savings(savingsRowsFor(entries));
            fill.loans(loansRowsFor(entries));
            raw.run(QStringLiteral("commit"));
            raw.run(QStringLiteral("pragma wal_checkpoint(truncate)"));
        }
        QFile out(temp + QStringLiteral("/books.ok"));
        if (!out.open(QIODevice::WriteOnly) || out.write(stamp.toUtf8()) < 0)
            throw AppError(QStringLiteral("Cannot write %1").arg(out.fileName()));
        out.close();
        if (!QDir().rename(temp, f.root))
            throw AppError(QStringLiteral("Cannot rename %1 to %2").arg(temp, f.root));
    }
    if (datasource::writeEntry(f.odbcIniPath, datasource::databasePathFor(f.programFolder)) !=
        datasource::WriteResult::Written)
        throw AppError(QStringLiteral("Cannot write %1").arg(f.odbcIniPath));
    return f;
}

} // namespace bench
