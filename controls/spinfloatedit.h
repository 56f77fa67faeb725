#pragma once

#include <QDoubleSpinBox>

// A number with one decimal between a minimum and a maximum, changed in
// steps by its up and down buttons (held: repeating), the arrow and page keys,
// or typed in. The text is left-aligned.
//
// Typing can never leave a value outside the range: a key that would make the
// text a number beyond the maximum, or no number at all, is refused, and what
// is left when the field loses the focus or Enter is pressed is brought into
// the range, so the field always shows the value that value() returns.
// Both "," and "." are taken as the decimal separator: the operator types
// what the keyboard offers, whatever the desktop's language.
class TSpinFloatEdit : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit TSpinFloatEdit(QWidget* parent = nullptr);

    double MinValue() const { return minimum(); }
    double MaxValue() const { return maximum(); }
    double Increment() const { return singleStep(); }
    void setMinValue(double value) { setMinimum(value); }
    void setMaxValue(double value) { setMaximum(value); }
    void setIncrement(double step) { setSingleStep(step); }

    double Value() const { return value(); }
    void setValue(double value);

    // The value in thousandths, rounded to the nearest (2.5 gives 2500).
    int valueTimes1000() const;

    QValidator::State validate(QString& input, int& pos) const override;
    double valueFromText(const QString& text) const override;
    QString textFromValue(double value) const override;
    void fixup(QString& input) const override;

private:
    static QString normalised(QString text);
};
