#include "app/clockdisplays.h"

#include "app/mainwindowui.h"
#include "timing/digit.h"

#include <QFrame>
#include <QLabel>

void ClockDisplays::setLabelColour(QLabel* label, TColor colour)
{
    // Compare first: the clock calls this a hundred times a second.
    const auto known = m_labelColours.constFind(label);
    if (known != m_labelColours.constEnd() && *known == colour)
        return;
    m_labelColours.insert(label, colour);
    setTextColour(label, colour);
}

void ClockDisplays::show(const TimeParts& t, bool lower)
{
    auto& digits = lower ? m_c.m_lower : m_c.m_upper;
    const TColor bright = lower ? m_lowerBright : m_upperBright;
    const TColor dim = lower ? m_lowerDim : m_upperDim;
    const std::array<bool, 8> lit = litDigits(t, lower);

    const int hr = t.hours, m = t.minutes, s = t.seconds, f = t.hundredths;
    const std::array<int, 8> values{hr / 10, hr % 10, m / 10, m % 10, s / 10, s % 10, f / 10, f % 10};
    // The upper display's last three digits never dim: they keep the colour
    // the display colours gave them.
    const int coloured = lower ? 8 : 5;
    for (int i = 0; i < 8; ++i) {
        digits[i]->setValue(values[i]);
        if (i < coloured)
            digits[i]->setColorOn(lit[i] ? bright : dim);
    }
    if (!lower) {
        setLabelColour(m_c.LabHour, digits[1]->ColorOn());
        setLabelColour(m_c.Lab_Hour, digits[1]->ColorOn());
        setLabelColour(m_c.LabMin, digits[3]->ColorOn());
        setLabelColour(m_c.Lab_Min, digits[3]->ColorOn());
        return;
    }
    setLabelColour(m_c.LabHour2, digits[1]->ColorOn());
    setLabelColour(m_c.LabMin2, digits[3]->ColorOn());
    setLabelColour(m_c.LabSec2, digits[5]->ColorOn());
}

void ClockDisplays::applyAccuracy(int acc)
{
    m_c.m_upper[7]->setVisible(acc == 2);
    m_c.m_lower[7]->setVisible(acc == 2);
    m_c.m_upper[6]->setVisible(acc > 0);
    m_c.m_lower[6]->setVisible(acc > 0);
    m_c.Lab_100->move(acc * 20 + 372, m_c.Lab_100->y());
    m_c.Lab_100->setText(QStringLiteral("1/") + QString::number(acc * 90 - 80));
    m_c.Lab_100->adjustSize();
    m_c.Lab_100->setVisible(acc > 0);
    m_c.LabSec->setVisible(acc > 0);
    m_c.LabSec2->setVisible(acc > 0);
}

void ClockDisplays::applyColours(TColor background, TColor lit, TColor passive)
{
    m_upperDim = passive;
    m_upperBright = lit;
    m_lowerDim = passive;
    QPalette palette = m_c.PanelTimer->palette();
    palette.setColor(QPalette::Window, toQColor(background));
    m_c.PanelTimer->setPalette(palette);
    m_c.PanelTimer->setAutoFillBackground(true);
    for (auto* digits : {&m_c.m_upper, &m_c.m_lower}) {
        for (TDigit* digit : *digits) {
            digit->setColorOn(lit);
            digit->setColorOff(background);
            digit->setColor(background);
        }
    }
    for (QLabel* label : {m_c.LabHour, m_c.LabMin, m_c.LabSec, m_c.Lab_Hour, m_c.Lab_Min, m_c.Lab_sek, m_c.Lab_100,
                          m_c.LabHour2, m_c.LabMin2, m_c.LabSec2})
        setLabelColour(label, lit);
}
