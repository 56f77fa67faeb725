#pragma once

#include "controls/gridtypes.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// Value types of the sortable grid: its enumerations, the format record of
// OnGetCellFormat, the sort and print options and the sort entries.

enum TSortStyle {
    ssAutomatic = 0,
    ssNormal = 1,
    ssNumeric = 2,
    ssNumericExtended = 3,
    ssDateTime = 4,
    ssTime = 5,
    ssCustom = 6,
};
enum TSortDirection { sdAscending = 0, sdDescending = 1 };
enum TCellBevelStyle { cbNone = 0, cbRaised = 1, cbLowered = 2 };
enum TVertAlignment { taTopJustify = 0, taBottomJustify = 1, taMiddle = 2 };
enum TMyPrintRange { prAll = 0, prSelected = 1 };

// Negative when the first text sorts first, positive when after, 0 when equal.
using TSortCompare = std::function<int(const QString& Str1, const QString& Str2)>;

struct TSortOptions {
    QString SecondaryIndex;           // "3,2": further key columns, least significant last
    bool CanSort = true;
    TSortStyle SortStyle = ssNormal;
    bool SortCaseSensitive = false;
    int SortCol = 0;                  // −1: no sorted column
    TSortDirection SortDirection = sdAscending;
    TSortCompare SortCompare;         // for ssCustom; cleared at the end of every sort
    bool UpdateOnSizeChange = false;
};

// Kept for the form description only; nothing is printed.
struct TPrintOptions {
    QString JobTitle;
    QString PageTitle;
    unsigned Copies = 0;
    TMyPrintRange PrintRange = prAll;
    unsigned FromRow = 0;
    unsigned ToRow = 0;
    unsigned PreviewPage = 0;
};

// Handed to OnGetCellFormat by reference: what the handler leaves here is
// what the cell is drawn with.
struct TFormatOptions {
    TGridBrush Brush;
    TGridFont Font;
    TAlignment AlignmentHorz = taLeftJustify;
    TVertAlignment AlignmentVert = taTopJustify;
    TCellBevelStyle Bevel = cbNone;
    TColor HighlightColor = clWindow;
    TColor ShadowColor = clWindow;
    bool HideText = false;
};

// One data row in a sort pass: the key text, the row's position at the start
// of the pass, and the options that decide the comparison.
struct TSortedListEntry {
    QString Str;
    int RowNum = 0;
    const TSortOptions* SortOptions = nullptr;
};
using TSortedList = std::vector<TSortedListEntry>;
