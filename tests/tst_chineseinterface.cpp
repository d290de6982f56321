// Qt's own texts in Chinese (file dialogs, calendars), while the texts the program's boxes
// must show stay as they are; full-width digits typed by a Chinese input method.
#include "data/formats.h"
#include "platform/apperror.h"
#include "platform/widgets/look.h"
#include "platform/widgets/qtdialogs.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Runs `inspect` on the modal dialog the next call opens, then lets `finish` end it.
void whenModalOpens(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        inspect(QApplication::activeModalWidget());
    });
}

} // namespace

class TestChineseInterface : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void qtTextsAreChinese();
    void calendarSpeaksChinese();
    void inputBoxKeepsItsCaptions();
    void saveDialogAddsTheEnding_data();
    void saveDialogAddsTheEnding();
    void fullWidthDigits_data();
    void fullWidthDigits();
};

void TestChineseInterface::initTestCase() {
    QVERIFY2(useChineseInterface(), "Qt's Chinese translation (qt6-translations-l10n) is missing");
}

void TestChineseInterface::qtTextsAreChinese() {
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    QVERIFY2(lookIn != QLatin1String("Look in:"), qPrintable(lookIn));
    const QString missing = QCoreApplication::translate("QIODevice", "No such file or directory");
    QVERIFY2(missing != QLatin1String("No such file or directory"), qPrintable(missing));
}

void TestChineseInterface::calendarSpeaksChinese() {
    QCalendarWidget calendar;
    calendar.setSelectedDate(QDate(2026, 12, 10));
    QCOMPARE(calendar.locale().language(), QLocale::Chinese);
    QCOMPARE(calendar.locale().monthName(12), QStringLiteral("十二月"));
}

void TestChineseInterface::inputBoxKeepsItsCaptions() {
    QStringList captions;
    whenModalOpens([&captions](QWidget* box) {
        for (QPushButton* b : box->findChildren<QPushButton*>())
            captions << b->text();
        box->close();
    });
    QtDialogs dialogs;
    const auto answer = dialogs.input(QStringLiteral("Quenvard"), QStringLiteral("输入密码"), {});
    QVERIFY(!answer);
    captions.sort();
    QCOMPARE(captions, (QStringList{"Cancel", "OK"}));
}

void TestChineseInterface::saveDialogAddsTheEnding_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no ending") << "账本"
                               << "账本.csv";
    QTest::newRow("ending typed") << "账本.csv"
                                  << "账本.csv";
}

void TestChineseInterface::saveDialogAddsTheEnding() {
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QTemporaryDir dir;
    whenModalOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        QVERIFY(dialog);
        dialog->setDirectory(dir.path());
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(typed);
        QTest::keyClick(name, Qt::Key_Return);
    });
    QtDialogs dialogs;
    const auto path = dialogs.saveFileName(QStringLiteral("导出为 CSV"), dir.path(),
                                           QStringLiteral("CSV 文件 (*.csv)"));
    QVERIFY(path);
    QCOMPARE(*path, dir.filePath(saved));
    QCOMPARE(suffixOfFilter(QStringLiteral("账单 (*.csv *.xlsx *.zip)")), QStringLiteral("csv"));
}

void TestChineseInterface::fullWidthDigits_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("number");
    QTest::newRow("amount") << "１２．５" << 12.5;
    QTest::newRow("negative") << "－３" << -3.0;
    QTest::newRow("ideographic blank") << "　８" << 8.0;
    QTest::newRow("mixed") << "1２.５0" << 12.5;
}

void TestChineseInterface::fullWidthDigits() {
    QFETCH(QString, typed);
    QFETCH(double, number);
    QCOMPARE(formats::parseNumber(typed), number);
    QCOMPARE(formats::parseDate(QStringLiteral("２０２６－１２－１０")), QDate(2026, 12, 10));
    QCOMPARE(formats::parseInteger(QStringLiteral("１２")), 12);
    // A full-width letter is no digit.
    QVERIFY_THROWS_EXCEPTION(AppError, formats::parseNumber(QStringLiteral("１２ａ")));
}

QTEST_MAIN(TestChineseInterface)
#include "tst_chineseinterface.moc"
