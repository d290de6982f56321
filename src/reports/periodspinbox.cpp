#include "reports/periodspinbox.h"

#include <QKeyEvent>
#include <QLineEdit>

PeriodSpinBox::PeriodSpinBox(int minimum, int maximum, int initial, bool twoDigits, QWidget* parent)
    : QSpinBox(parent), m_twoDigits(twoDigits) {
    setRange(minimum, maximum);
    setSingleStep(1);
    setValue(initial);
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, &PeriodSpinBox::editTextChanged);
}

void PeriodSpinBox::setEditText(const QString& text) {
    lineEdit()->setText(text);
}

QString PeriodSpinBox::textFromValue(int value) const {
    if (m_twoDigits && value >= 0 && value < 10)
        return u'0' + QString::number(value);
    return QString::number(value);
}

void PeriodSpinBox::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint()) {
        for (const QChar c : typed) {
            if (!(c.isDigit() && c.unicode() < 128) && c != u'+' && c != u'-') {
                event->accept();
                return;
            }
        }
    }
    QSpinBox::keyPressEvent(event);
}
