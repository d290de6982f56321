#pragma once

#include <QAbstractSpinBox>
#include <optional>

// A spin box for a period's year or month. Typing is limited to digits, "+" and "-", and the
// text stays exactly as typed: it is not held to the box's range, and nothing corrects it when
// the focus leaves. The spin buttons and arrow keys step by 1 within the range. A two-digit box
// shows a number below 10 with a leading zero ("03").
class PeriodSpinBox : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int minimum READ minimum)
    Q_PROPERTY(int maximum READ maximum)
public:
    PeriodSpinBox(int minimum, int maximum, int initial, bool twoDigits, QWidget* parent = nullptr);

    // Shows `value`, held to the range, in the box's own form.
    void setValue(int value);
    // The number shown, or 0 when the text is not a whole number that fits an int.
    int value() const;
    // The number shown, if the text is a whole number.
    std::optional<qlonglong> number() const;
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }

    // Replaces the text in the box, as typing would.
    void setEditText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    // The text in the box changed, by typing, by the spin buttons or by the program.
    void editTextChanged(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString textFromValue(int value) const;

    int m_minimum;
    int m_maximum;
    bool m_twoDigits;
};
