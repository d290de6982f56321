#include "import/importcommand.h"

#include "data/booksaccess.h"
#include "data/csvwriter.h"
#include "data/transactionguard.h"
#include "import/billimport.h"
#include "import/billtext.h"
#include "import/mappingstore.h"
#include "platform/apperror.h"

#include <QFileInfo>

namespace importcommand {

namespace {

struct Options {
    QString books;
    bool dryRun = false;
    std::optional<QString> password;
    std::optional<QString> mapping;
    bills::DateOrder dateOrder = bills::DateOrder::Unknown;
    QStringList files;
};

// The value of an option given as "--name value" or "--name=value"; false when `a` is not
// that option. A missing value is an error.
bool optionValue(const QStringList& args, qsizetype& i, const QString& name, QString* value,
                 QString* error) {
    const QString& a = args[i];
    if (a.startsWith(name + u'=')) {
        *value = a.mid(name.size() + 1);
        return true;
    }
    if (a != name)
        return false;
    if (i + 1 >= args.size()) {
        *error = QStringLiteral("%1 需要一个值").arg(a);
        return true;
    }
    *value = args[++i];
    return true;
}

std::optional<Options> parse(const QStringList& args, QString* error) {
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString value;
        if (a == QLatin1String("--dry-run")) {
            o.dryRun = true;
        } else if (optionValue(args, i, QStringLiteral("--books"), &value, error)) {
            o.books = value;
        } else if (optionValue(args, i, QStringLiteral("--password"), &value, error)) {
            o.password = value;
        } else if (optionValue(args, i, QStringLiteral("--mapping"), &value, error)) {
            o.mapping = value;
        } else if (optionValue(args, i, QStringLiteral("--date-order"), &value, error)) {
            if (value == QLatin1String("mdy"))
                o.dateOrder = bills::DateOrder::MonthFirst;
            else if (value == QLatin1String("dmy"))
                o.dateOrder = bills::DateOrder::DayFirst;
            else if (error->isEmpty())
                *error = QStringLiteral("--date-order 只能是 mdy 或 dmy");
        } else if (a == QLatin1String("--")) {
            o.files << args.mid(i + 1);
            break;
        } else if (a.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("未知选项 %1").arg(a);
        } else {
            o.files << a;
        }
        if (!error->isEmpty())
            return std::nullopt;
    }
    if (o.files.isEmpty()) {
        *error = QStringLiteral("没有给出账单文件");
        return std::nullopt;
    }
    return o;
}

QString directionText(const bills::PreviewRow& r) {
    return r.direction;
}

QString stateText(const bills::PreviewRow& r) {
    return r.status;
}

// The rows left out because another source has them or they move money between the user's
// own accounts, each with the entry it matches.
void printCrossNotes(QTextStream& err, const QString& file, const bills::Preview& preview) {
    for (const bills::PreviewRow& r : preview.rows)
        if (r.cross != bills::CrossKind::None && !r.ticked)
            err << QStringLiteral("%1：第 %2 行（%3 %4 %5 元）未导入，%6")
                       .arg(file, QString::number(r.line), r.date.toString(Qt::ISODate),
                            r.direction, bills::centsText(r.cents), r.status)
                << '\n';
}

// What the options tell of statements: the import format named (AppError naming the kept ones
// when there is none of that name), the kept formats, the date order.
bills::StatementOptions statementOptions(const Options& o, const QSqlDatabase& db) {
    bills::StatementOptions statement;
    statement.dateOrder = o.dateOrder;
    statement.savedMappings = bills::loadMappings(db);
    if (o.mapping) {
        QStringList names;
        for (const bills::CsvMapping& m : statement.savedMappings) {
            if (m.name == *o.mapping)
                statement.mapping = m;
            names << m.name;
        }
        if (!statement.mapping) {
            throw AppError(names.isEmpty()
                               ? QStringLiteral("没有名为“%1”的导入格式；还没有保存过任何导入格式")
                                     .arg(*o.mapping)
                               : QStringLiteral("没有名为“%1”的导入格式；已保存的有：%2")
                                     .arg(*o.mapping, names.join(QStringLiteral("、"))));
        }
    }
    return statement;
}

// Reads one file; a statement that needs what only the user can tell says which option
// tells it.
bills::BillFile readOne(Environment& env, const QString& file, const bills::PasswordPrompt& prompt,
                        const bills::StatementOptions& statement) {
    try {
        return env.read(file, prompt, statement);
    } catch (const bills::CsvMappingNeeded&) {
        throw AppError(QStringLiteral("'%1' 的格式未知：请在导入窗口中为它设置导入格式，"
                                      "或用 --mapping 名称 指定已保存的导入格式")
                           .arg(file));
    } catch (const bills::DateOrderUndecided&) {
        throw AppError(QStringLiteral("'%1' 中的日期既可读作月/日，也可读作日/月：请用 "
                                      "--date-order mdy（月/日/年）或 dmy（日/月/年）指定")
                           .arg(file));
    }
}

} // namespace

