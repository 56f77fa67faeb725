#pragma once

#include "controls/sortgridtypes.h"

#include <QStringList>
#include <functional>
#include <vector>

// The order a sort of the sortable grid gives, worked out from texts alone:
// the grid hands in the texts of its key columns and gets back where each
// row goes, so the rules can be tested and timed without a widget.
class TSortOrder
{
public:
    // The key columns of a sort by `column`: that column first, then the
    // columns listed in `secondaryIndex` ("3,2", least significant last)
    // without it. A first key that is not a column of the grid becomes −1,
    // which sorts nothing; later keys that are not columns are left out.
    static std::vector<int> keyColumns(int column, const QString& secondaryIndex, int columnCount);

    // One pass: the positions 0 … n − 1 of `texts` in the order that
    // SortStyle, SortCaseSensitive, SortDirection and (for ssCustom)
    // SortCompare of `options` give. Texts that compare equal keep their
    // order, in either direction.
    static std::vector<int> pass(const QStringList& texts, const TSortOptions& options);

    struct Key {
        int column = -1;    // −1: skipped
        QStringList texts;  // the column's texts, rows in their order before the sort
    };
    // Asked once per pass, least significant key first, before the pass
    // runs; returns the options the pass compares by. The texts are the
    // key's, in the order before the sort.
    using PassOptions = std::function<const TSortOptions&(int column, const QStringList& texts)>;

    // Sorts `rowCount` rows by every key, the last one first and the first
    // one last, which gives the lexicographic order of the keys with the
    // earlier order breaking ties. result[j] is the index of the row that
    // goes to place j; empty when the first key is skipped.
    static std::vector<int> rows(int rowCount, const std::vector<Key>& keys, const PassOptions& passOptions);
};
