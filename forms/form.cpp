#include "forms/form.h"

#include <algorithm>
#include <utility>

namespace forms {

void Form::own(std::unique_ptr<Control> control, Container& parent) {
  parent.adopt(*control, /*atFront=*/true);
  controls_.push_back(std::move(control));
}

Control& Form::element(const std::string& name, std::int16_t index) const {
  for (const auto& c : controls_) {
    if (c->name() == name && c->index() == index) return *c;
  }
  throw err::elementDoesNotExist(index);
}

bool Form::hasElement(const std::string& name, std::int16_t index) const {
  return std::ranges::any_of(
      controls_, [&](const auto& c) { return c->name() == name && c->index() == index; });
}

Timer* Form::timer() const {
  for (const auto& c : controls_) {
    if (auto* t = dynamic_cast<Timer*>(c.get())) return t;
  }
  return nullptr;
}

Control& Form::loadElement(const std::string& name, std::int16_t index) {
  if (hasElement(name, index)) throw err::objectAlreadyLoaded();
  const Control* lowest = nullptr;
  std::int16_t lowestIndex = 0;
  for (const auto& c : controls_) {
    const auto at = c->index();
    if (c->name() == name && at && (!lowest || *at < lowestIndex)) {
      lowest = c.get();
      lowestIndex = *at;
    }
  }
  if (!lowest) throw err::elementDoesNotExist(index);  // not a control array
  auto copy = lowest->cloneAs(index);
  Control& ref = *copy;
  own(std::move(copy), *lowest->container());
  return ref;
}

void Form::applyBounds() const {
  if (native_) native_->applyBounds(screenPixels());
}

void Form::setLeft(Twips v) {
  left_ = v;
  applyBounds();
}

void Form::setTop(Twips v) {
  top_ = v;
  applyBounds();
}

void Form::setWidth(Twips v) {
  if (v < 0) throw err::invalidPropertyValue();
  width_ = v;
  applyBounds();
}

void Form::setHeight(Twips v) {
  if (v < 0) throw err::invalidPropertyValue();
  height_ = v;
  applyBounds();
}

PixelRect Form::screenPixels() const {
  return {toPixels(left_, dpi_), toPixels(top_, dpi_), toPixels(width_, dpi_),
          toPixels(height_, dpi_)};
}

// The form has no border, so its client area is the whole window.
PixelRect Form::clientPixels() const {
  return {0, 0, toPixels(width_, dpi_), toPixels(height_, dpi_)};
}

void Form::setDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  if (!native_) return;
  // The twips stay; only their pixels change. Fonts have new pixel sizes, so auto-sized labels
  // measure their captions again.
  fitAutoSizedLabels();
  applyBounds();
  invalidate(clientPixels());
}

void Form::show() {
  visible_ = true;
  if (native_) native_->applyVisible(true);
}

void Form::setPicture(PictureRef v) {
  picture_ = std::move(v);
  invalidate(clientPixels());
}

void Form::setBackColour(Colour v) {
  backColour_ = v;
  invalidate(clientPixels());
}

void Form::attach(NativeWindow* window) {
  native_ = window;
  if (!native_) return;
  applyBounds();
  fitAutoSizedLabels();
}

void Form::fitAutoSizedLabels() const {
  for (const auto& c : controls_) {
    if (auto* label = dynamic_cast<Label*>(c.get()); label && label->autoSize())
      label->fitToCaption();
  }
}

Control* Form::hitTest(Twips x, Twips y) const {
  return Container::hitTest(x, y, [](const Control&) { return true; });
}

Control* Form::hitTest(Twips x, Twips y, const std::function<bool(const Control&)>& accepts) const {
  return Container::hitTest(x, y, accepts);
}

