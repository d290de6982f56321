#pragma once

#include <QSpinBox>

// An integer spin box for a period's year or month. Typing is limited to digits, "+" and "-";
// a two-digit box shows its number with a leading zero below 10 ("03").
class PeriodSpinBox : public QSpinBox {
    Q_OBJECT
public:
    PeriodSpinBox(int minimum, int maximum, int initial, bool twoDigits, QWidget* parent = nullptr);

    // Replaces the text in the box, as typing would.
    void setEditText(const QString& text);

signals:
    // The text in the box changed, by typing, by the spin buttons or by the program.
    void editTextChanged(const QString& text);

protected:
    QString textFromValue(int value) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_twoDigits;
};
