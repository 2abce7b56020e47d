#pragma once

#include <QFont>

namespace rotaryn {

// Tahoma 8 for the grids and, like the rest of a Windows window of its kind, for the captions.
// Where Tahoma is not installed, the metric-compatible copy shipped with Wine's fonts is
// loaded; failing that, the closest sans-serif face the system has.
QFont windowFont();

}  // namespace rotaryn
