#include "ledger/szgl.h"

#include "data/tabledataset.h"
#include "lists/gbk.h"
#include "lists/listfiles.h"
#include "platform/actionguard.h"
#include "platform/apperror.h"
#include "platform/context.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"

#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kMajorColumn = 2;
constexpr int kMaxRecent = 100;
const QColor kStripe(234, 234, 234);

} // namespace

Tfmszgl::Tfmszgl(const Context& context, WindowFactory queryWindow, WindowFactory chartWindow,
                 QWidget* parent)
    : TableWindow(
          context,
          [this] {
              const auto center = Qt::AlignCenter;
              const auto left = Qt::AlignLeft | Qt::AlignVCenter;
              GridColumn major{QStringLiteral("大类"),
                               QStringLiteral("szdl"),
                               80,
                               ColumnKind::PickList,
                               {},
                               left};
              major.choicesFor = [this](int row, ChoiceMoment m) {
                  return majorChoicesFor(row, m);
              };
              GridColumn minor{QStringLiteral("细类"),
                               QStringLiteral("szxl"),
                               80,
                               ColumnKind::PickList,
                               {},
                               left};
              minor.choicesFor = [this](int row, ChoiceMoment m) {
                  return minorChoicesFor(row, m);
              };
              GridColumn payment{QStringLiteral("支付方式"),
                                 QStringLiteral("zffs"),
                                 66,
                                 ColumnKind::PickList,
                                 {},
                                 left};
              payment.choicesFor = [this](int, ChoiceMoment) { return m_paymentChoices; };
              return Options{QStringLiteral("收支管理"),
                             QStringLiteral("mysalary"),
                             {{QStringLiteral("日期"),
                               QStringLiteral("adddate"),
                               77,
                               ColumnKind::Date,
                               {},
                               center},
                              {QStringLiteral("收支"),
                               QStringLiteral("sz"),
                               51,
                               ColumnKind::PickList,
                               {QStringLiteral("收入"), QStringLiteral("支出")},
                               center},
                              major,
                              minor,
                              {QStringLiteral("金额"),
                               QStringLiteral("money"),
                               60,
                               ColumnKind::Amount,
                               {},
                               Qt::AlignRight | Qt::AlignVCenter},
                              payment,
                              {QStringLiteral("备注"),
                               QStringLiteral("memo"),
                               86,
                               ColumnKind::Text,
                               {},
                               left}},
                             QSize(561, 545),
                             QString(),
                             false};
          }(),
          parent),
      m_queryWindow(std::move(queryWindow)), m_chartWindow(std::move(chartWindow)) {
    setObjectName(QStringLiteral("fmszgl"));
    auto* query = addButton(QStringLiteral("sz_query"), QStringLiteral("查询"), -1);
    auto* chart = addButton(QStringLiteral("szchart"), QStringLiteral("图表"), -1);
    query->setIcon(QIcon());
    chart->setIcon(QIcon());
    connect(query, &QPushButton::clicked, this, &Tfmszgl::sz_queryClick);
    connect(chart, &QPushButton::clicked, this, &Tfmszgl::szchartClick);

    // Focus order: 保存, 删除, 查询, 图表, the grid, 取消, 新增.
    QWidget* order[] = {
        button(QStringLiteral("szsave")),   button(QStringLiteral("szdel")),  query, chart, grid(),
        button(QStringLiteral("szcancle")), button(QStringLiteral("addszgl"))};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    grid()->gridModel()->setRowBackground([this](int row) { return rowColor(row); });
    grid()->setRecentProvider(kMajorColumn, [this] { return m_recentMajors; });
    connect(grid(), &DataGrid::valueEntered, this, &Tfmszgl::onValueEntered);
    // Entering or leaving insert state recolours every row.
    connect(dataset(), &TableDataset::editStateChanged, grid()->viewport(),
            qOverload<>(&QWidget::update));

    // The payment methods are read once, when the window opens.
    guarded(context.dialogs, [&] {
        m_paymentChoices = lists::decodeAll(lists::readList(
            context.programFolder, QString::fromLatin1(lists::kPaymentMethodFile)));
    });
}

QColor Tfmszgl::rowColor(int row) const {
    const int number = dataset()->recordNumber(row);
    return number > 0 && number % 2 == 0 ? kStripe : QColor(Qt::white);
}

QString Tfmszgl::rowText(int row, const char* field) const {
    return dataset()->value(row, dataset()->fieldIndex(QString::fromLatin1(field))).toString();
}

void Tfmszgl::reportOnce(const QString& file, const QString& error) {
    // An unreadable list is reported once per window; the column keeps its choices.
    if (m_reported.contains(file))
        return;
    m_reported.insert(file);
    QTimer::singleShot(0, this, [this, error] { context().dialogs.showError(error); });
}

void Tfmszgl::readMajors(const QString& direction) {
    const QString file = lists::majorFile(lists::directionOf(direction));
    try {
        m_majorChoices = lists::decodeAll(lists::readList(context().programFolder, file));
        m_reported.remove(file);
    } catch (const AppError& e) {
        reportOnce(file, e.text());
    }
}

void Tfmszgl::readMinors(const QString& direction, const QString& major) {
    const lists::Direction d = lists::directionOf(direction);
    const QString file = lists::minorFile(d);
    try {
        m_minorChoices = lists::decodeAll(
            lists::minorCategories(context().programFolder, d, lists::encode(major)));
        m_reported.remove(file);
    } catch (const AppError& e) {
        reportOnce(file, e.text());
    }
}

QStringList Tfmszgl::majorChoicesFor(int row, ChoiceMoment moment) {
    const QString direction = rowText(row, "sz");
    if (moment == ChoiceMoment::ButtonPressed && direction.isEmpty())
        m_majorChoices << QString(); // no file read for a row without a direction
    else if (moment != ChoiceMoment::Typing)
        readMajors(direction);
    return m_majorChoices;
}

QStringList Tfmszgl::minorChoicesFor(int row, ChoiceMoment moment) {
    if (moment != ChoiceMoment::Typing)
        readMinors(rowText(row, "sz"), rowText(row, "szdl"));
    return m_minorChoices;
}

void Tfmszgl::onValueEntered(int row, int field, const QVariant& value) {
    const QString name = dataset()->fieldName(field);
    const QString text = value.toString();
    if (name == QLatin1String("sz")) {
        readMajors(text);
    } else if (name == QLatin1String("szdl")) {
        readMinors(rowText(row, "sz"), text);
        if (!text.trimmed().isEmpty()) {
            m_recentMajors.removeAll(text);
            m_recentMajors.prepend(text);
            while (m_recentMajors.size() > kMaxRecent)
                m_recentMajors.removeLast();
        }
    }
}

void Tfmszgl::openWindow(const WindowFactory& factory) {
    if (!factory)
        return;
    std::unique_ptr<QDialog> window;
    if (guarded(context().dialogs, [&] { window = factory(this); }) && window)
        window->exec();
}

void Tfmszgl::sz_queryClick() {
    openWindow(m_queryWindow);
}

void Tfmszgl::szchartClick() {
    openWindow(m_chartWindow);
}
