#include "ui/controls.h"

#include <algorithm>

namespace rotaryn {

void ChangeNotifier::subscribe(ControlObserver& observer) {
  observers_.push_back(&observer);
}

void ChangeNotifier::unsubscribe(ControlObserver& observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), &observer), observers_.end());
}

void ChangeNotifier::notify(const std::string& control, Change what) const {
  // A copy: an observer may unsubscribe while being told.
  std::vector<ControlObserver*> observers = observers_;
  for (ControlObserver* observer : observers) observer->controlChanged(control, what);
}

TabControl::TabControl(ControlSet& set, const ControlDesign& design) : Widget(set, design) {
  std::string_view rest = design.caption;
  while (!rest.empty()) {
    size_t bar = rest.find('|');
    captions.emplace_back(rest.substr(0, bar));
    rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
  }
}

void ComboBox::addItem(const std::string& item) {
  items_.push_back(item);
  notify(Change::Items);
}

void ComboBox::clear() {
  items_.clear();
  notify(Change::Items);
  text = "";
}

}  // namespace rotaryn
