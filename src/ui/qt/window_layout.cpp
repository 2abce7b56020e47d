#include "ui/qt/window_layout.h"

namespace rotaryn {

std::optional<DesignPlace> designPlaceOf(std::string_view control) {
  const ControlDesign* design = findWindowControlDesign(control);
  if (design == nullptr) return std::nullopt;
  return DesignPlace{design->name, design->place, design->tabPage};
}

}  // namespace rotaryn
