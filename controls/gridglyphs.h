#pragma once

#include <QImage>

// The small pictures the sortable grid draws: sort arrows (8 × 7), check
// boxes, the drop-down and ellipsis buttons (16 × 16). Drawn by the program
// itself, once, and shared by every grid.
class TGridGlyphs
{
public:
    static const QImage& arrowUp();
    static const QImage& arrowDown();
    static const QImage& checked();
    static const QImage& unchecked();
    static const QImage& comboBox();
    static const QImage& ellipsis();
};
