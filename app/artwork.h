#pragma once

#include <QIcon>
#include <QPixmap>

// Pictures the program draws itself instead of shipping bitmaps.

// The banner of the information window: a pylon, a chequered flag and the
// program name on a blue ground.
QPixmap paintInfoLogo(const QSize& size);

// A traffic pylon, the program's icon; drawn in several sizes.
QIcon pylonixIcon();

// A green tick for confirming buttons.
QIcon tickIcon();

// Glyphs of the small tool buttons, drawn so that no button depends on a
// font that has the symbol (emoji fonts are rarely installed).
enum class ToolGlyph { Save, Clear, Spreadsheet, Abort, Close };
QIcon toolGlyph(ToolGlyph glyph);

// The two-image glyph strips of the top bar's tool buttons (help, settings,
// information): 24-bit, the image at rest and the hot one side by side,
// 64 x 32 (64 x 34 for settings). They are drawn on `ground`, the bar's own
// colour, which is also their transparent colour (the bottom-left pixel), so
// the smoothed edges melt into the bar.
enum class TopBarGlyph { Help, Settings, Info };
QPixmap topBarGlyph(TopBarGlyph glyph, const QColor& ground);
