#pragma once

#include "controls/tcolor.h"
#include "timing/racetime.h"

#include <QHash>
#include <array>

class MainWindowUi;
class QLabel;

// How the upper (running) and lower (last taken) displays show a time: the
// digits' values, leading zeros dimmed, separators and captions in the
// colour of the digit before them, the decimals shown, the colours.
class ClockDisplays {
public:
    // The digits, separators and captions are the window's own controls.
    explicit ClockDisplays(const MainWindowUi& ui) : m_c(ui) {}

    void show(const TimeParts& time, bool lower);
    void applyAccuracy(int acc);
    // Background, lit digits and passive (dimmed) digits.
    void applyColours(TColor background, TColor lit, TColor passive);

private:
    void setLabelColour(QLabel* label, TColor colour);

    const MainWindowUi& m_c;
    TColor m_upperDim = rgbColor(64, 64, 64);
    TColor m_upperBright = clLime;
    TColor m_lowerDim = rgbColor(64, 64, 64);
    TColor m_lowerBright = clYellow;
    QHash<const QLabel*, TColor> m_labelColours;
};
