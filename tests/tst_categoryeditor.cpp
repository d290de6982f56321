// The category editor without its widgets: filling the lists, what the two selections decide
// for 新增, 修改 and 删除, and every change checked on the bytes of the list files.
#include "lists/gbk.h"
#include "platform/apperror.h"
#include "settings/logic/categoryeditor.h"
#include "support/categoryfiles.h"
#include "support/files.h"
#include "support/scripteddialogs.h"
#include "support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using lists::Direction;

namespace {

// A program folder with the four category files, an editor over it and scripted dialogs.
class Page {
    QTemporaryDir m_dir; // first: the editor is made over it

public:
    Page() : editor(m_dir.path(), dialogs) {
        QDir().mkpath(m_dir.path() + QStringLiteral("/txt"));
        put("szsubshou.txt", listFile(kIncomeMajors));
        put("szdetailshou.txt", listFile(kIncomeMinors));
        put("szsubzhi.txt", listFile(kSpendingMajors));
        put("szdetailzhi.txt", listFile(kSpendingMinors));
    }

    QString path(const QString& name) const {
        return m_dir.path() + QStringLiteral("/txt/") + name;
    }
    void put(const QString& name, const QByteArray& bytes) const { writeAll(path(name), bytes); }
    QByteArray bytes(const QString& name) const {
        return QFile::exists(path(name)) ? readAll(path(name)) : QByteArray("<missing>");
    }

    // The page opened, in the given direction, with `major` selected (and `minor`).
    void open(Direction d, const QString& major = {}, const QString& minor = {}) {
        editor.fillMajors();
        if (d == Direction::Expenditure)
            editor.chooseDirection(d);
        if (!major.isNull())
            editor.selectMajor(int(editor.majorTexts().indexOf(major)));
        if (!minor.isNull())
            editor.selectMinor(int(editor.minorTexts().indexOf(minor)));
    }
    // Runs one command as the page does, keeping the text of the error it ends with.
    void run(const std::function<void()>& command) {
        try {
            command();
        } catch (const AppError& e) {
            errors << e.text();
        }
    }

    ScriptedDialogs dialogs;
    CategoryEditor editor;
    QStringList errors;
};

QString majorFileOf(Direction d) {
    return d == Direction::Income ? QStringLiteral("szsubshou.txt")
                                  : QStringLiteral("szsubzhi.txt");
}
QString minorFileOf(Direction d) {
    return d == Direction::Income ? QStringLiteral("szdetailshou.txt")
                                  : QStringLiteral("szdetailzhi.txt");
}

} // namespace

Q_DECLARE_METATYPE(lists::Direction)

class TestCategoryEditor : public QObject {
    Q_OBJECT
private slots:
    void opensOnIncome();
    void directionAndPageSwitch();
    void selectingAMajorShowsItsMinors();
    void addMajorWithNothingSelected();
    void addMajorWithOnlyAMajorSelected();
    void addMinor_data();
    void addMinor();
    void addCancelledOrEmpty_data();
    void addCancelledOrEmpty();
    void renameFirstMinorMovesItToTheEnd_data();
    void renameFirstMinorMovesItToTheEnd();
    void renameMajorKeepsItsPlace();
    void renameToEmpty();
    void deleteMajorThenAddItAgain();
    void deleteDoubledMinor();
    void emptyMajorEntryCountsAsNoSelection();
    void missingMinorFileOnAddMajor();
    void minorFileFailures_data();
    void minorFileFailures();
    void unreadableMajorFile();
    void nameTheFilesCannotHold_data();
    void nameTheFilesCannotHold();
    void bytesThatAreNotGbkSurviveARename();
    void noLedgerRowChanges();
};

void TestCategoryEditor::opensOnIncome() {
    Page p;
    p.open(Direction::Income);
    QCOMPARE(p.editor.direction(), Direction::Income);
    QCOMPARE(p.editor.majorTexts(), kIncomeMajors);
    QCOMPARE(p.editor.minorTexts(), QStringList());
    QCOMPARE(p.editor.majorRow(), -1);
    QCOMPARE(p.editor.minorRow(), -1);
}

