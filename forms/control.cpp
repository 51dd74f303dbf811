#include "forms/control.h"

#include <algorithm>

#include "forms/form.h"

namespace forms {

Form* Control::form() const {
  return container_ ? container_->owningForm() : nullptr;
}

void Control::move(Twips left, Twips top, Twips width, Twips height) {
  if (width < 0 || height < 0) throw err::invalidPropertyValue();
  invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  invalidate();
}

void Control::setVisible(bool v) {
  invalidate();
  visible_ = v;
  invalidate();
}

void Control::bringToFront() {
  if (container_) container_->toFront(*this);
  invalidate();
}

int Control::dpi() const {
  const Form* f = form();
  return f ? f->dpi() : kDesignDpi;
}

PixelRect Control::pixelBounds() const {
  PixelRect origin = container_ ? container_->clientPixels() : PixelRect{};
  int d = dpi();
  return {origin.x + toPixels(left_, d), origin.y + toPixels(top_, d), toPixels(width_, d),
          toPixels(height_, d)};
}

void Control::invalidate() const {
  if (Form* f = form()) f->invalidate(pixelBounds());
}

void Control::copyCommonTo(Control& other) const {
  other.left_ = left_;
  other.top_ = top_;
  other.width_ = width_;
  other.height_ = height_;
  other.enabled_ = enabled_;
  other.tag_ = tag_;
  other.accessible_ = accessible_;
  other.onMouseDown = onMouseDown;
  other.onMouseUp = onMouseUp;
  other.onClick = onClick;
  other.visible_ = false;  // a loaded element starts hidden
}

void Label::setCaption(std::u16string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  if (Form* f = form()) f->noteRenamed(*this);
  if (autoSize_) fitToCaption();
  invalidate();
}

void Label::setFont(Font v) {
  font_ = std::move(v);
  if (autoSize_) fitToCaption();
  invalidate();
}

void Label::setAutoSize(bool v) {
  autoSize_ = v;
  if (autoSize_) fitToCaption();
}

void Label::fitToCaption() {
  Form* f = form();
  TextMeasurer* measurer = f ? f->measurer() : nullptr;
  if (!measurer) return;  // no window yet: the designed size stands
  int d = f->dpi();
  measurer->setDpi(d);
  PixelSize size = measurer->measureText(caption_, font_);
  move(left(), top(), pointerToTwips(size.width, d), pointerToTwips(size.height, d));
}

void Label::paint(Painter& painter) const {
  PixelRect r = pixelBounds();
  if (backStyle_ == BackStyle::Opaque) painter.fill(r, backColour_);
  painter.drawText(caption_, font_, foreColour_, r, alignment_, !autoSize_);
  if (borderStyle_ == BorderStyle::FixedSingle) painter.frame(r, kWindowText);
}

std::unique_ptr<Control> Label::cloneAs(std::int16_t index) const {
  auto copy = std::make_unique<Label>(name(), index);
  copyCommonTo(*copy);
  copy->caption_ = caption_;
  copy->foreColour_ = foreColour_;
  copy->backColour_ = backColour_;
  copy->backStyle_ = backStyle_;
  copy->borderStyle_ = borderStyle_;
  copy->alignment_ = alignment_;
  copy->font_ = font_;
  copy->autoSize_ = autoSize_;
  copy->tabIndex_ = tabIndex_;
  return copy;
}

void Image::paint(Painter& painter) const {
  PixelRect r = pixelBounds();
  if (picture_) {
    PixelRect target = r;
    if (!stretch_) {
      target.width = toPixels(picture_->width(), dpi());
      target.height = toPixels(picture_->height(), dpi());
    }
    painter.drawPicture(*picture_, target);
  }
  if (borderStyle_ == BorderStyle::FixedSingle) painter.frame(r, kWindowText);
}

std::unique_ptr<Control> Image::cloneAs(std::int16_t index) const {
  auto copy = std::make_unique<Image>(name(), index);
  copyCommonTo(*copy);
  copy->picture_ = picture_;
  copy->stretch_ = stretch_;
  copy->borderStyle_ = borderStyle_;
  return copy;
}

std::unique_ptr<Control> Timer::cloneAs(std::int16_t index) const {
  auto copy = std::make_unique<Timer>(name(), index);
  copyCommonTo(*copy);
  copy->interval_ = interval_;
  copy->onTimer = onTimer;
  return copy;
}

void Container::adopt(Control& control, bool atFront) {
  control.container_ = this;
  if (atFront)
    stacking_.push_back(&control);
  else
    stacking_.insert(stacking_.begin(), &control);
}

void Container::toFront(Control& control) {
  auto it = std::ranges::find(stacking_, &control);
  if (it == stacking_.end()) return;
  stacking_.erase(it);
  stacking_.push_back(&control);
}

Control* Container::hitTest(Twips x, Twips y,
                            const std::function<bool(const Control&)>& accepts) const {
  auto inside = [&](const Control* c) {
    return c->visible() && c->receivesMouse() && x >= c->left() && y >= c->top() &&
           x < c->left() + c->width() && y < c->top() + c->height();
  };
  // Child windows lie above every windowless control, whatever the stacking says.
  for (bool windowless : {false, true}) {
    // NOLINTNEXTLINE(modernize-loop-convert): front to back is the reverse of the stacking.
    for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
      Control* c = *it;
      if (c->windowless() != windowless || !inside(c)) continue;
      if (auto* box = dynamic_cast<PictureBox*>(c)) {
        PixelRect inner = box->clientPixels();
        PixelRect outer = box->pixelBounds();
        int d = c->dpi();
        Twips dx = pointerToTwips(inner.x - outer.x, d), dy = pointerToTwips(inner.y - outer.y, d);
        if (Control* child = box->hitTest(x - c->left() - dx, y - c->top() - dy, accepts))
          return child;
        return accepts(*c) ? c : nullptr;
      }
      if (accepts(*c)) return c;
    }
  }
  return nullptr;
}

void Container::paintChildren(Painter& painter) const {
  for (bool windowless : {true, false}) {
    for (const Control* c : stacking_) {
      if (c->windowless() == windowless && c->visible()) c->paint(painter);
    }
  }
}

PixelRect PictureBox::clientPixels() const {
  PixelRect r = pixelBounds();
  // The sunken 3-D edge: two device pixels at any density, as the classic runtime drew it.
  int inset = borderStyle_ == BorderStyle::FixedSingle ? 2 : 0;
  return {r.x + inset, r.y + inset, r.width - 2 * inset, r.height - 2 * inset};
}

void PictureBox::paint(Painter& painter) const {
  PixelRect r = pixelBounds();
  painter.fill(r, kButtonFace);  // no picture box of ours is given another colour
  if (borderStyle_ == BorderStyle::FixedSingle) painter.frame(r, kWindowText);
  paintChildren(painter);
}

std::unique_ptr<Control> PictureBox::cloneAs(std::int16_t index) const {
  auto copy = std::make_unique<PictureBox>(name(), index);
  copyCommonTo(*copy);
  copy->borderStyle_ = borderStyle_;
  return copy;
}

}  // namespace forms
