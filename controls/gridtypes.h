#pragma once

#include "controls/borderstyle.h"

#include "controls/tcolor.h"

#include <QFlags>
#include <QFont>

// Options of the grid base; the bit of each option is its ordinal.
enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag : unsigned {
    gdSelected = 1u << 0,
    gdFocused = 1u << 1,
    gdFixed = 1u << 2,
};
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

// Horizontal alignment of cell text (the three-valued platform alignment).
enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

struct TGridCoord {
    int X = 0;
    int Y = 0;
    bool operator==(const TGridCoord&) const = default;
};

// Inclusive cell rectangle: Left/Right are columns, Top/Bottom rows.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
    bool containsCell(int col, int row) const
    {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
};

// The system colours the grid needs beyond controls/colorvalue.h.
constexpr TColor clBtnHighlight = systemColor(20);
QColor gridColor(TColor color);

// The canvas brush and font that cell drawing and the format event share.
struct TGridBrush {
    TColor Color = clWindow;
};

struct TGridFont : QFont {
    TGridFont() = default;
    TGridFont(const QFont& font, TColor color) : QFont(font), Color(color) {}
    TColor Color = clWindowText;
};
