#include "actions.h"

#include "books.h"
#include "data/backups.h"
#include "data/dialect.h"
#include "data/ledgertotals.h"
#include "data/schema.h"
#include "data/tabledataset.h"
#include "importactions.h"
#include "platform/apperror.h"
#include "reports/chartswindow.h"
#include "reports/logic/chartseries.h"
#include "reports/logic/periods.h"
#include "reports/querywindow.h"
#include "session.h"
#include "ui/celleditor.h"
#include "ui/csvexport.h"
#include "ui/datagrid.h"
#include "ui/tablewindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <sqlite3.h>

namespace bench {
namespace {

constexpr int kPageSize = 256;    // rows TableDataset reads at a time
constexpr int kSavedBatch = 1000; // rows in the saved batch

// The key and the columns of `table`, as TableDataset selects them.
QString selectList(const QString& table) {
    QStringList names{QString::fromLatin1(schema::kKey)};
    for (const schema::Column& c : schema::columnsOf(table))
        names << QString::fromLatin1(c.name);
    return names.join(u',');
}

// The first page of a table, the page a grid shows when it opens.
QString firstPage(const QString& table) {
    return QStringLiteral("select %1 from \"%2\" order by id limit %3 offset 0")
        .arg(selectList(table), table)
        .arg(kPageSize);
}

// The page that holds a table's last row, read from the end.
QString lastPage(const QString& table, qint64 rows) {
    const qint64 tail = rows % kPageSize == 0 ? kPageSize : rows % kPageSize;
    return QStringLiteral("select %1 from \"%2\" order by id desc limit %3")
        .arg(selectList(table), table)
        .arg(tail);
}

// The page that holds the middle row, read from the start (as TableDataset reads a page
// in the first half).
QString middlePage(const QString& table, qint64 rows) {
    const qint64 first = rows / 2 / kPageSize * kPageSize;
    return QStringLiteral("select %1 from \"%2\" order by id limit %3 offset %4")
        .arg(selectList(table), table)
        .arg(std::min<qint64>(kPageSize, rows - first))
        .arg(first);
}

QString countOf(const QString& table) {
    return QStringLiteral("select count(*) from \"%1\"").arg(table);
}

TableWindow* window(Session& s) {
    auto* w = s.top<TableWindow>();
    if (!w)
        throw AppError(QStringLiteral("No editing window is open"));
    return w;
}

// The values of the i-th row of a saved batch, in the ledger's field order.
QVariantList batchRow(int i) {
    return {booksEndDate().toString(Qt::ISODate),
            QStringLiteral("支出"),
            QStringLiteral("餐饮"),
            QStringLiteral("午餐"),
            18.5 + i % 40,
            QStringLiteral("微信支付"),
            i % 10 == 0 ? QVariant(QStringLiteral("加班")) : QVariant()};
}

// Prepare steps shared by the actions.
void openLedger(Session& s) {
    s.ensureStarted();
    s.closeWindows();
    s.open(s.windows().ledger);
}

void closeWindows(Session& s) {
    s.closeWindows();
}

// Rows typed into the ledger's grid, one after the other, as the user enters them.
void enterBatch(Session& s) {
    TableDataset* ds = window(s)->dataset();
    for (int i = 0; i < kSavedBatch; ++i) {
        ds->append();
        const QVariantList values = batchRow(i);
        for (int f = 0; f < values.size(); ++f)
            ds->setValue(f, values[f]);
    }
    Session::drain();
}

constexpr int kDueSchedules = 20; // recurring entries due when the ledger opens

// Recurring entries, each with one occurrence due on the books' last day (the session's
// today): a monthly one on that day of the month, first date that month.
void addDueSchedules(const QString& databasePath) {
    RawDb db(databasePath);
    const QDate today = booksEndDate();
    const QString first = QDate(today.year(), today.month(), 1).toString(Qt::ISODate);
    db.run(QStringLiteral("begin"));
    for (int i = 0; i < kDueSchedules; ++i)
        db.run(QStringLiteral("insert into schedule (sz, szdl, szxl, money, zffs, memo, every, "
                              "day, firstdate) values ('支出', '居住', '房租', %1, '现金', "
                              "'定期 %2', '每月', '%3', '%4')")
                   .arg(1000 + i)
                   .arg(i)
                   .arg(today.day())
                   .arg(first));
    db.run(QStringLiteral("commit"));
}

void removeSchedules(const QString& databasePath) {
    RawDb(databasePath).run(QStringLiteral("delete from schedule"));
}

// Where the ledger export of a run goes: beside the books, removed after the run.
QString exportPath(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("ledger-export.csv"));
}

// Removes the day's copy and its record, so that the next start checks and copies the books.
void forgetTodaysCopy(Session& s) {
    const QDate today = s.context().clock.now().date();
    QFile::remove(backups::copyFor(s.databasePath(), today));
    QFile::remove(backups::recordFor(s.databasePath(), today));
}

// What the worker does with existing books at start: the check, and the day's copy through
// SQLite's online backup.
void checkAndCopy(FloorRun& f) {
    RawDb& db = f.open();
    db.run(QStringLiteral("pragma integrity_check"));
    const QString copy =
        QString::fromUtf8(sqlite3_db_filename(db.handle(), "main")) + QStringLiteral(".floor-copy");
    {
        sqlite3* dest = nullptr;
        sqlite3_open_v2(QFile::encodeName(copy).constData(), &dest,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_backup* b = sqlite3_backup_init(dest, "main", db.handle(), "main");
        const int rc = b ? sqlite3_backup_step(b, -1) : SQLITE_ERROR;
        sqlite3_backup_finish(b);
        sqlite3_exec(dest, "pragma journal_mode=delete", nullptr, nullptr, nullptr);
        sqlite3_close_v2(dest);
        if (rc != SQLITE_DONE)
            throw AppError(QStringLiteral("The floor's backup failed"));
    }
    QFile::remove(copy);
}

} // namespace

BooksFacts readFacts(const QString& databasePath) {
    RawDb db(databasePath);
    BooksFacts facts;
    facts.entries = db.integer(countOf(QStringLiteral("mysalary")));
    facts.lastLedgerId = db.integer(QStringLiteral("select max(id) from mysalary"));
    facts.lastLedgerMoney =
        db.texts(QStringLiteral("select money from mysalary where id = %1").arg(facts.lastLedgerId))
            .value(0)
            .toDouble();
    return facts;
}

void restoreLedger(RawDb& db, const BooksFacts& facts) {
    db.run(QStringLiteral("delete from mysalary where id > %1").arg(facts.lastLedgerId));
    RawStatement amount(db, QStringLiteral("update mysalary set money = ? where id = ?"));
    amount.bindDouble(1, facts.lastLedgerMoney);
    amount.bindInteger(2, facts.lastLedgerId);
    amount.exec();
}

FloorRun::FloorRun(QString databasePath, BooksFacts facts)
    : m_path(std::move(databasePath)), m_facts(facts) {
    open();
}

RawDb& FloorRun::open() {
    m_connections.push_back(std::make_unique<RawDb>(m_path));
    // What every connection of the program runs when it opens (data/connection.cpp).
    RawDb& db = *m_connections.back();
    db.run(QStringLiteral("select count(*) from sqlite_master"));
    db.run(QStringLiteral("pragma foreign_keys=on"));
    return db;
}

qint64 FloorRun::run(const QString& statement, qint64 maxRows) {
    return db().run(ledgertotals::sqliteStatement(statement), maxRows);
}

QList<Action> allActions(const BooksFacts& facts) {
    const QString ledger = QStringLiteral("mysalary");
    const QString loans = QStringLiteral("borrow");
    QList<Action> out;

    out << Action{QStringLiteral("start-up (same day, books unchanged)"),
                  50,
                  [](Session& s) {
                      s.ensureStarted(); // the day's copy exists
                      s.stop();
                  },
                  [](Session& s) { s.start(); },
                  [](Session& s) { s.waitForCheck(); },
                  {},
                  {}};

    // The first start of the day: the window shows while the check and the copy run.
    out << Action{QStringLiteral("start-up (first of the day)"),
                  50,
                  [](Session& s) {
                      s.stop();
                      forgetTodaysCopy(s);
                  },
                  [](Session& s) { s.start(); },
                  [](Session& s) { s.waitForCheck(); },
                  {},
                  {}};

    // No target for the worker's steps: the user waits for the check only when a window is
    // asked for before it ends, and for the copy never.
    out << Action{QStringLiteral("start-up: check (worker)"),
                  600000,
                  [](Session& s) {
                      s.stop();
                      forgetTodaysCopy(s);
                  },
                  [](Session& s) {
                      s.start();
                      s.waitForCheck(false);
                  },
                  [](Session& s) { s.waitForCheck(); },
                  [](FloorRun& f) { f.open().run(QStringLiteral("pragma integrity_check")); },
                  {}};

    out << Action{QStringLiteral("start-up: check and copy (worker)"),
                  600000,
                  [](Session& s) {
                      s.stop();
                      forgetTodaysCopy(s);
                  },
                  [](Session& s) {
                      s.start();
                      s.waitForCheck();
                  },
                  {},
                  [](FloorRun& f) {
                      checkAndCopy(f);
                      f.open(); // the index check on existing books
                      f.run(QStringLiteral(
                          "create index if not exists mysalary_day on mysalary(adddate, sz)"));
                      f.run(QStringLiteral("create index if not exists mysalary_month on "
                                           "mysalary(substr(adddate,1,7), sz)"));
                      f.run(QStringLiteral("create index if not exists mysalary_year on "
                                           "mysalary(substr(adddate,1,4), sz)"));
                      f.open(); // the check of the ledger's kept totals
                      f.run(QStringLiteral("select name, sql from sqlite_master where name like "
                                           "'mysalary%'"));
                      f.run(QStringLiteral("select count(*) from mysalary"));
                      f.run(QStringLiteral("select coalesce(sum(entries), 0) from "
                                           "mysalary_day_totals"));
                      f.run(QStringLiteral("select coalesce(sum(entries), 0) from "
                                           "mysalary_category_totals"));
                      f.open(); // the password
                      f.run(QStringLiteral("select password from user"));
                  },
                  {}};

    out << Action{QStringLiteral("ledger: open"),
                  100,
                  [](Session& s) {
                      s.ensureStarted();
                      s.closeWindows();
                  },
                  [](Session& s) { s.open(s.windows().ledger); },
                  closeWindows,
                  [ledger](FloorRun& f) {
                      f.open();
                      f.run(countOf(ledger));
                      f.run(firstPage(ledger));
                  },
                  {}};

    // The same opening with recurring entries due: the schedules are read, their occurrences
    // worked out and appended to the cache, and the grid shows the first of them, at the end.
    out << Action{QStringLiteral("ledger: open, %1 recurring entries due").arg(kDueSchedules),
                  100,
                  [](Session& s) {
                      s.ensureStarted();
                      s.closeWindows();
                      addDueSchedules(s.databasePath());
                  },
                  [](Session& s) { s.open(s.windows().ledger); },
                  [](Session& s) {
                      s.closeWindows();
                      removeSchedules(s.databasePath());
                  },
                  [ledger, facts](FloorRun& f) {
                      f.open();
                      f.run(countOf(ledger));
                      f.run(QStringLiteral("select s.id, s.sz, s.szdl, s.szxl, s.money, s.zffs, "
                                           "s.memo, s.every, s.day, s.firstdate, s.lastdate, "
                                           "(select max(occurrence) from scheduleentered e "
                                           "where e.scheduleid = s.id) from schedule s order "
                                           "by s.id"));
                      f.run(lastPage(ledger, facts.entries));
                  },
                  {}};

    out << Action{QStringLiteral("ledger: scroll to end"),
                  100,
                  openLedger,
                  [](Session& s) {
                      QScrollBar* bar = window(s)->grid()->verticalScrollBar();
                      bar->setValue(bar->maximum());
                      Session::settle(s.top());
                  },
                  closeWindows,
                  [ledger, facts](FloorRun& f) { f.run(lastPage(ledger, facts.entries)); },
                  {}};

    // Dragging the scroll bar's thumb half-way down: the page there is read.
    out << Action{QStringLiteral("ledger: jump to middle"),
                  100,
                  openLedger,
                  [](Session& s) {
                      QScrollBar* bar = window(s)->grid()->verticalScrollBar();
                      bar->setValue(bar->maximum() / 2);
                      Session::settle(s.top());
                  },
                  closeWindows,
                  [ledger, facts](FloorRun& f) { f.run(middlePage(ledger, facts.entries)); },
                  {}};

    // 新增 puts a new row at the end and scrolls there: the last page is read.
    out << Action{QStringLiteral("ledger: new row (addszgl)"),
                  100,
                  openLedger,
                  [](Session& s) { s.click(QStringLiteral("addszgl")); },
                  closeWindows,
                  [ledger, facts](FloorRun& f) { f.run(lastPage(ledger, facts.entries)); },
                  {}};

    // 保存 of a batch of new rows: one transaction of inserts, then the count and the last page
    // (the saved rows stay current, at the end).
    out << Action{QStringLiteral("ledger: save %1 rows (szsave)").arg(kSavedBatch),
                  100,
                  [](Session& s) {
                      openLedger(s);
                      enterBatch(s);
                  },
                  [](Session& s) { s.click(QStringLiteral("szsave")); },
                  [facts](Session& s) {
                      s.closeWindows();
                      RawDb db(s.databasePath());
                      restoreLedger(db, facts);
                  },
                  [ledger, facts](FloorRun& f) {
                      QStringList names;
                      for (const schema::Column& c : schema::columnsOf(ledger))
                          names << QString::fromLatin1(c.name);
                      f.run(QStringLiteral("begin"));
                      {
                          RawStatement insert(
                              f.db(),
                              QStringLiteral("insert into \"%1\" (%2) values (%3)")
                                  .arg(ledger, names.join(u','),
                                       QStringList(names.size(), QStringLiteral("?")).join(u',')));
                          for (int i = 0; i < kSavedBatch; ++i) {
                              const QVariantList values = batchRow(i);
                              for (int c = 0; c < values.size(); ++c) {
                                  if (values[c].isNull())
                                      insert.bindNull(c + 1);
                                  else if (values[c].typeId() == QMetaType::Double)
                                      insert.bindDouble(c + 1, values[c].toDouble());
                                  else
                                      insert.bindText(c + 1, values[c].toString());
                              }
                              insert.exec();
                          }
                      }
                      f.run(QStringLiteral("commit"));
                      f.run(countOf(ledger));
                      f.run(lastPage(ledger, facts.entries + kSavedBatch));
                  },
                  [facts](FloorRun& f) { restoreLedger(f.db(), facts); }};

    // 保存 of one changed amount in the last entry: the update, the count, the position of the
    // row that stays current (counted up to its key) and the last page.
    out << Action{QStringLiteral("ledger: save a changed row"),
                  100,
                  [](Session& s) {
                      openLedger(s);
                      TableDataset* ds = window(s)->dataset();
                      ds->setCurrentRow(ds->rowCount() - 1);
                      ds->setValue(ds->fieldIndex(QStringLiteral("money")), 4321.5);
                      Session::drain();
                  },
                  [](Session& s) { s.click(QStringLiteral("szsave")); },
                  [facts](Session& s) {
                      s.closeWindows();
                      RawDb db(s.databasePath());
                      restoreLedger(db, facts);
                  },
                  [ledger, facts](FloorRun& f) {
                      f.run(QStringLiteral("begin"));
                      f.run(QStringLiteral("update \"%1\" set money = 4321.5 where id = %2")
                                .arg(ledger)
                                .arg(facts.lastLedgerId));
                      f.run(QStringLiteral("commit"));
                      f.run(countOf(ledger));
                      // The last row is counted from the end (TableDataset::positionOf).
                      f.run(QStringLiteral("select count(*) from \"%1\" where id >= %2")
                                .arg(ledger)
                                .arg(facts.lastLedgerId));
                      f.run(lastPage(ledger, facts.entries));
                  },
                  [facts](FloorRun& f) { restoreLedger(f.db(), facts); }};

    // 导出为 CSV… on the ledger's grid: every entry streamed to a file; the floor reads every
    // row of the table in the grid's order.
    out << Action{QStringLiteral("ledger: export to CSV"),
                  3000,
                  openLedger,
                  [](Session& s) {
                      if (!writeGridCsv(*window(s)->grid(), exportPath(s.databasePath())))
                          throw AppError(QStringLiteral("The export was cancelled"));
                  },
                  [](Session& s) {
                      s.closeWindows();
                      QFile::remove(exportPath(s.databasePath()));
                  },
                  [ledger](FloorRun& f) {
                      f.run(QStringLiteral("select %1 from \"%2\" order by id")
                                .arg(selectList(ledger), ledger));
                  },
                  {}};

    out << Action{QStringLiteral("loans: open"),
                  100,
                  [](Session& s) {
                      s.ensureStarted();
                      s.closeWindows();
                  },
                  [](Session& s) { s.open(s.windows().loans); },
                  closeWindows,
                  [loans](FloorRun& f) {
                      f.open();
                      f.run(countOf(loans));
                      f.run(firstPage(loans));
                      f.open(); // the totals line
                      f.run(QStringLiteral("select sum(money) from borrow where action like "
                                           "'借给别人' and flag = false"));
                      f.run(QStringLiteral("select sum(money) from borrow where action like "
                                           "'问别人借' and flag = false"));
                  },
                  {}};

    // The savings window opens its register, its kind list and its first totals statement,
    // then runs its opening steps: the kind list, the tax rate and the three totals.
    out << Action{QStringLiteral("savings: open"),
                  100,
                  [](Session& s) {
                      s.ensureStarted();
                      s.closeWindows();
                  },
                  [](Session& s) { s.open(s.windows().savings); },
                  closeWindows,
                  [](FloorRun& f) {
                      const QString saving = QStringLiteral("saving");
                      f.open();
                      f.run(countOf(saving));
                      f.run(firstPage(saving));
                      f.open(); // cxQuery
                      f.run(QStringLiteral("select interestname from bankinterest"));
                      f.open(); // statusbar_query
                      f.run(QStringLiteral("select sum(money)  from saving"));
                      // The opening steps, on the connections just opened.
                      f.run(QStringLiteral("select interestname from bankinterest"));
                      f.run(QStringLiteral("select interesttax from tax"));
                      f.run(QStringLiteral("select sum(money) from saving"));
                      f.run(QStringLiteral("select sum(interestmoney) from saving"));
                      f.run(QStringLiteral("select sum(totalmoney) from saving"));
                  },
                  {}};

    // A kind committed in a new deposit that has its date and amount: the kind is looked up
    // and the five derived cells are filled in.
    out << Action{QStringLiteral("savings: derive a deposit"),
                  100,
                  [](Session& s) {
                      s.ensureStarted();
                      s.closeWindows();
                      s.open(s.windows().savings);
                      TableDataset* ds = window(s)->dataset();
                      DataGrid* grid = window(s)->grid();
                      ds->append();
                      ds->setValue(ds->fieldIndex(QStringLiteral("begindate")),
                                   booksEndDate().toString(Qt::ISODate));
                      ds->setValue(ds->fieldIndex(QStringLiteral("money")), 50000.0);
                      grid->setCurrentIndex(grid->model()->index(
                          ds->currentRow(), ds->fieldIndex(QStringLiteral("savingtype"))));
                      grid->setFocus();
                      grid->openEditor();
                      if (!grid->currentEditor())
                          throw AppError(QStringLiteral("No editor in the kind cell"));
                      grid->currentEditor()->lineEdit()->setText(QStringLiteral("整存整取三年"));
                      Session::drain();
                  },
                  [](Session& s) {
                      if (!window(s)->grid()->commitEditor())
                          throw AppError(QStringLiteral("The kind was refused"));
                      Session::settle(s.top());
                  },
                  closeWindows,
                  [](FloorRun& f) {
                      RawStatement lookup(f.db(),
                                          QStringLiteral("select interestmonth,interest from "
                                                         "bankinterest where interestname = ?"));
                      lookup.bindText(1, QStringLiteral("整存整取三年"));
                      lookup.exec();
                  },
                  {}};

    // The query window, which the ledger opens with 查询. Opening it reads the overall totals;
    // entering a page reads the period's two sums and the first screen of its entries.
    using periods::Period;
    using periods::StatementKind;
    const periods::CurrentPeriod today =
        periods::currentPeriod(QDateTime(booksEndDate(), QTime(12, 0)));
    const periods::PeriodKey dayKey{today.day, {}};
    const periods::PeriodKey monthKey{today.month, {}};
    const periods::PeriodKey quarterKey = periods::quarterBounds(today.year, today.quarter);
    const periods::PeriodKey yearKey{today.year, {}};
    constexpr qint64 kFirstScreen = 256; // what the grid fetches before it paints
    const auto openQuery = [](Session& s) {
        openLedger(s);
        s.open(s.factoryOf<QueryWindow>());
    };
    const auto pageFloor = [kFirstScreen](Period period, periods::PeriodKey key) {
        return [=](FloorRun& f) {
            const periods::SumStatements sums = periods::periodSums(period, key);
            f.run(sums.income);
            f.run(sums.expenditure);
            f.run(periods::periodSql(period, StatementKind::AllEntries, key), kFirstScreen);
        };
    };

    out << Action{QStringLiteral("query: open (overall totals)"),
                  50,
                  openLedger,
                  [](Session& s) { s.open(s.factoryOf<QueryWindow>()); },
                  closeWindows,
                  [](FloorRun& f) {
                      f.open();
                      f.run(QStringLiteral("select * from mysalary"), 1);
                      const periods::SumStatements sums = periods::overallSums();
                      f.run(sums.income);
                      f.run(sums.expenditure);
                  },
                  {}};
    const struct {
        const char* name;
        int page;
        Period period;
        periods::PeriodKey key;
    } pages[] = {{"query: page 今日收支", 0, Period::Day, dayKey},
                 {"query: page 月度收支", 1, Period::Month, monthKey},
                 {"query: page 季度收支", 2, Period::Quarter, quarterKey},
                 {"query: page 年度收支", 3, Period::Year, yearKey}};
    for (const auto& page : pages) {
        const int index = page.page;
        // Entering page 0 needs another page in front first.
        out << Action{QString::fromUtf8(page.name),
                      100,
                      [openQuery, index](Session& s) {
                          openQuery(s); // it opens on page 0
                          if (index == 0)
                              s.showPage(QStringLiteral("RzPage"), 1);
                      },
                      [index](Session& s) { s.showPage(QStringLiteral("RzPage"), index); },
                      closeWindows,
                      pageFloor(page.period, page.key),
                      {}};
    }
    out << Action{QStringLiteral("query: month 归类分析 (cal_month)"),
                  100,
                  [openQuery](Session& s) {
                      openQuery(s);
                      s.showPage(QStringLiteral("RzPage"), 1);
                  },
                  [](Session& s) { s.click(QStringLiteral("cal_month")); },
                  closeWindows,
                  [monthKey](FloorRun& f) {
                      f.run(periods::periodSql(Period::Month, StatementKind::Analysis, monthKey));
                  },
                  {}};
    out << Action{QStringLiteral("query: year income list (sr_year)"),
                  100,
                  [openQuery](Session& s) {
                      openQuery(s);
                      s.showPage(QStringLiteral("RzPage"), 3);
                  },
                  [](Session& s) { s.click(QStringLiteral("sr_year")); },
                  closeWindows,
                  [yearKey, kFirstScreen](FloorRun& f) {
                      f.run(periods::periodSql(Period::Year, StatementKind::IncomeEntries, yearKey),
                            kFirstScreen);
                  },
                  {}};

    // The charts window, which the ledger opens with 图表. Opening it draws the pie; entering a
    // page runs that page's statement and draws every row of its result.
    const QList<charts::ChartPage>& chartPages = charts::chartPages();
    const auto openCharts = [](Session& s) {
        openLedger(s);
        s.open(s.factoryOf<ChartsWindow>());
    };
    out << Action{QStringLiteral("charts: open"),
                  50,
                  openLedger,
                  [](Session& s) { s.open(s.factoryOf<ChartsWindow>()); },
                  closeWindows,
                  [statement = chartPages.at(0).statement](FloorRun& f) {
                      f.open();
                      f.run(statement);
                  },
                  {}};
    for (int index = 0; index < int(chartPages.size()); ++index) {
        // Entering page 0 needs another page in front first.
        out << Action{
            QStringLiteral("charts: page %1 %2").arg(index).arg(chartPages[index].tabText),
            50,
            [openCharts, index](Session& s) {
                openCharts(s); // it opens on page 0
                if (index == 0)
                    s.showPage(QStringLiteral("rzpage"), 1);
            },
            [index](Session& s) { s.showPage(QStringLiteral("rzpage"), index); },
            closeWindows,
            [statement = chartPages[index].statement](FloorRun& f) { f.run(statement); },
            {}};
    }

    // More windows join here as they reach the program, one entry per page or button: the
    // settings window.
    out << importActions(facts);
    return out;
}

} // namespace bench
