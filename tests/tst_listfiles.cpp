// The list files: reading, the detail-line rules, rewrites, name matching, errors and the
// shipped files.
#include "lists/gbk.h"
#include "lists/listfiles.h"
#include "lists/listleftovers.h"
#include "platform/apperror.h"
#include "support/files.h"
#include "support/filesizelimit.h"
#include "support/umaskscope.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>
#include <sys/resource.h>

using lists::Direction;
Q_DECLARE_METATYPE(lists::Direction)

namespace {

// Bytes of a literal, embedded NULs included.
template <std::size_t N> QByteArray raw(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}

// GBK bytes of a text.
QByteArray g(const char* utf8) {
    return lists::encode(QString::fromUtf8(utf8));
}

// Bytes that are not GBK: a lead byte before a blank, and 0xFF.
QByteArray notGbk() {
    return g("餐饮-") + raw("\x81 \xff\xfe");
}

// A program folder holding an empty txt folder.
class ListFolder {
public:
    ListFolder() { QDir().mkpath(txt()); }

    QString program() const { return m_dir.path(); }
    QString txt() const { return m_dir.path() + QStringLiteral("/txt"); }
    QString path(const QString& name) const { return txt() + QLatin1Char('/') + name; }

    void put(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    QByteArray bytes(const QString& name) const {
        QFile file(path(name));
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray("<missing>");
        return file.readAll();
    }
    QStringList names() const {
        return QDir(txt()).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

private:
    QTemporaryDir m_dir;
};

// The text of the AppError that `action` throws, or "<no error>".
QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

const char* const kShipped[] = {"szsubshou.txt",   "szsubzhi.txt", "szdetailshou.txt",
                                "szdetailzhi.txt", "cardname.txt", "bankname.txt"};

// Whether `bytes` are GBK throughout: they decode without a replacement character and
// encode back to the same bytes.
bool isGbk(const QByteArray& bytes) {
    const QString text = lists::decode(bytes);
    return !text.contains(QChar::ReplacementCharacter) && lists::encode(text) == bytes;
}

} // namespace

class TestListFiles : public QObject {
    Q_OBJECT
private slots:
    void directionOf_data();
    void directionOf();
    void readList_data();
    void readList();
    void writeList_data();
    void writeList();
    void writeListRoundTrip();
    void minorCategories_data();
    void minorCategories();
    void minorCategoriesFileOfDirection();
    void appendDetail_data();
    void appendDetail();
    void removeDetail_data();
    void removeDetail();
    void replaceDetail_data();
    void replaceDetail();
    void rewriteKeepsPermissions();
    void namesMatchWithoutCase_data();
    void namesMatchWithoutCase();
    void listPath();
    void missing_data();
    void missing();
    void failedRewriteKeepsOldFile_data();
    void failedRewriteKeepsOldFile();
    void failedAppendLeavesNoHalfLine();
    void newListFilesAreOwnerOnly_data();
    void newListFilesAreOwnerOnly();
    void staleRewritesAreCleared_data();
    void staleRewritesAreCleared();
    void gbkConversions();
    void shippedFiles_data();
    void shippedFiles();
    void shippedDetailLinesName_data();
    void shippedDetailLinesName();
};

void TestListFiles::directionOf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("income");
    QTest::newRow("收入") << QStringLiteral("收入") << true;
    QTest::newRow("支出") << QStringLiteral("支出") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("trailing blank") << QStringLiteral("收入 ") << false;
    QTest::newRow("leading blank") << QStringLiteral(" 收入") << false;
    QTest::newRow("other text") << QStringLiteral("收") << false;
}

void TestListFiles::directionOf() {
    QFETCH(QString, text);
    QFETCH(bool, income);
    const Direction d = lists::directionOf(text);
    QCOMPARE(d == Direction::Income, income);
    QCOMPARE(lists::majorFile(d),
             income ? QStringLiteral("szsubshou.txt") : QStringLiteral("szsubzhi.txt"));
    QCOMPARE(lists::minorFile(d),
             income ? QStringLiteral("szdetailshou.txt") : QStringLiteral("szdetailzhi.txt"));
}

void TestListFiles::readList_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("entries");
    QTest::newRow("empty line between") << raw("a\r\n\r\nb\r\n") << QByteArrayList{"a", "", "b"};
    QTest::newRow("no final break") << raw("a\r\nb") << QByteArrayList{"a", "b"};
    QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
    QTest::newRow("only CR LF") << raw("\r\n") << QByteArrayList{""};
    QTest::newRow("lone LF") << raw("a\nb\n") << QByteArrayList{"a", "b"};
    QTest::newRow("lone CR") << raw("a\rb\r") << QByteArrayList{"a", "b"};
    QTest::newRow("CR then CR LF") << raw("a\r\r\nb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("LF then CR") << raw("a\n\rb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("NUL ends the text") << raw("a\r\nb\0c\r\nd\r\n") << QByteArrayList{"a", "b"};
    QTest::newRow("NUL first") << raw("\0a\r\n") << QByteArrayList{};
    QTest::newRow("NUL after a break") << raw("a\r\n\0b") << QByteArrayList{"a"};
    QTest::newRow("GBK names") << g("工资\r\n奖金\r\n") << QByteArrayList{g("工资"), g("奖金")};
    QTest::newRow("blanks kept") << raw(" a \r\n\t\r\n") << QByteArrayList{" a ", "\t"};
    QTest::newRow("not GBK kept") << notGbk() + "\r\n" << QByteArrayList{notGbk()};
}

void TestListFiles::readList() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, entries);
    ListFolder folder;
    folder.put("cardname.txt", file);
    QCOMPARE(lists::readList(folder.program(), "cardname.txt"), entries);
}

