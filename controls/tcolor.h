#pragma once

#include "controls/colorvalue.h"

#include <QColor>

// The conversions to and from Qt's colours live apart from the values, so
// that code without a GUI (the result tables) can keep colours as values.

// System colours resolve to the classic desktop defaults, so the program looks
// the same whatever style the desktop runs.
QColor toQColor(TColor color);
// The RGB value of a Qt colour as 0x00BBGGRR (alpha dropped).
TColor fromQColor(const QColor& color);
