// A top-level form: owns its controls, routes the mouse, and paints itself.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/errors.h"
#include "forms/native_window.h"

namespace forms {

class Form : public Container {
 public:
  Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates a control in front of the others of its container.
  template <class T>
  T& add(Container& parent, std::string name, std::optional<std::int16_t> index = {}) {
    auto control = std::make_unique<T>(std::move(name), index);
    T& ref = *control;
    own(std::move(control), parent);
    return ref;
  }

  // An element of a control array, or a single control (no index). Missing: error 340.
  [[nodiscard]] Control& element(const std::string& name, std::int16_t index) const;
  [[nodiscard]] bool hasElement(const std::string& name, std::int16_t index) const;
  // The control of that name that belongs to no array, as kind T. Missing: error 340; of
  // another kind: error 13.
  template <class T>
  T& single(const std::string& name) const;
  // Loads a new element as a copy of the array's lowest element, hidden; existing: error 360.
  Control& loadElement(const std::string& name, std::int16_t index);
  [[nodiscard]] const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  // The first timer on the form, or none: the one whose ticks a host schedules.
  [[nodiscard]] Timer* timer() const;

  // Geometry of the window on the screen in twips; each setter applies it to the native window.
  [[nodiscard]] Twips left() const { return left_; }
  [[nodiscard]] Twips top() const { return top_; }
  [[nodiscard]] Twips width() const { return width_; }
  [[nodiscard]] Twips height() const { return height_; }
  void setLeft(Twips v);
  void setTop(Twips v);
  void setWidth(Twips v);
  void setHeight(Twips v);
  [[nodiscard]] PixelRect screenPixels() const;
  [[nodiscard]] PixelRect clientPixels() const override;

  // The density of the screen the form is shown on, given by its host (96 until then). Every
  // twip becomes pixels at this density; a change lays the window out again from its twips.
  [[nodiscard]] int dpi() const { return dpi_; }
  void setDpi(int dpi);
  Form* owningForm() override { return this; }

  [[nodiscard]] bool visible() const { return visible_; }
  void show();

  [[nodiscard]] const std::u16string& caption() const { return caption_; }
  void setCaption(std::u16string v) { caption_ = std::move(v); }
  [[nodiscard]] const PictureRef& picture() const { return picture_; }
  void setPicture(PictureRef v);
  [[nodiscard]] const PictureRef& icon() const { return icon_; }
  void setIcon(PictureRef v) { icon_ = std::move(v); }
  [[nodiscard]] Colour backColour() const { return backColour_; }
  void setBackColour(Colour v);

  // Binds the platform window; auto-sized labels measure their captions from now on.
  void attach(NativeWindow* window);
  [[nodiscard]] std::intptr_t hWnd() const { return native_ ? native_->handle() : 0; }
  [[nodiscard]] TextMeasurer* measurer() const { return native_ ? &native_->measurer() : nullptr; }

  // The frontmost visible control under a client point, or none (the form itself).
  [[nodiscard]] Control* hitTest(Twips x, Twips y) const;
  // The same search, for the frontmost control that `accepts` takes (one with a meaning for a
  // screen reader, say): those it passes over do not hide what lies behind them.
  Control* hitTest(Twips x, Twips y, const std::function<bool(const Control&)>& accepts) const;
  // A press goes to the control under the pointer and captures the mouse for it; the release
  // goes to that same control, and a left release over it is also a click.
  void mouseDown(MouseButton button, int shift, Twips x, Twips y);
  void mouseUp(MouseButton button, int shift, Twips x, Twips y);
  [[nodiscard]] Control* captured() const { return capture_; }
  // The window system took the mouse away while a button was held (a prompt, a secure desktop,
  // another window's activation): the release will never come. Each held button is released
  // where the pointer was last seen, as a release away from every control: the control that
  // took the press gets its release, never a click, and the next press starts afresh.
  void captureLost();
  // A left press, release and click on a control wherever the pointer is, as a left click in
  // its middle would deliver them; nothing while a mouse button is held.
  void click(Control& target);

  // Work to run from the event loop rather than inside the caller (a screen reader's request
  // must return before the program may end): queued here, run by the host.
  void post(std::function<void()> work);
  void runPosted();
  // Controls whose accessible name changed since the host last asked, oldest first.
  void noteRenamed(const Control& control);
  std::vector<const Control*> takeRenamed();

  // Background, the form picture at natural size from the top-left corner, then the controls.
  void paint(Painter& painter) const;
  void invalidate(const PixelRect& clientPixels) const;

 private:
  void own(std::unique_ptr<Control> control, Container& parent);
  void applyBounds() const;
  void fitAutoSizedLabels() const;
  [[nodiscard]] MouseEvent eventFor(const Control& control, MouseButton button, int shift, Twips x,
                                    Twips y) const;

  std::vector<std::unique_ptr<Control>> controls_;
  NativeWindow* native_ = nullptr;
  Twips left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int dpi_ = kDesignDpi;
  bool visible_ = false;
  std::u16string caption_;
  PictureRef picture_, icon_;
  Colour backColour_ = kButtonFace;
  Control* capture_ = nullptr;
  unsigned buttonsDown_ = 0;
  Twips pointerX_ = 0, pointerY_ = 0;  // where the last press or release was
  std::deque<std::function<void()>> posted_;
  std::vector<const Control*> renamed_;
};

// `control` as kind T: a wrong kind is a type mismatch (error 13), never undefined behaviour.
template <class T>
T& as(Control& control) {
  if (auto* typed = dynamic_cast<T*>(&control)) return *typed;
  throw err::typeMismatch();
}

template <class T>
T& Form::single(const std::string& name) const {
  for (const auto& c : controls_)
    if (c->name() == name && !c->index()) return as<T>(*c);
  throw err::elementDoesNotExist(0);
}

// A control array: elements of one kind under one name, told apart by a 16-bit index.
template <class T>
class ControlArray {
 public:
  ControlArray(Form& form, std::string name) : form_(&form), name_(std::move(name)) {}
  T& operator()(std::int16_t index) const { return as<T>(form_->element(name_, index)); }
  T& load(std::int16_t index) { return as<T>(form_->loadElement(name_, index)); }
  [[nodiscard]] bool exists(std::int16_t index) const { return form_->hasElement(name_, index); }
  [[nodiscard]] const std::string& name() const { return name_; }

 private:
  Form* form_;
  std::string name_;
};

}  // namespace forms