void TestCategoryEditor::directionAndPageSwitch() {
    Page p;
    p.open(Direction::Income, QStringLiteral("工资"));
    p.editor.chooseDirection(Direction::Expenditure);
    QCOMPARE(p.editor.majorTexts(), kSpendingMajors);
    QCOMPARE(p.editor.majorRow(), -1);
    // The minor list keeps what it showed.
    QCOMPARE(p.editor.minorTexts(), (QStringList{"基本工资", "加班"}));

    // Choosing the option already chosen reads nothing.
    p.put("szsubzhi.txt", listFile({"住房"}));
    p.editor.chooseDirection(Direction::Expenditure);
    QCOMPARE(p.editor.majorTexts(), kSpendingMajors);
    // Switching to another page and back reads the direction's file afresh.
    p.editor.fillMajors();
    QCOMPARE(p.editor.majorTexts(), QStringList{"住房"});
    p.editor.chooseDirection(Direction::Income);
    QCOMPARE(p.editor.majorTexts(), kIncomeMajors);
}

void TestCategoryEditor::selectingAMajorShowsItsMinors() {
    Page p;
    p.open(Direction::Income, QStringLiteral("工资"), QStringLiteral("加班"));
    QCOMPARE(p.editor.majorSelection(), gbk("工资"));
    QCOMPARE(p.editor.minorSelection(), gbk("加班"));
    // Another major: the minor list and its selection start again.
    p.editor.selectMajor(1);
    QCOMPARE(p.editor.minorTexts(), QStringList{"年终奖"});
    QCOMPARE(p.editor.minorRow(), -1);
    QVERIFY(p.dialogs.shown.isEmpty());
}

void TestCategoryEditor::addMajorWithNothingSelected() {
    Page p;
    p.open(Direction::Expenditure);
    const QByteArray minorsBefore = p.bytes("szdetailzhi.txt");
    p.dialogs.typeNext(QStringLiteral("餐饮"));
    p.editor.add();
    QCOMPARE(p.dialogs.asked.size(), 1);
    QCOMPARE(p.dialogs.asked[0].caption, QStringLiteral("系统设置"));
    QCOMPARE(p.dialogs.asked[0].prompt, QStringLiteral("输入项目"));
    QCOMPARE(p.dialogs.asked[0].initial, QString());
    QCOMPARE(p.editor.majorTexts(), (QStringList{"餐饮", "交通", "餐饮"}));
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile({"餐饮", "交通", "餐饮"}));
    QCOMPARE(p.bytes("szdetailzhi.txt"), minorsBefore + gbk("餐饮-新项目") + "\r\n");
    // The income files are untouched; the new entry is not selected.
    QCOMPARE(p.bytes("szsubshou.txt"), listFile(kIncomeMajors));
    QCOMPARE(p.editor.majorRow(), -1);
    QVERIFY(p.dialogs.shown.isEmpty());
}

void TestCategoryEditor::addMajorWithOnlyAMajorSelected() {
    Page p;
    p.open(Direction::Income, QStringLiteral("奖金"));
    p.dialogs.typeNext(QStringLiteral("利息"));
    p.editor.add();
    QCOMPARE(p.bytes("szsubshou.txt"), listFile({"工资", "奖金", "利息"}));
    QCOMPARE(p.bytes("szdetailshou.txt"), listFile(kIncomeMinors + QStringList{"利息-新项目"}));
    // The minor list is not refilled and the selection stays.
    QCOMPARE(p.editor.minorTexts(), QStringList{"年终奖"});
    QCOMPARE(p.editor.majorSelection(), gbk("奖金"));
}

void TestCategoryEditor::addMinor_data() {
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<QString>("major");
    QTest::addColumn<QString>("minor");
    QTest::addColumn<QByteArray>("appended");
    // Expenditure: a line break of its own before the line, so an empty line stands before it.
    QTest::newRow("expenditure") << Direction::Expenditure << "餐饮"
                                 << "午餐" << QByteArray("\r\n" + gbk("餐饮-夜宵") + "\r\n");
    QTest::newRow("income") << Direction::Income << "工资"
                            << "基本工资" << QByteArray(gbk("工资-夜宵") + "\r\n");
}

