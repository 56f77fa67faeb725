#include "controls/spinfloatedit.h"

#include <QLineEdit>

#include <cmath>

TSpinFloatEdit::TSpinFloatEdit(QWidget* parent)
    : QDoubleSpinBox(parent)
{
    setDecimals(1);
    setSingleStep(0.1);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setAccelerated(false);
    // Steps from a typed 0.25 land on tenths again, not on 0.35.
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(false);
}

void TSpinFloatEdit::setValue(double value)
{
    // Not-a-number would pass through the range check unchanged.
    QDoubleSpinBox::setValue(std::isnan(value) ? minimum() : value);
}

int TSpinFloatEdit::valueTimes1000() const
{
    return int(std::lround(value() * 1000.0));
}

QString TSpinFloatEdit::normalised(QString text)
{
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

QValidator::State TSpinFloatEdit::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos);
    const QString text = normalised(input);
    if (text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("."))
        return minimum() < 0 || text != QLatin1String("-") ? QValidator::Intermediate : QValidator::Invalid;
    bool ok = false;
    const double typed = text.toDouble(&ok);
    if (!ok)
        return QValidator::Invalid;
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0 && text.size() - dot - 1 > decimals())
        return QValidator::Invalid;
    if (typed > maximum())
        return QValidator::Invalid;
    if (typed < minimum())
        return QValidator::Intermediate;  // "0" on the way to "0.5" with a minimum of 0.2
    return QValidator::Acceptable;
}

double TSpinFloatEdit::valueFromText(const QString& text) const
{
    bool ok = false;
    const double typed = normalised(text).toDouble(&ok);
    return ok ? std::clamp(typed, minimum(), maximum()) : value();
}

QString TSpinFloatEdit::textFromValue(double value) const
{
    return QString::number(value, 'f', decimals());
}

void TSpinFloatEdit::fixup(QString& input) const
{
    bool ok = false;
    const double typed = normalised(input).toDouble(&ok);
    input = textFromValue(ok ? std::clamp(typed, minimum(), maximum()) : value());
}
