#pragma once

#include <string>

#include <QString>

namespace rotaryn {

// A common-dialog filter ("Map Lists (*.mpl)|*.mpl|All Files|*.*") as a Qt file dialog takes
// it ("Map Lists (*.mpl);;All Files (*.*)"). Patterns joined by ";" become one space-separated
// list; a description that already ends with its patterns in brackets is kept as it is.
QString qtFileFilter(const std::string& filter);

}  // namespace rotaryn