void TestCategoryEditor::addMinor() {
    QFETCH(Direction, direction);
    QFETCH(QString, major);
    QFETCH(QString, minor);
    QFETCH(QByteArray, appended);
    Page p;
    p.open(direction, major, minor);
    const QByteArray majorsBefore = p.bytes(majorFileOf(direction));
    const QByteArray before = p.bytes(minorFileOf(direction));
    const QStringList listBefore = p.editor.minorTexts();
    p.dialogs.typeNext(QStringLiteral("夜宵"));
    p.editor.add();
    QCOMPARE(p.bytes(minorFileOf(direction)), before + appended);
    QCOMPARE(p.editor.minorTexts(), listBefore + QStringList{"夜宵"});
    QCOMPARE(p.bytes(majorFileOf(direction)), majorsBefore);
    QCOMPARE(p.dialogs.asked.at(0).initial, QString());

    // The new line is among the major's minor categories when the list is filled again.
    p.editor.selectMajor(p.editor.majorRow());
    QCOMPARE(p.editor.minorTexts().last(), QStringLiteral("夜宵"));
}

void TestCategoryEditor::addCancelledOrEmpty_data() {
    QTest::addColumn<bool>("withMinor");
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::newRow("major, cancelled") << false << std::optional<QString>();
    QTest::newRow("major, empty") << false << std::optional<QString>(QString());
    QTest::newRow("minor, cancelled") << true << std::optional<QString>();
    QTest::newRow("minor, empty") << true << std::optional<QString>(QString());
}

void TestCategoryEditor::addCancelledOrEmpty() {
    QFETCH(bool, withMinor);
    QFETCH(std::optional<QString>, typed);
    Page p;
    p.open(Direction::Expenditure, QStringLiteral("餐饮"),
           withMinor ? QStringLiteral("早餐") : QString());
    p.dialogs.typeNext(typed);
    p.editor.add();
    QCOMPARE(p.dialogs.asked.size(), 1);
    QCOMPARE(p.editor.majorTexts(), kSpendingMajors);
    QCOMPARE(p.editor.minorTexts(), (QStringList{"早餐", "午餐"}));
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile(kSpendingMajors));
    QCOMPARE(p.bytes("szdetailzhi.txt"), listFile(kSpendingMinors));
    // Silently.
    QVERIFY(p.dialogs.shown.isEmpty());
}

void TestCategoryEditor::renameFirstMinorMovesItToTheEnd_data() {
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<QString>("name");
    QTest::newRow("renamed") << std::optional<QString>(QStringLiteral("早点")) << "早点";
    // Cancel gives back the initial text, and the rename goes on with it.
    QTest::newRow("cancelled") << std::optional<QString>() << "早餐";
    QTest::newRow("same name") << std::optional<QString>(QStringLiteral("早餐")) << "早餐";
}

void TestCategoryEditor::renameFirstMinorMovesItToTheEnd() {
    QFETCH(std::optional<QString>, typed);
    QFETCH(QString, name);
    Page p;
    p.open(Direction::Expenditure, QStringLiteral("餐饮"), QStringLiteral("早餐"));
    p.dialogs.typeNext(typed);
    p.editor.rename();
    QCOMPARE(p.dialogs.asked.at(0).initial, QStringLiteral("早餐"));
    QCOMPARE(p.bytes("szdetailzhi.txt"), listFile({"餐饮-午餐", "交通-公交", "餐饮-" + name}));
    // The list is filled again: the renamed entry last, nothing selected.
    QCOMPARE(p.editor.minorTexts(), (QStringList{"午餐", name}));
    QCOMPARE(p.editor.minorRow(), -1);
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile(kSpendingMajors));
}

