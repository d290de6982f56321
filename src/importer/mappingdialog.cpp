#include "importer/mappingdialog.h"

#include "import/billtext.h"
#include "platform/apperror.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// How many of the rows read the dialog shows.
constexpr int kPreviewRows = 8;

QStringList splitTexts(const QString& text) {
    QStringList texts;
    for (const QString& t : text.split(QRegularExpression(QStringLiteral("[,，、]"))))
        if (!t.trimmed().isEmpty())
            texts << t.trimmed();
    return texts;
}

int columnOf(const QComboBox* box) {
    return box->currentData().toInt();
}

void choose(QComboBox* box, int column) {
    box->setCurrentIndex(qMax(0, box->findData(column)));
}

} // namespace

CsvMappingDialog::CsvMappingDialog(const QByteArray& bytes, const bills::CsvMapping& start,
                                   QWidget* parent)
    : QDialog(parent), m_bytes(bytes) {
    setObjectName(QStringLiteral("fmcsvmapping"));
    setWindowTitle(QStringLiteral("设置导入格式"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("这个文件的格式还不认识。请说明各列的内容；"
                                            "设置以名称保存，同样表头的文件以后直接导入。"),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout;
    layout->addLayout(form);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("mappingname"));
    form->addRow(QStringLiteral("名称(&N)："), m_name);
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("mappingencoding"));
    m_encoding->addItems({QStringLiteral("UTF-8"), QStringLiteral("GBK")});
    form->addRow(QStringLiteral("编码(&E)："), m_encoding);
    m_headerRow = new QSpinBox(this);
    m_headerRow->setObjectName(QStringLiteral("mappingheader"));
    m_headerRow->setRange(1, 999);
    form->addRow(QStringLiteral("表头所在行(&H)："), m_headerRow);

    auto* dateRow = new QHBoxLayout;
    m_date = addColumnBox(QStringLiteral("mappingdate"));
    m_dateFormat = new QComboBox(this);
    m_dateFormat->setObjectName(QStringLiteral("mappingdateformat"));
    m_dateFormat->setEditable(true);
    m_dateFormat->addItem(QStringLiteral("自动识别"), QString());
    for (const char* f : {"yyyy-MM-dd", "yyyy/MM/dd", "yyyyMMdd", "yyyy.MM.dd", "MM/dd/yyyy",
                          "dd/MM/yyyy", "dd.MM.yyyy", "MM/dd", "MM-dd"})
        m_dateFormat->addItem(QString::fromLatin1(f), QString::fromLatin1(f));
    m_dateFormat->setAccessibleName(QStringLiteral("日期格式"));
    dateRow->addWidget(m_date, 1);
    dateRow->addWidget(new QLabel(QStringLiteral("格式："), this));
    dateRow->addWidget(m_dateFormat);
    auto* dateLabel = new QLabel(QStringLiteral("日期列(&D)："), this);
    dateLabel->setBuddy(m_date);
    form->addRow(dateLabel, dateRow);

    m_style = new QComboBox(this);
    m_style->setObjectName(QStringLiteral("mappingstyle"));
    m_style->addItem(QStringLiteral("一列金额，正负表示收支"), int(bills::AmountStyle::Signed));
    m_style->addItem(QStringLiteral("收入、支出各一列"), int(bills::AmountStyle::IncomeExpense));
    m_style->addItem(QStringLiteral("一列金额，另有收支列"),
                     int(bills::AmountStyle::AmountAndDirection));
    form->addRow(QStringLiteral("金额的写法(&S)："), m_style);
    m_amount = addColumnBox(QStringLiteral("mappingamount"));
    form->addRow(QStringLiteral("金额列(&A)："), m_amount);
    m_positiveIsIncome = new QCheckBox(QStringLiteral("正数是收入(&P)"), this);
    m_positiveIsIncome->setObjectName(QStringLiteral("mappingpositiveincome"));
    form->addRow(QString(), m_positiveIsIncome);
    m_income = addColumnBox(QStringLiteral("mappingincome"));
    form->addRow(QStringLiteral("收入列(&I)："), m_income);
    m_expense = addColumnBox(QStringLiteral("mappingexpense"));
    form->addRow(QStringLiteral("支出列(&X)："), m_expense);
    m_direction = addColumnBox(QStringLiteral("mappingdirection"));
    form->addRow(QStringLiteral("收支列(&F)："), m_direction);
    m_incomeTexts = new QLineEdit(this);
    m_incomeTexts->setObjectName(QStringLiteral("mappingincometexts"));
    form->addRow(QStringLiteral("表示收入的文字："), m_incomeTexts);
    m_expenseTexts = new QLineEdit(this);
    m_expenseTexts->setObjectName(QStringLiteral("mappingexpensetexts"));
    m_expenseTexts->setPlaceholderText(QStringLiteral("空：其余都是支出"));
    form->addRow(QStringLiteral("表示支出的文字："), m_expenseTexts);
    m_remark = new QListWidget(this);
    m_remark->setObjectName(QStringLiteral("mappingremark"));
    m_remark->setMaximumHeight(90);
    form->addRow(QStringLiteral("备注列(&R)："), m_remark);
    m_counterparty = addColumnBox(QStringLiteral("mappingcounterparty"));
    form->addRow(QStringLiteral("对方列(&C)："), m_counterparty);
    m_number = addColumnBox(QStringLiteral("mappingnumber"));
    form->addRow(QStringLiteral("流水号列(&T)："), m_number);
    m_balance = addColumnBox(QStringLiteral("mappingbalance"));
    form->addRow(QStringLiteral("余额列(&B)："), m_balance);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("mappingproblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    m_problem->setWordWrap(true);
    layout->addWidget(m_problem);
    m_preview = new QTableWidget(0, 4, this);
    m_preview->setObjectName(QStringLiteral("mappingpreview"));
    m_preview->setHorizontalHeaderLabels({QStringLiteral("日期"), QStringLiteral("收支"),
                                          QStringLiteral("金额"), QStringLiteral("备注")});
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->verticalHeader()->hide();
    m_preview->horizontalHeader()->setStretchLastSection(true);
    m_preview->setMinimumHeight(150);
    layout->addWidget(m_preview, 1);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("mappingok"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("mappingcancel"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);

    showMapping(start);

    connect(m_encoding, &QComboBox::currentIndexChanged, this, [this] {
        fillColumns();
        update();
    });
    connect(m_headerRow, &QSpinBox::valueChanged, this, [this] {
        fillColumns();
        update();
    });
    for (QComboBox* box : {m_style, m_dateFormat})
        connect(box, &QComboBox::currentIndexChanged, this, &CsvMappingDialog::update);
    connect(m_dateFormat, &QComboBox::editTextChanged, this, &CsvMappingDialog::update);
    for (QComboBox* box : m_columnBoxes)
        connect(box, &QComboBox::currentIndexChanged, this, &CsvMappingDialog::update);
    for (QLineEdit* edit : {m_name, m_incomeTexts, m_expenseTexts})
        connect(edit, &QLineEdit::textChanged, this, &CsvMappingDialog::update);
    connect(m_positiveIsIncome, &QCheckBox::toggled, this, &CsvMappingDialog::update);
    connect(m_remark, &QListWidget::itemChanged, this, &CsvMappingDialog::update);
    update();
    resize(640, 800);
}

QComboBox* CsvMappingDialog::addColumnBox(const QString& objectName) {
    auto* box = new QComboBox(this);
    box->setObjectName(objectName);
    m_columnBoxes << box;
    return box;
}

// The choices of every column box and of the remark list: the titles at the header row, each
// with its number, and （无）. What was chosen stays chosen where the column is still there.
void CsvMappingDialog::fillColumns() {
    bills::CsvMapping at;
    at.encoding = m_encoding->currentText();
    at.headerRow = m_headerRow->value() - 1;
    m_titles = bills::columnTitles(m_bytes, at);
    m_header = bills::headerKey(m_titles);
    for (QComboBox* box : m_columnBoxes) {
        const QSignalBlocker block(box);
        const int chosen = box->count() > 0 ? columnOf(box) : -1;
        box->clear();
        box->addItem(QStringLiteral("（无）"), -1);
        for (int c = 0; c < m_titles.size(); ++c)
            box->addItem(QStringLiteral("%1：%2").arg(c + 1).arg(m_titles[c]), c);
        choose(box, chosen);
    }
    const QSignalBlocker block(m_remark);
    QList<int> checked;
    for (int i = 0; i < m_remark->count(); ++i)
        if (m_remark->item(i)->checkState() == Qt::Checked)
            checked << i;
    m_remark->clear();
    for (int c = 0; c < m_titles.size(); ++c) {
        auto* item = new QListWidgetItem(QStringLiteral("%1：%2").arg(c + 1).arg(m_titles[c]));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked.contains(c) ? Qt::Checked : Qt::Unchecked);
        m_remark->addItem(item);
    }
}

void CsvMappingDialog::showMapping(const bills::CsvMapping& m) {
    m_name->setText(m.name);
    m_encoding->setCurrentIndex(qMax(0, m_encoding->findText(m.encoding)));
    m_headerRow->setValue(m.headerRow + 1);
    fillColumns();
    choose(m_date, m.dateColumn);
    const int format = m_dateFormat->findData(m.dateFormat);
    if (format >= 0)
        m_dateFormat->setCurrentIndex(format);
    else
        m_dateFormat->setEditText(m.dateFormat);
    m_style->setCurrentIndex(qMax(0, m_style->findData(int(m.amountStyle))));
    choose(m_amount, m.amountColumn);
    m_positiveIsIncome->setChecked(m.positiveIsIncome);
    choose(m_income, m.incomeColumn);
    choose(m_expense, m.expenseColumn);
    choose(m_direction, m.directionColumn);
    m_incomeTexts->setText(m.incomeTexts.join(u','));
    m_expenseTexts->setText(m.expenseTexts.join(u','));
    for (const int c : m.remarkColumns)
        if (c >= 0 && c < m_remark->count())
            m_remark->item(c)->setCheckState(Qt::Checked);
    choose(m_counterparty, m.counterpartyColumn);
    choose(m_number, m.transactionNoColumn);
    choose(m_balance, m.balanceColumn);
}

bills::CsvMapping CsvMappingDialog::mapping() const {
    bills::CsvMapping m;
    m.name = m_name->text().trimmed();
    m.encoding = m_encoding->currentText();
    m.headerRow = m_headerRow->value() - 1;
    m.header = m_header;
    m.dateColumn = columnOf(m_date);
    // A format picked from the list carries it as data; one typed in is the text itself.
    const int picked = m_dateFormat->findText(m_dateFormat->currentText());
    m.dateFormat = picked >= 0 ? m_dateFormat->itemData(picked).toString()
                               : m_dateFormat->currentText().trimmed();
    m.amountStyle = bills::AmountStyle(m_style->currentData().toInt());
    m.amountColumn = columnOf(m_amount);
    m.positiveIsIncome = m_positiveIsIncome->isChecked();
    m.incomeColumn = columnOf(m_income);
    m.expenseColumn = columnOf(m_expense);
    m.directionColumn = columnOf(m_direction);
    m.incomeTexts = splitTexts(m_incomeTexts->text());
    m.expenseTexts = splitTexts(m_expenseTexts->text());
    for (int i = 0; i < m_remark->count(); ++i)
        if (m_remark->item(i)->checkState() == Qt::Checked)
            m.remarkColumns << i;
    m.counterpartyColumn = columnOf(m_counterparty);
    m.transactionNoColumn = columnOf(m_number);
    m.balanceColumn = columnOf(m_balance);
    return m;
}

QString CsvMappingDialog::problem() const {
    return problemOf(mapping());
}

QString CsvMappingDialog::problemOf(const bills::CsvMapping& m) const {
    if (m_titles.isEmpty())
        return QStringLiteral("第 %1 行不是表头").arg(m_headerRow->value());
    if (const QString lack = bills::mappingProblem(m); !lack.isEmpty())
        return lack;
    if (m.name.isEmpty())
        return QStringLiteral("请给这个导入格式起个名称");
    return QString();
}

// Which fields count for the amount style, the problem line and the first rows as read.
void CsvMappingDialog::update() {
    const auto style = bills::AmountStyle(m_style->currentData().toInt());
    m_amount->setEnabled(style != bills::AmountStyle::IncomeExpense);
    m_positiveIsIncome->setEnabled(style == bills::AmountStyle::Signed);
    m_income->setEnabled(style == bills::AmountStyle::IncomeExpense);
    m_expense->setEnabled(style == bills::AmountStyle::IncomeExpense);
    for (QWidget* w : std::initializer_list<QWidget*>{m_direction, m_incomeTexts, m_expenseTexts})
        w->setEnabled(style == bills::AmountStyle::AmountAndDirection);

    const bills::CsvMapping m = mapping();
    const QString lack = problemOf(m);
    QString problem = lack;
    m_preview->setRowCount(0);
    if (bills::mappingProblem(m).isEmpty() && !m_titles.isEmpty()) {
        try {
            const bills::BillFile file = bills::readMappedCsv(m_bytes, m);
            const int rows = int(qMin<qsizetype>(file.rows.size(), kPreviewRows));
            m_preview->setRowCount(rows);
            for (int i = 0; i < rows; ++i) {
                const bills::BillRow& r = file.rows[i];
                const QStringList cells{r.date.toString(Qt::ISODate), r.direction,
                                        bills::centsText(r.cents),
                                        QStringList{r.counterparty, r.goods}.join(u' ').trimmed()};
                for (int c = 0; c < cells.size(); ++c)
                    m_preview->setItem(i, c, new QTableWidgetItem(cells[c]));
            }
            if (problem.isEmpty() && !file.unreadable.isEmpty())
                problem = QStringLiteral("有 %1 行无法读取，例如第 %2 行：%3")
                              .arg(file.unreadable.size())
                              .arg(file.unreadable.first().line)
                              .arg(file.unreadable.first().why);
        } catch (const AppError& e) {
            problem = e.text();
        }
    }
    m_problem->setText(problem);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(lack.isEmpty());
}
