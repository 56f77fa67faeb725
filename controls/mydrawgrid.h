#pragma once

#include "controls/mycustomdrawgrid.h"

// The draw grid as forms use it. Everything it offers is public already in
// the base classes; the class keeps the family's layering for descendants.
class TMyDrawGrid : public TMyCustomDrawGrid
{
    Q_OBJECT
public:
    explicit TMyDrawGrid(QWidget* parent = nullptr) : TMyCustomDrawGrid(parent) {}
};
