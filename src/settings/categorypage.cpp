#include "settings/categorypage.h"

#include "platform/actionguard.h"
#include "settings/categorylist.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setFixedSize(76, 28);
    return b;
}

} // namespace

CategoryPage::CategoryPage(const QString& programFolder, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_editor(programFolder, dialogs) {
    setObjectName(QStringLiteral("szpage"));

    m_income = new QRadioButton(QStringLiteral("收入项目"), this);
    m_income->setObjectName(QStringLiteral("srradio"));
    m_income->setChecked(true);
    m_expenditure = new QRadioButton(QStringLiteral("支出项目"), this);
    m_expenditure->setObjectName(QStringLiteral("zcradio"));

    m_majors = new CategoryList(QStringLiteral("szListBox"), QStringLiteral("大类"), this);
    m_minors = new CategoryList(QStringLiteral("szListBox2"), QStringLiteral("细类"), this);

    QPushButton* add = makeButton(QStringLiteral("cmdadditem"), QStringLiteral("新增"), this);
    QPushButton* edit = makeButton(QStringLiteral("cmdedititem"), QStringLiteral("修改"), this);
    QPushButton* remove = makeButton(QStringLiteral("cmddelitem"), QStringLiteral("删除"), this);

    auto* radios = new QHBoxLayout;
    radios->setSpacing(40);
    radios->addStretch(1);
    radios->addWidget(m_income);
    radios->addWidget(m_expenditure);
    radios->addStretch(1);
    auto* lists = new QHBoxLayout;
    lists->setSpacing(10);
    lists->addWidget(m_majors);
    lists->addWidget(m_minors);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    buttons->addStretch(1);
    buttons->addWidget(add);
    buttons->addWidget(edit);
    buttons->addWidget(remove);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(radios);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    setTabOrder(edit, add);
    setTabOrder(add, remove);
    setTabOrder(remove, m_income);
    setTabOrder(m_income, m_expenditure);
    setTabOrder(m_expenditure, m_majors);
    setTabOrder(m_majors, m_minors);

    connect(add, &QPushButton::clicked, this, &CategoryPage::addItem);
    connect(edit, &QPushButton::clicked, this, &CategoryPage::editItem);
    connect(remove, &QPushButton::clicked, this, &CategoryPage::deleteItem);
    connect(m_income, &QRadioButton::toggled, this,
            [this](bool on) { directionChosen(lists::Direction::Income, on); });
    connect(m_expenditure, &QRadioButton::toggled, this,
            [this](bool on) { directionChosen(lists::Direction::Expenditure, on); });
    // Choosing an entry, with the keyboard or the mouse, also the one already chosen.
    for (CategoryList* list : {m_majors, m_minors}) {
        const auto chosen =
            list == m_majors ? &CategoryPage::majorChosen : &CategoryPage::minorChosen;
        connect(list, &QListWidget::itemSelectionChanged, this, chosen);
        connect(list, &CategoryList::reselected, this, chosen);
    }
}

void CategoryPage::run(const std::function<void()>& step) {
    guarded(m_dialogs, step);
    showState();
}

void CategoryPage::showState() {
    {
        const QSignalBlocker income(m_income);
        const QSignalBlocker expenditure(m_expenditure);
        const bool isIncome = m_editor.direction() == lists::Direction::Income;
        m_income->setChecked(isIncome);
        m_expenditure->setChecked(!isIncome);
    }
    m_majors->showEntries(m_editor.majorTexts(), m_editor.majorRow());
    m_minors->showEntries(m_editor.minorTexts(), m_editor.minorRow());
}

void CategoryPage::pageShown() {
    run([this] { m_editor.fillMajors(); });
}

void CategoryPage::directionChosen(lists::Direction direction, bool checked) {
    // Each choice toggles both buttons; the one switched on carries it.
    if (checked)
        run([this, direction] { m_editor.chooseDirection(direction); });
}

void CategoryPage::majorChosen() {
    const int row = m_majors->selectedRow();
    run([this, row] { m_editor.selectMajor(row); });
}

void CategoryPage::minorChosen() {
    const int row = m_minors->selectedRow();
    run([this, row] { m_editor.selectMinor(row); });
}

void CategoryPage::addItem() {
    run([this] { m_editor.add(); });
}

void CategoryPage::editItem() {
    run([this] { m_editor.rename(); });
}

void CategoryPage::deleteItem() {
    run([this] { m_editor.remove(); });
}
