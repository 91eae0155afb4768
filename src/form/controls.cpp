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
    controls_.emplace(row.name, std::move(control));
  }
}

Control& ControlSet::operator[](std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) throw std::out_of_range("no control named " + std::string(name));
  return it->second;
}

const Control& ControlSet::operator[](std::string_view name) const {
  auto it = controls_.find(name);
  if (it == controls_.end()) throw std::out_of_range("no control named " + std::string(name));
  return it->second;
}

bool ControlSet::contains(std::string_view name) const { return controls_.find(name) != controls_.end(); }

}  // namespace tallix
