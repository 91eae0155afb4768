#include "form/controls.h"

#include <stdexcept>

namespace tallix {

ControlSet::ControlSet(const std::vector<ControlSpec>& design) : design_(&design) {
  for (const ControlSpec& spec : design) {
    Control control;
    control.caption = spec.caption;
    control.tooltip = spec.tooltip;
    control.enabled = spec.enabled;
    control.visible = spec.visible;
    control.left = spec.left;
    control.top = spec.top;
    control.width = spec.width;
    control.height = spec.height;
    controls_.emplace(spec.name, std::move(control));
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
