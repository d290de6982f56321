// The program's input box as a user meets it: caption, prompt, the initial text selected so
// that typing replaces it, at most 255 characters, OK on Enter and Cancel on Esc.
#include "platform/widgets/qtdialogs.h"
#include "support/userinput.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Runs `user` on the input box once it is up and active, then gives back what the box
// returned. A box that `user` leaves open (a failed check) is cancelled.
std::optional<QString> answerInput(const QString& initial,
                                   const std::function<void(QDialog*)>& user) {
    QtDialogs dialogs;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = true;
        if (QTest::qWaitForWindowActive(box))
            user(box);
        if (box->isVisible())
            box->reject();
    });
    const std::optional<QString> result =
        dialogs.input(QStringLiteral("系统设置"), QStringLiteral("输入项目"), initial);
    if (!seen)
        qFatal("the input box never came up");
    return result;
}

} // namespace

class TestInputBox : public QObject {
    Q_OBJECT
private slots:
    void lookAndInitialTextSelected();
    void answers_data();
    void answers();
};

void TestInputBox::lookAndInitialTextSelected() {
    answerInput(QStringLiteral("早餐"), [](QDialog* box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("系统设置"));
        QCOMPARE(box->findChild<QLabel*>()->text(), QStringLiteral("输入项目"));
        auto* edit = box->findChild<QLineEdit*>();
        QCOMPARE(edit->maxLength(), 255);
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), QStringLiteral("早餐"));
        // Centred on the screen.
        const QPoint centre = box->screen()->availableGeometry().center();
        QVERIFY2((box->geometry().center() - centre).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2")
                                .arg(box->geometry().center().x())
                                .arg(box->geometry().center().y())));
        box->reject();
    });
}

void TestInputBox::answers_data() {
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<std::optional<QString>>("result");
    QTest::newRow("typing replaces the initial text")
        << "old"
        << "new" << int(Qt::Key_Return) << std::optional<QString>(QStringLiteral("new"));
    QTest::newRow("Enter keeps the initial text")
        << "old"
        << "" << int(Qt::Key_Return) << std::optional<QString>(QStringLiteral("old"));
    QTest::newRow("Esc cancels") << "old"
                                 << "new" << int(Qt::Key_Escape) << std::optional<QString>();
    QTest::newRow("at most 255 characters") << "" << QString(300, u'x') << int(Qt::Key_Return)
                                            << std::optional<QString>(QString(255, u'x'));
}

void TestInputBox::answers() {
    QFETCH(QString, initial);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(std::optional<QString>, result);
    const std::optional<QString> got = answerInput(initial, [&](QDialog* box) {
        QVERIFY(QTest::qWaitForWindowActive(box));
        QCOMPARE(userinput::focusWidget(), box->findChild<QLineEdit*>());
        userinput::type(typed);
        userinput::key(Qt::Key(key));
    });
    QCOMPARE(got, result);
}

QTEST_MAIN(TestInputBox)
#include "tst_inputbox.moc"