void TestCategoryEditor::renameMajorKeepsItsPlace() {
    Page p;
    p.open(Direction::Income, QStringLiteral("工资"));
    p.dialogs.typeNext(QStringLiteral("薪水"));
    p.editor.rename();
    QCOMPARE(p.dialogs.asked.at(0).initial, QStringLiteral("工资"));
    QCOMPARE(p.editor.majorTexts(), (QStringList{"薪水", "奖金"}));
    QCOMPARE(p.bytes("szsubshou.txt"), listFile({"薪水", "奖金"}));
    // The detail lines still carry the old name, so the new name has no minor categories.
    QCOMPARE(p.bytes("szdetailshou.txt"), listFile(kIncomeMinors));
    p.editor.selectMajor(0);
    QCOMPARE(p.editor.minorTexts(), QStringList());

    // Renamed back, the old lines show again.
    p.dialogs.typeNext(QStringLiteral("工资"));
    p.editor.rename();
    p.editor.selectMajor(0);
    QCOMPARE(p.editor.minorTexts(), (QStringList{"基本工资", "加班"}));
}

void TestCategoryEditor::renameToEmpty() {
    Page p;
    p.open(Direction::Income, QStringLiteral("工资"), QStringLiteral("加班"));
    p.dialogs.typeNext(QString());
    p.editor.rename();
    // An empty minor name: the line of the major name and "-".
    QCOMPARE(p.bytes("szdetailshou.txt"), listFile({"工资-基本工资", "奖金-年终奖", "工资-"}));
    QCOMPARE(p.editor.minorTexts(), (QStringList{"基本工资", ""}));

    // An empty major name is written as an empty line.
    p.editor.selectMajor(1);
    p.dialogs.typeNext(QString());
    p.editor.rename();
    QCOMPARE(p.bytes("szsubshou.txt"), QByteArray(gbk("工资") + "\r\n\r\n"));
    QCOMPARE(p.editor.majorTexts(), (QStringList{"工资", ""}));
}

void TestCategoryEditor::deleteMajorThenAddItAgain() {
    Page p;
    p.open(Direction::Expenditure, QStringLiteral("餐饮"));
    p.editor.remove();
    // No question; the minor file and the minor list stay as they were.
    QVERIFY(p.dialogs.shown.isEmpty());
    QVERIFY(p.dialogs.asked.isEmpty());
    QCOMPARE(p.editor.majorTexts(), QStringList{"交通"});
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile({"交通"}));
    QCOMPARE(p.bytes("szdetailzhi.txt"), listFile(kSpendingMinors));
    QCOMPARE(p.editor.minorTexts(), (QStringList{"早餐", "午餐"}));
    QCOMPARE(p.editor.majorRow(), -1);

    p.dialogs.typeNext(QStringLiteral("餐饮"));
    p.editor.add();
    QCOMPARE(p.editor.majorTexts(), (QStringList{"交通", "餐饮"}));
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile({"交通", "餐饮"}));
    p.editor.selectMajor(1);
    QCOMPARE(p.editor.minorTexts(), (QStringList{"早餐", "午餐", "新项目"}));
}

void TestCategoryEditor::deleteDoubledMinor() {
    Page p;
    p.put("szdetailshou.txt", listFile({"工资-加班", "奖金-年终奖", "工资-加班", "工资-基本工资"}));
    p.open(Direction::Income, QStringLiteral("工资"));
    QCOMPARE(p.editor.minorTexts(), (QStringList{"加班", "加班", "基本工资"}));
    p.editor.selectMinor(1);
    p.editor.remove();
    QCOMPARE(p.bytes("szdetailshou.txt"), listFile({"奖金-年终奖", "工资-基本工资"}));
    // One entry of the list goes: the selected one.
    QCOMPARE(p.editor.minorTexts(), (QStringList{"加班", "基本工资"}));
    QCOMPARE(p.editor.minorRow(), -1);
    QCOMPARE(p.bytes("szsubshou.txt"), listFile(kIncomeMajors));
    QVERIFY(p.dialogs.shown.isEmpty());
}