void TestListFiles::writeList_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << QByteArray("<missing>") << QByteArrayList{g("餐饮"), g("交通")}
                              << g("餐饮\r\n交通\r\n");
    QTest::newRow("empty list, new file")
        << QByteArray("<missing>") << QByteArrayList{} << QByteArray();
    QTest::newRow("longer old file is cut")
        << raw("one\r\ntwo\r\nthree\r\n") << QByteArrayList{"x"} << raw("x\r\n");
    QTest::newRow("empty list empties the file")
        << raw("one\r\n") << QByteArrayList{} << QByteArray();
    QTest::newRow("empty entries and duplicates")
        << QByteArray() << QByteArrayList{"a", "", "a"} << raw("a\r\n\r\na\r\n");
    QTest::newRow("not GBK kept") << QByteArray() << QByteArrayList{notGbk(), "b"}
                                  << notGbk() + "\r\nb\r\n";
}

void TestListFiles::writeList() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArrayList, entries);
    QFETCH(QByteArray, after);
    ListFolder folder;
    if (before != "<missing>")
        folder.put("szsubzhi.txt", before);
    lists::writeList(folder.program(), "szsubzhi.txt", entries);
    QCOMPARE(folder.bytes("szsubzhi.txt"), after);
    QCOMPARE(folder.names(), QStringList{"szsubzhi.txt"});
}

void TestListFiles::writeListRoundTrip() {
    // A file whose last line has no break, and a line that is not GBK: read, write back, and
    // the file holds the same lines byte for byte, now each with CR LF.
    ListFolder folder;
    folder.put("szsubshou.txt", g("工资\r\n") + notGbk() + g("\r\n奖金"));
    const QByteArrayList entries = lists::readList(folder.program(), "szsubshou.txt");
    QCOMPARE(entries.last(), g("奖金"));
    lists::writeList(folder.program(), "szsubshou.txt", entries);
    QCOMPARE(folder.bytes("szsubshou.txt"), g("工资\r\n") + notGbk() + g("\r\n奖金\r\n"));
}

