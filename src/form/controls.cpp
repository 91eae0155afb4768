#include "form/controls.h"

#include <stdexcept>

namespace tallix {

ControlSet::ControlSet(const std::vector<ControlSpec>& design) : design_(&design) {
  for (const ControlSpec& row : design) {
    Control control;
    control.caption = row.caption;
    control.tooltip = row.tooltip;
    control.enabled = row.enabled;
    control.visible = row.visible;
    control.left = row.left;
    control.top = row.top;
    control.width = row.width;
    control.height = row.height;
    controls_.emplace(row.name.text(), std::move(control));
  }
}

Control& ControlSet::operator[](ControlName name) {
  auto it = controls_.find(name.text());
  if (it == controls_.end()) throw std::out_of_range("no control named " + std::string(name.text()));
  return it->second;
}

const Control& ControlSet::operator[](ControlName name) const {
  auto it = controls_.find(name.text());
  if (it == controls_.end()) throw std::out_of_range("no control named " + std::string(name.text()));
  return it->second;
}

bool ControlSet::contains(ControlName name) const { return controls_.find(name.text()) != controls_.end(); }

}  // namespace tallix
