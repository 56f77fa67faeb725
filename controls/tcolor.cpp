#include "controls/tcolor.h"

QColor toQColor(TColor color)
{
    if (isSystemColor(color)) {
        switch (std::uint32_t(color) & 0xFFu) {
        case 5: return QColor(255, 255, 255);   // window
        case 8: return QColor(0, 0, 0);         // window text
        case 13: return QColor(0, 120, 215);    // highlight
        case 14: return QColor(255, 255, 255);  // highlight text
        case 16: return QColor(160, 160, 160);  // button shadow
        case 17: return QColor(109, 109, 109);  // grey text
        case 18: return QColor(0, 0, 0);        // button text
        case 24: return QColor(255, 255, 225);  // info background
        case 15:                                // button face
        default: return QColor(240, 240, 240);
        }
    }
    const auto v = std::uint32_t(color);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor fromQColor(const QColor& color)
{
    return rgbColor(color.red(), color.green(), color.blue());
}