void TestListFiles::minorCategories_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("major");
    QTest::addColumn<QByteArrayList>("minors");
    const QByteArray salary = g("工资-基本工资\r\n奖金-年终\r\n工资-加班-周末\r\n");
    QTest::newRow("工资") << salary << g("工资") << QByteArrayList{g("基本工资"), g("加班-周末")};
    QTest::newRow("奖金") << salary << g("奖金") << QByteArrayList{g("年终")};
    QTest::newRow("unknown major") << salary << g("餐饮") << QByteArrayList{};
    QTest::newRow("major with hyphen has none") << salary << g("工资-加班") << QByteArrayList{};
    QTest::newRow("blank before hyphen, 工资")
        << g("工资 -补贴\r\n工资-奖金\r\n") << g("工资") << QByteArrayList{g("奖金")};
    QTest::newRow("blank before hyphen, 工资 + blank")
        << g("工资 -补贴\r\n工资-奖金\r\n") << g("工资 ") << QByteArrayList{g("补贴")};
    QTest::newRow("case counts") << raw("Food-a\r\nfood-b\r\n") << QByteArray("food")
                                 << QByteArrayList{"b"};
    QTest::newRow("duplicates kept") << g("餐饮-午餐\r\n交通-打车\r\n餐饮-午餐\r\n") << g("餐饮")
                                     << QByteArrayList{g("午餐"), g("午餐")};
    QTest::newRow("last line without break")
        << g("餐饮-午餐\r\n餐饮-晚餐") << g("餐饮") << QByteArrayList{g("午餐"), g("晚餐")};
    QTest::newRow("LF only and stray CR")
        << raw("a-x\na-y\r\r\na-\rz\n") << QByteArray("a") << QByteArrayList{"x", "y", "z"};
    QTest::newRow("empty minor") << raw("a-\r\n") << QByteArray("a") << QByteArrayList{""};
    QTest::newRow("empty major collects")
        << raw("a-x\r\nplain\r\n\r\n-lead\r\n-\r\nb-y") << QByteArray()
        << QByteArrayList{"plain", "", "lead", ""};
    QTest::newRow("NUL stays in its line")
        << raw("a-x\0y\r\na-z\r\n") << QByteArray("a") << QByteArrayList{raw("x\0y"), "z"};
    QTest::newRow("empty file") << QByteArray() << QByteArray() << QByteArrayList{};
    QTest::newRow("only CR LF gives one empty line")
        << raw("\r\n") << QByteArray() << QByteArrayList{""};
    QTest::newRow("not GBK minor") << notGbk() + "\r\n"
                                   << g("餐饮") << QByteArrayList{notGbk().mid(g("餐饮-").size())};
}

void TestListFiles::minorCategories() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, major);
    QFETCH(QByteArrayList, minors);
    ListFolder folder;
    folder.put("szdetailzhi.txt", file);
    QCOMPARE(lists::minorCategories(folder.program(), Direction::Expenditure, major), minors);
    QCOMPARE(folder.bytes("szdetailzhi.txt"), file); // reading changes nothing
}

void TestListFiles::minorCategoriesFileOfDirection() {
    ListFolder folder;
    folder.put("szdetailshou.txt", g("工资-基本工资\r\n"));
    folder.put("szdetailzhi.txt", g("工资-罚款\r\n"));
    QCOMPARE(lists::minorCategories(folder.program(), Direction::Income, g("工资")),
             QByteArrayList{g("基本工资")});
    QCOMPARE(lists::minorCategories(folder.program(), Direction::Expenditure, g("工资")),
             QByteArrayList{g("罚款")});
}

