#include "platform/x11/message_box.h"

#include <X11/keysym.h>

#include <algorithm>
#include <string>

#include "platform/x11/cairo_painter.h"
#include "platform/x11/presenter.h"

namespace platform::x11 {

namespace {

// The look of a plain message box of a current Windows desktop, in pixels at 96 dpi.
constexpr int kMargin = 12, kTextTop = 20, kButtonWidth = 75, kButtonHeight = 23, kButtonStrip = 45,
              kMinWidth = 180;
constexpr forms::Colour kPanel = 0x00FFFFFF, kStrip = 0x00F0F0F0, kText = 0x00000000,
                        kButtonFace = 0x00E1E1E1, kButtonEdge = 0x00ADADAD,
                        kPressedFace = 0x00F7E4CC, kPressedEdge = 0x00995400;

const forms::Font kFont{u"新細明體", 9.0f, 400};

struct Layout {
  forms::PixelSize window;
  forms::PixelRect text, button;
};

Layout layOut(forms::PixelSize textSize) {
  int width = std::max(kMinWidth, textSize.width + 2 * kMargin + 24);
  int panel = kTextTop + textSize.height + kTextTop;
  int height = panel + kButtonStrip;
  return {{width, height},
          {kMargin, kTextTop, width - 2 * kMargin, textSize.height},
          {width - kMargin - kButtonWidth, panel + (kButtonStrip - kButtonHeight) / 2, kButtonWidth,
           kButtonHeight}};
}

void draw(CairoPainter& painter, const Layout& layout, std::u16string_view text, bool pressed) {
  int panel = layout.window.height - kButtonStrip;
  painter.fill({0, 0, layout.window.width, panel}, kPanel);
  painter.fill({0, panel, layout.window.width, kButtonStrip}, kStrip);
  painter.drawText(text, kFont, kText, layout.text, forms::Alignment::Left, false);
  painter.fill(layout.button, pressed ? kPressedFace : kButtonFace);
  painter.frame(layout.button, pressed ? kPressedEdge : kButtonEdge);
  forms::PixelSize ok = painter.measureText(u"OK", kFont);
  forms::PixelRect caption{layout.button.x, layout.button.y + (kButtonHeight - ok.height) / 2,
                           kButtonWidth, ok.height};
  painter.drawText(u"OK", kFont, kText, caption, forms::Alignment::Center, false);
}

}  // namespace

void showMessageBox(Display* display, const Atoms& atoms, const forms::PixelRect& monitor,
                    std::u16string_view title, std::u16string_view text) {
  CairoPainter painter(1, 1);
  Layout layout = layOut(painter.measureText(text, kFont));
  painter.resize(layout.window.width, layout.window.height);
  forms::PixelRect bounds{monitor.x + (monitor.width - layout.window.width) / 2,
                          monitor.y + (monitor.height - layout.window.height) / 2,
                          layout.window.width, layout.window.height};

  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.event_mask =
      ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | VisibilityChangeMask;
  Window window = XCreateWindow(
      display, DefaultRootWindow(display), bounds.x, bounds.y, static_cast<unsigned>(bounds.width),
      static_cast<unsigned>(bounds.height), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWBackPixmap | CWEventMask, &attributes);
  describeWindow(display, window, atoms, forms::toUtf8(title), /*takesFocus=*/true);
  setFixedGeometry(display, window, bounds);
  keepAbove(display, window, atoms, /*mapped=*/false);
  XMapRaised(display, window);
  Presenter presenter(display, window);

  bool pressed = false;
  draw(painter, layout, text, pressed);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.xany.window != window) continue;
    switch (event.type) {
      case Expose: {
        const XExposeEvent& e = event.xexpose;
        presenter.show(painter.surface(), {e.x, e.y, e.width, e.height});
        break;
      }
      case ButtonPress:
      case ButtonRelease: {
        if (event.xbutton.button != Button1) break;
        bool over = layout.button.contains(event.xbutton.x, event.xbutton.y);
        if (event.type == ButtonRelease && pressed && over) return;
        pressed = event.type == ButtonPress && over;
        draw(painter, layout, text, pressed);
        presenter.show(painter.surface(), layout.button);
        break;
      }
      case KeyPress: {
        KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_Return || key == XK_KP_Enter || key == XK_space || key == XK_Escape) return;
        break;
      }
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == atoms.wmDeleteWindow) return;
        break;
      case VisibilityNotify:
        if (event.xvisibility.state != VisibilityUnobscured && !managerKeepsAbove(display, atoms))
          XRaiseWindow(display, window);
        break;
      default:
        break;
    }
  }
}

}  // namespace platform::x11
