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
enum class ToolGlyph { Save, Clear, Spreadsheet, Abort, Close, Settings };
QIcon toolGlyph(ToolGlyph glyph);