void TestListFiles::appendDetail_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("after a break")
        << g("餐饮-午餐\r\n") << g("餐饮-晚餐") << g("餐饮-午餐\r\n餐饮-晚餐\r\n");
    QTest::newRow("no break written in front")
        << g("餐饮-午餐") << g("餐饮-晚餐") << g("餐饮-午餐餐饮-晚餐\r\n");
    QTest::newRow("caller's leading CR LF")
        << g("餐饮-午餐\r\n") << g("\r\n餐饮-晚餐") << g("餐饮-午餐\r\n\r\n餐饮-晚餐\r\n");
    QTest::newRow("empty file") << QByteArray() << g("工资-新项目") << g("工资-新项目\r\n");
    QTest::newRow("empty text") << raw("a-x\r\n") << QByteArray() << raw("a-x\r\n\r\n");
    QTest::newRow("old bytes untouched") << notGbk() + "\n" << raw("a-x") << notGbk() + "\na-x\r\n";
}

void TestListFiles::appendDetail() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, after);
    ListFolder folder;
    folder.put("szdetailzhi.txt", before);
    lists::appendDetail(folder.program(), Direction::Expenditure, text);
    QCOMPARE(folder.bytes("szdetailzhi.txt"), after);
}

void TestListFiles::removeDetail_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("both duplicates go")
        << g("餐饮-午餐\r\n交通-打车\r\n餐饮-午餐\r\n") << g("餐饮-午餐") << g("交通-打车\r\n");
    QTest::newRow("empty lines stay")
        << raw("a-x\r\n\r\nb-y\r\n\r\n") << raw("b-y") << raw("a-x\r\n\r\n\r\n");
    QTest::newRow("byte for byte, not trimmed")
        << raw("a-x\r\na-x \r\nA-x\r\n") << raw("a-x") << raw("a-x \r\nA-x\r\n");
    QTest::newRow("no match rewrites with CR LF")
        << raw("a-x\nb-y") << raw("c-z") << raw("a-x\r\nb-y\r\n");
    QTest::newRow("stray CR dropped") << raw("a-x\r\r\nb-\ry\r\n") << raw("a-x") << raw("b-y\r\n");
    QTest::newRow("last line without break") << raw("a-x\r\nb-y") << raw("b-y") << raw("a-x\r\n");
    QTest::newRow("removing the empty line")
        << raw("a-x\r\n\r\nb-y\r\n") << QByteArray() << raw("a-x\r\nb-y\r\n");
    QTest::newRow("not GBK line kept") << raw("a-x\r\n") + notGbk() + raw("\r\nb-y\r\n")
                                       << raw("a-x") << notGbk() + raw("\r\nb-y\r\n");
    QTest::newRow("not GBK line removed")
        << raw("a-x\r\n") + notGbk() + raw("\r\n") << notGbk() << raw("a-x\r\n");
    QTest::newRow("NUL line kept") << raw("a-x\0y\r\na-z\r\n") << raw("a-z") << raw("a-x\0y\r\n");
    QTest::newRow("everything removed") << raw("a-x\r\na-x") << raw("a-x") << QByteArray();
}

void TestListFiles::removeDetail() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, after);
    ListFolder folder;
    folder.put("szdetailshou.txt", before);
    lists::removeDetail(folder.program(), Direction::Income, line);
    QCOMPARE(folder.bytes("szdetailshou.txt"), after);
    QCOMPARE(folder.names(), QStringList{"szdetailshou.txt"}); // no temporary file left
}