QString usage() {
    return QStringLiteral("用法：teloq-import [--books 账本文件] [--dry-run] [--password 密码] "
                          "[--mapping 导入格式名称] [--date-order mdy|dmy] 账单文件…\n");
}

int run(const QStringList& arguments, Environment& env) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        env.out << usage();
        env.out.flush();
        return 0;
    }
    QString error;
    const std::optional<Options> options = parse(arguments, &error);
    if (!options) {
        env.err << "teloq-import: " << error << '\n' << usage();
        env.err.flush();
        return 2;
    }
    const QString booksPath = options->books.isEmpty() ? env.defaultBooks : options->books;
    // A password given on the command line is tried first; a wrong one is asked for only when
    // the terminal can ask.
    const bills::PasswordPrompt prompt = [&](const QString& file,
                                             bool again) -> std::optional<QString> {
        if (options->password && !again)
            return options->password;
        if (again)
            env.err << "teloq-import: " << file << QStringLiteral("：密码不对") << '\n';
        env.err.flush();
        return env.askPassword ? env.askPassword(file, again) : std::nullopt;
    };
    try {
        if (!QFileInfo(booksPath).isFile())
            throw AppError(QStringLiteral("找不到账本 '%1'").arg(booksPath));
        BillImport import(booksPath, env.programFolder);
        if (!options->dryRun && import.isReadOnly())
            throw AppError(books::readOnlyRefusal());
        // Every bill is read before anything is written.
        const bills::StatementOptions statement = statementOptions(*options, import.database());
        QList<bills::BillFile> read;
        for (const QString& file : options->files)
            read << readOne(env, file, prompt, statement);
        QTextStream& summary = options->dryRun ? env.err : env.out;
        if (options->dryRun)
            env.out << QStringLiteral("日期,收支,大类,细类,金额,支付方式,备注,状态\r\n");
        // One transaction for all files: a later bill sees the earlier ones' entries as
        // duplicates, and a failure (or a dry run) leaves the books as they were.
        std::optional<TransactionGuard> transaction;
        if (!import.isReadOnly())
            transaction.emplace(import.database());
        // In a dry run the earlier files' rows are in no books: a later file sees them here.
        QList<bills::ImportedEntry> unwritten;
        for (qsizetype i = 0; i < read.size(); ++i) {
            const QString& file = options->files[i];
            const bills::Preview preview = import.preview(read[i], unwritten);
            for (const bills::UnreadableRow& u : preview.unreadable)
                env.err << file << QStringLiteral("：第 %1 行无法读取：%2").arg(u.line).arg(u.why)
                        << '\n';
            if (!preview.totalsProblem.isEmpty())
                env.err << file << QStringLiteral("：") << preview.totalsProblem << '\n';
            const bills::PreviewTotals t = bills::totalsOf(preview);
            summary << QStringLiteral("%1: %2 条新记录, %3 条重复, %4 条跳过")
                           .arg(file)
                           .arg(t.entries)
                           .arg(t.duplicates)
                           .arg(t.skipped);
            if (t.possibleDuplicates > 0)
                summary << QStringLiteral(", %1 条可能重复").arg(t.possibleDuplicates);
            if (t.transfers > 0)
                summary << QStringLiteral(", %1 条转账").arg(t.transfers);
            summary << '\n';
            printCrossNotes(env.err, file, preview);
            if (options->dryRun) {
                for (const bills::PreviewRow& r : preview.rows) {
                    if (r.state != bills::RowState::New || !r.ticked)
                        continue;
                    QStringList fields{
                        r.date.toString(Qt::ISODate), directionText(r), r.major, r.minor,
                        bills::centsText(r.cents),    r.method,         r.memo,  stateText(r)};
                    for (QString& f : fields)
                        f = CsvWriter::field(f);
                    env.out << fields.join(u',') << "\r\n";
                }
            }
            if (options->dryRun)
                unwritten << bills::rememberedRows(preview);
            else
                importbooks::writeImportIn(import.database(), QFileInfo(file).fileName(), preview,
                                           env.now);
        }
        if (transaction && !options->dryRun)
            transaction->commit();
    } catch (const bills::ImportCancelled&) {
        env.err << QStringLiteral("teloq-import: 已取消，没有导入任何记录") << '\n';
        env.err.flush();
        return 1;
    } catch (const AppError& e) {
        env.err << "teloq-import: " << e.text() << '\n';
        env.err.flush();
        return 1;
    } catch (const std::exception& e) {
        env.err << "teloq-import: " << QString::fromLocal8Bit(e.what()) << '\n';
        env.err.flush();
        return 1;
    }
    env.out.flush();
    env.err.flush();
    return 0;
}

} // namespace importcommand
