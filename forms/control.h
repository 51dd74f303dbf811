// The controls of a form: labels, images, picture boxes and timers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/painter.h"
#include "forms/picture.h"
#include "forms/units.h"

namespace forms {

class Container;
class Form;
class Control;

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

struct MouseEvent {
  MouseButton button = MouseButton::Left;
  int shift = 0;       // 1 Shift, 2 Ctrl, 4 Alt
  Twips x = 0, y = 0;  // relative to the control
};

using MouseHandler = std::function<void(Control&, const MouseEvent&)>;
using ClickHandler = std::function<void(Control&)>;

enum class BorderStyle { None = 0, FixedSingle = 1 };

// What a screen reader is told about a control beyond what its kind and properties say.
struct AccessibleInfo {
  std::u16string description;  // an image's text; without one an image is decoration
  std::string partOf;          // drawn as part of the element of this array with the same index
  bool announced = false;      // read out when the window first shows
};

class Control {
 public:
  Control(std::string name, std::optional<std::int16_t> index)
      : name_(std::move(name)), index_(index) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  [[nodiscard]] const std::string& name() const { return name_; }
  [[nodiscard]] std::optional<std::int16_t> index() const { return index_; }
  [[nodiscard]] Container* container() const { return container_; }
  [[nodiscard]] Form* form() const;

  [[nodiscard]] Twips left() const { return left_; }
  [[nodiscard]] Twips top() const { return top_; }
  [[nodiscard]] Twips width() const { return width_; }
  [[nodiscard]] Twips height() const { return height_; }
  void setLeft(Twips v) { move(v, top_, width_, height_); }
  void setTop(Twips v) { move(left_, v, width_, height_); }
  void setWidth(Twips v) { move(left_, top_, v, height_); }
  void setHeight(Twips v) { move(left_, top_, width_, v); }
  void move(Twips left, Twips top, Twips width, Twips height);

  [[nodiscard]] bool visible() const { return visible_; }
  void setVisible(bool v);
  [[nodiscard]] bool enabled() const { return enabled_; }
  void setEnabled(bool v) { enabled_ = v; }
  [[nodiscard]] const std::u16string& tag() const { return tag_; }
  void setTag(std::u16string v) { tag_ = std::move(v); }
  [[nodiscard]] const AccessibleInfo& accessible() const { return accessible_; }
  void setAccessible(AccessibleInfo v) { accessible_ = std::move(v); }

  // ZOrder 0: to the front of its container's stacking order.
  void bringToFront();

  // The rectangle in the form's client pixels, at the form's density.
  [[nodiscard]] PixelRect pixelBounds() const;
  // The form's density; the design density while the control belongs to no form.
  [[nodiscard]] int dpi() const;
  [[nodiscard]] virtual bool windowless() const { return true; }
  [[nodiscard]] virtual bool receivesMouse() const { return true; }
  virtual void paint(Painter& painter) const = 0;

  MouseHandler onMouseDown, onMouseUp;
  ClickHandler onClick;

 protected:
  friend class Container;
  friend class Form;
  [[nodiscard]] virtual std::unique_ptr<Control> cloneAs(std::int16_t index) const = 0;
  void copyCommonTo(Control& other) const;
  void invalidate() const;

 private:
  std::string name_;
  std::optional<std::int16_t> index_;
  Container* container_ = nullptr;
  Twips left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true, enabled_ = true;
  std::u16string tag_;
  AccessibleInfo accessible_;
};

class Label : public Control {
 public:
  using Control::Control;
  enum class BackStyle { Transparent = 0, Opaque = 1 };