void TestListFiles::replaceDetail_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("oldLine");
    QTest::addColumn<QByteArray>("newLine");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("first line moves to the end")
        << g("工资-基本工资\r\n奖金-年终\r\n工资-加班\r\n") << g("工资-基本工资") << g("工资-底薪")
        << g("奖金-年终\r\n工资-加班\r\n工资-底薪\r\n");
    QTest::newRow("same name still moves")
        << raw("a-x\r\nb-y\r\n") << raw("a-x") << raw("a-x") << raw("b-y\r\na-x\r\n");
    QTest::newRow("every old line goes, one new line")
        << raw("a-x\r\nb-y\r\na-x\r\n") << raw("a-x") << raw("a-z") << raw("b-y\r\na-z\r\n");
    QTest::newRow("old line absent")
        << raw("a-x\r\nb-y") << raw("c-z") << raw("c-w") << raw("a-x\r\nb-y\r\nc-w\r\n");
    QTest::newRow("empty file") << QByteArray() << raw("a-x") << raw("a-y") << raw("a-y\r\n");
    QTest::newRow("not GBK line kept") << notGbk() + raw("\r\na-x\r\n") << raw("a-x") << raw("a-y")
                                       << notGbk() + raw("\r\na-y\r\n");
    QTest::newRow("not GBK new line")
        << raw("a-x\r\n") << raw("a-x") << notGbk() << notGbk() + raw("\r\n");
}

void TestListFiles::replaceDetail() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, oldLine);
    QFETCH(QByteArray, newLine);
    QFETCH(QByteArray, after);
    ListFolder folder;
    folder.put("szdetailzhi.txt", before);
    lists::replaceDetail(folder.program(), Direction::Expenditure, oldLine, newLine);
    QCOMPARE(folder.bytes("szdetailzhi.txt"), after);
    QCOMPARE(folder.names(), QStringList{"szdetailzhi.txt"});
}

void TestListFiles::rewriteKeepsPermissions() {
    // The rewrite replaces the file by a new one: it must keep the old file's permissions.
    ListFolder folder;
    folder.put("szdetailzhi.txt", raw("a-x\r\nb-y\r\n"));
    folder.put("szsubzhi.txt", raw("a\r\n"));
    const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(folder.path("szdetailzhi.txt"), perms));
    QVERIFY(QFile::setPermissions(folder.path("szsubzhi.txt"), perms));
    lists::removeDetail(folder.program(), Direction::Expenditure, raw("a-x"));
    lists::writeList(folder.program(), "szsubzhi.txt", {"b"});
    QCOMPARE(QFileInfo(folder.path("szdetailzhi.txt")).permissions() & 0x7077, perms);
    QCOMPARE(QFileInfo(folder.path("szsubzhi.txt")).permissions() & 0x7077, perms);
}

void TestListFiles::namesMatchWithoutCase_data() {
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("named");
    QTest::newRow("upper reaches lower") << "szsubzhi.txt"
                                         << "SZSUBZHI.TXT";
    QTest::newRow("lower reaches upper") << "SZSUBZHI.TXT"
                                         << "szsubzhi.txt";
    QTest::newRow("mixed") << "SzSubZhi.Txt"
                           << "szsubZHI.txt";
}

void TestListFiles::namesMatchWithoutCase() {
    QFETCH(QString, onDisk);
    QFETCH(QString, named);
    ListFolder folder;
    folder.put(onDisk, g("餐饮\r\n"));
    QCOMPARE(lists::readList(folder.program(), named), QByteArrayList{g("餐饮")});
    lists::writeList(folder.program(), named, {g("交通")});
    QCOMPARE(folder.names(), QStringList{onDisk}); // the one file, under its own name
    QCOMPARE(folder.bytes(onDisk), g("交通\r\n"));

    // The line-by-line operations reach a file named in another case too.
    const QString detail = onDisk.startsWith('s') ? "szdetailshou.txt" : "SZDETAILSHOU.TXT";
    folder.put(detail, g("工资-奖金\r\n"));
    lists::appendDetail(folder.program(), Direction::Income, g("工资-补贴"));
    lists::replaceDetail(folder.program(), Direction::Income, g("工资-奖金"), g("工资-加班"));
    QCOMPARE(lists::minorCategories(folder.program(), Direction::Income, g("工资")),
             (QByteArrayList{g("补贴"), g("加班")}));
    QCOMPARE(folder.names().size(), 2);
}