MouseEvent Form::eventFor(const Control& control, MouseButton button, int shift, Twips x,
                          Twips y) const {
  // The pointer relative to the control, through the chain of containers.
  Twips originX = control.left(), originY = control.top();
  for (const Container* c = control.container(); c && c != this;) {
    const auto* box = dynamic_cast<const PictureBox*>(c);
    if (!box) break;
    PixelRect inner = box->clientPixels(), outer = box->pixelBounds();
    originX += box->left() + pointerToTwips(inner.x - outer.x, dpi_);
    originY += box->top() + pointerToTwips(inner.y - outer.y, dpi_);
    c = box->container();
  }
  return {button, shift, x - originX, y - originY};
}

void Form::mouseDown(MouseButton button, int shift, Twips x, Twips y) {
  if (buttonsDown_ == 0) capture_ = hitTest(x, y);
  buttonsDown_ |= static_cast<unsigned>(button);
  pointerX_ = x;
  pointerY_ = y;
  if (capture_ && capture_->enabled() && capture_->onMouseDown)
    capture_->onMouseDown(*capture_, eventFor(*capture_, button, shift, x, y));
}

void Form::mouseUp(MouseButton button, int shift, Twips x, Twips y) {
  if (!(buttonsDown_ & static_cast<unsigned>(button))) return;  // a press we never saw
  buttonsDown_ &= ~static_cast<unsigned>(button);
  pointerX_ = x;
  pointerY_ = y;
  Control* target = capture_;
  if (buttonsDown_ == 0) capture_ = nullptr;
  if (!target || !target->enabled()) return;
  if (target->onMouseUp) target->onMouseUp(*target, eventFor(*target, button, shift, x, y));
  if (button == MouseButton::Left && hitTest(x, y) == target && target->onClick)
    target->onClick(*target);
}

void Form::captureLost() {
  Control* target = capture_;
  unsigned held = buttonsDown_;
  // Forgotten before any handler runs: one that raises leaves no press behind.
  capture_ = nullptr;
  buttonsDown_ = 0;
  if (!target || !target->enabled() || !target->onMouseUp) return;
  for (MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
    if (held & static_cast<unsigned>(button))
      target->onMouseUp(*target, eventFor(*target, button, 0, pointerX_, pointerY_));
  }
}

void Form::click(Control& target) {
  if (buttonsDown_ != 0) return;
  PixelRect r = target.pixelBounds();
  Twips x = pointerToTwips(r.x + r.width / 2, dpi_), y = pointerToTwips(r.y + r.height / 2, dpi_);
  capture_ = &target;
  buttonsDown_ = static_cast<unsigned>(MouseButton::Left);
  if (target.enabled() && target.onMouseDown)
    target.onMouseDown(target, eventFor(target, MouseButton::Left, 0, x, y));
  buttonsDown_ = 0;
  capture_ = nullptr;
  if (!target.enabled()) return;
  if (target.onMouseUp) target.onMouseUp(target, eventFor(target, MouseButton::Left, 0, x, y));
  if (target.onClick) target.onClick(target);
}

void Form::post(std::function<void()> work) {
  posted_.push_back(std::move(work));
  if (native_) native_->workPosted();
}

void Form::runPosted() {
  while (!posted_.empty()) {
    std::function<void()> work = std::move(posted_.front());
    posted_.pop_front();
    work();
  }
}

void Form::noteRenamed(const Control& control) {
  if (std::ranges::find(renamed_, &control) == renamed_.end()) renamed_.push_back(&control);
}

std::vector<const Control*> Form::takeRenamed() {
  return std::exchange(renamed_, {});
}

void Form::paint(Painter& painter) const {
  painter.setDpi(dpi_);
  PixelRect client = clientPixels();
  painter.fill(client, backColour_);
  // Natural size is the picture's size in twips: at another density than 96 it is resampled.
  if (picture_) {
    painter.drawPicture(
        *picture_, {0, 0, toPixels(picture_->width(), dpi_), toPixels(picture_->height(), dpi_)});
  }
  paintChildren(painter);
}

void Form::invalidate(const PixelRect& clientPixels) const {
  if (native_ && !clientPixels.empty()) native_->invalidate(clientPixels);
}

}  // namespace forms
