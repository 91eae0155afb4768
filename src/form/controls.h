// Controls as plain data. A window is declared once as a table of
// ControlSpec rows; the form model keeps each control's live state (a
// Control) under the same name, and the Qt shell builds and syncs its
// widgets from both by name.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

enum class ControlKind { Label, Button, TextBox, CheckBox, Frame, Picture, FileList, ListBox, Line, Timer };

// A control's name. Made explicitly only, by the constants declared beside
// the designs (form/control_names.h), so a lookup by a misspelt name does not
// compile. The empty name stands for the window itself as a parent.
class ControlName {
 public:
  constexpr ControlName() = default;
  constexpr explicit ControlName(std::string_view text) : text_(text) {}
  constexpr std::string_view text() const { return text_; }
  constexpr bool empty() const { return text_.empty(); }
  friend constexpr bool operator==(ControlName, ControlName) = default;

 private:
  std::string_view text_;
};

struct FontSpec {
  std::string family = "PMingLiU";
  double points = 9.0;
  bool bold = false;
  int charset = 136;  // Traditional Chinese; fonts the desktop lacks fall back
};

// One row of a window's design: geometry in twips, relative to its parent
// frame (empty parent: the window itself). A line runs from (left, top) to
// (width, height) read as its second point.
struct ControlSpec {
  ControlName name;
  ControlKind kind;
  ControlName parent;
  std::string caption;
  std::string tooltip;
  FontSpec font;
  float left;
  float top;
  float width;
  float height;
  bool enabled = true;
  bool visible = true;
  int maxLength = 0;  // text boxes: most characters, 0 for no limit
  bool windowColours = false;  // drawn in the system's window colours
  // What a screen reader calls a control that has no caption of its own.
  std::string accessibleName = {};
};

// The live state of one control.
struct Control {
  std::string caption;  // caption of a label, button or check box; text of a text box
  std::string tooltip;
  bool enabled = true;
  bool visible = true;
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
  int value = 0;                   // check box: 0 clear, 1 set
  std::vector<std::string> items;  // list box and file list entries
  int listIndex = -1;              // selected entry, -1 for none
  std::string path;                // file list: its folder
  std::string pattern;             // file list: its pattern
  std::string description;         // what a picture shows, as text for screen readers

  friend bool operator==(const Control&, const Control&) = default;
};

// A window's controls keyed by name, made from its design table.
class ControlSet {
 public:
  explicit ControlSet(const std::vector<ControlSpec>& design);
  Control& operator[](ControlName name);
  const Control& operator[](ControlName name) const;
  bool contains(ControlName name) const;
  const std::vector<ControlSpec>& design() const { return *design_; }

 private:
  const std::vector<ControlSpec>* design_;
  std::map<std::string, Control, std::less<>> controls_;
};

}  // namespace tallix