void TestListFiles::listPath() {
    ListFolder folder;
    const QString txt = QDir(folder.txt()).absolutePath();
    // No such file: the lower-case name, the name a created file takes.
    QCOMPARE(lists::listPath(folder.program(), "CARDNAME.TXT"), txt + "/cardname.txt");
    lists::writeList(folder.program(), "CARDNAME.TXT", {"x"});
    QCOMPARE(folder.names(), QStringList{"cardname.txt"});
    // On a case-sensitive folder holding both, the exact name wins.
    folder.put("CARDNAME.TXT", "y\r\n");
    QCOMPARE(lists::listPath(folder.program(), "CARDNAME.TXT"), txt + "/CARDNAME.TXT");
    QCOMPARE(lists::listPath(folder.program(), "cardname.txt"), txt + "/cardname.txt");
    QCOMPARE(lists::listPath(folder.program(), "CardName.txt"), txt + "/cardname.txt");
    // A relative program folder still gives a full path.
    QVERIFY(QFileInfo(lists::listPath(".", "bankname.txt")).isAbsolute());
}

void TestListFiles::missing_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("folderMissing");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("error"); // %1 stands for the file's full path
    const QStringList lineOperations{"minorCategories", "appendDetail", "removeDetail",
                                     "replaceDetail"};
    QTest::newRow("readList, no file") << "readList" << false << "cardname.txt"
                                       << "Cannot open file %1";
    QTest::newRow("readList, no folder") << "readList" << true << "cardname.txt"
                                         << "Cannot open file %1";
    QTest::newRow("writeList, no folder") << "writeList" << true << "szsubzhi.txt"
                                          << "Cannot create file %1";
    for (const QString& op : lineOperations) {
        QTest::addRow("%s, no file", qPrintable(op)) << op << false << "szdetailzhi.txt"
                                                     << "File not found";
        QTest::addRow("%s, no folder", qPrintable(op)) << op << true << "szdetailzhi.txt"
                                                       << "Invalid filename";
    }
}

void TestListFiles::missing() {
    QFETCH(QString, operation);
    QFETCH(bool, folderMissing);
    QFETCH(QString, file);
    QFETCH(QString, error);
    ListFolder folder;
    // Only the one file named is missing, or the whole folder.
    for (const char* name : kShipped)
        if (file != QLatin1String(name))
            folder.put(name, raw("a-x\r\n"));
    if (folderMissing)
        QVERIFY(QDir(folder.txt()).removeRecursively());
    const QStringList before = folder.names();
    const QString p = folder.program();
    const std::function<void()> run = [&] {
        if (operation == "readList")
            lists::readList(p, file);
        else if (operation == "writeList")
            lists::writeList(p, file, {"a"});
        else if (operation == "minorCategories")
            lists::minorCategories(p, Direction::Expenditure, "a");
        else if (operation == "appendDetail")
            lists::appendDetail(p, Direction::Expenditure, "a-y");
        else if (operation == "removeDetail")
            lists::removeDetail(p, Direction::Expenditure, "a-x");
        else if (operation == "replaceDetail")
            lists::replaceDetail(p, Direction::Expenditure, "a-x", "a-y");
    };
    const QString fullPath = QDir(folder.txt()).absoluteFilePath(file);
    QCOMPARE(errorOf(run), error.contains("%1") ? error.arg(fullPath) : error);
    // Nothing is created: neither the file nor the folder.
    QCOMPARE(folder.names(), before);
    QCOMPARE(QFileInfo::exists(folder.txt()), !folderMissing);
}

void TestListFiles::failedRewriteKeepsOldFile_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("writeList") << "writeList";
    QTest::newRow("removeDetail") << "removeDetail";
    QTest::newRow("replaceDetail") << "replaceDetail";
}

