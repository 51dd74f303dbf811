#include "forms/accessibility.h"

#include <algorithm>

namespace forms {
namespace {

bool shownWithContainers(const Control& control) {
  if (!control.visible()) return false;
  for (const Container* c = control.container(); c;) {
    const auto* box = dynamic_cast<const PictureBox*>(c);
    if (!box) break;
    if (!box->visible()) return false;
    c = box->container();
  }
  return true;
}

// The part of a control that can be seen: inside each container's client area.
PixelRect inView(const Control& control) {
  PixelRect r = control.pixelBounds();
  for (const Container* c = control.container(); c;) {
    r = intersect(r, c->clientPixels());
    const auto* box = dynamic_cast<const PictureBox*>(c);
    c = box ? box->container() : nullptr;
  }
  return r;
}

std::u16string readAsOneLine(const std::u16string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t ch = text[i];
    if (ch == u'\r' || ch == u'\n') {
      if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += u' ';
    } else {
      out += ch;
    }
  }
  return out;
}

const Control* owner(const Form& form, const Control& part) {
  const std::string& name = part.accessible().partOf;
  if (name.empty()) return nullptr;
  for (const auto& c : form.controls()) {
    if (c->name() == name && c->index() == part.index()) return c.get();
  }
  return nullptr;
}

}  // namespace

std::vector<AccessibleNode> accessibleNodes(const Form& form) {
  std::vector<AccessibleNode> nodes;
  std::vector<std::pair<const Control*, PixelRect>> parts;
  for (const auto& owned : form.controls()) {
    const Control& c = *owned;
    if (!shownWithContainers(c)) continue;
    PixelRect r = inView(c);
    if (r.empty()) continue;
    if (owner(form, c)) {
      parts.emplace_back(owner(form, c), r);
      continue;
    }
    AccessibleNode node{&c,    AccessibleRole::StaticText, c.accessible().description, r,
                        false, c.accessible().announced};
    const auto* label = dynamic_cast<const Label*>(&c);
    if (label) node.name = readAsOneLine(label->caption());
    if (c.onClick) {
      node.role = AccessibleRole::PushButton;
      node.hasDefaultAction = true;
    } else if (dynamic_cast<const Image*>(&c) && !node.name.empty()) {
      node.role = AccessibleRole::Graphic;
    } else if (!label) {
      continue;  // decoration, a timer, or a container that only holds other controls
    }
    nodes.push_back(std::move(node));
  }
  for (const auto& [whole, r] : parts) {
    int i = nodeIndexOf(nodes, whole);
    if (i >= 0)
      nodes[static_cast<std::size_t>(i)].bounds =
          unite(nodes[static_cast<std::size_t>(i)].bounds, r);
  }
  PixelRect screen = form.screenPixels();
  for (auto& node : nodes) {
    node.bounds.x += screen.x;
    node.bounds.y += screen.y;
  }
  std::ranges::stable_sort(nodes, [](const auto& a, const auto& b) {
    return a.bounds.y != b.bounds.y ? a.bounds.y < b.bounds.y : a.bounds.x < b.bounds.x;
  });
  return nodes;
}

int nodeIndexOf(const std::vector<AccessibleNode>& nodes, const Control* control) {
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].control == control) return static_cast<int>(i);
  }
  return -1;
}

int nodeAt(const Form& form, const std::vector<AccessibleNode>& nodes, int screenX, int screenY) {
  PixelRect screen = form.screenPixels();
  int x = screenX - screen.x, y = screenY - screen.y;
  if (x < 0 || y < 0 || x >= screen.width || y >= screen.height) return -1;
  auto nodeOf = [&](const Control& c) {
    const Control* whole = owner(form, c);
    return nodeIndexOf(nodes, whole ? whole : &c);
  };
  const Control* hit = form.hitTest(pointerToTwips(x, form.dpi()), pointerToTwips(y, form.dpi()),
                                    [&](const Control& c) { return nodeOf(c) >= 0; });
  return hit ? nodeOf(*hit) : -1;
}

void doDefaultAction(Form& form, const AccessibleNode& node) {
  if (!node.hasDefaultAction) return;
  // The control, not the node: the node is a copy that the caller may drop at once.
  for (const auto& c : form.controls()) {
    if (c.get() != node.control) continue;
    Control* target = c.get();
    form.post([&form, target] { form.click(*target); });
  }
}

}  // namespace forms