void TestCategoryEditor::emptyMajorEntryCountsAsNoSelection() {
    Page p;
    p.put("szsubzhi.txt", listFile({"餐饮", "", "交通"}));
    // Lines without "-" belong to the empty major part: they must not show for the empty entry.
    p.put("szdetailzhi.txt", listFile({"餐饮-早餐", "杂项", ""}));
    p.open(Direction::Expenditure);
    QCOMPARE(p.editor.majorTexts(), (QStringList{"餐饮", "", "交通"}));
    p.editor.selectMajor(0);
    p.editor.selectMinor(0);
    p.editor.selectMajor(1);
    QCOMPARE(p.editor.majorRow(), 1);
    QCOMPARE(p.editor.majorSelection(), QByteArray());
    QCOMPARE(p.editor.minorTexts(), QStringList());

    // 修改 and 删除 do nothing at all.
    p.editor.rename();
    p.editor.remove();
    QVERIFY(p.dialogs.asked.isEmpty());
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile({"餐饮", "", "交通"}));
    QCOMPARE(p.editor.majorTexts(), (QStringList{"餐饮", "", "交通"}));

    // 新增 adds a major category.
    p.dialogs.typeNext(QStringLiteral("娱乐"));
    p.editor.add();
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile({"餐饮", "", "交通", "娱乐"}));
    QCOMPARE(p.bytes("szdetailzhi.txt"), listFile({"餐饮-早餐", "杂项", "", "娱乐-新项目"}));
}

void TestCategoryEditor::missingMinorFileOnAddMajor() {
    Page p;
    QVERIFY(QFile::remove(p.path("szdetailzhi.txt")));
    p.open(Direction::Expenditure);
    p.dialogs.typeNext(QStringLiteral("餐饮"));
    p.run([&] { p.editor.add(); });
    QCOMPARE(p.errors, QStringList{"File not found"});
    // The major category is added all the same; the placeholder line is not written.
    QCOMPARE(p.editor.majorTexts(), (QStringList{"餐饮", "交通", "餐饮"}));
    QCOMPARE(p.bytes("szsubzhi.txt"), listFile({"餐饮", "交通", "餐饮"}));
    QCOMPARE(p.bytes("szdetailzhi.txt"), QByteArray("<missing>"));
}

void TestCategoryEditor::minorFileFailures_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("delete") << "delete";
    QTest::newRow("rename") << "rename";
    QTest::newRow("add") << "add";
}

void TestCategoryEditor::minorFileFailures() {
    QFETCH(QString, command);
    Page p;
    p.open(Direction::Income, QStringLiteral("工资"), QStringLiteral("加班"));
    QVERIFY(QFile::remove(p.path("szdetailshou.txt")));
    p.dialogs.typeNext(QStringLiteral("夜班"));
    p.run([&] {
        if (command == QLatin1String("delete"))
            p.editor.remove();
        else if (command == QLatin1String("rename"))
            p.editor.rename();
        else
            p.editor.add();
    });
    QCOMPARE(p.errors, QStringList{"File not found"});
    QVERIFY(!QFile::exists(p.path("szdetailshou.txt")));
    QCOMPARE(p.bytes("szsubshou.txt"), listFile(kIncomeMajors));
    // Delete and rename leave the list showing the entry; add had appended it before writing.
    QStringList expected{"基本工资", "加班"};
    if (command == QLatin1String("add"))
        expected << QStringLiteral("夜班");
    QCOMPARE(p.editor.minorTexts(), expected);
}

void TestCategoryEditor::unreadableMajorFile() {
    Page p;
    p.open(Direction::Income);
    QVERIFY(QFile::remove(p.path("szsubshou.txt")));
    // Page shown again: the error, and the list keeps its entries.
    p.run([&] { p.editor.fillMajors(); });
    QCOMPARE(p.errors, QStringList{QStringLiteral("Cannot open file ") + p.path("szsubshou.txt")});
    QCOMPARE(p.editor.majorTexts(), kIncomeMajors);

    // Another direction whose file cannot be read: the income names are not left in the
    // list, where 删除 or 修改 would write them into the expenditure file.
    p.errors.clear();
    QVERIFY(QFile::remove(p.path("szsubzhi.txt")));
    p.editor.chooseDirection(Direction::Income); // unchanged: nothing read
    QVERIFY(p.errors.isEmpty());
    p.run([&] { p.editor.chooseDirection(Direction::Expenditure); });
    QCOMPARE(p.errors.size(), 1);
    QCOMPARE(p.editor.direction(), Direction::Expenditure);
    QCOMPARE(p.editor.majorTexts(), QStringList());
    p.editor.selectMajor(0);
    p.editor.remove();
    QVERIFY(!QFile::exists(p.path("szsubzhi.txt")));
}

