#pragma once

// Whether a control draws its single-line border; shared by the grids and the
// seven-segment digits so both can be used in one window.
enum TBorderStyle { bsNone, bsSingle };
