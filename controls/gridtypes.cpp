#include "controls/gridtypes.h"

QColor gridColor(TColor color)
{
    // Button highlight is white on the classic desktop; tcolor.h has no entry for it.
    if (color == clBtnHighlight)
        return QColor(255, 255, 255);
    return toQColor(color);
}