void TestListFiles::failedRewriteKeepsOldFile() {
    // The new contents do not fit (the process may write no file beyond 16 bytes, as on a full
    // disk): the operation fails and the old file is still whole, with no temporary file left.
    QFETCH(QString, operation);
    ListFolder folder;
    const QByteArray old = g("工资-基本工资\r\n") + notGbk() + g("\r\n奖金-年终\r\n");
    const QByteArray longLine = QByteArray(40, 'x');
    folder.put("szdetailshou.txt", old);
    folder.put("szsubshou.txt", old);
    const QString p = folder.program();
    QString error;
    {
        FileSizeLimit limit(16);
        if (!limit.ok())
            QSKIP("cannot limit the file size here");
        error = errorOf([&] {
            if (operation == "writeList")
                lists::writeList(p, "szsubshou.txt", {g("工资"), longLine});
            else if (operation == "removeDetail")
                lists::removeDetail(p, Direction::Income, g("奖金-年终"));
            else
                lists::replaceDetail(p, Direction::Income, g("奖金-年终"), longLine);
        });
    }
    QCOMPARE(error, QStringLiteral("I/O error %1").arg(EFBIG));
    QCOMPARE(folder.bytes("szdetailshou.txt"), old);
    QCOMPARE(folder.bytes("szsubshou.txt"), old);
    QCOMPARE(folder.names(), (QStringList{"szdetailshou.txt", "szsubshou.txt"}));
}

void TestListFiles::failedAppendLeavesNoHalfLine() {
    // Only part of the line fits (as on a full disk): the append fails and the file is as it
    // was, so the next append starts a line of its own instead of gluing onto half of one.
    ListFolder folder;
    const QByteArray old = g("餐饮-午餐\r\n");
    folder.put("szdetailzhi.txt", old);
    QString error;
    {
        FileSizeLimit limit(old.size() + 4);
        if (!limit.ok())
            QSKIP("cannot limit the file size here");
        error = errorOf([&] {
            lists::appendDetail(folder.program(), Direction::Expenditure, g("新细类1餐饮"));
        });
    }
    QCOMPARE(error, QStringLiteral("I/O error %1").arg(EFBIG));
    QCOMPARE(folder.bytes("szdetailzhi.txt"), old);
    lists::appendDetail(folder.program(), Direction::Expenditure, g("餐饮-新细类0号"));
    QCOMPARE(folder.bytes("szdetailzhi.txt"), old + g("餐饮-新细类0号\r\n"));
}

void TestListFiles::newListFilesAreOwnerOnly_data() {
    QTest::addColumn<int>("mask");
    QTest::newRow("umask 000") << 0;
    QTest::newRow("umask 022") << 022;
    QTest::newRow("umask 077") << 077;
}

void TestListFiles::newListFilesAreOwnerOnly() {
    QFETCH(int, mask);
    ListFolder folder;
    {
        UmaskScope scope{mode_t(mask & 0777)};
        lists::writeList(folder.program(), "bankname.txt", {g("中国银行")});
    }
    QCOMPARE(modeOf(folder.path("bankname.txt")), 0600u);
    QCOMPARE(folder.bytes("bankname.txt"), g("中国银行\r\n"));
}

void TestListFiles::staleRewritesAreCleared_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("removed");
    QTest::newRow("a rewrite's copy") << "szdetailzhi.txt.new-a1B2c3" << 3600 << true;
    QTest::newRow("copy of another list") << "CardName.txt.new-zzzzzz" << 3600 << true;
    QTest::newRow("an earlier version's copy") << "szsubshou.txt.Xy12Ab" << 3600 << true;
    QTest::newRow("a rewrite still running") << "szdetailzhi.txt.new-a1B2c3" << 5 << false;
    QTest::newRow("a user's backup") << "cardname.txt.backup" << 3600 << false;
    QTest::newRow("not a list's name") << "notes.txt.new-a1B2c3" << 3600 << false;
    QTest::newRow("five characters") << "bankname.txt.new-a1B2c" << 3600 << false;
    QTest::newRow("the list itself") << "szsubzhi.txt" << 3600 << false;
}