  [[nodiscard]] const std::u16string& caption() const { return caption_; }
  void setCaption(std::u16string v);
  [[nodiscard]] Colour foreColour() const { return foreColour_; }
  void setForeColour(Colour v) {
    foreColour_ = v;
    invalidate();
  }
  [[nodiscard]] Colour backColour() const { return backColour_; }
  void setBackColour(Colour v) {
    backColour_ = v;
    invalidate();
  }
  [[nodiscard]] BackStyle backStyle() const { return backStyle_; }
  void setBackStyle(BackStyle v) {
    backStyle_ = v;
    invalidate();
  }
  [[nodiscard]] BorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(BorderStyle v) {
    borderStyle_ = v;
    invalidate();
  }
  [[nodiscard]] Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment v) {
    alignment_ = v;
    invalidate();
  }
  [[nodiscard]] const Font& font() const { return font_; }
  void setFont(Font v);
  [[nodiscard]] bool autoSize() const { return autoSize_; }
  void setAutoSize(bool v);
  [[nodiscard]] int tabIndex() const { return tabIndex_; }
  void setTabIndex(int v) { tabIndex_ = v; }

  // Auto-size: the extent of the caption in the font, with Left and Top kept.
  void fitToCaption();
  void paint(Painter& painter) const override;

 protected:
  [[nodiscard]] std::unique_ptr<Control> cloneAs(std::int16_t index) const override;

 private:
  std::u16string caption_;
  Colour foreColour_ = kWindowText, backColour_ = kButtonFace;
  BackStyle backStyle_ = BackStyle::Opaque;
  BorderStyle borderStyle_ = BorderStyle::None;
  Alignment alignment_ = Alignment::Left;
  Font font_;
  bool autoSize_ = false;
  int tabIndex_ = 0;
};

class Image : public Control {
 public:
  using Control::Control;
  [[nodiscard]] const PictureRef& picture() const { return picture_; }
  void setPicture(PictureRef v) {
    picture_ = std::move(v);
    invalidate();
  }
  [[nodiscard]] bool stretch() const { return stretch_; }
  void setStretch(bool v) {
    stretch_ = v;
    invalidate();
  }
  [[nodiscard]] BorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(BorderStyle v) {
    borderStyle_ = v;
    invalidate();
  }
  void paint(Painter& painter) const override;

 protected:
  [[nodiscard]] std::unique_ptr<Control> cloneAs(std::int16_t index) const override;

 private:
  PictureRef picture_;
  bool stretch_ = false;
  BorderStyle borderStyle_ = BorderStyle::None;
};

class Timer : public Control {
 public:
  using Control::Control;
  [[nodiscard]] int interval() const { return interval_; }
  void setInterval(int ms) { interval_ = ms; }
  [[nodiscard]] bool receivesMouse() const override { return false; }
  void paint(Painter&) const override {}
  std::function<void(Timer&)> onTimer;

 protected:
  [[nodiscard]] std::unique_ptr<Control> cloneAs(std::int16_t index) const override;

 private:
  int interval_ = 0;
};

// Holds controls in one stacking order, back to front.
class Container {
 public:
  virtual ~Container() = default;
  [[nodiscard]] const std::vector<Control*>& stacking() const { return stacking_; }
  // The client-area origin of this container in form pixels.
  [[nodiscard]] virtual PixelRect clientPixels() const = 0;
  virtual Form* owningForm() = 0;

 protected:
  friend class Control;
  friend class Form;
  void adopt(Control& control, bool atFront);
  void toFront(Control& control);
  // The frontmost visible control under the point that `accepts` takes, front to back as the
  // mouse finds them; a child window covers what lies behind it.
  Control* hitTest(Twips x, Twips y, const std::function<bool(const Control&)>& accepts) const;
  void paintChildren(Painter& painter) const;

 private:
  std::vector<Control*> stacking_;
};

// A child window: above every windowless control of its container.
class PictureBox : public Control, public Container {
 public:
  using Control::Control;
  [[nodiscard]] BorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(BorderStyle v) {
    borderStyle_ = v;
    invalidate();
  }
  [[nodiscard]] bool windowless() const override { return false; }
  [[nodiscard]] PixelRect clientPixels() const override;
  Form* owningForm() override { return form(); }
  void paint(Painter& painter) const override;

 protected:
  [[nodiscard]] std::unique_ptr<Control> cloneAs(std::int16_t index) const override;

 private:
  BorderStyle borderStyle_ = BorderStyle::FixedSingle;
};

}  // namespace forms
