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
