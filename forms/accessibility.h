// The accessibility view of a form: what a screen reader finds in it, derived from the controls
// by general rules, which each host translates for its system (MSAA, AT-SPI).
//
// Each visible control in view becomes one node or none: a control with a click handler is a
// push button, named by its caption or description, whose default action is a left click; a
// label is static text named by its caption, its line breaks read as spaces; an image is a
// graphic only when it has a description, else it is decoration and left out. A control drawn
// as part of another (AccessibleInfo::partOf) adds its rectangle to that control's node.
#pragma once

#include <string>
#include <vector>

#include "forms/form.h"

namespace forms {

enum class AccessibleRole { StaticText, PushButton, Graphic };

struct AccessibleNode {
  const Control* control = nullptr;
  AccessibleRole role = AccessibleRole::StaticText;
  std::u16string name;
  PixelRect bounds;  // on the screen, in pixels, within the form's client area
  bool hasDefaultAction = false;
  bool announced = false;
};

// The nodes in reading order: top to bottom, then left to right.
std::vector<AccessibleNode> accessibleNodes(const Form& form);
// The position of a control's node in the list, or -1.
int nodeIndexOf(const std::vector<AccessibleNode>& nodes, const Control* control);
// The node at a point on the screen (in pixels, as the nodes' rectangles): that of the frontmost
// control there with a node of its own or drawn as part of one, in the stacking order the mouse
// follows; decoration lets the point through to what lies behind it. -1 when none.
int nodeAt(const Form& form, const std::vector<AccessibleNode>& nodes, int screenX, int screenY);
// The node's click, posted to the form's event loop: returns at once, whatever the click does.
void doDefaultAction(Form& form, const AccessibleNode& node);

}  // namespace forms