void TestCategoryEditor::nameTheFilesCannotHold_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("outside GBK") << QStringLiteral("餐饮\U0001F600");
    QTest::newRow("line break") << QStringLiteral("早\r\n午");
    QTest::newRow("NUL") << QStringLiteral("早") + QChar(0) + QStringLiteral("午");
}

void TestCategoryEditor::nameTheFilesCannotHold() {
    QFETCH(QString, typed);
    for (const bool minor : {false, true}) {
        for (const bool rename : {false, true}) {
            Page p;
            p.open(Direction::Expenditure, QStringLiteral("餐饮"),
                   minor ? QStringLiteral("早餐") : QString());
            p.dialogs.typeNext(typed);
            p.run([&] { rename ? p.editor.rename() : p.editor.add(); });
            QCOMPARE(p.errors, QStringList{"'" + typed + "' 不能写入列表文件"});
            // Nothing written, nothing changed.
            QCOMPARE(p.bytes("szsubzhi.txt"), listFile(kSpendingMajors));
            QCOMPARE(p.bytes("szdetailzhi.txt"), listFile(kSpendingMinors));
            QCOMPARE(p.editor.majorTexts(), kSpendingMajors);
            QCOMPARE(p.editor.minorTexts(), (QStringList{"早餐", "午餐"}));
        }
    }
}

void TestCategoryEditor::bytesThatAreNotGbkSurviveARename() {
    Page p;
    const QByteArray odd = gbk("早") + QByteArray("\xff\x81", 2);
    p.put("szdetailzhi.txt", gbk("餐饮-") + odd + "\r\n" + gbk("餐饮-午餐") + "\r\n");
    p.open(Direction::Expenditure, QStringLiteral("餐饮"));
    p.editor.selectMinor(0);
    p.dialogs.typeNext(std::nullopt);
    p.editor.rename();
    // Cancelled: the line moves to the end with its own bytes.
    QCOMPARE(p.bytes("szdetailzhi.txt"),
             QByteArray(gbk("餐饮-午餐") + "\r\n" + gbk("餐饮-") + odd + "\r\n"));
}

void TestCategoryEditor::noLedgerRowChanges() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, szxl, money) values "
                           "('2026-12-01', '支出', '餐饮', '早餐', 12.5)"));
    const QList<QStringList> before = tp.rows(QStringLiteral("select * from mysalary"));
    CategoryEditor editor(tp.folder(), tp.dialogs);
    editor.fillMajors();
    editor.chooseDirection(Direction::Expenditure);
    const int major = int(editor.majorTexts().indexOf(QStringLiteral("餐饮")));
    QVERIFY(major >= 0);
    editor.selectMajor(major);
    const int minor = int(editor.minorTexts().indexOf(QStringLiteral("早餐")));
    QVERIFY(minor >= 0);
    editor.selectMinor(minor);
    tp.dialogs.typeNext(QStringLiteral("早点"));
    editor.rename();
    editor.selectMajor(major);
    editor.selectMinor(0);
    editor.remove();
    editor.selectMajor(major);
    tp.dialogs.typeNext(QStringLiteral("饮食"));
    editor.rename();
    editor.remove();
    QCOMPARE(tp.rows(QStringLiteral("select * from mysalary")), before);
    QVERIFY(tp.dialogs.shown.isEmpty());
}

QTEST_GUILESS_MAIN(TestCategoryEditor)
#include "tst_categoryeditor.moc"
