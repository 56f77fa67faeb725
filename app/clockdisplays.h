#pragma once

#include "controls/tcolor.h"
#include "timing/racetime.h"

#include <QHash>
#include <array>

class QFrame;
class QLabel;
class TDigit;

// The controls of the two seven-segment displays.
struct ClockDisplayControls {
    QFrame* panel = nullptr;          // PanelTimer
    std::array<TDigit*, 8> upper{};   // Digit1 … Digit8
    std::array<TDigit*, 8> lower{};   // Digit12, 13, 15, 16, 18, 19, 21, 22
    QLabel* LabHour = nullptr;
    QLabel* LabMin = nullptr;
    QLabel* LabSec = nullptr;
    QLabel* Lab_Hour = nullptr;
    QLabel* Lab_Min = nullptr;
    QLabel* Lab_sek = nullptr;
    QLabel* Lab_100 = nullptr;
    QLabel* LabHour2 = nullptr;
    QLabel* LabMin2 = nullptr;
    QLabel* LabSec2 = nullptr;
};

// How the upper (running) and lower (last taken) displays show a time: the
// digits' values, leading zeros dimmed, separators and captions in the
// colour of the digit before them, the decimals shown, the colours.
class ClockDisplays {
public:
    explicit ClockDisplays(const ClockDisplayControls& controls) : m_c(controls) {}

    void show(const TimeParts& time, bool lower);
    void applyAccuracy(int acc);
    // Background, lit digits and passive (dimmed) digits.
    void applyColours(TColor background, TColor lit, TColor passive);

private:
    void setLabelColour(QLabel* label, TColor colour);

    ClockDisplayControls m_c;
    TColor m_upperDim = rgbColor(64, 64, 64);
    TColor m_upperBright = clLime;
    TColor m_lowerDim = rgbColor(64, 64, 64);
    TColor m_lowerBright = clYellow;
    QHash<const QLabel*, TColor> m_labelColours;
};
