#pragma once

#include "results/resulttable.h"

class TSortGrid;

// The result grids hold the tables the operator sees; the results logic works
// on plain ResultTable values. These two functions carry a table across.

// Copies every row of the grid (row 0, the heading, included), ten cells each.
ResultTable readResultGrid(const TSortGrid& grid);

// Writes the table back: the grid takes the table's row count; the grid
// stores only cells whose text differs. Rows the table no longer has are emptied before the grid shrinks
// (the grid keeps data beyond its count and would bring it back).
void writeResultGrid(TSortGrid& grid, const ResultTable& table);