void TestListFiles::staleRewritesAreCleared() {
    QFETCH(QString, name);
    QFETCH(int, ageSeconds);
    QFETCH(bool, removed);
    ListFolder folder;
    folder.put(name, g("餐饮-午餐\r\n"));
    folder.put("szdetailzhi.txt", g("餐饮-午餐\r\n"));
    const QDateTime now = QDateTime::currentDateTime();
    QFile file(folder.path(name));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(now.addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    file.close();

    QCOMPARE(lists::removeStaleRewrites(folder.program(), now), removed ? 1 : 0);
    QCOMPARE(QFile::exists(folder.path(name)), !removed);
    QVERIFY(QFile::exists(folder.path("szdetailzhi.txt")));
}

void TestListFiles::gbkConversions() {
    QCOMPARE(lists::encode(QStringLiteral("工资")), raw("\xb9\xa4\xd7\xca"));
    QCOMPARE(lists::decode(raw("\xb9\xa4\xd7\xca")), QStringLiteral("工资"));
    QCOMPARE(lists::decodeAll({g("餐饮"), "a"}), (QStringList{"餐饮", "a"}));
    QVERIFY(isGbk(g("中国工商银行")));
    QVERIFY(!isGbk(notGbk()));
    QVERIFY(!isGbk(raw("\xb9"))); // a lead byte cut off at the end
    QVERIFY(lists::isEncodable(QStringLiteral("微信支付")));
    QVERIFY(!lists::isEncodable(QStringLiteral("红包🧧")));
}

void TestListFiles::shippedFiles_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : kShipped)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestListFiles::shippedFiles() {
    QFETCH(QString, name);
    QFile file(QStringLiteral(TELOQ_SOURCE_LISTS "/") + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.isEmpty());
    QVERIFY(isGbk(bytes));
    QVERIFY(!bytes.startsWith("\xef\xbb\xbf")); // no byte-order mark
    QVERIFY(bytes.endsWith("\r\n"));
    // Every line ends in CR LF: as many CR as LF, each CR followed by LF; no empty line, no NUL.
    QCOMPARE(bytes.count('\r'), bytes.count('\n'));
    QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
    QVERIFY(!bytes.contains('\0'));
    const QByteArrayList entries = bytes.chopped(2).split('\n');
    for (QByteArray entry : entries) {
        entry.chop(entry.endsWith('\r') ? 1 : 0);
        QVERIFY2(!entry.isEmpty() && entry.trimmed() == entry, entry.constData());
    }
}

void TestListFiles::shippedDetailLinesName_data() {
    QTest::addColumn<Direction>("direction");
    QTest::newRow("income") << Direction::Income;
    QTest::newRow("expenditure") << Direction::Expenditure;
}

void TestListFiles::shippedDetailLinesName() {
    // Every shipped major category has minor categories, and every detail line belongs to a
    // shipped major category.
    QFETCH(Direction, direction);
    const QString program = QDir::cleanPath(QStringLiteral(TELOQ_SOURCE_LISTS "/.."));
    const QByteArrayList majors = lists::readList(program, lists::majorFile(direction));
    const QByteArrayList details = lists::readList(program, lists::minorFile(direction));
    for (const QByteArray& major : majors)
        QVERIFY2(!lists::minorCategories(program, direction, major).isEmpty(),
                 qPrintable(lists::decode(major)));
    for (const QByteArray& line : details) {
        const qsizetype hyphen = line.indexOf('-');
        QVERIFY2(hyphen > 0 && majors.contains(line.left(hyphen)), qPrintable(lists::decode(line)));
    }
    // Other tests rely on 工资 being an income major category with minor categories.
    if (direction == Direction::Income)
        QVERIFY(!lists::minorCategories(program, direction, g("工资")).isEmpty());
}

QTEST_GUILESS_MAIN(TestListFiles)
#include "tst_listfiles.moc"
