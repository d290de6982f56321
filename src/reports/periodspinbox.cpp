#include "reports/periodspinbox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <limits>

namespace {

bool isAllowed(QChar c) {
    return (c.isDigit() && c.unicode() < 128) || c == u'+' || c == u'-';
}

} // namespace

PeriodSpinBox::PeriodSpinBox(int minimum, int maximum, int initial, bool twoDigits, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum), m_twoDigits(twoDigits) {
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, &PeriodSpinBox::editTextChanged);
    setValue(initial);
}

void PeriodSpinBox::setValue(int value) {
    setEditText(textFromValue(std::clamp(value, m_minimum, m_maximum)));
}

int PeriodSpinBox::value() const {
    const std::optional<qlonglong> n = number();
    if (!n || *n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max())
        return 0;
    return int(*n);
}

std::optional<qlonglong> PeriodSpinBox::number() const {
    bool ok = false;
    const qlonglong n = text().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

void PeriodSpinBox::setEditText(const QString& text) {
    lineEdit()->setText(text);
}

QString PeriodSpinBox::textFromValue(int value) const {
    if (m_twoDigits && value >= 0 && value < 10)
        return u'0' + QString::number(value);
    return QString::number(value);
}

QAbstractSpinBox::StepEnabled PeriodSpinBox::stepEnabled() const {
    if (isReadOnly())
        return StepNone;
    const std::optional<qlonglong> n = number();
    if (!n)
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (*n < m_maximum)
        enabled |= StepUpEnabled;
    if (*n > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

void PeriodSpinBox::stepBy(int steps) {
    // A step always lands inside the range; a text that is no number steps to its start.
    const std::optional<qlonglong> n = number();
    qlonglong target = m_minimum;
    if (n)
        target =
            std::clamp<qlonglong>(*n, qlonglong(m_minimum) - 1, qlonglong(m_maximum) + 1) + steps;
    setValue(int(std::clamp<qlonglong>(target, m_minimum, m_maximum)));
    if (style()->styleHint(QStyle::SH_SpinBox_SelectOnStep, nullptr, this))
        selectAll();
}

QValidator::State PeriodSpinBox::validate(QString& input, int&) const {
    for (const QChar c : input)
        if (!isAllowed(c))
            return QValidator::Invalid;
    return QValidator::Acceptable;
}

void PeriodSpinBox::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint()) {
        for (const QChar c : typed) {
            if (!isAllowed(c)) {
                event->accept();
                return;
            }
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}
