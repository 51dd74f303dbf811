#include "ui/launcher_window.h"

#include <map>

#include "platform/api.h"
#include "ui/layout.h"

namespace ui {
namespace {

forms::PictureKind kindOf(platform::Asset asset) {
  switch (asset) {
    case platform::Asset::CountdownNotice:
      return forms::PictureKind::Metafile;
    case platform::Asset::WindowIcon:
      return forms::PictureKind::Icon;
    default:
      return forms::PictureKind::Bitmap;
  }
}

// One picture object per embedded file, however many controls hold it.
class PictureStore {
 public:
  forms::PictureRef get(platform::Asset asset) {
    auto& slot = pictures_[asset];
    if (!slot) slot = forms::Picture::fromBytes(kindOf(asset), platform::embedded(asset));
    return slot;
  }

 private:
  std::map<platform::Asset, forms::PictureRef> pictures_;
};

forms::Font fontOf(const DesignedFont& d) {
  forms::Font font;
  font.name = d.name;
  font.size = d.size;
  font.weight = d.weight;
  font.charset = d.charset;
  return font;
}

struct Builder {
  forms::Form& form;
  PictureStore& pictures;
  forms::Control* control = nullptr;

  void operator()(const LabelDesign& d, forms::Container& parent, const ControlDesign& c) {
    auto& label = form.add<forms::Label>(parent, std::string(c.name), c.index);
    label.setCaption(std::u16string(d.caption));
    label.setForeColour(d.foreColour);
    label.setBackColour(d.backColour);
    label.setFont(fontOf(d.font));
    label.setAlignment(d.alignment);
    label.setBackStyle(d.backStyle);
    label.setBorderStyle(d.border);
    label.setTabIndex(d.tabIndex);
    label.move(c.left, c.top, c.width, c.height);
    label.setAutoSize(d.autoSize);
    control = &label;
  }
  void operator()(const ImageDesign& d, forms::Container& parent, const ControlDesign& c) {
    auto& image = form.add<forms::Image>(parent, std::string(c.name), c.index);
    if (d.picture) image.setPicture(pictures.get(*d.picture));
    image.setStretch(d.stretch);
    image.setBorderStyle(d.border);
    image.move(c.left, c.top, c.width, c.height);
    control = &image;
  }
  void operator()(const PictureBoxDesign& d, forms::Container& parent, const ControlDesign& c) {
    auto& box = form.add<forms::PictureBox>(parent, std::string(c.name), c.index);
    box.move(c.left, c.top, c.width, c.height);
    box.setVisible(d.visible);
    control = &box;
  }
  void operator()(const TimerDesign& d, forms::Container& parent, const ControlDesign& c) {
    auto& timer = form.add<forms::Timer>(parent, std::string(c.name), c.index);
    timer.move(c.left, c.top, 0, 0);
    timer.setInterval(d.interval);
    timer.setEnabled(d.enabled);
    control = &timer;
  }
};

}  // namespace

LOMA_Frm::LOMA_Frm() {
  PictureStore pictures;
  setCaption(std::u16string(kWindowDesign.caption));
  setLeft(kWindowDesign.left);
  setTop(kWindowDesign.top);
  setWidth(kWindowDesign.width);
  setHeight(kWindowDesign.height);
  setPicture(pictures.get(kWindowDesign.picture));
  setIcon(pictures.get(kWindowDesign.icon));
  setBackColour(kWindowDesign.backColour);

  // The table reads front to back; each control is created in front of those before it, and
  // the window's own controls before those inside a picture box.
  std::map<std::string_view, forms::Container*> containers{{"", this}};
  for (bool nested : {false, true}) {
    // NOLINTNEXTLINE(modernize-loop-convert): the table is read back to front.
    for (auto it = kControlDesigns.rbegin(); it != kControlDesigns.rend(); ++it) {
      const ControlDesign& design = *it;
      if (design.container.empty() == nested) continue;
      Builder builder{*this, pictures};
      std::visit([&](const auto& d) { builder(d, *containers.at(design.container), design); },
                 design.kind);
      const AccessibleDesign& a = design.accessible;
      builder.control->setAccessible(
          {std::u16string(a.description), std::string(a.partOf), a.announced});
      if (auto* box = dynamic_cast<forms::PictureBox*>(builder.control))
        containers[design.name] = box;
    }
  }

  Timer1 = &single<forms::Timer>("Timer1");
  Picture1 = &single<forms::PictureBox>("Picture1");
  Label1 = &single<forms::Label>("Label1");
  MSg = &single<forms::Label>("MSg");
  Image2 = &single<forms::Image>("Image2");
  ShowEndTime = &single<forms::Label>("ShowEndTime");
  Image3 = &single<forms::Image>("Image3");
  Image1 = &single<forms::Image>("Image1");
}

}  // namespace ui
